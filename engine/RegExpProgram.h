// The layout of a compiled RegExp program, shared by its compiler, its literal analysis,
// its backtracker and the lazy automaton: each node is a 1-byte opcode and a 16-bit next
// offset (0 = none; counted backward for LoopBack), then the operand of Literal, InSet and
// NotInSet (NUL-terminated bytes) or of a repetition (one simple node).
//
// Internal to the engine's regular-expression files; everyone else uses RegExp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/RegExp.h"

namespace scoutwell::regexp {

inline constexpr int kNodeSize = 3;
inline constexpr int kNone = -1;

inline bool isGroupOpen(std::uint8_t op) {
    return op > RegExp::GroupOpen && op < RegExp::GroupOpen + RegExp::kMaxGroups;
}
inline bool isGroupClose(std::uint8_t op) {
    return op > RegExp::GroupClose && op < RegExp::GroupClose + RegExp::kMaxGroups;
}

// Offset of the node after `at`, or kNone.
inline int nextNode(const std::uint8_t* code, int at) {
    const int offset = (code[at + 1] << 8) | code[at + 2];
    if (offset == 0)
        return kNone;
    return code[at] == RegExp::LoopBack ? at - offset : at + offset;
}

// Whether `b` is one of the NUL-terminated `members` of a set.
inline bool inSet(const std::uint8_t* members, std::uint8_t b) {
    for (; *members; ++members) {
        if (*members == b)
            return true;
    }
    return false;
}

// Among the literals every way through the program must match, the best one for a scan;
// empty when there is none (RegExpLiterals.cpp).
std::string findRequiredLiteral(const std::vector<std::uint8_t>& program);

}  // namespace scoutwell::regexp

namespace scoutwell {

// The matcher's work space, kept in each RegExp so that searching line after line does
// not allocate (RegExpBacktracker.cpp).
struct RegExp::ChoicePoint {
    std::int32_t node;  // the Alternative or repetition node that made the choice
    // Alternative: the input position when the choice was made; repetition: the first
    // position at which the rest of the program may follow (after the minimum count)
    std::int32_t pos;
    // Alternative: the branch being tried; repetition: where the rest of the program is
    // being tried
    std::int32_t option;
    std::int32_t top;      // repetition: the furthest position the operand reaches
    std::uint32_t events;  // group events recorded before the choice
};

struct RegExp::GroupEvent {
    std::uint8_t op;  // GroupOpen + n or GroupClose + n
    std::int32_t pos;
};

}  // namespace scoutwell
