// Fast byte scans for the contents search: finding a literal in a chunk of text, counting
// a byte, and finding the first byte that the line-end normalisation must look at.
//
//   LiteralScan scan("_ops");
//   std::size_t at = scan.find(text, size);  // LiteralScan::kNotFound when absent
//
//   LiteralScan folded("error", /*ignoreCase=*/true);  // also finds "Error", "ERROR"
//
// On x86-64 the scans use SSE2, or AVX2 where the processor has it, and a literal is found
// by testing two of its rarest bytes at once; other machines get plain loops with the same
// results.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scoutwell {

class LiteralScan {
  public:
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

    LiteralScan() = default;
    // With `ignoreCase`, an ASCII letter matches itself in either case; every other byte,
    // those from 0x80 up included, matches only itself.
    explicit LiteralScan(std::string_view literal, bool ignoreCase = false);

    // Offset of the first occurrence of the literal in [data, data + size), or kNotFound.
    // An empty literal is found nowhere.
    std::size_t find(const char* data, std::size_t size) const;

    // The literal, its ASCII letters lower-cased when case is ignored.
    const std::string& literal() const { return literal_; }

    // How rare a byte is in source-like text: higher is rarer.
    static int rarity(unsigned char b);

    // For tests: whether find() and the byte scans below may use AVX2 where the processor
    // has it (the default); affects the whole process.
    static void allowWideScansForTesting(bool allow);

  private:
    template <bool kFold>
    std::size_t findFrom(const char* data, std::size_t size) const;
#if defined(__x86_64__) && defined(__GNUC__)
    template <bool kFold>
    std::size_t findWide(const char* data, std::size_t size, std::size_t& pos) const;
#endif

    std::string literal_;
    bool ignoreCase_ = false;
    std::size_t firstOffset_ = 0;   // offsets of the two rarest bytes, firstOffset_ <
    std::size_t secondOffset_ = 0;  // secondOffset_ unless the literal has one byte
};

// Number of bytes equal to `b` in [data, data + size).
std::size_t countByte(const char* data, std::size_t size, char b);

// Number of offsets i with data[i] == `first` and data[i + 1] == `second` in
// [data, data + size): CR LF pairs, say.
std::size_t countBytePair(const char* data, std::size_t size, char first, char second);

// Whether some byte of `bytes` is followed by a NUL in [data, data + size).
bool anyFollowedByNul(const char* data, std::size_t size, std::string_view bytes);

// Offset of the first byte from 32 up (TAB counts as a control byte here), or `size` when
// there is none.
std::size_t skipControlBytes(const char* data, std::size_t size);

// Copies [in, in + size) to `out` without each run of bytes below 32 that starts with a
// NUL, and returns the number of bytes written. May write up to `size` bytes to `out`.
std::size_t copyWithoutNulRuns(const char* in, std::size_t size, char* out);

// Offset of the first byte below 32 other than TAB (and LF with `skipLF`), or `size` when
// there is none.
std::size_t findControlByte(const char* data, std::size_t size, bool skipLF = false);

// Copies the bytes before the first that findControlByte(in, size, lfToCr) finds, writing
// CR for each LF when `lfToCr`, and returns their number: both scans in one pass. May
// write up to `size` bytes to `out`.
std::size_t copyUntilControl(const char* in, std::size_t size, char* out, bool lfToCr);

// Copies `size` bytes from `in` to `out`, writing `to` for every `from`.
void copyReplacing(const char* in, std::size_t size, char* out, char from, char to);

}  // namespace scoutwell
