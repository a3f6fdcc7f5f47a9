// A damaged settings file, whole or value by value: every setting reads its default,
// the remembered options leave a search's criteria at their built-in values, and nothing
// crashes on the way.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/HistoryList.h"
#include "app/core/Settings.h"
#include "engine/SearchCriteria.h"
#include "platform/qt/QtSettingsStore.h"

namespace scoutwell {
namespace {

const std::vector<IntSetting> kAllIntSettings = {
    kRememberOptions,
    kRememberWindowSize,
    kMatchFilenameCase,
    kMatchContentsCase,
    kAutoConvertToDos,
    kTreatContentsAsRegExp,
    kExcludeFilename,
    kOnePhaseSearch,
    kEolUnix,
    kEolMac,
    kExpertUser,
    kExprWizDontShowIntro,
    kLeaveSpecialChars,
    kMatchTestRegExpCase,
    kFrameMaximized,
    kFrameX,
    kFrameY,
    kFrameWidth,
    kFrameHeight,
    kFileListWidth,
    kNameColWidth,
    kLocationColWidth,
    kSizeColWidth,
    kTypeColWidth,
    kModifiedColWidth,
    kWordWrap,
    kHighlightColor,
};

// A group or key as the INI file spells it.
std::string iniName(const std::string& name) {
    std::string out;
    for (const char c : name)
        out += c == ' ' ? std::string("%20") : std::string(1, c);
    return out;
}

class FaultSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/scoutwell-fault-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        path_ = dir_ + "/Scoutwell.conf";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void write(const std::string& contents) {
        std::filesystem::remove_all(path_);
        std::ofstream(path_, std::ios::binary) << contents;
    }

    // Every integer setting is at its default, the histories load within their limit, and
    // the options a search takes from the store are the built-in ones.
    void expectDefaults() {
        QtSettingsStore store(path_);
        for (const IntSetting& setting : kAllIntSettings)
            EXPECT_EQ(readSetting(store, setting), setting.defaultValue) << setting.name;
        for (const char* section :
             {kRecentFileNameSection, kRecentContainsSection, kRecentFoldersSection}) {
            HistoryList history(store, section);
            history.load();
            EXPECT_LE(history.entries().size(), static_cast<std::size_t>(HistoryList::kLimit))
                << section;
        }
        const SearchCriteria defaults;
        SearchCriteria criteria;
        loadOptions(store, criteria);
        EXPECT_EQ(criteria.matchFilenameCase, defaults.matchFilenameCase);
        EXPECT_EQ(criteria.matchContentsCase, defaults.matchContentsCase);
        EXPECT_EQ(criteria.autoConvertToDos, defaults.autoConvertToDos);
        EXPECT_EQ(criteria.treatContentsAsRegExp, defaults.treatContentsAsRegExp);
        EXPECT_EQ(criteria.excludeFilename, defaults.excludeFilename);
        EXPECT_EQ(criteria.onePhaseSearch, defaults.onePhaseSearch);
        EXPECT_EQ(criteria.eolUnix, defaults.eolUnix);
        EXPECT_EQ(criteria.eolMac, defaults.eolMac);
    }

    std::string dir_;
    std::string path_;
};

TEST_F(FaultSettingsTest, EveryDamagedValueReadsAsItsDefault) {
    const std::vector<std::string> damaged = {
        "zz",
        "",
        "99999999999999999999",
        "-99999999999",
        "1.5",
        "0x10",
        "1, 2, 3",
        "@ByteArray(\\xff\\xfe)",
        "@Invalid()",
        "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\xffjunk)",
        "@Variant(\\0\\0",
        "@Rect(1 2 3)",
        "\"unterminated",
        std::string("\x80\xff\xc3", 3),
    };
    for (const std::string& value : damaged) {
        SCOPED_TRACE("value " + value);
        std::string contents;
        for (const char* section : {kOptionsSection, kWindowSettingsSection}) {
            contents += "[" + iniName(section) + "]\n";
            for (const IntSetting& setting : kAllIntSettings) {
                if (std::string(setting.section) == section)
                    contents += iniName(setting.name) + "=" + value + "\n";
            }
        }
        for (const char* section :
             {kRecentFileNameSection, kRecentContainsSection, kRecentFoldersSection})
            contents += "[" + iniName(section) + "]\n1=" + value + "\n2=" + value + "\n";
        write(contents);
        expectDefaults();
        if (HasFatalFailure())
            return;
    }
}

TEST_F(FaultSettingsTest, DamagedFilesReadAsEmpty) {
    const std::vector<std::pair<const char*, std::string>> files = {
        {"empty", ""},
        {"binary", std::string("\x00\x01\x02\xff\xfe[\x00]=\n\x7f", 11)},
        {"brackets only", std::string(100000, '[')},
        {"one endless line", "[Options]\nRememberOptions=" + std::string(1 << 20, '7')},
        {"keys without values", "[Options]\nRememberOptions\nEOLUnix\n[Window%20Settings\n"},
        {"sections nested in keys", "RememberOptions=[Options]\n[[Options]]\nEOLUnix==0\n"},
        {"truncated escape", "[Options]\nEOLUnix=@Variant(\\"},
    };
    for (const auto& [what, contents] : files) {
        SCOPED_TRACE(what);
        write(contents);
        expectDefaults();
    }
    // Not a file at all: a folder, or a link to nowhere.
    std::filesystem::remove_all(path_);
    std::filesystem::create_directory(path_);
    expectDefaults();
    std::filesystem::remove_all(path_);
    std::filesystem::create_symlink(dir_ + "/nowhere", path_);
    expectDefaults();
}

}  // namespace
}  // namespace scoutwell
