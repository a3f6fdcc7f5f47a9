#include "app/core/CommandLineOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/SearchCriteria.h"
#include "tests/app/MessageCapture.h"

namespace scoutwell {
namespace {

using testing::MessageCapture;
using Args = std::vector<std::string>;

struct Parsed {
    CommandLineOptions options;
    std::vector<std::string> messages;
};

Parsed parse(const Args& args) {
    MessageCapture capture;
    Parsed parsed;
    parsed.options.parse(args);
    parsed.messages = capture.messages;
    return parsed;
}

std::string notValid(const char* flag) {
    return std::string("Command line flag '-") + flag + "' is not valid";
}
std::string expecting(const char* flag) {
    return std::string("Expecting a value for command line flag '-") + flag + "' but none provided";
}
std::string unexpected(const char* parameter) {
    return std::string("Unexpected command line parameter: ") + parameter;
}

TEST(CommandLineOptions, ReportsProblemsInArgumentOrder) {
    struct Case {
        Args args;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {{"-s", "-sn"}, {notValid("sn")}},
        {{"-d", "-s"}, {expecting("d")}},
        {{"-D", "/"}, {notValid("D"), unexpected("/")}},
        {{"-f", "*.log", "saved.srf"}, {unexpected("saved.srf")}},
        {{"-c", "-x"}, {expecting("c"), notValid("x")}},
        {{"-cy", "-x"}, {expecting("cy"), notValid("x")}},
        {{"-s", "-o"}, {expecting("o")}},
        {{"-fm", "-fmy", "-fm"}, {notValid("fmy"), notValid("fm")}},
        {{"-cmx", "-ss", "-"}, {notValid("cmx"), notValid("ss"), notValid("")}},
        {{"-pa", "-pa", "-h", "-hn", "-?"}, {}},
        {{"a.srf", "b.srf"}, {unexpected("b.srf")}},
        {{"-d", "/usr/share", "-d", "/tmp"}, {}},
        {{"-S"}, {notValid("S")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        EXPECT_EQ(parse(c.args).messages, c.messages);
    }
}

TEST(CommandLineOptions, SwitchesTakeSuffixesAndMatchOnce) {
    auto p = parse({"-s", "-sn", "-fmn", "-cmy", "-fdn", "-cr", "-fxy", "-zn", "-z"});
    const auto& o = p.options;
    EXPECT_TRUE(o.subfolders && o.subfoldersGiven);  // the repeat is refused, the first stands
    EXPECT_TRUE(!o.matchFilenameCase && o.matchFilenameCaseGiven);
    EXPECT_TRUE(o.matchContentsCase && o.matchContentsCaseGiven);
    EXPECT_TRUE(!o.dosExpression && o.dosExpressionGiven);
    EXPECT_TRUE(o.contentsRegExp && o.contentsRegExpGiven);
    EXPECT_TRUE(o.excludeFilename && o.excludeFilenameGiven);
    EXPECT_TRUE(!o.searchCompressed && o.searchCompressedGiven);
    EXPECT_EQ(p.messages, (std::vector<std::string>{"Command line flag '-sn' is not valid",
                                                    "Command line flag '-z' is not valid"}));

    // Switches without a marker take the last occurrence.
    auto q = parse({"-pa", "-pan", "-poy", "-h", "-?n"});
    EXPECT_FALSE(q.options.applyAlways);
    EXPECT_TRUE(q.options.overrideFile);
    EXPECT_FALSE(q.options.showHelp);
    EXPECT_TRUE(parse({"-?"}).options.showHelp);
}

TEST(CommandLineOptions, ValueFlagsTakeTheNextParameter) {
    auto p = parse({"saved.srf", "-d", "/usr/share;/home/", "-fn", "*.txt", "-cy", "error", "-o",
                    "out.txt", "-d", "/tmp"});
    const auto& o = p.options;
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(o.fileToOpen, "saved.srf");
    EXPECT_EQ(o.lookInValue, "/tmp");  // a later occurrence replaces the value
    EXPECT_TRUE(o.lookInGiven);
    EXPECT_EQ(o.fileNameValue, "*.txt");
    EXPECT_TRUE(o.fileNameGiven);
    EXPECT_EQ(o.containingValue, "error");
    EXPECT_TRUE(o.containingGiven);
    EXPECT_EQ(o.outputFile, "out.txt");
    EXPECT_TRUE(o.outputFileGiven);

    // A value flag left waiting has no effect at all.
    auto q = parse({"-f", "*.log", "-c"});
    EXPECT_FALSE(q.options.containingGiven);
    EXPECT_TRUE(q.options.fileNameGiven);
    EXPECT_TRUE(q.options.fileToOpen.empty());
}

TEST(CommandLineOptions, AbsolutePathIsAParameterNotAFlag) {
    auto p = parse({"/home/user/saved.srf", "-d", "/usr/share"});
    EXPECT_TRUE(p.messages.empty());
    EXPECT_EQ(p.options.fileToOpen, "/home/user/saved.srf");
    EXPECT_EQ(p.options.lookInValue, "/usr/share");
}

TEST(CommandLineOptions, AppliesOnlyToTheRightSearches) {
    auto p =
        parse({"-d", "/usr/share;/tmp", "-c", "error", "-s", "-fmy", "-fdn", "-f", "*.c", "-z"});
    SearchCriteria untouched;
    untouched.subfolders = false;
    const auto before = untouched.lookIn;
    p.options.applyTo(untouched, /*startingUp=*/false);
    EXPECT_EQ(untouched.lookIn, before);
    EXPECT_FALSE(untouched.subfolders);
    EXPECT_TRUE(untouched.containingText.empty());

    SearchCriteria first;
    first.subfolders = false;
    p.options.applyTo(first, /*startingUp=*/true);
    EXPECT_EQ(first.lookIn, (std::vector<std::string>{"/usr/share/", "/tmp/"}));
    EXPECT_EQ(first.containingText, "error");
    EXPECT_TRUE(first.searchContents);
    EXPECT_EQ(first.fileName, "*.c");
    EXPECT_TRUE(first.subfolders);
    EXPECT_TRUE(first.matchFilenameCase);
    EXPECT_FALSE(first.autoConvertToDos);
    EXPECT_TRUE(first.searchCompressed);
    // Options that were not given keep their values.
    EXPECT_FALSE(first.matchContentsCase);
    EXPECT_TRUE(first.treatContentsAsRegExp);

    for (const Args& args : {Args{"-pa", "-s"}, Args{"-o", "out.txt", "-s"}}) {
        auto q = parse(args);
        SearchCriteria later;
        later.subfolders = false;
        q.options.applyTo(later, /*startingUp=*/false);
        EXPECT_TRUE(later.subfolders) << args[0];
    }
}

TEST(CommandLineOptions, HelpTextHasTheUsageAndEveryFlag) {
    EXPECT_STREQ(kHelpLines.front(), "scoutwell [saved search] | -o [output file]");
    for (const char* flag : {"-d ", "-c ", "-f ", "-cm ", "-fm ", "-s ", "-fd ", "-fx ", "-cr ",
                             "-z ", "-pa ", "-po ", "-o ", "-h or -? "}) {
        bool found = false;
        for (const char* line : kHelpLines)
            found = found || std::string(line).rfind(flag, 0) == 0;
        EXPECT_TRUE(found) << flag;
    }
    EXPECT_EQ(std::string(kHelpLines.back()).rfind("Exit status with -o:", 0), 0u);
}

}  // namespace
}  // namespace scoutwell
