// Any specification text through the geometry parser, and the control it describes laid
// out for any sizes: no crash, no undefined arithmetic, nothing read past the length
// limit, and no flag outside the known ones.
//
// Input: eight 32-bit numbers (the control's design rectangle, the client size and the
// design client size), then the specification text.
#include <bit>
#include <cstring>
#include <string>

#include "criteria/core/GeometryLayout.h"
#include "criteria/core/GeometrySpec.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

using scoutwell::fuzz::check;

constexpr std::uint16_t kKnownFlags =
    scoutwell::kGeometryGrowWidth | scoutwell::kGeometryGrowHeight | scoutwell::kGeometryMoveLeft |
    scoutwell::kGeometryMoveTop | scoutwell::kGeometryCentreHorizontal |
    scoutwell::kGeometryCentreVertical | scoutwell::kGeometryProportionalWidth |
    scoutwell::kGeometryProportionalHeight | scoutwell::kGeometryProportionalLeft |
    scoutwell::kGeometryProportionalTop | scoutwell::kGeometryParsingProportional;

std::int32_t number(scoutwell::fuzz::InputReader& in) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(in.byte()) << (8 * i);
    std::int32_t out = 0;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

// The same spec, bit for bit where the factors are NaN.
bool sameSpec(const scoutwell::GeometrySpec& a, const scoutwell::GeometrySpec& b) {
    const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
    return a.flags == b.flags && bits(a.xFactor) == bits(b.xFactor) &&
           bits(a.yFactor) == bits(b.yFactor) && bits(a.cxFactor) == bits(b.cxFactor) &&
           bits(a.cyFactor) == bits(b.cyFactor);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace scoutwell;
    fuzz::InputReader in(data, size);
    GeometryControl control;
    control.left = number(in);
    control.top = number(in);
    control.right = number(in);
    control.bottom = number(in);
    const std::int32_t width = number(in);
    const std::int32_t height = number(in);
    const std::int32_t designWidth = number(in);
    const std::int32_t designHeight = number(in);
    const std::string text(in.rest());

    const bool parsed = parseGeometrySpec(text, control.spec);
    check((control.spec.flags & ~kKnownFlags) == 0, "unknown flag set");

    GeometrySpec truncated;
    const bool truncatedParsed =
        parseGeometrySpec(std::string_view(text).substr(0, kGeometrySpecMaxLength), truncated);
    check(parsed == truncatedParsed && sameSpec(control.spec, truncated),
          "text past the length limit changed the spec");

    layoutGeometryControl(control, width, height, designWidth, designHeight);
    return 0;
}
