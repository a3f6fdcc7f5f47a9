#include "engine/SearchExpression.h"

#include "engine/Text.h"

namespace scoutwell {

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
    if (!compiled_ && errorOut)
        *errorOut = text::format(kExpressionNotValid, pattern_.c_str());
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
