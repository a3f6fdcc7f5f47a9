// The numbers of the messages the search engine posts to a document's views. Every number
// is WM_APP + n. The messages the window's parts pass among themselves are in
// framework/WindowMessages.h.
//
// Exercised by tests/engine/SearchEngineTest.cpp.
#pragma once

namespace scoutwell {

inline constexpr int WM_APP = 0x8000;
inline constexpr int WM_SEARCH_PROGRESS = 0x8064;
inline constexpr int WM_SEARCH_NEWRESULTS = 0x8065;
inline constexpr int WM_SEARCH_DONE = 0x8066;
inline constexpr int WM_SEARCH_FOLDER = 0x8072;

}  // namespace scoutwell
