// The compiler of RegExp: two passes over the pattern, the first adding up the program's
// size, the second emitting the nodes; then the hints the search starts from.
#include <cstring>
#include <utility>

#include "engine/Messages.h"
#include "engine/RegExpProgram.h"
#include "engine/Text.h"

namespace scoutwell {

using namespace regexp;

namespace {

// Parse flags of an atom, piece, branch or group.
constexpr int kHasWidth = 1;          // every way through it consumes at least one byte
constexpr int kSimple = 2;            // one byte, `.`, a set or an escaped byte
constexpr int kStartsWithRepeat = 4;  // its first piece carries `*` or `+`

constexpr std::string_view kMetaBytes = "^$.[()|?+*\\";

bool isRepeat(char c) {
    return c == '*' || c == '+' || c == '?';
}

// Parses the pattern once. Without `code` it only adds up the program size; with it, it
// emits into `code`, which must already have that size and be zero-filled.
class Compiler {
  public:
    Compiler(std::string_view pattern, std::vector<std::uint8_t>* code)
        : pattern_(pattern), code_(code ? code->data() : nullptr) {}

    bool run(int& flags) { return expression(/*inGroup=*/false, flags) != kNone; }
    std::size_t size() const { return size_; }
    // What made run() fail, at which byte of the pattern.
    RegExp::Error error() const { return error_; }
    std::size_t errorOffset() const { return errorOffset_; }
    // Where in the pattern the program grew past RegExp::kMaxProgramSize, if it did.
    std::size_t tooLongAt() const { return tooLongAt_; }

  private:
    char peek() const { return pos_ < pattern_.size() ? pattern_[pos_] : '\0'; }

    // Records why the pattern is refused; the first fault found is the one reported.
    int fail(RegExp::Error error, std::size_t offset) {
        if (error_ == RegExp::Error::None) {
            error_ = error;
            errorOffset_ = offset;
        }
        return kNone;
    }

    void grow(std::size_t bytes) {
        size_ += bytes;
        if (size_ > RegExp::kMaxProgramSize && tooLongAt_ == std::string_view::npos)
            tooLongAt_ = pos_;
    }

    int node(std::uint8_t op) {
        int at = static_cast<int>(size_);
        if (code_)
            code_[at] = op;  // the next offset stays 0 until linked
        grow(kNodeSize);
        return at;
    }

    void byte(std::uint8_t b) {
        if (code_)
            code_[size_] = b;
        grow(1);
    }

    // Puts a node in front of the operand that starts at `at`, moving the operand up.
    void insertNode(std::uint8_t op, int at) {
        if (code_) {
            std::memmove(code_ + at + kNodeSize, code_ + at, size_ - at);
            code_[at] = op;
            code_[at + 1] = 0;
            code_[at + 2] = 0;
        }
        grow(kNodeSize);
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
    RegExp::Error error_ = RegExp::Error::None;
    std::size_t errorOffset_ = 0;
    std::size_t tooLongAt_ = std::string_view::npos;
};

int Compiler::expression(bool inGroup, int& flags) {
    flags = kHasWidth;
    int first = kNone;
    int group = 0;
    const std::size_t opening = pos_ - 1;  // the group's `(`, when in one
    if (inGroup) {
        if (groups_ >= RegExp::kMaxGroups) {
            showMessage(text::format(kTooManyParensMessage, RegExp::kMaxGroups));
            return fail(RegExp::Error::TooManyGroups, opening);
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
            return fail(RegExp::Error::UnclosedGroup, opening);
        ++pos_;
    } else if (pos_ < pattern_.size()) {
        // A `)` without its `(`: branches stop only there or at the end.
        return fail(RegExp::Error::UnopenedGroup, pos_);
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
        return fail(RegExp::Error::RepeatOfEmpty, pos_);
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
        return fail(RegExp::Error::RepeatedRepeat, pos_);
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
            return fail(RegExp::Error::NothingToRepeat, pos_ - 1);
        case '\\': {
            if (peek() == '\0')
                return fail(RegExp::Error::TrailingBackslash, pos_ - 1);
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
    const std::size_t opening = pos_ - 1;  // the `[`
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
            return fail(RegExp::Error::ReversedRange, pos_ - 2);
        for (int b = from; b <= to; ++b)
            byte(static_cast<std::uint8_t>(b));
        ++pos_;
    }
    byte(0);
    if (peek() != ']')
        return fail(RegExp::Error::UnclosedSet, opening);
    ++pos_;
    flags = kHasWidth | kSimple;
    return start;
}

}  // namespace

bool RegExp::compile(std::string_view pattern) {
    program_.clear();
    stateIndex_.clear();
    stateCount_ = 0;
    firstByte_ = 0;
    anchored_ = false;
    mustOffset_ = 0;
    mustLength_ = 0;
    requiredLiteral_.clear();
    error_ = Error::None;
    errorOffset_ = 0;
    pattern = pattern.substr(0, pattern.find('\0'));

    int flags = 0;
    Compiler sizing(pattern, nullptr);
    if (!sizing.run(flags)) {
        error_ = sizing.error();
        errorOffset_ = sizing.errorOffset();
        return false;
    }
    if (sizing.size() > kMaxProgramSize) {
        error_ = Error::TooLong;
        errorOffset_ = sizing.tooLongAt();
        return false;
    }
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

}  // namespace scoutwell
