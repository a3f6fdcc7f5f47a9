// Text operations shared by every comparison and case change of the program.
//
// Texts are UTF-8 byte strings. Case changes touch ASCII letters and the UTF-8 letters
// whose other case has the same encoded length, so offsets and lengths survive a case
// change (the regular-expression engine relies on that). Bytes that are not valid UTF-8
// are left as they are and compared byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scoutwell::text {

// Lower-cases `size` bytes at `data` in place.
void toLowerInPlace(char* data, std::size_t size);
inline void toLowerInPlace(std::string& s) {
    toLowerInPlace(s.data(), s.size());
}
std::string toLower(std::string_view s);

// Upper-cases in place, with the same length rule.
void toUpperInPlace(char* data, std::size_t size);
std::string toUpper(std::string_view s);

// Case-insensitive three-way comparison: negative, zero or positive as a sorts before,
// equal to or after b once both are lower-cased; ties between different spellings are
// not broken.
int compareNoCase(std::string_view a, std::string_view b);
inline bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareNoCase(a, b) == 0;
}

// Removes leading and trailing white space (space, TAB, CR, LF, VT, FF).
std::string_view trimWhite(std::string_view s);

// The length of the well-formed UTF-8 sequence that starts at s[at] (1 to 4), with its
// code point in `codePoint`; 0 when the byte there does not begin one (a stray
// continuation byte, a cut or overlong sequence, an encoded surrogate, a value past
// U+10FFFF).
std::size_t decodeUtf8(std::string_view s, std::size_t at, std::uint32_t& codePoint);
// Appends the UTF-8 form of a code point (not a surrogate) to `out`.
void appendUtf8(std::string& out, std::uint32_t codePoint);
// True when every byte of `s` belongs to a well-formed UTF-8 sequence.
bool isValidUtf8(std::string_view s);
// `s` with each byte that is not part of well-formed UTF-8 replaced by U+FFFD.
std::string withInvalidUtf8Replaced(std::string_view s);

// printf-style formatting into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace scoutwell::text
