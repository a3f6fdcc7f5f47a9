#include "app/core/Settings.h"

#include <array>

#include "engine/SearchCriteria.h"

namespace scoutwell {
namespace {

// The remembered options in their stored order, each tied to its criteria field: the eight
// of the criteria form, then searching inside compressed files.
struct OptionField {
    const IntSetting* setting;
    bool SearchCriteria::*field;
};

const std::array<OptionField, 9> kOptionFields{{
    {&kMatchFilenameCase, &SearchCriteria::matchFilenameCase},
    {&kMatchContentsCase, &SearchCriteria::matchContentsCase},
    {&kAutoConvertToDos, &SearchCriteria::autoConvertToDos},
    {&kTreatContentsAsRegExp, &SearchCriteria::treatContentsAsRegExp},
    {&kExcludeFilename, &SearchCriteria::excludeFilename},
    {&kOnePhaseSearch, &SearchCriteria::onePhaseSearch},
    {&kEolUnix, &SearchCriteria::eolUnix},
    {&kEolMac, &SearchCriteria::eolMac},
    {&kSearchCompressed, &SearchCriteria::searchCompressed},
}};

}  // namespace

std::int32_t readSetting(const SettingsStore& store, const IntSetting& setting) {
    return store.readInt(setting.section, setting.name, setting.defaultValue);
}

bool writeSetting(SettingsStore& store, const IntSetting& setting, std::int32_t value) {
    return store.writeInt(setting.section, setting.name, value);
}

bool rememberOptions(const SettingsStore& store) {
    return readSetting(store, kRememberOptions) != 0;
}

bool rememberWindowSize(const SettingsStore& store) {
    return readSetting(store, kRememberWindowSize) != 0;
}

void loadOptions(const SettingsStore& store, SearchCriteria& criteria) {
    if (!rememberOptions(store))
        return;
    // The fallback is the record's own default, not whatever the caller left in it.
    static const SearchCriteria defaults;
    for (const auto& option : kOptionFields) {
        const bool fallback = defaults.*option.field;
        criteria.*option.field =
            store.readInt(option.setting->section, option.setting->name, fallback ? 1 : 0) != 0;
    }
}

bool saveOptions(SettingsStore& store, const SearchCriteria& criteria) {
    if (!rememberOptions(store))
        return true;
    bool allWritten = true;
    for (const auto& option : kOptionFields) {
        if (!writeSetting(store, *option.setting, (criteria.*option.field) ? 1 : 0)) {
            allWritten = false;
        }
    }
    return allWritten;
}

}  // namespace scoutwell
