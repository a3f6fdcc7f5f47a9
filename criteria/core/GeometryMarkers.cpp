#include "criteria/core/GeometryMarkers.h"

namespace scoutwell {
namespace {

std::string_view readCaption(const GeometryChild& child) {
    return std::string_view(child.caption).substr(0, kGeometryCaptionMaxLength);
}

}  // namespace

bool isGeometryMarker(const GeometryChild& child) {
    return child.boxButton && !child.visible &&
           readCaption(child).starts_with(kGeometryMarkerPrefix);
}

bool geometryRectInside(const GeometryRect& inner, const GeometryRect& outer) {
    if (inner.right <= inner.left || inner.bottom <= inner.top) {
        return false;
    }
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

void scanGeometryMarkers(
    const std::vector<GeometryChild>& children,
    const std::function<void(std::int32_t controlId, const GeometrySpec& spec)>& addGeometry) {
    for (const GeometryChild& marker : children) {
        if (!isGeometryMarker(marker)) {
            continue;
        }
        const std::string_view text = readCaption(marker).substr(kGeometryMarkerPrefix.size());
        for (const GeometryChild& child : children) {
            if (isGeometryMarker(child) || !geometryRectInside(child.rect, marker.rect)) {
                continue;
            }
            GeometrySpec spec;
            parseGeometrySpec(text, spec);  // a spec cut short still applies what it has
            addGeometry(child.controlId, spec);
        }
    }
}

}  // namespace scoutwell
