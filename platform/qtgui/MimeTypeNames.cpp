#include "platform/qtgui/MimeTypeNames.h"

#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include "engine/FoundItem.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

std::string MimeTypeNames::typeNameFor(const std::string& path) {
    // QMimeDatabase is thread-safe and cheap to construct: it shares one loaded database.
    const QMimeDatabase database;
    const QMimeType type =
        database.mimeTypeForFile(qStringFromBytes(path), QMimeDatabase::MatchExtension);
    // The default type (application/octet-stream) stands for "no match", not for a name.
    if (!type.isValid() || type.isDefault())
        return {};
    return bytesFromQString(type.comment());
}

void MimeTypeNames::install() {
    setTypeNameProvider(&MimeTypeNames::typeNameFor);
}

}  // namespace scoutwell
