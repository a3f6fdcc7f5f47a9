// The geometry layout of a resizable window, without any window system: the registered
// controls with their design rectangles, the arithmetic that places one control for a new
// client size (never smaller or further up-left than its design), and what a host of each
// kind does when it is resized or asked for its minimum size.
//
// A window-system adapter implements GeometryHostWindow (read a control's rectangle, move
// a control) and drives the layout: addGeometry during initialisation, then
// recordDesignClientRect and rereadDesignRects when the window has its design size, then
// resized for every size change.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "criteria/core/GeometrySpec.h"

namespace scoutwell {

// Client coordinates: right and bottom are exclusive.
struct GeometryRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    friend bool operator==(const GeometryRect&, const GeometryRect&) = default;
};

// Where a layout puts one control.
struct GeometryPlacement {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const GeometryPlacement&, const GeometryPlacement&) = default;
};

// One registered control: its id in the host, its rectangle at design size and its rule.
struct GeometryControl {
    std::int32_t controlId = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    GeometrySpec spec;
};

// Places `control` for a client area of width x height when the design client area was
// designWidth x designHeight. A proportional edge or size stays at its design value when
// the design size it scales by is 0; results saturate at the 32-bit range.
GeometryPlacement layoutGeometryControl(const GeometryControl& control, std::int32_t width,
                                        std::int32_t height, std::int32_t designWidth,
                                        std::int32_t designHeight);

enum class GeometryHostKind { propertySheet, formView, propertyPage, dialog };

// The window that holds the controls, as the layout sees it.
class GeometryHostWindow {
  public:
    virtual ~GeometryHostWindow() = default;
    // False while the host has no window yet (nothing can be read).
    virtual bool windowExists() const = 0;
    // The control's rectangle in the host's client coordinates; nullopt when the host has
    // no control of that id.
    virtual std::optional<GeometryRect> controlRect(std::int32_t controlId) const = 0;
    // Moves and sizes the control, keeping its stacking order and visibility.
    virtual void placeControl(std::int32_t controlId, const GeometryPlacement& placement) = 0;
};

// The window frame around the client area, for the minimum tracking size.
struct GeometryFrameMetrics {
    bool sizingBorder = false;
    std::int32_t sizingFrameWidth = 0;
    std::int32_t sizingFrameHeight = 0;
    bool captionStyle = false;
    std::int32_t captionHeight = 0;
};

// The smallest window size a host accepts; an empty side is not limited.
struct GeometryMinimumSize {
    std::optional<std::int32_t> width;
    std::optional<std::int32_t> height;
    friend bool operator==(const GeometryMinimumSize&, const GeometryMinimumSize&) = default;
};

class GeometryLayout {
  public:
    explicit GeometryLayout(GeometryHostKind kind) : kind_(kind) {}

    GeometryHostKind kind() const { return kind_; }

    // Registers `controlId` with `spec`. A control registered before keeps its design
    // rectangle and only takes the new spec; a new one reads its rectangle from `host`
    // when a host is given whose window exists (otherwise the rectangle is empty until
    // rereadDesignRects). Always true.
    bool addGeometry(std::int32_t controlId, const GeometrySpec& spec,
                     const GeometryHostWindow* host);
    void removeGeometry(std::int32_t controlId);

    // The client rectangle at design size becomes both the design and the last recorded
    // rectangle.
    void recordDesignClientRect(const GeometryRect& clientRect);
    // Takes every registered control's current rectangle as its design rectangle (the
    // controls the host does not have keep theirs).
    void rereadDesignRects(const GeometryHostWindow& host);

    // A size change of the client area (not a minimise): relayouts when this kind of host
    // does so at this size, and records the size. Returns whether it relayouted.
    bool resized(std::int32_t width, std::int32_t height, GeometryHostWindow& host);
    // Places every registered control, in registration order.
    void relayout(std::int32_t width, std::int32_t height, GeometryHostWindow& host) const;

    GeometryMinimumSize minimumTrackingSize(const GeometryFrameMetrics& frame) const;

    const GeometryRect& designClientRect() const { return designClientRect_; }
    const GeometryRect& lastClientRect() const { return lastClientRect_; }
    const std::vector<GeometryControl>& controls() const { return controls_; }

  private:
    bool grownBeyondDesign(std::int32_t width, std::int32_t height) const;
    void recordRaisedToDesign(std::int32_t width, std::int32_t height);

    GeometryHostKind kind_;
    GeometryRect designClientRect_;
    GeometryRect lastClientRect_;
    std::vector<GeometryControl> controls_;
};

}  // namespace scoutwell
