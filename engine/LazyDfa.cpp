#include "engine/LazyDfa.h"

#include <algorithm>
#include <cstring>

#include "engine/RegExpProgram.h"

namespace scoutwell {

using namespace regexp;

namespace {

std::uint32_t makeThread(int node, int index) {
    return (static_cast<std::uint32_t>(node) << 16) | static_cast<std::uint32_t>(index);
}
int threadNode(std::uint32_t thread) {
    return static_cast<int>(thread >> 16);
}
int threadIndex(std::uint32_t thread) {
    return static_cast<int>(thread & 0xFFFF);
}

}  // namespace

LazyDfa::LazyDfa(const RegExp& regExp) : code_(regExp.program()) {
    seen_.assign(code_.size(), 0);
    reset();
}

void LazyDfa::reset() {
    states_.clear();
    index_.clear();
    transitions_.clear();
    if (code_.empty())
        return;
    std::vector<Thread> start{makeThread(0, 0)};
    closeOver(start, /*atStart=*/false, restart_);
    std::vector<Thread> first;
    closeOver(start, /*atStart=*/true, first);
    initial_ = stateFor(first);
}

// Adds the threads reached from (node, index) without consuming a byte, in the order the
// matcher would try them (the order does not matter for the answer, only the set).
void LazyDfa::addThread(int node, int index, bool atStart, bool atEnd, std::vector<Thread>& out,
                        std::vector<std::uint8_t>& seen) const {
    const std::uint8_t* code = code_.data();
    for (;;) {
        if (node < 0 || static_cast<std::size_t>(node) >= code_.size())
            return;
        const std::uint8_t op = code[node];
        const int next = nextNode(code, node);
        switch (op) {
            case RegExp::End:
            case RegExp::AnyByte:
            case RegExp::InSet:
            case RegExp::NotInSet:
                out.push_back(makeThread(node, 0));
                return;
            case RegExp::LineEnd:
                if (!atEnd) {
                    out.push_back(makeThread(node, 0));
                    return;
                }
                break;
            case RegExp::LineStart:
                if (!atStart)
                    return;
                break;
            case RegExp::Literal: {
                const auto length =
                    std::strlen(reinterpret_cast<const char*>(code + node + kNodeSize));
                if (static_cast<std::size_t>(index) < length) {
                    out.push_back(makeThread(node, index));
                    return;
                }
                break;
            }
            case RegExp::ZeroOrMore:
                out.push_back(makeThread(node, 0));
                break;
            case RegExp::OneOrMore:
                out.push_back(makeThread(node, index == 0 ? 0 : 1));
                if (index == 0)
                    return;
                break;
            case RegExp::Alternative: {
                if (seen[node])
                    return;
                seen[node] = 1;
                if (next == kNone || code[next] != RegExp::Alternative) {
                    node += kNodeSize;
                    index = 0;
                    continue;
                }
                for (int branch = node; branch != kNone && code[branch] == RegExp::Alternative;
                     branch = nextNode(code, branch)) {
                    addThread(branch + kNodeSize, 0, atStart, atEnd, out, seen);
                }
                return;
            }
            case RegExp::Empty:
            case RegExp::LoopBack:
                break;
            default:
                if (!(op > RegExp::GroupOpen && op < RegExp::GroupOpen + RegExp::kMaxGroups) &&
                    !(op > RegExp::GroupClose && op < RegExp::GroupClose + RegExp::kMaxGroups)) {
                    return;
                }
                break;
        }
        // Passing on without consuming: guard against going round a loop of such nodes.
        if (seen[node])
            return;
        seen[node] = 1;
        node = next;
        index = 0;
    }
}

void LazyDfa::closeOver(const std::vector<Thread>& raw, bool atStart,
                        std::vector<Thread>& out) const {
    out.clear();
    std::fill(seen_.begin(), seen_.end(), 0);
    for (Thread t : raw)
        addThread(threadNode(t), threadIndex(t), atStart, /*atEnd=*/false, out, seen_);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

bool LazyDfa::operandMatches(int operand, std::uint8_t b) const {
    const std::uint8_t* members = code_.data() + operand + kNodeSize;
    switch (code_[operand]) {
        case RegExp::AnyByte:
            return true;
        case RegExp::Literal:
            return members[0] == b;
        case RegExp::InSet:
            return inSet(members, b);
        case RegExp::NotInSet:
            return !inSet(members, b);
        default:
            return false;
    }
}

int LazyDfa::stateFor(std::vector<Thread>& threads) {
    const auto found = index_.find(threads);
    if (found != index_.end())
        return found->second;
    State state;
    state.threads = threads;
    for (Thread t : threads)
        state.accepting |= code_[threadNode(t)] == RegExp::End;
    const int id = static_cast<int>(states_.size());
    states_.push_back(std::move(state));
    index_.emplace(threads, id);
    transitions_.resize(states_.size() * 256, -1);
    return id;
}

int LazyDfa::step(int state, std::uint8_t b) {
    raw_.clear();
    for (Thread t : states_[state].threads) {
        const int node = threadNode(t);
        const int index = threadIndex(t);
        const int next = nextNode(code_.data(), node);
        switch (code_[node]) {
            case RegExp::AnyByte:
            case RegExp::InSet:
            case RegExp::NotInSet:
                if (operandMatches(node, b) && next != kNone)
                    raw_.push_back(makeThread(next, 0));
                break;
            case RegExp::Literal:
                if (code_[node + kNodeSize + index] == b)
                    raw_.push_back(makeThread(node, index + 1));
                break;
            case RegExp::ZeroOrMore:
            case RegExp::OneOrMore:
                if (operandMatches(node + kNodeSize, b))
                    raw_.push_back(makeThread(node, 1));
                break;
            default:
                break;
        }
    }
    raw_.insert(raw_.end(), restart_.begin(), restart_.end());
    closeOver(raw_, /*atStart=*/false, closed_);
    return stateFor(closed_);
}

bool LazyDfa::acceptsAtEnd(int state) {
    State& s = states_[state];
    if (s.acceptsAtEnd < 0) {
        std::vector<Thread> out;
        std::fill(seen_.begin(), seen_.end(), 0);
        for (Thread t : s.threads) {
            if (code_[threadNode(t)] == RegExp::LineEnd)
                addThread(nextNode(code_.data(), threadNode(t)), 0, /*atStart=*/false,
                          /*atEnd=*/true, out, seen_);
        }
        bool accepts = s.accepting;
        for (Thread t : out)
            accepts |= code_[threadNode(t)] == RegExp::End;
        states_[state].acceptsAtEnd = accepts ? 1 : 0;
    }
    return states_[state].acceptsAtEnd == 1;
}

LazyDfa::Answer LazyDfa::contains(std::string_view subject) {
    if (code_.empty())
        return Answer::No;
    if (const void* nul = std::memchr(subject.data(), 0, subject.size()))
        subject = subject.substr(
            0, static_cast<std::size_t>(static_cast<const char*>(nul) - subject.data()));
    if (subject.empty()) {
        // At once the start and the end of the subject.
        std::vector<Thread> out;
        std::fill(seen_.begin(), seen_.end(), 0);
        addThread(0, 0, /*atStart=*/true, /*atEnd=*/true, out, seen_);
        for (Thread t : out) {
            if (code_[threadNode(t)] == RegExp::End)
                return Answer::Yes;
        }
        return Answer::No;
    }
    if (states_.size() > kMaxStates)
        reset();
    int state = initial_;
    if (states_[state].accepting)
        return Answer::Yes;
    const auto* p = reinterpret_cast<const std::uint8_t*>(subject.data());
    const std::size_t size = subject.size();
    for (std::size_t i = 0; i < size; ++i) {
        std::int32_t next = transitions_[static_cast<std::size_t>(state) * 256 + p[i]];
        if (next < 0) {
            if (states_.size() > 2 * kMaxStates)
                return Answer::Unknown;
            next = step(state, p[i]);
            transitions_[static_cast<std::size_t>(state) * 256 + p[i]] = next;
        }
        state = next;
        if (states_[state].accepting)
            return Answer::Yes;
        if (states_[state].threads.empty())
            return Answer::No;  // nothing can start or go on: an anchored pattern failed
    }
    return acceptsAtEnd(state) ? Answer::Yes : Answer::No;
}

}  // namespace scoutwell
