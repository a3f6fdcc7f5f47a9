// The program's settings store over QSettings: the per-user native store of organisation
// "Kestrel_EXE", application "Scoutwell" (on Linux Kestrel_EXE/Scoutwell.conf under the
// user's configuration folder). Sections are groups; value names are keys, as named.
//
// Needs no QCoreApplication. A damaged or unreadable file reads as empty, so every value
// takes its default; writes report failure instead. Only the user's own file is read, never
// a system-wide one, and only when it is a regular file: a FIFO, a device or a folder in
// its place reads as empty, without waiting for a writer, and takes no writes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMap>
#include <QString>
#include <QVariant>

#include "app/core/SettingsStore.h"

class QSettings;

namespace scoutwell {

class QtSettingsStore : public SettingsStore {
  public:
    // The sections a store reads, when not all of them.
    struct OnlySections {
        std::vector<std::string> names;
    };

    QtSettingsStore();
    // The user's store, of which only the values of the sections named are read: a run
    // that needs a few options does not read, nor keep in memory, a history of any size.
    // It takes no writes.
    explicit QtSettingsStore(OnlySections only);
    // A store in the INI file at `filePath`, for tests and tools.
    explicit QtSettingsStore(const std::string& filePath);
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::optional<std::int32_t> findInt(std::string_view section,
                                        std::string_view name) const override;
    std::optional<std::string> findText(std::string_view section,
                                        std::string_view name) const override;
    std::optional<SettingsBytes> findBinary(std::string_view section,
                                            std::string_view name) const override;
    bool writeInt(std::string_view section, std::string_view name, std::int32_t value) override;
    bool writeText(std::string_view section, std::string_view name,
                   std::string_view value) override;
    bool writeBinary(std::string_view section, std::string_view name,
                     const SettingsBytes& value) override;
    bool deleteValue(std::string_view section, std::string_view name) override;
    // Sorted as text, as QSettings keeps them.
    std::vector<std::string> valueNames(std::string_view section) const override;
    bool removeSection(std::string_view section) override;
    bool contains(std::string_view section, std::string_view name) const override;

    // The file behind the store.
    std::string fileName() const;

  private:
    QtSettingsStore(const std::string& filePath,
                    const std::optional<std::vector<std::string>>& sections);
    bool commit();
    bool writable() const;
    QVariant valueAt(const QString& key) const;

    std::string fileName_;
    // The file, where it is read whole and written; else null, and the values read kept
    // in `snapshot_`.
    std::unique_ptr<QSettings> settings_;
    QMap<QString, QVariant> snapshot_;
};

}  // namespace scoutwell
