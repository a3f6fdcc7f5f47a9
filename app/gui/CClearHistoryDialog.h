// The Clear History dialog: empties the chosen drop-down histories in the settings store.
// The caller loads the three histories again after it closes, however it closed.
//
//   CClearHistoryDialog dialog(app.settings(), parentWindow);
//   dialog.exec();
//   app.folderHistory.load(); ...
//
// Exercised by tests/gui/SettingsDialogsTest.cpp.
#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace scoutwell {

class SettingsStore;

inline constexpr const char* kClearHistoryTitle = "Clear History";
inline constexpr const char* kClearHistoryQuestion = "Which history lists you would like cleared?";
inline constexpr const char* kFileNameHistoryCheck = "&File name";
inline constexpr const char* kContainingTextHistoryCheck = "&Containing text";
inline constexpr const char* kLookInHistoryCheck = "&Look in";
inline constexpr const char* kDeleteHistoryButton = "&Delete history";
inline constexpr const char* kCloseButton = "Close";
inline constexpr const char* kHistoryCleared = "Cleared.";

class CClearHistoryDialog : public QDialog {
    Q_OBJECT

  public:
    // `store` must outlive the dialog.
    explicit CClearHistoryDialog(SettingsStore& store, QWidget* parent = nullptr);

    QCheckBox* fileNameCheck() const { return fileName_; }
    QCheckBox* containingTextCheck() const { return containingText_; }
    QCheckBox* lookInCheck() const { return lookIn_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* closeButton() const { return close_; }

  private:
    // Clears the ticked sections, says so, and closes.
    void deleteHistory();

    SettingsStore& store_;
    QCheckBox* fileName_;
    QCheckBox* containingText_;
    QCheckBox* lookIn_;
    QPushButton* delete_;
    QPushButton* close_;
};

}  // namespace scoutwell
