// Marker boxes: invisible check boxes, radio buttons or group boxes captioned
// "$Geometry:<spec>" that give every control lying wholly inside them that spec, so that a
// window's layout rules can be drawn into the window itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "criteria/core/GeometryLayout.h"
#include "criteria/core/GeometrySpec.h"

namespace scoutwell {

inline constexpr std::string_view kGeometryMarkerPrefix = "$Geometry:";
// The id of the markers a property sheet makes for itself.
inline constexpr std::int32_t kGeometryMarkerId = 0xFFFF;
// Only this much of a caption is read.
inline constexpr std::size_t kGeometryCaptionMaxLength = 255;

// One child window of a host, as the marker scan sees it.
struct GeometryChild {
    std::int32_t controlId = 0;
    // A check box, radio button or group box; push buttons and anything else are not.
    bool boxButton = false;
    bool visible = false;
    std::string caption;
    // In one coordinate system for all children (screen or the host's client area).
    GeometryRect rect;
};

bool isGeometryMarker(const GeometryChild& child);

// Whether `inner` lies wholly inside `outer`; an empty rectangle lies inside nothing.
bool geometryRectInside(const GeometryRect& inner, const GeometryRect& outer);

// For every marker among `children` (in their stacking order), calls `addGeometry` with
// each non-marker child inside it and the marker's parsed spec, so a control inside several
// markers is last given the spec of the last one.
void scanGeometryMarkers(
    const std::vector<GeometryChild>& children,
    const std::function<void(std::int32_t controlId, const GeometrySpec& spec)>& addGeometry);

}  // namespace scoutwell
