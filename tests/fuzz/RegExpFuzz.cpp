// Any pattern, any subject, with and without case: the engine never crashes, answers within
// the subject in a number of steps linear in the subject's length, and for inputs small enough for
// the plain recursive matcher gives exactly its answer, groups included.
//
// Input: a flags byte (bit 0: match case; bit 1: record failed states from the first
// step), the pattern's length, the pattern, then the subject.
#include <string>
#include <string_view>

#include "engine/Messages.h"
#include "engine/RegExp.h"
#include "engine/SearchExpression.h"
#include "engine/Text.h"
#include "tests/engine/RegExpReference.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

using scoutwell::fuzz::check;

// Past these the reference's exponential worst case makes a run too slow to be useful.
constexpr std::size_t kReferencePatternLimit = 8;
constexpr std::size_t kReferenceSubjectLimit = 10;

class SilentSink : public scoutwell::MessageSink {
  public:
    void showMessage(const std::string&) override {}
};

std::string_view upToNul(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace scoutwell;
    static SilentSink sink;
    setMessageSink(&sink);

    fuzz::InputReader in(data, size);
    const std::uint8_t flags = in.byte();
    const bool matchCase = (flags & 1) != 0;
    const bool memoFromStart = (flags & 2) != 0;
    const std::string pattern(in.take(in.byte()));
    const std::string subject(in.rest());

    RegExp::setFreeStepsForTesting(memoFromStart ? 0 : -1);
    SearchExpression expression;
    const bool valid = expression.set(pattern, matchCase, /*compileNow=*/true, nullptr);
    int start = -1;
    int length = -1;
    const bool found = valid && expression.find(subject, start, length);

    // The engine searches its own lower-cased copy when case does not matter.
    const std::string searched = matchCase ? subject : text::toLower(subject);
    const std::string_view effective = upToNul(searched);
    if (valid) {
        // Time linear in the subject for a given pattern: a bounded number of steps per
        // program byte and subject byte, beyond the steps taken before failed states are
        // recorded (themselves linear in the subject).
        const std::uint64_t programSize = expression.regExp().program().size();
        const std::uint64_t positions = effective.size() + 1;
        const std::uint64_t bound = 512 + 8 * positions + 8 * (programSize + 1) * positions;
        check(expression.regExp().lastSearchSteps() <= bound,
              "the search took more steps than its linear bound");
    }
    if (found) {
        check(start >= 0 && length >= 0, "negative match position");
        check(
            static_cast<std::size_t>(start) + static_cast<std::size_t>(length) <= effective.size(),
            "match beyond the subject");
        const RegExp& re = expression.regExp();
        for (int n = 0; n < RegExp::kMaxGroups; ++n) {
            if (re.groupStart(n) < 0)
                continue;
            check(re.groupStart(n) <= re.groupEnd(n), "group ends before it starts");
            check(static_cast<std::size_t>(re.groupEnd(n)) <= effective.size(),
                  "group beyond the subject");
        }
    }

    const std::string refPattern = matchCase ? pattern : text::toLower(pattern);
    if (upToNul(refPattern).size() <= kReferencePatternLimit &&
        effective.size() <= kReferenceSubjectLimit) {
        const reference::Outcome expected = reference::search(refPattern, searched);
        check(valid == expected.valid, "validity differs from the reference");
        check(found == (expected.start >= 0), "match or no match differs from the reference");
        if (found) {
            check(start == expected.start && length == expected.length,
                  "match differs from the reference");
            const RegExp& re = expression.regExp();
            for (int n = 0; n < RegExp::kMaxGroups; ++n) {
                check(re.groupStart(n) == expected.groupStart[n] &&
                          re.groupEnd(n) == expected.groupEnd[n],
                      "group differs from the reference");
            }
        }
    }
    RegExp::setFreeStepsForTesting(-1);
    setMessageSink(nullptr);
    return 0;
}
