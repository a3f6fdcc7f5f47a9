// Reading a found file's contents in chunks and recording its matching lines.
//
// Two caller buffers swap roles every chunk: the raw bytes are read into one while the
// normalised text (the carried tail of an unfinished line first) is assembled in the other.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/Archives.h"
#include "engine/DecodingStage.h"
#include "engine/FileSystem.h"
#include "engine/FoundItem.h"
#include "engine/LiteralScan.h"
#include "engine/Messages.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "engine/Text.h"
#include "engine/Tuning.h"

namespace scoutwell {
namespace {

constexpr const char* kReadBufferSizeZero = "Read buffer size zero";

constexpr char kCR = '\r';
constexpr unsigned char kLF = '\n';
constexpr unsigned char kTab = '\t';
constexpr unsigned char kNul = 0;
constexpr unsigned char kFirstPrintable = 32;

// Turns raw file bytes into text whose only line end is CR, one chunk at a time, giving
// the same text as normalising the whole file at once.
//
// A run of control bytes becomes at most one space, a NUL and the LF of a CR LF pair
// vanish, and the file never starts with a space made from a control byte.
class Normaliser {
  public:
    Normaliser(bool eolUnix, bool eolMac, bool bulk)
        : eolUnix_(eolUnix), eolMac_(eolMac), bulk_(bulk) {}

    // Writes at most size + 1 bytes: a CR held back from the previous chunk, then at most
    // one byte for each byte read.
    std::size_t feed(const char* in, std::size_t size, char* out) {
        char* const start = out;
        for (std::size_t i = 0; i < size; ++i) {
            if (pairedLF_) {
                // The LF that settleHeldCR() saw coming.
                pairedLF_ = false;
                control(out, /*silent=*/true);
                continue;
            }
            if (bulk_ && !heldCR_) {
                // Runs without control bytes pass unchanged and are copied as a whole; so
                // do LFs when they end lines, as CRs.
                const std::size_t run = copyUntilControl(in + i, size - i, out, eolUnix_);
                if (run > 0) {
                    out += run;
                    lastWasControl_ = false;
                    atFileStart_ = false;
                    i += run;
                    if (i == size)
                        break;
                }
            }
            const auto b = static_cast<unsigned char>(in[i]);
            if (heldCR_) {
                heldCR_ = false;
                if (b == kLF) {
                    pass(out, kCR);
                    control(out, /*silent=*/true);
                    continue;
                }
                settleLoneCR(out);
            }
            if (b == static_cast<unsigned char>(kCR)) {
                // Whether this CR ends a line depends on the byte after it, which may be
                // the first byte of the next chunk.
                heldCR_ = true;
            } else if (b >= kFirstPrintable || b == kTab) {
                pass(out, static_cast<char>(b));
            } else if (b == kLF) {
                if (eolUnix_)
                    pass(out, kCR);
                else
                    control(out, /*silent=*/false);
            } else {
                control(out, /*silent=*/b == kNul);
                // The NULs after a NUL change nothing more: binary files are mostly runs
                // of them.
                if (bulk_ && b == kNul) {
                    // Eight at a time: a decompressed file of zeros is gigabytes of them.
                    std::size_t next = i + 1;
                    std::uint64_t eight = 0;
                    while (next + sizeof eight <= size &&
                           (std::memcpy(&eight, in + next, sizeof eight), eight == 0))
                        next += sizeof eight;
                    while (next < size && in[next] == 0)
                        ++next;
                    i = next - 1;
                }
            }
        }
        return static_cast<std::size_t>(out - start);
    }

    // What feeding a run of NULs does, which writes nothing, where no CR waits for the
    // next byte: between chunks that end the normal way.
    void feedNuls() {
        char* nowhere = nullptr;
        control(nowhere, /*silent=*/true);
    }

    // Whether the last byte fed was a CR that waits for the byte after it.
    bool holdsCR() const { return heldCR_; }

    // Whether the `size` bytes at `in`, fed next, end in an LF that ends a line.
    bool endsLine(const char* in, std::size_t size) const {
        return size > 0 && static_cast<unsigned char>(in[size - 1]) == kLF &&
               (eolUnix_ || afterCR(in, size - 1));
    }

    // What feeding `in` does to the line count and to the state, without the text: for
    // bytes that end a line (endsLine()). Returns the number of line ends the text would
    // hold: a NUL between a CR and an LF keeps them apart, as in feed().
    std::size_t skipLines(const char* in, std::size_t size) {
        const bool pairEndsText = afterCR(in, size - 1);
        std::size_t from = 0;
        std::size_t lineEnds = 0;
        if (pairedLF_) {
            // Its CR was written with the chunk before.
            from = 1;
        } else if (heldCR_ && static_cast<unsigned char>(in[0]) == kLF) {
            ++lineEnds;
            from = 1;
        } else if (heldCR_ && eolMac_) {
            ++lineEnds;
        }
        const char* const rest = in + from;
        const std::size_t restSize = size - from;
        if (eolUnix_)
            lineEnds += countByte(rest, restSize, static_cast<char>(kLF));
        if (eolMac_)
            lineEnds += countByte(rest, restSize, kCR);
        // A CR LF pair is one line end: counted twice with both options, not at all with
        // neither.
        if (eolUnix_ == eolMac_) {
            const std::size_t pairs = countBytePair(rest, restSize, kCR, static_cast<char>(kLF));
            if (eolUnix_)
                lineEnds -= pairs;
            else
                lineEnds += pairs;
        }
        heldCR_ = false;
        pairedLF_ = false;
        // The LF of a CR LF pair is a silent control byte; a lone LF ending a line is
        // written as a CR.
        lastWasControl_ = pairEndsText;
        atFileStart_ = false;
        return lineEnds;
    }

    // Settles a held CR by the byte that will be fed next, so that a line ending at a
    // chunk's end is complete within the chunk; writes at most one byte.
    std::size_t settleHeldCR(unsigned char next, char* out) {
        char* const start = out;
        heldCR_ = false;
        if (next == kLF) {
            pass(out, kCR);
            pairedLF_ = true;
        } else {
            settleLoneCR(out);
        }
        return static_cast<std::size_t>(out - start);
    }

    // At the end of the file: settles a CR that ended the last chunk; writes at most one
    // byte.
    std::size_t finish(char* out) {
        char* const start = out;
        if (heldCR_) {
            heldCR_ = false;
            settleLoneCR(out);
        }
        return static_cast<std::size_t>(out - start);
    }

  private:
    // Whether the byte before in[at] is a CR, the chunk before's held one included.
    bool afterCR(const char* in, std::size_t at) const {
        return at > 0 ? in[at - 1] == kCR : heldCR_ || pairedLF_;
    }

    void settleLoneCR(char*& out) {
        if (eolMac_)
            pass(out, kCR);
        else
            control(out, /*silent=*/false);
    }

    void pass(char*& out, char c) {
        *out++ = c;
        lastWasControl_ = false;
        atFileStart_ = false;
    }

    void control(char*& out, bool silent) {
        if (!silent && !lastWasControl_ && !atFileStart_)
            *out++ = ' ';
        lastWasControl_ = true;
        atFileStart_ = false;
    }

    const bool eolUnix_;
    const bool eolMac_;
    const bool bulk_;
    bool heldCR_ = false;    // the last byte seen was a CR, not judged yet
    bool pairedLF_ = false;  // the next byte is the LF of a CR LF pair already written
    bool lastWasControl_ = false;
    bool atFileStart_ = true;
};

// Hands every complete line at the front of `text` to `yield` (without its CR), and the
// front of an overlong unfinished line as a piece ending in an added CR. Returns the bytes
// consumed; at most FoundFile::kCarry bytes are left over. The piece's CR is written over
// the byte after it for the duration of the call, hence the writable text.
template <typename Yield>
std::size_t splitLines(char* text, std::size_t size, int& lineCounter, Yield&& yield) {
    std::size_t pos = 0;
    for (;;) {
        while (pos < size && text[pos] == kCR) {
            ++pos;
            ++lineCounter;
        }
        if (pos == size)
            return pos;
        const void* cr = std::memchr(text + pos, kCR, size - pos);
        if (cr != nullptr) {
            const auto end = static_cast<std::size_t>(static_cast<const char*>(cr) - text);
            ++lineCounter;
            yield(std::string_view(text + pos, end - pos), lineCounter);
            pos = end + 1;
            continue;
        }
        if (size - pos > FoundFile::kCarry) {
            const std::size_t end = size - FoundFile::kCarry;
            const char saved = text[end];
            text[end] = kCR;
            yield(std::string_view(text + pos, end - pos + 1), lineCounter + 1);
            text[end] = saved;
            pos = end;
        }
        return pos;
    }
}

// What to scan the text for when case is ignored: the longest run of ASCII bytes of the
// required literal, looked for in either case in the text as it is, when that run is the
// whole literal or long enough to be worth it; empty when the whole text is better lowered
// and scanned for the literal itself. Exact, as lowering turns ASCII bytes into ASCII
// bytes and every other character into one of the same length beyond ASCII.
std::string_view foldedScanLiteral(std::string_view literal) {
    constexpr std::size_t kShortestUsefulRun = 3;
    std::string_view best;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= literal.size(); ++i) {
        if (i == literal.size() || static_cast<unsigned char>(literal[i]) >= 0x80) {
            if (i - start > best.size())
                best = literal.substr(start, i - start);
            start = i + 1;
        }
    }
    return best.size() == literal.size() || best.size() >= kShortestUsefulRun ? best
                                                                              : std::string_view();
}

// splitLines() for a compiled expression, searching the whole run of complete lines at
// once: scanned for a literal every match contains when there is one, and each remaining
// line put to the automaton first, so that the matcher only runs on lines that match. When
// case is ignored the literal's ASCII part is looked for in either case in the text as it
// is, and only the lines that hold it are lower-cased for the automaton and the matcher;
// without such a literal the whole run is lower-cased in one pass. A piece of an overlong
// line goes to the same filters. Same lines, numbers and order as splitLines().
class FastLineSearch {
  public:
    FastLineSearch(SearchExpression& expression, std::vector<HitLine>& hits)
        : expression_(expression),
          hits_(hits),
          lowerLines_(!expression.matchCase() &&
                      !foldedScanLiteral(expression.regExp().requiredLiteral()).empty()),
          scan_(lowerLines_ ? foldedScanLiteral(expression.regExp().requiredLiteral())
                            : std::string_view(expression.regExp().requiredLiteral()),
                /*ignoreCase=*/lowerLines_),
          dfa_(expression.automaton()) {
        const std::string& literal = scan_.literal();
        rawScanOn_ = !literal.empty() && (expression.matchCase() || lowerLines_) &&
                     std::all_of(literal.begin(), literal.end(), [](char c) {
                         return static_cast<unsigned char>(c) > kFirstPrintable;
                     });
        if (!rawScanOn_)
            return;
        for (std::size_t i = 0; i + 1 < literal.size(); ++i) {
            const char c = literal[i];
            const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            for (const char form : {c, lowerLines_ && letter ? static_cast<char>(c ^ 0x20) : c}) {
                if (bytesBeforeNul_.find(form) == std::string::npos)
                    bytesBeforeNul_ += form;
            }
        }
    }

    // The scan that finds every hit's literal in the raw bytes too, or nullptr: the
    // literal must pass normalisation unchanged (no control byte, no space) and be looked
    // for in the text as it is.
    const LiteralScan* rawScan() const { return rawScanOn_ ? &scan_ : nullptr; }

    // The bytes of rawScan()'s literal but its last, in either case where case is ignored:
    // a raw byte before a NUL that the literal may go on after.
    std::string_view bytesBeforeNul() const { return bytesBeforeNul_; }

    std::size_t run(char* text, std::size_t size, int& lineCounter, bool& found) {
        const void* lastCR = memrchr(text, kCR, size);
        const std::size_t linesEnd =
            lastCR ? static_cast<std::size_t>(static_cast<const char*>(lastCR) - text) + 1 : 0;
        searchLines(text, linesEnd, lineCounter, found);
        if (size - linesEnd <= FoundFile::kCarry)
            return linesEnd;
        const std::size_t end = size - FoundFile::kCarry;
        const char saved = text[end];
        text[end] = kCR;
        searchPiece(text + linesEnd, end - linesEnd + 1, lineCounter + 1, found);
        text[end] = saved;
        return end;
    }

  private:
    // `text` ends in a CR when `size` is not 0.
    void searchLines(const char* text, std::size_t size, int& lineCounter, bool& found) {
        const char* haystack = text;
        if (!expression_.matchCase() && !lowerLines_) {
            lowered_.assign(text, size);
            text::toLowerInPlace(lowered_);
            haystack = lowered_.data();
        }
        const bool withLiteral = !scan_.literal().empty();
        std::size_t pos = 0;  // the start of the first line not yet passed
        while (pos < size) {
            std::size_t start = pos;
            std::size_t from = pos;  // where the line's end is looked for
            if (withLiteral) {
                const std::size_t at = scan_.find(haystack + pos, size - pos);
                if (at == LiteralScan::kNotFound)
                    break;
                if (const void* cr = memrchr(haystack + pos, kCR, at))
                    start = static_cast<std::size_t>(static_cast<const char*>(cr) - haystack) + 1;
                lineCounter += static_cast<int>(countByte(haystack + pos, start - pos, kCR));
                from = pos + at;
            }
            const auto* lineEnd =
                static_cast<const char*>(std::memchr(haystack + from, kCR, size - from));
            const auto end = static_cast<std::size_t>(lineEnd - haystack);
            ++lineCounter;
            // Empty lines are never searched, as in splitLines().
            if (end > start) {
                const std::string_view line(text + start, end - start);
                searchLine(line, subjectOf(line, haystack + start), lineCounter, found);
            }
            pos = end + 1;
        }
        lineCounter += static_cast<int>(countByte(haystack + pos, size - pos, kCR));
    }

    // A piece of an overlong line, its added CR included, goes through the same filters.
    void searchPiece(const char* text, std::size_t size, int lineNumber, bool& found) {
        const char* haystack = text;
        if (!expression_.matchCase() && !lowerLines_) {
            lowered_.assign(text, size);
            text::toLowerInPlace(lowered_);
            haystack = lowered_.data();
        }
        if (!scan_.literal().empty() && scan_.find(haystack, size) == LiteralScan::kNotFound)
            return;
        const std::string_view piece(text, size);
        searchLine(piece, subjectOf(piece, haystack), lineNumber, found);
    }

    // What the automaton and the matcher see of `line`: the line lower-cased on its own
    // when only candidate lines are, else its place in the haystack. Lowering a line alone
    // gives the bytes that lowering the whole text gives there, as a line never starts or
    // ends inside a character.
    std::string_view subjectOf(std::string_view line, const char* inHaystack) {
        if (!lowerLines_)
            return std::string_view(inHaystack, line.size());
        lowered_.assign(line);
        text::toLowerInPlace(lowered_);
        return lowered_;
    }

    void searchLine(std::string_view line, std::string_view subject, int lineNumber, bool& found) {
        if (dfa_.contains(subject) == LazyDfa::Answer::No)
            return;
        int matchLength = 0;
        const int matchStart = expression_.regExp().search(subject, matchLength);
        if (matchStart >= 0) {
            hits_.emplace_back(line, matchStart, matchLength, lineNumber);
            found = true;
        }
    }

    SearchExpression& expression_;
    std::vector<HitLine>& hits_;
    // Case is ignored and the text is scanned as it is: each candidate line is lowered
    // alone into `lowered_`, which otherwise holds the whole lowered text.
    const bool lowerLines_;
    LiteralScan scan_;
    LazyDfa& dfa_;
    std::string lowered_;
    bool rawScanOn_ = false;
    std::string bytesBeforeNul_;
};

// How many bytes at the front of the raw chunk `in` end complete lines that cannot hold a
// hit, so that their text need not be made: 0, or a length that ends a line where neither
// the chunk nor the carried text `text` can give the literal of `scan`. A literal that
// passes normalisation unchanged is in the text only where its bytes are in the raw bytes
// with nothing between them but a run of control bytes that adds nothing: one that starts
// with a NUL, or one at the chunk's start after a NUL of the chunk before (any other adds a
// space or a line end). Where no byte of `beforeNul` (the literal's bytes but its last) is
// followed by a NUL, only the chunk's start can join the carried text; else the chunk is
// copied after the carried text without such runs. The bytes after `carried` in `text`
// are overwritten.
std::size_t linesWithoutHit(const LiteralScan& scan, std::string_view beforeNul,
                            const Normaliser& normaliser, const char* in, std::size_t size,
                            char* text, std::size_t carried) {
    if (size < 2)
        return 0;
    const std::size_t pos = skipControlBytes(in, size);
    // At most the chunk after at most the carry: the buffer holds both.
    char* joined = text + carried;
    if (!anyFollowedByNul(in, size, beforeNul)) {
        const std::size_t start = std::min(scan.literal().size() - 1, size - pos);
        std::memcpy(joined, in + pos, start);
        if (scan.find(text, carried + start) != LiteralScan::kNotFound ||
            scan.find(in, size) != LiteralScan::kNotFound)
            return 0;
    } else {
        joined += copyWithoutNulRuns(in + pos, size - pos, joined);
        if (scan.find(text, static_cast<std::size_t>(joined - text)) != LiteralScan::kNotFound)
            return 0;
    }
    // The last byte always goes through the text: it may be a CR to settle.
    std::size_t last = size - 1;
    while (const void* lf = memrchr(in, kLF, last)) {
        const auto length = static_cast<std::size_t>(static_cast<const char*>(lf) - in) + 1;
        if (normaliser.endsLine(in, length))
            return length;
        last = length - 1;
    }
    return 0;
}

}  // namespace

int FoundFile::scanContents(SearchExpression& expression, ScanBuffers& buffers,
                            const SearchCriteria& criteria, bool stopAtFirstChunkWithHit) {
    return scanFile(nullptr, expression, buffers, criteria, stopAtFirstChunkWithHit, nullptr);
}

int FoundFile::scanFile(ReadableFile* opened, SearchExpression& expression, ScanBuffers& buffers,
                        const SearchCriteria& criteria, bool stopAtFirstChunkWithHit,
                        const HitsReady* onHits, ArchiveVisitor* archives) {
    const std::size_t bufferSize = buffers.size;
    hits.clear();
    hitsComplete = false;
    textEnd = TextEnd::kWhole;
    if (bufferSize <= kCarry) {
        showMessage(kReadBufferSizeZero);
        return 0;
    }
    std::unique_ptr<ReadableFile> openedHere;
    if (opened == nullptr && isMember()) {
        // A member is read again through its archive on disk.
        int found = 0;
        FoundFile& self = *this;
        openMember(*this, [&](Decoder& data) {
            found = self.scanFile(&data, expression, buffers, criteria, stopAtFirstChunkWithHit,
                                  onHits, nullptr);
        });
        return found;
    }
    if (opened == nullptr) {
        FileSystem* const fs = fileSystem();
        if (fs == nullptr || !location)
            return 0;
        openedHere = fs->openForScan(*location, name);
        opened = openedHere.get();
        if (opened == nullptr)
            return 0;
    }
    ReadableFile* file = opened;
    // The member of an archive being read tells why its bytes stopped short.
    const auto* const member = dynamic_cast<const Decoder*>(opened);
    std::optional<ArchiveProbe> archive;

    const std::size_t chunkSize = bufferSize - kCarry;
    const bool plain = plainAlgorithm();
    Normaliser normaliser(criteria.eolUnix, criteria.eolMac, /*bulk=*/!plain);
    char* raw = buffers.a.get();
    char* text = buffers.b.get();
    std::size_t carried = 0;  // bytes of an unfinished line at the start of `text`
    // A held-back CR settled at the start of a chunk can make the text one byte longer
    // than a buffer (a full carried tail, the settled CR and a full chunk); only then is
    // the text assembled here instead.
    std::string oversized;
    int lineCounter = 0;
    bool found = false;
    std::size_t taken = 0;  // hit lines that onHits took away
    std::optional<FastLineSearch> fastSearch;
    const auto searchLine = [&](std::string_view line, int lineNumber) {
        int matchStart = 0;
        int matchLength = 0;
        if (expression.find(line, matchStart, matchLength)) {
            hits.emplace_back(line, matchStart, matchLength, lineNumber);
            found = true;
        }
    };

    // The first byte of the next chunk when it was read early to settle a CR.
    char ahead = 0;
    std::size_t aheadLength = 0;
    bool readFailed = false;
    // The first chunk read says whether the file is read through decoders.
    DecodingStage decoding(DecodeOptions{.insideCompressed = criteria.searchCompressed});
    bool firstChunk = true;
    bool decoded = false;
    for (;;) {
        if (readFailed)
            break;
        if (!decoded && !firstChunk && aheadLength == 0 && !plain &&
            file->skipHole(chunkSize) > 0) {
            // Whole chunks of NULs add no text, leave the carried tail as it is and find
            // nothing: what the file's hole changes is only that the last byte fed was a
            // NUL, which feedNuls() tells the normaliser.
            normaliser.feedNuls();
            if (criteria.stopRequested())
                break;
        }
        raw[0] = ahead;
        long got = file->read(raw + aheadLength, chunkSize - aheadLength);
        if (firstChunk && got >= 0) {
            firstChunk = false;
            const std::string_view head(raw, static_cast<std::size_t>(got));
            const bool headIsAll = static_cast<std::size_t>(got) < chunkSize;
            const DecodeOptions options{.insideCompressed = criteria.searchCompressed};
            if (archives != nullptr && criteria.searchCompressed &&
                archives->depth() < kMaxArchiveDepth && mayBeArchive(head) &&
                !isTextFormat(head, headIsAll, options)) {
                archive.emplace(*file, head, headIsAll);
                if (archive->list(*this, *archives))
                    return 0;
                file = &archive->fromStart();
                got = file->read(raw, chunkSize);
                if (got < 0)
                    break;
            }
            if (onlyMembers)
                return 0;
            if (ReadableFile* text =
                    decoding.open(*file, raw, static_cast<std::size_t>(got), chunkSize)) {
                file = text;
                decoded = true;
                got = file->read(raw, chunkSize);
            }
        }
        if (got < 0)
            break;
        const std::size_t size = std::min(static_cast<std::size_t>(got) + aheadLength, chunkSize);
        aheadLength = 0;
        bool endOfFile = size < chunkSize;
        // Decoded text that stopped at damaged data or at the limit has not ended: its
        // unfinished last line is left out and the hits never become complete.
        const bool stoppedShort =
            endOfFile && ((decoded && decoding.textEnd() != TextEnd::kWhole) ||
                          (member != nullptr && member->textEnd() != TextEnd::kWhole));
        if (stoppedShort)
            endOfFile = false;

        // Until the expression has been compiled, by the first line searched, the plain
        // split decides when that happens.
        if (!plain && !fastSearch && expression.compiled())
            fastSearch.emplace(expression, hits);
        // Complete lines that cannot hold a hit, the carried tail's among them, are only
        // counted.
        std::size_t skipped = 0;
        if (fastSearch) {
            if (const LiteralScan* scan = fastSearch->rawScan())
                skipped = linesWithoutHit(*scan, fastSearch->bytesBeforeNul(), normaliser, raw,
                                          size, text, carried);
            if (skipped > 0) {
                lineCounter += static_cast<int>(normaliser.skipLines(raw, skipped));
                carried = 0;
            }
        }

        // All but the chunk's last byte always fit after the carried tail; the last byte,
        // the settling of a final CR and the end-of-file CR go through `tail` first.
        std::size_t length = carried;
        char tail[4];
        std::size_t tailLength = 0;
        if (size > skipped) {
            length += normaliser.feed(raw + skipped, size - skipped - 1, text + length);
            tailLength = normaliser.feed(raw + size - 1, 1, tail);
        }
        if (!endOfFile && normaliser.holdsCR()) {
            // A chunk ending in CR: one byte more tells whether the CR ends the line (or
            // the file ends here), so a line that fits the chunk is never cut into pieces
            // at its end.
            const long peeked = file->read(&ahead, 1);
            if (peeked < 0) {
                readFailed = true;
            } else if (peeked == 0) {
                endOfFile = true;
            } else {
                tailLength +=
                    normaliser.settleHeldCR(static_cast<unsigned char>(ahead), tail + tailLength);
                aheadLength = 1;
            }
        }
        if (endOfFile) {
            tailLength += normaliser.finish(tail + tailLength);
            tail[tailLength++] = kCR;
        }
        char* lines = text;
        if (length + tailLength <= bufferSize) {
            std::memcpy(text + length, tail, tailLength);
        } else {
            oversized.assign(text, length);
            oversized.append(tail, tailLength);
            lines = oversized.data();
        }
        length += tailLength;

        std::size_t consumed = 0;
        if (!plain && expression.compiled()) {
            if (!fastSearch)
                fastSearch.emplace(expression, hits);
            consumed = fastSearch->run(lines, length, lineCounter, found);
        } else {
            consumed = splitLines(lines, length, lineCounter, searchLine);
        }
        carried = length - consumed;
        std::memcpy(raw, lines + consumed, carried);
        std::swap(raw, text);

        if (endOfFile)
            hitsComplete = true;
        if (onHits != nullptr && !hits.empty()) {
            const std::size_t before = hits.size();
            const bool more = (*onHits)(*this);
            taken += before - hits.size();
            if (!more)
                break;
        }
        if (endOfFile || stoppedShort)
            break;
        if (found && stopAtFirstChunkWithHit)
            break;
        if (criteria.stopRequested())
            break;
    }
    if (decoded)
        textEnd = decoding.textEnd();
    if (textEnd == TextEnd::kWhole && member != nullptr)
        textEnd = member->textEnd();
    return static_cast<int>(hits.size() + taken);
}

int FoundFile::scanContentsFully(SearchExpression& expression, const SearchCriteria& criteria) {
    ScanBuffers buffers(kBufferSize);
    return scanContents(expression, buffers, criteria, /*stopAtFirstChunkWithHit=*/false);
}

}  // namespace scoutwell
