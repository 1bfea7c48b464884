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

// Moves the rectangle back inside the screen's right and bottom edges; left and top are left alone.
Placement clampToScreen(Placement placement, int screenWidth, int screenHeight);

} // namespace dm
