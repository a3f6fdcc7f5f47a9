// A quick yes or no to "does this name contain a match" for the kind of file-name
// expression that DOS wildcards turn into: literal bytes, `.`, `.*` and alternatives, as
// in `.*\.txt|.*\.doc`. The walk asks it instead of the backtracking matcher for every
// directory entry; expressions of any other kind are left to SearchExpression.
//
//   NameMatcher m;
//   if (m.set(expression.pattern(), expression.matchCase()) && m.contains(name)) ...
//
// The answer is always the one SearchExpression::find gives for the same pattern and
// case rule. An instance is used by one thread at a time.
//
// Exercised by tests/engine/WalkNameMatcherTest.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scoutwell {

class NameMatcher {
  public:
    // `pattern` as SearchExpression stores it (lower-cased when !matchCase). False, and
    // usable() false, when the pattern is not of the simple kind.
    bool set(std::string_view pattern, bool matchCase);
    bool usable() const { return usable_; }

    // Whether `name` holds a match of the pattern; only when usable().
    bool contains(std::string_view name);

  private:
    // A run of bytes of fixed length; `any` marks the positions of `.`.
    struct Segment {
        std::string bytes;
        std::vector<bool> any;
        bool hasAny = false;
    };
    // Segments separated by `.*`: each must be found after the end of the one before.
    using Alternative = std::vector<Segment>;

    static std::size_t findSegment(const Segment& segment, std::string_view subject,
                                   std::size_t from);

    std::vector<Alternative> alternatives_;
    bool usable_ = false;
    bool matchCase_ = true;
    bool asciiOnly_ = true;  // no byte of the pattern is above 0x7F
    std::string folded_;     // reused buffer for the case-folded name
};

}  // namespace scoutwell
