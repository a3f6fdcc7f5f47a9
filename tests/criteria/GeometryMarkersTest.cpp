#include "criteria/core/GeometryMarkers.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace scoutwell {
namespace {

GeometryChild marker(std::int32_t id, std::string caption, GeometryRect rect) {
    return {id, /*boxButton=*/true, /*visible=*/false, std::move(caption), rect};
}

GeometryChild control(std::int32_t id, GeometryRect rect) {
    return {id, /*boxButton=*/false, /*visible=*/true, "OK", rect};
}

TEST(GeometryMarkers, OnlyHiddenBoxesWithThePrefixAreMarkers) {
    struct Case {
        GeometryChild child;
        bool isMarker;
    };
    const GeometryRect r{0, 0, 10, 10};
    const Case cases[] = {
        {marker(1, "$Geometry:X", r), true},
        {marker(1, "$Geometry:", r), true},
        {{1, true, /*visible=*/true, "$Geometry:X", r}, false},
        {{1, /*boxButton=*/false, false, "$Geometry:X", r}, false},  // a push button
        {marker(1, "$geometry:X", r), false},
        {marker(1, "$Geometry", r), false},
        {marker(1, " $Geometry:X", r), false},
        {marker(1, "", r), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isGeometryMarker(c.child), c.isMarker) << c.child.caption;
    }
}

TEST(GeometryMarkers, InsideMeansWhollyInside) {
    const GeometryRect outer{10, 10, 100, 100};
    EXPECT_TRUE(geometryRectInside({10, 10, 100, 100}, outer));
    EXPECT_TRUE(geometryRectInside({20, 20, 30, 30}, outer));
    EXPECT_FALSE(geometryRectInside({5, 20, 30, 30}, outer));
    EXPECT_FALSE(geometryRectInside({20, 20, 101, 30}, outer));
    EXPECT_FALSE(geometryRectInside({200, 200, 210, 210}, outer));
    EXPECT_FALSE(geometryRectInside({20, 20, 20, 30}, outer));  // empty
}

TEST(GeometryMarkers, ScanGivesEachControlTheSpecOfTheLastMarkerAroundIt) {
    const std::vector<GeometryChild> children = {
        control(1, {10, 10, 50, 30}),  // inside both markers
        marker(100, "$Geometry:CX+CY", {0, 0, 200, 200}),
        control(2, {10, 150, 50, 170}),  // inside the first and the second
        control(3, {150, 10, 210, 30}),  // sticks out of both
        marker(101, "$Geometry:X+Y", {0, 140, 200, 200}),
        {4, true, true, "$Geometry:CZ", {10, 60, 50, 80}},  // visible: a control
        marker(102, "$Geometry:CZ+X", {0, 55, 100, 85}),
    };
    std::vector<std::pair<std::int32_t, GeometrySpec>> calls;
    scanGeometryMarkers(
        children, [&](std::int32_t id, const GeometrySpec& spec) { calls.emplace_back(id, spec); });

    auto specOf = [](const char* text) {
        GeometrySpec spec;
        parseGeometrySpec(text, spec);
        return spec;
    };
    // Markers are never registered themselves, though 101 and 102 lie inside 100.
    const std::vector<std::pair<std::int32_t, GeometrySpec>> expected = {
        {1, specOf("CX+CY")}, {2, specOf("CX+CY")}, {4, specOf("CX+CY")},
        {2, specOf("X+Y")},   {4, GeometrySpec{}},
    };
    EXPECT_EQ(calls, expected);

    // Fed into a layout, the second registration of 2 and 4 replaces the first.
    GeometryLayout layout(GeometryHostKind::propertySheet);
    for (const auto& [id, spec] : calls) {
        layout.addGeometry(id, spec, nullptr);
    }
    ASSERT_EQ(layout.controls().size(), 3u);
    EXPECT_EQ(layout.controls()[1].spec, specOf("X+Y"));
    EXPECT_EQ(layout.controls()[2].spec, GeometrySpec{});
}

TEST(GeometryMarkers, OnlyTheFirst255CharactersOfACaptionAreRead) {
    const std::string padding(kGeometryCaptionMaxLength - kGeometryMarkerPrefix.size(), '+');
    std::vector<GeometryChild> children = {
        marker(100, std::string(kGeometryMarkerPrefix) + padding + "X", {0, 0, 100, 100}),
        control(1, {10, 10, 20, 20}),
    };
    std::vector<GeometrySpec> specs;
    scanGeometryMarkers(children,
                        [&](std::int32_t, const GeometrySpec& spec) { specs.push_back(spec); });
    ASSERT_EQ(specs.size(), 1u);
    EXPECT_EQ(specs[0].flags, 0u);
}

}  // namespace
}  // namespace scoutwell
