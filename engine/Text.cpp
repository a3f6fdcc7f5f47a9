#include "engine/Text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/CaseTables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace scoutwell::text {
namespace {

// Decodes one well-formed UTF-8 sequence at p (at most `avail` bytes); 0 when the bytes do
// not form one, so the caller treats the lead byte alone.
std::size_t decode(const unsigned char* p, std::size_t avail, std::uint32_t& cp) {
    const unsigned char b0 = p[0];
    auto cont = [&](std::size_t i) { return i < avail && (p[i] & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (!cont(1))
            return 0;
        cp = ((b0 & 0x1Fu) << 6) | (p[1] & 0x3Fu);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        cp = ((b0 & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
            return 0;
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        cp = ((b0 & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
        if (cp < 0x10000 || cp > 0x10FFFF)
            return 0;
        return 4;
    }
    return 0;
}

// Writes cp in exactly `length` bytes (the tables only hold same-length pairs).
void encode(std::uint32_t cp, unsigned char* p, std::size_t length) {
    switch (length) {
        case 2:
            p[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
            p[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
            break;
        case 3:
            p[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
            p[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
            p[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
            break;
        default:
            p[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
            p[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
            p[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
            p[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
            break;
    }
}

std::uint32_t mapCodePoint(std::uint32_t cp, const CasePair* pairs, std::size_t count) {
    const CasePair* end = pairs + count;
    const CasePair* it = std::lower_bound(
        pairs, end, cp, [](const CasePair& p, std::uint32_t v) { return p.from < v; });
    return it != end && it->from == cp ? it->to : cp;
}

template <bool kLower>
void changeCase(char* data, std::size_t size) {
    auto* p = reinterpret_cast<unsigned char*>(data);
    std::size_t i = 0;
    while (i < size) {
#if defined(__SSE2__)
        // Sixteen ASCII bytes change case together; the first byte from 0x80 up sends the
        // loop through the one-character steps below until the next all-ASCII block.
        if (size - i >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            if (_mm_movemask_epi8(v) == 0) {
                const __m128i from = _mm_set1_epi8(kLower ? 'A' - 1 : 'a' - 1);
                const __m128i to = _mm_set1_epi8(kLower ? 'Z' + 1 : 'z' + 1);
                const __m128i letters =
                    _mm_and_si128(_mm_cmpgt_epi8(v, from), _mm_cmplt_epi8(v, to));
                const __m128i changed =
                    _mm_xor_si128(v, _mm_and_si128(letters, _mm_set1_epi8(0x20)));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), changed);
                i += 16;
                continue;
            }
        }
#endif
        const unsigned char b = p[i];
        if (b < 0x80) {
            if (kLower ? (b >= 'A' && b <= 'Z') : (b >= 'a' && b <= 'z'))
                p[i] = b ^ 0x20;
            ++i;
            continue;
        }
        std::uint32_t cp = 0;
        const std::size_t n = decode(p + i, size - i, cp);
        if (n == 0) {
            ++i;
            continue;
        }
        const std::uint32_t mapped = kLower ? mapCodePoint(cp, kLowerPairs, kLowerPairsSize)
                                            : mapCodePoint(cp, kUpperPairs, kUpperPairsSize);
        if (mapped != cp)
            encode(mapped, p + i, n);
        i += n;
    }
}

}  // namespace

void toLowerInPlace(char* data, std::size_t size) {
    changeCase<true>(data, size);
}
void toUpperInPlace(char* data, std::size_t size) {
    changeCase<false>(data, size);
}

std::string toLower(std::string_view s) {
    std::string out(s);
    toLowerInPlace(out.data(), out.size());
    return out;
}

std::string toUpper(std::string_view s) {
    std::string out(s);
    toUpperInPlace(out.data(), out.size());
    return out;
}

int compareNoCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    // ASCII runs compare without copying; the first byte beyond ASCII sends both
    // remainders through the full lower-casing.
    for (; i < common; ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 || cb >= 0x80)
            break;
        if (ca >= 'A' && ca <= 'Z')
            ca ^= 0x20;
        if (cb >= 'A' && cb <= 'Z')
            cb ^= 0x20;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i == common) {
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    // Back up to the start of the character that holds byte i in either text.
    while (i > 0 && ((static_cast<unsigned char>(a[i]) & 0xC0) == 0x80 ||
                     (static_cast<unsigned char>(b[i]) & 0xC0) == 0x80)) {
        --i;
    }
    const std::string la = toLower(a.substr(i));
    const std::string lb = toLower(b.substr(i));
    const int r = la.compare(lb);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::size_t decodeUtf8(std::string_view s, std::size_t at, std::uint32_t& codePoint) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + at;
    if (p[0] < 0x80) {
        codePoint = p[0];
        return 1;
    }
    return decode(p, s.size() - at, codePoint);
}

void appendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
        return;
    }
    unsigned char bytes[4];
    const std::size_t length = codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
    encode(codePoint, bytes, length);
    out.append(reinterpret_cast<const char*>(bytes), length);
}

bool isValidUtf8(std::string_view s) {
    std::uint32_t codePoint = 0;
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t length = decodeUtf8(s, at, codePoint);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string withInvalidUtf8Replaced(std::string_view s) {
    constexpr std::uint32_t kReplacementCharacter = 0xFFFD;
    std::string out;
    out.reserve(s.size());
    std::uint32_t codePoint = 0;
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t length = decodeUtf8(s, at, codePoint);
        if (length == 0) {
            appendUtf8(out, kReplacementCharacter);
            ++at;
        } else {
            out.append(s.substr(at, length));
            at += length;
        }
    }
    return out;
}

std::string_view trimWhite(std::string_view s) {
    auto white = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    std::size_t begin = 0, end = s.size();
    while (begin < end && white(s[begin]))
        ++begin;
    while (end > begin && white(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

std::string format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (needed > 0) {
        out.resize(static_cast<std::size_t>(needed));
        std::vsnprintf(out.data(), out.size() + 1, fmt, args);
    }
    va_end(args);
    return out;
}

}  // namespace scoutwell::text
