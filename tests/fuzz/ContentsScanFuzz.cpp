// Any file bytes, scanned in chunks under every line-end option and buffer size, give
// the hit lines, completeness and reads of the one-piece normalisation reference, over the
// text the reference decoder makes of them (byte-order marks, UTF-16). Bytes that start
// like a compressed format or a document, with compressed files searched, must only not
// crash the decoders.
//
// Input: a flags byte, a buffer byte, then the file's contents.
//   flags bit 0: eolUnix, bit 1: eolMac, bit 2: stop at the first chunk with a hit,
//   bits 3-5: the pattern, bit 6: search compressed files; buffer byte: the chunk size
//   past the carried tail, or the program's own buffer size when 0.
#include <string>
#include <vector>

#include "engine/Decoder.h"
#include "engine/FoundItem.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "tests/engine/DecodeReference.h"
#include "tests/engine/FakeScanFileSystem.h"
#include "tests/engine/NormaliseReference.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

using scoutwell::fuzz::check;

const char* const kPatterns[] = {".", "a", "ab", "^a", "a$", "^$", "b*", "[^a]"};
const std::string kFolder = "/fuzz/";
const std::string kName = "file";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace scoutwell;
    fuzz::InputReader in(data, size);
    const std::uint8_t flags = in.byte();
    const std::uint8_t bufferChoice = in.byte();
    const std::string contents(in.rest());

    SearchCriteria criteria;
    criteria.eolUnix = (flags & 1) != 0;
    criteria.eolMac = (flags & 2) != 0;
    const bool stopAtFirst = (flags & 4) != 0;
    const char* pattern = kPatterns[(flags >> 3) & 7];
    const std::size_t bufferSize =
        bufferChoice == 0 ? FoundFile::kBufferSize : FoundFile::kCarry + bufferChoice;
    const std::size_t chunkSize = bufferSize - FoundFile::kCarry;

    testing::FakeScanFileSystem fs;
    testing::FakeScanFileSystem::Installed installed(fs);
    fs.add(kFolder + kName, contents);

    SearchExpression scanned;
    SearchExpression referenced;
    check(scanned.set(pattern, true, true, nullptr), "pattern does not compile");
    check(referenced.set(pattern, true, true, nullptr), "pattern does not compile");
    const reference::Matcher find = [&](std::string_view line, int& start, int& length) {
        return referenced.find(line, start, length);
    };
    criteria.searchCompressed = (flags & 64) != 0;
    const std::string_view head = std::string_view(contents).substr(0, chunkSize);
    for (const DecoderFormat* format : decoderFormats()) {
        // Compressed formats and documents, decoded only with the option: the document
        // target checks the documents.
        if (criteria.searchCompressed && !format->enabled(DecodeOptions{}) &&
            format->recognises(head, contents.size() <= chunkSize)) {
            ScanBuffers buffers(bufferSize);
            FoundFile file(makeSharedText(kFolder), kName, 0, 0);
            file.scanContents(scanned, buffers, criteria, stopAtFirst);
            return 0;
        }
    }
    const reference::DecodedText decoded = reference::decodeTextEncodings(contents, chunkSize);
    const reference::ReferenceScan expected =
        reference::scanWhole(decoded.text, criteria.eolUnix, criteria.eolMac, chunkSize, find);
    const int firstHitChunk =
        expected.hits.empty() ? expected.lastChunk : expected.hits.front().chunk;

    // Exactly sized buffers, so that an overrun shows under AddressSanitizer.
    ScanBuffers buffers(bufferSize);
    FoundFile file(makeSharedText(kFolder), kName, static_cast<std::int64_t>(contents.size()), 0);
    const int count = file.scanContents(scanned, buffers, criteria, stopAtFirst);

    std::vector<HitLine> want;
    for (const reference::ReferenceHit& h : expected.hits) {
        if (stopAtFirst && h.chunk > firstHitChunk)
            break;
        want.emplace_back(h.line, h.matchStart, h.matchLength, h.lineNumber);
    }
    const int lastRead = stopAtFirst ? firstHitChunk : expected.lastChunk;
    check(count == static_cast<int>(want.size()), "hit count differs from the reference");
    check(file.hits.size() == want.size(), "hit lines differ from the reference");
    check(file.hitsComplete == (lastRead == expected.lastChunk),
          "completeness differs from the reference");
    // A decoder reads the file as it needs.
    check(decoded.decoded ||
              fs.readSizes().size() == reference::readsUpTo(contents, chunkSize, lastRead),
          "number of reads differs from the reference");
    for (std::size_t i = 0; i < want.size(); ++i) {
        check(file.hits[i].lineNumber == want[i].lineNumber, "hit line number differs");
        check(file.hits[i].matchStart == want[i].matchStart, "hit match start differs");
        check(file.hits[i].matchLength == want[i].matchLength, "hit match length differs");
        check(file.hits[i].text == want[i].text, "hit line text differs");
    }
    return 0;
}
