#pragma once

#include "core/damage_file.h"
#include "core/hitbox_scene.h"

#include <optional>
#include <vector>

namespace dm {

// What a press on a flat view does to the part drawn topmost under the pointer.
enum class GripKind { Edges, Move, ThirdPoint };

// The pointer's shape before a press, showing what the grip does.
enum class GripShape { Horizontal, Vertical, FallingDiagonal, RisingDiagonal, Move, Point };

struct DragGrip {
    int slot = -1;
    GripKind kind = GripKind::Move;
    int acrossPoint = 0; // Edges: point 1 or 2 whose across value (x or z) follows; 0 none
    int upPoint = 0;     // Edges: point 1 or 2 whose y follows; 0 none
    GripShape shape = GripShape::Move;
    friend bool operator==(const DragGrip&, const DragGrip&) = default;
};

// An edge is gripped this many pixels either side of it, on boxes wide enough to keep a middle.
constexpr int kGripPixels = 4;

// The grip at `point` where boxes lie in a stack: on the box of `preferredSlot` (the current row)
// when it is under the pointer, else on the topmost edge, corner or marker within reach, else on
// the middle of the topmost box. None over empty space.
std::optional<DragGrip> gripAt(const std::vector<DrawOp>& scene, PixelPoint point,
                               int preferredSlot = -1);

// Every slot within reach at `point` as gripAt sees them, each once, topmost first.
std::vector<int> slotsAt(const std::vector<DrawOp>& scene, PixelPoint point);

// The slot a click on the stack at `point` makes current: the next below `current` in drawing
// order, round to the top; the topmost when `current` is not in the stack.
std::optional<int> nextInStack(const std::vector<DrawOp>& scene, PixelPoint point, int current);

// How values snap: to 0.01 ft as the cells keep them, or onto the grid lines.
struct Snap {
    double step = 0.01;
    bool onGrid = false; // values land on multiples of `step`; else they change by multiples
};

// The record after dragging `grip` by `delta` pixels at `zoom` pixels per foot. Both views draw
// their across axis mirrored, so a drag to the right makes x (or z) smaller.
PartRecord draggedRecord(const PartRecord& start, const DragGrip& grip, HitBoxView view,
                         PixelPoint delta, int zoom, Snap snap);

// The record with all three points moved by the given feet along the view's axes.
PartRecord shiftedRecord(const PartRecord& start, HitBoxView view, double acrossFeet,
                         double upFeet);

} // namespace dm
