#include "core/camera_3d.h"

#include "core/hitbox_scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dm {

namespace {

// Within one turn either way, exactly; an angle that is no number counts as 0.
double withinOneTurn(double degrees) {
    return std::isfinite(degrees) ? std::fmod(degrees, 360.0) : 0.0;
}

// Exact at multiples of 90 degrees, so the straight views have no rounding noise. Takes angles
// within one and a quarter turns either way.
double sinDegrees(double degrees) {
    const double quarterTurns = degrees / 90.0;
    if (quarterTurns == std::round(quarterTurns)) {
        constexpr double kQuarterSines[] = {0.0, 1.0, 0.0, -1.0};
        const auto index = static_cast<int>(quarterTurns);
        return kQuarterSines[((index % 4) + 4) % 4];
    }
    return std::sin(degrees * std::numbers::pi / 180.0);
}

double cosDegrees(double degrees) {
    return sinDegrees(degrees + 90.0);
}

double dot(const std::array<double, 3>& axis, double x, double y, double z) {
    return axis[0] * x + axis[1] * y + axis[2] * z;
}

// Pan stays far inside the painter's safe range; the rest of it is left to the points.
constexpr double kFarPan = kFarPixel / 8.0;

} // namespace

Projection::Projection(const Camera3d& camera, int width, int height) : zoom_(camera.zoom) {
    const double yaw = withinOneTurn(camera.yaw);
    const double pitch = withinOneTurn(camera.pitch);
    const double sy = sinDegrees(yaw);
    const double cy = cosDegrees(yaw);
    const double sp = sinDegrees(pitch);
    const double cp = cosDegrees(pitch);
    // Looking horizontally along (sin yaw, cos yaw, 0), then tilted down by the pitch.
    right_ = {cy, -sy, 0.0};
    up_ = {sp * sy, sp * cy, cp};
    forward_ = {cp * sy, cp * cy, -sp};
    originX_ = width / 2 + std::clamp(camera.panX, -kFarPan, kFarPan);
    originY_ = height / 2 + std::clamp(camera.panY, -kFarPan, kFarPan);
    // |x| + |y| + |z| <= 3 farFeet keeps every projection within half of kFarPixel.
    farFeet_ = kFarPixel / (6.0 * std::max(zoom_, kSmallestZoom));
}

ScreenPoint Projection::project(double x, double y, double z) const {
    return {static_cast<float>(originX_ + zoom_ * dot(right_, x, y, z)),
            static_cast<float>(originY_ - zoom_ * dot(up_, x, y, z))};
}

double Projection::depth(double x, double y, double z) const {
    return dot(forward_, x, y, z);
}

void turnCamera(Camera3d& camera, double dx, double dy) {
    constexpr double kDegreesPerPixel = 0.5;
    camera.yaw = std::remainder(camera.yaw + dx * kDegreesPerPixel, 360.0);
    camera.pitch = std::clamp(camera.pitch + dy * kDegreesPerPixel, -90.0, 90.0);
}

void panCamera(Camera3d& camera, double dx, double dy) {
    camera.panX = std::clamp(camera.panX + dx, -kFarPan, kFarPan);
    camera.panY = std::clamp(camera.panY + dy, -kFarPan, kFarPan);
}

void zoomCameraAround(Camera3d& camera, double factor, double px, double py, int width,
                      int height) {
    const double zoom = std::clamp(camera.zoom * factor, kSmallestZoom, kLargestZoom);
    const double scale = zoom / camera.zoom;
    // The origin moves away from the pointer by the same factor as everything else.
    const double fromPointerX = width / 2 + camera.panX - px;
    const double fromPointerY = height / 2 + camera.panY - py;
    camera.zoom = zoom;
    camera.panX = 0;
    camera.panY = 0;
    panCamera(camera, px + fromPointerX * scale - width / 2,
              py + fromPointerY * scale - height / 2);
}

double fittingZoom(const PartTable& table, const Camera3d& camera, int width, int height) {
    Camera3d unit = camera;
    unit.zoom = 1;
    unit.panX = 0;
    unit.panY = 0;
    const Projection view(unit, 0, 0);
    // The farthest corner from the origin across and up, in feet of the picture.
    double across = 0;
    double up = 0;
    for (const PartRecord& p : table) {
        for (const float x : {p.PX1, p.PX2})
            for (const float y : {p.PY1, p.PY2})
                for (const float z : {p.PZ1, p.PZ2}) {
                    const ScreenPoint at = view.project(x, y, z);
                    if (std::isfinite(at.x) && std::isfinite(at.y)) {
                        across = std::max(across, double{std::abs(at.x)});
                        up = std::max(up, double{std::abs(at.y)});
                    }
                }
    }
    constexpr double kFilled = 0.9;
    double zoom = kStartZoom;
    if (across > 0)
        zoom = std::min(zoom, kFilled * width / 2 / across);
    if (up > 0)
        zoom = std::min(zoom, kFilled * height / 2 / up);
    return std::clamp(zoom, kSmallestZoom, kStartZoom);
}

} // namespace dm
