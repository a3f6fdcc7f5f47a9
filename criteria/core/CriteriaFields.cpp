#include "criteria/core/CriteriaFields.h"

#include <algorithm>
#include <limits>

#include "engine/Text.h"

namespace scoutwell {

namespace {

constexpr std::uint64_t kBytesPerKb = 1024;
constexpr std::string_view kLineEnd = "\n";

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::string sizeFieldText(std::uint64_t bytes) {
    return std::to_string(bytes / kBytesPerKb);
}

SizeFieldResult readSizeField(std::string_view text, std::uint64_t& bytes) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    if (i == text.size())
        return SizeFieldResult::unchanged;
    // The whole KB value is read, not only its low 32 bits, so that a large size shown
    // in the field comes back as itself.
    constexpr std::uint64_t kLargestKb = std::numeric_limits<std::uint64_t>::max() / kBytesPerKb;
    std::uint64_t kb = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (kb > (kLargestKb - digit) / 10)
            return SizeFieldResult::invalid;
        kb = kb * 10 + digit;
    }
    if (digits == 0)
        return SizeFieldResult::invalid;
    bytes = kb * kBytesPerKb;
    return SizeFieldResult::stored;
}

std::string appendFolderLine(std::string_view editText, std::string_view folder) {
    std::string result(text::trimWhite(editText));
    if (!result.empty())
        result += kLineEnd;
    result += folder;
    result += kLineEnd;
    return result;
}

std::string lastFolderLine(std::string_view editText) {
    const std::string_view trimmed = text::trimWhite(editText);
    const std::size_t lineFeed = trimmed.rfind('\n');
    std::string_view last =
        lineFeed == std::string_view::npos ? trimmed : trimmed.substr(lineFeed + 1);
    if (!last.empty() && last.back() == '\r')
        last.remove_suffix(1);
    return std::string(last);
}

std::vector<std::string> foldersFromLines(std::string_view editText) {
    std::vector<std::string> folders;
    const std::string_view trimmed = text::trimWhite(editText);
    // Nothing typed means no folder at all, not one empty folder.
    if (trimmed.empty())
        return folders;
    std::size_t start = 0;
    while (start <= trimmed.size()) {
        std::size_t end = trimmed.find('\n', start);
        if (end == std::string_view::npos)
            end = trimmed.size();
        std::string_view piece = trimmed.substr(start, end - start);
        // Lines pasted from elsewhere may end in CR LF.
        if (!piece.empty() && piece.back() == '\r')
            piece.remove_suffix(1);
        const bool known = std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
            return text::equalsNoCase(f, piece);
        });
        if (!known)
            folders.emplace_back(piece);
        start = end + 1;
    }
    return folders;
}

}  // namespace scoutwell
