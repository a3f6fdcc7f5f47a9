#include "app/core/Settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/SearchCriteria.h"

namespace scoutwell {
namespace {

struct OptionCase {
    const IntSetting* setting;
    bool SearchCriteria::*field;
};

const std::vector<OptionCase> kOptions = {
    {&kMatchFilenameCase, &SearchCriteria::matchFilenameCase},
    {&kMatchContentsCase, &SearchCriteria::matchContentsCase},
    {&kAutoConvertToDos, &SearchCriteria::autoConvertToDos},
    {&kTreatContentsAsRegExp, &SearchCriteria::treatContentsAsRegExp},
    {&kExcludeFilename, &SearchCriteria::excludeFilename},
    {&kOnePhaseSearch, &SearchCriteria::onePhaseSearch},
    {&kEolUnix, &SearchCriteria::eolUnix},
    {&kEolMac, &SearchCriteria::eolMac},
    {&kSearchCompressed, &SearchCriteria::searchCompressed},
};

TEST(Settings, OptionDefaultsAgreeWithTheCriteriaDefaults) {
    const SearchCriteria defaults;
    for (const auto& option : kOptions) {
        EXPECT_EQ(option.setting->defaultValue != 0, defaults.*option.field)
            << option.setting->name;
        EXPECT_STREQ(option.setting->section, "Options");
    }
    EXPECT_EQ(kEolUnix.defaultValue, 1);
    EXPECT_EQ(kFrameX.defaultValue, static_cast<std::int32_t>(0x80000000u));
    EXPECT_EQ(kNameColWidth.defaultValue, -1);
    EXPECT_STREQ(kFrameX.section, "Window Settings");
}

TEST(Settings, RememberSwitchesTakeAnyNonZeroValue) {
    MemorySettingsStore store;
    EXPECT_TRUE(rememberOptions(store));
    EXPECT_TRUE(rememberWindowSize(store));
    for (std::int32_t value : {0, 1, 2, -1}) {
        writeSetting(store, kRememberOptions, value);
        writeSetting(store, kRememberWindowSize, value);
        EXPECT_EQ(rememberOptions(store), value != 0);
        EXPECT_EQ(rememberWindowSize(store), value != 0);
    }
}

TEST(Settings, LoadOptionsReadsStoredValuesWithDefaultsForMissingOnes) {
    MemorySettingsStore store;
    store.writeInt(kOptionsSection, "MatchFilenameCase", 5);
    store.writeInt(kOptionsSection, "AutoConvertToDos", 0);
    store.writeInt(kOptionsSection, "EOLMac", 1);
    SearchCriteria criteria;
    criteria.eolUnix = false;  // missing values fall back to the record's defaults
    criteria.treatContentsAsRegExp = false;
    loadOptions(store, criteria);
    EXPECT_TRUE(criteria.matchFilenameCase);
    EXPECT_FALSE(criteria.matchContentsCase);
    EXPECT_FALSE(criteria.autoConvertToDos);
    EXPECT_TRUE(criteria.treatContentsAsRegExp);
    EXPECT_FALSE(criteria.excludeFilename);
    EXPECT_FALSE(criteria.onePhaseSearch);
    EXPECT_TRUE(criteria.eolUnix);
    EXPECT_TRUE(criteria.eolMac);
}

TEST(Settings, RememberOptionsOffMeansNoLoadingAndNoSaving) {
    MemorySettingsStore store;
    store.writeInt(kOptionsSection, "RememberOptions", 0);
    store.writeInt(kOptionsSection, "MatchFilenameCase", 1);
    SearchCriteria criteria;
    loadOptions(store, criteria);
    EXPECT_FALSE(criteria.matchFilenameCase);

    const int changesBefore = store.changeCount();
    criteria.excludeFilename = true;
    EXPECT_TRUE(saveOptions(store, criteria));
    EXPECT_EQ(store.changeCount(), changesBefore);
}

TEST(Settings, SaveOptionsWritesEveryOptionInTableOrder) {
    MemorySettingsStore store;
    SearchCriteria criteria;
    criteria.matchContentsCase = true;
    criteria.searchCompressed = true;
    criteria.autoConvertToDos = false;
    criteria.eolUnix = false;
    EXPECT_TRUE(saveOptions(store, criteria));
    EXPECT_EQ(
        store.valueNames(kOptionsSection),
        (std::vector<std::string>{"MatchFilenameCase", "MatchContentsCase", "AutoConvertToDos",
                                  "TreatContentsAsRegExp", "ExcludeFilename", "OnePhaseSearch",
                                  "EOLUnix", "EOLMac", "SearchCompressed"}));
    SearchCriteria reloaded;
    loadOptions(store, reloaded);
    for (const auto& option : kOptions) {
        EXPECT_EQ(reloaded.*option.field, criteria.*option.field) << option.setting->name;
    }

    store.failWritesOf(kOptionsSection, "EOLMac");
    EXPECT_FALSE(saveOptions(store, criteria));
}

}  // namespace
}  // namespace scoutwell
