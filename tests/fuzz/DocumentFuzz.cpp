// The document readers over any bytes: a part of an office document, a PDF, or a whole
// file, scanned with compressed files and documents searched. Nothing may crash, hang or
// leak, and a scan is complete exactly when its text ended whole.
//
// Input: a selector byte, then the bytes:
//   0: the file as it is; 1: word/document.xml of a .docx; 2: the shared strings and the
//   sheet of an .xlsx, split at the first NUL; 3: a slide of a .pptx; 4: content.xml of
//   an .odt; 5: the manifest of an .ods, before a fixed content; 6: a PDF after "%PDF-".
#include <string>
#include <vector>

#include "engine/FoundItem.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "tests/engine/FakeScanFileSystem.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/support/DocumentFiles.h"

namespace {

using scoutwell::fuzz::check;
using namespace scoutwell::testing;

const std::string kFolder = "/fuzz/";
const std::string kName = "document";

std::string documentOf(std::uint8_t selector, const std::string& bytes) {
    const ZipEntry types = {"[Content_Types].xml", "<Types/>"};
    switch (selector % 7) {
        case 1:
            return zipOf({types, {"word/document.xml", bytes}});
        case 2: {
            const std::size_t nul = std::min(bytes.find('\0'), bytes.size());
            return zipOf(
                {types,
                 {"xl/workbook.xml", "<workbook/>"},
                 {"xl/sharedStrings.xml", bytes.substr(0, nul)},
                 {"xl/worksheets/sheet1.xml", bytes.substr(std::min(nul + 1, bytes.size()))}});
        }
        case 3:
            return zipOf(
                {types, {"ppt/presentation.xml", "<p/>"}, {"ppt/slides/slide1.xml", bytes}});
        case 4:
            return zipOf(
                {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", bytes}});
        case 5:
            return odfOf("spreadsheet", "<text:p>a</text:p>", {{"META-INF/manifest.xml", bytes}});
        case 6:
            return "%PDF-" + bytes;
        default:
            return bytes;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace scoutwell;
    fuzz::InputReader in(data, size);
    const std::uint8_t selector = in.byte();
    const std::string contents = documentOf(selector, std::string(in.rest()));

    FakeScanFileSystem fs;
    FakeScanFileSystem::Installed installed(fs);
    fs.add(kFolder + kName, contents);
    SearchCriteria criteria;
    criteria.searchCompressed = true;
    SearchExpression expression;
    check(expression.set("a", true, true, nullptr), "pattern does not compile");
    FoundFile file(makeSharedText(kFolder), kName, static_cast<std::int64_t>(contents.size()), 0);
    ScanBuffers buffers(FoundFile::kBufferSize);
    file.scanContents(expression, buffers, criteria, /*stopAtFirstChunkWithHit=*/false);
    check(file.hitsComplete == (file.textEnd == TextEnd::kWhole),
          "hits complete although the text stopped early, or not although it ended whole");
    return 0;
}
