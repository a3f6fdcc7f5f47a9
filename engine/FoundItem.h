// Found files and folders, the matching lines of a file, and the sink through which the
// engine hands found items on.
//
// An item renders its own size, type, modified and summary texts and its output rows.
// Items of one folder share the folder's location text instead of copying it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/DateTime.h"
#include "engine/Decoder.h"

namespace scoutwell {

class ArchiveVisitor;
class ReadableFile;
class SearchCriteria;
struct ScanBuffers;
class SearchExpression;

using SharedText = std::shared_ptr<const std::string>;
inline SharedText makeSharedText(std::string s) {
    return std::make_shared<const std::string>(std::move(s));
}

// What the contents view keeps for one segment of a hit line (before the match, the
// match, after it) between layouts.
struct HitSegmentCache {
    std::string text;
    int firstLineWidth = -1;  // key of the last wrap
    int nextLinesWidth = -1;
    bool wrap = false;
    // The font set the pieces were measured with: a new font or another device (screen,
    // printer) must measure again even at unchanged widths.
    int fontKey = -1;
    bool textTaken = false;
    int lastPieceWidth = 0;  // extent of the last wrapped piece
    int lastPieceHeight = 0;
    std::vector<std::pair<int, int>> pieces;  // start and length of each wrapped piece
};

class HitLine {
  public:
    static constexpr int kWindow = 5000;

    // Keeps the whole line when it is shorter than the window, else a window of it that
    // shows as much of the match as fits.
    HitLine(std::string_view line, int matchStart, int matchLength, int lineNumber);
    HitLine(const HitLine& other);
    HitLine& operator=(const HitLine& other);
    HitLine(HitLine&&) noexcept = default;
    HitLine& operator=(HitLine&&) noexcept = default;

    std::string text;
    std::int32_t matchStart = 0;
    std::int32_t matchLength = 0;
    std::int32_t lineNumber = 0;

    // The three segment caches, made on first use.
    std::array<HitSegmentCache, 3>& segmentCaches() const;

  private:
    mutable std::unique_ptr<std::array<HitSegmentCache, 3>> caches_;
};

class FoundItem {
  public:
    enum Kind { kFolder = 1, kFile = 2 };

    virtual ~FoundItem() = default;

    // Reads the contents and records the matching lines; returns the number of hit lines.
    virtual int scanContents(SearchExpression& expression, ScanBuffers& buffers,
                             const SearchCriteria& criteria, bool stopAtFirstChunkWithHit) = 0;
    // The same with buffers of its own, to the end of the file.
    virtual int scanContentsFully(SearchExpression& expression, const SearchCriteria& criteria) = 0;
    virtual std::unique_ptr<FoundItem> clone() const = 0;
    virtual int kind() const = 0;
    virtual std::string sizeText() const = 0;
    // Full path, separator, size text, separator, modified text, "\n". The path cannot
    // break the row: each backslash is doubled and each byte from 1 to 31 written as "\x"
    // and two upper-case hex digits (TAB as \x09); other paths are written as they are.
    void writeRow(std::string& out, std::string_view separator) const;
    // summaryText() with the path written as in writeRow(), and "\n".
    void writeSummary(std::string& out) const;
    // Each hit line as number, separator, text, "\n"; one more "\n" after the last. Reads
    // the whole file first when only part of it was scanned.
    void writeHits(SearchExpression& expression, const SearchCriteria& criteria, std::string& out,
                   std::string_view separator);
    // writeHits() of the hit lines held, without reading more.
    void writeHeldHits(std::string& out, std::string_view separator) const;
    // The same without the blank line after the last. A line's text is written as it is,
    // but for the CR that ends a piece of an overlong line, which is left out.
    void writeHitLines(std::string& out, std::string_view separator) const;
    virtual std::string summaryText() const = 0;
    virtual std::string typeText() const = 0;

    // Whether the hits held are not all the file has and a full scan would find more.
    bool needsFullScan() const { return !hitsComplete && textEnd == TextEnd::kWhole; }

    std::string fullPath() const { return std::string(locationText()) + name; }
    std::string_view locationText() const {
        return location ? std::string_view(*location) : std::string_view();
    }
    std::string modifiedText() const;

    SharedText location;  // the folder holding the item, ending with '/'
    std::string name;
    bool hitsComplete = false;
    // Set by a scan whose decoded text stopped early for a reason a further scan would
    // meet again (damaged compressed data, a decompression bomb): its hits are all there
    // are to find, though hitsComplete stays false.
    TextEnd textEnd = TextEnd::kWhole;
    // A file searched only for the members it holds as an archive: it failed the tests
    // of the entry itself (a name, a size) and is never a result of its own.
    bool onlyMembers = false;
    // For a member of an archive: the length of the path of the archive on disk holding
    // it (the outermost one), at the start of fullPath(); 0 for a file on disk.
    std::uint32_t archivePathLength = 0;
    bool isMember() const { return archivePathLength != 0; }
    std::vector<HitLine> hits;
    std::int64_t size = 0;  // -1 for a folder
    FileTime modified = 0;

  protected:
    FoundItem() = default;
    FoundItem(const FoundItem&) = default;
    FoundItem(SharedText location, std::string name, std::int64_t size, FileTime modified);
};

class FoundFolder : public FoundItem {
  public:
    FoundFolder() { size = -1; }
    FoundFolder(SharedText location, std::string name, FileTime modified)
        : FoundItem(std::move(location), std::move(name), -1, modified) {}

    int scanContents(SearchExpression&, ScanBuffers&, const SearchCriteria&, bool) override {
        return 0;
    }
    int scanContentsFully(SearchExpression&, const SearchCriteria&) override { return 0; }
    std::unique_ptr<FoundItem> clone() const override;
    int kind() const override { return kFolder; }
    std::string sizeText() const override { return {}; }
    std::string summaryText() const override;
    std::string typeText() const override { return "File Folder"; }
};

class FoundFile : public FoundItem {
  public:
    static constexpr std::size_t kBufferSize = 51500;
    static constexpr std::size_t kCarry = 1500;

    FoundFile() = default;
    FoundFile(SharedText location, std::string name, std::int64_t size, FileTime modified)
        : FoundItem(std::move(location), std::move(name), size, modified) {}

    int scanContents(SearchExpression& expression, ScanBuffers& buffers,
                     const SearchCriteria& criteria, bool stopAtFirstChunkWithHit) override;
    int scanContentsFully(SearchExpression& expression, const SearchCriteria& criteria) override;

    // Called after each chunk whose lines added hits; it may take the hits away (leaving
    // `hits` empty) and returns false to end the scan there.
    using HitsReady = std::function<bool(FoundFile&)>;
    // scanContents() reading `opened`, or the file opened by its path when that is null,
    // and calling `onHits`, when given, after each chunk that added hits. Returns the
    // number of hit lines found, those taken away included.
    // With `archives` and compressed files searched, a file that is an archive is listed to
    // it instead (Archives.h): the file itself then has no hits.
    int scanFile(ReadableFile* opened, SearchExpression& expression, ScanBuffers& buffers,
                 const SearchCriteria& criteria, bool stopAtFirstChunkWithHit,
                 const HitsReady* onHits, ArchiveVisitor* archives = nullptr);

    std::unique_ptr<FoundItem> clone() const override;
    int kind() const override { return kFile; }
    std::string sizeText() const override;
    std::string summaryText() const override;
    std::string typeText() const override;
};

// Where found items leave the engine. The item passed stays the caller's; a sink copies
// what it keeps.
class FoundItemSink {
  public:
    virtual ~FoundItemSink() = default;
    virtual void add(const FoundItem& item) = 0;

    // A sink that keeps every hit line of a file, not only those of the first part read,
    // says so. The engine then reads each file to its end and hands it over whole with
    // add() or, when it has many hits, in pieces: startHits() with the first, addHits()
    // with each further one (the item's hits hold only that piece), endHits() after the
    // last.
    virtual bool takesAllHits() const { return false; }
    virtual void startHits(const FoundItem& item) { add(item); }
    virtual void addHits(const FoundItem& /*item*/) {}
    virtual void endHits(const FoundItem& /*item*/) {}

    // A file scanned without a hit whose text stopped early (FoundItem::textEnd): no
    // result, but the rest of its text was not searched and the user should hear so.
    // Called in walk order, as add() is; found files carry their textEnd themselves.
    virtual void textCutShort(const FoundItem& /*item*/) {}
};

// What to tell the user of an item whose text stopped early, naming it; empty otherwise.
std::string textEndNote(const FoundItem& item);
inline constexpr const char* kDamagedTextNote =
    "%s: the compressed data is damaged or cut short; only the text before the damage was "
    "searched.";
inline constexpr const char* kEncryptedTextNote = "%s: the data is encrypted and was not searched.";
inline constexpr const char* kCutOffTextNote =
    "%s: the decompressed text passed the limit for one file (256 MiB and 100 times the "
    "compressed size) and was searched only that far.";

// Type names by default text ("TXT File"): the program installs a provider that asks the
// desktop's type database; without one, or for an empty answer, the default text stands.
// Installing a provider empties the cache, so no answer of the previous one lingers.
using TypeNameProvider = std::function<std::string(const std::string& path)>;
void setTypeNameProvider(TypeNameProvider provider);

// The process-wide cache behind typeText(); used from the GUI thread only.
class TypeNameCache {
  public:
    static std::string lookup(const std::string& defaultText, const std::string& path);
    static void clear();
};

// "%lld KB" of the size in KB, rounded up.
std::string sizeTextForBytes(std::int64_t size);

}  // namespace scoutwell
