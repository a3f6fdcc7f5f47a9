// The text rules of the criteria fields: KB sizes read as typed, the Multiple Folders lines.
#include <gtest/gtest.h>

#include <limits>

#include "criteria/core/CriteriaFields.h"

namespace scoutwell {
namespace {

TEST(SizeField, ShowsWholeKbRoundedDown) {
    EXPECT_EQ(sizeFieldText(0), "0");
    EXPECT_EQ(sizeFieldText(1023), "0");
    EXPECT_EQ(sizeFieldText(1536), "1");
    // Above 4 TB the count must not lose its high bits on the way into the field.
    EXPECT_EQ(sizeFieldText((std::uint64_t{1} << 42) + 5 * 1024), "4294967301");
}

TEST(SizeField, ReadsTextAsTyped) {
    struct Case {
        const char* text;
        SizeFieldResult result;
        std::uint64_t bytes;  // starting from 1536
    };
    const Case cases[] = {
        {"1", SizeFieldResult::stored, 1024},
        {"  12", SizeFieldResult::stored, 12 * 1024},
        {"12abc", SizeFieldResult::stored, 12 * 1024},
        {"0", SizeFieldResult::stored, 0},
        {"4294967301", SizeFieldResult::stored, (std::uint64_t{1} << 42) + 5 * 1024},
        {"", SizeFieldResult::unchanged, 1536},
        {"   ", SizeFieldResult::unchanged, 1536},
        {"abc", SizeFieldResult::invalid, 1536},
        {"-5", SizeFieldResult::invalid, 1536},
        {"+", SizeFieldResult::invalid, 1536},
        // Too large for a byte count: refused rather than wrapped round.
        {"18014398509481984", SizeFieldResult::invalid, 1536},
        {"99999999999999999999999", SizeFieldResult::invalid, 1536},
    };
    for (const Case& c : cases) {
        std::uint64_t bytes = 1536;
        EXPECT_EQ(readSizeField(c.text, bytes), c.result) << c.text;
        EXPECT_EQ(bytes, c.bytes) << c.text;
    }
    std::uint64_t largest = 0;
    EXPECT_EQ(readSizeField("18014398509481983", largest), SizeFieldResult::stored);
    EXPECT_EQ(largest, std::numeric_limits<std::uint64_t>::max() / 1024 * 1024);
}

TEST(SizeField, ShownValueReadsBackAsItself) {
    for (std::uint64_t kb : {std::uint64_t{0}, std::uint64_t{7}, std::uint64_t{1} << 33}) {
        std::uint64_t bytes = 0;
        ASSERT_EQ(readSizeField(sizeFieldText(kb * 1024), bytes), SizeFieldResult::stored);
        EXPECT_EQ(bytes, kb * 1024);
    }
}

TEST(FolderLines, AppendingPutsEachFolderOnALineOfItsOwn) {
    EXPECT_EQ(appendFolderLine("", "/a"), "/a\n");
    EXPECT_EQ(appendFolderLine("/a\n", "/b"), "/a\n/b\n");
    EXPECT_EQ(appendFolderLine("  /a  \n\n", "/b"), "/a\n/b\n");
    EXPECT_EQ(appendFolderLine("   ", "/b"), "/b\n");
}

TEST(FolderLines, BrowseStartsAtTheLastLine) {
    EXPECT_EQ(lastFolderLine(""), "");
    EXPECT_EQ(lastFolderLine("/a"), "/a");
    EXPECT_EQ(lastFolderLine("/a\n/b\n\n"), "/b");
    EXPECT_EQ(lastFolderLine("/a\r\n/b\r\n"), "/b");
}

TEST(FolderLines, OkListsEachFolderOnceInOrder) {
    struct Case {
        const char* text;
        std::vector<std::string> folders;
    };
    const Case cases[] = {
        {"C:\\A\nc:\\a\nD:\\B\n", {"C:\\A", "D:\\B"}},
        {"/x/\n\n/y/", {"/x/", "", "/y/"}},
        {"/x/\n\n/y/\n\n/z/", {"/x/", "", "/y/", "/z/"}},
        {"/x/\r\n/y/\r\n", {"/x/", "/y/"}},
        {"  /x/  \n", {"/x/"}},
        {"/Ä/\n/ä/\n", {"/Ä/"}},
        // Nothing typed lists nothing, so that the page falls back to the default folder.
        {"", {}},
        {" \n \n", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(foldersFromLines(c.text), c.folders) << c.text;
}

}  // namespace
}  // namespace scoutwell
