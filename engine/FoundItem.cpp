#include "engine/FoundItem.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <mutex>

#include "engine/SearchCriteria.h"
#include "engine/Text.h"

namespace scoutwell {
namespace {

constexpr const char* kSizeTextFormat = "%lld KB";
constexpr const char* kFileSummaryFormat = "%s   (%s,  %s)";
constexpr const char* kFolderSummaryFormat = "%s   (%s)";
constexpr const char* kPlainFileType = "File";
constexpr const char* kLineEnd = "\n";
constexpr std::int64_t kBytesPerKb = 1024;

// Shown texts by default text. Sorting by type asks for every item's type many times, so
// the provider (a desktop database lookup) runs once per extension.
struct TypeNames {
    std::mutex mutex;
    TypeNameProvider provider;
    std::map<std::string, std::string> cache;
};

TypeNames& typeNames() {
    static TypeNames names;
    return names;
}

// A path as the written rows show it. A byte from 1 to 31 (TAB, LF and CR among them,
// which would end a field or a row) is written as "\x" and two upper-case hex digits, and a
// backslash as two, so that the notation stays unambiguous; a path with neither, nearly
// every path, is written as it is.
void appendRowPath(std::string& out, std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::size_t plain = 0;  // the start of bytes not written yet
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c >= 32 && c != '\\')
            continue;
        out.append(path, plain, i - plain);
        if (c == '\\') {
            out += "\\\\";
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
        plain = i + 1;
    }
    out.append(path, plain, std::string_view::npos);
}

std::string summaryOf(const FoundItem& item, const std::string& path) {
    if (item.kind() == FoundItem::kFolder)
        return text::format(kFolderSummaryFormat, path.c_str(), item.modifiedText().c_str());
    return text::format(kFileSummaryFormat, path.c_str(), item.sizeText().c_str(),
                        item.modifiedText().c_str());
}

std::string defaultTypeText(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return kPlainFileType;
    std::string text = path.substr(dot + 1);
    text += ' ';
    return text::toUpper(text) + kPlainFileType;
}

}  // namespace

HitLine::HitLine(std::string_view line, int start, int length, int number)
    : matchStart(start), matchLength(length), lineNumber(number) {
    const auto lineSize = static_cast<std::int64_t>(line.size());
    if (lineSize < kWindow) {
        text.assign(line);
        return;
    }
    // The scanner always passes a match inside the line; clamping keeps a wrong caller
    // from reading outside it.
    const std::int64_t safeStart = std::clamp<std::int64_t>(start, 0, lineSize);
    if (length >= kWindow) {
        text.assign(line.substr(static_cast<std::size_t>(safeStart), kWindow));
        matchStart = 0;
        matchLength = kWindow;
        return;
    }
    const int side = (kWindow - std::max(length, 0)) / 2;
    if (safeStart < side) {
        text.assign(line.substr(0, kWindow));
        return;
    }
    text.assign(line.substr(static_cast<std::size_t>(safeStart - side), kWindow));
    matchStart = side;
}

HitLine::HitLine(const HitLine& other)
    : text(other.text),
      matchStart(other.matchStart),
      matchLength(other.matchLength),
      lineNumber(other.lineNumber),
      caches_(other.caches_ ? std::make_unique<std::array<HitSegmentCache, 3>>(*other.caches_)
                            : nullptr) {}

HitLine& HitLine::operator=(const HitLine& other) {
    if (this != &other) {
        HitLine copy(other);
        *this = std::move(copy);
    }
    return *this;
}

std::array<HitSegmentCache, 3>& HitLine::segmentCaches() const {
    if (!caches_)
        caches_ = std::make_unique<std::array<HitSegmentCache, 3>>();
    return *caches_;
}

FoundItem::FoundItem(SharedText folder, std::string itemName, std::int64_t bytes,
                     FileTime lastWrite)
    : location(std::move(folder)), name(std::move(itemName)), size(bytes), modified(lastWrite) {}

std::string FoundItem::modifiedText() const {
    return ::scoutwell::modifiedText(modified);
}

void FoundItem::writeRow(std::string& out, std::string_view separator) const {
    appendRowPath(out, locationText());
    appendRowPath(out, name);
    out += separator;
    out += sizeText();
    out += separator;
    out += modifiedText();
    out += kLineEnd;
}

void FoundItem::writeHits(SearchExpression& expression, const SearchCriteria& criteria,
                          std::string& out, std::string_view separator) {
    if (needsFullScan() && criteria.searchContents)
        scanContentsFully(expression, criteria);
    writeHeldHits(out, separator);
}

void FoundItem::writeHeldHits(std::string& out, std::string_view separator) const {
    writeHitLines(out, separator);
    if (!hits.empty())
        out += kLineEnd;
}

void FoundItem::writeSummary(std::string& out) const {
    std::string path;
    appendRowPath(path, locationText());
    appendRowPath(path, name);
    out += summaryOf(*this, path);
    out += kLineEnd;
}

void FoundItem::writeHitLines(std::string& out, std::string_view separator) const {
    char number[16];
    for (const HitLine& hit : hits) {
        const auto end = std::to_chars(number, number + sizeof number, hit.lineNumber).ptr;
        out.append(number, end);
        out += separator;
        // Scanned text has no LF, and a CR only as the end of a piece of an overlong line,
        // which the row does not need; neither may end the row early.
        std::string_view text = hit.text;
        if (text.ends_with('\r'))
            text.remove_suffix(1);
        const std::size_t start = out.size();
        out += text;
        std::replace_if(
            out.begin() + static_cast<std::ptrdiff_t>(start), out.end(),
            [](char c) { return c == '\r' || c == '\n'; }, ' ');
        out += kLineEnd;
    }
}

std::unique_ptr<FoundItem> FoundFolder::clone() const {
    return std::make_unique<FoundFolder>(*this);
}

std::string FoundFolder::summaryText() const {
    return summaryOf(*this, fullPath());
}

std::unique_ptr<FoundItem> FoundFile::clone() const {
    return std::make_unique<FoundFile>(*this);
}

std::string FoundFile::sizeText() const {
    return sizeTextForBytes(size);
}

std::string FoundFile::summaryText() const {
    return summaryOf(*this, fullPath());
}

std::string FoundFile::typeText() const {
    const std::string path = fullPath();
    return TypeNameCache::lookup(defaultTypeText(path), path);
}

void setTypeNameProvider(TypeNameProvider provider) {
    TypeNames& names = typeNames();
    std::lock_guard<std::mutex> guard(names.mutex);
    names.provider = std::move(provider);
    names.cache.clear();
}

std::string TypeNameCache::lookup(const std::string& defaultText, const std::string& path) {
    TypeNames& names = typeNames();
    std::lock_guard<std::mutex> guard(names.mutex);
    if (auto it = names.cache.find(defaultText); it != names.cache.end())
        return it->second;
    std::string shown = names.provider ? names.provider(path) : std::string();
    if (shown.empty())
        shown = defaultText;
    return names.cache.emplace(defaultText, std::move(shown)).first->second;
}

void TypeNameCache::clear() {
    TypeNames& names = typeNames();
    std::lock_guard<std::mutex> guard(names.mutex);
    names.cache.clear();
}

std::string textEndNote(const FoundItem& item) {
    switch (item.textEnd) {
        case TextEnd::kDamaged:
            return text::format(kDamagedTextNote, item.fullPath().c_str());
        case TextEnd::kCutOff:
            return text::format(kCutOffTextNote, item.fullPath().c_str());
        case TextEnd::kEncrypted:
            return text::format(kEncryptedTextNote, item.fullPath().c_str());
        case TextEnd::kWhole:
            break;
    }
    return {};
}

std::string sizeTextForBytes(std::int64_t size) {
    // 64 bits all the way: a 32-bit count of KB would wrap for files of 2 TB and more.
    const std::int64_t bytes = size < 0 ? 0 : size;
    const std::int64_t kb = bytes / kBytesPerKb + (bytes % kBytesPerKb != 0 ? 1 : 0);
    return text::format(kSizeTextFormat, static_cast<long long>(kb));
}

}  // namespace scoutwell
