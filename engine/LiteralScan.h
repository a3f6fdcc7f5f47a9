// Fast byte scans for the contents search: finding a literal in a chunk of text, counting
// a byte, and finding the first byte that the line-end normalisation must look at.
//
//   LiteralScan scan("_ops");
//   std::size_t at = scan.find(text, size);  // LiteralScan::kNotFound when absent
//
// On x86-64 the scans use SSE2 and test two of the literal's rarest bytes at once; other
// machines get a plain loop with the same results.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scoutwell {

class LiteralScan {
  public:
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

    LiteralScan() = default;
    explicit LiteralScan(std::string_view literal);

    // Offset of the first occurrence of the literal in [data, data + size), or kNotFound.
    // An empty literal is found nowhere.
    std::size_t find(const char* data, std::size_t size) const;

    const std::string& literal() const { return literal_; }

    // How rare a byte is in source-like text: higher is rarer.
    static int rarity(unsigned char b);

  private:
    std::string literal_;
    std::size_t firstOffset_ = 0;   // offsets of the two rarest bytes, firstOffset_ <
    std::size_t secondOffset_ = 0;  // secondOffset_ unless the literal has one byte
};

// Number of bytes equal to `b` in [data, data + size).
std::size_t countByte(const char* data, std::size_t size, char b);

// Offset of the first byte below 32 other than TAB (and LF with `skipLF`), or `size` when
// there is none.
std::size_t findControlByte(const char* data, std::size_t size, bool skipLF = false);

// Copies `size` bytes from `in` to `out`, writing `to` for every `from`.
void copyReplacing(const char* in, std::size_t size, char* out, char from, char to);

}  // namespace scoutwell
