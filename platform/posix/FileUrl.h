// File URLs of byte-string paths. Every byte a URL path cannot hold as it is gets
// percent-encoded, so a name that is not valid UTF-8 keeps its exact bytes:
//
//   fileUrlFromPath("/tmp/a b\xff")   // "file:///tmp/a%20b%FF"
//
// Exercised by tests/gui/ArchiveMemberRowsTest.cpp, tests/gui/ResultListShellTest.cpp,
//  tests/platform/FreedesktopTrashTest.cpp, tests/wayland/WaylandWindowTest.cpp.
#pragma once

#include <string>
#include <string_view>

namespace scoutwell {

// The path with each byte other than A-Z a-z 0-9 - . _ ~ ! $ & ' ( ) * + , ; = : @ /
// written as %XX (space, '%', '#', '?', controls and every byte above 0x7F among them).
std::string percentEncodePath(std::string_view path);
// "file://" followed by the encoded absolute path.
std::string fileUrlFromPath(std::string_view path);
// The folder part of a path, with its trailing '/'; "/" for a path without one.
std::string folderOfPath(std::string_view path);

}  // namespace scoutwell
