// A report of where the criteria form's File name and Look in boxes are on the screen,
// for tests that start the real program under an X server and check the screen itself.
//
//   SCOUTWELL_REPORT_CONTROLS=/tmp/report.txt scoutwell &
//   # once the file exists: take a screenshot, then remove the file; the program closes
//
// Each line reads "<control> <x> <y> <width> <height> <wholly-shown>", in screen pixels;
// wholly-shown is 1 when no enclosing widget or the screen's edge cuts the control.
#pragma once

#include <QString>

namespace scoutwell {

class CMainFrame;

inline constexpr const char* kReportControlsVariable = "SCOUTWELL_REPORT_CONTROLS";

// Writes the report to `path` once `frame` is on the screen, and closes the frame when the
// file is removed.
void reportControlsWhenShown(CMainFrame& frame, const QString& path);

}  // namespace scoutwell
