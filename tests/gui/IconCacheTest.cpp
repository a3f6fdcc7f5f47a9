// Icon keys and images of the shared icon list.
#include <gtest/gtest.h>

#include "engine/FoundItem.h"
#include "framework/IconCache.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::TempTree;

TEST(IconCacheTest, KeysAreIconNamesWithTheLinkSuffixForLinks) {
    TempTree tree;
    const std::string text = tree.file("a.txt", "x");
    const std::string link = tree.symlink("link.txt", text);
    const std::string folder = tree.folder("sub");
    const std::string folderLink = tree.symlink("sublink", tree.path("sub"));
    const std::string dangling = tree.symlink("gone.txt", tree.path("missing.txt"));

    const std::string textKey = IconCache::keyFor(text, false);
    EXPECT_EQ(textKey, "text-plain");
    EXPECT_EQ(IconCache::keyFor(link, false), textKey + "*S");
    EXPECT_EQ(IconCache::keyFor(dangling, false), textKey + "*S");
    const std::string folderKey = IconCache::keyFor(folder, true);
    EXPECT_EQ(folderKey, "inode-directory");
    // A link to a folder is found as a file but looks like a folder with the emblem.
    EXPECT_EQ(IconCache::keyFor(folderLink, false), folderKey + "*S");
    // Names decide, not contents: a file that does not exist still has a type.
    EXPECT_EQ(IconCache::keyFor(tree.path("never.txt"), false), textKey);
}

TEST(IconCacheTest, EachKeyEntersTheListOnceAndALinkGetsItsOwnImage) {
    TempTree tree;
    const std::string first = tree.file("one.txt");
    const std::string second = tree.file("two.txt");
    const std::string link = tree.symlink("three.txt", first);

    IconCache icons;
    const int start = icons.count();
    EXPECT_GE(start, 1);  // index 0: the generic image
    const int textIndex = icons.iconIndexFor(first, false);
    EXPECT_EQ(icons.iconIndexFor(second, false), textIndex);
    const int linkIndex = icons.iconIndexFor(link, false);
    EXPECT_NE(linkIndex, textIndex);
    EXPECT_EQ(icons.iconIndexFor(link, false), linkIndex);
    EXPECT_EQ(icons.count(), start + 2);
    EXPECT_EQ(icons.indexOfKey("text-plain*S"), linkIndex);
    EXPECT_EQ(icons.indexOfKey("no-such-key"), -1);

    EXPECT_FALSE(icons.icon(linkIndex).pixmap(IconCache::kSmallIconSize).isNull());
    EXPECT_TRUE(icons.icon(icons.count()).isNull());
    EXPECT_TRUE(icons.icon(-1).isNull());

    const FoundFolder folder(makeSharedText(tree.path()), "sub", 0);
    EXPECT_EQ(icons.iconIndexFor(folder), icons.iconIndexForPath(tree.folder("sub")));
}

}  // namespace
}  // namespace scoutwell
