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

std::vector<WindowRect> tileWindows(int count, std::int32_t areaWidth, std::int32_t areaHeight,
                                    std::int32_t minimumWidth, std::int32_t minimumHeight) {
    std::vector<WindowRect> rects;
    if (count <= 0)
        return rects;
    areaWidth = std::max(areaWidth, 1);
    areaHeight = std::max(areaHeight, 1);
    const int fitting = minimumWidth > 0 ? areaWidth / minimumWidth : count;
    const int columns = std::clamp(fitting, 1, count);
    const int rows = (count + columns - 1) / columns;
    const std::int32_t rowHeight = std::max(areaHeight / rows, minimumHeight);
    // Rows of the minimum height that do not fit overlap, the last one at the bottom.
    const std::int32_t rowStep =
        rows > 1 && rowHeight * rows > areaHeight
            ? std::max<std::int32_t>(0, (areaHeight - rowHeight) / (rows - 1))
            : rowHeight;
    for (int row = 0; row < rows; ++row) {
        const int inRow = std::min(columns, count - row * columns);
        const std::int32_t width = std::max(areaWidth / inRow, minimumWidth);
        for (int column = 0; column < inRow; ++column) {
            // The last window of a row takes the pixels the division left over.
            const std::int32_t x = column * (areaWidth / inRow);
            const std::int32_t w =
                column == inRow - 1 ? std::max(areaWidth - x, minimumWidth) : width;
            rects.push_back({x, row * rowStep, w, rowHeight});
        }
    }
    return rects;
}

std::vector<WindowRect> cascadeWindows(int count, std::int32_t areaWidth, std::int32_t areaHeight,
                                       std::int32_t minimumWidth, std::int32_t minimumHeight,
                                       std::int32_t step) {
    std::vector<WindowRect> rects;
    if (count <= 0)
        return rects;
    std::int32_t stepX = std::max(step, 0);
    std::int32_t stepY = stepX;
    if (count > 1) {
        stepX = std::clamp((areaWidth - minimumWidth) / (count - 1), 0, stepX);
        stepY = std::clamp((areaHeight - minimumHeight) / (count - 1), 0, stepY);
    }
    const std::int32_t width = std::max(areaWidth - stepX * (count - 1), minimumWidth);
    const std::int32_t height = std::max(areaHeight - stepY * (count - 1), minimumHeight);
    for (int i = 0; i < count; ++i)
        rects.push_back({i * stepX, i * stepY, width, height});
    return rects;
}

}  // namespace scoutwell
