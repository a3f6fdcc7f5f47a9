// The numbers of the messages that pass between a search document, its frames and its
// views, beside the engine's own (engine/WindowMessages.h, included here). Every number is
// WM_APP + n.
#pragma once

#include "engine/WindowMessages.h"

namespace scoutwell {

inline constexpr int WM_SEARCH_STARTED = 0x8067;
inline constexpr int WM_SEARCH_CLEANEDUP = 0x8068;
inline constexpr int WM_SHOW_CONTENTS = 0x8069;
inline constexpr int WM_TOGGLE_WORDWRAP = 0x806A;
inline constexpr int WM_SET_CONTENTS_FONT = 0x806B;
inline constexpr int WM_START_SEARCH = 0x806C;
inline constexpr int WM_STOP_SEARCH = 0x806D;
inline constexpr int WM_PRINT_CONTENTS = 0x806E;
inline constexpr int WM_PREVIEW_CONTENTS = 0x806F;
inline constexpr int WM_EXPRWIZ_RECOMPUTE = 0x8070;
inline constexpr int WM_EXPRWIZ_ONE_CHARACTER = 0x8071;
inline constexpr int WM_CRITERIA_BEFORE_STORE = 0x8073;
inline constexpr int WM_CRITERIA_BEFORE_LOAD = 0x8074;
inline constexpr int WM_CRITERIA_AFTER_STORE = 0x8075;
inline constexpr int WM_CRITERIA_AFTER_LOAD = 0x8076;
inline constexpr int WM_SELECT_ALL_FILES = 0x8077;
inline constexpr int WM_SORT_BY_NAME = 0x8078;
inline constexpr int WM_SORT_BY_LOCATION = 0x8079;
inline constexpr int WM_SORT_BY_MODIFIED = 0x807A;
inline constexpr int WM_SORT_BY_SIZE = 0x807B;
inline constexpr int WM_SORT_BY_TYPE = 0x807C;
inline constexpr int WM_SAVE_FILE_LIST_WIDTH = 0x807D;
inline constexpr int WM_SET_HIGHLIGHT_COLOUR = 0x807E;
inline constexpr int WM_FILE_REMOVED = 0x807F;
inline constexpr int WM_ACTIVATE_VIEW = 0x8081;

}  // namespace scoutwell
