// Office documents: OOXML and ODF zips, unzipped with libarchive and parsed with libxml2's
// SAX parser part by part (DocumentFormats.h says what is recognised and why).
#include <archive.h>
#include <archive_entry.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/DocumentDecoder.h"
#include "engine/DocumentFormats.h"

namespace scoutwell {
namespace {

using namespace std::string_view_literals;

// Unzipped bytes fed to the XML parser at a time.
constexpr std::size_t kPartBlock = 64 * 1024;
// The XML a document may unzip to in all: a part that expands far beyond its document is
// a zip bomb, and parsing it would take minutes. Office parts compress ten to twenty times.
constexpr std::uint64_t kXmlFloor = std::uint64_t{64} << 20;
constexpr std::uint64_t kXmlRatio = 64;
// A spreadsheet's shared strings are held while its sheets are read.
constexpr std::size_t kMaxSharedStringBytes = std::size_t{64} << 20;
// Entries of a zip taken as a document, and the entries walked over all openings of it
// (a part is found by walking the central directory from its start).
constexpr std::size_t kMaxEntries = 100000;
constexpr std::uint64_t kMaxEntryWalk = 20000000;
// A repeated cell or row, or a run of spaces, is written at most this many times.
constexpr int kMaxRepeat = 1000;
// Columns of a spreadsheet row (the widest sheets have 16,384).
constexpr int kMaxColumns = 16384;

constexpr std::string_view kZipMagic = "PK\x03\x04"sv;
constexpr std::string_view kContentTypes = "[Content_Types].xml"sv;
constexpr std::string_view kOdfMimePrefix = "application/vnd.oasis.opendocument."sv;
constexpr std::string_view kCompoundMagic = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv;
// "EncryptedPackage" as a compound file's directory names it, in UTF-16LE.
constexpr std::string_view kEncryptedPackage = "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0"sv;

unsigned little16(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

// The name of the zip local header at `at`, or empty when the head ends before it.
std::string_view localName(std::string_view head, std::size_t at) {
    if (head.size() < at + 30)
        return {};
    const std::size_t length = little16(head, at + 26);
    if (head.size() < at + 30 + length)
        return {};
    return head.substr(at + 30, length);
}

bool isOoxml(std::string_view head) {
    if (!head.starts_with(kZipMagic))
        return false;
    bool contentTypes = false;
    bool officePart = false;
    for (std::size_t at = 0; at != std::string_view::npos && !(contentTypes && officePart);
         at = head.find(kZipMagic, at + 1)) {
        const std::string_view name = localName(head, at);
        contentTypes = contentTypes || name == kContentTypes;
        officePart = officePart || name.starts_with("word/") || name.starts_with("xl/") ||
                     name.starts_with("ppt/");
    }
    return contentTypes && officePart;
}

bool isOdf(std::string_view head) {
    if (!head.starts_with(kZipMagic) || localName(head, 0) != "mimetype")
        return false;
    const std::size_t data = 30 + 8 + little16(head, 28);
    return head.size() >= data && head.substr(data).starts_with(kOdfMimePrefix);
}

bool isEncryptedOffice(std::string_view head) {
    return head.starts_with(kCompoundMagic) &&
           head.find(kEncryptedPackage) != std::string_view::npos;
}

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};

// The entries of a zip held in memory, opened by their place in the central directory.
class ZipParts {
  public:
    enum class Opened { kOk, kDamaged, kEncrypted };

    explicit ZipParts(std::string_view data) : data_(data) {}

    // The names of the entries in order; false when the zip cannot be read.
    bool list(std::vector<std::string>& names) {
        if (!reopen())
            return false;
        archive_entry* entry = nullptr;
        for (;;) {
            const int status = archive_read_next_header(archive_.get(), &entry);
            if (status == ARCHIVE_EOF)
                break;
            if (status != ARCHIVE_OK && status != ARCHIVE_WARN)
                return false;
            if (names.size() == kMaxEntries)
                return false;
            const char* name = archive_entry_pathname(entry);
            names.emplace_back(name != nullptr ? name : "");
        }
        entries_ = names.size();
        archive_.reset();
        return true;
    }

    Opened open(std::size_t index) {
        if (!archive_ || index < next_) {
            if (!reopen())
                return Opened::kDamaged;
        }
        archive_entry* entry = nullptr;
        while (next_ <= index) {
            if (++walked_ > kMaxEntryWalk)
                return Opened::kDamaged;
            const int status = archive_read_next_header(archive_.get(), &entry);
            if (status != ARCHIVE_OK && status != ARCHIVE_WARN) {
                archive_.reset();
                return Opened::kDamaged;
            }
            ++next_;
        }
        return archive_entry_is_encrypted(entry) ? Opened::kEncrypted : Opened::kOk;
    }

    // Unzipped bytes of the entry opened: 0 at its end, -1 for damaged data.
    long read(char* buffer, std::size_t size) {
        const la_ssize_t got = archive_read_data(archive_.get(), buffer, size);
        if (got < 0) {
            archive_.reset();
            return -1;
        }
        return static_cast<long>(got);
    }

  private:
    bool reopen() {
        archive_.reset(archive_read_new());
        next_ = 0;
        walked_ += entries_;  // the central directory is read again
        return archive_ && archive_read_support_format_zip_seekable(archive_.get()) == ARCHIVE_OK &&
               archive_read_open_memory(archive_.get(), data_.data(), data_.size()) == ARCHIVE_OK;
    }

    std::string_view data_;
    std::unique_ptr<archive, ArchiveFree> archive_;
    std::size_t next_ = 0;  // the entry the next header is
    std::size_t entries_ = 0;
    std::uint64_t walked_ = 0;
};

// What a part's reader does with the elements and text of its XML. Names are local names:
// prefixes vary between writers, and each part speaks few vocabularies.
class XmlHandler {
  public:
    virtual ~XmlHandler() = default;
    // `attributes` holds `count` quintuples of libxml2's SAX2: local name, prefix, URI,
    // value start, value end.
    virtual void startElement(std::string_view name, const xmlChar** attributes, int count) = 0;
    virtual void endElement(std::string_view name) = 0;
    virtual void characters(std::string_view text) = 0;

    std::string lines;  // the text made so far, whole lines only
};

std::string_view attribute(const xmlChar** attributes, int count, std::string_view name) {
    for (int i = 0; i < count; ++i) {
        const xmlChar** a = attributes + 5 * i;
        if (reinterpret_cast<const char*>(a[0]) == name)
            return std::string_view(reinterpret_cast<const char*>(a[3]),
                                    static_cast<std::size_t>(a[4] - a[3]));
    }
    return {};
}

// A count attribute (repeats, spaces), from 1 to kMaxRepeat.
int repeatCount(std::string_view value) {
    long n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return 1;
        n = std::min<long>(n * 10 + (c - '0'), kMaxRepeat);
    }
    return value.empty() ? 1 : static_cast<int>(std::max<long>(n, 1));
}

void ignoreMessage(void*, const char*, ...) {}
void ignoreStructured(void*, xmlErrorPtr) {}

// libxml2's push parser over one part, with only the callbacks below: no tree, no entity
// but the predefined ones, and a document type declaration stops it as malformed.
class XmlPart {
  public:
    explicit XmlPart(XmlHandler& handler) : handler_(handler) {
        static const bool initialised = [] {
            xmlInitParser();
            return true;
        }();
        (void)initialised;
        // The generic error channel is the thread's own; libxml2 writes to standard error
        // through it where no callback catches a message.
        xmlSetGenericErrorFunc(nullptr, ignoreMessage);
        xmlSAXHandler sax;
        std::memset(&sax, 0, sizeof sax);
        sax.initialized = XML_SAX2_MAGIC;
        sax.startElementNs = startElement;
        sax.endElementNs = endElement;
        sax.characters = characters;
        sax.cdataBlock = characters;
        sax.internalSubset = refuseDoctype;
        sax.warning = ignoreMessage;
        sax.error = ignoreMessage;
        sax.fatalError = ignoreMessage;
        sax.serror = ignoreStructured;
        context_ = xmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr);
        if (context_ != nullptr)
            xmlCtxtUseOptions(context_, XML_PARSE_NONET);
        failed_ = context_ == nullptr;
    }
    ~XmlPart() {
        if (context_ != nullptr)
            xmlFreeParserCtxt(context_);
    }
    XmlPart(const XmlPart&) = delete;
    XmlPart& operator=(const XmlPart&) = delete;

    // Parses the next bytes of the part (the last ones with `last`); false once the part
    // proved malformed.
    bool feed(const char* data, std::size_t size, bool last) {
        if (failed_)
            return false;
        const int status = xmlParseChunk(context_, data, static_cast<int>(size), last ? 1 : 0);
        if (status != 0 || !context_->wellFormed || doctype_)
            failed_ = true;
        return !failed_;
    }

  private:
    static XmlPart& self(void* context) { return *static_cast<XmlPart*>(context); }

    static void startElement(void* context, const xmlChar* name, const xmlChar*, const xmlChar*,
                             int, const xmlChar**, int count, int, const xmlChar** attributes) {
        self(context).handler_.startElement(reinterpret_cast<const char*>(name), attributes, count);
    }
    static void endElement(void* context, const xmlChar* name, const xmlChar*, const xmlChar*) {
        self(context).handler_.endElement(reinterpret_cast<const char*>(name));
    }
    static void characters(void* context, const xmlChar* text, int length) {
        self(context).handler_.characters(std::string_view(reinterpret_cast<const char*>(text),
                                                           static_cast<std::size_t>(length)));
    }
    static void refuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
        XmlPart& part = self(context);
        part.doctype_ = true;
        xmlStopParser(part.context_);
    }

    XmlHandler& handler_;
    xmlParserCtxtPtr context_ = nullptr;
    bool failed_ = false;
    bool doctype_ = false;
};

// Elements whose whole content is left out: alternative renderings that repeat the text
// (mc:Fallback), tab stop definitions (w:tabs, a:tabLst), phonetic guides (rPh), deleted
// text kept for tracked changes (text:tracked-changes).
bool isSkipped(std::string_view name) {
    return name == "Fallback" || name == "tabs" || name == "tabLst" || name == "rPh" ||
           name == "tracked-changes";
}

// Tracks the skipped subtrees for the handlers below.
class SkippingHandler : public XmlHandler {
  protected:
    // Whether the element starting or ending is inside a skipped subtree.
    bool skipStart(std::string_view name, bool skipAlso = false) {
        if (skipDepth_ > 0 || skipAlso || isSkipped(name)) {
            ++skipDepth_;
            return true;
        }
        return false;
    }
    bool skipEnd() {
        if (skipDepth_ == 0)
            return false;
        --skipDepth_;
        return true;
    }
    bool skipping() const { return skipDepth_ > 0; }

    void endLine(std::string& line) {
        if (line.empty())
            return;
        lines += line;
        lines += '\n';
        line.clear();
    }

  private:
    int skipDepth_ = 0;
};

// Word's and PowerPoint's paragraphs (w:p, a:p) with their text runs (w:t, a:t).
class ParagraphHandler : public SkippingHandler {
  public:
    void startElement(std::string_view name, const xmlChar**, int) override {
        if (skipStart(name))
            return;
        if (name == "p") {
            endLine(line_);  // a paragraph in a text box of a paragraph
        } else if (name == "t") {
            ++inText_;
        } else if (name == "tab") {
            line_ += '\t';
        } else if (name == "br" || name == "cr") {
            line_ += ' ';
        } else if (name == "noBreakHyphen") {
            line_ += '-';
        }
    }
    void endElement(std::string_view name) override {
        if (skipEnd())
            return;
        if (name == "p")
            endLine(line_);
        else if (name == "t")
            --inText_;
    }
    void characters(std::string_view text) override {
        if (inText_ > 0 && !skipping())
            appendLineText(line_, text, /*collapse=*/false);
    }

  private:
    std::string line_;
    int inText_ = 0;
};

// An Excel shared strings part: the strings (si) the sheets' cells refer to by number.
class SharedStringsHandler : public SkippingHandler {
  public:
    void startElement(std::string_view name, const xmlChar**, int) override {
        if (skipStart(name))
            return;
        if (name == "si")
            current_.clear();
        else if (name == "t")
            ++inText_;
    }
    void endElement(std::string_view name) override {
        if (skipEnd())
            return;
        if (name == "t") {
            --inText_;
        } else if (name == "si") {
            bytes_ += current_.size();
            if (bytes_ > kMaxSharedStringBytes)
                tooLarge = true;
            else
                strings.push_back(std::move(current_));
            current_.clear();
        }
    }
    void characters(std::string_view text) override {
        if (inText_ > 0 && !skipping())
            appendLineText(current_, text, /*collapse=*/false);
    }

    std::vector<std::string> strings;
    bool tooLarge = false;

  private:
    std::string current_;
    std::size_t bytes_ = 0;
    int inText_ = 0;
};

// The column of an Excel cell reference ("C7" is 2), or -1.
int columnOf(std::string_view reference) {
    int column = 0;
    std::size_t letters = 0;
    for (const char c : reference) {
        if (c < 'A' || c > 'Z')
            break;
        column = column * 26 + (c - 'A' + 1);
        if (++letters > 3)
            return -1;
    }
    return letters == 0 ? -1 : column - 1;
}

// An Excel worksheet: a line per row holding text, its cells separated by TAB in their
// columns.
class SheetHandler : public SkippingHandler {
  public:
    explicit SheetHandler(const std::vector<std::string>& shared) : shared_(shared) {}

    void startElement(std::string_view name, const xmlChar** attributes, int count) override {
        if (skipStart(name))
            return;
        if (name == "row") {
            row_.clear();
            column_ = 0;
            filled_ = 0;
        } else if (name == "c") {
            const int column = columnOf(attribute(attributes, count, "r"));
            if (column >= 0)
                column_ = column;
            type_ = attribute(attributes, count, "t");
            value_.clear();
            inline_.clear();
        } else if (name == "v") {
            inValue_ = true;
        } else if (name == "t") {
            ++inText_;
        }
    }
    void endElement(std::string_view name) override {
        if (skipEnd())
            return;
        if (name == "v") {
            inValue_ = false;
        } else if (name == "t") {
            --inText_;
        } else if (name == "c") {
            putCell();
        } else if (name == "row") {
            endLine(row_);
        }
    }
    void characters(std::string_view text) override {
        if (skipping())
            return;
        if (inValue_)
            value_ += text;
        else if (inText_ > 0)
            inline_ += text;
    }

  private:
    void putCell() {
        std::string text;
        if (type_ == "s") {
            std::size_t index = 0;
            bool number = !value_.empty() && value_.size() < 10;
            for (const char c : value_) {
                number = number && c >= '0' && c <= '9';
                index = index * 10 + static_cast<std::size_t>(c - '0');
            }
            if (number && index < shared_.size())
                text = shared_[index];
        } else if (type_ == "inlineStr") {
            appendLineText(text, inline_, /*collapse=*/false);
        } else if (type_ == "b") {
            text = value_ == "1" ? "TRUE" : "FALSE";
        } else {
            appendLineText(text, value_, /*collapse=*/false);
        }
        if (!text.empty() && column_ < kMaxColumns && column_ >= filled_) {
            // The columns between the last cell written and this one are empty.
            row_.append(static_cast<std::size_t>(column_ - filled_ + (filled_ > 0 ? 1 : 0)), '\t');
            row_ += text;
            filled_ = column_ + 1;
        }
        ++column_;
    }

    const std::vector<std::string>& shared_;
    std::string row_;
    int column_ = 0;
    int filled_ = 0;  // the columns row_ holds
    std::string type_;
    std::string value_;
    std::string inline_;
    bool inValue_ = false;
    int inText_ = 0;
};

// An OpenDocument content.xml: paragraphs and headings (text:p, text:h) are lines, but in
// a table, where a row is a line and its cells are separated by TAB. White space in text
// collapses as OpenDocument says; text:s, text:tab and text:line-break are written out.
class OdfHandler : public SkippingHandler {
  public:
    void startElement(std::string_view name, const xmlChar** attributes, int count) override {
        // A comment's author and date (dc:creator, dc:date), not the fields of those names.
        if (skipStart(name, annotationDepth_ > 0 && (name == "creator" || name == "date")))
            return;
        if (name == "annotation") {
            ++annotationDepth_;
        } else if (name == "table-row") {
            ++rowDepth_;
            row_.clear();
            emptyCells_ = 0;
            rowRepeat_ = repeatCount(attribute(attributes, count, "number-rows-repeated"));
        } else if (rowDepth_ > 0 && (name == "table-cell" || name == "covered-table-cell")) {
            cell_.clear();
            cellRepeat_ = repeatCount(attribute(attributes, count, "number-columns-repeated"));
        } else if (name == "p" || name == "h") {
            if (rowDepth_ > 0) {
                if (!cell_.empty())
                    cell_ += ' ';
            } else if (paragraphDepth_ > 0) {
                endLine(line_);  // a note's paragraph inside a paragraph
            }
            ++paragraphDepth_;
        } else if (name == "s") {
            target().append(
                static_cast<std::size_t>(repeatCount(attribute(attributes, count, "c"))), ' ');
        } else if (name == "tab") {
            target() += '\t';
        } else if (name == "line-break") {
            target() += ' ';
        }
    }
    void endElement(std::string_view name) override {
        if (skipEnd())
            return;
        if (name == "p" || name == "h") {
            if (paragraphDepth_ > 0)
                --paragraphDepth_;
            if (rowDepth_ == 0)
                endLine(line_);
        } else if (rowDepth_ > 0 && (name == "table-cell" || name == "covered-table-cell")) {
            putCell();
        } else if (name == "annotation" && annotationDepth_ > 0) {
            --annotationDepth_;
        } else if (name == "table-row" && rowDepth_ > 0) {
            --rowDepth_;
            if (!row_.empty()) {
                for (int i = 0; i < rowRepeat_; ++i) {
                    lines += row_;
                    lines += '\n';
                }
            }
            row_.clear();
        }
    }
    void characters(std::string_view text) override {
        if (paragraphDepth_ > 0 && !skipping())
            appendLineText(target(), text, /*collapse=*/true);
    }

  private:
    std::string& target() { return rowDepth_ > 0 ? cell_ : line_; }

    void putCell() {
        while (!cell_.empty() && cell_.back() == ' ')
            cell_.pop_back();
        if (cell_.empty()) {
            emptyCells_ = std::min(emptyCells_ + cellRepeat_, kMaxColumns);
            return;
        }
        row_.append(static_cast<std::size_t>(emptyCells_ + (row_.empty() ? 0 : 1)), '\t');
        emptyCells_ = 0;
        for (int i = 0; i < cellRepeat_; ++i) {
            if (i > 0)
                row_ += '\t';
            row_ += cell_;
        }
        cell_.clear();
    }

    std::string line_;
    std::string row_;
    std::string cell_;
    int rowDepth_ = 0;
    int paragraphDepth_ = 0;
    int rowRepeat_ = 1;
    int cellRepeat_ = 1;
    int emptyCells_ = 0;  // empty cells since the last one written in this row
    int annotationDepth_ = 0;
};

// Finds an element anywhere in a part (ODF's manifest: encryption-data).
class ElementFinder : public XmlHandler {
  public:
    explicit ElementFinder(std::string_view wanted) : wanted_(wanted) {}
    void startElement(std::string_view name, const xmlChar**, int) override {
        found = found || name == wanted_;
    }
    void endElement(std::string_view) override {}
    void characters(std::string_view) override {}

    bool found = false;

  private:
    std::string_view wanted_;
};

// The relationship ids (r:id) of a main part's `item` elements, in document order: the
// order of a workbook's sheets (sheet) and of a presentation's slides (sldId).
class RelationshipIds : public XmlHandler {
  public:
    explicit RelationshipIds(std::string_view item) : item_(item) {}
    void startElement(std::string_view name, const xmlChar** attributes, int count) override {
        if (name != item_)
            return;
        for (int i = 0; i < count; ++i) {
            const xmlChar** a = attributes + 5 * i;
            const char* uri = reinterpret_cast<const char*>(a[2]);
            if (uri != nullptr &&
                std::string_view(uri).find("relationships") != std::string_view::npos &&
                reinterpret_cast<const char*>(a[0]) == std::string_view("id")) {
                ids.emplace_back(reinterpret_cast<const char*>(a[3]),
                                 static_cast<std::size_t>(a[4] - a[3]));
            }
        }
    }
    void endElement(std::string_view) override {}
    void characters(std::string_view) override {}

    std::vector<std::string> ids;

  private:
    std::string_view item_;
};

// A .rels part: each relationship's id and target.
class Relationships : public XmlHandler {
  public:
    void startElement(std::string_view name, const xmlChar** attributes, int count) override {
        if (name == "Relationship")
            targets.emplace(attribute(attributes, count, "Id"),
                            attribute(attributes, count, "Target"));
    }
    void endElement(std::string_view) override {}
    void characters(std::string_view) override {}

    std::unordered_map<std::string, std::string> targets;
};

// The number in a part's name after `prefix` ("ppt/slides/slide12.xml" is 12), or -1.
long partNumber(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || !name.ends_with(".xml"))
        return -1;
    const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (digits.empty() || digits.size() > 9)
        return -1;
    long n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

enum class OfficeKind { kOoxml, kOdf };

class OfficeDecoder : public DocumentDecoder {
  public:
    OfficeDecoder(ReadableFile& input, OfficeKind kind)
        : DocumentDecoder(input), kind_(kind), block_(kPartBlock, '\0') {}

  protected:
    TextEnd start(std::string_view document) override {
        zip_ = std::make_unique<ZipParts>(document);
        xmlBudget_ = kXmlFloor + kXmlRatio * document.size();
        std::vector<std::string> names;
        if (!zip_->list(names))
            return TextEnd::kMalformed;
        return kind_ == OfficeKind::kOdf ? planOdf(names) : planOoxml(names);
    }

    bool more(std::string& text, TextEnd& end) override {
        if (!part_) {
            if (next_ == plan_.size())
                return false;
            const ZipParts::Opened opened = zip_->open(plan_[next_++]);
            if (opened != ZipParts::Opened::kOk) {
                end = opened == ZipParts::Opened::kEncrypted ? TextEnd::kEncrypted
                                                             : TextEnd::kMalformed;
                return false;
            }
            part_ = std::make_unique<XmlPart>(*handler_);
        }
        const long got = zip_->read(block_.data(), block_.size());
        bool parsed = got >= 0;
        if (got > 0) {
            if (static_cast<std::uint64_t>(got) > xmlBudget_) {
                end = TextEnd::kCutOff;
                return false;
            }
            xmlBudget_ -= static_cast<std::uint64_t>(got);
        }
        if (parsed)
            parsed = part_->feed(block_.data(), static_cast<std::size_t>(got), /*last=*/got == 0);
        text += handler_->lines;
        handler_->lines.clear();
        if (!parsed) {
            end = TextEnd::kMalformed;
            return false;
        }
        if (got == 0)
            part_.reset();
        return true;
    }

  private:
    TextEnd planOdf(const std::vector<std::string>& names) {
        const auto manifest = std::find(names.begin(), names.end(), "META-INF/manifest.xml");
        if (manifest != names.end()) {
            ElementFinder encryption("encryption-data");
            const TextEnd end =
                parseWhole(static_cast<std::size_t>(manifest - names.begin()), encryption);
            if (end != TextEnd::kWhole)
                return end;
            if (encryption.found)
                return TextEnd::kEncrypted;
        }
        const auto content = std::find(names.begin(), names.end(), "content.xml");
        if (content == names.end())
            return TextEnd::kMalformed;
        plan_.push_back(static_cast<std::size_t>(content - names.begin()));
        handler_ = std::make_unique<OdfHandler>();
        return TextEnd::kWhole;
    }

    TextEnd planOoxml(const std::vector<std::string>& names) {
        const auto find = [&](std::string_view name) -> long {
            const auto at = std::find(names.begin(), names.end(), name);
            return at == names.end() ? -1 : static_cast<long>(at - names.begin());
        };
        // Numbered parts (slides, sheets, headers) in the order of their numbers.
        const auto numbered = [&](std::string_view prefix) {
            std::vector<std::pair<long, std::size_t>> found;
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (const long n = partNumber(names[i], prefix); n >= 0)
                    found.emplace_back(n, i);
            }
            std::sort(found.begin(), found.end());
            for (const auto& [n, index] : found)
                plan_.push_back(index);
        };
        if (const long body = find("word/document.xml"); body >= 0) {
            plan_.push_back(static_cast<std::size_t>(body));
            for (const std::string_view part :
                 {"word/footnotes.xml", "word/endnotes.xml", "word/comments.xml"}) {
                if (const long at = find(part); at >= 0)
                    plan_.push_back(static_cast<std::size_t>(at));
            }
            numbered("word/header");
            numbered("word/footer");
            handler_ = std::make_unique<ParagraphHandler>();
        } else if (const long presentation = find("ppt/presentation.xml"); presentation >= 0) {
            if (!ordered(names, static_cast<std::size_t>(presentation), "sldId",
                         "ppt/_rels/presentation.xml.rels", "ppt/"))
                numbered("ppt/slides/slide");
            handler_ = std::make_unique<ParagraphHandler>();
        } else if (const long workbook = find("xl/workbook.xml"); workbook >= 0) {
            if (const long shared = find("xl/sharedStrings.xml"); shared >= 0) {
                SharedStringsHandler strings;
                const TextEnd end = parseWhole(static_cast<std::size_t>(shared), strings);
                if (end != TextEnd::kWhole)
                    return end;
                if (strings.tooLarge)
                    return TextEnd::kCutOff;
                shared_ = std::move(strings.strings);
            }
            if (!ordered(names, static_cast<std::size_t>(workbook), "sheet",
                         "xl/_rels/workbook.xml.rels", "xl/"))
                numbered("xl/worksheets/sheet");
            handler_ = std::make_unique<SheetHandler>(shared_);
        } else {
            return TextEnd::kMalformed;
        }
        return TextEnd::kWhole;
    }

    // Plans the parts a main part lists with `item` elements, in its order, through its
    // relationships part (targets are relative to `folder`). False when that gives nothing,
    // and the parts are then taken in the order of their numbers.
    bool ordered(const std::vector<std::string>& names, std::size_t main, std::string_view item,
                 std::string_view relsName, std::string_view folder) {
        const auto rels = std::find(names.begin(), names.end(), relsName);
        if (rels == names.end())
            return false;
        RelationshipIds ids(item);
        Relationships relationships;
        if (parseWhole(main, ids) != TextEnd::kWhole ||
            parseWhole(static_cast<std::size_t>(rels - names.begin()), relationships) !=
                TextEnd::kWhole)
            return false;
        std::unordered_map<std::string_view, std::size_t> indexOf;
        for (std::size_t i = 0; i < names.size(); ++i)
            indexOf.emplace(names[i], i);
        const std::size_t planned = plan_.size();
        for (const std::string& id : ids.ids) {
            const auto relationship = relationships.targets.find(id);
            if (relationship == relationships.targets.end())
                continue;
            const std::string& target = relationship->second;
            const std::string path =
                target.starts_with('/') ? target.substr(1) : std::string(folder) + target;
            if (const auto at = indexOf.find(path); at != indexOf.end())
                plan_.push_back(at->second);
        }
        return plan_.size() > planned;
    }

    // Parses a whole part through `handler` before the text begins.
    TextEnd parseWhole(std::size_t index, XmlHandler& handler) {
        const ZipParts::Opened opened = zip_->open(index);
        if (opened != ZipParts::Opened::kOk)
            return opened == ZipParts::Opened::kEncrypted ? TextEnd::kEncrypted
                                                          : TextEnd::kMalformed;
        XmlPart part(handler);
        for (;;) {
            const long got = zip_->read(block_.data(), block_.size());
            if (got < 0)
                return TextEnd::kMalformed;
            if (static_cast<std::uint64_t>(got) > xmlBudget_)
                return TextEnd::kCutOff;
            xmlBudget_ -= static_cast<std::uint64_t>(got);
            if (!part.feed(block_.data(), static_cast<std::size_t>(got), /*last=*/got == 0))
                return TextEnd::kMalformed;
            if (got == 0)
                return TextEnd::kWhole;
        }
    }

    OfficeKind kind_;
    std::string block_;
    std::unique_ptr<ZipParts> zip_;
    std::vector<std::size_t> plan_;  // the parts whose text is read, in order
    std::size_t next_ = 0;
    std::vector<std::string> shared_;
    std::unique_ptr<XmlHandler> handler_;
    std::unique_ptr<XmlPart> part_;  // the part being read
    std::uint64_t xmlBudget_ = 0;
};

class OfficeFormat : public DecoderFormat {
  public:
    using Test = bool (*)(std::string_view head);
    OfficeFormat(std::string_view name, Test test, OfficeKind kind)
        : name_(name), test_(test), kind_(kind) {}

    std::string_view name() const override { return name_; }
    bool enabled(const DecodeOptions& options) const override { return options.insideCompressed; }
    bool recognises(std::string_view head, bool) const override { return test_(head); }
    bool yieldsText() const override { return true; }
    std::unique_ptr<Decoder> open(ReadableFile& input) const override {
        return std::make_unique<OfficeDecoder>(input, kind_);
    }

  private:
    std::string_view name_;
    Test test_;
    OfficeKind kind_;
};

// An encrypted Office document is a compound file around the encrypted zip: its text is
// out of reach without the password.
class EncryptedDecoder : public Decoder {
  public:
    long read(char*, std::size_t) override { return -1; }
    TextEnd textEnd() const override { return TextEnd::kEncrypted; }
};

class EncryptedOfficeFormat : public DecoderFormat {
  public:
    std::string_view name() const override { return "encrypted Office document"; }
    bool enabled(const DecodeOptions& options) const override { return options.insideCompressed; }
    bool recognises(std::string_view head, bool) const override { return isEncryptedOffice(head); }
    bool yieldsText() const override { return true; }
    std::unique_ptr<Decoder> open(ReadableFile&) const override {
        return std::make_unique<EncryptedDecoder>();
    }
};

}  // namespace

const DecoderFormat& ooxmlFormat() {
    static const OfficeFormat format("OOXML", isOoxml, OfficeKind::kOoxml);
    return format;
}

const DecoderFormat& odfFormat() {
    static const OfficeFormat format("ODF", isOdf, OfficeKind::kOdf);
    return format;
}

const DecoderFormat& encryptedOfficeFormat() {
    static const EncryptedOfficeFormat format;
    return format;
}

}  // namespace scoutwell
