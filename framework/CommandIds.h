// The command ids of the menus, toolbar and accelerators. A command's QAction carries its
// id in QAction::data(); the frames route it to the active view, the document, the child
// frame and the main frame, in that order.
//
// Exercised by tests/gui/ArchiveMemberRowsTest.cpp, tests/gui/FirstSightTest.cpp,
//  tests/gui/MainFrameTest.cpp, tests/gui/ResultListShellTest.cpp,
//  tests/gui/SaveResultsDialogTest.cpp, tests/gui/SearchDocumentTest.cpp and others.
#pragma once

namespace scoutwell {

// Commands of the criteria form (Enter and Escape).
inline constexpr int ID_OK = 1;
inline constexpr int ID_CANCEL = 2;

inline constexpr int ID_TEST_REGEXP = 32771;
inline constexpr int ID_WORD_WRAP = 32773;
inline constexpr int ID_SET_FONT = 32774;
inline constexpr int ID_SEARCH_START = 32775;
inline constexpr int ID_SEARCH_STOP = 32776;
inline constexpr int ID_HELP_CONTENTS = 32779;
inline constexpr int ID_SELECT_ALL = 32782;
inline constexpr int ID_SORT_BY_NAME = 32784;
inline constexpr int ID_SORT_BY_LOCATION = 32785;
inline constexpr int ID_SORT_BY_SIZE = 32786;
inline constexpr int ID_SORT_BY_TYPE = 32787;
inline constexpr int ID_SORT_BY_DATE = 32788;
inline constexpr int ID_SET_HIGHLIGHT_COLOUR = 32789;
inline constexpr int ID_SAVE_RESULTS = 32793;
inline constexpr int ID_ONE_PHASE = 32794;
inline constexpr int ID_DELETE = 32796;
inline constexpr int ID_CLEAR_HISTORY = 32797;
inline constexpr int ID_CONFIGURATION = 32799;

inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PRINT_SETUP = 57606;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_FILE_MRU_FILE1 = 57616;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_WINDOW_ARRANGE = 57649;
inline constexpr int ID_WINDOW_CASCADE = 57650;
inline constexpr int ID_WINDOW_TILE = 57651;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;

}  // namespace scoutwell
