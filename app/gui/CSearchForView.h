// The criteria form at the top of a search window: Start and Stop, the progress of a
// two-phase search and a one-line status text. It turns the user's actions and the
// search's messages into document calls and control states.
//
// The criteria pages are not in it yet: it starts a search with the document's
// editedCriteria as they are.
#pragma once

#include <QWidget>

#include "app/gui/Document.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace scoutwell {

class CDediDurarerDoc;

inline constexpr const char* kStartButtonText = "Start search";
inline constexpr const char* kStopButtonText = "Stop";
inline constexpr const char* kFilesFoundFormat = "%d %s";
inline constexpr const char* kFilesFoundText = "file(s) found";
inline constexpr int kProgressRange = 50;

class CSearchForView : public QWidget, public CommandTarget {
    Q_OBJECT

  public:
    // Adds itself to the document's views.
    CSearchForView(CDediDurarerDoc* doc, QWidget* parent);

    // Start button, Enter, the Start command: does nothing while a search runs.
    void startClicked();

    bool handleCommand(int commandId) override;
    bool updateCommand(int commandId, CommandState& state) override;

    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* statusLabel() const { return status_; }

  protected:
    void customEvent(QEvent* event) override;

  private:
    void showInStatusBar(const QString& text);

    CDediDurarerDoc* doc_;
    QPushButton* start_;
    QPushButton* stop_;
    QProgressBar* progress_;
    QLabel* status_;
    bool progressShown_ = false;
};

}  // namespace scoutwell
