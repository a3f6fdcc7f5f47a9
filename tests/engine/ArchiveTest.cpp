// Members of archives as found items: every format, nesting, the entry tests, hostile
// names and links, bombs, damage and encryption, in every way a search runs.
#include "engine/Archives.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "engine/ScanBuffers.h"
#include "engine/ScanPool.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "engine/SearchExpression.h"
#include "support/ArchiveWriter.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::ArchiveMember;
using testing::TempTree;
using testing::writeArchive;

// What a search delivered: each item's path relative to the tree and its hit lines, and the
// notes of items cut short, in order.
struct Found {
    std::vector<std::string> rows;
    std::vector<std::string> notes;
};

class Collector : public FoundItemSink {
  public:
    explicit Collector(std::size_t prefix, bool allHits = false)
        : prefix_(prefix), allHits_(allHits) {}

    void add(const FoundItem& item) override {
        std::lock_guard<std::mutex> g(lock_);
        std::string row = item.fullPath().substr(prefix_);
        for (const HitLine& h : item.hits)
            row += "|" + std::to_string(h.lineNumber) + ":" + h.text;
        if (item.textEnd != TextEnd::kWhole)
            row += "|cut " + std::to_string(static_cast<int>(item.textEnd));
        found.rows.push_back(row);
    }
    void textCutShort(const FoundItem& item) override {
        std::lock_guard<std::mutex> g(lock_);
        found.notes.push_back(item.fullPath().substr(prefix_) + " " +
                              std::to_string(static_cast<int>(item.textEnd)));
    }
    bool takesAllHits() const override { return allHits_; }
    void addHits(const FoundItem& item) override {
        std::lock_guard<std::mutex> g(lock_);
        for (const HitLine& h : item.hits)
            found.rows.back() += "|" + std::to_string(h.lineNumber) + ":" + h.text;
    }

    Found found;

  private:
    std::mutex lock_;
    std::size_t prefix_;
    bool allHits_;
};

struct RunOptions {
    bool onePhase = false;
    int threads = 1;
    bool allHits = false;
    bool compressed = true;
};

class ArchiveTest : public ::testing::Test {
  protected:
    void TearDown() override { setScanThreads(0); }

    Found search(const TempTree& tree, const std::string& name, const std::string& text,
                 RunOptions o = {}, const std::function<void(SearchCriteria&)>& more = {}) {
        setScanThreads(o.threads);
        SearchCriteria c;
        c.lookIn = {tree.path()};
        c.fileName = name;
        c.containingText = text;
        c.searchContents = !text.empty();
        c.onePhaseSearch = o.onePhase;
        c.searchCompressed = o.compressed;
        if (more)
            more(c);
        std::string error;
        EXPECT_TRUE(c.prepare(error)) << error;
        Collector out(tree.path().size(), o.allHits);
        c.sink = &out;
        SearchEngine engine(&c, nullptr);
        engine.run();
        return std::move(out.found);
    }
};

using Rows = std::vector<std::string>;

// Folders list in no particular order: rows of several archives are compared sorted, with
// the order within each archive checked where it matters.
Rows sorted(Rows rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

TEST_F(ArchiveTest, MembersOfEveryFormatAreFoundInWalkOrder) {
    TempTree tree;
    const std::vector<ArchiveMember> members = {
        {"src/", "", 1700000000, ArchiveMember::kFolder},
        {"src/main.c", "int main() { return 0; }\n// needle here\n"},
        {"README", "no match\n"},
    };
    struct Format {
        const char* file;
        const char* format;
        const char* filter;
    };
    const Format formats[] = {
        {"a.zip", "zip", ""},         {"b.tar", "ustar", ""},
        {"c.tgz", "pax", "gzip"},     {"d.tar.xz", "gnutar", "xz"},
        {"e.tar.zst", "pax", "zstd"}, {"f.7z", "7zip", ""},
        {"g.cpio", "cpio", ""},       {"h.a", "ar", ""},
        {"i.iso", "iso9660", ""},     {"j.tar.bz2", "ustar", "bzip2"},
    };
    Rows byName;
    Rows byContents;
    for (const Format& f : formats) {
        std::vector<ArchiveMember> these = members;
        if (std::string(f.format) == "ar")  // ar holds no folders
            these = {{"main.c", members[1].data}, {"README", members[2].data}};
        tree.file(f.file, writeArchive(f.format, f.filter, these));
        const std::string dir = std::string(f.file) + (these.size() == 2 ? "/" : "/src/");
        byName.push_back(dir + "main.c");
        byContents.push_back(dir + "main.c|2:// needle here");
    }
    tree.file("k.txt", "needle in a plain file\n");
    tree.file("l.gz", writeArchive("raw", "gzip", {{"x", "a gzip log with a needle\n"}}));
    byContents.push_back("k.txt|1:needle in a plain file");
    byContents.push_back("l.gz|1:a gzip log with a needle");

    // Names: the members whose names pass, nothing of the archives themselves.
    EXPECT_EQ(sorted(search(tree, "main.c", "").rows), sorted(byName));
    // Contents, in every way a search scans them: the same items in the walk's order.
    const Rows walked = search(tree, "", "needle").rows;
    EXPECT_EQ(sorted(walked), sorted(byContents));
    for (const RunOptions o : {RunOptions{true, 1}, RunOptions{true, 4}, RunOptions{false, 3, true},
                               RunOptions{true, 2, true}}) {
        EXPECT_EQ(search(tree, "", "needle", o).rows, walked)
            << "one phase " << o.onePhase << " threads " << o.threads;
    }
    // Without the option an archive is one file and nothing inside it is found.
    EXPECT_EQ(search(tree, "main.c", "", {.compressed = false}).rows, Rows{});
    // The archive is a found item when its own name passes; its members too when theirs do.
    EXPECT_EQ(search(tree, "a.zip", "").rows, Rows{"a.zip"});
    EXPECT_EQ(search(tree, "", "").rows.size(), std::size(formats) * 3 + 2);
}

TEST_F(ArchiveTest, NestedArchivesAreListedFourDeep) {
    TempTree tree;
    const std::string zip = writeArchive("zip", "", {{"notes.txt", "the needle inside\n"}});
    tree.file("outer.tar.gz", writeArchive("pax", "gzip", {{"docs/inner.zip", zip}}));
    EXPECT_EQ(search(tree, "", "needle").rows,
              Rows{"outer.tar.gz/docs/inner.zip/notes.txt|1:the needle inside"});
    EXPECT_EQ(search(tree, "notes", "").rows, Rows{"outer.tar.gz/docs/inner.zip/notes.txt"});

    // Five archives deep: the fifth is a member as any other, not listed.
    std::string nested = writeArchive("zip", "", {{"deep.txt", "needle\n"}});
    for (int level = 4; level >= 1; --level)
        nested = writeArchive("zip", "", {{"l" + std::to_string(level) + ".zip", nested}});
    TempTree deep;
    deep.file("top.zip", nested);
    EXPECT_EQ(search(deep, "", "").rows,
              (Rows{"top.zip", "top.zip/l1.zip", "top.zip/l1.zip/l2.zip",
                    "top.zip/l1.zip/l2.zip/l3.zip", "top.zip/l1.zip/l2.zip/l3.zip/l4.zip"}));
    EXPECT_EQ(search(deep, "", "needle").rows, Rows{});
}

TEST_F(ArchiveTest, TheEntryTestsApplyToMembers) {
    TempTree tree;
    tree.file("pack.tar", writeArchive("ustar", "",
                                       {{"old.txt", std::string(5000, 'o'), 1000000000},
                                        {"new.txt", "n\n", 1700000000},
                                        {"new.log", std::string(3000, 'l') + "\n", 1700000000}}));
    // The archive's own size and time do not keep its members out.
    tree.touch("pack.tar", 500000000);
    EXPECT_EQ(search(tree, "*.txt", "").rows, (Rows{"pack.tar/old.txt", "pack.tar/new.txt"}));
    EXPECT_EQ(
        search(tree, "*.txt", "", {}, [](SearchCriteria& c) { c.excludeFilename = true; }).rows,
        (Rows{"pack.tar", "pack.tar/new.log"}));
    // Sizes are the members' own, uncompressed: 5000 and 3001 bytes are more than 2 KB.
    EXPECT_EQ(search(tree, "", "", {},
                     [](SearchCriteria& c) {
                         c.sizeMoreThanOn = true;
                         c.sizeMoreThan = 2048;
                     })
                  .rows,
              (Rows{"pack.tar", "pack.tar/old.txt", "pack.tar/new.log"}));
    EXPECT_EQ(search(tree, "", "", {},
                     [](SearchCriteria& c) {
                         c.modifiedAfterOn = true;
                         c.modifiedAfter = oleDateFromFileTime(fileTimeFromUnix(1600000000, 0));
                     })
                  .rows,
              (Rows{"pack.tar/new.txt", "pack.tar/new.log"}));
}

TEST_F(ArchiveTest, HostileNamesStayInsideAndLinksAreNeverFollowed) {
    EXPECT_EQ(memberPath("../../etc/passwd"), "etc/passwd");
    EXPECT_EQ(memberPath("/abs/./x//y/"), "abs/x/y");
    EXPECT_EQ(memberPath("a/../../b"), "a/b");
    EXPECT_EQ(memberPath("../.."), "");

    TempTree tree;
    tree.file("secret.txt", "needle outside the archive\n");
    tree.file("links.tar", writeArchive("pax", "",
                                        {{"to-secret", "../secret.txt", 0, ArchiveMember::kSymlink},
                                         {"abs-link", "/etc/passwd", 0, ArchiveMember::kSymlink},
                                         {"real.txt", "needle inside\n"},
                                         {"hard.txt", "real.txt", 0, ArchiveMember::kHardlink}}));
    testing::RawZipMember up{"../../up.txt", "needle up\n"};
    testing::RawZipMember absolute{"/tmp/abs.txt", "needle abs\n"};
    testing::RawZipMember latin1{"caf\xE9.txt", "needle latin\n"};
    testing::RawZipMember empty{"../", "needle nowhere\n"};
    tree.file("names.zip", testing::rawZip({up, absolute, latin1, empty}));
    EXPECT_EQ(sorted(search(tree, "", "needle").rows),
              (Rows{"links.tar/real.txt|1:needle inside", "names.zip/caf\xE9.txt|1:needle latin",
                    "names.zip/tmp/abs.txt|1:needle abs", "names.zip/up.txt|1:needle up",
                    "secret.txt|1:needle outside the archive"}));
}

// A child process runs `body` so that its peak memory can be measured; returns the peak in
// KB above this process's resident memory at the fork (a little below 0 when the child
// grew less than the pages it did not inherit), or kFailed when the body failed.
constexpr long kFailed = LONG_MIN;
long peakKbOf(const std::function<bool()>& body) {
    // The child starts with this process's resident pages, not with its peak.
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    const long before = resident * (sysconf(_SC_PAGESIZE) / 1024);
    const pid_t child = fork();
    if (child == 0)
        _exit(body() ? 0 : 1);
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return kFailed;
    return usage.ru_maxrss - before;
}

TEST_F(ArchiveTest, BombsAreCutOffAndSaidSo) {
    TempTree tree;
    const std::uint64_t tenGb = std::uint64_t{10} << 30;
    const std::string bomb = testing::zipBomb(tenGb);
    ASSERT_LT(bomb.size(), 16u << 20);
    tree.file("bomb.zip", bomb);
    // Archives in archives: ten of a 1 GiB bomb, in a zip of such zips.
    const std::string small = testing::zipBomb(std::uint64_t{1} << 30);
    std::vector<ArchiveMember> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back({"b" + std::to_string(i) + ".zip", small});
    const std::string layer = writeArchive("zip", "", ten, "zip:compression=store");
    tree.file("nested.zip", writeArchive("zip", "", {{"x.zip", layer}, {"y.zip", layer}},
                                         "zip:compression=store"));
    // Overlapping entries: the central directory lists the one member a hundred times.
    std::string overlap = small;
    for (int i = 0; i < 100; ++i)
        overlap += small.substr(small.find("PK\x01\x02"));
    tree.file("overlap.zip", overlap);

    for (const char* text : {"", "needle"}) {
        const long peak = peakKbOf([&] {
            const Found out = search(tree, "", text, {.threads = 2});
            // Each archive was cut off, and said so, once.
            const Rows expected = {"bomb.zip 2", "nested.zip 2", "overlap.zip 2"};
            Rows notes = out.notes;
            std::erase_if(notes,
                          [](const std::string& n) { return n.find('/') != std::string::npos; });
            return sorted(notes) == expected;
        });
        EXPECT_NE(peak, kFailed) << "contents '" << text << "'";
        EXPECT_LT(peak, 200 * 1024);
    }
}

TEST_F(ArchiveTest, DamageKeepsTheHitsBeforeItAndIsNoted) {
    std::vector<ArchiveMember> members;
    std::uint32_t seed = 1;
    for (int i = 0; i < 40; ++i) {
        // Text that compresses little, so that a cut lands among the members.
        std::string noise(4000, ' ');
        for (char& ch : noise) {
            seed = seed * 1103515245 + 12345;
            ch = static_cast<char>('a' + (seed >> 16) % 26);
        }
        members.push_back({"m" + std::to_string(100 + i) + ".txt",
                           "needle " + std::to_string(i) + "\n" + noise + "\n"});
    }
    const std::string zip = writeArchive("zip", "", members);
    const std::string tgz = writeArchive("pax", "gzip", members);
    for (const auto& [name, whole] : {std::pair{"t.zip", zip}, std::pair{"t.tgz", tgz}}) {
        for (const double at : {0.1, 0.5, 0.9}) {
            TempTree tree;
            const auto cut = static_cast<std::size_t>(static_cast<double>(whole.size()) * at);
            tree.file(name, whole.substr(0, cut));
            const Found out = search(tree, "", "needle", {.threads = 2});
            // The members before the cut, in order, then a note.
            ASSERT_FALSE(out.rows.empty()) << name << " at " << at;
            for (std::size_t i = 0; i < out.rows.size(); ++i) {
                EXPECT_EQ(out.rows[i].substr(0, std::string(name).size() + 9),
                          std::string(name) + "/m" + std::to_string(100 + i) + ".txt")
                    << name << " at " << at;
            }
            EXPECT_LT(out.rows.size(), members.size());
            EXPECT_FALSE(out.notes.empty()) << name << " at " << at;
        }
    }
}

TEST_F(ArchiveTest, EncryptedMembersAreNotedAndPassedOver) {
    TempTree tree;
    tree.file("locked.zip", writeArchive("zip", "", {{"a.txt", "needle\n"}, {"b.txt", "needle\n"}},
                                         "zip:encryption=zipcrypt", "secret"));
    testing::RawZipMember flagged{"d.txt", "needle, but said to be encrypted\n"};
    flagged.encrypted = true;
    tree.file("mixed.zip", testing::rawZip({flagged, {"e.txt", "needle\n"}}));
    const Found out = search(tree, "", "needle");
    EXPECT_EQ(out.rows, Rows{"mixed.zip/e.txt|1:needle"});
    // A member whose sizes follow its data cannot be passed over when it cannot be read:
    // the rest of that archive is not listed.
    EXPECT_EQ(sorted(out.notes), (Rows{"locked.zip/a.txt 3", "mixed.zip/d.txt 3"}));
}

TEST_F(ArchiveTest, AHundredThousandMembersInBoundedMemory) {
    std::vector<ArchiveMember> members;
    members.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        members.push_back({"d" + std::to_string(i % 100) + "/f" + std::to_string(i) + ".txt",
                           i % 9999 == 0 ? "needle\n" : "hay\n"});
    TempTree tree;
    tree.file("many.tgz", writeArchive("pax", "gzip", members));
    members.clear();
    members.shrink_to_fit();
    std::size_t hits = 0;
    std::size_t named = 0;
    const long peak = peakKbOf([&] {
        hits = search(tree, "", "needle", {.threads = 2}).rows.size();
        named = search(tree, "f1234", "").rows.size();
        // 0, 9999, ..., 99990; f1234 and f12340 to f12349.
        return hits == 11 && named == 11;
    });
    EXPECT_NE(peak, kFailed);
    EXPECT_LT(peak, 100 * 1024);
}

TEST_F(ArchiveTest, AMemberIsReadAgainThroughItsArchives) {
    TempTree tree;
    std::string text;
    for (int i = 1; i <= 5000; ++i)
        text += (i % 1000 == 0 ? "needle " : "line ") + std::to_string(i) + "\n";
    const std::string zip = writeArchive("zip", "", {{"other.txt", "x"}, {"dir/log.txt", text}});
    tree.file("o.tar.xz", writeArchive("pax", "xz", {{"in.zip", zip}}));
    // The window's search stops at the first chunk with a hit.
    const Found found = search(tree, "", "needle", {.onePhase = true});
    ASSERT_EQ(found.rows.size(), 1u);
    FoundFile member(makeSharedText(tree.path("o.tar.xz/in.zip/dir/")), "log.txt", 0, 0);
    member.archivePathLength = static_cast<std::uint32_t>(tree.path("o.tar.xz").size());
    SearchCriteria c;
    SearchExpression e;
    ASSERT_TRUE(e.set("needle", true, true, nullptr));
    EXPECT_EQ(member.scanContentsFully(e, c), 5);
    EXPECT_TRUE(member.hitsComplete);
    EXPECT_EQ(member.hits.back().lineNumber, 5000);
    // A member no longer there has no hits.
    FoundFile gone(makeSharedText(tree.path("o.tar.xz/in.zip/dir/")), "nope.txt", 0, 0);
    gone.archivePathLength = member.archivePathLength;
    EXPECT_EQ(gone.scanContentsFully(e, c), 0);
}

}  // namespace
}  // namespace scoutwell
