#pragma once

#include "core/damage_file.h"

#include <array>

namespace dm {

// The 3-D view's camera: an orthographic view of the aircraft axes, never mirrored.
//
// Yaw 0 and pitch 0 look from behind (nose into the picture, +z up, +x right); pitch 90 looks
// straight down with the nose up the picture; yaw turns around the vertical axis.
// Any angle is safe: it counts modulo 360, and one that is infinite or NaN counts as 0.

constexpr double kStartYaw = 30.0;
constexpr double kStartPitch = 20.0;
constexpr double kStartZoom = 10.0; // pixels per foot, the views' 100%
constexpr double kSmallestZoom = 0.5;
constexpr double kLargestZoom = 200.0;

struct Camera3d {
    double yaw = kStartYaw;     // degrees
    double pitch = kStartPitch; // degrees, -90 (from below) to 90 (from above)
    double zoom = kStartZoom;   // pixels per foot
    double panX = 0.0;          // pixels from the picture's centre to the origin
    double panY = 0.0;
    friend bool operator==(const Camera3d&, const Camera3d&) = default;
};

struct ScreenPoint {
    float x = 0;
    float y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Where a point in feet lands in a picture of `width` x `height`, and how far behind the picture
// plane it lies (larger is farther).
struct Projection {
    Projection(const Camera3d& camera, int width, int height);
    ScreenPoint project(double x, double y, double z) const;
    double depth(double x, double y, double z) const;
    // Whether the side of a box facing along +axis (sign 1) or -axis (sign -1) faces the viewer.
    bool facesViewer(int axis, int sign) const { return sign * forward_[axis] < 0; }
    // Coordinates are clamped to this many feet, so every projected point stays well inside the
    // range a painter clips correctly while the visible picture is unchanged.
    double farFeet() const { return farFeet_; }

private:
    std::array<double, 3> right_;
    std::array<double, 3> up_;
    std::array<double, 3> forward_;
    double zoom_;
    double originX_;
    double originY_;
    double farFeet_;
};

// Mouse gestures, in pixels of the picture.
void turnCamera(Camera3d& camera, double dx, double dy);
void panCamera(Camera3d& camera, double dx, double dy);
// Multiplies the zoom by `factor` within its limits, keeping what lies under (px, py) in place.
void zoomCameraAround(Camera3d& camera, double factor, double px, double py, int width, int height);

// The zoom at which every box seen from the camera's angle fits in the middle nine tenths of the
// picture around the origin, but never more than kStartZoom.
double fittingZoom(const PartTable& table, const Camera3d& camera, int width, int height);

} // namespace dm
