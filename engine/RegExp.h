// The program's own regular-expression engine: a two-pass compiler that turns a pattern
// into a compact program of nodes, and a backtracking matcher that walks the program.
//
//   RegExp re;
//   if (re.compile("ab*c")) { int length; int start = re.search("xabbc", length); }
//
// Syntax: literal bytes; `\c` (c taken literally); `.`; `[set]` and `[^set]`; `^` and `$`
// (start and end of the subject); `( )` groups, at most 9; `*`, `+`, `?`; `|`.
// The match found is the leftmost one and, at that offset, the first in the matcher's
// order of preference (alternatives in order, repetitions longest first), not the longest.
//
// The matcher keeps its own stack of choice points and, once a search starts to backtrack
// heavily, remembers which (node, position) pairs have failed, so a search takes time
// linear in the subject's length for a given pattern and no input can exhaust the
// thread's stack. A repetition's failure is remembered for every position it reached, so
// trying it again from an earlier position costs only the new ground. Programs larger than
// kMaxProgramSize bytes cannot be linked with 16-bit offsets and are refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scoutwell {

class RegExp {
  public:
    static constexpr int kMaxGroups = 10;  // group 0 is the whole match
    static constexpr std::size_t kMaxProgramSize = 32767;

    enum Opcode : std::uint8_t {
        End = 0,
        LineStart = 1,
        LineEnd = 2,
        AnyByte = 3,
        InSet = 4,
        NotInSet = 5,
        Alternative = 6,
        LoopBack = 7,
        Literal = 8,
        Empty = 9,
        ZeroOrMore = 10,
        OneOrMore = 11,
        GroupOpen = 20,   // + n, n = 1..9
        GroupClose = 30,  // + n, n = 1..9
    };

    RegExp();
    RegExp(const RegExp& other);
    RegExp& operator=(const RegExp& other);
    RegExp(RegExp&&) noexcept;
    RegExp& operator=(RegExp&&) noexcept;
    ~RegExp();

    // Why a pattern was refused.
    enum class Error : std::uint8_t {
        None,
        TooManyGroups,      // a tenth `(`
        UnclosedGroup,      // a `(` without its `)`
        UnopenedGroup,      // a `)` without its `(`
        NothingToRepeat,    // `*`, `+` or `?` first, or right after `(` or `|`
        RepeatedRepeat,     // a repetition operator right after another
        RepeatOfEmpty,      // `*` or `+` on `^`, `$` or a group that can match nothing
        UnclosedSet,        // a `[` without its `]`
        ReversedRange,      // a set's range whose end comes before its start
        TrailingBackslash,  // a `\` that ends the pattern
        TooLong,            // the program would pass kMaxProgramSize
    };

    // Compiles `pattern` (up to its first NUL byte); replaces any earlier program. A tenth
    // group is reported through showMessage() before failing.
    bool compile(std::string_view pattern);
    // Why the last compile() failed, and the byte of the pattern the fault is at: the
    // operator, bracket or backslash at fault, or where the program grew too long.
    Error error() const { return error_; }
    std::size_t errorOffset() const { return errorOffset_; }

    // Searches `subject` (up to its first NUL byte). Returns the byte offset of the match
    // or -1; `matchLength` is the match's length, 0 when nothing matched.
    int search(std::string_view subject, int& matchLength);

    bool hasProgram() const { return !program_.empty(); }
    const std::vector<std::uint8_t>& program() const { return program_; }
    std::uint8_t firstByte() const { return firstByte_; }
    bool anchored() const { return anchored_; }
    // The literal every match contains; empty when none is known.
    std::string_view mustContain() const;
    // A literal that every match contains, the rarest of those the program shows; empty
    // when there is none. Found on every path through the program, not only the hints'.
    const std::string& requiredLiteral() const { return requiredLiteral_; }

    // For tests: the matcher steps a search may take before it starts recording failed
    // states; negative restores the automatic budget. Affects every RegExp of the process.
    static void setFreeStepsForTesting(int steps);

    // For tests: the steps the last search took, each a node visited or a subject byte
    // looked at by a repetition. Bounded by a multiple of the program's size times the
    // subject's length.
    std::uint64_t lastSearchSteps() const { return lastSearchSteps_; }

    // Positions of the last successful search, as byte offsets into the subject; -1 where
    // nothing was recorded. Index 0 is the whole match.
    int groupStart(int n) const { return groupStart_[n]; }
    int groupEnd(int n) const { return groupEnd_[n]; }
    const std::string& matchedText() const { return matchedText_; }

  private:
    struct Matcher;
    struct ChoicePoint;
    struct GroupEvent;

    std::vector<std::uint8_t> program_;
    std::uint8_t firstByte_ = 0;
    bool anchored_ = false;
    std::uint32_t mustOffset_ = 0;  // into program_
    std::uint32_t mustLength_ = 0;  // 0 = none
    std::string requiredLiteral_;
    Error error_ = Error::None;
    std::size_t errorOffset_ = 0;
    int groupStart_[kMaxGroups];
    int groupEnd_[kMaxGroups];
    std::string matchedText_;
    std::uint64_t lastSearchSteps_ = 0;
    // Dense index of every node at which the matcher makes a choice, by program offset;
    // -1 elsewhere. Sizes the table of failed states.
    std::vector<std::int32_t> stateIndex_;
    std::int32_t stateCount_ = 0;
    // Work space of the matcher, kept so that searching line after line does not allocate.
    std::vector<std::uint64_t> failedStates_;
    std::vector<ChoicePoint> choices_;
    std::vector<GroupEvent> events_;
};

// The compiler's message for a tenth group.
inline constexpr const char* kTooManyParensMessage =
    "Too many parens (). Max number allowed in expression is %d\n";

}  // namespace scoutwell
