// Documents through the decoding stage: the text each format yields, what is recognised as
// a document and what is not, and encrypted, malformed and hostile documents.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "engine/DecodingStage.h"
#include "engine/FoundItem.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "support/DocumentFiles.h"
#include "tests/engine/FakeScanFileSystem.h"
#include "tests/engine/ScanHits.h"

namespace scoutwell {
namespace {

using namespace std::string_literals;
using testing::docxOf;
using testing::FakeScanFileSystem;
using testing::Hit;
using testing::odfOf;
using testing::pdfOf;
using testing::wordParagraph;
using testing::zipOf;

class StringFile : public ReadableFile {
  public:
    explicit StringFile(std::string_view bytes) : bytes_(bytes) {}
    long read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, bytes_.size() - at_);
        std::memcpy(buffer, bytes_.data() + at_, n);
        at_ += n;
        return static_cast<long>(n);
    }

  private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

struct Decoded {
    std::vector<std::string_view> layers;  // empty: searched as its bytes
    std::string text;
    TextEnd end = TextEnd::kWhole;
};

// The text the contents scan would search in `contents`, with the option on.
Decoded decode(const std::string& contents, bool option = true) {
    const std::size_t chunk = FoundFile::kBufferSize - FoundFile::kCarry;
    DecodingStage stage(DecodeOptions{.insideCompressed = option});
    StringFile file(contents);
    std::string buffer(chunk, '\0');
    const long got = file.read(buffer.data(), chunk);
    Decoded out;
    ReadableFile* text = stage.open(file, buffer.data(), static_cast<std::size_t>(got), chunk);
    if (text == nullptr)
        return out;
    out.layers = stage.layers();
    for (;;) {
        const long n = text->read(buffer.data(), chunk);
        if (n <= 0)
            break;
        out.text.append(buffer.data(), static_cast<std::size_t>(n));
    }
    out.end = stage.textEnd();
    return out;
}

std::string sheetOf(std::string_view rows) {
    return "<?xml version=\"1.0\"?><worksheet><sheetData>" + std::string(rows) +
           "</sheetData></worksheet>";
}

std::string slideOf(std::string_view paragraphs) {
    return "<?xml version=\"1.0\"?><p:sld xmlns:p=\"p\" xmlns:a=\"a\"><p:cSld><p:spTree><p:sp>"
           "<p:txBody>" +
           std::string(paragraphs) + "</p:txBody></p:sp></p:spTree></p:cSld></p:sld>";
}

TEST(DocumentsTest, EachFormatYieldsALinePerParagraphOrRow) {
    struct Case {
        const char* what;
        std::string contents;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"docx: runs, tab, break, a text box given twice, a footnote and a header after the body",
         docxOf("<w:p><w:pPr><w:tabs><w:tab w:val=\"left\"/></w:tabs></w:pPr>"
                "<w:r><w:t>Grüße, </w:t></w:r><w:r><w:t>world</w:t><w:tab/><w:t>&amp; more"
                "</w:t><w:br/><w:t>same line</w:t></w:r></w:p>"
                "<w:p/>"
                "<w:p><w:r><mc:AlternateContent><mc:Choice><w:txbxContent>" +
                    wordParagraph("in a box") +
                    "</w:txbxContent></mc:Choice><mc:Fallback><w:txbxContent>" +
                    wordParagraph("in a box") +
                    "</w:txbxContent></mc:Fallback></mc:AlternateContent></w:r></w:p>" +
                    wordParagraph("last\nof the body"),
                {{"word/header2.xml",
                  "<w:hdr xmlns:w=\"w\">" + wordParagraph("header two") + "</w:hdr>"},
                 {"word/header1.xml",
                  "<w:hdr xmlns:w=\"w\">" + wordParagraph("header one") + "</w:hdr>"},
                 {"word/footnotes.xml",
                  "<w:footnotes xmlns:w=\"w\">" + wordParagraph("a note") + "</w:footnotes>"}}),
         "Grüße, world\t& more same line\nin a box\nlast of the body\na note\nheader one\n"
         "header two\n"},
        {"xlsx: shared and inline strings, gaps between cells, sheets in number order",
         zipOf({{"[Content_Types].xml", "<Types/>"},
                {"xl/workbook.xml", "<workbook/>"},
                {"xl/sharedStrings.xml",
                 "<sst><si><t>alpha</t></si><si><r><t>be</t></r><r><t>ta</t></r>"
                 "<rPh><t>phonetic</t></rPh></si></sst>"},
                {"xl/worksheets/sheet10.xml",
                 sheetOf("<row r=\"1\"><c r=\"A1\"><v>10</v></c></row>")},
                {"xl/worksheets/sheet2.xml",
                 sheetOf("<row r=\"1\"><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"D1\" t=\"b\">"
                         "<v>1</v></c></row><row r=\"2\"><c r=\"A2\"><v>2.5</v></c>"
                         "<c r=\"B2\" t=\"inlineStr\"><is><t>in line</t></is></c></row>"
                         "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>99</v></c></row>")},
                {"xl/worksheets/sheet1.xml",
                 sheetOf("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><f>A1</f>"
                         "<v>7</v></c></row>")}}),
         "alpha\t7\n\tbeta\t\tTRUE\n2.5\tin line\n10\n"},
        {"pptx: slides in number order, tab stops left out",
         zipOf({{"[Content_Types].xml", "<Types/>"},
                {"ppt/presentation.xml", "<presentation/>"},
                {"ppt/slides/slide2.xml", slideOf("<a:p><a:r><a:t>second</a:t></a:r></a:p>")},
                {"ppt/slides/slide10.xml", slideOf("<a:p><a:r><a:t>tenth</a:t></a:r></a:p>")},
                {"ppt/slides/slide1.xml",
                 slideOf("<a:p><a:pPr><a:tabLst><a:tab pos=\"1\"/></a:tabLst></a:pPr><a:r>"
                         "<a:t>Title</a:t></a:r><a:br/><a:r><a:t>more</a:t></a:r></a:p>"
                         "<a:p><a:r><a:t>point</a:t></a:r></a:p>")}}),
         "Title more\npoint\nsecond\ntenth\n"},
        {"xlsx: sheets in the order of the workbook's list",
         zipOf({{"[Content_Types].xml", "<Types/>"},
                {"xl/workbook.xml",
                 "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                 "relationships\"><sheets><sheet name=\"B\" sheetId=\"1\" r:id=\"rId7\"/>"
                 "<sheet name=\"A\" sheetId=\"2\" r:id=\"rId3\"/></sheets></workbook>"},
                {"xl/_rels/workbook.xml.rels",
                 "<Relationships><Relationship Id=\"rId3\" Target=\"worksheets/sheet1.xml\"/>"
                 "<Relationship Id=\"rId7\" Target=\"/xl/worksheets/sheet2.xml\"/>"
                 "</Relationships>"},
                {"xl/worksheets/sheet1.xml", sheetOf("<row><c><v>1</v></c></row>")},
                {"xl/worksheets/sheet2.xml", sheetOf("<row><c><v>2</v></c></row>")}}),
         "2\n1\n"},
        {"pptx: slides in the order of the presentation's list",
         zipOf(
             {{"[Content_Types].xml", "<Types/>"},
              {"ppt/presentation.xml",
               "<p:presentation xmlns:p=\"p\" xmlns:r=\"http://schemas.openxmlformats.org/"
               "officeDocument/2006/relationships\"><p:sldIdLst><p:sldId id=\"256\" "
               "r:id=\"rId2\"/><p:sldId id=\"257\" r:id=\"rId1\"/></p:sldIdLst>"
               "</p:presentation>"},
              {"ppt/_rels/presentation.xml.rels",
               "<Relationships><Relationship Id=\"rId1\" Target=\"slides/slide1.xml\"/>"
               "<Relationship Id=\"rId2\" Target=\"slides/slide2.xml\"/></Relationships>"},
              {"ppt/slides/slide1.xml", slideOf("<a:p><a:r><a:t>moved last</a:t></a:r></a:p>")},
              {"ppt/slides/slide2.xml", slideOf("<a:p><a:r><a:t>moved first</a:t></a:r></a:p>")}}),
         "moved first\nmoved last\n"},
        {"odt: headings, white space, spaces, a note, a date field, a comment's author, a table",
         odfOf("text",
               "<office:text><text:h>Heading</text:h><text:p>one  \n  two<text:s text:c=\"3\"/>"
               "three<text:tab/>four<text:note><text:note-citation>1</text:note-citation>"
               "<text:note-body><text:p>noted</text:p></text:note-body></text:note> five "
               "<text:date>8 Dec</text:date>"
               "<office:annotation><dc:creator>Bob</dc:creator><text:p>remark</text:p>"
               "</office:annotation></text:p><table:table><table:table-row><table:table-cell>"
               "<text:p>a</text:p><text:p>b</text:p></table:table-cell><table:table-cell/>"
               "<table:table-cell><text:p>c</text:p></table:table-cell></table:table-row>"
               "</table:table></office:text>"),
         "Heading\none two   three\tfour1\nnoted\nfive 8 Dec\nremark\na b\t\tc\n"},
        {"ods: repeated cells and rows, empty ones left out",
         odfOf("spreadsheet",
               "<office:spreadsheet><table:table><table:table-row table:number-rows-repeated=\"2\">"
               "<table:table-cell table:number-columns-repeated=\"2\"/><table:table-cell "
               "table:number-columns-repeated=\"2\"><text:p>x</text:p></table:table-cell>"
               "<table:table-cell table:number-columns-repeated=\"1020\"/></table:table-row>"
               "<table:table-row table:number-rows-repeated=\"1048570\"><table:table-cell "
               "table:number-columns-repeated=\"1024\"/></table:table-row>"
               "</table:table></office:spreadsheet>"),
         "\t\tx\tx\n\t\tx\tx\n"},
        {"odp: the frames' paragraphs, page by page",
         odfOf("presentation",
               "<office:presentation><draw:page><draw:frame><draw:text-box><text:p>first</text:p>"
               "</draw:text-box></draw:frame></draw:page><draw:page><draw:frame><draw:text-box>"
               "<text:p>second</text:p></draw:text-box></draw:frame></draw:page>"
               "</office:presentation>"),
         "first\nsecond\n"},
        {"PDF: a text line per line, page by page",
         pdfOf({{"Hello (PDF) world", "second line"}, {"page two"}}),
         "Hello (PDF) world\nsecond line\npage two\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Decoded decoded = decode(c.contents);
        EXPECT_EQ(decoded.layers.size(), 1u);
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.end, TextEnd::kWhole);
        // Without the option a document is searched as the bytes it is.
        EXPECT_TRUE(decode(c.contents, /*option=*/false).layers.empty());
    }
}

TEST(DocumentsTest, OnlyDocumentsAreRecognisedAsDocuments) {
    const std::string content = docxOf(wordParagraph("x"));
    struct Case {
        const char* what;
        std::string contents;
        const char* format;  // null: not a document
    };
    const std::vector<Case> cases = {
        {"docx", content, "OOXML"},
        {"docx with its content types after the parts",
         zipOf({{"word/document.xml", "<d/>"}, {"[Content_Types].xml", "<Types/>"}}), "OOXML"},
        {"plain zip", zipOf({{"readme.txt", "hello"}, {"word/notes.txt", "x"}}), nullptr},
        {"NuGet package: content types, no office part",
         zipOf({{"[Content_Types].xml", "<Types/>"}, {"lib/a.dll", "MZ"}}), nullptr},
        {"odt", odfOf("text", ""), "ODF"},
        {"EPUB: a mimetype that is no OpenDocument type",
         zipOf({{"mimetype", "application/epub+zip"}, {"content.xml", "<x/>"}}), nullptr},
        {"ODF mimetype not first",
         zipOf({{"a", "b"}, {"mimetype", "application/vnd.oasis.opendocument.text"}}), nullptr},
        {"PDF", pdfOf({{"x"}}), "PDF"},
        {"text that mentions %PDF- after its start", "see %PDF-1.4\n", nullptr},
        {"compound file without an encrypted package", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 Word"s,
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Decoded decoded = decode(c.contents);
        if (c.format == nullptr) {
            EXPECT_TRUE(decoded.layers.empty());
        } else {
            ASSERT_EQ(decoded.layers.size(), 1u);
            EXPECT_EQ(decoded.layers[0], c.format);
        }
    }
}

TEST(DocumentsTest, EncryptedDocumentsArePassedOverWithANote) {
    std::string compound = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"s + std::string(500, '\0');
    for (const char c : "EncryptedPackage"s) {
        compound += c;
        compound += '\0';
    }
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"PDF with a user password", pdfOf({{"secret"}}, /*locked=*/true)},
        {"ODF with encrypted content",
         odfOf("text", "<text:p>x</text:p>",
               {{"META-INF/manifest.xml",
                 "<manifest:manifest xmlns:manifest=\"m\"><manifest:file-entry "
                 "manifest:full-path=\"content.xml\"><manifest:encryption-data/>"
                 "</manifest:file-entry></manifest:manifest>"}})},
        {"Office document in its encrypted package", compound},
        {"OOXML whose main part is encrypted in the zip",
         zipOf({{"[Content_Types].xml", "<Types/>"},
                {"word/document.xml", "<w:document/>", 0, 0, /*encrypted=*/true}})},
    };
    for (const auto& [what, contents] : cases) {
        SCOPED_TRACE(what);
        const Decoded decoded = decode(contents);
        EXPECT_EQ(decoded.layers.size(), 1u);
        EXPECT_EQ(decoded.text, "");
        EXPECT_EQ(decoded.end, TextEnd::kEncrypted);
    }
    FoundFile item(makeSharedText("/d/"), "secret.pdf", 1, 0);
    item.textEnd = TextEnd::kEncrypted;
    EXPECT_EQ(textEndNote(item), "/d/secret.pdf: the data is encrypted and was not searched.");
}

TEST(DocumentsTest, MalformedDocumentsKeepTheTextBeforeTheFault) {
    const std::string good = docxOf(wordParagraph("kept") + wordParagraph("also kept"));
    const std::string pdf = pdfOf({{"pdf text"}});
    struct Case {
        const char* what;
        std::string contents;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"XML broken after a paragraph",
         docxOf(wordParagraph("kept") + "<w:p><w:r><w:t>lost</w:r></w:p>" + wordParagraph("no")),
         "kept\n"},
        {"an undefined entity", docxOf(wordParagraph("kept") + wordParagraph("&nope;")), "kept\n"},
        {"zip cut in half", good.substr(0, good.size() / 2), ""},
        {"zip with a damaged central directory",
         good.substr(0, good.size() - 30) + std::string(30, '\xFF'), ""},
        {"OOXML without a main part",
         zipOf({{"[Content_Types].xml", "<Types/>"}, {"word/styles.xml", "<s/>"}}), ""},
        {"ODF without content", zipOf({{"mimetype", "application/vnd.oasis.opendocument.text"}}),
         ""},
        {"PDF of garbage", "%PDF-1.4\n" + std::string(3000, '\x7F'), ""},
        {"PDF cut short", pdf.substr(0, 40), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Decoded decoded = decode(c.contents);
        EXPECT_EQ(decoded.layers.size(), 1u);
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.end, TextEnd::kMalformed);
    }
}

TEST(DocumentsTest, DocumentTypeDeclarationsAreRefused) {
    std::string laughs = "<!DOCTYPE w:document [<!ENTITY a \"haha\">";
    for (char c = 'b'; c <= 'k'; ++c) {
        laughs += "<!ENTITY "s + c + " \"";
        for (int i = 0; i < 10; ++i)
            laughs += "&"s + static_cast<char>(c - 1) + ";";
        laughs += "\">";
    }
    laughs += "]>";
    const auto withDoctype = [](const std::string& doctype, const std::string& paragraph) {
        return zipOf({{"[Content_Types].xml", "<Types/>"},
                      {"word/document.xml",
                       "<?xml version=\"1.0\"?>" + doctype + "<w:document xmlns:w=\"w\"><w:body>" +
                           wordParagraph(paragraph) + "</w:body></w:document>"}});
    };
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"a billion laughs", withDoctype(laughs, "&k;")},
        {"an external entity",
         withDoctype("<!DOCTYPE w:document [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>", "&x;")},
        {"an external DTD",
         withDoctype("<!DOCTYPE w:document SYSTEM \"http://localhost:9/d.dtd\">", "text")},
    };
    for (const auto& [what, contents] : cases) {
        SCOPED_TRACE(what);
        const auto started = std::chrono::steady_clock::now();
        const Decoded decoded = decode(contents);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
        EXPECT_EQ(decoded.text, "");
        EXPECT_EQ(decoded.end, TextEnd::kMalformed);
    }
}

// A part that unzips to far more XML than its document could hold (here under 2 MB deflated
// to 200 MB) is cut off, in bounded memory: parsing it all would take minutes.
TEST(DocumentsTest, ZipBombPartIsCutOff) {
    const std::string head = "<?xml version=\"1.0\"?><w:document xmlns:w=\"w\"><w:body>" +
                             wordParagraph("before the flood");
    std::string block;
    while (block.size() < (1 << 20))
        block += "<w:p><w:r><w:t>x</w:t></w:r></w:p>";
    // Each fully flushed block deflates to the same bytes: deflate it once, repeat it.
    z_stream stream{};
    ASSERT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY), Z_OK);
    const auto deflateSome = [&](const std::string& in, int flush) {
        std::string out(in.size() + 1024, '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        stream.avail_in = static_cast<uInt>(in.size());
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = static_cast<uInt>(out.size());
        deflate(&stream, flush);
        out.resize(out.size() - stream.avail_out);
        return out;
    };
    std::string data = deflateSome(head, Z_FULL_FLUSH);
    const std::string repeated = deflateSome(block, Z_FULL_FLUSH);
    const int copies = 200;
    for (int i = 0; i < copies; ++i)
        data += repeated;
    data += deflateSome("</w:body></w:document>", Z_FINISH);
    deflateEnd(&stream);
    const std::uint64_t size = head.size() + copies * block.size() + 22;
    const std::string bomb =
        zipOf({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", data, size, 0}});
    ASSERT_LT(bomb.size(), 2u << 20);
    struct rusage before {};
    getrusage(RUSAGE_SELF, &before);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const Decoded decoded = decode(bomb);
        _exit(decoded.end == TextEnd::kCutOff &&
                      decoded.text.starts_with("before the flood\nx\nx\n")
                  ? 0
                  : 1);
    }
    int status = 0;
    struct rusage usage {};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // The parts are parsed as they unzip: the XML is never held whole.
    EXPECT_LT(usage.ru_maxrss - before.ru_maxrss, 100 * 1024);
}

// Hit lines of a document come through the contents scan like any file's, and a scan that
// stopped at its first hits reads the rest through the document again.
TEST(DocumentsTest, ContentsScanFindsHitLinesInDocuments) {
    FakeScanFileSystem fs;
    FakeScanFileSystem::Installed installed{fs};
    std::string body;
    for (int i = 1; i <= 6000; ++i)
        body += wordParagraph("paragraph " + std::to_string(i) + (i % 2000 == 0 ? " needle" : ""));
    const std::string docx = docxOf(body);
    fs.add("/docs/report.docx", docx);
    SearchCriteria criteria;
    criteria.searchCompressed = true;
    SearchExpression expression;
    ASSERT_TRUE(expression.set("needle", /*matchCase=*/true, /*compileNow=*/true, nullptr));
    FoundFile file(makeSharedText("/docs/"), "report.docx", static_cast<std::int64_t>(docx.size()),
                   0);
    ScanBuffers buffers(FoundFile::kBufferSize);
    file.scanContents(expression, buffers, criteria, /*stopAtFirstChunkWithHit=*/true);
    EXPECT_EQ(testing::hitsOf(file), (std::vector<Hit>{{2000, "paragraph 2000 needle"}}));
    EXPECT_TRUE(file.needsFullScan());
    file.scanContentsFully(expression, criteria);
    EXPECT_EQ(testing::hitsOf(file), (std::vector<Hit>{{2000, "paragraph 2000 needle"},
                                                       {4000, "paragraph 4000 needle"},
                                                       {6000, "paragraph 6000 needle"}}));
    EXPECT_TRUE(file.hitsComplete);
}

}  // namespace
}  // namespace scoutwell
