#include "engine/Clock.h"

#include <time.h>

namespace scoutwell {
namespace {

std::uint32_t monotonicTicks() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
}

TickFunction currentTick = nullptr;

}  // namespace

std::uint32_t tickCount() {
    return currentTick ? currentTick() : monotonicTicks();
}

void setTickFunction(TickFunction tick) {
    currentTick = tick;
}

}  // namespace scoutwell
