#include "app/core/SettingsStore.h"

#include <algorithm>

namespace scoutwell {

const MemorySettingsStore::Value* MemorySettingsStore::find(std::string_view section,
                                                            std::string_view name) const {
    auto it = sections_.find(section);
    if (it == sections_.end())
        return nullptr;
    for (const auto& [valueName, value] : it->second.values) {
        if (valueName == name)
            return &value;
    }
    return nullptr;
}

bool MemorySettingsStore::store(std::string_view section, std::string_view name, Value value) {
    Key key{std::string(section), std::string(name)};
    if (failAll_ || failingWrites_.count(key) != 0)
        return false;
    auto& values = sections_[key.first].values;
    auto it = std::find_if(values.begin(), values.end(),
                           [&](const auto& entry) { return entry.first == name; });
    if (it == values.end()) {
        values.emplace_back(std::move(key.second), std::move(value));
    } else {
        it->second = std::move(value);
    }
    ++changeCount_;
    return true;
}

std::optional<std::int32_t> MemorySettingsStore::findInt(std::string_view section,
                                                         std::string_view name) const {
    const Value* value = find(section, name);
    if (value == nullptr || value->type != Value::kInt)
        return std::nullopt;
    return value->number;
}

std::optional<std::string> MemorySettingsStore::findText(std::string_view section,
                                                         std::string_view name) const {
    const Value* value = find(section, name);
    if (value == nullptr || value->type != Value::kText)
        return std::nullopt;
    return value->text;
}

std::optional<SettingsBytes> MemorySettingsStore::findBinary(std::string_view section,
                                                             std::string_view name) const {
    const Value* value = find(section, name);
    if (value == nullptr || value->type != Value::kBinary)
        return std::nullopt;
    return value->bytes;
}

bool MemorySettingsStore::writeInt(std::string_view section, std::string_view name,
                                   std::int32_t number) {
    Value value;
    value.type = Value::kInt;
    value.number = number;
    return store(section, name, std::move(value));
}

bool MemorySettingsStore::writeText(std::string_view section, std::string_view name,
                                    std::string_view text) {
    Value value;
    value.type = Value::kText;
    value.text = std::string(text);
    return store(section, name, std::move(value));
}

bool MemorySettingsStore::writeBinary(std::string_view section, std::string_view name,
                                      const SettingsBytes& bytes) {
    Value value;
    value.type = Value::kBinary;
    value.bytes = bytes;
    return store(section, name, std::move(value));
}

bool MemorySettingsStore::deleteValue(std::string_view section, std::string_view name) {
    Key key{std::string(section), std::string(name)};
    if (failAll_ || failingDeletions_.count(key) != 0)
        return false;
    auto it = sections_.find(section);
    if (it == sections_.end())
        return true;
    auto& values = it->second.values;
    auto found = std::find_if(values.begin(), values.end(),
                              [&](const auto& entry) { return entry.first == name; });
    if (found != values.end()) {
        values.erase(found);
        ++changeCount_;
    }
    return true;
}

std::vector<std::string> MemorySettingsStore::valueNames(std::string_view section) const {
    std::vector<std::string> names;
    auto it = sections_.find(section);
    if (it == sections_.end())
        return names;
    for (const auto& entry : it->second.values)
        names.push_back(entry.first);
    return names;
}

bool MemorySettingsStore::removeSection(std::string_view section) {
    if (failAll_)
        return false;
    auto it = sections_.find(section);
    if (it != sections_.end()) {
        sections_.erase(it);
        ++changeCount_;
    }
    return true;
}

bool MemorySettingsStore::contains(std::string_view section, std::string_view name) const {
    return find(section, name) != nullptr;
}

void MemorySettingsStore::failWritesOf(std::string_view section, std::string_view name) {
    failingWrites_.emplace(std::string(section), std::string(name));
}

void MemorySettingsStore::failDeletionsOf(std::string_view section, std::string_view name) {
    failingDeletions_.emplace(std::string(section), std::string(name));
}

std::vector<std::string> MemorySettingsStore::sectionNames() const {
    std::vector<std::string> names;
    for (const auto& entry : sections_)
        names.push_back(entry.first);
    return names;
}

}  // namespace scoutwell
