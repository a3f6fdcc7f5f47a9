#include "app/core/ResultWriter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/FileSystem.h"
#include "engine/ResultsStore.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "platform/posix/PosixFileSystem.h"

namespace scoutwell {
namespace {

constexpr FileTime kSomeTime = 133000000000000000;  // in 2022

std::unique_ptr<FoundFile> file(const std::string& location, const std::string& name,
                                std::int64_t size, std::vector<HitLine> hits = {}) {
    auto item = std::make_unique<FoundFile>(makeSharedText(location), name, size, kSomeTime);
    item->hits = std::move(hits);
    item->hitsComplete = true;
    return item;
}

std::unique_ptr<FoundFolder> folder(const std::string& location, const std::string& name) {
    return std::make_unique<FoundFolder>(makeSharedText(location), name, kSomeTime);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ResultWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        date_ = modifiedText(kSomeTime);
        ASSERT_FALSE(date_.empty());
        items_.push_back(
            file("/data/", "report.txt", 2000,
                 {HitLine("first line", 0, 5, 12), HitLine("second, line", 0, 6, 40)}));
        items_.push_back(folder("/data/a,b/", "sub"));
        items_.push_back(file("/data/a,b/", "empty.log", 0));
        contents_.searchContents = true;
        contents_.containingText = "line";
    }
    std::vector<FoundItem*> items() const {
        std::vector<FoundItem*> list;
        for (const auto& item : items_)
            list.push_back(item.get());
        return list;
    }
    std::string write(ResultFormat format, bool names, bool contents,
                      const SearchCriteria& criteria) {
        return ResultWriter(format, names, contents).format(items(), expression_, criteria);
    }

    std::string date_;
    std::vector<std::unique_ptr<FoundItem>> items_;
    SearchCriteria contents_;
    SearchCriteria namesOnly_;
    SearchExpression expression_;
};

TEST_F(ResultWriterTest, WritesEachFormatByteForByte) {
    const std::string& d = date_;
    struct Case {
        const char* what;
        ResultFormat format;
        bool names, contents, contentsSearch;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"tab, both", ResultFormat::kTabSeparated, true, true, true,
         "/data/report.txt\t2 KB\t" + d + "\r\n12\tfirst line\r\n40\tsecond, line\r\n\r\n" +
             "/data/a,b/sub\t\t" + d + "\r\n/data/a,b/empty.log\t0 KB\t" + d + "\r\n"},
        {"comma, names", ResultFormat::kCommaSeparated, true, false, true,
         "/data/report.txt,2 KB," + d + "\r\n/data/a,b/sub,," + d + "\r\n" +
             "/data/a,b/empty.log,0 KB," + d + "\r\n"},
        {"comma, contents only", ResultFormat::kCommaSeparated, false, true, true,
         "12,first line\r\n40,second, line\r\n\r\n"},
        {"text, both", ResultFormat::kText, true, true, true,
         "/data/report.txt   (2 KB,  " + d + ")\r\n12\tfirst line\r\n40\tsecond, line\r\n\r\n" +
             "/data/a,b/sub   (" + d + ")\r\n/data/a,b/empty.log   (0 KB,  " + d + ")\r\n"},
        {"contents asked, names search", ResultFormat::kTabSeparated, false, true, false, ""},
        {"nothing asked", ResultFormat::kText, false, false, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(write(c.format, c.names, c.contents, c.contentsSearch ? contents_ : namesOnly_),
                  c.expected);
    }
}

TEST_F(ResultWriterTest, NoPathOrLineCanBreakARow) {
    const std::string& d = date_;
    // A name holding a whole forged row, its hit line and the next row.
    const std::string forged =
        "decoy.txt\t1 KB\t2026-01-01 10:00:00\n1\tpassword=\xE2\x80\xA6 needle\n\nzz.txt";
    const std::string escaped =
        "decoy.txt\\x091 KB\\x092026-01-01 10:00:00\\x0A1\\x09password=\xE2\x80\xA6 "
        "needle\\x0A\\x0Azz.txt";
    struct Case {
        std::string location, name, written;
    };
    const Case cases[] = {
        {"/data/", forged, "/data/" + escaped},
        {"/a\rb/", "c\x01\x1F\x7F.txt", "/a\\x0Db/c\\x01\\x1F\x7F.txt"},
        // The backslash is doubled, so that "\x09" in a name stays apart from a TAB.
        {"/win\\dir/", "a\\x09b", "/win\\\\dir/a\\\\x09b"},
        // A path without control bytes or backslashes is written as it is.
        {"/d\xE9j\xC3\xA0/", "a,b;c'd\" e .txt", "/d\xE9j\xC3\xA0/a,b;c'd\" e .txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        // A hit line that is the piece of an overlong line ends with its CR.
        const auto item = file(c.location, c.name, 10, {HitLine("piece\r", 0, 1, 7)});
        std::vector<FoundItem*> list{item.get()};
        EXPECT_EQ(ResultWriter(ResultFormat::kTabSeparated, true, true)
                      .format(list, expression_, contents_),
                  c.written + "\t1 KB\t" + d + "\r\n7\tpiece\r\n\r\n");
        EXPECT_EQ(ResultWriter(ResultFormat::kCommaSeparated, true, false)
                      .format(list, expression_, contents_),
                  c.written + ",1 KB," + d + "\r\n");
        EXPECT_EQ(
            ResultWriter(ResultFormat::kText, true, false).format(list, expression_, contents_),
            c.written + "   (1 KB,  " + d + ")\r\n");
    }
}

TEST_F(ResultWriterTest, FormatTableAndLineEnds) {
    EXPECT_STREQ(kResultFormats[0].name, "Text");
    EXPECT_STREQ(kResultFormats[1].extension, "csv");
    EXPECT_EQ(resultFormatFromIndex(2), ResultFormat::kTabSeparated);
    EXPECT_EQ(resultFormatFromIndex(7), ResultFormat::kText);
    EXPECT_EQ(withCrLf("a\nb\r\n\nc"), "a\r\nb\r\r\n\r\nc");
}

TEST_F(ResultWriterTest, StoreItemsAreWrittenInTheStoreOrder) {
    ResultsStore store;
    for (auto* item : items())
        store.add(*item);
    store.sortBySize();  // the folder first
    const std::string out = ResultWriter(ResultFormat::kCommaSeparated, true, false)
                                .format(store, expression_, namesOnly_);
    EXPECT_EQ(out.rfind("/data/a,b/sub,,", 0), 0u) << out;
    EXPECT_EQ(store.count(), 3u);
}

class ScannedFileTest : public ResultWriterTest {
  protected:
    void SetUp() override {
        ResultWriterTest::SetUp();
        char pattern[] = "/tmp/scoutwell-results-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = std::string(pattern) + "/";
        std::ofstream(dir_ + "notes.txt") << "alpha\nneedle one\nbeta\nNEEDLE two\n";
        previous_ = fileSystem();
        setFileSystem(&fs_);
        contents_.containingText = "needle";
        ASSERT_TRUE(expression_.set("needle", /*matchCase=*/false, /*compileNow=*/true, nullptr));
    }
    void TearDown() override {
        setFileSystem(previous_);
        std::filesystem::remove_all(dir_);
    }
    std::string dir_;
    PosixFileSystem fs_;
    FileSystem* previous_ = nullptr;
};

TEST_F(ScannedFileTest, PartlyReadFilesAreReadToTheEnd) {
    auto item = file(dir_, "notes.txt", 40, {HitLine("needle one", 0, 6, 2)});
    item->hitsComplete = false;
    std::vector<FoundItem*> list{item.get()};
    const std::string out =
        ResultWriter(ResultFormat::kTabSeparated, false, true).format(list, expression_, contents_);
    EXPECT_EQ(out, "2\tneedle one\r\n4\tNEEDLE two\r\n\r\n");
}

TEST_F(ScannedFileTest, StreamWriterWritesEachItemAndCountsThem) {
    const std::string path = dir_ + "out.txt";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    {
        ResultStreamWriter writer(fd, expression_, contents_);
        auto partly = file(dir_, "notes.txt", 40, {HitLine("needle one", 0, 6, 2)});
        partly->hitsComplete = false;
        writer.add(*partly);
        EXPECT_FALSE(partly->hitsComplete);  // the engine's item stays as it was
        writer.add(*folder(dir_, "sub"));
        EXPECT_TRUE(writer.flush());
        EXPECT_EQ(writer.itemCount(), 2u);
    }
    ::close(fd);
    EXPECT_EQ(readFile(path), dir_ + "notes.txt\t1 KB\t" + date_ +
                                  "\r\n2\tneedle one\r\n4\tNEEDLE two\r\n\r\n" + dir_ + "sub\t\t" +
                                  date_ + "\r\n");

    // Without a contents search, rows only.
    const int fd2 = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    ResultStreamWriter names(fd2, expression_, namesOnly_);
    names.add(*items_[0]);
    EXPECT_TRUE(names.flush());
    ::close(fd2);
    EXPECT_EQ(readFile(path), "/data/report.txt\t2 KB\t" + date_ + "\r\n");
}

TEST_F(ScannedFileTest, StreamWriterReportsFailedWrites) {
    const int full = ::open("/dev/full", O_WRONLY);
    if (full < 0)
        GTEST_SKIP() << "no /dev/full";
    ResultStreamWriter writer(full, expression_, namesOnly_);
    writer.add(*items_[0]);
    EXPECT_FALSE(writer.flush());
    EXPECT_TRUE(writer.failed());
    EXPECT_EQ(writer.error(), ENOSPC);
    writer.add(*items_[1]);
    EXPECT_FALSE(writer.flush());
    ::close(full);
}

TEST_F(ScannedFileTest, ResultFileIsTruncatedOrAppended) {
    const std::string path = dir_ + "saved.csv";
    std::string error;
    ASSERT_TRUE(writeResultFile(path, "old\r\n", /*overwrite=*/true, error));
    ASSERT_TRUE(writeResultFile(path, "new\r\n", /*overwrite=*/false, error));
    EXPECT_EQ(readFile(path), "old\r\nnew\r\n");
    ASSERT_TRUE(writeResultFile(path, "", /*overwrite=*/true, error));
    EXPECT_EQ(readFile(path), "");

    EXPECT_FALSE(writeResultFile(dir_ + "no/such.csv", "x", true, error));
    EXPECT_EQ(error, "Unable to open file " + dir_ + "no/such.csv for writing");
    EXPECT_FALSE(writeResultFile("/dev/full", "x", false, error));
    EXPECT_EQ(error, "Writing to file failed");
}

}  // namespace
}  // namespace scoutwell
