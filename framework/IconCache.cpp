#include "framework/IconCache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QMimeDatabase>
#include <QMimeType>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "engine/FoundItem.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

namespace {

constexpr const char* kFolderMimeType = "inode/directory";
constexpr const char* kLinkEmblemIconName = "emblem-symbolic-link";
// Sizes drawn for each icon: the small size and its double for high-density screens.
constexpr int kIconSizes[] = {IconCache::kSmallIconSize, 2 * IconCache::kSmallIconSize};

struct IconChoice {
    QMimeType type;
    bool isLink = false;
};

bool isSymbolicLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Types come from names only, as for the type column: reading contents to paint a row
// would stall the list on slow or special files.
IconChoice chooseIcon(const std::string& path, bool isFolder) {
    const QMimeDatabase database;
    IconChoice choice;
    choice.isLink = isSymbolicLink(path);
    if (isFolder || (choice.isLink && isDirectory(path))) {
        choice.type = database.mimeTypeForName(QString::fromLatin1(kFolderMimeType));
        return choice;
    }
    std::string name = path;
    if (choice.isLink) {
        // A link shows what it points to; a dangling one shows its own name's type.
        char target[4096];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length > 0 && static_cast<std::size_t>(length) < sizeof target)
            name.assign(target, static_cast<std::size_t>(length));
    }
    choice.type = database.mimeTypeForFile(qStringFromBytes(name), QMimeDatabase::MatchExtension);
    return choice;
}

QIcon styleIcon(bool isFolder) {
    QStyle* style = QApplication::style();
    if (!style)
        return {};
    return style->standardIcon(isFolder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
}

QIcon themeIcon(const QMimeType& type, bool isFolder) {
    QIcon fallback = styleIcon(isFolder);
    if (!type.isValid())
        return fallback;
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback));
}

// Draws the emblem in the lower left quarter, where file managers put it.
void drawLinkEmblem(QPainter& painter, int size) {
    const int side = size / 2;
    const QRect box(0, size - side, side, side);
    const QIcon emblem = QIcon::fromTheme(QString::fromLatin1(kLinkEmblemIconName));
    if (!emblem.isNull()) {
        painter.drawPixmap(box, emblem.pixmap(side, side));
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const QPointF from(box.left() + side * 0.25, box.bottom() - side * 0.2);
    const QPointF to(box.right() - side * 0.2, box.top() + side * 0.25);
    painter.drawLine(from, to);
    painter.drawLine(to, QPointF(to.x() - side * 0.4, to.y()));
    painter.drawLine(to, QPointF(to.x(), to.y() + side * 0.4));
}

QIcon withLinkEmblem(const QIcon& base) {
    QIcon linked;
    for (const int size : kIconSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.drawPixmap(0, 0, base.pixmap(size, size));
        drawLinkEmblem(painter, size);
        painter.end();
        linked.addPixmap(pixmap);
    }
    return linked;
}

std::string keyOf(const IconChoice& choice) {
    std::string key = choice.type.iconName().toStdString();
    if (choice.isLink)
        key += IconCache::kLinkKeySuffix;
    return key;
}

}  // namespace

IconCache::IconCache() {
    const QMimeType generic =
        QMimeDatabase().mimeTypeForName(QString::fromLatin1("application/octet-stream"));
    icons_.push_back(themeIcon(generic, /*isFolder=*/false));
    indexByKey_.emplace(generic.iconName().toStdString(), 0);
}

IconCache& IconCache::shared() {
    // Never destroyed: icons must not outlive the GUI application, so the list is
    // emptied when the application goes and the object itself stays for late callers.
    static IconCache* cache = [] {
        auto* made = new IconCache;
        qAddPostRoutine([] {
            shared().icons_.clear();
            shared().indexByKey_.clear();
        });
        return made;
    }();
    return *cache;
}

std::string IconCache::keyFor(const std::string& path, bool isFolder) {
    return keyOf(chooseIcon(path, isFolder));
}

int IconCache::iconIndexFor(const FoundItem& item) {
    return iconIndexFor(item.fullPath(), item.kind() == FoundItem::kFolder);
}

int IconCache::iconIndexFor(const std::string& path, bool isFolder) {
    const IconChoice choice = chooseIcon(path, isFolder);
    const std::string key = keyOf(choice);
    if (auto it = indexByKey_.find(key); it != indexByKey_.end())
        return it->second;
    const bool folderIcon = choice.type.name() == QString::fromLatin1(kFolderMimeType);
    QIcon image = themeIcon(choice.type, folderIcon);
    if (choice.isLink)
        image = withLinkEmblem(image);
    icons_.push_back(std::move(image));
    const int index = count() - 1;
    indexByKey_.emplace(key, index);
    return index;
}

int IconCache::iconIndexForPath(const std::string& path) {
    return iconIndexFor(path, isDirectory(path));
}

QIcon IconCache::icon(int index) const {
    if (index < 0 || index >= count())
        return {};
    return icons_[static_cast<std::size_t>(index)];
}

int IconCache::indexOfKey(const std::string& key) const {
    auto it = indexByKey_.find(key);
    return it == indexByKey_.end() ? -1 : it->second;
}

}  // namespace scoutwell
