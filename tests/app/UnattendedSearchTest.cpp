// The unattended mode, run as the real program on trees built here, with no display.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>

#include "engine/SearchExpression.h"
#include "support/ArchiveWriter.h"
#include "support/RunProgram.h"
#include "support/StoredGzip.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::ProgramResult;
using testing::storedGzip;
using testing::TempTree;

class UnattendedSearch : public ::testing::Test {
  protected:
    ProgramResult scoutwell(const std::vector<std::string>& args) {
        // No DISPLAY, no WAYLAND_DISPLAY; settings in a folder of the tree; the C locale,
        // so that dates have the ISO form.
        return testing::runProgram(testing::programPath("scoutwell"), args,
                                   {{"HOME", home_.path()},
                                    {"XDG_CONFIG_HOME", home_.path(".config")},
                                    {"LANG", "C"},
                                    {"TZ", "UTC"},
                                    {"PATH", "/usr/bin:/bin"}});
    }

    // The output's lines, without their CR LF; checks that every line ends with CR LF.
    std::vector<std::string> lines(const std::string& bytes) {
        std::vector<std::string> out;
        std::size_t start = 0;
        while (start < bytes.size()) {
            const std::size_t lf = bytes.find('\n', start);
            EXPECT_NE(lf, std::string::npos);
            EXPECT_GT(lf, start);
            EXPECT_EQ(bytes[lf - 1], '\r');
            out.push_back(bytes.substr(start, lf - 1 - start));
            start = lf + 1;
        }
        return out;
    }

    // The paths of the rows of an output file.
    std::set<std::string> listedPaths(const std::string& out) {
        std::set<std::string> paths;
        for (const std::string& line : lines(testing::readFile(out))) {
            if (line.starts_with('/'))
                paths.insert(line.substr(0, line.find('\t')));
        }
        return paths;
    }

    TempTree home_;
    TempTree tree_;
};

TEST_F(UnattendedSearch, WritesTabSeparatedRowsAndHitLines) {
    tree_.file("logs/app.log", "start\nerror: disk\nok\nerror again\n");
    tree_.file("logs/old/x.log", "fine\n");
    tree_.file("logs/readme.txt", "error\n");
    tree_.touch("logs/app.log", 1700000000);
    tree_.touch("logs/old/x.log", 1700000000);
    const std::string out = tree_.path("out.txt");

    // Names only: one row per found file.
    ProgramResult r = scoutwell({"-o", out, "-d", tree_.path("logs"), "-f", "*.log", "-s"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::vector<std::string> rows = lines(testing::readFile(out));
    EXPECT_EQ(
        std::set<std::string>(rows.begin(), rows.end()),
        (std::set<std::string>{tree_.path("logs/app.log") + "\t1 KB\t2023-11-14 22:13:20",
                               tree_.path("logs/old/x.log") + "\t1 KB\t2023-11-14 22:13:20"}));

    // With contents: each file's hit lines follow it, then a blank line.
    r = scoutwell({"-o", out, "-d", tree_.path("logs"), "-f", "*.log", "-c", "error", "-s"});
    EXPECT_EQ(r.status, 0) << r.err;
    rows = lines(testing::readFile(out));
    EXPECT_EQ(rows,
              (std::vector<std::string>{tree_.path("logs/app.log") + "\t1 KB\t2023-11-14 22:13:20",
                                        "2\terror: disk", "4\terror again", ""}));
}

TEST_F(UnattendedSearch, ExitStatusTellsWhatHappened) {
    tree_.file("a.txt", "text\n");
    const std::string out = tree_.path("out.txt");

    ProgramResult r = scoutwell({"-o", out, "-d", tree_.path(), "-f", "*.nothing"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(testing::readFile(out), "");

    // Invalid criteria: the message on standard error, no search, and an earlier output
    // kept as it was.
    tree_.file("old.txt", "previous contents");
    r = scoutwell({"-o", tree_.path("old.txt"), "-d", tree_.path(), "-c", "(", "-s"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, std::string("scoutwell: The expression: ( is not valid\n"
                                 "Unbalanced parenthesis at byte offset 0: this ( has no ) to "
                                 "close it.\n") +
                         kPlainTextHint + "\n");
    EXPECT_EQ(testing::readFile(tree_.path("old.txt")), "previous contents");

    r = scoutwell({"-o", out, "-d", "relative/folder"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("relative/folder/ is not a valid search directory."), std::string::npos);

    // An output that cannot be created is reported, and nothing is searched.
    r = scoutwell({"-o", tree_.path("missing/out.txt"), "-d", tree_.path()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "scoutwell: Unable to open file " + tree_.path("missing/out.txt") + " for writing\n");

    // A full device: the write failure is reported.
    r = scoutwell({"-o", "/dev/full", "-d", tree_.path()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "scoutwell: Writing to file failed\n");

    // A mistyped command line is reported and nothing runs.
    r = scoutwell({"-o", out, "-d", tree_.path(), "-sx"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "scoutwell: Command line flag '-sx' is not valid\n");

    // So is an output file flag without its file name, last or followed by a flag.
    for (const auto& args : {std::vector<std::string>{"-d", tree_.path(), "-o"},
                             std::vector<std::string>{"-o", "-d", tree_.path()}}) {
        r = scoutwell(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err,
                  "scoutwell: Expecting a value for command line flag '-o' but none provided\n");
    }
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A sanitizer's own allocator and shadow memory defeat both limits: only plain builds.
TEST_F(UnattendedSearch, AFileWithMillionsOfHitLinesIsWrittenInBoundedMemory) {
    tree_.file("logs/first.log", "one hit\n");
    std::string huge;
    for (int i = 0; i < 2000000; ++i)
        huge += "hit\n";
    tree_.file("logs/sub/huge.log", huge);
    huge = std::string();
    const std::string out = tree_.path("out.txt");
    const std::vector<std::string> args = {"-o", out,   "-d", tree_.path("logs"), "-f", "*.log",
                                           "-c", "hit", "-s"};
    const std::map<std::string, std::string> environment = {
        {"HOME", home_.path()},
        {"XDG_CONFIG_HOME", home_.path(".config")},
        {"LANG", "C"},
        {"PATH", "/usr/bin:/bin"}};

    // Its hit lines are written as they are found: holding them all would take several
    // hundred MB, far beyond this address space once the libraries are mapped.
    std::vector<std::string> limited = {"--as=300000000", "--", testing::programPath("scoutwell")};
    limited.insert(limited.end(), args.begin(), args.end());
    ProgramResult r = testing::runProgram("/usr/bin/prlimit", limited, environment);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string bytes = testing::readFile(out);
    std::vector<std::string> rows = lines(bytes);
    ASSERT_EQ(rows.size(), 2000005u);
    EXPECT_EQ(rows[0].substr(0, rows[0].find('\t')), tree_.path("logs/first.log"));
    EXPECT_EQ(rows[1], "1\tone hit");
    EXPECT_EQ(rows[2], "");
    EXPECT_EQ(rows[3].substr(0, rows[3].find('\t')), tree_.path("logs/sub/huge.log"));
    EXPECT_EQ(rows[4], "1\thit");
    EXPECT_EQ(rows[2000003], "2000000\thit");
    EXPECT_EQ(rows[2000004], "");

    // Running out of memory part way: exit status 2, the message, and the rows written
    // before it stay. Here every allocation of 256 KB or more fails, and the first one
    // the run makes is for the many hit lines of the second file.
    std::map<std::string, std::string> failing = environment;
    failing["LD_PRELOAD"] = testing::programPath("fail-big-allocations.so");
    failing["FAIL_ALLOCATIONS_FROM"] = "262144";
    r = testing::runProgram(testing::programPath("scoutwell"), args, failing);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("ran out of memory"), std::string::npos) << r.err;
    rows = lines(testing::readFile(out));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0].substr(0, rows[0].find('\t')), tree_.path("logs/first.log"));
    EXPECT_EQ(rows[1], "1\tone hit");
}
#endif

TEST_F(UnattendedSearch, AFileNameCannotForgeRows) {
    const std::string forged =
        "decoy.txt\t1 KB\t2026-01-01 10:00:00\n1\tpassword=\xE2\x80\xA6 needle\n\nzz.txt";
    tree_.file(forged, "the needle\n");
    tree_.touch(forged, 1700000000);
    const std::string out = home_.path("out.txt");
    const ProgramResult r = scoutwell({"-o", out, "-d", tree_.path(), "-c", "needle"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(testing::readFile(out)),
              (std::vector<std::string>{
                  tree_.path() +
                      "decoy.txt\\x091 KB\\x092026-01-01 10:00:00\\x0A1\\x09password=\xE2\x80\xA6 "
                      "needle\\x0A\\x0Azz.txt\t1 KB\t2023-11-14 22:13:20",
                  "1\tthe needle", ""}));
}

// A folder on a small file system of its own where root may mount one, so that a search
// reading its own output fills 4 MB, not the disk; elsewhere a temporary folder.
class SmallFolder {
  public:
    explicit SmallFolder(const std::string& fallback) : path_(fallback) {
        if (::geteuid() != 0)
            return;
        char pattern[] = "/tmp/scoutwell-small-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            return;
        if (::mount("tmpfs", pattern, "tmpfs", 0, "size=4m,mode=0755") != 0) {
            ::rmdir(pattern);
            return;
        }
        mounted_ = pattern;
        path_ = mounted_ + "/";
    }
    ~SmallFolder() {
        if (!mounted_.empty()) {
            ::umount2(mounted_.c_str(), MNT_DETACH);
            ::rmdir(mounted_.c_str());
        }
    }
    SmallFolder(const SmallFolder&) = delete;
    SmallFolder& operator=(const SmallFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::string mounted_;
};

TEST_F(UnattendedSearch, TheOutputIsNeverSearched) {
    const SmallFolder small(tree_.path());
    const std::string& folder = small.path();
    std::set<std::string> files;
    for (int i = 0; i < 200; ++i) {
        const std::string path = folder + "notes" + std::to_string(i) + ".txt";
        std::ofstream(path) << "one\nTODO: item " << i << "\n";
        files.insert(path);
    }
    // An earlier output in the same folder: a search of its rows would find TODO in them.
    const std::string out = folder + "results.txt";
    std::ofstream(out) << "a previous run's TODO\r\n";

    // Even if the output were read, its size bound ends the run long before the disk
    // fills: exit 2 and a missing row instead of a full file system.
    const auto run = [&](const std::vector<std::string>& criteria) {
        std::vector<std::string> args = {"--fsize=4000000", "--", testing::programPath("scoutwell"),
                                         "-o", out};
        args.insert(args.end(), criteria.begin(), criteria.end());
        return testing::runProgram("/usr/bin/prlimit", args,
                                   {{"HOME", home_.path()},
                                    {"XDG_CONFIG_HOME", home_.path(".config")},
                                    {"LANG", "C"},
                                    {"PATH", "/usr/bin:/bin"}});
    };
    for (const auto& criteria : {std::vector<std::string>{"-d", folder, "-c", "TODO", "-s"},
                                 std::vector<std::string>{"-d", folder, "-f", "*.txt*", "-s"}}) {
        SCOPED_TRACE(criteria[3]);
        const ProgramResult r = run(criteria);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(listedPaths(out), files);
    }
}

TEST_F(UnattendedSearch, ASmallLimitOfOpenFilesLosesNoRow) {
    std::set<std::string> files;
    std::string chain;
    for (int i = 0; i < 100; ++i)
        files.insert(tree_.file("wide/f" + std::to_string(i) + ".txt", "needle\n"));
    for (int level = 0; level < 17; ++level) {
        files.insert(tree_.file("deep/" + chain + "n.txt", "needle\n"));
        chain += "d/";
    }
    const std::string out = home_.path("out.txt");
    const ProgramResult r = testing::runProgram(
        "/usr/bin/prlimit",
        {"--nofile=10", "--", testing::programPath("scoutwell"), "-o", out, "-d", tree_.path(),
         "-c", "needle", "-s"},
        {{"HOME", home_.path()}, {"XDG_CONFIG_HOME", home_.path(".config")}, {"LANG", "C"}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listedPaths(out), files);
}

TEST_F(UnattendedSearch, CommandLineMessagesGoToStandardError) {
    const std::string out = tree_.path("out.txt");
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"-o", out, "-s", "-sn"}, "scoutwell: Command line flag '-sn' is not valid\n"},
        {{"-o", out, "-d", "-s"},
         "scoutwell: Expecting a value for command line flag '-d' but none provided\n"},
        {{"-o", out, "-D", "/x"},
         "scoutwell: Command line flag '-D' is not valid\n"
         "scoutwell: Unexpected command line parameter: /x\n"},
        {{"-o", out, "-c", "-x"},
         "scoutwell: Expecting a value for command line flag '-c' but none provided\n"
         "scoutwell: Command line flag '-x' is not valid\n"},
        {{"-o", out, "-f"},
         "scoutwell: Expecting a value for command line flag '-f' but none provided\n"},
    };
    for (const Case& c : cases) {
        const ProgramResult r = scoutwell(c.args);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.status, 2);
    }
}

TEST_F(UnattendedSearch, HelpIsPrintedAndNothingIsSearched) {
    const std::string out = tree_.path("out.txt");
    const ProgramResult r = scoutwell({"-h", "-o", out, "-d", tree_.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Command line parameter help\n", 0), 0u);
    EXPECT_NE(r.out.find("-o Specify the output filename (runs the search without showing the "
                         "Scoutwell GUI)\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(UnattendedSearch, DecodedFilesGiveTheirTextAndDamageIsNamed) {
    tree_.file("logs/app.log.gz", storedGzip("start\nconnection timeout\n"));
    tree_.file("logs/cut.gz", storedGzip("first timeout\nsecond timeout\nthird\n", 30));
    tree_.file("logs/win.txt", std::string("\xFF\xFEt\0i\0m\0e\0o\0u\0t\0", 16));
    for (const char* file : {"logs/app.log.gz", "logs/cut.gz", "logs/win.txt"})
        tree_.touch(file, 1700000000);
    const std::string out = home_.path("out.txt");
    const std::string stamp = "\t1 KB\t2023-11-14 22:13:20";

    ProgramResult r = scoutwell({"-o", out, "-d", tree_.path("logs"), "-c", "timeout", "-z"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> rows = lines(testing::readFile(out));
    std::map<std::string, std::vector<std::string>> hits;
    std::string current;
    for (const std::string& row : rows) {
        if (row.starts_with(tree_.path()))
            current = row;
        else if (!row.empty())
            hits[current].push_back(row);
    }
    EXPECT_EQ(hits, (std::map<std::string, std::vector<std::string>>{
                        {tree_.path("logs/app.log.gz") + stamp, {"2\tconnection timeout"}},
                        {tree_.path("logs/cut.gz") + stamp, {"1\tfirst timeout"}},
                        {tree_.path("logs/win.txt") + stamp, {"1\ttimeout"}}}));
    EXPECT_EQ(r.err, "scoutwell: " + tree_.path("logs/cut.gz") +
                         ": the compressed data is damaged or cut short; only the text before "
                         "the damage was searched.\n");

    // Without -z the compressed files are their bytes; UTF-16 is decoded all the same.
    r = scoutwell({"-o", out, "-d", tree_.path("logs"), "-c", "^(start|timeout)$"});
    EXPECT_EQ(lines(testing::readFile(out)),
              (std::vector<std::string>{tree_.path("logs/win.txt") + stamp, "1\ttimeout", ""}));
    EXPECT_EQ(r.err, "");
}

TEST_F(UnattendedSearch, MembersOfArchivesAreRowsWithTheirPathsInside) {
    using testing::writeArchive;
    std::string many;
    for (int i = 1; i <= 3000; ++i)
        many += "timeout " + std::to_string(i) + "\n";
    const std::string zip = writeArchive(
        "zip", "",
        {{"notes.txt", "one timeout here\n", 1700000000}, {"many.log", many, 1700000000}});
    tree_.file("data/outer.tar.gz",
               writeArchive("pax", "gzip", {{"inner/in.zip", zip, 1700000000}}));
    // A tab in a member's name cannot break its row either.
    tree_.file("data/odd.zip", writeArchive("zip", "", {{"a\tb.txt", "timeout\n", 1700000000}}));
    const std::string whole = writeArchive("zip", "", {{"x.txt", "timeout\n"}, {"y.txt", "y\n"}});
    tree_.file("data/cut.zip", whole.substr(0, whole.find("y.txt") + 8));
    const std::string out = home_.path("out.txt");
    const std::string member = tree_.path("data/outer.tar.gz/inner/in.zip/");

    ProgramResult r = scoutwell({"-o", out, "-d", tree_.path("data"), "-c", "timeout", "-z"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::map<std::string, std::size_t> hitCounts;
    std::string current;
    for (const std::string& row : lines(testing::readFile(out))) {
        if (row.starts_with(tree_.path()))
            current = row.substr(0, row.find('\t'));
        else if (!row.empty())
            ++hitCounts[current];
    }
    // Every hit line of a member, read to its end, under the member's own path.
    EXPECT_EQ(hitCounts,
              (std::map<std::string, std::size_t>{{member + "notes.txt", 1},
                                                  {member + "many.log", 3000},
                                                  {tree_.path("data/odd.zip/a\\x09b.txt"), 1},
                                                  {tree_.path("data/cut.zip/x.txt"), 1}}));
    EXPECT_NE(r.err.find(tree_.path("data/cut.zip") + ": the compressed data is damaged"),
              std::string::npos)
        << r.err;

    // A search by name lists members with their sizes and times.
    r = scoutwell({"-o", out, "-d", tree_.path("data"), "-f", "notes.txt", "-z"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(testing::readFile(out)),
              std::vector<std::string>{member + "notes.txt\t1 KB\t2023-11-14 22:13:20"});
    // Without -z an archive is a file like any other.
    r = scoutwell({"-o", out, "-d", tree_.path("data"), "-f", "notes.txt"});
    EXPECT_EQ(lines(testing::readFile(out)), std::vector<std::string>{});
}

TEST_F(UnattendedSearch, RememberedOptionsApplyAndTheCommandLineWins) {
    tree_.file("Upper.TXT", "x\n");
    tree_.file("lower.txt", "x\n");
    home_.file(".config/Kestrel_EXE/Scoutwell.conf", "[Options]\nMatchFilenameCase=1\n");
    const std::string out = home_.path("out.txt");  // outside the searched tree

    ProgramResult r = scoutwell({"-o", out, "-d", tree_.path(), "-f", "*.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(testing::readFile(out)).size(), 1u);  // case matters: lower.txt only

    r = scoutwell({"-o", out, "-d", tree_.path(), "-f", "*.txt", "-fmn"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(testing::readFile(out)).size(), 2u);

    // A FIFO in place of the settings file is read as no settings, without waiting.
    std::filesystem::remove(home_.path(".config/Kestrel_EXE/Scoutwell.conf"));
    home_.fifo(".config/Kestrel_EXE/Scoutwell.conf");
    r = scoutwell({"-o", out, "-d", tree_.path(), "-f", "*.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(testing::readFile(out)).size(), 2u);
}

}  // namespace
}  // namespace scoutwell
