#include "criteria/core/GeometryLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace scoutwell {
namespace {

constexpr std::int32_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();

GeometrySpec specOf(const char* text) {
    GeometrySpec spec;
    parseGeometrySpec(text, spec);
    return spec;
}

GeometryControl controlAt(GeometryRect rect, const GeometrySpec& spec) {
    GeometryControl control;
    control.controlId = 1;
    control.left = rect.left;
    control.top = rect.top;
    control.right = rect.right;
    control.bottom = rect.bottom;
    control.spec = spec;
    return control;
}

struct PlacementCase {
    const char* spec;
    std::int32_t width;
    std::int32_t height;
    GeometryPlacement expected;
};

TEST(GeometryLayout, PlacesAControlByItsSpecAndNeverBelowItsDesign) {
    // Design client area 200 x 100; the control sits at (10, 20), 100 x 30.
    const GeometryRect design{10, 20, 110, 50};
    const PlacementCase cases[] = {
        {"", 400, 300, {10, 20, 100, 30}},
        {"X", 300, 100, {110, 20, 100, 30}},
        {"Y", 200, 150, {10, 70, 100, 30}},
        {"CX", 300, 100, {10, 20, 200, 30}},
        {"CX+CY", 300, 150, {10, 20, 200, 80}},
        {"X+Y", 250, 130, {60, 50, 100, 30}},
        {"CX+Y", 260, 110, {10, 30, 160, 30}},
        {"X+CX", 300, 100, {110, 20, 200, 30}},
        {"X[0.5]", 301, 100, {60, 20, 100, 30}},  // 101 x 0.5 truncates to 50
        {"CX[0.5]+CY[0.5]", 199, 99, {10, 20, 100, 30}},
        {"X[-1]", 300, 100, {10, 20, 100, 30}},   // would move left of its design
        {"X[0.7]", 210, 100, {17, 20, 100, 30}},  // 10 x 0.7 in float is exactly 7
        {"x", 301, 100, {60, 20, 100, 30}},       // centred: half of 101
        {"y", 200, 160, {10, 50, 100, 30}},
        {"MX", 400, 100, {220, 20, 100, 30}},     // 10 x 400 / 200, then + 200
        {"MCX", 300, 100, {10, 20, 250, 30}},     // 100 x 300 / 200, then + 100
        {"MY+MCY", 200, 150, {10, 80, 100, 95}},  // 20 x 1.5 + 50; 30 x 1.5 + 50
        // Smaller than the design: everything stays at its design place and size.
        {"X+Y+CX+CY", 100, 50, {10, 20, 100, 30}},
        {"x+y", 50, 20, {10, 20, 100, 30}},
        {"MX+MCX+MY+MCY", 100, 50, {10, 20, 100, 30}},
        // The same size as the design changes nothing either.
        {"X+Y+CX+CY", 200, 100, {10, 20, 100, 30}},
    };
    for (const PlacementCase& c : cases) {
        EXPECT_EQ(
            layoutGeometryControl(controlAt(design, specOf(c.spec)), c.width, c.height, 200, 100),
            c.expected)
            << c.spec << " at " << c.width << "x" << c.height;
    }
}

TEST(GeometryLayout, ProportionalBitsAloneScaleWithoutAddingTheGrowth) {
    GeometrySpec spec;
    spec.flags = kGeometryProportionalLeft | kGeometryProportionalWidth | kGeometryProportionalTop |
                 kGeometryProportionalHeight;
    EXPECT_EQ(layoutGeometryControl(controlAt({10, 20, 110, 50}, spec), 300, 150, 200, 100),
              (GeometryPlacement{15, 30, 150, 45}));
}

TEST(GeometryLayout, DegenerateSizesAndFactorsStayDefined) {
    // A design size of 0 leaves proportional edges and sizes at their design values
    // instead of dividing by zero.
    GeometryControl proportional = controlAt({10, 20, 110, 50}, specOf("MX+MCY"));
    EXPECT_EQ(layoutGeometryControl(proportional, 50, 60, 0, 0),
              (GeometryPlacement{60, 20, 100, 90}));

    // An infinite factor saturates; infinity times no growth adds nothing.
    GeometryControl infinite = controlAt({10, 20, 110, 50}, specOf("X[inf]"));
    EXPECT_EQ(layoutGeometryControl(infinite, 210, 100, 200, 100).x, kMaxInt32);
    EXPECT_EQ(layoutGeometryControl(infinite, 200, 100, 200, 100).x, 10);
    GeometryControl notANumber = controlAt({10, 20, 110, 50}, specOf("CX[nan]"));
    EXPECT_EQ(layoutGeometryControl(notANumber, 500, 100, 200, 100).width, 100);

    // Coordinates near the end of the 32-bit range saturate instead of wrapping.
    GeometryControl far = controlAt({2'000'000'000, 0, 2'100'000'000, 10}, specOf("X+MCX"));
    const GeometryPlacement placed = layoutGeometryControl(far, 2'000'000'000, 10, 1000, 10);
    EXPECT_EQ(placed.x, kMaxInt32);
    EXPECT_EQ(placed.width, kMaxInt32);
}

// A host whose controls are rectangles in a map; every placement is logged.
class FakeHost : public GeometryHostWindow {
  public:
    bool exists = true;
    std::map<std::int32_t, GeometryRect> rects;
    std::vector<std::pair<std::int32_t, GeometryPlacement>> placed;

    bool windowExists() const override { return exists; }
    std::optional<GeometryRect> controlRect(std::int32_t controlId) const override {
        const auto found = rects.find(controlId);
        if (found == rects.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    void placeControl(std::int32_t controlId, const GeometryPlacement& placement) override {
        placed.emplace_back(controlId, placement);
    }
};

GeometryRect rectOf(const GeometryControl& c) {
    return {c.left, c.top, c.right, c.bottom};
}

TEST(GeometryLayout, RegistrationKeepsOneRecordPerIdAndItsDesignRectangle) {
    FakeHost host;
    host.rects = {{1, {10, 10, 50, 30}}, {2, {60, 10, 90, 30}}};
    GeometryLayout layout(GeometryHostKind::dialog);

    EXPECT_TRUE(layout.addGeometry(1, specOf("X"), &host));
    EXPECT_TRUE(layout.addGeometry(2, specOf("CX"), nullptr));  // no host: nothing read
    host.exists = false;
    EXPECT_TRUE(layout.addGeometry(3, specOf("Y"), &host));  // no window yet: nothing read
    host.exists = true;
    EXPECT_TRUE(layout.addGeometry(4, specOf("Y"), &host));  // no such control
    ASSERT_EQ(layout.controls().size(), 4u);
    EXPECT_EQ(rectOf(layout.controls()[0]), (GeometryRect{10, 10, 50, 30}));
    EXPECT_EQ(rectOf(layout.controls()[1]), GeometryRect{});
    EXPECT_EQ(rectOf(layout.controls()[2]), GeometryRect{});
    EXPECT_EQ(rectOf(layout.controls()[3]), GeometryRect{});

    // A second registration replaces the spec only, even when the control has moved.
    host.rects[1] = {0, 0, 5, 5};
    EXPECT_TRUE(layout.addGeometry(1, specOf("CY"), &host));
    ASSERT_EQ(layout.controls().size(), 4u);
    EXPECT_EQ(layout.controls()[0].spec, specOf("CY"));
    EXPECT_EQ(rectOf(layout.controls()[0]), (GeometryRect{10, 10, 50, 30}));

    layout.rereadDesignRects(host);
    EXPECT_EQ(rectOf(layout.controls()[0]), (GeometryRect{0, 0, 5, 5}));
    EXPECT_EQ(rectOf(layout.controls()[1]), (GeometryRect{60, 10, 90, 30}));
    EXPECT_EQ(rectOf(layout.controls()[3]), GeometryRect{});  // still missing: unchanged

    layout.removeGeometry(2);
    layout.removeGeometry(99);
    ASSERT_EQ(layout.controls().size(), 3u);
    EXPECT_EQ(layout.controls()[0].controlId, 1);
    EXPECT_EQ(layout.controls()[1].controlId, 3);
    EXPECT_EQ(layout.controls()[2].controlId, 4);
}

TEST(GeometryLayout, RelayoutPlacesEveryControlInRegistrationOrder) {
    FakeHost host;
    host.rects = {{7, {10, 10, 50, 30}}, {3, {60, 10, 90, 30}}};
    GeometryLayout layout(GeometryHostKind::dialog);
    layout.recordDesignClientRect({0, 0, 100, 40});
    layout.addGeometry(7, specOf("CX"), &host);
    layout.addGeometry(3, specOf("X"), &host);
    layout.relayout(150, 40, host);
    ASSERT_EQ(host.placed.size(), 2u);
    EXPECT_EQ(host.placed[0], std::make_pair(7, GeometryPlacement{10, 10, 90, 20}));
    EXPECT_EQ(host.placed[1], std::make_pair(3, GeometryPlacement{110, 10, 30, 20}));
    EXPECT_EQ(layout.controls().size(), 2u);
    EXPECT_EQ(rectOf(layout.controls()[0]), (GeometryRect{10, 10, 50, 30}));
}

struct ResizeStep {
    std::int32_t width;
    std::int32_t height;
    bool relaid;
    GeometryRect last;
};

void runSteps(GeometryHostKind kind, GeometryRect design, const std::vector<ResizeStep>& steps,
              const std::string& name) {
    FakeHost host;
    host.rects = {{1, {10, 10, 50, 30}}};
    GeometryLayout layout(kind);
    layout.recordDesignClientRect(design);
    layout.addGeometry(1, specOf("X+Y"), &host);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const ResizeStep& step = steps[i];
        host.placed.clear();
        EXPECT_EQ(layout.resized(step.width, step.height, host), step.relaid)
            << name << " step " << i;
        EXPECT_EQ(host.placed.size(), step.relaid ? 1u : 0u) << name << " step " << i;
        EXPECT_EQ(layout.lastClientRect(), step.last) << name << " step " << i;
    }
}

TEST(GeometryLayout, ResizeFollowsTheHostKind) {
    const GeometryRect design{0, 0, 200, 100};
    // Sheet and form view: nothing within the design size once the last size is back
    // there; one layout more when coming back from a larger size; zero sizes ignored.
    const std::vector<ResizeStep> sheetSteps = {
        {200, 100, false, {0, 0, 200, 100}}, {150, 80, false, {0, 0, 200, 100}},
        {300, 100, true, {0, 0, 300, 100}},  {0, 50, false, {0, 0, 300, 100}},
        {150, 80, true, {0, 0, 200, 100}},   {180, 90, false, {0, 0, 200, 100}},
        {180, 130, true, {0, 0, 200, 130}},  {180, 0, false, {0, 0, 200, 130}},
        {200, 100, true, {0, 0, 200, 100}},
    };
    runSteps(GeometryHostKind::propertySheet, design, sheetSteps, "sheet");
    runSteps(GeometryHostKind::formView, design, sheetSteps, "form view");
    runSteps(GeometryHostKind::propertyPage, design, sheetSteps, "page");

    // A dialog lays out at every size and records it as it is.
    runSteps(GeometryHostKind::dialog, design,
             {{200, 100, true, {0, 0, 200, 100}},
              {150, 80, true, {0, 0, 150, 80}},
              {300, 120, true, {0, 0, 300, 120}},
              {0, 0, true, {0, 0, 0, 0}}},
             "dialog");

    // Without a design width the sheet and form view never lay out; a page still does.
    const GeometryRect noWidth{0, 0, 0, 100};
    runSteps(GeometryHostKind::propertySheet, noWidth, {{300, 200, false, {0, 0, 0, 100}}},
             "sheet without design");
    runSteps(GeometryHostKind::formView, noWidth, {{300, 200, false, {0, 0, 0, 100}}},
             "form view without design");
    runSteps(GeometryHostKind::propertyPage, noWidth, {{300, 200, true, {0, 0, 300, 200}}},
             "page without design");
}

TEST(GeometryLayout, ShrinkingBackToTheDesignRestoresTheDesignPlaces) {
    FakeHost host;
    host.rects = {{1, {10, 10, 50, 30}}, {2, {10, 40, 50, 60}}};
    GeometryLayout layout(GeometryHostKind::propertyPage);
    layout.recordDesignClientRect({0, 0, 200, 100});
    layout.addGeometry(1, specOf("X+Y"), &host);
    layout.addGeometry(2, specOf("CX+CY"), &host);
    layout.resized(260, 140, host);
    host.placed.clear();
    layout.resized(200, 100, host);
    ASSERT_EQ(host.placed.size(), 2u);
    EXPECT_EQ(host.placed[0].second, (GeometryPlacement{10, 10, 40, 20}));
    EXPECT_EQ(host.placed[1].second, (GeometryPlacement{10, 40, 40, 20}));
}

TEST(GeometryLayout, MinimumTrackingSizeByHostKind) {
    const GeometryFrameMetrics framed{true, 4, 5, true, 20};
    const GeometryFrameMetrics borderOnly{true, 4, 5, false, 20};
    const GeometryFrameMetrics plain{false, 4, 5, false, 20};
    struct Case {
        GeometryHostKind kind;
        GeometryRect design;
        GeometryFrameMetrics frame;
        GeometryMinimumSize expected;
    };
    const Case cases[] = {
        {GeometryHostKind::propertySheet, {0, 0, 200, 100}, framed, {208, 130}},
        {GeometryHostKind::dialog, {0, 0, 200, 100}, framed, {208, 130}},
        {GeometryHostKind::dialog, {0, 0, 200, 100}, borderOnly, {208, 110}},
        {GeometryHostKind::dialog, {0, 0, 200, 100}, plain, {200, 100}},
        {GeometryHostKind::dialog, {0, 0, 0, 100}, framed, {std::nullopt, 130}},
        {GeometryHostKind::propertySheet, {0, 0, 200, 0}, framed, {208, std::nullopt}},
        {GeometryHostKind::formView, {0, 0, 200, 100}, framed, {}},
        {GeometryHostKind::propertyPage, {0, 0, 200, 100}, framed, {200, 100}},
        {GeometryHostKind::propertyPage, {0, 0, 0, 0}, framed, {0, 0}},
    };
    for (const Case& c : cases) {
        GeometryLayout layout(c.kind);
        layout.recordDesignClientRect(c.design);
        EXPECT_EQ(layout.minimumTrackingSize(c.frame), c.expected)
            << static_cast<int>(c.kind) << " " << c.design.right << "x" << c.design.bottom;
    }
}

}  // namespace
}  // namespace scoutwell
