// The backtracker of RegExp: the search over a subject, with its explicit stack of choice
// points and its memory of failed states.
#include <atomic>
#include <cstring>
#include <unordered_set>

#include "engine/RegExpProgram.h"

namespace scoutwell {

using namespace regexp;

namespace {

// Steps the matcher takes for free before it starts recording failed states; linear work
// per subject byte is normal, anything well beyond it means backtracking over old ground.
constexpr std::uint64_t kFreeSteps = 256;
constexpr std::uint64_t kFreeStepsPerByte = 4;
// Above this many states the failed-state table is a hash set instead of a bit table.
constexpr std::uint64_t kMaxStateBits = std::uint64_t{1} << 27;

std::atomic<int> freeStepsForTesting{-1};

}  // namespace

// Walks the program with an explicit stack of choice points, in the order of preference
// of the plain recursive algorithm: alternatives in order, repetitions longest first.
// Whether the rest of the program can succeed from a (node, position) pair depends on
// nothing else, so a choice point that ran out of options is remembered as failed for the
// whole search of this subject. Group boundaries are recorded as events along the current
// path and assigned only once End is reached.
struct RegExp::Matcher {
    Matcher(RegExp& re, std::string_view subject)
        : re_(re),
          code_(re.program_.data()),
          subject_(reinterpret_cast<const std::uint8_t*>(subject.data())),
          length_(static_cast<int>(subject.size())) {
        stateBits_ = static_cast<std::uint64_t>(re.stateCount_) * (length_ + 1);
        stepBudget_ = kFreeSteps + kFreeStepsPerByte * (length_ + 1) + stateBits_ / 64;
        if (int steps = freeStepsForTesting.load(); steps >= 0)
            stepBudget_ = steps;
    }

    // Runs the program from `start`; on success sets the group positions and `end`.
    bool tryAt(int start, int& end) {
        re_.choices_.clear();
        re_.events_.clear();
        int node = 0;
        int pos = start;
        for (;;) {
            if (advance(node, pos))
                break;
            if (!backtrack(node, pos))
                return false;
        }
        end = pos;
        for (int n = 0; n < kMaxGroups; ++n)
            re_.groupStart_[n] = re_.groupEnd_[n] = -1;
        // The last passage through a group boundary on the successful path wins.
        for (auto event = re_.events_.rbegin(); event != re_.events_.rend(); ++event) {
            int* slot = isGroupOpen(event->op) ? &re_.groupStart_[event->op - GroupOpen]
                                               : &re_.groupEnd_[event->op - GroupClose];
            if (*slot < 0)
                *slot = event->pos;
        }
        re_.groupStart_[0] = start;
        re_.groupEnd_[0] = end;
        return true;
    }

    std::uint64_t steps() const { return steps_; }

  private:
    // Follows the program from `node` until End (true) or a mismatch (false).
    bool advance(int& node, int& pos) {
        for (;;) {
            if (++steps_ > stepBudget_ && !recording_)
                startRecording();
            std::uint8_t op = code_[node];
            int next = nextNode(code_, node);
            switch (op) {
                case End:
                    return true;
                case LineStart:
                    if (pos != 0)
                        return false;
                    break;
                case LineEnd:
                    if (pos != length_)
                        return false;
                    break;
                case AnyByte:
                    if (pos >= length_)
                        return false;
                    ++pos;
                    break;
                case InSet:
                case NotInSet:
                    if (pos >= length_ ||
                        inSet(code_ + node + kNodeSize, subject_[pos]) != (op == InSet)) {
                        return false;
                    }
                    ++pos;
                    break;
                case Literal: {
                    const std::uint8_t* literal = code_ + node + kNodeSize;
                    if (pos >= length_ || subject_[pos] != literal[0])
                        return false;
                    std::size_t size = std::strlen(reinterpret_cast<const char*>(literal));
                    if (static_cast<std::size_t>(length_ - pos) < size ||
                        std::memcmp(subject_ + pos, literal, size) != 0) {
                        return false;
                    }
                    pos += static_cast<int>(size);
                    break;
                }
                case Empty:
                case LoopBack:
                    break;
                case Alternative:
                    if (next == kNone || code_[next] != Alternative) {
                        next = node + kNodeSize;  // the only alternative: no choice to make
                        break;
                    }
                    if (hasFailed(node, pos))
                        return false;
                    pushChoice(node, pos, node);
                    next = node + kNodeSize;
                    break;
                case ZeroOrMore:
                case OneOrMore: {
                    // The loop is remembered by the position where the rest of the
                    // program may first follow: from there it tries every position the
                    // operand reaches, furthest first, so a failed loop state stands for
                    // all of them and later loops stop their scan at it.
                    int first = pos;
                    if (op == OneOrMore) {
                        if (!operandMatches(node + kNodeSize, pos))
                            return false;
                        ++first;
                    }
                    if (hasFailed(node, first))
                        return false;
                    const int top = loopEnd(node, first);
                    const int at = nextCandidate(node, first, top);
                    if (at < 0) {
                        markLoopFailed(node, first, top);
                        return false;
                    }
                    re_.choices_.push_back(
                        {node, first, at, top, static_cast<std::uint32_t>(re_.events_.size())});
                    pos = at;
                    break;
                }
                default:
                    if (!isGroupOpen(op) && !isGroupClose(op))
                        return false;
                    re_.events_.push_back({op, pos});
                    break;
            }
            if (next == kNone)
                return false;
            node = next;
        }
    }

    // Resumes at the innermost choice point that has an option left.
    bool backtrack(int& node, int& pos) {
        while (!re_.choices_.empty()) {
            ChoicePoint& choice = re_.choices_.back();
            re_.events_.resize(choice.events);
            if (code_[choice.node] == Alternative) {
                int branch = nextNode(code_, choice.option);
                if (branch != kNone && code_[branch] == Alternative) {
                    choice.option = branch;
                    node = branch + kNodeSize;
                    pos = choice.pos;
                    return true;
                }
            } else {
                const int at = nextCandidate(choice.node, choice.pos, choice.option - 1);
                if (at >= 0) {
                    choice.option = at;
                    node = nextNode(code_, choice.node);
                    pos = at;
                    return true;
                }
                markLoopFailed(choice.node, choice.pos, choice.top);
                re_.choices_.pop_back();
                continue;
            }
            markFailed(choice.node, choice.pos);
            re_.choices_.pop_back();
        }
        return false;
    }

    void pushChoice(int node, int pos, int option) {
        re_.choices_.push_back(
            {node, pos, option, 0, static_cast<std::uint32_t>(re_.events_.size())});
    }

    // Whether the simple operand at `operand` matches the byte at `pos`.
    bool operandMatches(int operand, int pos) const {
        if (pos >= length_)
            return false;
        const std::uint8_t b = subject_[pos];
        const std::uint8_t* members = code_ + operand + kNodeSize;
        switch (code_[operand]) {
            case AnyByte:
                return true;
            case Literal:
                return b == members[0];
            case InSet:
                return inSet(members, b);
            case NotInSet:
                return !inSet(members, b);
            default:
                return false;
        }
    }

    // The furthest position the loop at `node` reaches from `first`, stopping short of a
    // position whose loop state has failed already (everything from there on was tried).
    int loopEnd(int node, int first) {
        const int operand = node + kNodeSize;
        int end = first;
        if (code_[operand] == AnyByte && !recording_) {
            end = length_;
        } else {
            while (operandMatches(operand, end) && !hasFailed(node, end + 1))
                ++end;
        }
        steps_ += static_cast<std::uint64_t>(end - first);
        return end;
    }

    // The furthest position from `from` down to `lowest` at which the rest of the program
    // is worth trying after the loop at `node`, or -1. When a literal follows, a position
    // whose byte cannot start it is not worth trying.
    int nextCandidate(int node, int lowest, int from) {
        const int next = nextNode(code_, node);
        if (next == kNone || code_[next] != Literal)
            return from >= lowest ? from : -1;
        const std::uint8_t nextByte = code_[next + kNodeSize];
        for (int at = from; at >= lowest; --at) {
            ++steps_;
            if (at < length_ && subject_[at] == nextByte)
                return at;
        }
        return -1;
    }

    // Every loop state from `first` to `top` has failed: the rest of the program failed
    // at each of those positions, and beyond `top` failed before or cannot be reached.
    void markLoopFailed(int node, int first, int top) {
        if (!recording_)
            return;
        for (int at = first; at <= top; ++at)
            markFailed(node, at);
    }

    void startRecording() {
        recording_ = true;
        if (stateBits_ <= kMaxStateBits) {
            re_.failedStates_.assign((stateBits_ + 63) / 64, 0);
        } else {
            hashed_ = true;
        }
    }

    std::uint64_t stateOf(int node, int pos) const {
        return static_cast<std::uint64_t>(re_.stateIndex_[node]) * (length_ + 1) + pos;
    }

    bool hasFailed(int node, int pos) const {
        if (!recording_)
            return false;
        std::uint64_t state = stateOf(node, pos);
        if (hashed_)
            return failedSet_.count(state) != 0;
        return (re_.failedStates_[state / 64] >> (state % 64)) & 1;
    }

    void markFailed(int node, int pos) {
        if (!recording_)
            return;
        std::uint64_t state = stateOf(node, pos);
        if (hashed_) {
            failedSet_.insert(state);
        } else {
            re_.failedStates_[state / 64] |= std::uint64_t{1} << (state % 64);
        }
    }

    RegExp& re_;
    const std::uint8_t* code_;
    const std::uint8_t* subject_;
    int length_;
    std::uint64_t stateBits_;
    std::uint64_t stepBudget_;
    std::uint64_t steps_ = 0;
    bool recording_ = false;
    bool hashed_ = false;
    std::unordered_set<std::uint64_t> failedSet_;
};

void RegExp::setFreeStepsForTesting(int steps) {
    freeStepsForTesting.store(steps);
}

int RegExp::search(std::string_view subject, int& matchLength) {
    matchLength = 0;
    matchedText_.clear();
    lastSearchSteps_ = 0;
    for (int n = 0; n < kMaxGroups; ++n)
        groupStart_[n] = groupEnd_[n] = -1;
    if (program_.empty())
        return -1;
    subject = subject.substr(0, subject.find('\0'));
    if (subject.size() >= static_cast<std::size_t>(INT32_MAX))
        return -1;
    if (mustLength_ != 0 && subject.find(mustContain()) == std::string_view::npos)
        return -1;

    Matcher matcher(*this, subject);
    int start = -1;
    int end = 0;
    if (anchored_) {
        if (matcher.tryAt(0, end))
            start = 0;
    } else if (firstByte_ != 0) {
        char c = static_cast<char>(firstByte_);
        for (std::size_t at = subject.find(c); at != std::string_view::npos;
             at = subject.find(c, at + 1)) {
            if (matcher.tryAt(static_cast<int>(at), end)) {
                start = static_cast<int>(at);
                break;
            }
        }
    } else {
        for (int at = 0; at <= static_cast<int>(subject.size()); ++at) {
            if (matcher.tryAt(at, end)) {
                start = at;
                break;
            }
        }
    }
    lastSearchSteps_ = matcher.steps();
    if (start < 0)
        return -1;
    matchLength = end - start;
    matchedText_.assign(subject.substr(start, matchLength));
    return start;
}

}  // namespace scoutwell
