// The "Multiple Folders" dialog of the Advanced page: one folder a line, added by typing,
// from the recent folders or by browsing. OK turns the lines into the folder list,
// dropping lines that repeat another but for letter case. Shown as
// CGeometryDynCreateWnd<CMultipleFolders>, so it resizes by the geometry rules.
//
//   CGeometryDynCreateWnd<CMultipleFolders> dialog(criteria.lookIn, &app.folderHistory, page);
//   if (dialog.exec() == QDialog::Accepted) use(dialog.folders());
//
// Exercised by tests/gui/CriteriaPagesTest.cpp, tests/gui/MultipleFoldersTest.cpp.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace scoutwell {

class HistoryComboBox;
class HistoryList;

inline constexpr const char* kMultipleFoldersTitle = "Multiple Folders";
inline constexpr const char* kRecentFoldersLabel = "Recent folders:";
inline constexpr const char* kAddText = "&Add";
inline constexpr const char* kLookInFoldersLabel = "Look in folders:";
inline constexpr const char* kOkText = "OK";
inline constexpr const char* kCancelText = "Cancel";
inline constexpr const char* kMultipleFoldersHelp =
    "Add each folder on a separate line by either typing directly, adding from drop down, or "
    "browsing.";

inline constexpr int kRecentFoldersId = 1124;
inline constexpr int kAddFolderId = 1018;
inline constexpr int kFolderLinesId = 1021;
inline constexpr int kBrowseLineId = 1029;
inline constexpr int kOkId = 1;
inline constexpr int kCancelId = 2;
// The status bar has no id of its own in a dialog; this one is clear of every control.
inline constexpr int kMultipleFoldersStatusBarId = 59393;

class CMultipleFolders : public QDialog {
    Q_OBJECT

  public:
    // `history` (not owned, may be null) fills the recent folders.
    CMultipleFolders(const std::vector<std::string>& folders, const HistoryList* history,
                     QWidget* parent = nullptr);

    // After OK: the folders of the lines, in order.
    const std::vector<std::string>& folders() const { return folders_; }

    HistoryComboBox* recentFoldersBox() const { return recentFolders_; }
    QPushButton* addButton() const { return add_; }
    QPlainTextEdit* folderLinesEdit() const { return lines_; }
    QPushButton* browseButton() const { return browse_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QStatusBar* statusBar() const { return statusBar_; }

    void accept() override;

  private:
    void appendLine(const std::string& folder);
    void addClicked();
    void browseClicked();

    HistoryComboBox* recentFolders_;
    QPushButton* add_;
    QPlainTextEdit* lines_;
    QPushButton* browse_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QStatusBar* statusBar_ = nullptr;
    std::vector<std::string> folders_;
};

}  // namespace scoutwell
