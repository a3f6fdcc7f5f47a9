// The folder browser behind every Browse button: a directory chooser titled "Which folder
// would you like to search in?" that opens at the folder the box names.
//
//   std::string folder;
//   if (browseForFolder(this, bytesFromQString(lookInBox->currentText()), folder)) ...
#pragma once

#include <string>
#include <string_view>

class QWidget;

namespace scoutwell {

inline constexpr const char* kBrowseForFolderTitle = "Which folder would you like to search in?";
inline constexpr const char* kInvalidDirectory = "Invalid directory";

// The folder to open at: `currentText` without its trailing separators and spaces; empty
// when nothing else is left.
std::string folderBrowserPreselection(std::string_view currentText);

// True, with the chosen folder in `result`, when the user chose one; a cancel leaves
// `result` unchanged.
bool browseForFolder(QWidget* owner, const std::string& currentText, std::string& result);

}  // namespace scoutwell
