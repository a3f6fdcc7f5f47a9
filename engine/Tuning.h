// A switch between the fast search paths and the plain algorithms they must agree with.
// Tests and benchmarks turn the plain algorithm on to compare results; the program reads
// SCOUTWELL_PLAIN=1 from the environment once, at the first call.
//
// Exercised by tests/engine/DecodingTest.cpp, tests/engine/FastScanDifferentialTest.cpp,
//  tests/engine/WalkDifferentialTest.cpp.
#pragma once

namespace scoutwell {

// True when the searches should use the plain (reference) algorithms.
bool plainAlgorithm();

// Overrides the environment's choice for the whole process. Set it before a search starts.
void setPlainAlgorithm(bool plain);

// The environment variable that selects the plain algorithms when set to "1".
inline constexpr const char* kPlainAlgorithmVariable = "SCOUTWELL_PLAIN";

}  // namespace scoutwell
