#include "platform/qt/ByteText.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cstdint>

#include "engine/Text.h"

namespace scoutwell {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kFirstEscape = kEscapeBase + 0x80;
constexpr char16_t kLastEscape = kEscapeBase + 0xFF;

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The entry of `folder` that Qt shows as `shownName`, or nothing.
std::string entryShownAs(const std::string& folder, const QString& shownName) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return {};
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        if (QFile::decodeName(entry->d_name) == shownName) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

QString qStringFromBytes(std::string_view bytes) {
    // Most texts are plain ASCII: one copy, no decoding.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::size_t at = 0; at < bytes.size();) {
        std::uint32_t value = 0;
        const std::size_t length = text::decodeUtf8(bytes, at, value);
        if (length == 0) {
            out +=
                QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        if (value >= 0x10000) {
            out += QChar(QChar::highSurrogate(value));
            out += QChar(QChar::lowSurrogate(value));
        } else {
            out += QChar(static_cast<char16_t>(value));
        }
        at += length;
    }
    return out;
}

std::string bytesFromQString(const QString& text) {
    constexpr std::uint32_t kReplacementCharacter = 0xFFFD;
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            text::appendUtf8(out, QChar::surrogateToUcs4(c, text.at(i + 1).unicode()));
            ++i;
        } else if (c >= kFirstEscape && c <= kLastEscape) {
            out += static_cast<char>(c - kEscapeBase);
        } else if (QChar::isSurrogate(c)) {
            // Any other lone surrogate (typed or pasted in) has no UTF-8 form.
            text::appendUtf8(out, kReplacementCharacter);
        } else {
            text::appendUtf8(out, c);
        }
    }
    return out;
}

QString qtFileNameFromBytes(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string bytesFromQtFileName(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    std::string direct(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    if (!path.contains(QChar::ReplacementCharacter) || exists(direct))
        return direct;
    const QStringList parts = path.split(QLatin1Char('/'));
    std::string resolved;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            resolved += '/';
        const QByteArray part = QFile::encodeName(parts[i]);
        std::string name(part.constData(), static_cast<std::size_t>(part.size()));
        if (parts[i].contains(QChar::ReplacementCharacter) && !exists(resolved + name)) {
            std::string real = entryShownAs(resolved, parts[i]);
            if (!real.empty())
                name = std::move(real);
        }
        resolved += name;
    }
    return resolved;
}

}  // namespace scoutwell
