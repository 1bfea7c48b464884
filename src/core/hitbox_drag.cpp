#include "core/hitbox_drag.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace dm {
namespace {

using FloatField = float PartRecord::*;

FloatField acrossField(HitBoxView view, int point) {
    static constexpr std::array<FloatField, 3> top{&PartRecord::PX1, &PartRecord::PX2,
                                                   &PartRecord::PX3};
    static constexpr std::array<FloatField, 3> side{&PartRecord::PZ1, &PartRecord::PZ2,
                                                    &PartRecord::PZ3};
    return (view == HitBoxView::Top ? top : side)[point - 1];
}

FloatField upField(int point) {
    static constexpr std::array<FloatField, 3> up{&PartRecord::PY1, &PartRecord::PY2,
                                                  &PartRecord::PY3};
    return up[point - 1];
}

double roundTo(double value, double step) {
    return std::round(value / step) * step;
}

// The change that moves `start` by about `delta` feet under the snap rule.
// An axis the pointer did not move along keeps its value, on the grid or not.
// A value that is not finite has no place on the grid: it moves by the rounded delta instead.
double snappedChange(float start, double delta, Snap snap) {
    if (delta == 0)
        return 0;
    if (!snap.onGrid || !std::isfinite(start))
        return roundTo(delta, snap.step);
    return roundTo(start + delta, snap.step) - start;
}

// An infinite or NaN value stays as it is, bit for bit.
void changeBy(PartRecord& record, FloatField field, double change) {
    if (change != 0 && std::isfinite(record.*field))
        record.*field = static_cast<float>(record.*field + change);
}

// Which of the box's two edges along one axis the pointer is on: 1 the `first`, 2 the `second`.
int edgeNear(int pointer, int first, int second) {
    if (std::abs(second - first) <= 3 * kGripPixels)
        return 0; // too narrow to keep a middle for moving
    const int toFirst = std::abs(pointer - first);
    const int toSecond = std::abs(pointer - second);
    if (std::min(toFirst, toSecond) > kGripPixels)
        return 0;
    return toFirst <= toSecond ? 1 : 2;
}

GripShape shapeOf(const DragGrip& grip, const DrawOp& box) {
    if (grip.acrossPoint == 0)
        return GripShape::Vertical;
    if (grip.upPoint == 0)
        return GripShape::Horizontal;
    // The box's `from` corner is point 1 across and PY2 up; `to` is point 2 across and PY1 up.
    const int cornerX = grip.acrossPoint == 1 ? box.from.x : box.to.x;
    const int otherX = grip.acrossPoint == 1 ? box.to.x : box.from.x;
    const int cornerY = grip.upPoint == 2 ? box.from.y : box.to.y;
    const int otherY = grip.upPoint == 2 ? box.to.y : box.from.y;
    return (cornerX < otherX) == (cornerY < otherY) ? GripShape::FallingDiagonal
                                                    : GripShape::RisingDiagonal;
}

} // namespace

namespace {

// The grip on one drawn rectangle at `point`: an edge or corner within kGripPixels, the marker, or
// the middle; none when the rectangle is out of reach.
std::optional<DragGrip> gripOn(const DrawOp& op, PixelPoint point) {
    if (op.shape != ShapeKind::Rectangle || op.slot < 0)
        return std::nullopt;
    const bool inside = rectanglePixels(op).contains(point);
    DragGrip grip{op.slot};
    if (op.layer == SceneLayer::Marker) {
        if (!inside)
            return std::nullopt;
        grip.kind = GripKind::ThirdPoint;
        grip.shape = GripShape::Point;
        return grip;
    }
    const auto within = [](int at, int first, int second) {
        return at >= std::min(first, second) - kGripPixels &&
               at <= std::max(first, second) + kGripPixels;
    };
    if (!inside && !(within(point.x, op.from.x, op.to.x) && within(point.y, op.from.y, op.to.y)))
        return std::nullopt;
    grip.acrossPoint = edgeNear(point.x, op.from.x, op.to.x);
    const int upEdge = edgeNear(point.y, op.from.y, op.to.y);
    grip.upPoint = upEdge == 0 ? 0 : 3 - upEdge; // `from` is PY2, `to` is PY1
    if (grip.acrossPoint != 0 || grip.upPoint != 0) {
        grip.kind = GripKind::Edges;
        grip.shape = shapeOf(grip, op);
    } else if (!inside) {
        return std::nullopt;
    }
    return grip;
}

// Every grip within reach, topmost first.
std::vector<DragGrip> gripsAt(const std::vector<DrawOp>& scene, PixelPoint point) {
    std::vector<DragGrip> grips;
    for (auto op = scene.rbegin(); op != scene.rend(); ++op)
        if (const auto grip = gripOn(*op, point))
            grips.push_back(*grip);
    return grips;
}

} // namespace

std::optional<DragGrip> gripAt(const std::vector<DrawOp>& scene, PixelPoint point,
                               int preferredSlot) {
    const std::vector<DragGrip> grips = gripsAt(scene, point);
    for (const DragGrip& grip : grips)
        if (grip.slot == preferredSlot)
            return grip;
    for (const DragGrip& grip : grips)
        if (grip.kind != GripKind::Move)
            return grip;
    if (grips.empty())
        return std::nullopt;
    return grips.front();
}

std::vector<int> slotsAt(const std::vector<DrawOp>& scene, PixelPoint point) {
    std::vector<int> slots;
    for (const DragGrip& grip : gripsAt(scene, point))
        if (std::find(slots.begin(), slots.end(), grip.slot) == slots.end())
            slots.push_back(grip.slot);
    return slots;
}

std::optional<int> nextInStack(const std::vector<DrawOp>& scene, PixelPoint point, int current) {
    const std::vector<int> stack = slotsAt(scene, point);
    if (stack.empty())
        return std::nullopt;
    const auto at = std::find(stack.begin(), stack.end(), current);
    if (at == stack.end() || std::next(at) == stack.end())
        return stack.front();
    return *std::next(at);
}

PartRecord draggedRecord(const PartRecord& start, const DragGrip& grip, HitBoxView view,
                         PixelPoint delta, int zoom, Snap snap) {
    if (zoom <= 0)
        return start;
    const double across = -static_cast<double>(delta.x) / zoom;
    const double up = -static_cast<double>(delta.y) / zoom;
    PartRecord record = start;
    switch (grip.kind) {
    case GripKind::Move:
        // Point 1 snaps; the other points keep their distance to it.
        return shiftedRecord(start, view, snappedChange(start.*acrossField(view, 1), across, snap),
                             snappedChange(start.*upField(1), up, snap));
    case GripKind::ThirdPoint:
        changeBy(record, acrossField(view, 3),
                 snappedChange(start.*acrossField(view, 3), across, snap));
        changeBy(record, upField(3), snappedChange(start.*upField(3), up, snap));
        return record;
    case GripKind::Edges:
        if (grip.acrossPoint != 0) {
            const FloatField field = acrossField(view, grip.acrossPoint);
            changeBy(record, field, snappedChange(start.*field, across, snap));
        }
        if (grip.upPoint != 0) {
            const FloatField field = upField(grip.upPoint);
            changeBy(record, field, snappedChange(start.*field, up, snap));
        }
        return record;
    }
    return record;
}

PartRecord shiftedRecord(const PartRecord& start, HitBoxView view, double acrossFeet,
                         double upFeet) {
    PartRecord record = start;
    for (int point = 1; point <= 3; ++point) {
        changeBy(record, acrossField(view, point), acrossFeet);
        changeBy(record, upField(point), upFeet);
    }
    return record;
}

} // namespace dm
