// One regular expression with its case rule, compiled on demand, reporting errors in the
// program's words. Used by the search for names and lines, by the contents view for
// highlighting and by the expression test dialog.
//
//   SearchExpression e;
//   std::string error;
//   if (!e.set("todo|fixme", /*matchCase=*/false, /*compileNow=*/true, &error)) show(error);
//   int start, length;
//   if (e.find(line, start, length)) ...
//
// An instance is used by one thread at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/LazyDfa.h"
#include "engine/RegExp.h"

namespace scoutwell {

inline constexpr const char* kExpressionNotValid = "The expression: %s is not valid";
// The pattern shown in kExpressionNotValid: at most this many bytes of it, then "…".
inline constexpr std::size_t kShownPatternBytes = 200;
// Added where a text the user typed is taken as a regular expression by default.
inline constexpr const char* kPlainTextHint =
    "To search for the text as it is typed, clear \"Regular expression\" under Contents on "
    "the Options tab (-crn on the command line).";

class SearchExpression {
  public:
    // Stores the pattern (lower-cased when !matchCase) and the case rule. With compileNow
    // returns compile(errorOut); else returns true and compiles at the first find().
    bool set(std::string_view pattern, bool matchCase, bool compileNow, std::string* errorOut);

    // On failure `errorOut` (when given) receives kExpressionNotValid with the stored
    // pattern (its first kShownPatternBytes), and on a second line what is wrong and at
    // which byte offset of the pattern.
    bool compile(std::string* errorOut);

    // Searches `subject`, compiling first when needed (silently, and only once for a pattern
    // that does not compile); on a match stores its start and length (bytes) and returns
    // true, else leaves both untouched.
    bool find(std::string_view subject, int& matchStart, int& matchLength);

    const std::string& pattern() const { return pattern_; }
    bool matchCase() const { return matchCase_; }
    bool compiled() const { return compiled_; }
    // compile() refused the pattern since the last set(); find() will not try it again.
    bool compileFailed() const { return compileFailed_; }
    RegExp& regExp() { return regExp_; }
    const RegExp& regExp() const { return regExp_; }
    // The automaton of the compiled program, made at the first call after each compile and
    // kept, with the states it has built, until the next one. Only when compiled().
    LazyDfa& automaton();

  private:
    std::string pattern_;
    bool matchCase_ = false;
    bool compiled_ = false;
    bool compileFailed_ = false;  // compile() refused pattern_ since the last set()
    RegExp regExp_;
    std::optional<LazyDfa> automaton_;
    std::string lowered_;  // reused buffer for case-insensitive subjects
};

}  // namespace scoutwell
