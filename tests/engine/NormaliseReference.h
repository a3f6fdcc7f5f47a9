// Slow, plain counterparts of the contents scan for tests to compare it with: the whole
// file normalised in one piece straight from the byte rules, and the line splitting run
// over that text in the portions that each read makes available.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace scoutwell::reference {

struct NormalisedText {
    std::string text;
    std::vector<std::size_t> sources;  // for each byte of `text`, the file byte it came from
};

NormalisedText normaliseWhole(std::string_view file, bool eolUnix, bool eolMac);

struct ReferenceHit {
    std::string line;  // the searched line, or piece with its added CR, before windowing
    int matchStart = 0;
    int matchLength = 0;
    int lineNumber = 0;
    int chunk = 0;  // the read after which the line is searched
};

struct ReferenceScan {
    std::vector<ReferenceHit> hits;
    int lastChunk = 0;  // the read that ends the file
};

using Matcher = std::function<bool(std::string_view line, int& matchStart, int& matchLength)>;

// A trailing CR of a full chunk is settled by reading the byte after it, so the line it
// ends belongs to that chunk.
ReferenceScan scanWhole(std::string_view file, bool eolUnix, bool eolMac, std::size_t chunkSize,
                        const Matcher& find);

// The reads of a scan that ends after chunk `lastRead`: one per chunk, and one of a single
// byte after every full chunk that ends in CR.
std::size_t readsUpTo(std::string_view file, std::size_t chunkSize, int lastRead);

}  // namespace scoutwell::reference
