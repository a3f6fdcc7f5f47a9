// The Configuration dialog: the other line ends a contents search accepts, and the two
// master switches that decide whether options and window geometry are remembered. It
// edits a copy of a document's criteria; the document takes the copy back on OK.
//
//   runConfiguration(doc, parentWindow);
//
// Exercised by tests/gui/SettingsDialogsTest.cpp.
#pragma once

#include <QDialog>

#include "engine/SearchCriteria.h"

class QCheckBox;
class QPushButton;

namespace scoutwell {

class CDediDurarerDoc;
class SettingsStore;

inline constexpr const char* kConfigurationTitle = "Configuration";
inline constexpr const char* kEolGroup = "Other valid EOL identifiers";
inline constexpr const char* kEolUnixCheck = "&Unix (LF)";
inline constexpr const char* kEolMacCheck = "&Mac (CR)";
inline constexpr const char* kRememberGroup = "Remember";
inline constexpr const char* kRememberOptionsCheck = "&Options/Configuration settings";
inline constexpr const char* kRememberWindowSizeCheck = "Window si&ze, position && font";
inline constexpr const char* kOkButton = "OK";
inline constexpr const char* kConfigurationCancelButton = "Cancel";
// String 61460: shown when the line-end choice changes under results already found.
inline constexpr const char* kEolChangeAltersResults =
    "Modifying End Of Line (EOL) delimiter characteristics will alter the results. Please "
    "re-search to see the effect of the new EOL delimiter settings.";

class CConfigurationDialog : public QDialog {
    Q_OBJECT

  public:
    // Works on a copy of `criteria`; `store` must outlive the dialog.
    CConfigurationDialog(const SearchCriteria& criteria, SettingsStore& store,
                         QWidget* parent = nullptr);

    // The copy, with the line-end choices of the checks once OK was pressed.
    const SearchCriteria& criteria() const { return criteria_; }

    QCheckBox* eolUnixCheck() const { return eolUnix_; }
    QCheckBox* eolMacCheck() const { return eolMac_; }
    QCheckBox* rememberOptionsCheck() const { return rememberOptions_; }
    QCheckBox* rememberWindowSizeCheck() const { return rememberWindowSize_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Takes the checks, writes the two switches and, with options remembered, the copy's
    // options; then closes.
    void accept() override;

  private:
    SearchCriteria criteria_;
    SettingsStore& store_;
    QCheckBox* eolUnix_;
    QCheckBox* eolMac_;
    QCheckBox* rememberOptions_;
    QCheckBox* rememberWindowSize_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// The Configuration command of a document: on OK warns when the line ends changed under
// existing results, then the document's edited criteria become the dialog's copy.
void runConfiguration(CDediDurarerDoc& doc, QWidget* parent);

}  // namespace scoutwell
