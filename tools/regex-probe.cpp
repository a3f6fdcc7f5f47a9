// Answers one question about the regular-expression engine from the command line:
//
//   regex-probe [-i] [--] PATTERN SUBJECT
//
// prints one line: "invalid" (exit 2, the error on standard error), "nomatch" (exit 1),
// or "match START LENGTH" followed by " N:START-END" for each group 1..9 whose both ends
// were recorded (exit 0). -i matches without regard to case.
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/SearchExpression.h"

namespace {

constexpr int kExitMatch = 0;
constexpr int kExitNoMatch = 1;
constexpr int kExitInvalid = 2;
constexpr int kExitUsage = 64;
constexpr const char* kUsage = "usage: regex-probe [-i] [--] PATTERN SUBJECT\n";

}  // namespace

int main(int argc, char** argv) {
    bool matchCase = true;
    int arg = 1;
    for (; arg < argc; ++arg) {
        std::string_view option = argv[arg];
        if (option == "-i") {
            matchCase = false;
        } else if (option == "--") {
            ++arg;
            break;
        } else {
            break;
        }
    }
    if (argc - arg != 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }

    scoutwell::SearchExpression expression;
    std::string error;
    if (!expression.set(argv[arg], matchCase, /*compileNow=*/true, &error)) {
        std::puts("invalid");
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitInvalid;
    }
    int start = 0;
    int length = 0;
    if (!expression.find(argv[arg + 1], start, length)) {
        std::puts("nomatch");
        return kExitNoMatch;
    }
    std::string line = "match " + std::to_string(start) + " " + std::to_string(length);
    const scoutwell::RegExp& re = expression.regExp();
    for (int n = 1; n < scoutwell::RegExp::kMaxGroups; ++n) {
        if (re.groupStart(n) < 0 || re.groupEnd(n) < 0)
            continue;
        line += " " + std::to_string(n) + ":" + std::to_string(re.groupStart(n)) + "-" +
                std::to_string(re.groupEnd(n));
    }
    std::puts(line.c_str());
    return kExitMatch;
}
