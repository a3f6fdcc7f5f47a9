// The folder the browser opens at, taken from what a look-in box holds.
#include <gtest/gtest.h>

#include "framework/FolderBrowser.h"

namespace scoutwell {
namespace {

TEST(FolderBrowserTest, PreselectionDropsTrailingSeparatorsAndSpaces) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/me/", "/home/me"},   {"/home/me / / ", "/home/me"}, {"/usr", "/usr"},
        {"/", ""},                   {" / /  ", ""},                {"", ""},
        {"/a b/c d  ", "/a b/c d"},  {"relative/", "relative"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(folderBrowserPreselection(text), expected) << '"' << text << '"';
}

}  // namespace
}  // namespace scoutwell
