// Type names from the MIME database, as the Type column shows them.
#include <gtest/gtest.h>

#include "engine/FoundItem.h"
#include "platform/qtgui/MimeTypeNames.h"

namespace scoutwell {
namespace {

TEST(MimeTypeNamesTest, KnownExtensionsGiveTheirTypeCommentUnknownOnesNothing) {
    // Comments differ between MIME database versions and languages; what matters is that
    // known names give a non-empty text and unknown ones give none.
    struct Case {
        const char* path;
        bool named;
    };
    const Case cases[] = {
        {"/d/readme.txt", true},     {"/d/page.html", true},    {"/d/picture.png", true},
        {"/d/archive.tar.gz", true}, {"/d/data.qqzzyy", false}, {"/d/noextension", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(!MimeTypeNames::typeNameFor(c.path).empty(), c.named) << c.path;
    EXPECT_EQ(MimeTypeNames::typeNameFor("/d/a.txt"), MimeTypeNames::typeNameFor("/other/B.TXT"));
}

TEST(MimeTypeNamesTest, InstalledProviderNamesFilesAndUnknownTypesKeepTheDefault) {
    MimeTypeNames::install();
    const FoundFile text(makeSharedText("/d/"), "readme.txt", 1, 0);
    const FoundFile unknown(makeSharedText("/d/"), "data.qqzzyy", 1, 0);
    EXPECT_EQ(text.typeText(), MimeTypeNames::typeNameFor("/d/readme.txt"));
    EXPECT_NE(text.typeText(), "TXT File");
    EXPECT_EQ(unknown.typeText(), "QQZZYY File");
    setTypeNameProvider(nullptr);
}

}  // namespace
}  // namespace scoutwell
