// The help for the command line, shown at start-up for -h and -?. "Run Scoutwell..."
// goes on with the start-up (exec() returns Accepted), "Close" ends it.
#pragma once

#include <QDialog>

class QPushButton;

namespace scoutwell {

class CCommandLineHelpDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CCommandLineHelpDialog(QWidget* parent = nullptr);

    QPushButton* runButton() const { return run_; }
    QPushButton* closeButton() const { return close_; }

  private:
    QPushButton* run_;
    QPushButton* close_;
};

}  // namespace scoutwell
