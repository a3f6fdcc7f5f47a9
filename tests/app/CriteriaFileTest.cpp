#include "app/core/CriteriaFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/SearchCriteria.h"

namespace scoutwell {
namespace {

constexpr const char* kDefaultFolder = "/home/tester/";
constexpr const char* kLabel = "Local hard drives (/,/home/)";

class CriteriaFileTest : public ::testing::Test {
  protected:
    void SetUp() override { setSearchEnvironment({kDefaultFolder, kLabel}); }
};

// Builds expected file bytes field by field.
struct Bytes {
    std::string s;
    Bytes& u8(unsigned v) {
        s.push_back(static_cast<char>(v));
        return *this;
    }
    Bytes& u16(unsigned v) { return u8(v & 0xFF).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            u8((v >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& u64(std::uint64_t v) { return u32(static_cast<std::uint32_t>(v)).u32(v >> 32); }
    Bytes& real(double d) {
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        return u64(bits);
    }
    Bytes& str(std::string_view t) {
        u8(static_cast<unsigned>(t.size()));
        s.append(t);
        return *this;
    }
};

// The fields after the contents flag up to the sizes, as in every 8-byte-date schema.
Bytes& commonFields(Bytes& b) {
    return b.u32(0)
        .u32(1)
        .u32(1)
        .u32(0)  // subfolders, autoConvertToDos, cases
        .u32(1)
        .u32(0)         // modifiedAfterOn, modifiedBeforeOn
        .real(45000.5)  // modifiedBefore
        .real(44000.0)  // modifiedAfter
        .u32(0)
        .u32(1)               // sizeMoreThanOn, sizeLessThanOn
        .u64(0x100000002ull)  // sizeLessThan
        .u64(1024);           // sizeMoreThan
}

TEST_F(CriteriaFileTest, WritesTheCurrentLayoutByteForByte) {
    SearchCriteria criteria;
    criteria.setLookInText("/abc/");
    criteria.eolMac = true;  // not stored
    const std::string bytes = CriteriaFile::serialize(criteria);
    ASSERT_EQ(bytes.size(), 80u + 1 + 1 + 1 + 5);

    Bytes expected;
    expected.u32(336)
        .u32(1)
        .u32(0)
        .u32(0)  // schema, regexp, exclude, searchContents
        .u32(1)
        .u32(1)
        .u32(0)
        .u32(0)  // subfolders, dos, contents case, name case
        .u32(0)
        .u32(0)
        .real(kNoDate)
        .real(kNoDate)
        .u32(0)
        .u32(0)
        .u64(0)
        .u64(0)
        .str("")
        .str("")
        .str("/abc/");
    EXPECT_EQ(bytes, expected.s);
}

TEST_F(CriteriaFileTest, StringLengthsUseTheShortestForm) {
    struct Case {
        std::size_t length;
        std::string prefix;
    };
    const std::vector<Case> cases = {
        {254, "\xFE"},
        {255, std::string("\xFF\xFF\x00", 3)},
        {300, std::string("\xFF\x2C\x01", 3)},
        {0xFFFD, std::string("\xFF\xFD\xFF", 3)},
        {0xFFFE, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        SearchCriteria criteria;
        criteria.containingText.assign(c.length, 'x');
        const std::string bytes = CriteriaFile::serialize(criteria);
        EXPECT_EQ(bytes.substr(80, c.prefix.size()), c.prefix);
        EXPECT_EQ(bytes.substr(80 + c.prefix.size(), c.length), criteria.containingText);

        SearchCriteria back;
        std::string error;
        ASSERT_TRUE(CriteriaFile::deserialize(bytes, back, error)) << error;
        EXPECT_EQ(back.containingText, criteria.containingText);
    }
}

TEST_F(CriteriaFileTest, RoundTripKeepsEveryStoredField) {
    SearchCriteria criteria;
    criteria.treatContentsAsRegExp = false;
    criteria.excludeFilename = true;
    criteria.searchContents = true;
    criteria.subfolders = false;
    criteria.autoConvertToDos = false;
    criteria.matchContentsCase = true;
    criteria.matchFilenameCase = true;
    criteria.modifiedAfterOn = true;
    criteria.modifiedBeforeOn = true;
    criteria.modifiedAfter = 40000.25;
    criteria.modifiedBefore = -1.5;
    criteria.sizeMoreThanOn = true;
    criteria.sizeLessThanOn = true;
    criteria.sizeMoreThan = 5 * 1024;
    criteria.sizeLessThan = 0x123456789Aull;
    criteria.containingText = "error|fail";
    criteria.fileName = "*.log;*.txt";
    criteria.setLookInText("/var/log;/home/");

    SearchCriteria back;
    back.onePhaseSearch = true;
    back.eolUnix = false;
    std::string error;
    ASSERT_TRUE(CriteriaFile::deserialize(CriteriaFile::serialize(criteria), back, error));
    EXPECT_EQ(CriteriaFile::serialize(back), CriteriaFile::serialize(criteria));
    EXPECT_EQ(back.lookIn, (std::vector<std::string>{"/var/log/", "/home/"}));
    // Options that files do not hold keep the values the document had.
    EXPECT_TRUE(back.onePhaseSearch);
    EXPECT_FALSE(back.eolUnix);
}

TEST_F(CriteriaFileTest, ReadsOlderSchemas) {
    struct Case {
        const char* what;
        Bytes head;  // up to and including the contents flag
        bool statusDates;
        bool searchContents;
        bool regExp;
        bool exclude;
    };
    // The document starts with regExp true and exclude true, so unread flags show.
    const std::vector<Case> cases = {
        {"256 with 0", Bytes().u32(0), true, false, true, true},
        {"256 with 1", Bytes().u32(1), true, true, true, true},
        {"259", Bytes().u32(259).u32(7), false, true, true, true},
        {"260", Bytes().u32(260).u32(0).u32(0).u32(1), false, true, false, false},
        {"261", Bytes().u32(261).u32(0).u32(1).u32(0), false, false, false, true},
        {"other", Bytes().u32(300), false, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = c.head;
        file.u32(0).u32(1).u32(1).u32(0).u32(1).u32(0);
        if (c.statusDates)
            file.u32(0xDEAD);
        file.real(45000.5);
        if (c.statusDates)
            file.u32(0xBEEF);
        file.real(44000.0);
        file.u32(0).u32(1).u64(0x100000002ull).u64(1024).str("abc").str("*.c").str(";;");

        SearchCriteria criteria;
        criteria.excludeFilename = true;
        std::string error;
        ASSERT_TRUE(CriteriaFile::deserialize(file.s, criteria, error)) << error;
        EXPECT_EQ(criteria.searchContents, c.searchContents);
        EXPECT_EQ(criteria.treatContentsAsRegExp, c.regExp);
        EXPECT_EQ(criteria.excludeFilename, c.exclude);
        EXPECT_FALSE(criteria.subfolders);
        EXPECT_TRUE(criteria.autoConvertToDos);
        EXPECT_TRUE(criteria.matchContentsCase);
        EXPECT_FALSE(criteria.matchFilenameCase);
        EXPECT_TRUE(criteria.modifiedAfterOn);
        EXPECT_FALSE(criteria.modifiedBeforeOn);
        EXPECT_EQ(criteria.modifiedBefore, 45000.5);
        EXPECT_EQ(criteria.modifiedAfter, 44000.0);
        EXPECT_FALSE(criteria.sizeMoreThanOn);
        EXPECT_TRUE(criteria.sizeLessThanOn);
        EXPECT_EQ(criteria.sizeLessThan, 0x100000002ull);
        EXPECT_EQ(criteria.sizeMoreThan, 1024u);
        EXPECT_EQ(criteria.containingText, "abc");
        EXPECT_EQ(criteria.fileName, "*.c");
        EXPECT_EQ(criteria.lookIn, std::vector<std::string>{kDefaultFolder});
    }
}

TEST_F(CriteriaFileTest, LookInStringIsNormalised) {
    struct Case {
        std::string stored;
        std::vector<std::string> lookIn;
    };
    const std::vector<Case> cases = {
        {";;", {kDefaultFolder}},
        {"  /data/// ;/e", {"/data/", "/e/"}},
        {kLabel, {kLabel}},
        {"///", {"/"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SearchCriteria source;
        source.lookIn = {c.stored};
        SearchCriteria criteria;
        std::string error;
        ASSERT_TRUE(CriteriaFile::deserialize(CriteriaFile::serialize(source), criteria, error));
        EXPECT_EQ(criteria.lookIn, c.lookIn);
    }
}

TEST_F(CriteriaFileTest, ReadsSixteenBitTextAsUtf8) {
    Bytes file;
    file.u32(336).u32(1).u32(0).u32(1);
    commonFields(file);
    // "aé€😀", a lone high surrogate, "b", and a lone low one at the end.
    file.u8(0xFF).u16(0xFFFE).u8(8);
    for (unsigned unit : {0x61u, 0xE9u, 0x20ACu, 0xD83Du, 0xDE00u, 0xD800u, 0x62u, 0xDC00u}) {
        file.u16(unit);
    }
    // A wide string whose second length takes the 16-bit form.
    file.u8(0xFF).u16(0xFFFE).u8(0xFF).u16(300);
    for (int i = 0; i < 300; ++i)
        file.u16('z');
    file.str("/x/");

    SearchCriteria criteria;
    std::string error;
    ASSERT_TRUE(CriteriaFile::deserialize(file.s, criteria, error)) << error;
    EXPECT_EQ(criteria.containingText,
              "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(criteria.fileName, std::string(300, 'z'));
    EXPECT_EQ(criteria.lookIn, std::vector<std::string>{"/x/"});
}

TEST_F(CriteriaFileTest, EveryTruncationIsRefusedAndChangesNothing) {
    SearchCriteria source;
    source.containingText = std::string(300, 'c');
    source.fileName = "*.txt";
    source.setLookInText("/abc/;/def/");
    source.searchContents = true;
    const std::string bytes = CriteriaFile::serialize(source);

    SearchCriteria criteria;
    criteria.fileName = "keep";
    criteria.subfolders = false;
    const std::string before = CriteriaFile::serialize(criteria);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        std::string error;
        ASSERT_FALSE(CriteriaFile::deserialize(bytes.substr(0, length), criteria, error)) << length;
        EXPECT_EQ(error, kUnexpectedFileFormat);
        ASSERT_EQ(CriteriaFile::serialize(criteria), before) << length;
    }
}

TEST_F(CriteriaFileTest, HugeDeclaredLengthsAreRefused) {
    const std::vector<std::string> lengths = {
        std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7),          // 32-bit length
        std::string("\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 9),  // wide, 32-bit count
        std::string("\xFF\xFE\xFF\xFF\xFE\xFF\x01", 7),          // wide marker twice
        std::string("\xFF\xFE\xFF\x05\x61\x00", 6),              // 5 characters, 1 there
    };
    for (const auto& length : lengths) {
        Bytes file;
        file.u32(336).u32(1).u32(0).u32(1);
        commonFields(file);
        file.s += length;
        file.s += std::string(16, 'a');
        SearchCriteria criteria;
        std::string error;
        EXPECT_FALSE(CriteriaFile::deserialize(file.s, criteria, error));
        EXPECT_EQ(error, kUnexpectedFileFormat);
    }
}

class CriteriaFileOnDiskTest : public CriteriaFileTest {
  protected:
    void SetUp() override {
        CriteriaFileTest::SetUp();
        char pattern[] = "/tmp/scoutwell-criteria-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0700);
        std::filesystem::remove_all(dir_);
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    std::string dir_;
};

TEST_F(CriteriaFileOnDiskTest, SaveReplacesTheFileAndLoadReadsItBack) {
    const std::string path = dir_ + "/saved.srf";
    SearchCriteria criteria;
    criteria.fileName = "first";
    std::string error;
    ASSERT_TRUE(CriteriaFile::save(path, criteria, error)) << error;
    ::chmod(path.c_str(), 0640);
    criteria.fileName = "second";
    ASSERT_TRUE(CriteriaFile::save(path, criteria, error)) << error;
    EXPECT_EQ(files(), std::vector<std::string>{"saved.srf"});
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    SearchCriteria loaded;
    ASSERT_TRUE(CriteriaFile::load(path, loaded, error)) << error;
    EXPECT_EQ(loaded.fileName, "second");
}

TEST_F(CriteriaFileOnDiskTest, FailedSaveKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    const std::string path = dir_ + "/saved.srf";
    SearchCriteria criteria;
    criteria.fileName = "old";
    std::string error;
    ASSERT_TRUE(CriteriaFile::save(path, criteria, error));
    ::chmod(dir_.c_str(), 0500);
    criteria.fileName = "new";
    EXPECT_FALSE(CriteriaFile::save(path, criteria, error));
    EXPECT_EQ(error.rfind(kFailedToSaveDocument, 0), 0u) << error;
    ::chmod(dir_.c_str(), 0700);
    EXPECT_EQ(files(), std::vector<std::string>{"saved.srf"});
    SearchCriteria loaded;
    ASSERT_TRUE(CriteriaFile::load(path, loaded, error));
    EXPECT_EQ(loaded.fileName, "old");
}

TEST_F(CriteriaFileOnDiskTest, FailedRenameLeavesNoTemporaryBehind) {
    const std::string target = dir_ + "/folder.srf";
    std::filesystem::create_directory(target);
    SearchCriteria criteria;
    std::string error;
    EXPECT_FALSE(CriteriaFile::save(target, criteria, error));
    EXPECT_EQ(error.rfind(kFailedToSaveDocument, 0), 0u) << error;
    EXPECT_EQ(files(), std::vector<std::string>{"folder.srf"});
    EXPECT_FALSE(CriteriaFile::save(dir_ + "/no/such/folder/x.srf", criteria, error));
}

TEST_F(CriteriaFileOnDiskTest, UnreadableOrDamagedFilesAreRefused) {
    SearchCriteria criteria;
    criteria.fileName = "keep";
    std::string error;
    EXPECT_FALSE(CriteriaFile::load(dir_ + "/missing.srf", criteria, error));
    EXPECT_EQ(error.rfind(kFailedToOpenDocument, 0), 0u) << error;

    const std::string damaged = dir_ + "/damaged.srf";
    std::ofstream(damaged) << "not a criteria file";
    EXPECT_FALSE(CriteriaFile::load(damaged, criteria, error));
    EXPECT_EQ(error, kUnexpectedFileFormat);
    // Anything but a regular file, read without waiting for a writer.
    const std::string fifo = dir_ + "/fifo.srf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {dir_, fifo, std::string("/dev/zero")}) {
        EXPECT_FALSE(CriteriaFile::load(path, criteria, error)) << path;
        EXPECT_EQ(error, kUnexpectedFileFormat) << path;
    }
    EXPECT_EQ(criteria.fileName, "keep");
}

}  // namespace
}  // namespace scoutwell
