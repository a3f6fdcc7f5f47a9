#include "platform/qt/QtSettingsStore.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "app/core/Settings.h"
#include "engine/Text.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {
namespace {

QString keyOf(std::string_view section, std::string_view name) {
    return qStringFromBytes(section) + QLatin1Char('/') + qStringFromBytes(name);
}

std::string bytesOf(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromUtf8(kSettingsOrganisation),
                                            QString::fromUtf8(kSettingsApplication))) {}

QtSettingsStore::QtSettingsStore(const std::string& filePath)
    : settings_(std::make_unique<QSettings>(qtFileNameFromBytes(filePath), QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::fileName() const {
    return bytesFromQtFileName(settings_->fileName());
}

bool QtSettingsStore::commit() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::optional<std::int32_t> QtSettingsStore::findInt(std::string_view section,
                                                     std::string_view name) const {
    const QVariant value = settings_->value(keyOf(section, name));
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
    const QVariant value = settings_->value(keyOf(section, name));
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
    const QVariant value = settings_->value(keyOf(section, name));
    if (!value.isValid() || !value.canConvert<QByteArray>())
        return std::nullopt;
    const QByteArray bytes = value.toByteArray();
    return SettingsBytes(bytes.begin(), bytes.end());
}

bool QtSettingsStore::writeInt(std::string_view section, std::string_view name,
                               std::int32_t value) {
    if (!settings_->isWritable())
        return false;
    settings_->setValue(keyOf(section, name), value);
    return commit();
}

bool QtSettingsStore::writeText(std::string_view section, std::string_view name,
                                std::string_view value) {
    if (!settings_->isWritable())
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
    if (!settings_->isWritable())
        return false;
    settings_->setValue(keyOf(section, name),
                        QByteArray(reinterpret_cast<const char*>(value.data()),
                                   static_cast<qsizetype>(value.size())));
    return commit();
}

bool QtSettingsStore::deleteValue(std::string_view section, std::string_view name) {
    const QString key = keyOf(section, name);
    if (!settings_->contains(key))
        return true;
    if (!settings_->isWritable())
        return false;
    settings_->remove(key);
    return commit() && !settings_->contains(key);
}

std::vector<std::string> QtSettingsStore::valueNames(std::string_view section) const {
    settings_->beginGroup(qStringFromBytes(section));
    const QStringList keys = settings_->childKeys();
    settings_->endGroup();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(keys.size()));
    for (const QString& key : keys)
        names.push_back(bytesFromQString(key));
    return names;
}

bool QtSettingsStore::removeSection(std::string_view section) {
    if (!settings_->isWritable())
        return false;
    settings_->remove(qStringFromBytes(section));
    return commit();
}

bool QtSettingsStore::contains(std::string_view section, std::string_view name) const {
    return settings_->contains(keyOf(section, name));
}

}  // namespace scoutwell
