#include "tests/engine/DecodeReference.h"

#include <algorithm>
#include <vector>

#include "tests/support/RandomBytes.h"

namespace scoutwell::reference {
namespace {

using testing::appendUtf8;

void appendUnit(std::string& out, unsigned unit, bool bigEndian) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

// Which byte of each pair is NUL in the window: "LE", "BE" or "".
std::string guess(std::string_view head) {
    std::size_t window = std::min<std::size_t>(head.size(), 4096);
    window -= window % 2;
    if (window < 8)
        return "";
    std::vector<int> nuls(2, 0);
    for (std::size_t i = 0; i < window; ++i) {
        if (head[i] == 0)
            ++nuls[i % 2];
    }
    const std::size_t units = window / 2;
    if (nuls[0] == 0 && nuls[1] > 0 && 4 * static_cast<std::size_t>(nuls[1]) >= 3 * units)
        return "LE";
    if (nuls[1] == 0 && nuls[0] > 0 && 4 * static_cast<std::size_t>(nuls[0]) >= 3 * units)
        return "BE";
    return "";
}

}  // namespace

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::vector<unsigned> units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(bigEndian ? first * 256u + second : second * 256u + first);
    }
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const unsigned u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + (u - 0xD800) * 0x400 + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    if (bytes.size() % 2 != 0)
        appendUtf8(out, 0xFFFD);
    return out;
}

std::string utf8ToUtf16(std::string_view text, bool bigEndian) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        for (int k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        if (c >= 0x10000) {
            appendUnit(out, 0xD800 + ((c - 0x10000) >> 10), bigEndian);
            appendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian);
        } else {
            appendUnit(out, c, bigEndian);
        }
    }
    return out;
}

DecodedText decodeTextEncodings(std::string_view file, std::size_t chunkSize) {
    const std::string_view head = file.substr(0, chunkSize);
    if (head.starts_with("\xEF\xBB\xBF"))
        return {std::string(file.substr(3)), true};
    if (head.starts_with("\xFF\xFE"))
        return {utf16ToUtf8(file.substr(2), false), true};
    if (head.starts_with("\xFE\xFF"))
        return {utf16ToUtf8(file.substr(2), true), true};
    const std::string order = guess(head);
    if (order.empty())
        return {std::string(file), false};
    return {utf16ToUtf8(file, order == "BE"), true};
}

}  // namespace scoutwell::reference
