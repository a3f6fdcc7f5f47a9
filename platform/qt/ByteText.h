// The one bridge between the program's byte strings (paths, patterns, found lines) and
// Qt's QString. Every place where such text enters a widget, a title or a Qt service and
// comes back goes through these two functions.
//
// The round trip is lossless: valid UTF-8 decodes as usual, and each byte that is not
// part of valid UTF-8 becomes the lone surrogate U+DC00 + byte (U+DC80 to U+DCFF), which
// QString holds and widgets show as a replacement glyph. Encoding turns those surrogates
// back into their bytes and everything else (text the user typed) into UTF-8, so
//     bytesFromQString(qStringFromBytes(b)) == b   for every byte string b.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace scoutwell {

QString qStringFromBytes(std::string_view bytes);
std::string bytesFromQString(const QString& text);

}  // namespace scoutwell
