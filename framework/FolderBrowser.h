// The folder browser behind every Browse button: a dialog titled "Which folder would you
// like to search in?" that opens at the folder the box names, lists the subfolders of the
// folder it shows and gives back the chosen folder's path byte for byte. It reads folders
// through the engine's file system, so a folder named in Latin-1 is listed (its bytes that
// are not UTF-8 show as replacement glyphs) and returned with its real name.
//
//   std::string folder;
//   if (browseForFolder(this, bytesFromQString(lookInBox->currentText()), folder)) ...
#pragma once

#include <QDialog>
#include <string>
#include <string_view>
#include <vector>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace scoutwell {

inline constexpr const char* kBrowseForFolderTitle = "Which folder would you like to search in?";
inline constexpr const char* kInvalidDirectory = "Invalid directory";
inline constexpr const char* kFolderLabel = "&Folder:";
inline constexpr const char* kSubfoldersLabel = "&Subfolders:";
inline constexpr const char* kUpText = "&Up";
inline constexpr const char* kUpName = "Up to the parent folder";
inline constexpr const char* kNotAFolderFormat =
    "\"%s\" is not a folder that can be read. Choose a folder from the list or type the path of "
    "an existing folder.";

// The folder to open at: `currentText` without its trailing separators and spaces; empty
// when nothing else is left.
std::string folderBrowserPreselection(std::string_view currentText);

// The subfolders of `folder` that the browser lists, by their bytes, sorted as shown;
// hidden ones (a leading dot) are left out.
std::vector<std::string> listSubfolders(const std::string& folder);

class CFolderBrowserDialog : public QDialog {
    Q_OBJECT

  public:
    // Shows the nearest folder at or above `start` that can be read, else "/".
    explicit CFolderBrowserDialog(const std::string& start, QWidget* parent = nullptr);

    // The folder listed and the folder that OK gives back (the listed one, or the selected
    // subfolder, or what was typed).
    const std::string& shownFolder() const { return shown_; }
    std::string chosenFolder() const;

    QLineEdit* folderEdit() const { return path_; }
    QListWidget* folderList() const { return list_; }
    QPushButton* upButton() const { return up_; }

    // Lists `folder`; false, leaving the list as it was, when it cannot be read.
    bool showFolder(const std::string& folder);

    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void openItem(QListWidgetItem* item);
    void upClicked();

    QLineEdit* path_;
    QListWidget* list_;
    QPushButton* up_;
    std::string shown_;
};

// True, with the chosen folder in `result`, when the user chose one; a cancel leaves
// `result` unchanged.
bool browseForFolder(QWidget* owner, const std::string& currentText, std::string& result);

}  // namespace scoutwell
