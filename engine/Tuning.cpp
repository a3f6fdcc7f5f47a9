#include "engine/Tuning.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace scoutwell {
namespace {

// -1 until the environment has been read or a caller has decided.
std::atomic<int> plainState{-1};

int readEnvironment() {
    const char* value = std::getenv(kPlainAlgorithmVariable);
    return value != nullptr && std::strcmp(value, "1") == 0 ? 1 : 0;
}

}  // namespace

bool plainAlgorithm() {
    int state = plainState.load(std::memory_order_relaxed);
    if (state < 0) {
        int expected = -1;
        plainState.compare_exchange_strong(expected, readEnvironment(), std::memory_order_relaxed);
        state = plainState.load(std::memory_order_relaxed);
    }
    return state == 1;
}

void setPlainAlgorithm(bool plain) {
    plainState.store(plain ? 1 : 0, std::memory_order_relaxed);
}

}  // namespace scoutwell
