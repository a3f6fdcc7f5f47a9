#include "criteria/core/ExpressionModel.h"

#include "app/core/Settings.h"
#include "engine/Messages.h"
#include "engine/SearchExpression.h"

namespace scoutwell {
namespace {

constexpr std::string_view kAnyText = ".*";
// Any byte of the full escape set.
constexpr const char* kSpecialInText = "[]^$.[()|?+*\\]";
// A set text beginning with "^", or holding a "]" after a first byte that is not one.
constexpr const char* kSpecialInSet = "(^\\^)|(^[^]]+.*\\])";

// The first character of a UTF-8 text: a lead byte with its continuation bytes (a byte
// that is not valid UTF-8 stands alone).
std::string firstCharacter(const std::string& text) {
    std::size_t length = 1;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t expected = lead >= 0xF0 && lead < 0xF8   ? 4
                                 : lead >= 0xE0 && lead < 0xF0 ? 3
                                 : lead >= 0xC2 && lead < 0xE0 ? 2
                                                               : 1;
    while (length < expected && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        ++length;
    return text.substr(0, length == expected ? length : 1);
}

std::string escaped(std::string text, bool escapeSpecial) {
    if (escapeSpecial)
        escapeSpecialChars(text, kFullEscapeSet);
    return text;
}

// The item's pattern before its position is applied; empty when it contributes nothing.
std::string fragmentOf(ExpressionItem& item, bool escapeSpecial) {
    switch (item.type) {
        case ItemType::dontKnow:
            item.occurrence = Occurrence::zeroOrMany;
            return ".";
        case ItemType::anyCharacter:
            return ".";
        case ItemType::theCharacter:
            return item.text.empty() ? std::string()
                                     : escaped(firstCharacter(item.text), escapeSpecial);
        case ItemType::anyOneOf:
            return item.text.empty() ? std::string()
                                     : "[" + escaped(item.text, escapeSpecial) + "]";
        case ItemType::anyExcept:
            return item.text.empty() ? std::string()
                                     : "[^" + escaped(item.text, escapeSpecial) + "]";
        case ItemType::phrase:
            return item.text.empty() ? std::string()
                                     : "(" + escaped(item.text, escapeSpecial) + ")";
        case ItemType::spaces:
            return " ";
        case ItemType::numeric:
            return "[0-9]";
        case ItemType::textCharacter:
            return "[A-Za-z]";
        default:
            showMessage(kUnexpectedExpressionType);
            return {};
    }
}

// Whether the byte at `at` follows an odd number of backslashes.
bool escapedAt(const std::string& text, std::size_t at) {
    std::size_t backslashes = 0;
    while (at > backslashes && text[at - backslashes - 1] == '\\')
        ++backslashes;
    return backslashes % 2 == 1;
}

const char* occurrenceSuffix(std::int32_t occurrence) {
    switch (occurrence) {
        case Occurrence::zeroOrOnce:
            return "?";
        case Occurrence::zeroOrMany:
            return "*";
        case Occurrence::onceOrMany:
            return "+";
        default:
            return "";
    }
}

// Whether `pattern` (compiled with case) finds a match in `text`; a pattern that does not
// compile shows its error and counts as no match.
bool matches(SearchExpression& expression, const char* pattern, const std::string& text) {
    std::string error;
    if (!expression.set(pattern, /*matchCase=*/true, /*compileNow=*/true, &error)) {
        showMessage(error);
        return false;
    }
    int start = 0;
    int length = 0;
    return expression.find(text, start, length);
}

}  // namespace

void ExpressionModel::appendAll(const std::vector<ExpressionItem>& items) {
    items_.insert(items_.end(), items.begin(), items.end());
}

bool ExpressionModel::generate(std::string& out, bool escapeSpecial) {
    std::string result;
    for (ExpressionItem& item : items_) {
        const std::string fragment = fragmentOf(item, escapeSpecial);
        if (fragment.empty())
            continue;
        std::string piece = fragment + occurrenceSuffix(item.occurrence);
        if (item.position == ItemPosition::begins) {
            piece = piece == kAnyText ? std::string() : "^" + piece;
        } else if (item.position == ItemPosition::ends) {
            piece = piece == kAnyText ? std::string() : piece + "$";
        } else if (result.empty() && piece == kAnyText) {
            piece.clear();
        }
        result += piece;
    }
    // Wildcards at the end restrict nothing. An escaped dot before a "*" is a literal dot,
    // not a wildcard: cutting the pair would leave a lone backslash.
    std::size_t length = result.size();
    while (length >= 2 && result.compare(length - 2, 2, kAnyText) == 0 &&
           !escapedAt(result, length - 2))
        length -= 2;
    out = result.substr(0, length);
    return true;
}

bool ExpressionModel::hasSpecialChars() const {
    SearchExpression expression;
    for (const ExpressionItem& item : items_) {
        switch (item.type) {
            case ItemType::theCharacter:
            case ItemType::phrase:
                if (matches(expression, kSpecialInText, item.text))
                    return true;
                break;
            case ItemType::anyOneOf:
                if (matches(expression, kSpecialInSet, item.text))
                    return true;
                break;
            default:
                break;
        }
    }
    return false;
}

ExprWizData::ExprWizData(const SettingsStore& settings)
    : leaveSpecialChars(readSetting(settings, kLeaveSpecialChars) != 0) {}

}  // namespace scoutwell
