// The document's found items: copies of what the engine delivered, in the order added or
// of the last sort, behind one lock that every operation takes for its whole duration.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FoundItem.h"

namespace scoutwell {

class ResultsStore : public FoundItemSink {
  public:
    ResultsStore();

    // Clones the item outside the lock and appends the clone under it.
    void add(const FoundItem& item) override;
    void textCutShort(const FoundItem& item) override;
    void clear();
    std::size_t count() const;
    // Files added, or scanned without a hit, whose text stopped early (textEndNote()).
    std::size_t cutShortCount() const;

    // Each sort orders by its comparator below; descending is that order reversed, item
    // for item.
    void sortByName(bool descending = false);
    void sortByLocation(bool descending = false);
    void sortBySize(bool descending = false);
    void sortByType(bool descending = false);
    void sortByModified(bool descending = false);

    // Runs `reader` with the items under the lock; the items must not be kept.
    template <class Reader>
    auto read(Reader&& reader) const {
        std::lock_guard<std::mutex> guard(lock_);
        return reader(static_cast<const std::vector<std::unique_ptr<FoundItem>>&>(items_));
    }
    // The same with write access, for scans that complete an item's hits.
    template <class Writer>
    auto modify(Writer&& writer) {
        std::lock_guard<std::mutex> guard(lock_);
        return writer(items_);
    }

    // Copies of all items, in the current order.
    std::vector<std::unique_ptr<FoundItem>> snapshot() const;
    // Index of the item with this full path, or -1.
    long indexOfPath(std::string_view fullPath) const;
    // The first item with this full path, or nullptr. The item stays the store's; the pointer
    // is valid until the item is removed or the store cleared.
    FoundItem* findPath(std::string_view fullPath);
    // findPath for each of `fullPaths`, in their order, in one pass over the items.
    std::vector<FoundItem*> findPaths(const std::vector<std::string>& fullPaths);
    // Removes the item with this full path; false when there is none.
    bool removePath(std::string_view fullPath);

  private:
    // The first item with this full path, or nullptr; the caller holds the lock.
    FoundItem* firstWithPath(std::string_view fullPath) const;
    // Sorts by the given first key, then by kind, name and location.
    void sortBy(int first, bool descending);

    mutable std::mutex lock_;
    std::vector<std::unique_ptr<FoundItem>> items_;
    std::size_t cutShort_ = 0;
};

// The five orders of the result list; each answers whether a comes before b.
bool lessByName(const FoundItem& a, const FoundItem& b);
bool lessByLocation(const FoundItem& a, const FoundItem& b);
bool lessBySize(const FoundItem& a, const FoundItem& b);
bool lessByType(const FoundItem& a, const FoundItem& b);
bool lessByModified(const FoundItem& a, const FoundItem& b);

}  // namespace scoutwell
