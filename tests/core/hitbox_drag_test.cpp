#include "core/damage_file.h"
#include "core/hitbox_drag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace {

using dm::DragGrip;
using dm::GripKind;
using dm::GripShape;
using dm::HitBoxView;
using dm::PartRecord;
using dm::PixelPoint;
using dm::Snap;

// Slot 0 from above at 100% in a 400 x 300 view: centre x 200, origin y 100. Its box spans
// pixels x 180 (PX1) to 220 (PX2) and y 70 (PY2) to 110 (PY1); its third point sits at (190, 90).
// The other slots are all-zero boxes at the origin.
PartRecord slotZero() {
    PartRecord part;
    part.PX1 = 2.0f;
    part.PX2 = -2.0f;
    part.PY1 = -1.0f;
    part.PY2 = 3.0f;
    part.PZ1 = 1.25f;
    part.PZ2 = -0.75f;
    part.PX3 = 1.0f;
    part.PY3 = 1.0f;
    return part;
}

std::vector<dm::DrawOp> scene() {
    dm::PartTable table{};
    table[0] = slotZero();
    return dm::buildHitBoxScene({400, 300, 1, 10, HitBoxView::Top, true}, table);
}

struct GripRow {
    const char* name;
    PixelPoint at;
    std::optional<DragGrip> grip;
};

DragGrip edges(int across, int up, GripShape shape = GripShape::Move) {
    return {0, GripKind::Edges, across, up, shape};
}

constexpr DragGrip kMove{0, GripKind::Move};
constexpr DragGrip kThird{0, GripKind::ThirdPoint, 0, 0, GripShape::Point};
constexpr auto kTop = HitBoxView::Top;
constexpr auto kSide = HitBoxView::Side;
constexpr auto kFalling = GripShape::FallingDiagonal;

TEST(HitBoxDrag, ThePointerGripsWhatLiesUnderIt) {
    const std::vector<GripRow> rows = {
        {"left edge: PX1", {180, 90}, edges(1, 0, GripShape::Horizontal)},
        {"right edge: PX2", {220, 90}, edges(2, 0, GripShape::Horizontal)},
        {"top edge: PY2", {205, 71}, edges(0, 2, GripShape::Vertical)},
        {"bottom edge: PY1", {205, 108}, edges(0, 1, GripShape::Vertical)},
        {"top left corner", {181, 70}, edges(1, 2, kFalling)},
        {"top right corner", {219, 71}, edges(2, 2, GripShape::RisingDiagonal)},
        {"bottom right corner", {220, 110}, edges(2, 1, kFalling)},
        {"inside", {210, 95}, kMove},
        {"third point over the box", {191, 89}, kThird},
        {"the zero boxes drawn over it", {200, 100}, DragGrip{22, kThird.kind, 0, 0, kThird.shape}},
        {"open space", {300, 200}, std::nullopt},
    };
    const std::vector<dm::DrawOp> ops = scene();
    for (const GripRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(dm::gripAt(ops, row.at), row.grip);
    }
}

// At 2 px per foot a box from x 0 to -6 ft is 12 px wide: its two edges' reaches would leave too
// little middle, so it is only moved. At 13 px its edges are gripped.
TEST(HitBoxDrag, ABoxTooNarrowToKeepAMiddleIsMovedWhole) {
    const struct {
        const char* name;
        float px2;
        GripKind kind;
    } rows[] = {
        {"12 px wide", -6, GripKind::Move},
        {"13 px wide", -6.5f, GripKind::Edges},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dm::PartTable table{};
        table[0].PX2 = row.px2;
        table[0].PY1 = -10;
        table[0].PY2 = 10;
        const auto ops = dm::buildHitBoxScene({400, 300, 1, 2, kTop, false}, table);
        const std::optional<DragGrip> grip = dm::gripAt(ops, {201, 110});
        ASSERT_TRUE(grip);
        EXPECT_EQ(grip->kind, row.kind);
    }
}

using R = PartRecord;

struct DragRow {
    const char* name;
    DragGrip grip;
    HitBoxView view;
    PixelPoint delta;
    int zoom;
    Snap snap;
    std::vector<std::pair<float R::*, float>> changed; // every other field keeps its bits
};

TEST(HitBoxDrag, APixelDeltaChangesTheGrippedFieldsBySnappedFeet) {
    const std::vector<DragRow> rows = {
        {"PX1 to the right gets smaller", edges(1, 0), kTop, {15, 40}, 10, {}, {{&R::PX1, 0.5f}}},
        {"PZ2 from the side", edges(2, 0), kSide, {-7, 0}, 10, {}, {{&R::PZ2, -0.05f}}},
        {"PY1 down", edges(0, 1), kTop, {3, 23}, 10, {}, {{&R::PY1, -3.3f}}},
        {"corner", edges(2, 2), kTop, {-10, -10}, 10, {}, {{&R::PX2, -1}, {&R::PY2, 4}}},
        {"a third of a pixel rounds to 0.01", edges(1, 0), kTop, {1, 0}, 3, {}, {{&R::PX1, 1.67f}}},
        {"move shifts all three points",
         kMove,
         kTop,
         {10, -5},
         10,
         {},
         {{&R::PX1, 1},
          {&R::PX2, -3},
          {&R::PX3, 0},
          {&R::PY1, -0.5f},
          {&R::PY2, 3.5f},
          {&R::PY3, 1.5f}}},
        {"third point only", kThird, kTop, {3, 3}, 5, {}, {{&R::PX3, 0.4f}, {&R::PY3, 0.4f}}},
        {"edge onto the grid", edges(2, 0), kSide, {-13, 0}, 10, {2, true}, {{&R::PZ2, 0}}},
        {"move lands point 1 on the grid",
         kMove,
         kSide,
         {-8, 0},
         10,
         {5, true},
         {{&R::PZ1, 0}, {&R::PZ2, -2}, {&R::PZ3, -1.25f}}},
        {"no move, no change", kMove, kTop, {0, 0}, 10, {}, {}},
    };
    const std::array<float R::*, 9> points = {&R::PX1, &R::PY1, &R::PZ1, &R::PX2, &R::PY2,
                                              &R::PZ2, &R::PX3, &R::PY3, &R::PZ3};
    const PartRecord start = slotZero();
    for (const DragRow& row : rows) {
        SCOPED_TRACE(row.name);
        const PartRecord dragged =
            dm::draggedRecord(start, row.grip, row.view, row.delta, row.zoom, row.snap);
        for (float R::*field : points) {
            const auto change = std::find_if(row.changed.begin(), row.changed.end(),
                                             [&](const auto& c) { return c.first == field; });
            if (change != row.changed.end())
                EXPECT_FLOAT_EQ(dragged.*field, change->second);
            else
                EXPECT_EQ(std::bit_cast<std::uint32_t>(dragged.*field),
                          std::bit_cast<std::uint32_t>(start.*field));
        }
    }
}

TEST(HitBoxDrag, MarksDashABoxAndHighlightTheCurrentOneWithoutHidingItFromThePointer) {
    dm::PartTable table{};
    table[0] = slotZero();
    dm::BoxMarks marks;
    marks.dashed.set(0);
    marks.current = 0;
    const std::vector<dm::DrawOp> ops =
        dm::buildHitBoxScene({400, 300, 1, 10, HitBoxView::Top, false}, table, marks);
    const auto box =
        std::find_if(ops.begin(), ops.end(), [](const dm::DrawOp& op) { return op.slot == 0; });
    ASSERT_NE(box, ops.end());
    EXPECT_TRUE(box->dashed);
    const dm::DrawOp& highlight = ops.back();
    EXPECT_EQ(std::pair(highlight.from, highlight.to), std::pair(box->from, box->to));
    EXPECT_EQ(highlight.pen, dm::colours::yellow);
    EXPECT_EQ(dm::slotAt(ops, {181, 90}), 0);
}

} // namespace
