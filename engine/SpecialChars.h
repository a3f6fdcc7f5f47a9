// Escaping of the bytes that regular expressions treat as special, shared by the
// preparation of a search (DOS wildcards, literal contents) and the Expression Wizard.
//
//   std::string text = "$400.00";
//   escapeSpecialChars(text, kFullEscapeSet);     // "\$400\.00"
//   replaceAll(text, "00", "0");                  // 2 replacements
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scoutwell {

// Every byte the regular-expression syntax gives a meaning, backslash first so that the
// backslashes inserted for the others are never doubled.
inline constexpr std::string_view kFullEscapeSet = "\\^$.[()]|?+*";
// The same without `?` and `*`, which a DOS wildcard pattern turns into `.` and `.*`.
inline constexpr std::string_view kWildcardEscapeSet = "\\^$.[()]|+";

// Replaces every non-overlapping occurrence of `from`, scanning left to right, by `to`;
// returns the number of replacements. An empty `from` replaces nothing.
std::size_t replaceAll(std::string& text, std::string_view from, std::string_view to);

// For each byte c of `set`, in order, puts a backslash before every c in `text`. UTF-8
// continuation bytes are never ASCII, so multi-byte characters pass untouched.
void escapeSpecialChars(std::string& text, std::string_view set);

}  // namespace scoutwell
