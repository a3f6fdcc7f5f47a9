#include "engine/SearchCriteria.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "engine/ResultsStore.h"

namespace scoutwell {
namespace {

constexpr const char* kLabel = "Local hard drives (/,/home/)";

// Every test runs with a known environment and puts the previous one back.
class SearchCriteriaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = searchEnvironment();
        setSearchEnvironment({"/home/tester/", kLabel});
    }
    void TearDown() override { setSearchEnvironment(saved_); }

  private:
    SearchEnvironment saved_;
};

TEST_F(SearchCriteriaTest, DefaultsOfANewSearch) {
    const SearchCriteria c;
    EXPECT_EQ(c.lookIn, std::vector<std::string>{"/home/tester/"});
    EXPECT_EQ(c.fileName, "");
    EXPECT_EQ(c.containingText, "");
    EXPECT_TRUE(c.subfolders);
    EXPECT_FALSE(c.searchContents);
    EXPECT_EQ(c.sink, nullptr);
    EXPECT_FALSE(c.matchFilenameCase);
    EXPECT_FALSE(c.matchContentsCase);
    EXPECT_TRUE(c.autoConvertToDos);
    EXPECT_TRUE(c.treatContentsAsRegExp);
    EXPECT_FALSE(c.excludeFilename);
    EXPECT_FALSE(c.onePhaseSearch);
    EXPECT_TRUE(c.eolUnix);
    EXPECT_FALSE(c.eolMac);
    EXPECT_EQ(c.modifiedAfter, -657435.0);
    EXPECT_EQ(c.modifiedBefore, -657435.0);
    EXPECT_FALSE(c.modifiedAfterOn || c.modifiedBeforeOn || c.sizeMoreThanOn || c.sizeLessThanOn);
    EXPECT_EQ(c.sizeMoreThan, 0u);
    EXPECT_EQ(c.sizeLessThan, 0u);
    EXPECT_FALSE(c.stopRequested());
}

TEST_F(SearchCriteriaTest, CopiesTakeEveryFieldAndTheStopFlagButKeepTheirOwnLock) {
    ResultsStore store;
    SearchCriteria a;
    a.lookIn = {"/x/", "/y/"};
    a.fileName = "*.cpp";
    a.containingText = "TODO";
    a.subfolders = false;
    a.searchContents = true;
    a.sink = &store;
    a.matchFilenameCase = a.matchContentsCase = a.excludeFilename = a.onePhaseSearch = true;
    a.autoConvertToDos = a.treatContentsAsRegExp = a.eolUnix = false;
    a.eolMac = true;
    a.modifiedAfter = 100.5;
    a.modifiedBefore = 200.25;
    a.modifiedAfterOn = a.modifiedBeforeOn = a.sizeMoreThanOn = a.sizeLessThanOn = true;
    a.sizeMoreThan = 1024;
    a.sizeLessThan = 5ULL << 40;
    a.requestStop();

    auto expectSame = [&](const SearchCriteria& b) {
        EXPECT_EQ(b.lookIn, a.lookIn);
        EXPECT_EQ(b.fileName, a.fileName);
        EXPECT_EQ(b.containingText, a.containingText);
        EXPECT_EQ(b.subfolders, a.subfolders);
        EXPECT_EQ(b.searchContents, a.searchContents);
        EXPECT_EQ(b.sink, a.sink);
        EXPECT_EQ(b.matchFilenameCase, a.matchFilenameCase);
        EXPECT_EQ(b.matchContentsCase, a.matchContentsCase);
        EXPECT_EQ(b.autoConvertToDos, a.autoConvertToDos);
        EXPECT_EQ(b.treatContentsAsRegExp, a.treatContentsAsRegExp);
        EXPECT_EQ(b.excludeFilename, a.excludeFilename);
        EXPECT_EQ(b.onePhaseSearch, a.onePhaseSearch);
        EXPECT_EQ(b.eolUnix, a.eolUnix);
        EXPECT_EQ(b.eolMac, a.eolMac);
        EXPECT_EQ(b.modifiedAfter, a.modifiedAfter);
        EXPECT_EQ(b.modifiedBefore, a.modifiedBefore);
        EXPECT_EQ(b.modifiedAfterOn, a.modifiedAfterOn);
        EXPECT_EQ(b.modifiedBeforeOn, a.modifiedBeforeOn);
        EXPECT_EQ(b.sizeMoreThan, a.sizeMoreThan);
        EXPECT_EQ(b.sizeLessThan, a.sizeLessThan);
        EXPECT_EQ(b.sizeMoreThanOn, a.sizeMoreThanOn);
        EXPECT_EQ(b.sizeLessThanOn, a.sizeLessThanOn);
        EXPECT_TRUE(b.stopRequested());
    };
    SearchCriteria copied(a);
    expectSame(copied);
    SearchCriteria assigned;
    assigned = a;
    expectSame(assigned);
    assigned = assigned;  // self-assignment keeps everything
    expectSame(assigned);

    // The flags are separate: stopping or clearing one copy leaves the other.
    copied.clearStop();
    EXPECT_TRUE(a.stopRequested());
    EXPECT_FALSE(copied.stopRequested());
    a.clearStop();
    assigned = a;
    EXPECT_FALSE(assigned.stopRequested());
}

TEST_F(SearchCriteriaTest, StopRequestsWhileCopiesAreMadeNeitherRaceNorDeadlock) {
    // The one field two threads share is the stop flag: one thread asks to stop and clears
    // while another copies the criteria (reading the flag under the source's lock, then
    // writing its own). ThreadSanitizer checks this under make tsan.
    SearchCriteria shared;
    std::thread copier([&] {
        SearchCriteria assigned;
        for (int i = 0; i < 20000; ++i) {
            assigned = shared;
            const SearchCriteria constructed(shared);
            (void)constructed.stopRequested();
        }
    });
    for (int i = 0; i < 20000; ++i) {
        shared.requestStop();
        shared.clearStop();
    }
    copier.join();
    EXPECT_FALSE(shared.stopRequested());
}

TEST_F(SearchCriteriaTest, LookInFromText) {
    struct Case {
        const char* text;
        std::vector<std::string> lookIn;
    };
    const Case cases[] = {
        {"", {"/home/tester/"}},
        {";;", {"/home/tester/"}},
        {"  ;\t; ", {"/home/tester/"}},
        {"  /data///  ;/e", {"/data/", "/e/"}},
        {"/", {"/"}},
        {"///", {"/"}},
        {" // ;/srv", {"/", "/srv/"}},
        {"/a b/c/", {"/a b/c/"}},
        {"/x;", {"/x/"}},
        {kLabel, {kLabel}},
        {" Local hard drives (/,/home/) ", {kLabel}},
        {"/tmp;Local hard drives (/,/home/)", {"/tmp/", kLabel}},
        {"relative/dir//", {"relative/dir/"}},  // kept; prepare rejects it
    };
    for (const Case& c : cases) {
        SearchCriteria criteria;
        criteria.lookIn = {"/old/", "/older/"};
        criteria.setLookInText(c.text);
        EXPECT_EQ(criteria.lookIn, c.lookIn) << '"' << c.text << '"';
    }
}

TEST_F(SearchCriteriaTest, LookInTextJoinsEntriesAndRoundTrips) {
    SearchCriteria c;
    c.lookIn = {"/data/", "/e/"};
    EXPECT_EQ(c.lookInText(), "/data/;/e/");
    SearchCriteria again;
    again.setLookInText(c.lookInText());
    EXPECT_EQ(again.lookIn, c.lookIn);
    c.lookIn = {kLabel};
    EXPECT_EQ(c.lookInText(), kLabel);
}

TEST_F(SearchCriteriaTest, EmptyLabelNeverMakesAnEmptyEntry) {
    setSearchEnvironment({"/home/tester/", ""});
    SearchCriteria c;
    c.setLookInText("");
    EXPECT_EQ(c.lookIn, std::vector<std::string>{"/home/tester/"});
}

TEST_F(SearchCriteriaTest, FallbackFolderIsNormalised) {
    setSearchEnvironment({"  /srv/share//", kLabel});
    SearchCriteria c;
    c.setLookInText(";");
    EXPECT_EQ(c.lookIn, std::vector<std::string>{"/srv/share/"});
}

TEST_F(SearchCriteriaTest, NormalisingOneEntry) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {"/", "/"},
        {"////", "/"},
        {" /usr/share// ", "/usr/share/"},
        {"/usr", "/usr/"},
        {kLabel, kLabel},
        {"\t"
         "/mnt/x\t",
         "/mnt/x/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(normaliseLookInEntry(c.in), c.out) << c.in;
}

TEST(SearchEnvironmentDefault, HomeFolderWithOneTrailingSlash) {
    const char* home = std::getenv("HOME");
    const std::string saved = home ? home : "";
    const bool hadHome = home != nullptr;

    setenv("HOME", "/home/someone//", 1);
    EXPECT_EQ(defaultSearchEnvironment().defaultFolder, "/home/someone/");
    EXPECT_EQ(defaultSearchEnvironment().localDrivesLabel, "");
    setenv("HOME", "/", 1);
    EXPECT_EQ(defaultSearchEnvironment().defaultFolder, "/");

    unsetenv("HOME");
    const passwd* entry = getpwuid(getuid());
    const std::string fromDatabase = entry && entry->pw_dir && *entry->pw_dir ? entry->pw_dir : "/";
    const std::string folder = defaultSearchEnvironment().defaultFolder;
    EXPECT_EQ(folder, normaliseLookInEntry(fromDatabase));

    if (hadHome)
        setenv("HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace scoutwell
