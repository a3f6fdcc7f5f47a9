#include "tests/engine/NormaliseReference.h"

namespace scoutwell::reference {
namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr std::size_t kCarry = 1500;

}  // namespace

NormalisedText normaliseWhole(std::string_view file, bool eolUnix, bool eolMac) {
    NormalisedText out;
    std::vector<bool> isControl(file.size(), false);
    for (std::size_t i = 0; i < file.size(); ++i) {
        const auto b = static_cast<unsigned char>(file[i]);
        const bool crBefore = i > 0 && file[i - 1] == kCR;
        const bool lfAfter = i + 1 < file.size() && file[i + 1] == kLF;
        bool control = false;
        bool silent = false;
        char passed = static_cast<char>(b);
        if (b == static_cast<unsigned char>(kCR)) {
            control = !lfAfter && !eolMac;
        } else if (b == static_cast<unsigned char>(kLF)) {
            if (crBefore) {
                control = true;
                silent = true;
            } else if (eolUnix) {
                passed = kCR;
            } else {
                control = true;
            }
        } else if (b < 32 && b != '\t') {
            control = true;
            silent = b == 0;
        }
        isControl[i] = control;
        if (!control) {
            out.text += passed;
            out.sources.push_back(i);
        } else if (!silent && i != 0 && !isControl[i - 1]) {
            out.text += ' ';
            out.sources.push_back(i);
        }
    }
    return out;
}

ReferenceScan scanWhole(std::string_view file, bool eolUnix, bool eolMac, std::size_t chunkSize,
                        const Matcher& find) {
    const NormalisedText whole = normaliseWhole(file, eolUnix, eolMac);
    ReferenceScan scan;
    scan.lastChunk = static_cast<int>(file.size() / chunkSize);
    // A file that ends in CR exactly at a chunk's end ends with that chunk: the byte read
    // to settle the CR finds the end.
    if (scan.lastChunk > 0 && file.size() % chunkSize == 0 && file.back() == kCR)
        --scan.lastChunk;

    std::string carried;
    std::size_t taken = 0;  // bytes of whole.text handed out so far
    int lineCounter = 0;
    for (int chunk = 0; chunk <= scan.lastChunk; ++chunk) {
        std::string text = carried;
        const bool last = chunk == scan.lastChunk;
        std::size_t available = whole.text.size();
        if (!last) {
            const std::size_t end = (static_cast<std::size_t>(chunk) + 1) * chunkSize;
            available = taken;
            while (available < whole.sources.size() && whole.sources[available] < end)
                ++available;
        }
        text += whole.text.substr(taken, available - taken);
        taken = available;
        if (last)
            text += kCR;

        const auto search = [&](const std::string& line, int lineNumber) {
            int start = 0;
            int length = 0;
            if (find(line, start, length))
                scan.hits.push_back({line, start, length, lineNumber, chunk});
        };
        std::size_t pos = 0;
        for (;;) {
            while (pos < text.size() && text[pos] == kCR) {
                ++pos;
                ++lineCounter;
            }
            const std::size_t cr = text.find(kCR, pos);
            if (cr != std::string::npos) {
                ++lineCounter;
                search(text.substr(pos, cr - pos), lineCounter);
                pos = cr + 1;
                continue;
            }
            if (text.size() - pos > kCarry) {
                const std::size_t pieceLength = text.size() - pos - kCarry;
                search(text.substr(pos, pieceLength) + kCR, lineCounter + 1);
                pos += pieceLength;
            }
            break;
        }
        carried = text.substr(pos);
    }
    return scan;
}

std::size_t readsUpTo(std::string_view file, std::size_t chunkSize, int lastRead) {
    const auto chunks = static_cast<std::size_t>(lastRead) + 1;
    std::size_t count = chunks;
    for (std::size_t end = chunkSize; end <= file.size() && end / chunkSize <= chunks;
         end += chunkSize) {
        if (file[end - 1] == kCR)
            ++count;
    }
    return count;
}

}  // namespace scoutwell::reference
