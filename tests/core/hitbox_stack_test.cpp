// Picking in a stack of boxes, zoom and pan, mirrored twins and the axis legend.
#include "core/background_picture.h"
#include "core/hitbox_drag.h"
#include "core/hitbox_scene.h"
#include "core/part_slots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

namespace {

using dm::DragGrip;
using dm::GripKind;
using dm::HitBoxView;
using dm::PartRecord;
using dm::PixelPoint;

PartRecord box(float x1, float y1, float x2, float y2) {
    PartRecord part;
    part.PX1 = x1;
    part.PY1 = y1;
    part.PX2 = x2;
    part.PY2 = y2;
    return part;
}

// 400 x 300 at 10 px/ft from above, origin (200, 100). Slot 0 is a big box from x 180 to 320 and
// y 70 to 170; slot 3 lies inside it, x 230 to 270, y 90 to 130; slot 15 (filled, drawn last)
// covers slot 3's right half, x 250 to 290, y 100 to 120.
std::vector<dm::DrawOp> stack() {
    dm::PartTable table{};
    table[0] = box(2, -7, -12, 3);
    table[3] = box(-3, -3, -7, 1);
    table[15] = box(-5, -2, -9, 0);
    return dm::buildHitBoxScene({400, 300, 1, 10, HitBoxView::Top, false}, table);
}

TEST(HitBoxStack, APressTakesTheCurrentBoxThenAnEdgeThenTheTopmost) {
    const struct {
        const char* name;
        PixelPoint at;
        int current, slot;
        GripKind kind;
    } rows[] = {
        {"topmost without a current row", {260, 110}, -1, 15, GripKind::Move},
        {"the current row's box under another", {260, 110}, 3, 3, GripKind::Move},
        {"the current row's box where it is not", {200, 150}, 3, 0, GripKind::Move},
        {"the topmost box's edge", {252, 110}, -1, 15, GripKind::Edges},
        {"an edge below beats the middle on top", {268, 110}, -1, 3, GripKind::Edges},
        {"a corner 4 px inside its box", {234, 126}, -1, 3, GripKind::Edges},
        {"slot 3's left edge under slot 0's middle", {228, 110}, -1, 3, GripKind::Edges},
        {"4 px outside still reaches slot 3's edge", {226, 110}, -1, 3, GripKind::Edges},
        {"5 px outside reaches nothing of slot 3", {225, 110}, -1, 0, GripKind::Move},
    };
    const std::vector<dm::DrawOp> ops = stack();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<DragGrip> grip = dm::gripAt(ops, row.at, row.current);
        ASSERT_TRUE(grip);
        EXPECT_EQ(grip->slot, row.slot);
        EXPECT_EQ(grip->kind, row.kind);
    }
}

TEST(HitBoxStack, RepeatedClicksWalkDownTheStackAndRoundToTheTop) {
    const std::vector<dm::DrawOp> ops = stack();
    EXPECT_EQ(dm::slotsAt(ops, {260, 110}), (std::vector<int>{15, 3, 0}));
    int current = -1;
    std::vector<int> walked;
    for (int click = 0; click < 4; ++click) {
        current = dm::nextInStack(ops, {260, 110}, current).value();
        walked.push_back(current);
    }
    EXPECT_EQ(walked, (std::vector<int>{15, 3, 0, 15}));
    EXPECT_EQ(dm::nextInStack(ops, {390, 290}, 0), std::nullopt);
}

TEST(HitBoxStack, TheWheelZoomsByAQuarterPerNotchInWholePixelsWithinTheLimits) {
    const struct {
        const char* name;
        int zoom, notches, after;
    } rows[] = {
        {"in from 100%", 10, 1, 13},
        {"out to 50%", 8, -2, 5},
        {"one pixel up from the least", 1, 1, 2},
        {"down to the least", 2, -1, 1},
        {"not below the least", 1, -3, 1},
        {"up to the most", 199, 1, 200},
        {"not above the most", 190, 2, 200},
        {"three notches at once", 10, 3, 20},
    };
    for (const auto& row : rows)
        EXPECT_EQ(dm::zoomAfterNotches(row.zoom, row.notches), row.after) << row.name;
}

// Feet under a pixel centre, as the view projects them.
std::pair<double, double> feetAt(const dm::SceneRequest& request, PixelPoint at) {
    const PixelPoint origin = dm::sceneOrigin(request);
    return {(origin.x - (at.x + 0.5)) / request.zoomFactor,
            (origin.y - (at.y + 0.5)) / request.zoomFactor};
}

TEST(HitBoxStack, ZoomingKeepsTheFeetUnderThePointerWithinHalfAPixel) {
    const struct {
        const char* name;
        PixelPoint pan;
        int zoom, newZoom;
        PixelPoint pointer;
    } rows[] = {
        {"out, panned", {-300, 120}, 13, 10, {400, 30}},
        {"to the most", {5, 5}, 186, 200, {17, 290}},
        {"to the least", {0, 0}, 2, 1, {399, 299}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dm::SceneRequest before{400, 300, 1, row.zoom, HitBoxView::Side};
        before.pan = row.pan;
        dm::SceneRequest after = before;
        after.zoomFactor = row.newZoom;
        after.pan = dm::panKeepingPoint(before, row.newZoom, row.pointer);
        const auto [acrossBefore, upBefore] = feetAt(before, row.pointer);
        const auto [acrossAfter, upAfter] = feetAt(after, row.pointer);
        EXPECT_NEAR(acrossAfter, acrossBefore, 0.5 / row.newZoom);
        EXPECT_NEAR(upAfter, upBefore, 0.5 / row.newZoom);
    }
}

TEST(HitBoxStack, APanMovesBoxesAxesAndGridAlikeAndAFarPanStaysCheap) {
    dm::PartTable table{};
    table[0] = box(2, -7, -12, 3);
    dm::SceneRequest still{400, 300, 5, 10, HitBoxView::Top};
    dm::SceneRequest moved = still;
    moved.pan = {37, -21};
    const auto first = dm::buildHitBoxScene(still, table);
    const auto panned = dm::buildHitBoxScene(moved, table);
    const auto find = [](const std::vector<dm::DrawOp>& ops, auto test) {
        return *std::find_if(ops.begin(), ops.end(), test);
    };
    const auto isBox = [](const dm::DrawOp& op) { return op.slot == 0; };
    EXPECT_EQ(find(panned, isBox).from,
              (PixelPoint{find(first, isBox).from.x + 37, find(first, isBox).from.y - 21}));
    // The x = 0 axis goes through the moved origin; a grid line lies one 5 ft step (50 px) from
    // the moved grid centre.
    EXPECT_EQ(find(panned,
                   [](const dm::DrawOp& op) {
                       return op.layer == dm::SceneLayer::Axis && op.from.x == op.to.x;
                   })
                  .from.x,
              200 + 37);
    EXPECT_TRUE(std::any_of(panned.begin(), panned.end(), [](const dm::DrawOp& op) {
        return op.layer == dm::SceneLayer::Grid && op.from.x == 287 && op.to.x == 287;
    }));
    // Panned a million pixels away, the grid covers the client area as unpanned, with few lines.
    const auto columnsOf = [](const std::vector<dm::DrawOp>& ops) {
        std::set<int> columns;
        for (const dm::DrawOp& op : ops)
            if (op.layer == dm::SceneLayer::Grid && op.from.x == op.to.x && op.from.x >= 0 &&
                op.from.x < 400)
                columns.insert(op.from.x);
        return columns.size();
    };
    still.gridFeet = moved.gridFeet = 1;
    still.zoomFactor = moved.zoomFactor = 1;
    moved.pan = {dm::kFarPixel, -dm::kFarPixel};
    const auto far = dm::buildHitBoxScene(moved, table);
    EXPECT_EQ(columnsOf(far), columnsOf(dm::buildHitBoxScene(still, table)));
    EXPECT_EQ(columnsOf(far), 399u);
    EXPECT_LT(far.size(), 2000u);
}

TEST(HitBoxStack, APlanPictureFollowsThePanAndItsGesturesReckonWithIt) {
    const dm::BackgroundPicture picture{"plan.png", 40, {3, -2}};
    dm::SceneRequest still{515, 517, 1, 10, HitBoxView::Side};
    dm::SceneRequest moved = still;
    moved.pan = {-61, 17};
    const dm::PictureFrame first = dm::pictureFrame(picture, 800, 400, still);
    const dm::PictureFrame panned = dm::pictureFrame(picture, 800, 400, moved);
    EXPECT_DOUBLE_EQ(panned.left, first.left - 61);
    EXPECT_DOUBLE_EQ(panned.top, first.top + 17);
    // Scaled around the same spot of the picture, wherever the pan has put it.
    const dm::BackgroundPicture scaledStill = dm::scaledAround(picture, 2, {100, 100}, still);
    const dm::BackgroundPicture scaledMoved = dm::scaledAround(picture, 2, {39, 117}, moved);
    EXPECT_DOUBLE_EQ(scaledMoved.centre[0], scaledStill.centre[0]);
    EXPECT_DOUBLE_EQ(scaledMoved.centre[1], scaledStill.centre[1]);
}

// "Fit": the largest zoom that keeps every box and the origin inside, centred on them both.
TEST(HitBoxStack, FitIsTheLargestZoomThatCentresEveryBoxAndTheOrigin) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        PartRecord part;
        int width, height, zoom;
    } rows[] = {
        {"wide box", box(30, 1, -10, -2), 401, 301, 10},
        {"a pixel too narrow for it", box(30, 1, -10, -2), 400, 301, 9},
        {"tall box", box(1, 50, -1, 0), 401, 301, 6},
        {"a pixel too low for it", box(1, 50, -1, 0), 401, 300, 5},
        {"the origin counts", box(-2, -5, -1, -3), 400, 300, 59},
        {"only the origin", box(0, 0, 0, 0), 400, 300, dm::kMostZoom},
        {"too big for one pixel per foot", box(500, 0, 0, 0), 400, 300, dm::kLeastZoom},
        {"a view 20 px high, a tiny value", box(1e-30f, 1e-30f, 0, 0), 401, 20, dm::kMostZoom},
        {"a view 1 px high, a huge span", box(3e38f, -3e38f, -3e38f, 3e38f), 1, 1, dm::kLeastZoom},
        {"infinite values have no place", box(inf, 4, -inf, 0), 401, 301, 75},
        {"a NaN has no place", box(nan, 2, 0, 0), 400, 300, 149},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dm::PartTable table{};
        table[5] = row.part;
        const int zoom = dm::fittingZoom(table, HitBoxView::Top, row.width, row.height);
        EXPECT_EQ(zoom, row.zoom);
        dm::SceneRequest request{row.width, row.height, 1, zoom, HitBoxView::Top};
        request.pan = dm::centringPan(table, HitBoxView::Top, row.width, row.height, zoom);
        const auto ops = dm::buildHitBoxScene(request, table);
        const dm::DrawOp& drawn = ops[ops.size() - dm::kSlotCount + 5];
        if (std::isfinite(row.part.PX1) && row.width > 100) {
            // The middle of the box and the origin lies on the client centre.
            const PixelPoint origin = dm::sceneOrigin(request);
            const auto middle = [](int a, int b, int c) {
                return (std::min({a, b, c}) + std::max({a, b, c})) / 2.0;
            };
            EXPECT_NEAR(middle(drawn.from.x, drawn.to.x, origin.x), (row.width - 1) / 2.0, 1.0);
            EXPECT_NEAR(middle(drawn.from.y, drawn.to.y, origin.y), (row.height - 1) / 2.0, 1.0);
        }
    }
}

TEST(HitBoxStack, ShiftDragNeverMovesAnInfiniteOrNaNValueNorSpreadsIt) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float nan = std::bit_cast<float>(0x7fa00001u); // a signalling NaN, payload kept
    const struct {
        const char* name;
        float PartRecord::*odd;
        float value;
        DragGrip grip;
    } rows[] = {
        {"infinite point 1 of a moved box", &PartRecord::PX1, inf, {0, GripKind::Move}},
        {"NaN point 1 of a moved box", &PartRecord::PX1, nan, {0, GripKind::Move}},
        {"infinite edge dragged", &PartRecord::PX2, -inf, {0, GripKind::Edges, 2, 0}},
        {"NaN third point", &PartRecord::PX3, nan, {0, GripKind::ThirdPoint}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PartRecord start = box(2, -1, -2, 3);
        start.PX3 = 1;
        start.*row.odd = row.value;
        const PartRecord dragged =
            dm::draggedRecord(start, row.grip, HitBoxView::Top, {-13, -7}, 10, {2, true});
        EXPECT_EQ(std::bit_cast<std::uint32_t>(dragged.*row.odd),
                  std::bit_cast<std::uint32_t>(row.value));
        for (float PartRecord::*field : {&PartRecord::PX1, &PartRecord::PY1, &PartRecord::PX2,
                                         &PartRecord::PY2, &PartRecord::PX3, &PartRecord::PY3})
            EXPECT_TRUE(field == row.odd || std::isfinite(dragged.*field));
    }
}

TEST(HitBoxStack, TwinsPairRightWithLeftAndMirroringNegatesOnlyX) {
    int paired = 0;
    for (int slot = 0; slot < dm::kSlotCount; ++slot) {
        const std::optional<int> twin = dm::twinSlot(slot);
        if (!twin)
            continue;
        ++paired;
        EXPECT_EQ(dm::twinSlot(*twin), slot) << slot;
        EXPECT_NE(std::string(dm::kPartSlots[slot].name).substr(0, 4),
                  std::string(dm::kPartSlots[*twin].name).substr(0, 4))
            << "a right part pairs with a left one: " << slot;
    }
    EXPECT_EQ(paired, 16);
    // Nine different point values: each lands in its own field, x negated; a zero x stays +0.
    PartRecord part;
    const struct {
        float PartRecord::*field;
        float value, mirrored;
    } fields[] = {
        {&PartRecord::PX1, 18, -18}, {&PartRecord::PY1, -4.5f, -4.5f},
        {&PartRecord::PZ1, 2, 2},    {&PartRecord::PX2, 37.5f, -37.5f},
        {&PartRecord::PY2, 4, 4},    {&PartRecord::PZ2, 3, 3},
        {&PartRecord::PX3, 0, 0},    {&PartRecord::PY3, 5, 5},
        {&PartRecord::PZ3, -6, -6},
    };
    for (const auto& field : fields)
        part.*field.field = field.value;
    part.Damage = 7;
    PartRecord twin;
    twin.Damage = 99;
    twin.OffOn = 1;
    const PartRecord mirrored = dm::mirroredOnto(part, twin);
    for (const auto& field : fields)
        EXPECT_EQ(std::bit_cast<std::uint32_t>(mirrored.*field.field),
                  std::bit_cast<std::uint32_t>(field.mirrored))
            << "the field holding " << field.value;
    EXPECT_EQ(std::tuple(mirrored.Damage, mirrored.OffOn), std::tuple(99, 1));
}

TEST(HitBoxStack, TheLegendArrowsPointWherePositiveValuesAreDrawn) {
    for (HitBoxView view : {HitBoxView::Top, HitBoxView::Side}) {
        SCOPED_TRACE(view == HitBoxView::Top ? "from above" : "from the side");
        dm::PartTable table{};
        table[0] = box(5, 3, 0, 0); // point 1 at +5 ft across, +3 ft up; point 2 at the origin
        table[0].PZ1 = 5;
        dm::SceneRequest request{400, 300, 1, 10, view};
        request.legend = true;
        const auto ops = dm::buildHitBoxScene(request, table);
        const dm::DrawOp& part = *std::find_if(ops.begin(), ops.end(),
                                               [](const dm::DrawOp& op) { return op.slot == 0; });
        std::vector<dm::DrawOp> legend;
        for (const dm::DrawOp& op : ops)
            if (op.layer == dm::SceneLayer::Legend)
                legend.push_back(op);
        ASSERT_GE(legend.size(), 8u);
        // The arrows point from point 2 (the origin) toward point 1.
        EXPECT_EQ(legend[0].to.x > legend[0].from.x, part.from.x > part.to.x);
        EXPECT_EQ(legend[3].from.y > legend[3].to.y, part.to.y < part.from.y);
        EXPECT_STREQ(legend[6].text, view == HitBoxView::Top ? "+x" : "+z");
        EXPECT_STREQ(legend[7].text, "+y");
        // Inside the client area.
        for (const dm::DrawOp& op : legend)
            EXPECT_TRUE(op.from.x >= 0 && op.from.x < 400 && op.from.y >= 0 && op.from.y < 300);
    }
}

} // namespace
