// The one bridge between the program's byte strings (paths, patterns, found lines) and
// Qt's QString. Every place where such text enters a widget, a title or a Qt service and
// comes back goes through these functions.
//
// The round trip is lossless: valid UTF-8 decodes as usual, and each byte that is not
// part of valid UTF-8 becomes the lone surrogate U+DC00 + byte (U+DC80 to U+DCFF), which
// QString holds and widgets show as a replacement glyph. Encoding turns those surrogates
// back into their bytes and everything else (text the user typed) into UTF-8, so
//     bytesFromQString(qStringFromBytes(b)) == b   for every byte string b.
// The escapes are per byte, so pieces of a string convert to pieces of its QString:
// concatenating converted pieces gives the converted whole.
//
//   box->setEditText(qStringFromBytes(criteria.fileName));
//   criteria.fileName = bytesFromQString(box->currentText());
//
// Qt's own file services (file dialogs, QFileInfo, QSettings files) name files with
// QFile::encodeName/decodeName, which replace bytes that are not UTF-8. Paths handed to
// or taken from them go through the last three functions instead.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace scoutwell {

QString qStringFromBytes(std::string_view bytes);
std::string bytesFromQString(const QString& text);

// A path as Qt's file services name it: exact for valid UTF-8; each other byte becomes
// U+FFFD, which those services cannot open.
QString qtFileNameFromBytes(std::string_view path);
// The bytes of a path that one of Qt's file services returned. Where Qt replaced bytes
// of a name, the name is looked up among its folder's entries as Qt shows them, so a file
// that the user picked in a dialog is found with its real bytes.
std::string bytesFromQtFileName(const QString& path);

}  // namespace scoutwell
