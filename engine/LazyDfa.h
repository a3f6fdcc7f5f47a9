// A lazily built deterministic automaton over a compiled RegExp program that answers
// whether a subject contains a match, without the positions. The contents search asks it
// first and runs the backtracking matcher only on subjects it accepts.
//
//   LazyDfa dfa(regExp);
//   if (dfa.contains(line) != LazyDfa::Answer::No) regExp.search(line, length);
//
// `^` and `$` hold at the subject's start and end only, as in the matcher. States are
// made as the subjects need them; past kMaxStates the cache is dropped and rebuilt.
//
// Exercised by tests/engine/FastScanDifferentialTest.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "engine/RegExp.h"

namespace scoutwell {

class LazyDfa {
  public:
    enum class Answer { No, Yes, Unknown };
    static constexpr std::size_t kMaxStates = 2000;

    explicit LazyDfa(const RegExp& regExp);

    // Whether regExp.search(subject) would find a match (subject up to its first NUL).
    // Unknown only when a single subject needs more than kMaxStates states.
    Answer contains(std::string_view subject);

  private:
    using Thread = std::uint32_t;  // node offset << 16 | position inside the node
    struct State {
        std::vector<Thread> threads;
        bool accepting = false;  // a match has ended
        int acceptsAtEnd = -1;   // -1 until asked: whether `$` and End follow
    };

    void addThread(int node, int index, bool atStart, bool atEnd, std::vector<Thread>& out,
                   std::vector<std::uint8_t>& seen) const;
    void closeOver(const std::vector<Thread>& raw, bool atStart, std::vector<Thread>& out) const;
    bool operandMatches(int operand, std::uint8_t b) const;
    int stateFor(std::vector<Thread>& threads);
    int step(int state, std::uint8_t b);
    bool acceptsAtEnd(int state);
    void reset();

    std::vector<std::uint8_t> code_;
    std::vector<State> states_;
    std::map<std::vector<Thread>, int> index_;
    std::vector<std::int32_t> transitions_;  // states_ x 256, -1 when not built yet
    std::vector<Thread> restart_;            // threads of a match starting after byte 0
    int initial_ = -1;
    // Scratch space kept between steps.
    std::vector<Thread> raw_;
    std::vector<Thread> closed_;
    mutable std::vector<std::uint8_t> seen_;
};

}  // namespace scoutwell
