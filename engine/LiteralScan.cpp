#include "engine/LiteralScan.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#define SCOUTWELL_WIDE_SCANS 1
#include <immintrin.h>
#endif

namespace scoutwell {
namespace {

// Bytes of C-like source text from the most to the least common; bytes not listed are
// rarer than all of them.
constexpr std::string_view kCommonFirst =
    " etnriaoslcd_u\tp*mf();,h=b.gy0x1/vk2-w>E:TSNR\"AIL#OC3D84P<F56M7[]9{}+&!BUGHK|qz'jVWXYJQZ\\%"
    "^~?@$`";

int rankOf(unsigned char b) {
    const std::size_t at = kCommonFirst.find(static_cast<char>(b));
    return at == std::string_view::npos ? static_cast<int>(kCommonFirst.size())
                                        : static_cast<int>(at);
}

bool isAsciiLetter(char c) {
    const auto folded = static_cast<unsigned char>(c | 0x20);
    return folded >= 'a' && folded <= 'z';
}

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
}

// How rare a literal byte is, counting both cases of a letter when case is ignored.
int rarityOf(char c, bool ignoreCase) {
    const auto b = static_cast<unsigned char>(c);
    if (!ignoreCase || !isAsciiLetter(c))
        return rankOf(b);
    return std::min(rankOf(b | 0x20), rankOf(b & ~0x20));
}

// The bits set in a text byte before it is compared with the literal byte `c`: the case
// bit of a letter when case is ignored, so that both cases compare equal to the lower.
char caseBit(char c, bool ignoreCase) {
    return ignoreCase && isAsciiLetter(c) ? 0x20 : 0;
}

// Whether the `length` bytes at `data` equal the literal, which is lower-cased when case
// is ignored.
template <bool kFold>
bool equalAt(const char* data, const char* literal, std::size_t length) {
    if constexpr (kFold) {
        for (std::size_t i = 0; i < length; ++i) {
            if (foldAscii(data[i]) != literal[i])
                return false;
        }
        return true;
    } else {
        return std::memcmp(data, literal, length) == 0;
    }
}

#if defined(SCOUTWELL_WIDE_SCANS)
std::atomic<bool> wideScansAllowed{true};

bool useWideScans() {
    static const bool hasAvx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return hasAvx2 && wideScansAllowed.load(std::memory_order_relaxed);
}

// The AVX2 forms of the byte scans below: each handles whole 32-byte blocks from `pos`
// on, leaves `pos` after the last one it handled, and leaves the rest to its caller.

__attribute__((target("avx2"))) std::size_t countByteWide(const char* data, std::size_t size,
                                                          char b, std::size_t& pos) {
    std::size_t count = 0;
    const __m256i wanted = _mm256_set1_epi8(b);
    const __m256i zero = _mm256_setzero_si256();
    while (size - pos >= 32) {
        __m256i counters = zero;
        const std::size_t blocks = std::min<std::size_t>((size - pos) / 32, 255);
        for (std::size_t i = 0; i < blocks; ++i, pos += 32) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos));
            counters = _mm256_sub_epi8(counters, _mm256_cmpeq_epi8(v, wanted));
        }
        const __m256i sums = _mm256_sad_epu8(counters, zero);
        count += static_cast<std::size_t>(_mm256_extract_epi64(sums, 0)) +
                 static_cast<std::size_t>(_mm256_extract_epi64(sums, 1)) +
                 static_cast<std::size_t>(_mm256_extract_epi64(sums, 2)) +
                 static_cast<std::size_t>(_mm256_extract_epi64(sums, 3));
    }
    return count;
}

// Returns the offset of the first control byte found, or `size` when there is none in the
// blocks handled.
__attribute__((target("avx2"))) std::size_t findControlByteWide(const char* data, std::size_t size,
                                                                bool skipLF, std::size_t& pos) {
    const __m256i limit = _mm256_set1_epi8(32);
    const __m256i minusOne = _mm256_set1_epi8(-1);
    const __m256i tab = _mm256_set1_epi8('\t');
    const __m256i lf = _mm256_set1_epi8(skipLF ? '\n' : '\t');
    for (; pos + 32 <= size; pos += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos));
        const __m256i control =
            _mm256_and_si256(_mm256_cmpgt_epi8(limit, v), _mm256_cmpgt_epi8(v, minusOne));
        const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_andnot_si256(
            _mm256_or_si256(_mm256_cmpeq_epi8(v, tab), _mm256_cmpeq_epi8(v, lf)), control)));
        if (mask != 0)
            return pos + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    return size;
}

// Copies whole blocks, LFs as CRs when `lfToCr`, until a block holds a control byte (LF
// excepted when `lfToCr`); that block is stored too, but only its bytes before the control
// byte count. Returns the control byte's offset, or `size` when none was found.
__attribute__((target("avx2"))) std::size_t copyUntilControlWide(const char* in, std::size_t size,
                                                                 char* out, bool lfToCr,
                                                                 std::size_t& pos) {
    const __m256i limit = _mm256_set1_epi8(32);
    const __m256i minusOne = _mm256_set1_epi8(-1);
    const __m256i tab = _mm256_set1_epi8('\t');
    const __m256i lf = _mm256_set1_epi8(lfToCr ? '\n' : '\t');
    const __m256i cr = _mm256_set1_epi8('\r');
    for (; pos + 32 <= size; pos += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + pos));
        const __m256i isLf = _mm256_cmpeq_epi8(v, lf);
        const __m256i control =
            _mm256_and_si256(_mm256_cmpgt_epi8(limit, v), _mm256_cmpgt_epi8(v, minusOne));
        const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_andnot_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, tab), isLf), control)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + pos),
                            lfToCr ? _mm256_blendv_epi8(v, cr, isLf) : v);
        if (mask != 0)
            return pos + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    return size;
}

// Returns whether a byte of `bytes` is followed by a NUL in the blocks handled.
__attribute__((target("avx2"))) bool anyFollowedByNulWide(const char* data, std::size_t size,
                                                          std::string_view bytes,
                                                          std::size_t& pos) {
    const __m256i zero = _mm256_setzero_si256();
    for (; pos + 33 <= size; pos += 32) {
        const __m256i nul = _mm256_cmpeq_epi8(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos + 1)), zero);
        if (_mm256_movemask_epi8(nul) == 0)
            continue;
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos));
        __m256i wanted = zero;
        for (const char b : bytes)
            wanted = _mm256_or_si256(wanted, _mm256_cmpeq_epi8(v, _mm256_set1_epi8(b)));
        if (_mm256_movemask_epi8(_mm256_and_si256(wanted, nul)) != 0)
            return true;
    }
    return false;
}

__attribute__((target("avx2"))) void copyReplacingWide(const char* in, std::size_t size, char* out,
                                                       char from, char to, std::size_t& pos) {
    const __m256i wanted = _mm256_set1_epi8(from);
    const __m256i replacement = _mm256_set1_epi8(to);
    for (; pos + 32 <= size; pos += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + pos));
        const __m256i hit = _mm256_cmpeq_epi8(v, wanted);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + pos),
                            _mm256_blendv_epi8(v, replacement, hit));
    }
}
#endif

}  // namespace

int LiteralScan::rarity(unsigned char b) {
    return rankOf(b);
}

void LiteralScan::allowWideScansForTesting([[maybe_unused]] bool allow) {
#if defined(SCOUTWELL_WIDE_SCANS)
    wideScansAllowed.store(allow);
#endif
}

LiteralScan::LiteralScan(std::string_view literal, bool ignoreCase)
    : literal_(literal), ignoreCase_(ignoreCase) {
    if (ignoreCase_)
        std::transform(literal_.begin(), literal_.end(), literal_.begin(), foldAscii);
    if (literal_.size() < 2)
        return;
    const auto rarityAt = [&](std::size_t i) { return rarityOf(literal_[i], ignoreCase_); };
    std::size_t best = 0;
    for (std::size_t i = 1; i < literal_.size(); ++i) {
        if (rarityAt(i) > rarityAt(best))
            best = i;
    }
    std::size_t second = best == 0 ? 1 : 0;
    for (std::size_t i = 0; i < literal_.size(); ++i) {
        if (i == best || literal_[i] == literal_[best])
            continue;
        if (literal_[second] == literal_[best] || rarityAt(i) > rarityAt(second))
            second = i;
    }
    firstOffset_ = best < second ? best : second;
    secondOffset_ = best < second ? second : best;
}

std::size_t LiteralScan::find(const char* data, std::size_t size) const {
    const std::size_t length = literal_.size();
    if (length == 0 || size < length)
        return kNotFound;
    if (ignoreCase_)
        return findFrom<true>(data, size);
    if (length == 1) {
        const void* hit = std::memchr(data, literal_[0], size);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : kNotFound;
    }
    return findFrom<false>(data, size);
}

// A one-byte literal has both offsets 0 and is simply tested twice.
template <bool kFold>
std::size_t LiteralScan::findFrom(const char* data, std::size_t size) const {
    const std::size_t length = literal_.size();
    const std::size_t last = size - length;  // the last offset where the literal fits
    std::size_t pos = 0;
    const char firstByte = literal_[firstOffset_];
    const char secondByte = literal_[secondOffset_];
    const char firstBit = caseBit(firstByte, kFold);
    const char secondBit = caseBit(secondByte, kFold);
#if defined(SCOUTWELL_WIDE_SCANS)
    if (last >= 31 && useWideScans()) {
        const std::size_t at = findWide<kFold>(data, size, pos);
        if (at != kNotFound)
            return at;
    }
#endif
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(firstByte);
    const __m128i second = _mm_set1_epi8(secondByte);
    const __m128i firstCase = _mm_set1_epi8(firstBit);
    const __m128i secondCase = _mm_set1_epi8(secondBit);
    // Candidates at pos..pos+15 all fit when pos + 15 <= last.
    for (; pos + 15 <= last; pos += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + firstOffset_));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + secondOffset_));
        if constexpr (kFold) {
            a = _mm_or_si128(a, firstCase);
            b = _mm_or_si128(b, secondCase);
        }
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
        while (mask != 0) {
            const std::size_t at = pos + static_cast<std::size_t>(__builtin_ctz(mask));
            if (equalAt<kFold>(data + at, literal_.data(), length))
                return at;
            mask &= mask - 1;
        }
    }
#endif
    for (; pos <= last; ++pos) {
        if ((data[pos + firstOffset_] | firstBit) == firstByte &&
            (data[pos + secondOffset_] | secondBit) == secondByte &&
            equalAt<kFold>(data + pos, literal_.data(), length))
            return pos;
    }
    return kNotFound;
}

#if defined(SCOUTWELL_WIDE_SCANS)
// findFrom()'s loop thirty-two candidates at a time; returns the first match, or kNotFound
// with `pos` at the first candidate it did not test.
template <bool kFold>
__attribute__((target("avx2"))) std::size_t LiteralScan::findWide(const char* data,
                                                                  std::size_t size,
                                                                  std::size_t& pos) const {
    const std::size_t length = literal_.size();
    const std::size_t last = size - length;
    const __m256i first = _mm256_set1_epi8(literal_[firstOffset_]);
    const __m256i second = _mm256_set1_epi8(literal_[secondOffset_]);
    const __m256i firstCase = _mm256_set1_epi8(caseBit(literal_[firstOffset_], kFold));
    const __m256i secondCase = _mm256_set1_epi8(caseBit(literal_[secondOffset_], kFold));
    for (; pos + 31 <= last; pos += 32) {
        __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos + firstOffset_));
        __m256i b =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos + secondOffset_));
        if constexpr (kFold) {
            a = _mm256_or_si256(a, firstCase);
            b = _mm256_or_si256(b, secondCase);
        }
        auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, second))));
        while (mask != 0) {
            const std::size_t at = pos + static_cast<std::size_t>(__builtin_ctz(mask));
            if (equalAt<kFold>(data + at, literal_.data(), length))
                return at;
            mask &= mask - 1;
        }
    }
    return kNotFound;
}
#endif

std::size_t countByte(const char* data, std::size_t size, char b) {
    std::size_t count = 0;
    std::size_t pos = 0;
#if defined(SCOUTWELL_WIDE_SCANS)
    if (size >= 32 && useWideScans())
        count = countByteWide(data, size, b, pos);
#endif
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(b);
    const __m128i zero = _mm_setzero_si128();
    while (size - pos >= 16) {
        // Byte counters subtract the compare's -1s; 255 blocks at most before they could
        // overflow, then the sum of absolute differences folds them into two totals.
        __m128i counters = zero;
        const std::size_t blocks = std::min<std::size_t>((size - pos) / 16, 255);
        for (std::size_t i = 0; i < blocks; ++i, pos += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(v, wanted));
        }
        const __m128i sums = _mm_sad_epu8(counters, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    for (; pos < size; ++pos)
        count += data[pos] == b;
    return count;
}

std::size_t countBytePair(const char* data, std::size_t size, char first, char second) {
    std::size_t count = 0;
    std::size_t pos = 0;
#if defined(__SSE2__)
    const __m128i wantedFirst = _mm_set1_epi8(first);
    const __m128i wantedSecond = _mm_set1_epi8(second);
    const __m128i zero = _mm_setzero_si128();
    // Blocks of pairs starting at pos..pos+15, whose second bytes end at pos + 16.
    while (size - pos >= 17) {
        __m128i counters = zero;
        const std::size_t blocks = std::min<std::size_t>((size - pos - 1) / 16, 255);
        for (std::size_t i = 0; i < blocks; ++i, pos += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 1));
            counters = _mm_sub_epi8(counters, _mm_and_si128(_mm_cmpeq_epi8(a, wantedFirst),
                                                            _mm_cmpeq_epi8(b, wantedSecond)));
        }
        const __m128i sums = _mm_sad_epu8(counters, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    for (; pos + 1 < size; ++pos)
        count += data[pos] == first && data[pos + 1] == second;
    return count;
}

bool anyFollowedByNul(const char* data, std::size_t size, std::string_view bytes) {
    std::size_t pos = 0;
#if defined(SCOUTWELL_WIDE_SCANS)
    if (size >= 33 && useWideScans() && anyFollowedByNulWide(data, size, bytes, pos))
        return true;
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; pos + 17 <= size; pos += 16) {
        // Most blocks of binary files hold a NUL, few after one of the bytes.
        const __m128i nul =
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 1)), zero);
        if (_mm_movemask_epi8(nul) == 0)
            continue;
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
        __m128i wanted = zero;
        for (const char b : bytes)
            wanted = _mm_or_si128(wanted, _mm_cmpeq_epi8(v, _mm_set1_epi8(b)));
        if (_mm_movemask_epi8(_mm_and_si128(wanted, nul)) != 0)
            return true;
    }
#endif
    for (; pos + 1 < size; ++pos) {
        if (data[pos + 1] == 0 && bytes.find(data[pos]) != std::string_view::npos)
            return true;
    }
    return false;
}

std::size_t skipControlBytes(const char* data, std::size_t size) {
    std::size_t pos = 0;
#if defined(__SSE2__)
    // Binary files hold long runs of NULs.
    const __m128i first = _mm_set1_epi8(32);
    for (; pos + 16 <= size; pos += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
        const auto kept =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(v, first), v)));
        if (kept != 0)
            return pos + static_cast<std::size_t>(__builtin_ctz(kept));
    }
#endif
    while (pos < size && static_cast<unsigned char>(data[pos]) < 32)
        ++pos;
    return pos;
}

std::size_t copyWithoutNulRuns(const char* in, std::size_t size, char* out) {
    char* const start = out;
    std::size_t pos = 0;
    while (pos < size) {
#if defined(__SSE2__)
        // Sixteen bytes are stored at a time and those before the first NUL kept: never
        // past the `size` bytes that `out` may take.
        const __m128i zero = _mm_setzero_si128();
        for (; pos + 16 <= size; pos += 16, out += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + pos));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
            const auto nul = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
            if (nul != 0) {
                const auto before = static_cast<std::size_t>(__builtin_ctz(nul));
                pos += before;
                out += before;
                break;
            }
        }
#endif
        for (; pos < size && in[pos] != 0; ++pos)
            *out++ = in[pos];
        pos += skipControlBytes(in + pos, size - pos);
    }
    return static_cast<std::size_t>(out - start);
}

std::size_t findControlByte(const char* data, std::size_t size, bool skipLF) {
    std::size_t pos = 0;
#if defined(SCOUTWELL_WIDE_SCANS)
    if (size >= 32 && useWideScans()) {
        if (const std::size_t at = findControlByteWide(data, size, skipLF, pos); at != size)
            return at;
    }
#endif
#if defined(__SSE2__)
    const __m128i limit = _mm_set1_epi8(32);
    const __m128i minusOne = _mm_set1_epi8(-1);
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lf = _mm_set1_epi8(skipLF ? '\n' : '\t');
    for (; pos + 16 <= size; pos += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
        // Signed compares: bytes from 0x80 up are negative and never control bytes.
        const __m128i control =
            _mm_and_si128(_mm_cmplt_epi8(v, limit), _mm_cmpgt_epi8(v, minusOne));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lf)), control)));
        if (mask != 0)
            return pos + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    for (; pos < size; ++pos) {
        const auto c = static_cast<unsigned char>(data[pos]);
        if (c < 32 && c != '\t' && !(skipLF && c == '\n'))
            return pos;
    }
    return size;
}

}  // namespace scoutwell

namespace scoutwell {

void copyReplacing(const char* in, std::size_t size, char* out, char from, char to) {
    std::size_t pos = 0;
#if defined(SCOUTWELL_WIDE_SCANS)
    if (size >= 32 && useWideScans())
        copyReplacingWide(in, size, out, from, to, pos);
#endif
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(from);
    const __m128i replacement = _mm_set1_epi8(to);
    for (; pos + 16 <= size; pos += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + pos));
        const __m128i hit = _mm_cmpeq_epi8(v, wanted);
        const __m128i mixed =
            _mm_or_si128(_mm_and_si128(hit, replacement), _mm_andnot_si128(hit, v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + pos), mixed);
    }
#endif
    for (; pos < size; ++pos)
        out[pos] = in[pos] == from ? to : in[pos];
}

}  // namespace scoutwell

namespace scoutwell {

std::size_t copyUntilControl(const char* in, std::size_t size, char* out, bool lfToCr) {
    std::size_t pos = 0;
#if defined(SCOUTWELL_WIDE_SCANS)
    if (size >= 32 && useWideScans()) {
        if (const std::size_t at = copyUntilControlWide(in, size, out, lfToCr, pos); at != size)
            return at;
    }
#endif
    const std::size_t run = pos + findControlByte(in + pos, size - pos, /*skipLF=*/lfToCr);
    if (lfToCr)
        copyReplacing(in + pos, run - pos, out + pos, '\n', '\r');
    else
        std::memcpy(out + pos, in + pos, run - pos);
    return run;
}

}  // namespace scoutwell
