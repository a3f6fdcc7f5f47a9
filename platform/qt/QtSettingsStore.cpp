#include "platform/qt/QtSettingsStore.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <QByteArray>
#include <QMap>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "app/core/Settings.h"
#include "engine/Text.h"
#include "platform/posix/FileBytes.h"
#include "platform/posix/UniqueFd.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {
namespace {

// A line longer than this in a section that is read is damage, not a setting.
constexpr std::size_t kLongestKeptLine = 64 * 1024;

// Kestrel_EXE/Scoutwell.conf in the user's configuration folder, as QSettings names the
// user's own file in the native format.
std::string userSettingsFile() {
    return bytesFromQtFileName(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
        QString::fromUtf8(kSettingsOrganisation) + QLatin1Char('/') +
        QString::fromUtf8(kSettingsApplication) + QStringLiteral(".conf"));
}

// Whether an INI line is a section header, and which.
std::optional<std::string_view> sectionOf(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return line.substr(1, line.size() - 2);
}

// The lines of the file's `sections` (headers included), read a block at a time so that
// nothing else is kept; empty for a file that is missing, unreadable or not a regular
// file, which is opened without waiting for a writer.
std::string sectionsOf(const std::string& path, const std::vector<std::string>& sections) {
    std::string kept;
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (sections.empty() || !fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return kept;
    bool keeping = false;
    std::string line;
    bool lineTooLong = false;
    const auto endLine = [&] {
        if (const auto section = sectionOf(line))
            keeping = std::find(sections.begin(), sections.end(), *section) != sections.end();
        if (keeping && !lineTooLong)
            kept += line + '\n';
        line.clear();
        lineTooLong = false;
    };
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd.get(), buffer, sizeof buffer)) != 0;) {
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return {};
        }
        for (std::string_view rest(buffer, static_cast<std::size_t>(got)); !rest.empty();) {
            const std::size_t end = rest.find('\n');
            const std::string_view piece = rest.substr(0, end);
            // A header is short; the lines of other sections need not be kept to be passed.
            if (line.size() + piece.size() > kLongestKeptLine)
                lineTooLong = true;
            else
                line.append(piece);
            if (end == std::string_view::npos)
                break;
            endLine();
            rest.remove_prefix(end + 1);
        }
    }
    endLine();
    return kept;
}

// An unnamed file in memory holding `sections` of the file at `path`.
UniqueFd settingsCopy(const std::string& path, const std::vector<std::string>& sections) {
    UniqueFd copy(::memfd_create("scoutwell-settings", MFD_CLOEXEC));
    if (copy && !writeAll(copy.get(), sectionsOf(path, sections)))
        copy.reset();
    return copy;
}

QString keyOf(std::string_view section, std::string_view name) {
    return qStringFromBytes(section) + QLatin1Char('/') + qStringFromBytes(name);
}

std::string bytesOf(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore() : QtSettingsStore(userSettingsFile(), std::nullopt) {}

QtSettingsStore::QtSettingsStore(OnlySections only)
    : QtSettingsStore(userSettingsFile(), std::move(only.names)) {}

QtSettingsStore::QtSettingsStore(const std::string& filePath)
    : QtSettingsStore(filePath, std::nullopt) {}

QtSettingsStore::QtSettingsStore(const std::string& filePath,
                                 const std::optional<std::vector<std::string>>& sections)
    : fileName_(filePath) {
    struct stat st {};
    const bool missing = ::stat(filePath.c_str(), &st) != 0;
    if (!sections && (missing || S_ISREG(st.st_mode))) {
        settings_ =
            std::make_unique<QSettings>(qtFileNameFromBytes(filePath), QSettings::IniFormat);
        return;
    }
    // QSettings waits for a FIFO's writer and reads all of a file: it reads a copy of
    // what is wanted instead, made without waiting, and its values are kept.
    const std::vector<std::string> none;
    const UniqueFd copy = settingsCopy(filePath, sections ? *sections : none);
    if (!copy)
        return;
    const QSettings read(QStringLiteral("/proc/self/fd/%1").arg(copy.get()), QSettings::IniFormat);
    for (const QString& key : read.allKeys())
        snapshot_.insert(key, read.value(key));
}

QVariant QtSettingsStore::valueAt(const QString& key) const {
    return settings_ ? settings_->value(key) : snapshot_.value(key);
}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::fileName() const {
    return fileName_;
}

bool QtSettingsStore::writable() const {
    return settings_ && settings_->isWritable();
}

bool QtSettingsStore::commit() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::optional<std::int32_t> QtSettingsStore::findInt(std::string_view section,
                                                     std::string_view name) const {
    const QVariant value = valueAt(keyOf(section, name));
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    // Stored as text in the file; values written from a DWORD may exceed INT32_MAX.
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || number < INT32_MIN || number > static_cast<qlonglong>(UINT32_MAX)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

std::optional<std::string> QtSettingsStore::findText(std::string_view section,
                                                     std::string_view name) const {
    const QVariant value = valueAt(keyOf(section, name));
    if (!value.isValid())
        return std::nullopt;
    // An unquoted comma in a hand-edited file makes QSettings read a list.
    if (value.typeId() == QMetaType::QStringList) {
        return bytesFromQString(value.toStringList().join(QLatin1Char(',')));
    }
    // Texts that are not UTF-8 are kept as byte arrays (see writeText).
    if (value.typeId() == QMetaType::QByteArray)
        return bytesOf(value.toByteArray());
    if (!value.canConvert<QString>())
        return std::nullopt;
    return bytesFromQString(value.toString());
}

std::optional<SettingsBytes> QtSettingsStore::findBinary(std::string_view section,
                                                         std::string_view name) const {
    const QVariant value = valueAt(keyOf(section, name));
    if (!value.isValid() || !value.canConvert<QByteArray>())
        return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    return SettingsBytes(bytes.begin(), bytes.end());
}

bool QtSettingsStore::writeInt(std::string_view section, std::string_view name,
                               std::int32_t value) {
    if (!writable())
        return false;
    settings_->setValue(keyOf(section, name), value);
    return commit();
}

bool QtSettingsStore::writeText(std::string_view section, std::string_view name,
                                std::string_view value) {
    if (!writable())
        return false;
    // UTF-8 stays readable text in the file; anything else is stored as its bytes, which
    // the file keeps exactly (escaped), since QSettings would replace them in a text.
    if (text::isValidUtf8(value))
        settings_->setValue(keyOf(section, name), qStringFromBytes(value));
    else
        settings_->setValue(keyOf(section, name),
                            QByteArray(value.data(), static_cast<qsizetype>(value.size())));
    return commit();
}

bool QtSettingsStore::writeBinary(std::string_view section, std::string_view name,
                                  const SettingsBytes& value) {
    if (!writable())
        return false;
    settings_->setValue(keyOf(section, name),
                        QByteArray(reinterpret_cast<const char*>(value.data()),
                                   static_cast<qsizetype>(value.size())));
    return commit();
}

bool QtSettingsStore::deleteValue(std::string_view section, std::string_view name) {
    const QString key = keyOf(section, name);
    if (!contains(section, name))
        return true;
    if (!writable())
        return false;
    settings_->remove(key);
    return commit() && !settings_->contains(key);
}

std::vector<std::string> QtSettingsStore::valueNames(std::string_view section) const {
    QStringList keys;
    if (settings_) {
        settings_->beginGroup(qStringFromBytes(section));
        keys = settings_->childKeys();
        settings_->endGroup();
    } else {
        const QString prefix = qStringFromBytes(section) + QLatin1Char('/');
        for (auto it = snapshot_.lowerBound(prefix); it != snapshot_.end(); ++it) {
            if (!it.key().startsWith(prefix))
                break;
            if (!it.key().mid(prefix.size()).contains(QLatin1Char('/')))
                keys.push_back(it.key().mid(prefix.size()));
        }
    }
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(keys.size()));
    for (const QString& key : keys)
        names.push_back(bytesFromQString(key));
    return names;
}

bool QtSettingsStore::removeSection(std::string_view section) {
    if (!writable())
        return false;
    settings_->remove(qStringFromBytes(section));
    return commit();
}

bool QtSettingsStore::contains(std::string_view section, std::string_view name) const {
    const QString key = keyOf(section, name);
    return settings_ ? settings_->contains(key) : snapshot_.contains(key);
}

}  // namespace scoutwell
