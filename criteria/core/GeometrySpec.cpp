#include "criteria/core/GeometrySpec.h"

#include <locale.h>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

namespace scoutwell {
namespace {

constexpr char kTokenSeparator = '+';
constexpr char kProportionalPrefix = 'M';
constexpr char kFactorOpen = '[';

// The factor's decimal point is always ".", whatever locale the GUI has switched to.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// The number at `text` as the C library reads it (leading blanks, sign, exponent, stopping
// at the first character that cannot belong to it; 0 when there is none), kept inside the
// range of a float so that the conversion is defined.
float readFactor(const std::string& token, std::size_t offset) {
    if (offset > token.size()) {
        return 0.0f;
    }
    const double value = strtod_l(token.c_str() + offset, nullptr, cLocale());
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
        return value < 0 ? -FLT_MAX : FLT_MAX;
    }
    return static_cast<float>(value);
}

// A factor is present when the character after the letter(s) is "[".
float factorAfter(const std::string& token, std::size_t letters) {
    if (token.size() > letters && token[letters] == kFactorOpen) {
        return readFactor(token, letters + 1);
    }
    return 1.0f;
}

void makeProportional(GeometrySpec& spec) {
    if (spec.has(kGeometryGrowWidth)) {
        spec.flags |= kGeometryProportionalWidth;
    }
    if (spec.has(kGeometryGrowHeight)) {
        spec.flags |= kGeometryProportionalHeight;
    }
    if (spec.has(kGeometryMoveLeft)) {
        spec.flags |= kGeometryProportionalLeft;
    }
    if (spec.has(kGeometryMoveTop)) {
        spec.flags |= kGeometryProportionalTop;
    }
    spec.flags &= static_cast<std::uint16_t>(~kGeometryParsingProportional);
}

void clearFlags(GeometrySpec& spec, std::uint16_t flags) {
    spec.flags &= static_cast<std::uint16_t>(~flags);
}

void normalise(GeometrySpec& spec) {
    if (spec.has(kGeometryProportionalLeft | kGeometryProportionalWidth)) {
        clearFlags(spec, kGeometryCentreHorizontal);
    }
    if (spec.has(kGeometryProportionalTop | kGeometryProportionalHeight)) {
        clearFlags(spec, kGeometryCentreVertical);
    }
    if (spec.has(kGeometryCentreHorizontal)) {
        clearFlags(spec, kGeometryMoveLeft | kGeometryGrowWidth);
    }
    if (spec.has(kGeometryCentreVertical)) {
        clearFlags(spec, kGeometryMoveTop | kGeometryGrowHeight);
    }
}

// Applies one token; false when it is a "C" that is neither "CX" nor "CY".
bool parseToken(std::string token, GeometrySpec& spec) {
    if (token.front() == kProportionalPrefix) {
        spec.flags |= kGeometryParsingProportional;
        token.erase(0, 1);
    }
    if (!token.empty()) {
        switch (token.front()) {
            case 'C':
                if (token.size() > 1 && token[1] == 'X') {
                    spec.flags |= kGeometryGrowWidth;
                    spec.cxFactor = factorAfter(token, 2);
                } else if (token.size() > 1 && token[1] == 'Y') {
                    spec.flags |= kGeometryGrowHeight;
                    spec.cyFactor = factorAfter(token, 2);
                } else {
                    return false;
                }
                break;
            case 'X':
                spec.flags |= kGeometryMoveLeft;
                spec.xFactor = factorAfter(token, 1);
                break;
            case 'Y':
                spec.flags |= kGeometryMoveTop;
                spec.yFactor = factorAfter(token, 1);
                break;
            case 'x':
                spec.flags |= kGeometryCentreHorizontal;
                break;
            case 'y':
                spec.flags |= kGeometryCentreVertical;
                break;
            default:
                break;  // unknown tokens are ignored
        }
    }
    if (spec.has(kGeometryParsingProportional)) {
        makeProportional(spec);
    }
    return true;
}

}  // namespace

bool parseGeometrySpec(std::string_view text, GeometrySpec& spec) {
    const std::string_view copy = text.substr(0, kGeometrySpecMaxLength);
    std::size_t start = 0;
    while (start <= copy.size()) {
        std::size_t end = copy.find(kTokenSeparator, start);
        if (end == std::string_view::npos) {
            end = copy.size();
        }
        if (end > start && !parseToken(std::string(copy.substr(start, end - start)), spec)) {
            return false;
        }
        start = end + 1;
    }
    normalise(spec);
    return true;
}

}  // namespace scoutwell
