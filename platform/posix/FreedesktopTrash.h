// Moving files to the freedesktop.org Trash, byte-exact (names need not be UTF-8).
//
//   if (!moveToTrash("/home/me/old.txt")) ...   // nothing was moved
//
// A file on the home's file system goes to the home trash ($XDG_DATA_HOME/Trash, else
// ~/.local/share/Trash); one on another file system goes to that volume's trash
// ($topdir/.Trash/$uid when the administrator made a sticky .Trash, else
// $topdir/.Trash-$uid). Nothing is ever copied across file systems nor deleted: when no
// trash on the file's own file system can be used, the file stays where it is.
#pragma once

#include <string>

namespace scoutwell {

// The home trash folder for the current environment, without a trailing '/'.
std::string homeTrashPath();

// Writes info/NAME.trashinfo (the original path, relative to the volume's top folder in a
// volume's trash, and the deletion date) and renames the file to files/NAME, NAME being
// unique in that trash. False, with errno set and no trace left behind, when the file
// could not be trashed.
bool moveToTrash(const std::string& path);

}  // namespace scoutwell
