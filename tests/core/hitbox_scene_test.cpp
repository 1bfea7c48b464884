#include "../support/part_records.h"
#include "core/hitbox_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

using testsupport::boxFrom;

using dm::DrawOp;
using dm::HitBoxView;
using dm::PixelPoint;
using dm::SceneLayer;
using dm::SceneRequest;
using dm::ShapeKind;
namespace colours = dm::colours;

std::vector<DrawOp> layer(const std::vector<DrawOp>& ops, SceneLayer wanted) {
    std::vector<DrawOp> picked;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(picked),
                 [&](const DrawOp& op) { return op.layer == wanted; });
    return picked;
}

DrawOp silverLine(PixelPoint from, PixelPoint to) {
    return {ShapeKind::Line, SceneLayer::Grid, from, to, colours::silver, 1, std::nullopt, -1};
}

DrawOp blackLine(PixelPoint from, PixelPoint to) {
    return {ShapeKind::Line, SceneLayer::Axis, from, to, colours::black, 1, std::nullopt, -1};
}

// The grid as the views promise it: vertical lines at cx +- k*step, then horizontal ones at
// cy +- k*step, each pair for k = 0, 1, ... while k*step stays inside the half size.
std::vector<DrawOp> expectedGrid(int width, int height, int step, int lastVertical,
                                 int lastHorizontal) {
    const int cx = width / 2;
    const int cy = height / 2;
    std::vector<DrawOp> grid;
    for (int k = 0; k <= lastVertical; ++k) {
        grid.push_back(silverLine({cx - k * step, 2 * cy}, {cx - k * step, -cy}));
        grid.push_back(silverLine({cx + k * step, 2 * cy}, {cx + k * step, -cy}));
    }
    for (int k = 0; k <= lastHorizontal; ++k) {
        grid.push_back(silverLine({2 * cx, cy - k * step}, {-cx, cy - k * step}));
        grid.push_back(silverLine({2 * cx, cy + k * step}, {-cx, cy + k * step}));
    }
    return grid;
}

struct GridCase {
    const char* name;
    SceneRequest request;
    int step;
    int lastVertical;   // largest k of the vertical lines
    int lastHorizontal; // largest k of the horizontal lines
    std::vector<DrawOp> axes;
};

TEST(HitBoxSceneGrid, LinesAndAxesAtTheirPixels) {
    const std::vector<GridCase> cases{
        {"top view design size",
         {515, 517, 1, 10, HitBoxView::Top, false},
         10,
         25,
         25,
         {blackLine({514, 208}, {-257, 208}), blackLine({514, 516}, {-257, 516}),
          blackLine({257, 516}, {257, -258}), blackLine({514, 516}, {514, -258})}},
        {"side view design size",
         {454, 353, 1, 10, HitBoxView::Side, false},
         10,
         22,
         17,
         {blackLine({454, 126}, {-227, 126}), blackLine({454, 352}, {-227, 352}),
          blackLine({227, 352}, {227, -176}), blackLine({454, 352}, {454, -176})}},
        {"10ft at 20%",
         {515, 517, 10, 2, HitBoxView::Top, false},
         20,
         12,
         12,
         {blackLine({514, 208}, {-257, 208}), blackLine({514, 516}, {-257, 516}),
          blackLine({257, 516}, {257, -258}), blackLine({514, 516}, {514, -258})}},
        {"client height under 100 puts the origin above the window",
         {300, 80, 5, 10, HitBoxView::Top, false},
         50,
         2,
         0,
         {blackLine({300, -10}, {-150, -10}), blackLine({300, 80}, {-150, 80}),
          blackLine({150, 80}, {150, -40}), blackLine({300, 80}, {300, -40})}},
        {"a step exactly reaching the half size stops before it",
         {40, 40, 1, 10, HitBoxView::Top, false},
         10,
         1,
         1,
         {blackLine({40, -30}, {-20, -30}), blackLine({40, 40}, {-20, 40}),
          blackLine({20, 40}, {20, -20}), blackLine({40, 40}, {40, -20})}},
        {"an empty client area still draws the centre lines once",
         {0, 0, 1, 10, HitBoxView::Side, false},
         10,
         0,
         0,
         {blackLine({0, -50}, {0, -50}), blackLine({0, 0}, {0, 0}), blackLine({0, 0}, {0, 0}),
          blackLine({0, 0}, {0, 0})}},
    };
    const dm::PartTable zeros{};
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto ops = dm::buildHitBoxScene(c.request, zeros);
        EXPECT_EQ(layer(ops, SceneLayer::Grid),
                  expectedGrid(c.request.width, c.request.height, c.step, c.lastVertical,
                               c.lastHorizontal));
        EXPECT_EQ(layer(ops, SceneLayer::Axis), c.axes);
        // Grid first, then the four black lines, then the 30 boxes.
        ASSERT_GE(ops.size(), 34u);
        const auto firstAxis = ops.end() - 34;
        EXPECT_TRUE(std::all_of(ops.begin(), firstAxis,
                                [](const DrawOp& op) { return op.layer == SceneLayer::Grid; }));
        EXPECT_TRUE(std::all_of(firstAxis, firstAxis + 4,
                                [](const DrawOp& op) { return op.layer == SceneLayer::Axis; }));
    }
}

TEST(HitBoxSceneGrid, TwoFootGridLeavesTheOriginLineBetweenTwoGridLines) {
    const auto ops = dm::buildHitBoxScene({515, 517, 2, 10, HitBoxView::Top, false}, {});
    std::vector<int> rows;
    for (const DrawOp& op : layer(ops, SceneLayer::Grid))
        if (op.from.y == op.to.y)
            rows.push_back(op.from.y);
    const int originRow = 208;
    EXPECT_EQ(std::count(rows.begin(), rows.end(), originRow), 0);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), originRow - 10), 1);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), originRow + 10), 1);
}

TEST(HitBoxSceneGrid, ZoomZeroDrawsNoGrid) {
    const auto ops = dm::buildHitBoxScene({515, 517, 1, 0, HitBoxView::Top, true}, {});
    EXPECT_TRUE(layer(ops, SceneLayer::Grid).empty());
    EXPECT_EQ(layer(ops, SceneLayer::Axis).size(), 4u);
    EXPECT_EQ(layer(ops, SceneLayer::Box).size(), 30u);
}

TEST(HitBoxSceneGrid, LargestViewAtTwentyPercentWithOneFootGrid) {
    const auto ops = dm::buildHitBoxScene({3840, 2160, 1, 2, HitBoxView::Top, true}, {});
    const auto grid = layer(ops, SceneLayer::Grid);
    // Vertical pairs for k = 0 to 959 (2 * 959 < 1920), horizontal pairs for k = 0 to 539.
    EXPECT_EQ(grid.size(), 2u * 960 + 2u * 540);
    EXPECT_EQ(grid[2 * 959].from.x, 1920 - 1918);
    EXPECT_EQ(grid[2 * 959 + 1].from.x, 1920 + 1918);
}

TEST(HitBoxSceneProjection, TruncatesEachCoordinateTowardZero) {
    struct Case {
        int zoom;
        float feet;
        int pixels;
    };
    const Case cases[]{
        {10, 1.25f, 12},   {10, -1.25f, -12}, {2, 0.45f, 0},   {2, -0.45f, 0},
        {5, 1.0f, 5},      {10, 0.0f, 0},     {10, -0.0f, 0},  {10, 0.1f, 1},
        {10, 0.09999f, 0}, {5, 3.99f, 19},    {2, -7.5f, -15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.zoom << " x " << c.feet);
        EXPECT_EQ(dm::scaledPixels(c.zoom, c.feet), c.pixels);
    }
}

TEST(HitBoxSceneProjection, FarAndMissingValues) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(dm::scaledPixels(10, inf), dm::kFarPixel);
    EXPECT_EQ(dm::scaledPixels(10, -inf), -dm::kFarPixel);
    EXPECT_EQ(dm::scaledPixels(2, 3.0e38f), dm::kFarPixel);
    EXPECT_EQ(dm::scaledPixels(10, -1.0e6f), -dm::kFarPixel);
    EXPECT_EQ(dm::scaledPixels(10, std::numeric_limits<float>::quiet_NaN()), std::nullopt);
}

struct BoxCase {
    const char* name;
    SceneRequest request;
    dm::PartRecord part;
    PixelPoint corner1;
    PixelPoint corner2;
};

TEST(HitBoxSceneBoxes, CornersFromPointsOneAndTwo) {
    // Top view 515 x 517: cx 257, cy 258; side view 454 x 353: cx 227, cy 176.
    const SceneRequest top{515, 517, 1, 10, HitBoxView::Top, false};
    const SceneRequest side{454, 353, 1, 10, HitBoxView::Side, false};
    const BoxCase cases[]{
        {"top, x and y only", top, boxFrom(1, 2, 99, -1, -2, -99), {247, 228}, {267, 188}},
        {"side, z and y only", side, boxFrom(99, 3, 2, -99, -3, -1), {207, 156}, {237, 96}},
        {"top, truncation", top, boxFrom(1.25f, 0, 0, -1.25f, 0, 0), {245, 208}, {269, 208}},
        {"side at 20%, under a pixel",
         {454, 353, 1, 2, HitBoxView::Side, false},
         boxFrom(0, 0.45f, 0.45f, 0, -0.45f, -0.45f),
         {227, 126},
         {227, 126}},
        {"top, points coincide", top, boxFrom(3, 4, 0, 3, 4, 0), {227, 168}, {227, 168}},
        {"top, origin above the window",
         {515, 90, 1, 5, HitBoxView::Top, false},
         boxFrom(-2, 1, 0, 2, -1, 0),
         {267, 0},
         {247, -10}},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.name);
        dm::PartTable table{};
        table[15] = c.part;
        const auto boxes = layer(dm::buildHitBoxScene(c.request, table), SceneLayer::Box);
        ASSERT_EQ(boxes.size(), 30u);
        const DrawOp expected{ShapeKind::Rectangle,
                              SceneLayer::Box,
                              c.corner1,
                              c.corner2,
                              colours::olive,
                              2,
                              colours::olive,
                              15};
        EXPECT_EQ(boxes[15], expected);
    }
}

TEST(HitBoxSceneBoxes, EverySlotInOrderWithItsColours) {
    struct Style {
        dm::Rgb outline;
        std::optional<dm::Rgb> fill;
        std::optional<dm::Rgb> marker;
    };
    using namespace colours;
    const std::optional<dm::Rgb> none;
    const Style styles[dm::kSlotCount]{
        {darkGreen, none, darkGreen},
        {darkGreen, none, darkGreen},
        {darkGreen, none, darkGreen},
        {darkGreen, none, darkGreen},
        {mediumGreen, none, mediumGreen},
        {mediumGreen, none, mediumGreen},
        {mediumGreen, none, mediumGreen},
        {mediumGreen, none, mediumGreen},
        {green, none, green},
        {green, none, green},
        {green, none, green},
        {green, none, green},
        {red, none, red},
        {red, none, red},
        {blue, none, blue},
        {olive, olive, olive},
        {black, black, black},
        {black, black, black},
        {purple, purple, purple},
        {black, maroon, maroon},
        {aqua, maroon, blue},
        {teal, maroon, teal},
        {black, none, black},
        {purple, purple, none},
        {steelBlue, steelBlue, none},
        {orange, orange, none},
        {black, none, none},
        {purple, purple, none},
        {steelBlue, steelBlue, none},
        {orange, orange, none},
    };
    // All zeros: every box collapses onto the origin (257, 208), every marker surrounds it.
    const auto ops = dm::buildHitBoxScene({515, 517, 1, 10, HitBoxView::Top, true}, {});
    const auto boxes = layer(ops, SceneLayer::Box);
    const auto markers = layer(ops, SceneLayer::Marker);
    ASSERT_EQ(boxes.size(), 30u);
    ASSERT_EQ(markers.size(), 23u);
    for (int slot = 0; slot < dm::kSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        const DrawOp box{ShapeKind::Rectangle, SceneLayer::Box,
                         {257, 208},           {257, 208},
                         styles[slot].outline, 2,
                         styles[slot].fill,    slot};
        EXPECT_EQ(boxes[slot], box);
        if (slot < 23) {
            const DrawOp marker{ShapeKind::Rectangle,
                                SceneLayer::Marker,
                                {254, 211},
                                {260, 205},
                                silver,
                                1,
                                styles[slot].marker,
                                slot};
            EXPECT_EQ(markers[slot], marker);
        }
    }
    // Markers come after every box, slot 22's black one last of all.
    EXPECT_EQ(ops.end() - 23, std::find(ops.begin(), ops.end(), markers.front()));
    EXPECT_EQ(ops.back().slot, 22);
    EXPECT_EQ(ops.back().fill, black);
}

TEST(HitBoxSceneMarkers, CentredOnTheThirdPointOfTheView) {
    dm::PartTable table{};
    for (int slot = 0; slot < dm::kSlotCount; ++slot) {
        table[slot].PX3 = 1.0f * slot;
        table[slot].PY3 = -0.5f * slot;
        table[slot].PZ3 = -2.0f;
    }
    const auto top = layer(dm::buildHitBoxScene({515, 517, 1, 10, HitBoxView::Top, true}, table),
                           SceneLayer::Marker);
    const auto side = layer(dm::buildHitBoxScene({454, 353, 1, 5, HitBoxView::Side, true}, table),
                            SceneLayer::Marker);
    ASSERT_EQ(top.size(), 23u);
    ASSERT_EQ(side.size(), 23u);
    for (int slot = 0; slot < 23; ++slot) {
        SCOPED_TRACE(slot);
        const int topX = 257 - 10 * slot;
        const int topY = 208 + 5 * slot;
        EXPECT_EQ(top[slot].from, (PixelPoint{topX - 3, topY + 3}));
        EXPECT_EQ(top[slot].to, (PixelPoint{topX + 3, topY - 3}));
        const int sideX = 227 + 10;
        const int sideY = 126 + 5 * slot / 2; // trunc(5 * 0.5 * slot), always positive here
        EXPECT_EQ(side[slot].from, (PixelPoint{sideX - 3, sideY + 3}));
        EXPECT_EQ(side[slot].to, (PixelPoint{sideX + 3, sideY - 3}));
    }
}

TEST(HitBoxSceneMarkers, NoneWithoutTheOpenedFile) {
    const auto ops = dm::buildHitBoxScene({515, 517, 1, 10, HitBoxView::Top, false}, {});
    EXPECT_TRUE(layer(ops, SceneLayer::Marker).empty());
    EXPECT_EQ(ops.back().layer, SceneLayer::Box);
    EXPECT_EQ(ops.back().slot, 29);
}

TEST(HitBoxSceneBoxes, UnplaceablePointsAreLeftOutAndFarOnesClamped) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    dm::PartTable table{};
    table[3].PY1 = nan;
    table[4].PX2 = -inf;
    table[5].PX3 = nan;
    const auto ops = dm::buildHitBoxScene({515, 517, 1, 10, HitBoxView::Top, true}, table);
    const auto boxes = layer(ops, SceneLayer::Box);
    const auto markers = layer(ops, SceneLayer::Marker);
    ASSERT_EQ(boxes.size(), 29u);
    EXPECT_EQ(boxes[3].slot, 4);
    EXPECT_EQ(boxes[3].to, (PixelPoint{257 + dm::kFarPixel, 208}));
    ASSERT_EQ(markers.size(), 22u);
    EXPECT_EQ(markers[5].slot, 6);
}

TEST(HitBoxViewSettings, ChoicesTextsAndCaptions) {
    dm::HitBoxViewSettings settings;
    EXPECT_EQ(settings.GridFeet, 0);
    EXPECT_EQ(settings.ZoomFactor, 0);
    EXPECT_EQ(settings.topViewCaption(), "");

    dm::initialiseViewSettings(settings);
    EXPECT_EQ(settings.GridFeet, 1);
    EXPECT_EQ(settings.ZoomFactor, 10);
    EXPECT_EQ(settings.topViewCaption(), "Hit Box Graphic-Top View  Grid @ 1ft  Zoom @ 100%  ");
    EXPECT_EQ(settings.sideViewCaption(), "Hit Box Graphic-Side View  Grid @ 1ft  Zoom @ 100%  ");

    struct Case {
        const dm::ViewChoice& choice;
        bool grid;
        int value;
        const char* text;
        const char* caption;
    };
    const Case cases[]{
        {dm::kGridChoices[0], true, 1, "Grid @ 1ft  ", "1ft"},
        {dm::kGridChoices[1], true, 2, "Grid @ 2ft  ", "2ft"},
        {dm::kGridChoices[2], true, 5, "Grid @ 5ft  ", "5ft"},
        {dm::kGridChoices[3], true, 10, "Grid @ 10ft  ", "10ft"},
        {dm::kZoomChoices[0], false, 10, "Zoom @ 100%  ", "100%"},
        {dm::kZoomChoices[1], false, 5, "Zoom @ 50%  ", "50%"},
        {dm::kZoomChoices[2], false, 2, "Zoom @ 20%  ", "20%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_STREQ(c.choice.caption, c.caption);
        dm::HitBoxViewSettings changed = settings;
        if (c.grid) {
            dm::applyGridChoice(changed, c.choice);
            EXPECT_EQ(changed.GridFeet, c.value);
            EXPECT_EQ(changed.GridText, c.text);
            EXPECT_EQ(changed.ZoomText, settings.ZoomText);
        } else {
            dm::applyZoomChoice(changed, c.choice);
            EXPECT_EQ(changed.ZoomFactor, c.value);
            EXPECT_EQ(changed.ZoomText, c.text);
            EXPECT_EQ(changed.GridText, settings.GridText);
        }
    }

    dm::applyGridChoice(settings, dm::kGridChoices[2]);
    dm::applyZoomChoice(settings, dm::kZoomChoices[2]);
    EXPECT_EQ(settings.GridFeet * settings.ZoomFactor, 10);
    EXPECT_EQ(settings.topViewCaption(), "Hit Box Graphic-Top View  Grid @ 5ft  Zoom @ 20%  ");
    EXPECT_EQ(settings.sideViewCaption(), "Hit Box Graphic-Side View  Grid @ 5ft  Zoom @ 20%  ");
}

// A table where only the fuselage, the engine and one wing with its marker are drawn: every other
// slot has no place. Z mirrors x, except for the engine, which lies elsewhere from the side.
dm::PartTable pointingTable() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    dm::PartTable table;
    for (dm::PartRecord& part : table)
        part.PX1 = part.PZ1 = part.PX3 = part.PZ3 = nan;
    const auto place = [&](int slot, float x1, float y1, float x2, float y2) {
        dm::PartRecord& part = table[slot];
        part.PX1 = part.PZ1 = x1;
        part.PY1 = y1;
        part.PX2 = part.PZ2 = x2;
        part.PY2 = y2;
    };
    place(3, 10, 1, 5, 0); // left lower outer wing, marker below
    table[3].PX3 = table[3].PZ3 = 0;
    table[3].PY3 = -3;
    place(15, 1, 5, -1, -5);      // fuselage, filled
    place(22, 0.5f, 4, -0.5f, 3); // engine #1, outlined, drawn after the fuselage
    table[22].PZ1 = 2;
    table[22].PZ2 = 1;
    return table;
}

TEST(HitBoxPointing, TheTopmostBoxOrMarkerUnderAPixelNamesItsSlot) {
    struct Case {
        const char* name;
        HitBoxView view;
        int zoom;
        PixelPoint point;
        std::optional<int> slot;
    };
    // 515 x 517: cx 257, origin row 208.
    const Case cases[]{
        {"fuselage", HitBoxView::Top, 10, {257, 250}, 15},
        {"engine drawn over the fuselage", HitBoxView::Top, 10, {257, 170}, 22},
        {"engine's 2-pixel outline, outer pixel", HitBoxView::Top, 10, {251, 170}, 22},
        {"just outside the engine", HitBoxView::Top, 10, {250, 170}, 15},
        {"fuselage's last pixel", HitBoxView::Top, 10, {267, 200}, 15},
        {"right of the fuselage", HitBoxView::Top, 10, {268, 200}, std::nullopt},
        {"marker over the fuselage, its corner", HitBoxView::Top, 10, {260, 241}, 3},
        {"beside the marker", HitBoxView::Top, 10, {261, 241}, 15},
        {"inside an outlined wing", HitBoxView::Top, 10, {180, 203}, 3},
        {"empty space", HitBoxView::Top, 10, {400, 400}, std::nullopt},
        {"engine at 50%", HitBoxView::Top, 5, {257, 190}, 22},
        {"left of the engine at 50%", HitBoxView::Top, 5, {253, 190}, 15},
        {"marker at 50%", HitBoxView::Top, 5, {257, 223}, 3},
        {"wing at 50%", HitBoxView::Top, 5, {220, 205}, 3},
        {"right of the fuselage at 50%", HitBoxView::Top, 5, {263, 200}, std::nullopt},
        {"engine from the side", HitBoxView::Side, 10, {240, 170}, 22},
        {"where the engine is from above, from the side", HitBoxView::Side, 10, {257, 170}, 15},
    };
    const dm::PartTable table = pointingTable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SceneRequest request{515, 517, 1, c.zoom, c.view, true};
        EXPECT_EQ(dm::slotAt(dm::buildHitBoxScene(request, table), c.point), c.slot);
    }
}

TEST(HitBoxPointing, ValuesTextShowsTheViewsPointsAsTheGridDoes) {
    dm::PartTable table{};
    for (const int slot : {22, 23}) { // the last slot with a marker, the first without
        dm::PartRecord& part = table[slot];
        part.PX1 = 0.125f;
        part.PY1 = -2;
        part.PZ1 = 3.5f;
        part.PX2 = 12345678;
        part.PY2 = -0.004f;
        part.PZ2 = 1;
        part.PX3 = 1.5f;
        part.PY3 = 2.25f;
    }
    EXPECT_EQ(
        dm::hitBoxValuesText(table, 22, HitBoxView::Top, "."),
        "PX1 0.13 ft  PY1 -2.00 ft\nPX2 1.234568E7 ft  PY2 0.00 ft\nPX3 1.50 ft  PY3 2.25 ft");
    EXPECT_EQ(dm::hitBoxValuesText(table, 22, HitBoxView::Side, ","),
              "PZ1 3,50 ft  PY1 -2,00 ft\nPZ2 1,00 ft  PY2 0,00 ft\nPZ3 0,00 ft  PY3 2,25 ft");
    EXPECT_EQ(dm::hitBoxValuesText(table, 23, HitBoxView::Top, "."),
              "PX1 0.13 ft  PY1 -2.00 ft\nPX2 1.234568E7 ft  PY2 0.00 ft");
}

} // namespace
