#include "views/ResultsModel.h"

#include <algorithm>

#include <QIcon>
#include <QString>

#include "engine/FoundItem.h"
#include "engine/ResultsStore.h"
#include "framework/IconCache.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {

const ResultColumn ResultsModel::kColumns[kColumnCount] = {
    {"Name", Qt::AlignLeft | Qt::AlignVCenter, 150, 26, kNameColWidth},
    {"Location", Qt::AlignLeft | Qt::AlignVCenter, 200, 34, kLocationColWidth},
    {"Size", Qt::AlignRight | Qt::AlignVCenter, 70, 9, kSizeColWidth},
    {"Type", Qt::AlignLeft | Qt::AlignVCenter, 150, 22, kTypeColWidth},
    {"Modified", Qt::AlignLeft | Qt::AlignVCenter, 200, 20, kModifiedColWidth},
};

namespace {

using Items = std::vector<std::unique_ptr<FoundItem>>;

bool isColumn(int column) {
    return column >= 0 && column < ResultsModel::kColumnCount;
}

}  // namespace

ResultsModel::ResultsModel(const ResultsStore& store, IconCache& icons, QObject* parent)
    : QAbstractTableModel(parent), store_(store), icons_(icons) {}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rowItems_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

std::string ResultsModel::textOf(const FoundItem& item, int column) {
    switch (column) {
        case kNameColumn:
            return item.name;
        case kLocationColumn:
            return std::string(item.locationText());
        case kSizeColumn:
            return item.sizeText();
        case kTypeColumn:
            return item.typeText();
        case kModifiedColumn:
            return item.modifiedText();
        default:
            return kUnknownColumnText;
    }
}

std::string ResultsModel::cellText(int row, int column) const {
    return store_.read([&](const Items& items) -> std::string {
        if (row < 0 || static_cast<std::size_t>(row) >= items.size())
            return {};
        return textOf(*items[static_cast<std::size_t>(row)], column);
    });
}

std::string ResultsModel::fullPath(int row) const {
    return store_.read([&](const Items& items) -> std::string {
        if (row < 0 || static_cast<std::size_t>(row) >= items.size())
            return {};
        return items[static_cast<std::size_t>(row)]->fullPath();
    });
}

std::vector<std::string> ResultsModel::fullPaths(const std::vector<int>& rows) const {
    return store_.read([&](const Items& items) {
        std::vector<std::string> paths;
        paths.reserve(rows.size());
        for (const int row : rows) {
            if (row >= 0 && static_cast<std::size_t>(row) < items.size())
                paths.push_back(items[static_cast<std::size_t>(row)]->fullPath());
        }
        return paths;
    });
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            // The store may have been emptied for a new search before this model hears
            // of it: a row without an item shows nothing.
            return qStringFromBytes(cellText(row, column));
        case Qt::TextAlignmentRole:
            if (isColumn(column))
                return static_cast<int>(kColumns[column].alignment);
            return {};
        case Qt::DecorationRole: {
            if (column != kNameColumn)
                return {};
            struct Target {
                std::string path;
                bool folder = false;
                bool found = false;
            };
            // The icon lookup touches the file system: it runs outside the store's lock.
            const Target target = store_.read([&](const Items& items) {
                Target t;
                if (static_cast<std::size_t>(row) < items.size()) {
                    const FoundItem& item = *items[static_cast<std::size_t>(row)];
                    t = {item.fullPath(), item.kind() == FoundItem::kFolder, true};
                }
                return t;
            });
            if (!target.found)
                return {};
            return icons_.icon(icons_.iconIndexFor(target.path, target.folder));
        }
        default:
            return {};
    }
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsDragEnabled : base;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !isColumn(section))
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kColumns[section].header);
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(kColumns[section].alignment);
    return {};
}

ResultsModel::AppendResult ResultsModel::appendNewItems() {
    const std::size_t shown = rowItems_.size();
    std::vector<const FoundItem*> added;
    const bool fewerItemsThanRows = store_.read([&](const Items& items) {
        if (items.size() < shown)
            return true;
        added.reserve(items.size() - shown);
        for (std::size_t i = shown; i < items.size(); ++i)
            added.push_back(items[i].get());
        return false;
    });
    if (fewerItemsThanRows)
        return AppendResult::kMoreRowsThanItems;
    if (added.empty())
        return AppendResult::kUnchanged;
    beginInsertRows(QModelIndex(), static_cast<int>(shown),
                    static_cast<int>(shown + added.size() - 1));
    rowItems_.insert(rowItems_.end(), added.begin(), added.end());
    endInsertRows();
    return AppendResult::kAppended;
}

void ResultsModel::removeAllRows() {
    if (rowItems_.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, static_cast<int>(rowItems_.size() - 1));
    rowItems_.clear();
    rowItems_.shrink_to_fit();
    endRemoveRows();
}

void ResultsModel::rebuildRows(const std::function<void()>& reorder) {
    beginResetModel();
    reorder();
    store_.read([&](const Items& items) {
        rowItems_.clear();
        rowItems_.reserve(items.size());
        for (const auto& item : items)
            rowItems_.push_back(item.get());
    });
    endResetModel();
}

int ResultsModel::removeRowOfRemovedItem(std::string_view fullPath) {
    // A path without a folder part names no found item.
    if (fullPath.find('/') == std::string_view::npos)
        return -1;
    const std::size_t shown = rowItems_.size();
    const long removed = store_.read([&](const Items& items) -> long {
        const std::size_t common = std::min(shown, items.size());
        for (std::size_t row = 0; row < common; ++row) {
            if (items[row].get() != rowItems_[row])
                return static_cast<long>(row);
        }
        // Every shown item is still in place: the last row went when the store shrank
        // below it; otherwise the item was never shown.
        return common < shown ? static_cast<long>(common) : -1L;
    });
    if (removed < 0)
        return -1;
    const int row = static_cast<int>(removed);
    beginRemoveRows(QModelIndex(), row, row);
    rowItems_.erase(rowItems_.begin() + removed);
    endRemoveRows();
    return row;
}

}  // namespace scoutwell
