// A slow, plainly written regular-expression matcher that the tests hold the engine to.
//
// It parses the pattern into a tree and matches it recursively with continuations, in the
// engine's order of preference (alternatives in order, repetitions longest first, the
// leftmost offset first), recording group boundaries the same way: the last passage
// through a boundary on the successful path wins. It knows nothing of the engine's program
// format, its hints or its choice-point stack. Meant for short patterns and subjects only:
// its recursion is as deep as the subject is long, its time exponential at worst.
#pragma once

#include <string_view>

namespace scoutwell::reference {

struct Outcome {
    bool valid = false;
    int start = -1;  // -1: no match
    int length = 0;
    int groupStart[10];
    int groupEnd[10];
};

// Compiles `pattern` and searches `subject`, both up to their first NUL byte. Program size
// limits are not modelled.
Outcome search(std::string_view pattern, std::string_view subject);

}  // namespace scoutwell::reference
