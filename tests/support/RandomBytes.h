// Random byte strings for property tests of text that crosses into Qt and back: valid
// UTF-8 of every sequence length mixed with bytes that are not UTF-8 (stray continuation
// bytes, cut and overlong sequences, encoded surrogates, values past U+10FFFF, bytes that
// never occur in UTF-8). No NULs: paths and widget texts cannot hold them.
//
//   RandomBytes random(seed);
//   std::string s = random.text(4096);    // up to 4096 bytes
#pragma once

#include <cstdint>
#include <iterator>
#include <random>
#include <string>

namespace scoutwell::testing {

// Appends the UTF-8 form of code point `c` (below U+110000; surrogates are encoded too).
inline void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

class RandomBytes {
  public:
    explicit RandomBytes(std::uint32_t seed) : engine_(seed) {}

    // A string of at most `maxLength` bytes; short ones come up as often as long ones.
    std::string text(std::size_t maxLength) {
        const std::size_t length = pick(0, pick(0, 1) == 0 ? 16 : maxLength);
        std::string out;
        while (out.size() < length)
            appendPiece(out);
        out.resize(length);  // may cut the last sequence: one more kind of bad input
        return out;
    }

    // Text without the given bytes (each replaced by 'x').
    std::string textWithout(std::size_t maxLength, const std::string& excluded) {
        std::string out = text(maxLength);
        for (char& c : out)
            if (excluded.find(c) != std::string::npos)
                c = 'x';
        return out;
    }

    std::size_t pick(std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(engine_);
    }

  private:
    void appendPiece(std::string& out) {
        switch (pick(0, 9)) {
            case 0:
            case 1:
            case 2:  // printable ASCII, the bulk of real names
                out += static_cast<char>(pick(0x20, 0x7E));
                break;
            case 3:  // control characters, TAB, CR, LF
                out += static_cast<char>(pick(1, 0x1F));
                break;
            case 4:  // two- and three-byte characters, also near the surrogates and U+FFFD
                appendUtf8(out, static_cast<std::uint32_t>(
                                    pick(0, 1) ? pick(0x80, 0x7FF)
                                               : (pick(0, 1) ? pick(0x800, 0xD7FF)
                                                             : pick(0xE000, 0xFFFF))));
                break;
            case 5:  // four-byte characters
                appendUtf8(out, static_cast<std::uint32_t>(pick(0x10000, 0x10FFFF)));
                break;
            case 6:  // a single byte from 0x80 up: continuation, lead or never-valid
                out += static_cast<char>(pick(0x80, 0xFF));
                break;
            case 7: {  // a sequence cut short
                std::string whole;
                appendUtf8(whole, static_cast<std::uint32_t>(pick(0x800, 0x10FFFF)));
                out += whole.substr(0, pick(1, whole.size() - 1));
                break;
            }
            case 8: {  // encoded surrogate, overlong form, or past U+10FFFF
                static const char* const kBad[] = {
                    "\xED\xA0\x80",        "\xED\xBF\xBF",     "\xC0\xAF",
                    "\xE0\x80\xAF",        "\xF0\x80\x80\xAF", "\xF4\x90\x80\x80",
                    "\xF8\x88\x80\x80\x80"};
                out += kBad[pick(0, std::size(kBad) - 1)];
                break;
            }
            default:  // Latin-1 text: a letter byte, then ASCII
                out += static_cast<char>(pick(0xC0, 0xFF));
                out += static_cast<char>(pick(0x61, 0x7A));
                break;
        }
    }

    std::mt19937 engine_;
};

}  // namespace scoutwell::testing
