#include "core/hitbox_scene_3d.h"

#include "core/part_slots.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace dm {

namespace {

using namespace colours;

constexpr int kBoxPenWidth = 2;
constexpr int kAxisPenWidth = 2;
constexpr int kSmallestReach = 5;
constexpr float kLabelOffset = 12.0f; // pixels between a tick or an axis tip and its label
// A label's room as the painter centres it, generous for the views' font.
constexpr float kLabelCharWidth = 8.0f;
constexpr float kLabelHeight = 16.0f;

struct Box {
    std::array<double, 3> low;
    std::array<double, 3> high;
};

bool anyNan(std::initializer_list<float> values) {
    return std::any_of(values.begin(), values.end(), [](float v) { return std::isnan(v); });
}

// The axes' foot scale is labelled every 5 or 10 feet, on grid lines, or every twice, four
// times... as many where the labels would crowd each other.
constexpr float kLabelSpacing = 40.0f; // pixels between two labels at least

int firstLabelStep(int gridFeet) {
    if (gridFeet >= 5)
        return gridFeet;
    return 5 % gridFeet == 0 ? 5 : 10;
}

class Scene3dWriter {
public:
    Scene3dWriter(const Scene3dRequest& request, std::vector<DrawOp3d>& ops)
        : ops_(ops), view_(request.camera, request.width, request.height),
          step_(std::max(request.gridFeet, 1)), current_(request.current) {}

    void collectBoxes(const PartTable& table) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const PartRecord& p = table[slot];
            if (anyNan({p.PX1, p.PY1, p.PZ1, p.PX2, p.PY2, p.PZ2}))
                continue;
            const std::array<double, 3> one{clamped(p.PX1), clamped(p.PY1), clamped(p.PZ1)};
            const std::array<double, 3> two{clamped(p.PX2), clamped(p.PY2), clamped(p.PZ2)};
            Box box;
            for (int axis = 0; axis < 3; ++axis) {
                box.low[axis] = std::min(one[axis], two[axis]);
                box.high[axis] = std::max(one[axis], two[axis]);
                extent_[axis] = std::max({extent_[axis], -box.low[axis], box.high[axis]});
            }
            boxes_[slot] = box;
        }
        for (int axis = 0; axis < 3; ++axis)
            reach_[axis] = reachFor(extent_[axis]);
    }

    void grid() {
        const double rx = reach_[0];
        const double ry = reach_[1];
        for (double x = -rx; x <= rx; x += step_)
            line(Layer3d::Grid, silver, 1, {x, -ry, 0}, {x, ry, 0});
        for (double y = -ry; y <= ry; y += step_)
            line(Layer3d::Grid, silver, 1, {-rx, y, 0}, {rx, y, 0});
    }

    void faces() {
        for (int slot = 0; slot < kSlotCount; ++slot)
            if (boxes_[slot])
                boxFaces(slot, *boxes_[slot]);
    }

    // Each axis in steps of the grid, so that every piece sorts at its own depth.
    void axes() {
        static constexpr const char* kNames[] = {"x", "y", "z"};
        // The names first: a foot label that would cover one is left out.
        for (int axis = 0; axis < 3; ++axis) {
            const int reach = reach_[axis];
            const ScreenPoint tip = project(along(axis, reach));
            const ScreenPoint before = project(along(axis, reach - step_));
            label(kNames[axis], along(axis, reach), beyond(before, tip));
        }
        for (int axis = 0; axis < 3; ++axis) {
            const int reach = reach_[axis];
            for (int feet = 0; feet < reach; feet += step_)
                line(Layer3d::Axis, black, kAxisPenWidth, along(axis, feet),
                     along(axis, std::min(feet + step_, reach)));
            const int every = labelStep(axis);
            for (int feet = every; feet <= reach; feet += every)
                label(std::to_string(feet) + " ft", along(axis, feet),
                      {kLabelOffset, kLabelOffset});
        }
    }

    void sortByDepth(std::size_t first) {
        std::stable_sort(ops_.begin() + static_cast<std::ptrdiff_t>(first), ops_.end(),
                         [](const DrawOp3d& a, const DrawOp3d& b) { return a.depth > b.depth; });
    }

    void markers(const PartTable& table) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            const PartRecord& p = table[slot];
            const auto& fill = kPartSlots[slot].view.marker;
            if (!fill || anyNan({p.PX3, p.PY3, p.PZ3}))
                continue;
            const std::array<double, 3> point{clamped(p.PX3), clamped(p.PY3), clamped(p.PZ3)};
            DrawOp3d& op = add(Shape3d::Marker, Layer3d::Marker, silver, 1, point);
            op.points[0] = project(point);
            op.fill = fill;
            op.slot = slot;
        }
    }

private:
    using Point = std::array<double, 3>;

    double clamped(float feet) const {
        return std::clamp(static_cast<double>(feet), -view_.farFeet(), view_.farFeet());
    }

    // Whole grid steps beyond the boxes, within limits.
    int reachFor(double extent) const {
        const double wanted = std::clamp(extent, double{kSmallestReach}, double{kLargestGridReach});
        const int steps = static_cast<int>(std::ceil(wanted / step_));
        return std::min(steps * step_, kLargestGridReach / step_ * step_);
    }

    // An axis seen end on gets no foot labels at all: its step outgrows its reach.
    int labelStep(int axis) const {
        const ScreenPoint origin = project(along(axis, 0));
        int every = firstLabelStep(step_);
        while (every <= reach_[axis]) {
            const ScreenPoint next = project(along(axis, every));
            if (std::hypot(next.x - origin.x, next.y - origin.y) >= kLabelSpacing)
                break;
            every *= 2;
        }
        return every;
    }

    static Point along(int axis, double feet) {
        Point point{0, 0, 0};
        point[axis] = feet;
        return point;
    }

    ScreenPoint project(const Point& p) const { return view_.project(p[0], p[1], p[2]); }
    float depth(const Point& p) const { return static_cast<float>(view_.depth(p[0], p[1], p[2])); }

    // Continues the axis from `before` through `tip`; straight on, the label goes up and right.
    static ScreenPoint beyond(ScreenPoint before, ScreenPoint tip) {
        const float dx = tip.x - before.x;
        const float dy = tip.y - before.y;
        const float length = std::hypot(dx, dy);
        if (length < 1.0f)
            return {kLabelOffset, -kLabelOffset};
        return {dx / length * kLabelOffset, dy / length * kLabelOffset};
    }

    DrawOp3d& add(Shape3d shape, Layer3d layer, Rgb pen, int width, const Point& at) {
        DrawOp3d& op = ops_.emplace_back();
        op.shape = shape;
        op.layer = layer;
        op.pen = pen;
        op.penWidth = width;
        op.depth = depth(at);
        return op;
    }

    void line(Layer3d layer, Rgb pen, int width, const Point& from, const Point& to) {
        const Point middle{(from[0] + to[0]) / 2, (from[1] + to[1]) / 2, (from[2] + to[2]) / 2};
        DrawOp3d& op = add(Shape3d::Line, layer, pen, width, middle);
        op.points[0] = project(from);
        op.points[1] = project(to);
    }

    // A label that would overlap one already placed is left out.
    void label(std::string text, const Point& at, ScreenPoint offset) {
        const ScreenPoint anchor = project(at);
        const ScreenPoint centre{anchor.x + offset.x, anchor.y + offset.y};
        const float halfWidth = kLabelCharWidth * static_cast<float>(text.size()) / 2;
        for (const auto& [other, otherHalfWidth] : labels_)
            if (std::abs(centre.x - other.x) < halfWidth + otherHalfWidth &&
                std::abs(centre.y - other.y) < kLabelHeight)
                return;
        labels_.emplace_back(centre, halfWidth);
        DrawOp3d& op = add(Shape3d::Label, Layer3d::Axis, black, 1, at);
        op.points[0] = centre;
        op.text = std::move(text);
    }

    // Six faces, or one where the box is flat across them: a flat face is drawn once.
    void boxFaces(int slot, const Box& box) {
        const SlotStyle& style = kPartSlots[slot].view;
        for (int axis = 0; axis < 3; ++axis) {
            const int b = (axis + 1) % 3;
            const int c = (axis + 2) % 3;
            const bool flat = box.low[axis] == box.high[axis];
            for (const int sign : {-1, 1}) {
                const double level = sign < 0 ? box.low[axis] : box.high[axis];
                Point corners[4];
                for (int k = 0; k < 4; ++k) {
                    corners[k][axis] = level;
                    corners[k][b] = (k == 1 || k == 2) ? box.high[b] : box.low[b];
                    corners[k][c] = (k >= 2) ? box.high[c] : box.low[c];
                }
                Point centre{};
                centre[axis] = level;
                centre[b] = (box.low[b] + box.high[b]) / 2;
                centre[c] = (box.low[c] + box.high[c]) / 2;
                const Rgb outline = slot == current_ ? yellow : style.outline;
                DrawOp3d& op = add(Shape3d::Polygon, Layer3d::Box, outline, kBoxPenWidth, centre);
                for (int k = 0; k < 4; ++k)
                    op.points[k] = project(corners[k]);
                if (flat || view_.facesViewer(axis, sign))
                    op.fill = style.fill;
                op.slot = slot;
                if (flat)
                    break;
            }
        }
    }

    std::vector<DrawOp3d>& ops_;
    std::vector<std::pair<ScreenPoint, float>> labels_; // centres and half widths placed
    Projection view_;
    int step_;
    int current_;
    std::array<std::optional<Box>, kSlotCount> boxes_{};
    std::array<double, 3> extent_{0, 0, 0};
    std::array<int, 3> reach_{kSmallestReach, kSmallestReach, kSmallestReach};
};

float cross(ScreenPoint a, ScreenPoint b, float x, float y) {
    return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
}

// Inside a convex quadrilateral given in either turning direction; a flat one holds nothing.
bool insideQuad(const std::array<ScreenPoint, 4>& corners, float x, float y) {
    bool anyPositive = false;
    bool anyNegative = false;
    for (int k = 0; k < 4; ++k) {
        const float side = cross(corners[k], corners[(k + 1) % 4], x, y);
        anyPositive |= side > 0;
        anyNegative |= side < 0;
    }
    return anyPositive != anyNegative;
}

} // namespace

void buildHitBoxScene3d(const Scene3dRequest& request, const PartTable& table,
                        std::vector<DrawOp3d>& ops) {
    ops.clear();
    Scene3dWriter writer(request, ops);
    writer.collectBoxes(table);
    writer.grid();
    const std::size_t sorted = ops.size();
    writer.faces();
    writer.axes();
    writer.sortByDepth(sorted);
    if (request.markers)
        writer.markers(table);
}

std::vector<DrawOp3d> buildHitBoxScene3d(const Scene3dRequest& request, const PartTable& table) {
    std::vector<DrawOp3d> ops;
    buildHitBoxScene3d(request, table, ops);
    return ops;
}

int slotAt(const std::vector<DrawOp3d>& ops, float x, float y) {
    for (auto op = ops.rbegin(); op != ops.rend(); ++op) {
        if (op->slot < 0)
            continue;
        const ScreenPoint centre = op->points[0];
        const bool hit = op->shape == Shape3d::Marker
                             ? std::abs(x - centre.x) <= kMarkerHalfSize3d &&
                                   std::abs(y - centre.y) <= kMarkerHalfSize3d
                             : insideQuad(op->points, x, y);
        if (hit)
            return op->slot;
    }
    return -1;
}

} // namespace dm
