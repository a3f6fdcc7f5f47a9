// The unattended mode (-o): one search run to its end on the calling thread, without any
// window, its results written to the output file as tab-separated rows, each followed by
// its hit lines when contents are searched.
//
//   int status = runUnattendedSearch(app, commandLineProblems);
#pragma once

#include "app/core/Application.h"

namespace scoutwell {

// Exit statuses of the unattended mode.
inline constexpr int kExitItemsWritten = 0;
inline constexpr int kExitNothingFound = 1;
inline constexpr int kExitCouldNotRun = 2;

// Runs the search that the command line describes and returns the exit status. Problems
// are reported through showMessage. `commandLineProblems` counts the messages the parse
// raised: a headless run never guesses around a mistyped command line.
int runUnattendedSearch(const Application& app, int commandLineProblems);

}  // namespace scoutwell
