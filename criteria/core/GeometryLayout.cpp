#include "criteria/core/GeometryLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scoutwell {
namespace {

constexpr std::int64_t kMinInt32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();

std::int32_t saturate(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp(value, kMinInt32, kMaxInt32));
}

// The growth times a factor, truncated toward zero. A factor such as "inf" or "nan" in a
// specification text must not turn into undefined integer conversions: a product that is
// not a number adds nothing and an infinite one saturates.
std::int64_t scaledGrowth(std::int32_t growth, float factor) {
    const float product = static_cast<float>(growth) * factor;
    if (std::isnan(product)) {
        return 0;
    }
    if (product >= static_cast<float>(kMaxInt32)) {
        return kMaxInt32;
    }
    if (product <= static_cast<float>(kMinInt32)) {
        return kMinInt32;
    }
    return static_cast<std::int64_t>(product);
}

// value x size / designSize, truncated toward zero; the design value when there is no
// design size to scale by.
std::int64_t scaled(std::int64_t value, std::int32_t size, std::int32_t designSize) {
    if (designSize == 0) {
        return value;
    }
    return value * size / designSize;
}

}  // namespace

GeometryPlacement layoutGeometryControl(const GeometryControl& control, std::int32_t width,
                                        std::int32_t height, std::int32_t designWidth,
                                        std::int32_t designHeight) {
    const GeometrySpec& spec = control.spec;
    const std::int64_t designW = std::int64_t{control.right} - control.left;
    const std::int64_t designH = std::int64_t{control.bottom} - control.top;
    const std::int32_t dx = saturate(std::int64_t{width} - designWidth);
    const std::int32_t dy = saturate(std::int64_t{height} - designHeight);

    std::int64_t x = control.left;
    std::int64_t y = control.top;
    std::int64_t w = designW;
    std::int64_t h = designH;

    if (spec.has(kGeometryProportionalLeft)) {
        x = scaled(control.left, width, designWidth);
    }
    if (spec.has(kGeometryProportionalWidth)) {
        w = scaled(designW, width, designWidth);
    }
    if (spec.has(kGeometryProportionalTop)) {
        y = scaled(control.top, height, designHeight);
    }
    if (spec.has(kGeometryProportionalHeight)) {
        h = scaled(designH, height, designHeight);
    }

    if (spec.has(kGeometryCentreHorizontal)) {
        x += dx / 2;
    }
    if (spec.has(kGeometryCentreVertical)) {
        y += dy / 2;
    }

    if (spec.has(kGeometryGrowWidth)) {
        w += scaledGrowth(dx, spec.cxFactor);
    }
    if (spec.has(kGeometryGrowHeight)) {
        h += scaledGrowth(dy, spec.cyFactor);
    }
    if (spec.has(kGeometryMoveLeft)) {
        x += scaledGrowth(dx, spec.xFactor);
    }
    if (spec.has(kGeometryMoveTop)) {
        y += scaledGrowth(dy, spec.yFactor);
    }

    // The design layout is the minimum: nothing moves up or left of it or shrinks below it.
    x = std::max<std::int64_t>(x, control.left);
    y = std::max<std::int64_t>(y, control.top);
    w = std::max(w, designW);
    h = std::max(h, designH);
    return {saturate(x), saturate(y), saturate(w), saturate(h)};
}

bool GeometryLayout::addGeometry(std::int32_t controlId, const GeometrySpec& spec,
                                 const GeometryHostWindow* host) {
    for (GeometryControl& control : controls_) {
        if (control.controlId == controlId) {
            control.spec = spec;
            return true;
        }
    }
    GeometryControl control;
    control.controlId = controlId;
    control.spec = spec;
    if (host != nullptr && host->windowExists()) {
        if (const std::optional<GeometryRect> rect = host->controlRect(controlId)) {
            control.left = rect->left;
            control.top = rect->top;
            control.right = rect->right;
            control.bottom = rect->bottom;
        }
    }
    controls_.push_back(control);
    return true;
}

void GeometryLayout::removeGeometry(std::int32_t controlId) {
    std::erase_if(controls_,
                  [controlId](const GeometryControl& c) { return c.controlId == controlId; });
}

void GeometryLayout::recordDesignClientRect(const GeometryRect& clientRect) {
    designClientRect_ = clientRect;
    lastClientRect_ = clientRect;
}

void GeometryLayout::rereadDesignRects(const GeometryHostWindow& host) {
    for (GeometryControl& control : controls_) {
        if (const std::optional<GeometryRect> rect = host.controlRect(control.controlId)) {
            control.left = rect->left;
            control.top = rect->top;
            control.right = rect->right;
            control.bottom = rect->bottom;
        }
    }
}

bool GeometryLayout::grownBeyondDesign(std::int32_t width, std::int32_t height) const {
    const std::int32_t designWidth = designClientRect_.width();
    const std::int32_t designHeight = designClientRect_.height();
    // A window that was larger last time must be laid out once more even when it is back
    // within its design size, or the controls would stay where the larger size put them.
    return width > designWidth || height > designHeight || lastClientRect_.width() > designWidth ||
           lastClientRect_.height() > designHeight;
}

void GeometryLayout::recordRaisedToDesign(std::int32_t width, std::int32_t height) {
    lastClientRect_ = {0, 0, std::max(width, designClientRect_.right),
                       std::max(height, designClientRect_.bottom)};
}

bool GeometryLayout::resized(std::int32_t width, std::int32_t height, GeometryHostWindow& host) {
    bool relaid = false;
    switch (kind_) {
        case GeometryHostKind::propertySheet:
        case GeometryHostKind::formView:
            if (designClientRect_.width() == 0 || width == 0 || height == 0) {
                return false;
            }
            [[fallthrough]];
        case GeometryHostKind::propertyPage:
            if (width == 0 || height == 0) {
                return false;
            }
            if (grownBeyondDesign(width, height)) {
                relayout(width, height, host);
                relaid = true;
            }
            recordRaisedToDesign(width, height);
            break;
        case GeometryHostKind::dialog:
            relayout(width, height, host);
            relaid = true;
            lastClientRect_ = {0, 0, width, height};
            break;
    }
    return relaid;
}

void GeometryLayout::relayout(std::int32_t width, std::int32_t height,
                              GeometryHostWindow& host) const {
    const std::int32_t designWidth = designClientRect_.width();
    const std::int32_t designHeight = designClientRect_.height();
    for (const GeometryControl& control : controls_) {
        host.placeControl(control.controlId,
                          layoutGeometryControl(control, width, height, designWidth, designHeight));
    }
}

GeometryMinimumSize GeometryLayout::minimumTrackingSize(const GeometryFrameMetrics& frame) const {
    const std::int32_t designWidth = designClientRect_.width();
    const std::int32_t designHeight = designClientRect_.height();
    GeometryMinimumSize minimum;
    switch (kind_) {
        case GeometryHostKind::propertySheet:
        case GeometryHostKind::dialog:
            if (designWidth != 0) {
                minimum.width = designWidth + (frame.sizingBorder ? 2 * frame.sizingFrameWidth : 0);
            }
            if (designHeight != 0) {
                minimum.height = designHeight +
                                 (frame.sizingBorder ? 2 * frame.sizingFrameHeight : 0) +
                                 (frame.captionStyle ? frame.captionHeight : 0);
            }
            break;
        case GeometryHostKind::formView:
            break;
        case GeometryHostKind::propertyPage:
            minimum.width = designWidth;
            minimum.height = designHeight;
            break;
    }
    return minimum;
}

}  // namespace scoutwell
