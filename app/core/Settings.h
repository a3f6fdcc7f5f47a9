// The names, sections and defaults of every stored setting, and the two operations that
// tie the "Options" section to a SearchCriteria.
//
//   if (rememberWindowSize(store)) width = readSetting(store, kFrameWidth);
//   loadOptions(store, criteria);   // when a search's criteria are constructed
//   saveOptions(store, criteria);   // when the Options page's data are saved
#pragma once

#include <cstdint>

#include "app/core/SettingsStore.h"

namespace scoutwell {

class SearchCriteria;

// One integer value with its section and the default that applies when it is missing.
struct IntSetting {
    const char* section;
    const char* name;
    std::int32_t defaultValue;
};

std::int32_t readSetting(const SettingsStore& store, const IntSetting& setting);
bool writeSetting(SettingsStore& store, const IntSetting& setting, std::int32_t value);

// The product key of the store.
inline constexpr const char* kSettingsOrganisation = "Kestrel_EXE";
inline constexpr const char* kSettingsApplication = "Scoutwell";

inline constexpr const char* kOptionsSection = "Options";
inline constexpr IntSetting kRememberOptions{kOptionsSection, "RememberOptions", 1};
inline constexpr IntSetting kRememberWindowSize{kOptionsSection, "RememberWindowSize", 1};
inline constexpr IntSetting kMatchFilenameCase{kOptionsSection, "MatchFilenameCase", 0};
inline constexpr IntSetting kMatchContentsCase{kOptionsSection, "MatchContentsCase", 0};
inline constexpr IntSetting kAutoConvertToDos{kOptionsSection, "AutoConvertToDos", 1};
inline constexpr IntSetting kTreatContentsAsRegExp{kOptionsSection, "TreatContentsAsRegExp", 1};
inline constexpr IntSetting kExcludeFilename{kOptionsSection, "ExcludeFilename", 0};
inline constexpr IntSetting kOnePhaseSearch{kOptionsSection, "OnePhaseSearch", 0};
// LF is this platform's line end, so it counts as one unless the user switches it off.
inline constexpr IntSetting kEolUnix{kOptionsSection, "EOLUnix", 1};
inline constexpr IntSetting kEolMac{kOptionsSection, "EOLMac", 0};
// Compressed files are searched in their decompressed text (the Options tab, -z).
inline constexpr IntSetting kSearchCompressed{kOptionsSection, "SearchCompressed", 0};
inline constexpr IntSetting kExpertUser{kOptionsSection, "ExpertUser", 1};
inline constexpr IntSetting kExprWizDontShowIntro{kOptionsSection, "ExprWiz_DontShowIntro", 0};
inline constexpr IntSetting kLeaveSpecialChars{kOptionsSection, "LeaveSpecialChars", 0};
inline constexpr IntSetting kMatchTestRegExpCase{kOptionsSection, "MatchTestRegExpCase", 0};

inline constexpr const char* kWindowSettingsSection = "Window Settings";
// A frame position or extent that lets the window system choose.
inline constexpr std::int32_t kLetSystemChoose = INT32_MIN;  // 0x80000000 as a DWORD
// A pane or column width that was never stored.
inline constexpr std::int32_t kNoStoredWidth = -1;
inline constexpr IntSetting kFrameMaximized{kWindowSettingsSection, "Frame_Maximized", 0};
inline constexpr IntSetting kFrameX{kWindowSettingsSection, "Frame_X", kLetSystemChoose};
inline constexpr IntSetting kFrameY{kWindowSettingsSection, "Frame_Y", kLetSystemChoose};
inline constexpr IntSetting kFrameWidth{kWindowSettingsSection, "FrameWidth", kLetSystemChoose};
inline constexpr IntSetting kFrameHeight{kWindowSettingsSection, "FrameHeight", kLetSystemChoose};
inline constexpr IntSetting kFileListWidth{kWindowSettingsSection, "FileListWidth", kNoStoredWidth};
inline constexpr IntSetting kNameColWidth{kWindowSettingsSection, "NameColWidth", kNoStoredWidth};
inline constexpr IntSetting kLocationColWidth{kWindowSettingsSection, "LocationColWidth",
                                              kNoStoredWidth};
inline constexpr IntSetting kSizeColWidth{kWindowSettingsSection, "SizeColWidth", kNoStoredWidth};
inline constexpr IntSetting kTypeColWidth{kWindowSettingsSection, "TypeColWidth", kNoStoredWidth};
inline constexpr IntSetting kModifiedColWidth{kWindowSettingsSection, "ModifiedColWidth",
                                              kNoStoredWidth};
inline constexpr IntSetting kWordWrap{kWindowSettingsSection, "WordWrap", 0};
// A colour value with red in the low byte: 0xFF0000 is pure blue.
inline constexpr IntSetting kHighlightColor{kWindowSettingsSection, "HighlightColor", 0xFF0000};
// The contents font as its text description; no default: a missing value keeps the
// view's own font. Its point size is an integer value without a default either.
inline constexpr const char* kContentsFont = "ContentsFont";
inline constexpr const char* kContentsFontPointSize = "ContentsFontPointSize";

// The three drop-down histories; values "1" to "20", "1" the most recent.
inline constexpr const char* kRecentFileNameSection = "RecentFileName";
inline constexpr const char* kRecentContainsSection = "RecentContains";
inline constexpr const char* kRecentFoldersSection = "RecentFolders";

// The recent criteria files of the File menu: "File1" to "File4".
inline constexpr const char* kRecentFileListSection = "Recent File List";
inline constexpr const char* kRecentFileFormat = "File%d";
inline constexpr int kRecentFileCount = 4;

inline constexpr const char* kFrameworkSettingsSection = "Settings";
inline constexpr const char* kPreviewPages = "PreviewPages";

// Any non-zero value switches them on.
bool rememberOptions(const SettingsStore& store);
bool rememberWindowSize(const SettingsStore& store);

// With RememberOptions on, sets the eight criteria options from the store, each missing
// value taking the criteria's built-in default; otherwise leaves the criteria alone.
void loadOptions(const SettingsStore& store, SearchCriteria& criteria);

// With RememberOptions on at this moment, writes the eight options in their table order
// and returns whether every write succeeded; otherwise writes nothing and returns true.
bool saveOptions(SettingsStore& store, const SearchCriteria& criteria);

}  // namespace scoutwell
