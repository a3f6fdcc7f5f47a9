#include "engine/ResultsStore.h"

#include <algorithm>
#include <numeric>
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
}

void ResultsStore::clear() {
    std::vector<std::unique_ptr<FoundItem>> old;
    {
        std::lock_guard<std::mutex> guard(lock_);
        old.swap(items_);
    }
    // The items go after the lock is released: freeing a million of them takes a while,
    // and the store is already empty for everyone else.
}

std::size_t ResultsStore::count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return items_.size();
}

template <class Less>
void ResultsStore::sortWith(Less less) {
    std::lock_guard<std::mutex> guard(lock_);
    std::sort(items_.begin(), items_.end(),
              [&less](const std::unique_ptr<FoundItem>& a, const std::unique_ptr<FoundItem>& b) {
                  return less(*a, *b);
              });
}

void ResultsStore::sortByName() {
    sortWith(lessByName);
}
void ResultsStore::sortByLocation() {
    sortWith(lessByLocation);
}
void ResultsStore::sortBySize() {
    sortWith(lessBySize);
}
void ResultsStore::sortByModified() {
    sortWith(lessByModified);
}

void ResultsStore::sortByType() {
    // Same order as lessByType, but each item's type text is worked out once instead of
    // twice per comparison.
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> types;
    types.reserve(items_.size());
    for (const auto& item : items_)
        types.push_back(item->typeText());
    std::vector<std::size_t> order(items_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int byType = text::compareNoCase(types[a], types[b]);
        if (byType != 0)
            return byType < 0;
        return lessByName(*items_[a], *items_[b]);
    });
    std::vector<std::unique_ptr<FoundItem>> sorted;
    sorted.reserve(std::max(items_.size(), kReservedSlots));
    for (std::size_t index : order)
        sorted.push_back(std::move(items_[index]));
    items_.swap(sorted);
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
