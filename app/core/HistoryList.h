// A most-recent-first list of at most 20 texts kept in one settings section (values "1",
// "2", ...), with optional fixed entries that are shown first but never stored. The
// section is read when the list is first asked for its entries or changed, so a run that
// never shows a history never reads it.
//
//   HistoryList folders(store, kRecentFoldersSection);
//   folders.setFixedEntries({label, "/", "/home/"});
//   folders.load();                 // reads the section again
//   folders.add("/data/");          // rewrites the section
//   combo.addItems(folders.items(/*withFixed=*/true));
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/SettingsStore.h"

namespace scoutwell {

inline constexpr const char* kProblemDeletingValue = "Problem deleting value %s in key %s";

class HistoryList {
  public:
    static constexpr int kLimit = 20;

    // The store must outlive the list.
    HistoryList(SettingsStore& store, std::string section);

    // Replaces the entries with the section's values "1", "2", ... up to the limit,
    // stopping at the first value that cannot be read.
    void load();
    // Puts `text` at the front (moving an equal entry there, ignoring letter case) and
    // rewrites the section. An empty text or one equal to a fixed entry changes nothing.
    void add(std::string_view text);
    // Deletes every value of the section, then reloads what is left. False when a
    // deletion failed (the message has been shown then).
    bool clear();

    void setFixedEntries(std::vector<std::string> fixedEntries) {
        fixedEntries_ = std::move(fixedEntries);
    }
    const std::vector<std::string>& fixedEntries() const { return fixedEntries_; }
    const std::deque<std::string>& entries() const;
    const std::string& section() const { return section_; }

    // What a drop-down lists: the fixed entries (when asked for), then the entries.
    std::vector<std::string> items(bool withFixed) const;

  private:
    // Reads the section unless that was done.
    void loadOnce() const;

    SettingsStore& store_;
    std::string section_;
    mutable std::deque<std::string> entries_;
    mutable bool loaded_ = false;
    std::vector<std::string> fixedEntries_;
};

// Deletes every value of `section`; on a failed deletion shows kProblemDeletingValue and
// stops, returning false. A missing section is no error.
bool clearHistorySection(SettingsStore& store, std::string_view section);

}  // namespace scoutwell
