// The RegExp type itself; its compiler, literal analysis and backtracker have a file each
// (RegExpCompiler.cpp, RegExpLiterals.cpp, RegExpBacktracker.cpp).
#include "engine/RegExp.h"

#include "engine/RegExpProgram.h"

namespace scoutwell {

RegExp::RegExp() {
    for (int n = 0; n < kMaxGroups; ++n)
        groupStart_[n] = groupEnd_[n] = -1;
}
RegExp::RegExp(const RegExp& other) = default;
RegExp& RegExp::operator=(const RegExp& other) = default;
RegExp::RegExp(RegExp&&) noexcept = default;
RegExp& RegExp::operator=(RegExp&&) noexcept = default;
RegExp::~RegExp() = default;

std::string_view RegExp::mustContain() const {
    if (mustLength_ == 0)
        return {};
    return {reinterpret_cast<const char*>(program_.data() + mustOffset_), mustLength_};
}

}  // namespace scoutwell
