// Where the main frame opens and what it stores when it closes: the remembered position
// and size checked against the screen. No Qt here, so the rules can be tested alone.
//
//   FramePlacement p = framePlacementFromSettings(store, screenWidth, screenHeight);
//   if (p.x != kLetSystemChoose) move(p.x, p.y);
//   ...
//   saveFramePlacement(store, maximized, positionKnown, normalLeft, normalTop, normalWidth,
//                      normalHeight);
#pragma once

#include <cstdint>
#include <vector>

#include "app/core/Settings.h"
#include "criteria/core/GeometryLayout.h"

namespace scoutwell {

// Each field is kLetSystemChoose where the window system decides.
struct FramePlacement {
    std::int32_t x = kLetSystemChoose;
    std::int32_t y = kLetSystemChoose;
    std::int32_t width = kLetSystemChoose;
    std::int32_t height = kLetSystemChoose;
};

// The placement for a screen whose right and bottom edges are given; all system choices
// when RememberWindowSize is off.
FramePlacement framePlacementFromSettings(const SettingsStore& store, std::int32_t desktopRight,
                                          std::int32_t desktopBottom);

// Stores the restored rectangle (also when maximized) and the maximized state, when
// RememberWindowSize is on. A window system that keeps windows' positions to itself
// (Wayland) reports every window at 0,0: there `positionKnown` is false and the stored
// position stays as it was, for the next session that can place the window.
void saveFramePlacement(SettingsStore& store, bool maximized, bool positionKnown, std::int32_t left,
                        std::int32_t top, std::int32_t width, std::int32_t height);

// The width of the file list when a search window is made: the stored one, or half the
// window's width when it is missing or less than 1.
std::int32_t initialFileListWidth(std::int32_t storedWidth, std::int32_t creationWidth);

// A search window's rectangle inside the main window's work area.
using WindowRect = GeometryPlacement;

// Window > Tile for `count` windows that need at least minimumWidth x minimumHeight: as
// many columns as fit windows of that width (one at least), rows of equal height, and the
// windows of a last, shorter row sharing its width. Rows that do not fit at the minimum
// height overlap evenly from the top of the area to its bottom. A window is never
// narrower than its minimum, so the area's width is the most one is given beyond it.
std::vector<WindowRect> tileWindows(int count, std::int32_t areaWidth, std::int32_t areaHeight,
                                    std::int32_t minimumWidth, std::int32_t minimumHeight);

// Window > Cascade: each window `step` pixels right of and below the one before, all of
// one size that reaches the area's bottom right corner from the last one's position; the
// steps shrink where windows of the minimum size would otherwise leave the area.
std::vector<WindowRect> cascadeWindows(int count, std::int32_t areaWidth, std::int32_t areaHeight,
                                       std::int32_t minimumWidth, std::int32_t minimumHeight,
                                       std::int32_t step);

}  // namespace scoutwell
