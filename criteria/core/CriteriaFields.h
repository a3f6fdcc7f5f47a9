// The text rules of the criteria pages' fields that need no widgets: the size fields in
// KB, the date range, and the folder lines of the Multiple Folders dialog.
//
//   std::string text = sizeFieldText(criteria.sizeMoreThan);          // bytes -> "KB"
//   if (readSizeField(text, criteria.sizeMoreThan, bytes) == SizeFieldResult::invalid) ...
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/DateTime.h"

namespace scoutwell {

inline constexpr const char* kEnterAnInteger = "Please enter an integer.";
inline constexpr const char* kEnterADate = "Please enter a date and/or time.";

// The days an OLE date of a criteria date field may lie between.
inline constexpr OleDate kFirstFieldDate = -657434.0;
inline constexpr OleDate kLastFieldDate = 2958465.0;

inline bool dateFieldInRange(OleDate date) {
    return date >= kFirstFieldDate && date <= kLastFieldDate;
}

// The KB a byte count shows as, rounded down.
std::string sizeFieldText(std::uint64_t bytes);

enum class SizeFieldResult { stored, unchanged, invalid };

// Reads a KB text as a user typed it: leading white space is skipped and reading stops at
// the first character that is not a digit. A blank text leaves `bytes` as it is; a text
// without a number, or one too large for a byte count, is invalid and leaves `bytes` too.
// A text that shows the current value unchanged stores the value rounded down to whole KB.
SizeFieldResult readSizeField(std::string_view text, std::uint64_t& bytes);

// The Multiple Folders edit after appending `folder` as a line of its own.
std::string appendFolderLine(std::string_view editText, std::string_view folder);

// The last line of the trimmed edit text: where Browse starts.
std::string lastFolderLine(std::string_view editText);

// The folders the edit lists, in order: lines taken as they are (a blank line between two
// folders is one empty entry), duplicates that differ only in letter case dropped. An edit
// holding nothing but white space lists no folder.
std::vector<std::string> foldersFromLines(std::string_view editText);

}  // namespace scoutwell
