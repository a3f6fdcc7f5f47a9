// Found items written out as text: the Save Results command (to the clipboard or a file)
// and the unattended mode (straight to its output file, item by item).
//
// There is no header line and nothing is quoted: a separator inside a path or a line is
// written as it is. Every line ends with CR LF. A path cannot break a row: its control
// bytes and backslashes are escaped (FoundItem::writeRow says how).
//
//   ResultWriter writer(ResultFormat::kCommaSeparated, /*withFileNames=*/true,
//                       /*withContents=*/true);
//   std::string bytes = writer.format(store, highlightExpression, resultsCriteria);
//   if (!writeResultFile(path, bytes, /*overwrite=*/true, error)) showMessage(error);
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FoundItem.h"

namespace scoutwell {

class ResultsStore;
class SearchCriteria;
class SearchExpression;

enum class ResultFormat { kText = 0, kCommaSeparated = 1, kTabSeparated = 2 };

struct ResultFormatInfo {
    const char* name;       // as the Format list shows it
    const char* extension;  // without the dot
};
inline constexpr std::array<ResultFormatInfo, 3> kResultFormats{{
    {"Text", "txt"},
    {"Comma separated", "csv"},
    {"Tab separated", "txt"},
}};
inline constexpr int kResultFormatCount = static_cast<int>(kResultFormats.size());

inline constexpr const char* kUnableToOpenForWriting = "Unable to open file %s for writing";
inline constexpr const char* kWritingToFileFailed = "Writing to file failed";

// The format at a list index; Text for an index out of range.
ResultFormat resultFormatFromIndex(int index);
const ResultFormatInfo& resultFormatInfo(ResultFormat format);

// `text` with every "\n" turned into CR LF.
std::string withCrLf(std::string_view text);

class ResultWriter {
  public:
    ResultWriter(ResultFormat format, bool withFileNames, bool withContents);

    // Appends one item's lines, with "\n" line ends. The hit lines come only when the
    // results are those of a contents search; a file read only in part is read to the
    // end first, with `expression`, which must be `criteria.containingText` compiled.
    void writeItem(FoundItem& item, SearchExpression& expression, const SearchCriteria& criteria,
                   std::string& out) const;

    // The whole output, with CR LF line ends.
    std::string format(const std::vector<FoundItem*>& items, SearchExpression& expression,
                       const SearchCriteria& criteria) const;
    // All items of the store, in its current order; copies are taken under the store's
    // lock and written outside it.
    std::string format(const ResultsStore& store, SearchExpression& expression,
                       const SearchCriteria& criteria) const;

    std::string_view separator() const;

  private:
    ResultFormat format_;
    bool withFileNames_;
    bool withContents_;
};

// Writes `bytes` to the file at `path`: replacing it as a whole (an existing file stays as
// it was when the write fails), or appending to it (creating it when missing; a failed
// write leaves what was appended so far). On false `errorOut` holds the message to show.
bool writeResultFile(const std::string& path, std::string_view bytes, bool overwrite,
                     std::string& errorOut);

// Writes each found item to a file descriptor as it arrives, as the Tab separated format
// with file names and, for a contents search, the hit lines. Output is buffered; call
// flush() at the end and check it: after a failed write nothing more is written.
class ResultStreamWriter : public FoundItemSink {
  public:
    // `fd` is not owned. `expression` and `criteria` must outlive the writer; the
    // criteria are those of the running search.
    ResultStreamWriter(int fd, SearchExpression& expression, const SearchCriteria& criteria);
    ~ResultStreamWriter() override;
    ResultStreamWriter(const ResultStreamWriter&) = delete;
    ResultStreamWriter& operator=(const ResultStreamWriter&) = delete;

    void add(const FoundItem& item) override;
    // For a contents search every hit line is written, a file with many as they are found.
    bool takesAllHits() const override;
    void startHits(const FoundItem& item) override;
    void addHits(const FoundItem& item) override;
    void endHits(const FoundItem& item) override;
    // A file whose text stopped early is named on standard error (through showMessage),
    // found or not.
    void textCutShort(const FoundItem& item) override;

    // Writes what is buffered; false once any write has failed.
    bool flush();
    bool failed() const { return failed_; }
    // The errno of the failed write, 0 when none failed.
    int error() const { return error_; }
    // The number of items received.
    std::size_t itemCount() const { return itemCount_; }

  private:
    static constexpr std::size_t kFlushSize = 64 * 1024;

    bool writeBuffered();
    // Appends pending_ to the buffer with CR LF line ends, writing when it is full.
    void buffer();

    int fd_;
    SearchExpression& expression_;
    const SearchCriteria& criteria_;
    ResultWriter writer_;
    std::string pending_;
    std::string buffer_;
    std::size_t itemCount_ = 0;
    bool failed_ = false;
    int error_ = 0;
};

}  // namespace scoutwell
