// Slow, plain counterparts of the text-encoding decoders for tests to compare the decoding
// stage with: the rules applied to the whole file at once, one UTF-16 unit at a time.
// Compressed formats have no counterpart here: their tests compare with the text that was
// compressed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scoutwell::reference {

struct DecodedText {
    std::string text;
    bool decoded = false;  // an encoding was recognised
};

// What the scan searches in a file whose first read takes `chunkSize` bytes: the
// encoding is told from that first chunk alone.
DecodedText decodeTextEncodings(std::string_view file, std::size_t chunkSize);

// UTF-16 to UTF-8: a pair of surrogates is one character, any other surrogate and an odd
// last byte each U+FFFD.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);

// UTF-8 (valid, surrogates excluded) to UTF-16.
std::string utf8ToUtf16(std::string_view text, bool bigEndian);

}  // namespace scoutwell::reference
