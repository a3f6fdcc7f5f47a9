#include "views/FramePlacement.h"

#include <algorithm>

namespace scoutwell {

namespace {

// Positions and extents are widened before any arithmetic: a damaged stored value near
// the integer limits must be rejected, not wrap round into range.
constexpr std::int64_t kVisibleMargin = 100;
constexpr std::int64_t kOffScreenTolerance = -20;
constexpr std::int32_t kSmallestExtent = 30;

bool positionFits(std::int32_t position, std::int32_t screenEdge) {
    const std::int64_t p = position;
    return p + kVisibleMargin < screenEdge && p > kOffScreenTolerance;
}

}  // namespace

FramePlacement framePlacementFromSettings(const SettingsStore& store, std::int32_t desktopRight,
                                          std::int32_t desktopBottom) {
    FramePlacement placement;
    if (!rememberWindowSize(store))
        return placement;

    const std::int32_t x = readSetting(store, kFrameX);
    const std::int32_t y = readSetting(store, kFrameY);
    if (x != kLetSystemChoose && y != kLetSystemChoose) {
        placement.x = positionFits(x, desktopRight) ? x : kLetSystemChoose;
        placement.y = y;
        if (!positionFits(y, desktopBottom)) {
            placement.x = kLetSystemChoose;
            placement.y = kLetSystemChoose;
        }
    }

    const std::int32_t w = readSetting(store, kFrameWidth);
    const std::int32_t h = readSetting(store, kFrameHeight);
    if (w == kLetSystemChoose || h == kLetSystemChoose)
        return placement;
    placement.width = w <= kSmallestExtent ? kLetSystemChoose : std::min(w, desktopRight);
    placement.height = h <= kSmallestExtent ? kLetSystemChoose : std::min(h, desktopBottom);
    if (placement.height == kLetSystemChoose)
        placement.width = kLetSystemChoose;
    return placement;
}

void saveFramePlacement(SettingsStore& store, bool maximized, bool positionKnown, std::int32_t left,
                        std::int32_t top, std::int32_t width, std::int32_t height) {
    if (!rememberWindowSize(store))
        return;
    writeSetting(store, kFrameMaximized, maximized ? 1 : 0);
    writeSetting(store, kFrameWidth, width);
    writeSetting(store, kFrameHeight, height);
    if (!positionKnown)
        return;
    writeSetting(store, kFrameX, left);
    writeSetting(store, kFrameY, top);
}

std::int32_t initialFileListWidth(std::int32_t storedWidth, std::int32_t creationWidth) {
    return storedWidth < 1 ? creationWidth / 2 : storedWidth;
}

}  // namespace scoutwell
