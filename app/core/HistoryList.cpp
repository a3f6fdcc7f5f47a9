#include "app/core/HistoryList.h"

#include <algorithm>
#include <utility>

#include "engine/Messages.h"
#include "engine/Text.h"

namespace scoutwell {
namespace {

std::string valueName(int index) {
    return std::to_string(index);
}

}  // namespace

HistoryList::HistoryList(SettingsStore& store, std::string section)
    : store_(store), section_(std::move(section)) {}

void HistoryList::loadOnce() const {
    if (!loaded_)
        const_cast<HistoryList*>(this)->load();
}

const std::deque<std::string>& HistoryList::entries() const {
    loadOnce();
    return entries_;
}

void HistoryList::load() {
    loaded_ = true;
    entries_.clear();
    for (int i = 1; i <= kLimit; ++i) {
        auto value = store_.findText(section_, valueName(i));
        if (!value)
            break;
        entries_.push_back(std::move(*value));
    }
}

void HistoryList::add(std::string_view text) {
    if (text.empty())
        return;
    const auto sameText = [text](const std::string& entry) {
        return text::equalsNoCase(entry, text);
    };
    if (std::any_of(fixedEntries_.begin(), fixedEntries_.end(), sameText))
        return;

    // The entries stored are kept behind the new one.
    loadOnce();
    auto existing = std::find_if(entries_.begin(), entries_.end(), sameText);
    if (existing != entries_.end())
        entries_.erase(existing);
    entries_.emplace_front(text);
    while (entries_.size() > static_cast<std::size_t>(kLimit))
        entries_.pop_back();

    // Values beyond the new count stay as they are: the list only shrinks by clearing.
    int index = 1;
    for (const auto& entry : entries_) {
        if (!store_.writeText(section_, valueName(index), entry))
            break;
        ++index;
    }
}

bool HistoryList::clear() {
    const bool cleared = clearHistorySection(store_, section_);
    load();
    return cleared;
}

std::vector<std::string> HistoryList::items(bool withFixed) const {
    loadOnce();
    std::vector<std::string> result;
    if (withFixed)
        result = fixedEntries_;
    result.insert(result.end(), entries_.begin(), entries_.end());
    return result;
}

bool clearHistorySection(SettingsStore& store, std::string_view section) {
    for (const auto& name : store.valueNames(section)) {
        if (!store.deleteValue(section, name)) {
            showMessage(
                text::format(kProblemDeletingValue, name.c_str(), std::string(section).c_str()));
            return false;
        }
    }
    return true;
}

}  // namespace scoutwell
