// What every fuzz target shares: the libFuzzer entry point it defines, and the check that
// turns a wrong answer into a crash, so that libFuzzer keeps the input and the regression
// runner fails on it.
//
// Each target is built twice: with clang's libFuzzer for `make fuzz`, and with the normal
// compiler against RegressionMain.cpp, which feeds it the files of its corpus folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace scoutwell::fuzz {

// Reports `what` and aborts when `condition` does not hold.
inline void check(bool condition, const char* what) {
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// Reads the input front to back; past its end every read gives zero or nothing.
class InputReader {
  public:
    InputReader(const std::uint8_t* data, std::size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (bytes_.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(bytes_.front());
        bytes_.remove_prefix(1);
        return b;
    }
    // At most `n` bytes.
    std::string_view take(std::size_t n) {
        const std::string_view out = bytes_.substr(0, n);
        bytes_.remove_prefix(out.size());
        return out;
    }
    std::string_view rest() { return take(bytes_.size()); }

  private:
    std::string_view bytes_;
};

}  // namespace scoutwell::fuzz
