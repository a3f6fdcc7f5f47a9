#include "engine/SearchExpression.h"

#include "engine/Text.h"

namespace scoutwell {
namespace {

// The pattern as the first line of the message shows it: a long one is cut, at a
// character's start, and "…" added.
std::string shownPattern(std::string_view pattern) {
    if (pattern.size() <= kShownPatternBytes)
        return std::string(pattern);
    std::size_t cut = kShownPatternBytes;
    while (cut > 0 && (static_cast<unsigned char>(pattern[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(pattern.substr(0, cut)) + "\u2026";
}

// What is wrong with the pattern, and where, in one line.
std::string faultLine(const RegExp& re, std::string_view pattern) {
    const std::size_t at = re.errorOffset();
    const char c = at < pattern.size() ? pattern[at] : ' ';
    switch (re.error()) {
        case RegExp::Error::TooManyGroups:
            return text::format(
                "Too many groups at byte offset %zu: at most %d pairs of parentheses are "
                "allowed.",
                at, RegExp::kMaxGroups - 1);
        case RegExp::Error::UnclosedGroup:
            return text::format(
                "Unbalanced parenthesis at byte offset %zu: this ( has no ) to close it.", at);
        case RegExp::Error::UnopenedGroup:
            return text::format(
                "Unbalanced parenthesis at byte offset %zu: this ) has no ( before it.", at);
        case RegExp::Error::NothingToRepeat:
            return text::format(
                "Nothing to repeat at byte offset %zu: %c must follow a character, a set or a "
                "group.",
                at, c);
        case RegExp::Error::RepeatedRepeat:
            return text::format(
                "Repetition of a repetition at byte offset %zu: %c cannot follow *, + or ?.", at,
                c);
        case RegExp::Error::RepeatOfEmpty:
            return text::format(
                "Repetition of nothing at byte offset %zu: %c cannot repeat ^, $ or a group that "
                "may match no text.",
                at, c);
        case RegExp::Error::UnclosedSet:
            return text::format("Unclosed set at byte offset %zu: this [ has no ] to close it.",
                                at);
        case RegExp::Error::ReversedRange:
            return text::format("Reversed range at byte offset %zu: %s ends before it starts.", at,
                                std::string(pattern.substr(at, 3)).c_str());
        case RegExp::Error::TrailingBackslash:
            return text::format(
                "Lone backslash at byte offset %zu: a \\ must be followed by the character it "
                "stands for (\\\\ for a backslash).",
                at);
        case RegExp::Error::TooLong:
            return text::format(
                "Too long at byte offset %zu: the compiled expression would pass %zu bytes.", at,
                RegExp::kMaxProgramSize);
        case RegExp::Error::None:
            break;
    }
    return {};
}

}  // namespace

bool SearchExpression::set(std::string_view pattern, bool matchCase, bool compileNow,
                           std::string* errorOut) {
    pattern_.assign(pattern);
    matchCase_ = matchCase;
    if (!matchCase_)
        text::toLowerInPlace(pattern_);
    compiled_ = false;
    compileFailed_ = false;
    automaton_.reset();
    if (compileNow)
        return compile(errorOut);
    return true;
}

bool SearchExpression::compile(std::string* errorOut) {
    automaton_.reset();
    compiled_ = regExp_.compile(pattern_);
    compileFailed_ = !compiled_;
    if (!compiled_ && errorOut) {
        *errorOut = text::format(kExpressionNotValid, shownPattern(pattern_).c_str());
        if (const std::string fault = faultLine(regExp_, pattern_); !fault.empty())
            *errorOut += "\n" + fault;
    }
    return compiled_;
}

LazyDfa& SearchExpression::automaton() {
    if (!automaton_)
        automaton_.emplace(regExp_);
    return *automaton_;
}

bool SearchExpression::find(std::string_view subject, int& matchStart, int& matchLength) {
    // A pattern that failed once fails again; compiling it anew for every line would only
    // repeat the group-limit message.
    if (!compiled_ && !compileFailed_)
        compile(nullptr);
    if (!compiled_)
        return false;
    if (!matchCase_) {
        lowered_.assign(subject);
        text::toLowerInPlace(lowered_);
        subject = lowered_;
    }
    int length = 0;
    int start = regExp_.search(subject, length);
    if (start < 0)
        return false;
    matchStart = start;
    matchLength = length;
    return true;
}

}  // namespace scoutwell
