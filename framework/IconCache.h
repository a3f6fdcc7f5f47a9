// The application-wide list of small icons that result rows and folder boxes show.
//
// Each distinct icon enters the list once per process, under a key: the icon-theme name
// of the file's MIME type ("text-plain", "folder"), with "*S" appended for a symbolic
// link, whose icon carries a link emblem and so is an image of its own. Rows keep only
// the index.
//
//   const int index = IconCache::shared().iconIndexFor(item);
//   painter.drawPixmap(..., IconCache::shared().icon(index).pixmap(16));
#pragma once

#include <map>
#include <string>
#include <vector>

#include <QIcon>

namespace scoutwell {

class FoundItem;

class IconCache {
  public:
    static constexpr const char* kLinkKeySuffix = "*S";
    static constexpr int kSmallIconSize = 16;

    // Starts the list with the generic file icon at index 0, the image of any path whose
    // type cannot be told.
    IconCache();
    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;

    // The one list of the process, made on first use (needs a QGuiApplication).
    static IconCache& shared();

    // The key of the icon for this path; `isFolder` tells what the search found there.
    static std::string keyFor(const std::string& path, bool isFolder);

    // The index of the icon for this item, adding the icon on first sight.
    int iconIndexFor(const FoundItem& item);
    int iconIndexFor(const std::string& path, bool isFolder);
    // For a path the search did not find, such as a folder box entry: the file system
    // tells whether it is a folder.
    int iconIndexForPath(const std::string& path);

    // The icon at `index`; the null icon for an index outside the list.
    QIcon icon(int index) const;
    int count() const { return static_cast<int>(icons_.size()); }
    // The index stored under `key`, or -1.
    int indexOfKey(const std::string& key) const;

  private:
    std::vector<QIcon> icons_;
    std::map<std::string, int> indexByKey_;
};

}  // namespace scoutwell
