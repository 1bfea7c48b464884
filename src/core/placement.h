#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// A window's placement as the settings file keeps it: flags and show state as the window system
// reports them (show state 1 normal, 2 minimised, 3 maximised) and the outer rectangle of the
// window's normal state; width is right - left, height bottom - top.
struct Placement {
    int flags = 0;
    int showState = 1;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const Placement&) const = default;
};

constexpr int kPlacementFlagRestoreToMaximized = 2;
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

// Splits at every ","; a comma at the very end adds no field and the empty value has none.
std::vector<std::string> splitPlacementFields(std::string_view value);

// "200,flags,show,left,top,right,bottom".
std::string formatPlacement(const Placement& placement);

// The stored value, or nothing when it does not have seven fields led by "200". Flags and show
// state are read only when `withState` is set; otherwise they stay as in `current`, and so does
// everything a stored value does not give. A field that is not an integer raises ConvertError.
std::optional<Placement> parsePlacement(std::string_view value, bool withState,
                                        const Placement& current);

// What a stored rectangle is fitted to: the primary screen, the largest size a window may take
// (the work area) and the smallest (the window's minimum).
struct PlacementLimits {
    int screenWidth = 0;
    int screenHeight = 0;
    int maximumWidth = 0;
    int maximumHeight = 0;
    int minimumWidth = 0;
    int minimumHeight = 0;
};

// How much of a window's title bar stays on the screen, so that the user can reach it.
constexpr int kReachableTitleWidth = 50;

// Makes a stored rectangle safe to use: its size is brought within the limits, it moves back
// inside the screen's right and bottom edges, and its title bar's top edge and at least
// kReachableTitleWidth pixels of it lie on the screen. A rectangle within all that is unchanged.
Placement fitToScreen(const Placement& placement, const PlacementLimits& limits);

// A part of the screen in screen coordinates, such as its work area.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The placement with its rectangle inside `area`: shrunk to the area's size where larger, then
// moved in by as little as it takes. Flags and show state stay.
Placement insideArea(const Placement& placement, const ScreenArea& area);

} // namespace dm
