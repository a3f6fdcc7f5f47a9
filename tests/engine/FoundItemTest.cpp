#include "engine/FoundItem.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <map>

#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"

namespace scoutwell {
namespace {

// 2026-12-08 14:03:09 UTC.
const FileTime kSomeTime = fileTimeFromUnix(1796738589, 0);
constexpr const char* kSomeTimeText = "2026-12-08 14:03:09";

class FoundItemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        hadTz_ = tz != nullptr;
        savedTz_ = tz ? tz : "";
        setenv("TZ", "UTC", 1);
        tzset();
        std::setlocale(LC_TIME, "C");
        setTypeNameProvider(nullptr);
    }
    void TearDown() override {
        setTypeNameProvider(nullptr);
        if (hadTz_) {
            setenv("TZ", savedTz_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    bool hadTz_ = false;
    std::string savedTz_;
};

// A file whose full scan is simulated, so writeHits can be tested without a disk.
class ScriptedFile : public FoundFile {
  public:
    using FoundFile::FoundFile;
    int scanContentsFully(SearchExpression&, const SearchCriteria&) override {
        ++fullScans;
        hits.clear();
        hits.emplace_back("first", 0, 5, 3);
        hits.emplace_back("second", 0, 6, 9);
        hitsComplete = true;
        return static_cast<int>(hits.size());
    }
    int fullScans = 0;
};

TEST_F(FoundItemTest, SizeTextCountsStartedKilobytes) {
    struct Case {
        std::int64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 KB"},
        {1, "1 KB"},
        {1023, "1 KB"},
        {1024, "1 KB"},
        {1025, "2 KB"},
        {2048, "2 KB"},
        {2199023255552LL, "2147483648 KB"},  // 2 TB: past the 32-bit range
        {2199023255553LL, "2147483649 KB"},
        {std::numeric_limits<std::int64_t>::max(), "9007199254740992 KB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FoundFile(makeSharedText("/d/"), "f", c.bytes, 0).sizeText(), c.text) << c.bytes;
    }
    EXPECT_EQ(FoundFolder(makeSharedText("/d/"), "sub", 0).sizeText(), "");
}

TEST_F(FoundItemTest, ItemsStaySmall) {
    // A million found files must fit in memory alongside their names.
    EXPECT_LE(sizeof(FoundFile), 112u);
    EXPECT_LE(sizeof(HitLine), 64u);
}

TEST_F(FoundItemTest, KindsAndCloneKeepEveryFieldAndShareTheLocation) {
    FoundFile file(makeSharedText("/data/"), "a.txt", 77, kSomeTime);
    file.hits.emplace_back("line", 1, 2, 5);
    file.hitsComplete = true;
    const std::unique_ptr<FoundItem> copy = file.clone();
    EXPECT_EQ(copy->kind(), FoundItem::kFile);
    EXPECT_EQ(copy->location.get(), file.location.get());
    EXPECT_EQ(copy->fullPath(), "/data/a.txt");
    EXPECT_EQ(copy->size, 77);
    EXPECT_EQ(copy->modified, kSomeTime);
    EXPECT_TRUE(copy->hitsComplete);
    ASSERT_EQ(copy->hits.size(), 1u);
    EXPECT_EQ(copy->hits[0].text, "line");
    EXPECT_NE(dynamic_cast<FoundFile*>(copy.get()), nullptr);

    const FoundFolder folder(makeSharedText("/data/"), "sub", kSomeTime);
    const std::unique_ptr<FoundItem> folderCopy = folder.clone();
    EXPECT_EQ(folderCopy->kind(), FoundItem::kFolder);
    EXPECT_EQ(folderCopy->size, -1);
    EXPECT_NE(dynamic_cast<FoundFolder*>(folderCopy.get()), nullptr);
    EXPECT_EQ(FoundFolder().size, -1);
}

TEST_F(FoundItemTest, AnItemWithoutLocationIsJustItsName) {
    FoundFile file;
    file.name = "loose";
    EXPECT_EQ(file.fullPath(), "loose");
    std::string row;
    file.writeRow(row, ",");
    EXPECT_EQ(row.rfind("loose,0 KB,", 0), 0u);
}

TEST_F(FoundItemTest, DefaultTypeTextsWithoutAProvider) {
    struct Case {
        const char* folder;
        const char* name;
        const char* type;
    };
    const Case cases[] = {
        {"/d/", "notes.txt", "TXT File"},
        {"/d/", "archive.tar.Gz", "GZ File"},
        {"/d/", "README", "File"},
        {"/d/", "trailing.", " File"},
        {"/v1.2/", "README", "2/README File"},  // the last dot of the whole path
        {"/d/", "b\xC3\xA4r.\xC3\xA4x", "\xC3\x84X File"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FoundFile(makeSharedText(c.folder), c.name, 1, 0).typeText(), c.type) << c.name;
    }
    EXPECT_EQ(FoundFolder(makeSharedText("/d/"), "x.y", 0).typeText(), "File Folder");
}

TEST_F(FoundItemTest, ProviderIsAskedOncePerDefaultTextAndEmptyAnswersFallBack) {
    std::map<std::string, int> asked;
    setTypeNameProvider([&](const std::string& path) -> std::string {
        ++asked[path];
        if (path.ends_with(".txt") || path.ends_with(".TXT"))
            return "Plain text document";
        return {};
    });
    EXPECT_EQ(FoundFile(makeSharedText("/a/"), "one.txt", 1, 0).typeText(), "Plain text document");
    // Same default text "TXT File": answered from the cache, the provider is not asked.
    EXPECT_EQ(FoundFile(makeSharedText("/b/"), "two.TXT", 1, 0).typeText(), "Plain text document");
    EXPECT_EQ(FoundFile(makeSharedText("/a/"), "img.png", 1, 0).typeText(), "PNG File");
    EXPECT_EQ(FoundFile(makeSharedText("/a/"), "img2.png", 1, 0).typeText(), "PNG File");
    EXPECT_EQ(asked, (std::map<std::string, int>{{"/a/one.txt", 1}, {"/a/img.png", 1}}));
    EXPECT_EQ(TypeNameCache::lookup("TXT File", "/ignored"), "Plain text document");

    TypeNameCache::clear();
    EXPECT_EQ(FoundFile(makeSharedText("/c/"), "three.txt", 1, 0).typeText(),
              "Plain text document");
    EXPECT_EQ(asked["/c/three.txt"], 1);

    // A new provider must not see the old one's answers.
    setTypeNameProvider([](const std::string&) { return std::string("Anything"); });
    EXPECT_EQ(FoundFile(makeSharedText("/a/"), "one.txt", 1, 0).typeText(), "Anything");
}

TEST_F(FoundItemTest, SummaryAndRowTexts) {
    const FoundFile file(makeSharedText("/home/u/"), "a.txt", 1025, kSomeTime);
    const FoundFolder folder(makeSharedText("/home/u/"), "docs", kSomeTime);
    EXPECT_EQ(file.modifiedText(), kSomeTimeText);
    EXPECT_EQ(file.summaryText(), "/home/u/a.txt   (2 KB,  2026-12-08 14:03:09)");
    EXPECT_EQ(folder.summaryText(), "/home/u/docs   (2026-12-08 14:03:09)");

    std::string out;
    file.writeRow(out, "\t");
    folder.writeRow(out, ",");
    EXPECT_EQ(out,
              "/home/u/a.txt\t2 KB\t2026-12-08 14:03:09\n"
              "/home/u/docs,,2026-12-08 14:03:09\n");

    // A time beyond the calendar leaves the date empty but keeps the row's shape.
    const FoundFile farFuture(makeSharedText("/x/"), "f", 0, std::numeric_limits<FileTime>::max());
    EXPECT_EQ(farFuture.summaryText(), "/x/f   (0 KB,  )");
}

TEST_F(FoundItemTest, WriteHitsScansFullyOnlyWhenContentsWereAskedForAndAreIncomplete) {
    SearchExpression expression;
    SearchCriteria criteria;
    struct Case {
        const char* what;
        bool searchContents;
        bool hitsComplete;
        int expectedScans;
        const char* expected;
    };
    const Case cases[] = {
        {"partial hits are completed", true, false, 1, "3;first\n9;second\n\n"},
        {"complete hits are written as they are", true, true, 0, "1;kept\n\n"},
        {"no contents search: nothing to read", false, false, 0, "1;kept\n\n"},
    };
    for (const Case& c : cases) {
        ScriptedFile file(makeSharedText("/d/"), "f.txt", 10, 0);
        file.hits.emplace_back("kept", 0, 4, 1);
        file.hitsComplete = c.hitsComplete;
        criteria.searchContents = c.searchContents;
        std::string out = "row\n";
        file.writeHits(expression, criteria, out, ";");
        EXPECT_EQ(file.fullScans, c.expectedScans) << c.what;
        EXPECT_EQ(out, std::string("row\n") + c.expected) << c.what;
    }

    ScriptedFile empty(makeSharedText("/d/"), "g.txt", 10, 0);
    empty.hitsComplete = true;
    std::string out;
    empty.writeHits(expression, criteria, out, ";");
    EXPECT_EQ(out, "");  // no blank line without hits
}

}  // namespace
}  // namespace scoutwell
