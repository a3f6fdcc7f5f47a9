#include "engine/ResultsStore.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "engine/Text.h"

namespace scoutwell {
namespace {

constexpr std::size_t kReservedSlots = 500;

bool isPath(const FoundItem& item, std::string_view fullPath) {
    const std::string_view folder = item.locationText();
    return fullPath.size() == folder.size() + item.name.size() && fullPath.starts_with(folder) &&
           fullPath.substr(folder.size()) == item.name;
}

}  // namespace

bool lessByName(const FoundItem& a, const FoundItem& b) {
    const int kindA = a.kind();
    const int kindB = b.kind();
    if (kindA != kindB)
        return kindA < kindB;
    const int byName = text::compareNoCase(a.name, b.name);
    if (byName != 0)
        return byName < 0;
    return text::compareNoCase(a.locationText(), b.locationText()) < 0;
}

bool lessByLocation(const FoundItem& a, const FoundItem& b) {
    const int byLocation = text::compareNoCase(a.locationText(), b.locationText());
    if (byLocation != 0)
        return byLocation < 0;
    return lessByName(a, b);
}

// The signed difference of two sizes or times is negative exactly when the first is the
// smaller, as long as it does not overflow; comparing directly gives that order without
// the overflow, which for extreme times would leave std::sort without a valid order.
bool lessBySize(const FoundItem& a, const FoundItem& b) {
    if (a.size == b.size)
        return lessByName(a, b);
    return a.size < b.size;
}

bool lessByType(const FoundItem& a, const FoundItem& b) {
    const int byType = text::compareNoCase(a.typeText(), b.typeText());
    if (byType != 0)
        return byType < 0;
    return lessByName(a, b);
}

bool lessByModified(const FoundItem& a, const FoundItem& b) {
    if (a.modified == b.modified)
        return lessByName(a, b);
    return a.modified < b.modified;
}

ResultsStore::ResultsStore() {
    items_.reserve(kReservedSlots);
}

void ResultsStore::add(const FoundItem& item) {
    std::unique_ptr<FoundItem> copy = item.clone();
    std::lock_guard<std::mutex> guard(lock_);
    items_.push_back(std::move(copy));
    if (item.textEnd != TextEnd::kWhole)
        ++cutShort_;
}

void ResultsStore::textCutShort(const FoundItem& /*item*/) {
    std::lock_guard<std::mutex> guard(lock_);
    ++cutShort_;
}

std::size_t ResultsStore::cutShortCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return cutShort_;
}

void ResultsStore::clear() {
    std::vector<std::unique_ptr<FoundItem>> old;
    {
        std::lock_guard<std::mutex> guard(lock_);
        old.swap(items_);
        cutShort_ = 0;
    }
    // The items go after the lock is released: freeing a million of them takes a while,
    // and the store is already empty for everyone else.
}

std::size_t ResultsStore::count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return items_.size();
}

namespace {

// What one sort compares, made once per sort instead of once per comparison: each item's
// name lower-cased (and its first eight bytes as a number), the rank of its location among
// all distinct locations lower-cased, and the sort's own first key. Comparing these gives
// the order of the lessBy comparators; ties left by them keep the items' previous order.
class SortKeys {
  public:
    enum class First { kNone, kLocation, kSize, kType, kModified };

    SortKeys(const std::vector<std::unique_ptr<FoundItem>>& items, First first) {
        const std::size_t n = items.size();
        entries_.resize(n);
        nameStart_.reserve(n + 1);
        std::size_t bytes = 0;
        for (const auto& item : items)
            bytes += item->name.size();
        names_.reserve(bytes);
        for (std::size_t i = 0; i < n; ++i) {
            const FoundItem& item = *items[i];
            nameStart_.push_back(names_.size());
            names_ += item.name;
            text::toLowerInPlace(names_.data() + nameStart_.back(), item.name.size());
            Entry& entry = entries_[i];
            entry.index = static_cast<std::uint32_t>(i);
            entry.kind = item.kind();
            const std::string_view name = std::string_view(names_).substr(nameStart_.back());
            entry.head = headOf(name, 0);
            entry.nextHead = headOf(name, 8);
        }
        nameStart_.push_back(names_.size());

        locationRank_ = locationRanks(items);
        switch (first) {
            case First::kNone:
                break;
            case First::kLocation:
                for (Entry& entry : entries_)
                    entry.first = locationRank_[entry.index];
                break;
            case First::kSize:
                for (Entry& entry : entries_)
                    entry.first = items[entry.index]->size;
                break;
            case First::kModified:
                for (Entry& entry : entries_)
                    entry.first = items[entry.index]->modified;
                break;
            case First::kType: {
                const std::vector<std::uint32_t> typeRank = typeRanks(items);
                for (Entry& entry : entries_)
                    entry.first = typeRank[entry.index];
                break;
            }
        }
    }

    // The items' indexes in sorted order.
    std::vector<std::uint32_t> order() {
        std::sort(entries_.begin(), entries_.end(),
                  [this](const Entry& a, const Entry& b) { return less(a, b); });
        std::vector<std::uint32_t> sorted;
        sorted.reserve(entries_.size());
        for (const Entry& entry : entries_)
            sorted.push_back(entry.index);
        return sorted;
    }

  private:
    struct Entry {
        std::int64_t first = 0;
        std::uint64_t head = 0;  // name bytes 0 to 7, then 8 to 15, as big-endian numbers
        std::uint64_t nextHead = 0;
        std::uint32_t index = 0;
        int kind = 0;
    };

    // Eight bytes of `name` from `from`, zeros past its end: numbers in the order of the
    // bytes, as names hold no zero bytes.
    static std::uint64_t headOf(std::string_view name, std::size_t from) {
        std::uint64_t head = 0;
        for (std::size_t k = from; k < from + 8; ++k)
            head = (head << 8) | (k < name.size() ? static_cast<unsigned char>(name[k]) : 0u);
        return head;
    }

    std::string_view nameOf(std::size_t i) const {
        return std::string_view(names_).substr(nameStart_[i], nameStart_[i + 1] - nameStart_[i]);
    }

    bool less(const Entry& a, const Entry& b) const {
        if (a.first != b.first)
            return a.first < b.first;
        if (a.kind != b.kind)
            return a.kind < b.kind;
        if (a.head != b.head)
            return a.head < b.head;
        if (a.nextHead != b.nextHead)
            return a.nextHead < b.nextHead;
        const int byName = nameOf(a.index).compare(nameOf(b.index));
        if (byName != 0)
            return byName < 0;
        const std::uint32_t locationA = locationRank_[a.index];
        const std::uint32_t locationB = locationRank_[b.index];
        if (locationA != locationB)
            return locationA < locationB;
        return a.index < b.index;
    }

    // Each item's rank among the distinct locations lower-cased: equal ranks for folders
    // equal but for case. Items of one folder share its location text, so each shared
    // text is looked up once, and each distinct one lower-cased and ranked once.
    static std::vector<std::uint32_t> locationRanks(
        const std::vector<std::unique_ptr<FoundItem>>& items) {
        std::unordered_map<std::string, std::uint32_t> distinct;
        std::unordered_map<const std::string*, std::uint32_t> byText;
        std::vector<std::uint32_t> idOf(items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string* location = items[i]->location.get();
            const auto shared = byText.find(location);
            if (shared != byText.end()) {
                idOf[i] = shared->second;
                continue;
            }
            idOf[i] = distinct
                          .try_emplace(std::string(items[i]->locationText()),
                                       static_cast<std::uint32_t>(distinct.size()))
                          .first->second;
            byText.emplace(location, idOf[i]);
        }
        rankIds(distinct, idOf);
        return idOf;
    }

    // Each item's rank among the distinct type texts. A file's type text follows from what
    // its path has after the last dot (the cache behind typeText() answers the same for
    // the same default text): from its name's ending, or, for a name and a folder without
    // a dot, from nothing at all. So it is asked for once per distinct ending, in item order.
    static std::vector<std::uint32_t> typeRanks(
        const std::vector<std::unique_ptr<FoundItem>>& items) {
        std::unordered_map<std::string, std::uint32_t> distinct;
        std::unordered_map<std::string_view, std::uint32_t> byEnding;
        std::unordered_map<const std::string*, std::uint32_t> byFolder;
        std::vector<std::uint32_t> idOf(items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            const FoundItem& item = *items[i];
            const bool file = item.kind() == FoundItem::kFile;
            const std::size_t dot = item.name.rfind('.');
            const std::string_view ending =
                dot != std::string::npos ? std::string_view(item.name).substr(dot) : "";
            const std::string* folder = item.location.get();
            const bool plain = folder && folder->find('.') == std::string::npos;
            if (file && dot != std::string::npos) {
                if (const auto known = byEnding.find(ending); known != byEnding.end()) {
                    idOf[i] = known->second;
                    continue;
                }
            } else if (file && plain) {
                if (const auto known = byFolder.find(folder); known != byFolder.end()) {
                    idOf[i] = known->second;
                    continue;
                }
            }
            idOf[i] =
                distinct.try_emplace(item.typeText(), static_cast<std::uint32_t>(distinct.size()))
                    .first->second;
            if (file && dot != std::string::npos)
                byEnding.emplace(ending, idOf[i]);
            else if (file && plain)
                byFolder.emplace(folder, idOf[i]);
        }
        rankIds(distinct, idOf);
        return idOf;
    }

    // Replaces each id by the rank of its text among all of `distinct` lower-cased.
    static void rankIds(const std::unordered_map<std::string, std::uint32_t>& distinct,
                        std::vector<std::uint32_t>& idOf) {
        std::vector<std::pair<std::string, std::uint32_t>> lowered;
        lowered.reserve(distinct.size());
        for (const auto& [textValue, id] : distinct)
            lowered.emplace_back(text::toLower(textValue), id);
        std::sort(lowered.begin(), lowered.end());
        std::vector<std::uint32_t> rankOfId(distinct.size());
        std::uint32_t rank = 0;
        for (std::size_t k = 0; k < lowered.size(); ++k) {
            if (k > 0 && lowered[k].first != lowered[k - 1].first)
                ++rank;
            rankOfId[lowered[k].second] = rank;
        }
        for (std::uint32_t& id : idOf)
            id = rankOfId[id];
    }

    std::vector<Entry> entries_;
    std::string names_;
    std::vector<std::size_t> nameStart_;
    std::vector<std::uint32_t> locationRank_;
};

}  // namespace

void ResultsStore::sortBy(int first, bool descending) {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::uint32_t> order =
        SortKeys(items_, static_cast<SortKeys::First>(first)).order();
    if (descending)
        std::reverse(order.begin(), order.end());
    std::vector<std::unique_ptr<FoundItem>> sorted;
    sorted.reserve(std::max(items_.size(), kReservedSlots));
    for (const std::uint32_t index : order)
        sorted.push_back(std::move(items_[index]));
    items_.swap(sorted);
}

void ResultsStore::sortByName(bool descending) {
    sortBy(static_cast<int>(SortKeys::First::kNone), descending);
}
void ResultsStore::sortByLocation(bool descending) {
    sortBy(static_cast<int>(SortKeys::First::kLocation), descending);
}
void ResultsStore::sortBySize(bool descending) {
    sortBy(static_cast<int>(SortKeys::First::kSize), descending);
}
void ResultsStore::sortByType(bool descending) {
    sortBy(static_cast<int>(SortKeys::First::kType), descending);
}
void ResultsStore::sortByModified(bool descending) {
    sortBy(static_cast<int>(SortKeys::First::kModified), descending);
}

std::vector<std::unique_ptr<FoundItem>> ResultsStore::snapshot() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::unique_ptr<FoundItem>> copies;
    copies.reserve(items_.size());
    for (const auto& item : items_)
        copies.push_back(item->clone());
    return copies;
}

long ResultsStore::indexOfPath(std::string_view fullPath) const {
    std::lock_guard<std::mutex> guard(lock_);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (isPath(*items_[i], fullPath))
            return static_cast<long>(i);
    }
    return -1;
}

FoundItem* ResultsStore::firstWithPath(std::string_view fullPath) const {
    for (const auto& item : items_) {
        if (isPath(*item, fullPath))
            return item.get();
    }
    return nullptr;
}

FoundItem* ResultsStore::findPath(std::string_view fullPath) {
    std::lock_guard<std::mutex> guard(lock_);
    return firstWithPath(fullPath);
}

std::vector<FoundItem*> ResultsStore::findPaths(const std::vector<std::string>& fullPaths) {
    // A few paths are looked up one by one; many (a whole list selected) through an index of
    // the wanted paths, so that the cost is one pass over the items instead of one per path.
    constexpr std::size_t kLinearLookups = 8;
    std::vector<FoundItem*> found(fullPaths.size(), nullptr);
    std::lock_guard<std::mutex> guard(lock_);
    if (fullPaths.size() <= kLinearLookups) {
        for (std::size_t i = 0; i < fullPaths.size(); ++i)
            found[i] = firstWithPath(fullPaths[i]);
        return found;
    }
    std::unordered_map<std::string_view, FoundItem*> wanted;
    wanted.reserve(fullPaths.size());
    for (const std::string& path : fullPaths)
        wanted.emplace(path, nullptr);
    std::string path;
    std::size_t unclaimed = wanted.size();
    for (const auto& item : items_) {
        if (unclaimed == 0)
            break;
        path.assign(item->locationText());
        path += item->name;
        const auto it = wanted.find(path);
        // The first item with the path keeps it, as findPath would answer.
        if (it != wanted.end() && !it->second) {
            it->second = item.get();
            --unclaimed;
        }
    }
    for (std::size_t i = 0; i < fullPaths.size(); ++i)
        found[i] = wanted.find(fullPaths[i])->second;
    return found;
}

bool ResultsStore::removePath(std::string_view fullPath) {
    std::unique_ptr<FoundItem> removed;
    std::lock_guard<std::mutex> guard(lock_);
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [&](const auto& item) { return isPath(*item, fullPath); });
    if (it == items_.end())
        return false;
    removed = std::move(*it);
    items_.erase(it);
    return true;
}

}  // namespace scoutwell
