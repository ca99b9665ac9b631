#include "common/WorkArea.h"

#include <algorithm>
#include <optional>

#include "platform/Screen.h"

namespace platform {

namespace {

struct Room {
    int width = 0;
    int height = 0;
};

Room& roomNeeded() {
    static Room room;
    return room;
}

}  // namespace

void Screen::setRoomNeeded(int widthPixels, int heightPixels) {
    roomNeeded() = Room{std::max(0, widthPixels), std::max(0, heightPixels)};
}

int Screen::roomNeededWidth() { return roomNeeded().width; }
int Screen::roomNeededHeight() { return roomNeeded().height; }

namespace workarea {

namespace {

// `reported` clipped to the monitor when that leaves the room needed; nothing otherwise.
std::optional<Rect> clippedWhenSane(const Rect& reported, int monitorWidth, int monitorHeight,
                                    int neededWidth, int neededHeight) {
    // Widened before the comparisons: a desktop may publish any 32-bit figures.
    const long long left = std::max<long long>(reported.left, 0);
    const long long top = std::max<long long>(reported.top, 0);
    const long long right = std::min<long long>(reported.right, std::max(0, monitorWidth));
    const long long bottom = std::min<long long>(reported.bottom, std::max(0, monitorHeight));
    const long long needW = std::max(1, neededWidth);
    const long long needH = std::max(1, neededHeight);
    if (right - left < needW || bottom - top < needH) return std::nullopt;
    return Rect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                static_cast<int>(bottom)};
}

}  // namespace

bool isSane(const Rect& reported, int monitorWidth, int monitorHeight, int neededWidth,
            int neededHeight) {
    return clippedWhenSane(reported, monitorWidth, monitorHeight, neededWidth, neededHeight)
        .has_value();
}

Rect trusted(const Rect& reported, int monitorWidth, int monitorHeight, int neededWidth,
             int neededHeight) {
    return clippedWhenSane(reported, monitorWidth, monitorHeight, neededWidth, neededHeight)
        .value_or(Rect{0, 0, std::max(0, monitorWidth), std::max(0, monitorHeight)});
}

int cappedScale(int scale, int areaWidth, int areaHeight, int neededWidth, int neededHeight) {
    int capped = std::max(1, scale);
    if (neededWidth > 0) capped = std::min(capped, areaWidth / neededWidth);
    if (neededHeight > 0) capped = std::min(capped, areaHeight / neededHeight);
    return std::max(1, capped);
}

}  // namespace workarea

}  // namespace platform
