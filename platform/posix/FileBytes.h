// Whole reads and writes on a descriptor, over short counts and interrupted calls.
//
//   if (!writeAll(fd, bytes)) ... errno says why
//   std::string bytes;
//   if (!readAll(fd, bytes, kLimit)) ... errno says why; EFBIG: longer than kLimit
//
// Exercised by tests/platform/FileReplacementTest.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scoutwell {

// Writes all of `bytes` at the descriptor's position; false with errno set on a failure.
bool writeAll(int fd, std::string_view bytes);

// Appends what is left of the file from the descriptor's position to its end; false with
// errno set on a read error, or with EFBIG once more than `limit` bytes came.
bool readAll(int fd, std::string& bytes, std::size_t limit);

}  // namespace scoutwell
