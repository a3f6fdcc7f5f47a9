// A gzip file made by hand for tests that have no compression library: one stored
// (uncompressed) deflate block with a correct CRC and length.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scoutwell::testing {

// `text` (at most 65,535 bytes) as a gzip file, cut to its first `keep` bytes.
inline std::string storedGzip(std::string_view text, std::size_t keep = std::string::npos) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : text) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    crc ^= 0xFFFFFFFF;
    const auto littleEndian = [](std::uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    };
    const auto length = static_cast<std::uint32_t>(text.size());
    // Header (deflate, no flags, Unix), then a final stored block: its length and the
    // length's complement.
    std::string out("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03\x01", 11);
    out += littleEndian(length, 2) + littleEndian(~length & 0xFFFF, 2);
    out += text;
    out += littleEndian(crc, 4) + littleEndian(length, 4);
    return out.substr(0, keep);
}

}  // namespace scoutwell::testing
