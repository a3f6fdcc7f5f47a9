// Millisecond ticks for the search's throttles, from a monotonic clock. Tests may put a
// clock of their own in its place.
//
// Exercised by tests/engine/SearchEngineTest.cpp.
#pragma once

#include <cstdint>

namespace scoutwell {

using TickFunction = std::uint32_t (*)();

// Milliseconds since an arbitrary start; wraps like any 32-bit tick counter.
std::uint32_t tickCount();

// Replaces the clock (nullptr restores the monotonic one). Not thread-safe: set it before
// a search starts.
void setTickFunction(TickFunction tick);

}  // namespace scoutwell
