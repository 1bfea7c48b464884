#pragma once

#include "core/hitbox_scene.h"

#include <array>
#include <string>
#include <string_view>

namespace dm {

constexpr int kDefaultBackgroundOpacity = 50;

// A plan picture under a flat view: drawn to scale, so that boxes can be fitted to its outline.
struct BackgroundPicture {
    std::string file; // UTF-8 path
    double widthFeet = 0;
    // Feet, in the order the view names them: x, y from above; y, z from the side.
    std::array<double, 2> centre{};
    int opacityPercent = kDefaultBackgroundOpacity;
    bool mirrored = false; // left and right swapped
    friend bool operator==(const BackgroundPicture&, const BackgroundPicture&) = default;
};

// A width and each centre coordinate stay within this many feet.
constexpr double kLargestBackgroundFeet = 10000;
// A width below this shows nothing but a dot even at the largest zoom.
constexpr double kSmallestBackgroundWidth = 0.01;

// "x", "y" from above; "y", "z" from the side.
std::array<const char*, 2> centreAxisNames(HitBoxView view);
// From above, a plan drawn with the right wing on the right must be mirrored to match the view.
constexpr bool mirroredByDefault(HitBoxView view) {
    return view == HitBoxView::Top;
}

// The typed values, '.' or ',' as the decimal mark. Each raises DamageError naming the bad text.
double parseBackgroundWidth(std::string_view text);
double parseBackgroundCentre(std::string_view text, std::string_view axis);
int parseBackgroundOpacity(std::string_view text);

// Where the whole picture lies in a view's pixels (it may reach far past them); a mirrored
// picture is drawn flipped within this rectangle.
struct PictureFrame {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool mirrored = false;
};

// A picture of `pixelWidth` x `pixelHeight` pixels in the view that `view` describes (size, zoom
// and top or side): feet map to pixels as the boxes do, feet (0, 0) on the middle of the axes'
// pixels. With a zoom of 0 the frame is empty.
PictureFrame pictureFrame(const BackgroundPicture& picture, int pixelWidth, int pixelHeight,
                          const SceneRequest& view);

// The picture moved by a drag of (dx, dy) pixels: its centre follows the pointer in feet.
BackgroundPicture movedByPixels(BackgroundPicture picture, PixelPoint drag,
                                const SceneRequest& view);
// The picture scaled by `factor` around the point under `pointer`, which stays where it is. The
// width stays within its limits; a step that would leave them scales only as far as they allow.
BackgroundPicture scaledAround(BackgroundPicture picture, double factor, PixelPoint pointer,
                               const SceneRequest& view);

// Settings: one line per damage file name (without its folder) and view, in one section.
constexpr const char* kBackgroundSection = "Background Pictures";
std::string backgroundSettingsKey(std::string_view damageFile, HitBoxView view);
std::string backgroundSettingsLine(const BackgroundPicture& picture);
// Raises DamageError for a line that is not of backgroundSettingsLine's form.
BackgroundPicture parseBackgroundSettingsLine(std::string_view line);

} // namespace dm
