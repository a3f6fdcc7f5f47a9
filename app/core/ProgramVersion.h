// The program's version, as the build states it once (CMake's project VERSION): the About
// box, the package and the manual page all show this one.
//
// Exercised by tests/gui/FirstSightTest.cpp.
#pragma once

namespace scoutwell {

// "1.0".
const char* programVersion();

}  // namespace scoutwell
