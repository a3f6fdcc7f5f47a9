#include "app/core/ResultWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/Messages.h"
#include "engine/ResultsStore.h"
#include "engine/SearchCriteria.h"
#include "engine/Text.h"
#include "platform/posix/FileBytes.h"
#include "platform/posix/FileReplacement.h"
#include "platform/posix/UniqueFd.h"

namespace scoutwell {
namespace {

constexpr std::string_view kTab = "\t";
constexpr std::string_view kComma = ",";

void appendWithCrLf(std::string_view text, std::string& out) {
    std::size_t start = 0;
    for (std::size_t lf; (lf = text.find('\n', start)) != std::string_view::npos; start = lf + 1) {
        out.append(text, start, lf - start);
        out += "\r\n";
    }
    out.append(text, start, std::string_view::npos);
}

}  // namespace

ResultFormat resultFormatFromIndex(int index) {
    if (index < 0 || index >= kResultFormatCount)
        return ResultFormat::kText;
    return static_cast<ResultFormat>(index);
}

const ResultFormatInfo& resultFormatInfo(ResultFormat format) {
    return kResultFormats[static_cast<std::size_t>(format)];
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    appendWithCrLf(text, out);
    return out;
}

ResultWriter::ResultWriter(ResultFormat format, bool withFileNames, bool withContents)
    : format_(format), withFileNames_(withFileNames), withContents_(withContents) {}

std::string_view ResultWriter::separator() const {
    return format_ == ResultFormat::kCommaSeparated ? kComma : kTab;
}

void ResultWriter::writeItem(FoundItem& item, SearchExpression& expression,
                             const SearchCriteria& criteria, std::string& out) const {
    if (withFileNames_) {
        if (format_ == ResultFormat::kText) {
            item.writeSummary(out);
        } else {
            item.writeRow(out, separator());
        }
    }
    if (withContents_ && criteria.searchContents) {
        item.writeHits(expression, criteria, out, separator());
    }
}

std::string ResultWriter::format(const std::vector<FoundItem*>& items, SearchExpression& expression,
                                 const SearchCriteria& criteria) const {
    std::string out;
    std::string lines;
    for (FoundItem* item : items) {
        lines.clear();
        writeItem(*item, expression, criteria, lines);
        appendWithCrLf(lines, out);
    }
    return out;
}

std::string ResultWriter::format(const ResultsStore& store, SearchExpression& expression,
                                 const SearchCriteria& criteria) const {
    // Completing a file's hits reads it from disk: never while the store is locked.
    std::vector<std::unique_ptr<FoundItem>> copies = store.snapshot();
    std::vector<FoundItem*> items;
    items.reserve(copies.size());
    for (auto& copy : copies)
        items.push_back(copy.get());
    return format(items, expression, criteria);
}

bool writeResultFile(const std::string& path, std::string_view bytes, bool overwrite,
                     std::string& errorOut) {
    // Replacing a file goes through a replacement; appending writes to the file itself.
    FileReplacement replacement;
    UniqueFd appended;
    if (overwrite
            ? !replacement.open(path)
            : !(appended = UniqueFd(::open(
                    path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0666)))) {
        errorOut = text::format(kUnableToOpenForWriting, path.c_str());
        return false;
    }
    if (!writeAll(overwrite ? replacement.fd() : appended.get(), bytes) ||
        !(overwrite ? replacement.commit() : appended.close())) {
        errorOut = kWritingToFileFailed;
        return false;
    }
    return true;
}

ResultStreamWriter::ResultStreamWriter(int fd, SearchExpression& expression,
                                       const SearchCriteria& criteria)
    : fd_(fd),
      expression_(expression),
      criteria_(criteria),
      writer_(ResultFormat::kTabSeparated, /*withFileNames=*/true, /*withContents=*/true) {}

ResultStreamWriter::~ResultStreamWriter() {
    flush();
}

void ResultStreamWriter::add(const FoundItem& item) {
    ++itemCount_;
    if (failed_)
        return;
    pending_.clear();
    if (criteria_.searchContents && item.needsFullScan()) {
        // Completing the hits changes the item: the engine's item is not ours to change.
        std::unique_ptr<FoundItem> copy = item.clone();
        writer_.writeItem(*copy, expression_, criteria_, pending_);
        textCutShort(*copy);
    } else {
        item.writeRow(pending_, writer_.separator());
        if (criteria_.searchContents)
            item.writeHeldHits(pending_, writer_.separator());
        textCutShort(item);
    }
    buffer();
}

void ResultStreamWriter::textCutShort(const FoundItem& item) {
    if (const std::string note = textEndNote(item); !note.empty())
        showMessage(note);
}

bool ResultStreamWriter::takesAllHits() const {
    return criteria_.searchContents;
}

void ResultStreamWriter::startHits(const FoundItem& item) {
    ++itemCount_;
    if (failed_)
        return;
    pending_.clear();
    item.writeRow(pending_, writer_.separator());
    item.writeHitLines(pending_, writer_.separator());
    buffer();
}

void ResultStreamWriter::addHits(const FoundItem& item) {
    if (failed_)
        return;
    pending_.clear();
    item.writeHitLines(pending_, writer_.separator());
    buffer();
}

void ResultStreamWriter::endHits(const FoundItem& item) {
    textCutShort(item);
    if (failed_)
        return;
    pending_.assign(1, '\n');
    buffer();
}

void ResultStreamWriter::buffer() {
    appendWithCrLf(pending_, buffer_);
    if (buffer_.size() >= kFlushSize)
        writeBuffered();
}

bool ResultStreamWriter::writeBuffered() {
    if (failed_)
        return false;
    if (!writeAll(fd_, buffer_)) {
        failed_ = true;
        error_ = errno;
    }
    buffer_.clear();
    return !failed_;
}

bool ResultStreamWriter::flush() {
    if (buffer_.empty())
        return !failed_;
    return writeBuffered();
}

}  // namespace scoutwell
