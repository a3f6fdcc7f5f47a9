#include "criteria/core/GeometrySpec.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <string>

namespace scoutwell {
namespace {

constexpr std::uint16_t CX = kGeometryGrowWidth;
constexpr std::uint16_t CY = kGeometryGrowHeight;
constexpr std::uint16_t X = kGeometryMoveLeft;
constexpr std::uint16_t Y = kGeometryMoveTop;
constexpr std::uint16_t cx = kGeometryCentreHorizontal;
constexpr std::uint16_t cy = kGeometryCentreVertical;
constexpr std::uint16_t PW = kGeometryProportionalWidth;
constexpr std::uint16_t PH = kGeometryProportionalHeight;
constexpr std::uint16_t PL = kGeometryProportionalLeft;
constexpr std::uint16_t PT = kGeometryProportionalTop;
constexpr std::uint16_t M = kGeometryParsingProportional;

struct ParseCase {
    const char* text;
    bool result;
    unsigned flags;
    float xFactor = 0.0f;
    float yFactor = 0.0f;
    float cxFactor = 0.0f;
    float cyFactor = 0.0f;
};

TEST(GeometrySpec, ParsesEveryTokenFormAndNormalises) {
    const ParseCase cases[] = {
        {"", true, 0},
        {"X", true, X, 1.0f},
        {"Y", true, Y, 0.0f, 1.0f},
        {"CX", true, CX, 0.0f, 0.0f, 1.0f},
        {"CY", true, CY, 0.0f, 0.0f, 0.0f, 1.0f},
        {"CX+CY", true, CX | CY, 0.0f, 0.0f, 1.0f, 1.0f},
        {"X+Y", true, X | Y, 1.0f, 1.0f},
        {"CX+Y", true, CX | Y, 0.0f, 1.0f, 1.0f},
        {"X+CX", true, X | CX, 1.0f, 0.0f, 1.0f},
        {"X[0.5]", true, X, 0.5f},
        {"Y[0.25]", true, Y, 0.0f, 0.25f},
        {"CX[2]+CY[-0.5]", true, CX | CY, 0.0f, 0.0f, 2.0f, -0.5f},
        {"CX[2]+CX", true, CX, 0.0f, 0.0f, 1.0f},  // the last factor given wins
        {"X[", true, X, 0.0f},                     // no number reads as 0
        {"X[abc]", true, X, 0.0f},
        {"X[ 2.5]", true, X, 2.5f},  // leading blanks, as the C library reads numbers
        {"X[1e-1]", true, X, 0.1f},
        {"X[1e+2]", true, X, 1.0f},  // "+" splits tokens even inside brackets: "X[1e", "2]"
        {"XY", true, X, 1.0f},       // no "[" after the letter: factor 1, rest ignored
        {"++X++", true, X, 1.0f},    // empty tokens are skipped
        {"Q+X+cx", true, X, 1.0f},   // unknown tokens (lower-case c included) are ignored
        // Centring cancels moves and stretches along its axis, given before or after.
        {"x", true, cx},
        {"x+X+CX", true, cx, 1.0f, 0.0f, 1.0f},
        {"CX+X+x", true, cx, 1.0f, 0.0f, 1.0f},
        {"y+Y+CY+X", true, cy | X, 1.0f, 1.0f, 0.0f, 1.0f},
        {"x+y", true, cx | cy},
        // "M" makes every move and stretch set so far proportional, keeping the basic bit.
        {"MX", true, X | PL, 1.0f},
        {"MCX+MCY", true, CX | PW | CY | PH, 0.0f, 0.0f, 1.0f, 1.0f},
        {"X+MY", true, X | PL | Y | PT, 1.0f, 1.0f},
        {"MY+X", true, Y | PT | X, 1.0f, 1.0f},
        {"X+M", true, X | PL, 1.0f},
        {"M+X", true, X, 1.0f},
        {"M", true, 0},
        {"MM+X", true, X, 1.0f},  // only one "M" is a prefix; "M" then is an unknown token
        // A proportional edge or size cancels centring on its axis.
        {"MX+x", true, X | PL, 1.0f},
        {"x+MCX", true, CX | PW, 0.0f, 0.0f, 1.0f},
        {"y+MY", true, Y | PT, 0.0f, 1.0f},
        {"MX+y", true, X | PL | cy, 1.0f},
        // "C" followed by anything but X or Y stops at once, without the clean-up.
        {"CZ+X", false, 0},
        {"X+CZ+Y", false, X, 1.0f},
        {"C", false, 0},
        {"C[1]", false, 0},
        {"x+X+CZ", false, cx | X, 1.0f},
        {"MCZ", false, M},
        {"X+MCZ", false, X | M, 1.0f},
    };
    for (const ParseCase& c : cases) {
        GeometrySpec spec;
        EXPECT_EQ(parseGeometrySpec(c.text, spec), c.result) << c.text;
        EXPECT_EQ(spec.flags, c.flags) << c.text;
        EXPECT_FLOAT_EQ(spec.xFactor, c.xFactor) << c.text;
        EXPECT_FLOAT_EQ(spec.yFactor, c.yFactor) << c.text;
        EXPECT_FLOAT_EQ(spec.cxFactor, c.cxFactor) << c.text;
        EXPECT_FLOAT_EQ(spec.cyFactor, c.cyFactor) << c.text;
    }
}

TEST(GeometrySpec, AddsToTheSpecItIsGiven) {
    GeometrySpec spec;
    ASSERT_TRUE(parseGeometrySpec("X", spec));
    ASSERT_TRUE(parseGeometrySpec("CY", spec));
    EXPECT_EQ(spec.flags, X | CY);
    // An "M" token makes the bits of the earlier parse proportional too.
    ASSERT_TRUE(parseGeometrySpec("M", spec));
    EXPECT_EQ(spec.flags, X | CY | PL | PH);
}

TEST(GeometrySpec, ReadsOnlyTheFirst255Characters) {
    const std::string padding(kGeometrySpecMaxLength - 1, '+');
    GeometrySpec read;
    EXPECT_TRUE(parseGeometrySpec(padding + "X", read));
    EXPECT_EQ(read.flags, X);
    GeometrySpec cut;
    EXPECT_TRUE(parseGeometrySpec(padding + "+X", cut));
    EXPECT_EQ(cut.flags, 0u);
    // The factor is cut at the same place: "X[0.75" becomes "X[0.7".
    GeometrySpec factor;
    const std::string longText = std::string(kGeometrySpecMaxLength - 5, '+') + "X[0.75";
    EXPECT_TRUE(parseGeometrySpec(longText, factor));
    EXPECT_FLOAT_EQ(factor.xFactor, 0.7f);
}

TEST(GeometrySpec, FactorsOutsideTheFloatRangeStayDefined) {
    GeometrySpec huge;
    EXPECT_TRUE(parseGeometrySpec("X[1e300]+Y[-1e300]", huge));
    EXPECT_FLOAT_EQ(huge.xFactor, FLT_MAX);
    EXPECT_FLOAT_EQ(huge.yFactor, -FLT_MAX);
    GeometrySpec notNumbers;
    EXPECT_TRUE(parseGeometrySpec("X[inf]+Y[nan]", notNumbers));
    EXPECT_TRUE(std::isinf(notNumbers.xFactor));
    EXPECT_TRUE(std::isnan(notNumbers.yFactor));
}

TEST(GeometrySpec, FactorsUseAPointInEveryLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* const commaLocales[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR"};
    bool switched = false;
    for (const char* name : commaLocales) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            switched = true;
            break;
        }
    }
    GeometrySpec spec;
    EXPECT_TRUE(parseGeometrySpec("X[0.5]", spec));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_FLOAT_EQ(spec.xFactor, 0.5f);
    if (!switched) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
}

}  // namespace
}  // namespace scoutwell
