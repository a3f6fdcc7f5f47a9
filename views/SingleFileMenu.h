// The context menu of one found file: what a Linux file manager offers for a file.
//
//   showSingleFileMenu("a.txt", "/home/me/", QCursor::pos());
//
// "&Open" (the default application), "Open with NAME" for each recommended application,
// "&Explore here...", "&Copy", "Copy &path", "Move to &Trash", and "P&roperties" where a
// file manager on the session bus offers FileManager1. When the file or its folder no
// longer exists, two messages say so and no menu is shown.
#pragma once

#include <QPoint>
#include <cstdint>
#include <functional>
#include <string>

namespace scoutwell {

class ShellServices;

inline constexpr const char* kProblemManipulatingFile =
    "There was a problem manipulating the file (%s) while: %s.Please make sure the file has "
    "not been deleted or renamed. (%x)";
inline constexpr const char* kParsingFolderStep = "Parsing display name for desktop folder";
inline constexpr const char* kParsingFileStep = "Parsing display name for file";
inline constexpr const char* kGettingContextMenuStep = "Getting context menu for selected file(s)";

inline constexpr const char* kSingleOpenItem = "&Open";
inline constexpr const char* kCopyPathItem = "Copy &path";
inline constexpr const char* kMoveToTrashItem = "Move to &Trash";
inline constexpr const char* kPropertiesItem = "P&roperties";

// The result code of a file or folder that cannot be looked at: 0x80070000 with the
// errno of lstat in the low word, the form Windows gives a system error code (a missing
// file is 0x80070002, as there).
std::int32_t resultFromErrno(int error);

// Shows the menu of `location` + `name` at a screen point and carries out the chosen
// command. False when the file could not be looked at (the user was told).
bool showSingleFileMenu(const std::string& name, const std::string& location,
                        const QPoint& globalPos, ShellServices& shell);
bool showSingleFileMenu(const std::string& name, const std::string& location,
                        const QPoint& globalPos);

// The menu of a member of an archive, `path` inside the archive `archivePath`: Open and
// Open with hand over the copy `extract` makes (empty when it could not), Explore here and
// Properties show the archive, Copy path copies the member's path; no Move to Trash.
void showMemberMenu(const std::string& path, const std::string& archivePath,
                    const std::function<std::string()>& extract, const QPoint& globalPos,
                    ShellServices& shell);

}  // namespace scoutwell
