// How one control of a resizable window follows the growth of the window's client area,
// and the parser of the short texts ("X", "CX+CY", "X[0.5]", "MX+Y", ...) that say so.
//
// Tokens are joined by "+": "X"/"Y" move the left/top edge by the growth (times the
// factor in brackets, 1.0 without one), "CX"/"CY" add the growth to the width/height,
// "x"/"y" centre the control, and an "M" in front of a token makes every move and stretch
// parsed so far proportional as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace scoutwell {

inline constexpr std::uint16_t kGeometryGrowWidth = 0x0001;         // CX
inline constexpr std::uint16_t kGeometryGrowHeight = 0x0002;        // CY
inline constexpr std::uint16_t kGeometryMoveLeft = 0x0004;          // X
inline constexpr std::uint16_t kGeometryMoveTop = 0x0008;           // Y
inline constexpr std::uint16_t kGeometryCentreHorizontal = 0x0010;  // x
inline constexpr std::uint16_t kGeometryCentreVertical = 0x0020;    // y
inline constexpr std::uint16_t kGeometryProportionalWidth = 0x0100;
inline constexpr std::uint16_t kGeometryProportionalHeight = 0x0200;
inline constexpr std::uint16_t kGeometryProportionalLeft = 0x0400;
inline constexpr std::uint16_t kGeometryProportionalTop = 0x0800;
// Set only while a token with the "M" prefix is parsed (and left behind when parsing
// stops inside such a token).
inline constexpr std::uint16_t kGeometryParsingProportional = 0x8000;

// The longest specification text that is read; the rest is ignored.
inline constexpr std::size_t kGeometrySpecMaxLength = 255;

struct GeometrySpec {
    std::uint16_t flags = 0;
    float xFactor = 0.0f;   // share of the width growth added to the left edge
    float yFactor = 0.0f;   // share of the height growth added to the top edge
    float cxFactor = 0.0f;  // share of the width growth added to the width
    float cyFactor = 0.0f;  // share of the height growth added to the height

    bool has(std::uint16_t flag) const { return (flags & flag) != 0; }
    friend bool operator==(const GeometrySpec&, const GeometrySpec&) = default;
};

// Adds what `text` says to `spec` (pass a fresh spec for the plain meaning). Returns false
// when a token starts with "C" followed by anything but "X" or "Y": parsing stops there,
// what was parsed before stays, and the final clean-up (centring cancels moves and
// stretches; proportional moves cancel centring) is skipped.
bool parseGeometrySpec(std::string_view text, GeometrySpec& spec);

}  // namespace scoutwell
