#include "engine/RegExp.h"

#include <atomic>
#include <cstring>
#include <tuple>
#include <unordered_set>
#include <utility>

#include "engine/LiteralScan.h"
#include "engine/Messages.h"
#include "engine/Text.h"

namespace scoutwell {

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

namespace {

constexpr int kNodeSize = 3;
constexpr int kNone = -1;

// Parse flags of an atom, piece, branch or group.
constexpr int kHasWidth = 1;          // every way through it consumes at least one byte
constexpr int kSimple = 2;            // one byte, `.`, a set or an escaped byte
constexpr int kStartsWithRepeat = 4;  // its first piece carries `*` or `+`

constexpr std::string_view kMetaBytes = "^$.[()|?+*\\";

// Steps the matcher takes for free before it starts recording failed states; linear work
// per subject byte is normal, anything well beyond it means backtracking over old ground.
constexpr std::uint64_t kFreeSteps = 256;
constexpr std::uint64_t kFreeStepsPerByte = 4;
// Above this many states the failed-state table is a hash set instead of a bit table.
constexpr std::uint64_t kMaxStateBits = std::uint64_t{1} << 27;

std::atomic<int> freeStepsForTesting{-1};

bool isRepeat(char c) {
    return c == '*' || c == '+' || c == '?';
}

bool isGroupOpen(std::uint8_t op) {
    return op > RegExp::GroupOpen && op < RegExp::GroupOpen + RegExp::kMaxGroups;
}
bool isGroupClose(std::uint8_t op) {
    return op > RegExp::GroupClose && op < RegExp::GroupClose + RegExp::kMaxGroups;
}

// Offset of the node after `at`, or kNone.
int nextNode(const std::uint8_t* code, int at) {
    int offset = (code[at + 1] << 8) | code[at + 2];
    if (offset == 0)
        return kNone;
    return code[at] == RegExp::LoopBack ? at - offset : at + offset;
}

// Parses the pattern once. Without `code` it only adds up the program size; with it, it
// emits into `code`, which must already have that size and be zero-filled.
class Compiler {
  public:
    Compiler(std::string_view pattern, std::vector<std::uint8_t>* code)
        : pattern_(pattern), code_(code ? code->data() : nullptr) {}

    bool run(int& flags) { return expression(/*inGroup=*/false, flags) != kNone; }
    std::size_t size() const { return size_; }

  private:
    char peek() const { return pos_ < pattern_.size() ? pattern_[pos_] : '\0'; }

    int node(std::uint8_t op) {
        int at = static_cast<int>(size_);
        if (code_)
            code_[at] = op;  // the next offset stays 0 until linked
        size_ += kNodeSize;
        return at;
    }

    void byte(std::uint8_t b) {
        if (code_)
            code_[size_] = b;
        ++size_;
    }

    // Puts a node in front of the operand that starts at `at`, moving the operand up.
    void insertNode(std::uint8_t op, int at) {
        if (code_) {
            std::memmove(code_ + at + kNodeSize, code_ + at, size_ - at);
            code_[at] = op;
            code_[at + 1] = 0;
            code_[at + 2] = 0;
        }
        size_ += kNodeSize;
    }

    // Links the last node of the chain that starts at `from` to `target`.
    void linkTail(int from, int target) {
        if (!code_)
            return;
        int last = from;
        for (int next = nextNode(code_, last); next != kNone; next = nextNode(code_, last)) {
            last = next;
        }
        int offset = code_[last] == RegExp::LoopBack ? last - target : target - last;
        code_[last + 1] = static_cast<std::uint8_t>(offset >> 8);
        code_[last + 2] = static_cast<std::uint8_t>(offset & 0xFF);
    }

    // Links the end of an Alternative's own branch (its operand) to `target`.
    void linkBranchTail(int at, int target) {
        if (code_ && code_[at] == RegExp::Alternative)
            linkTail(at + kNodeSize, target);
    }

    int expression(bool inGroup, int& flags);
    int branch(int& flags);
    int piece(int& flags);
    int atom(int& flags);
    int set(int& flags);

    std::string_view pattern_;
    std::size_t pos_ = 0;
    std::uint8_t* code_;
    std::size_t size_ = 0;
    int groups_ = 1;
};

int Compiler::expression(bool inGroup, int& flags) {
    flags = kHasWidth;
    int first = kNone;
    int group = 0;
    if (inGroup) {
        if (groups_ >= RegExp::kMaxGroups) {
            showMessage(text::format(kTooManyParensMessage, RegExp::kMaxGroups));
            return kNone;
        }
        group = groups_++;
        first = node(static_cast<std::uint8_t>(RegExp::GroupOpen + group));
    }

    for (;;) {
        int branchFlags = 0;
        int alternative = branch(branchFlags);
        if (alternative == kNone)
            return kNone;
        if (first == kNone) {
            first = alternative;
        } else {
            linkTail(first, alternative);
        }
        if (!(branchFlags & kHasWidth))
            flags &= ~kHasWidth;
        flags |= branchFlags & kStartsWithRepeat;
        if (peek() != '|')
            break;
        ++pos_;
    }

    int ender = node(inGroup ? static_cast<std::uint8_t>(RegExp::GroupClose + group)
                             : static_cast<std::uint8_t>(RegExp::End));
    linkTail(first, ender);
    if (code_) {
        for (int at = first; at != kNone; at = nextNode(code_, at))
            linkBranchTail(at, ender);
    }

    if (inGroup) {
        if (peek() != ')')
            return kNone;
        ++pos_;
    } else if (pos_ < pattern_.size()) {
        return kNone;  // a `)` without its `(`: branches stop only there or at the end
    }
    return first;
}

int Compiler::branch(int& flags) {
    flags = 0;
    int start = node(RegExp::Alternative);
    int last = kNone;
    while (peek() != '\0' && peek() != '|' && peek() != ')') {
        int pieceFlags = 0;
        int latest = piece(pieceFlags);
        if (latest == kNone)
            return kNone;
        flags |= pieceFlags & kHasWidth;
        if (last == kNone) {
            flags |= pieceFlags & kStartsWithRepeat;
        } else {
            linkTail(last, latest);
        }
        last = latest;
    }
    if (last == kNone)
        node(RegExp::Empty);
    return start;
}

int Compiler::piece(int& flags) {
    int atomFlags = 0;
    int start = atom(atomFlags);
    if (start == kNone)
        return kNone;
    char op = peek();
    if (!isRepeat(op)) {
        flags = atomFlags;
        return start;
    }
    // A loop over something that can match empty would never have to advance.
    if (!(atomFlags & kHasWidth) && op != '?')
        return kNone;
    flags = op == '+' ? kHasWidth : 0;
    if (op != '?')
        flags |= kStartsWithRepeat;

    bool simple = atomFlags & kSimple;
    if (op == '*' && simple) {
        insertNode(RegExp::ZeroOrMore, start);
    } else if (op == '*') {
        // (r, back to here) or else nothing: r is tried before the exit.
        insertNode(RegExp::Alternative, start);
        linkBranchTail(start, node(RegExp::LoopBack));
        linkBranchTail(start, start);
        linkTail(start, node(RegExp::Alternative));
        linkTail(start, node(RegExp::Empty));
    } else if (op == '+' && simple) {
        insertNode(RegExp::OneOrMore, start);
    } else if (op == '+') {
        // r, then (back to r) or else nothing.
        int loop = node(RegExp::Alternative);
        linkTail(start, loop);
        linkTail(node(RegExp::LoopBack), start);
        linkTail(loop, node(RegExp::Alternative));
        linkTail(start, node(RegExp::Empty));
    } else {
        // (r) or else nothing, both going on to what follows.
        insertNode(RegExp::Alternative, start);
        linkTail(start, node(RegExp::Alternative));
        int empty = node(RegExp::Empty);
        linkTail(start, empty);
        linkBranchTail(start, empty);
    }
    ++pos_;
    if (isRepeat(peek()))
        return kNone;
    return start;
}

int Compiler::atom(int& flags) {
    flags = 0;
    char c = pattern_[pos_++];  // branch() stops at the end, `|` and `)`
    switch (c) {
        case '^':
            return node(RegExp::LineStart);
        case '$':
            return node(RegExp::LineEnd);
        case '.':
            flags = kHasWidth | kSimple;
            return node(RegExp::AnyByte);
        case '[':
            return set(flags);
        case '(': {
            int groupFlags = 0;
            int start = expression(/*inGroup=*/true, groupFlags);
            flags = groupFlags & (kHasWidth | kStartsWithRepeat);
            return start;
        }
        case '*':
        case '+':
        case '?':
            return kNone;  // nothing to repeat
        case '\\': {
            if (peek() == '\0')
                return kNone;
            int start = node(RegExp::Literal);
            byte(static_cast<std::uint8_t>(pattern_[pos_++]));
            byte(0);
            flags = kHasWidth | kSimple;
            return start;
        }
        default: {
            --pos_;
            std::size_t end = pattern_.find_first_of(kMetaBytes, pos_);
            if (end == std::string_view::npos)
                end = pattern_.size();
            std::size_t length = end - pos_;
            // A repetition applies to the last byte of a run only.
            if (length > 1 && end < pattern_.size() && isRepeat(pattern_[end]))
                --length;
            flags = kHasWidth | (length == 1 ? kSimple : 0);
            int start = node(RegExp::Literal);
            for (; length > 0; --length)
                byte(static_cast<std::uint8_t>(pattern_[pos_++]));
            byte(0);
            return start;
        }
    }
}

int Compiler::set(int& flags) {
    int start;
    if (peek() == '^') {
        ++pos_;
        start = node(RegExp::NotInSet);
    } else {
        start = node(RegExp::InSet);
    }
    if (peek() == ']' || peek() == '-')
        byte(static_cast<std::uint8_t>(pattern_[pos_++]));
    while (peek() != '\0' && peek() != ']') {
        if (peek() != '-') {
            byte(static_cast<std::uint8_t>(pattern_[pos_++]));
            continue;
        }
        ++pos_;
        if (peek() == ']' || peek() == '\0') {
            byte('-');
            continue;
        }
        // The ends compare as signed bytes; the range's first byte is already in the set.
        int from = static_cast<signed char>(pattern_[pos_ - 2]) + 1;
        int to = static_cast<signed char>(pattern_[pos_]);
        if (from > to + 1)
            return kNone;
        for (int b = from; b <= to; ++b)
            byte(static_cast<std::uint8_t>(b));
        ++pos_;
    }
    byte(0);
    if (peek() != ']')
        return kNone;
    ++pos_;
    flags = kHasWidth | kSimple;
    return start;
}

// Larger programs are not worth the quadratic search for a required literal.
constexpr std::size_t kMaxAnalysedProgram = 4096;

// The nodes the matcher can go on to from `at`, as advance() and backtrack() walk them;
// repetition operands are never visited as nodes.
void successors(const std::uint8_t* code, int at, std::vector<int>& out) {
    out.clear();
    const std::uint8_t op = code[at];
    if (op == RegExp::End)
        return;
    if (op == RegExp::Alternative) {
        int next = nextNode(code, at);
        if (next == kNone || code[next] != RegExp::Alternative) {
            out.push_back(at + kNodeSize);
            return;
        }
        for (int branch = at; branch != kNone && code[branch] == RegExp::Alternative;
             branch = nextNode(code, branch)) {
            out.push_back(branch + kNodeSize);
        }
        return;
    }
    int next = nextNode(code, at);
    if (next != kNone)
        out.push_back(next);
}

// Whether End can be reached from the start without passing `blocked`.
bool reachesEndAvoiding(const std::uint8_t* code, std::size_t size, int blocked) {
    std::vector<bool> seen(size, false);
    std::vector<int> pending{0};
    std::vector<int> next;
    while (!pending.empty()) {
        int at = pending.back();
        pending.pop_back();
        if (at < 0 || static_cast<std::size_t>(at) >= size || seen[at] || at == blocked)
            continue;
        seen[at] = true;
        if (code[at] == RegExp::End)
            return true;
        successors(code, at, next);
        pending.insert(pending.end(), next.begin(), next.end());
    }
    return false;
}

// Rarer literals first, then longer ones: the scan's cost is set by how often its two
// rarest bytes occur together.
bool betterLiteral(std::string_view a, std::string_view b) {
    auto key = [](std::string_view s) {
        int best = -1, second = -1;
        for (char c : s) {
            int r = LiteralScan::rarity(static_cast<unsigned char>(c));
            if (r > best) {
                second = best;
                best = r;
            } else if (r > second) {
                second = r;
            }
        }
        return std::make_tuple(best, second, s.size());
    };
    return key(a) > key(b);
}

// Among the literals every way through the program must match, the best one for a scan.
std::string findRequiredLiteral(const std::vector<std::uint8_t>& program) {
    const std::uint8_t* code = program.data();
    const std::size_t size = program.size();
    std::string best;
    if (size > kMaxAnalysedProgram)
        return best;
    std::vector<bool> seen(size, false);
    std::vector<int> pending{0};
    std::vector<int> next;
    while (!pending.empty()) {
        int at = pending.back();
        pending.pop_back();
        if (at < 0 || static_cast<std::size_t>(at) >= size || seen[at])
            continue;
        seen[at] = true;
        successors(code, at, next);
        pending.insert(pending.end(), next.begin(), next.end());
        std::string_view candidate;
        const auto* operand = reinterpret_cast<const char*>(code + at + kNodeSize);
        if (code[at] == RegExp::Literal) {
            candidate = operand;
        } else if (code[at] == RegExp::OneOrMore && code[at + kNodeSize] == RegExp::Literal) {
            candidate = std::string_view(operand + kNodeSize, 1);
        }
        if (candidate.empty() || (!best.empty() && !betterLiteral(candidate, best)))
            continue;
        if (!reachesEndAvoiding(code, size, at))
            best.assign(candidate);
    }
    return best;
}

bool inSet(const std::uint8_t* members, std::uint8_t b) {
    for (; *members; ++members) {
        if (*members == b)
            return true;
    }
    return false;
}

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

RegExp::RegExp() {
    for (int n = 0; n < kMaxGroups; ++n)
        groupStart_[n] = groupEnd_[n] = -1;
}
RegExp::RegExp(const RegExp& other) = default;
RegExp& RegExp::operator=(const RegExp& other) = default;
RegExp::RegExp(RegExp&&) noexcept = default;
RegExp& RegExp::operator=(RegExp&&) noexcept = default;
RegExp::~RegExp() = default;

void RegExp::setFreeStepsForTesting(int steps) {
    freeStepsForTesting.store(steps);
}

std::string_view RegExp::mustContain() const {
    if (mustLength_ == 0)
        return {};
    return {reinterpret_cast<const char*>(program_.data() + mustOffset_), mustLength_};
}

bool RegExp::compile(std::string_view pattern) {
    program_.clear();
    stateIndex_.clear();
    stateCount_ = 0;
    firstByte_ = 0;
    anchored_ = false;
    mustOffset_ = 0;
    mustLength_ = 0;
    requiredLiteral_.clear();
    pattern = pattern.substr(0, pattern.find('\0'));

    int flags = 0;
    Compiler sizing(pattern, nullptr);
    if (!sizing.run(flags) || sizing.size() > kMaxProgramSize)
        return false;
    std::vector<std::uint8_t> code(sizing.size(), 0);
    Compiler emitting(pattern, &code);
    if (!emitting.run(flags) || emitting.size() != code.size())
        return false;
    program_ = std::move(code);

    // Number the nodes where the matcher makes a choice, walking every node it can visit.
    const std::uint8_t* p = program_.data();
    stateIndex_.assign(program_.size(), -1);
    std::vector<bool> seen(program_.size(), false);
    std::vector<int> pending{0};
    while (!pending.empty()) {
        int at = pending.back();
        pending.pop_back();
        if (at < 0 || seen[at])
            continue;
        seen[at] = true;
        int next = nextNode(p, at);
        if (p[at] == Alternative) {
            if (next != kNone && p[next] == Alternative)
                stateIndex_[at] = stateCount_++;
            pending.push_back(at + kNodeSize);
        } else if (p[at] == ZeroOrMore || p[at] == OneOrMore) {
            stateIndex_[at] = stateCount_++;
        }
        pending.push_back(next);
    }
    requiredLiteral_ = findRequiredLiteral(program_);

    // Hints, for an expression with a single top-level alternative.
    int top = nextNode(p, 0);
    if (top == kNone || p[top] != End)
        return true;
    int first = kNodeSize;
    if (p[first] == Literal)
        firstByte_ = p[first + kNodeSize];
    if (p[first] == LineStart)
        anchored_ = true;
    if (flags & kStartsWithRepeat) {
        for (int at = first; at != kNone && at > 0; at = nextNode(p, at)) {
            if (p[at] != Literal)
                continue;
            std::size_t size = std::strlen(reinterpret_cast<const char*>(p + at + kNodeSize));
            if (size >= mustLength_) {
                mustOffset_ = static_cast<std::uint32_t>(at + kNodeSize);
                mustLength_ = static_cast<std::uint32_t>(size);
            }
        }
    }
    return true;
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
