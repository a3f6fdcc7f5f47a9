// The numbers of the messages that pass between a search document, its frames and its
// views, beside the engine's own (engine/WindowMessages.h, included here). Every number is
// WM_APP + n.
//
// Exercised by tests/gui/ResultListViewTest.cpp.
#pragma once

#include "engine/WindowMessages.h"

namespace scoutwell {

inline constexpr int WM_SEARCH_STARTED = WM_APP + 0x67;
inline constexpr int WM_SEARCH_CLEANEDUP = WM_APP + 0x68;
inline constexpr int WM_SHOW_CONTENTS = WM_APP + 0x69;
inline constexpr int WM_TOGGLE_WORDWRAP = WM_APP + 0x6A;
inline constexpr int WM_SET_CONTENTS_FONT = WM_APP + 0x6B;
inline constexpr int WM_START_SEARCH = WM_APP + 0x6C;
inline constexpr int WM_STOP_SEARCH = WM_APP + 0x6D;
inline constexpr int WM_PRINT_CONTENTS = WM_APP + 0x6E;
inline constexpr int WM_PREVIEW_CONTENTS = WM_APP + 0x6F;
inline constexpr int WM_EXPRWIZ_RECOMPUTE = WM_APP + 0x70;
inline constexpr int WM_EXPRWIZ_ONE_CHARACTER = WM_APP + 0x71;
inline constexpr int WM_CRITERIA_BEFORE_STORE = WM_APP + 0x73;
inline constexpr int WM_CRITERIA_BEFORE_LOAD = WM_APP + 0x74;
inline constexpr int WM_CRITERIA_AFTER_STORE = WM_APP + 0x75;
inline constexpr int WM_CRITERIA_AFTER_LOAD = WM_APP + 0x76;
inline constexpr int WM_SELECT_ALL_FILES = WM_APP + 0x77;
inline constexpr int WM_SORT_BY_NAME = WM_APP + 0x78;
inline constexpr int WM_SORT_BY_LOCATION = WM_APP + 0x79;
inline constexpr int WM_SORT_BY_MODIFIED = WM_APP + 0x7A;
inline constexpr int WM_SORT_BY_SIZE = WM_APP + 0x7B;
inline constexpr int WM_SORT_BY_TYPE = WM_APP + 0x7C;
inline constexpr int WM_SAVE_FILE_LIST_WIDTH = WM_APP + 0x7D;
inline constexpr int WM_SET_HIGHLIGHT_COLOUR = WM_APP + 0x7E;
inline constexpr int WM_FILE_REMOVED = WM_APP + 0x7F;
inline constexpr int WM_ACTIVATE_VIEW = WM_APP + 0x81;

}  // namespace scoutwell
