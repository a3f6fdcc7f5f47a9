// The per-user key/value store behind every setting and history of the program.
//
// Values live in named sections; each value is an integer, a text or a byte array. The
// program uses a QSettings adapter (platform/qt/QtSettingsStore.h); tests use the
// in-memory store below. Reads never fail: a missing or unreadable value gives the
// caller's default. Writes and deletions report whether they took effect.
//
// Exercised by tests/criteria/ExpressionModelTest.cpp, tests/gui/FramePlacementTest.cpp,
//  tests/gui/ResultListViewTest.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scoutwell {

using SettingsBytes = std::vector<std::uint8_t>;

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // The value when it exists and has the asked-for type, else nothing.
    virtual std::optional<std::int32_t> findInt(std::string_view section,
                                                std::string_view name) const = 0;
    virtual std::optional<std::string> findText(std::string_view section,
                                                std::string_view name) const = 0;
    virtual std::optional<SettingsBytes> findBinary(std::string_view section,
                                                    std::string_view name) const = 0;

    virtual bool writeInt(std::string_view section, std::string_view name, std::int32_t value) = 0;
    virtual bool writeText(std::string_view section, std::string_view name,
                           std::string_view value) = 0;
    virtual bool writeBinary(std::string_view section, std::string_view name,
                             const SettingsBytes& value) = 0;

    // False when the value could not be removed; removing a missing value succeeds.
    virtual bool deleteValue(std::string_view section, std::string_view name) = 0;
    // The names of the section's values (empty for a missing section).
    virtual std::vector<std::string> valueNames(std::string_view section) const = 0;
    virtual bool removeSection(std::string_view section) = 0;
    virtual bool contains(std::string_view section, std::string_view name) const = 0;

    std::int32_t readInt(std::string_view section, std::string_view name,
                         std::int32_t defaultValue) const {
        return findInt(section, name).value_or(defaultValue);
    }
    std::string readText(std::string_view section, std::string_view name,
                         std::string_view defaultValue = {}) const {
        if (auto value = findText(section, name))
            return std::move(*value);
        return std::string(defaultValue);
    }
    SettingsBytes readBinary(std::string_view section, std::string_view name,
                             const SettingsBytes& defaultValue = {}) const {
        if (auto value = findBinary(section, name))
            return std::move(*value);
        return defaultValue;
    }
};

// Keeps every value in memory, value names in the order first written. Tests make single
// writes or deletions fail to exercise the callers' error paths.
class MemorySettingsStore : public SettingsStore {
  public:
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
    std::vector<std::string> valueNames(std::string_view section) const override;
    bool removeSection(std::string_view section) override;
    bool contains(std::string_view section, std::string_view name) const override;

    // Writes of this value (any type) fail from now on.
    void failWritesOf(std::string_view section, std::string_view name);
    // Deletions of this value fail from now on.
    void failDeletionsOf(std::string_view section, std::string_view name);
    // Every write and deletion fails from now on.
    void failAllChanges(bool fail) { failAll_ = fail; }
    // The number of successful writes and deletions so far.
    int changeCount() const { return changeCount_; }
    // The names of the sections that exist.
    std::vector<std::string> sectionNames() const;

  private:
    struct Value {
        enum Type { kInt, kText, kBinary } type = kInt;
        std::int32_t number = 0;
        std::string text;
        SettingsBytes bytes;
    };
    struct Section {
        std::vector<std::pair<std::string, Value>> values;  // in first-written order
    };
    using Key = std::pair<std::string, std::string>;

    const Value* find(std::string_view section, std::string_view name) const;
    bool store(std::string_view section, std::string_view name, Value value);

    std::map<std::string, Section, std::less<>> sections_;
    std::set<Key> failingWrites_;
    std::set<Key> failingDeletions_;
    bool failAll_ = false;
    int changeCount_ = 0;
};

}  // namespace scoutwell
