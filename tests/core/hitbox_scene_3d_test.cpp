#include "core/hitbox_scene_3d.h"

#include "../support/part_records.h"
#include "core/hitbox_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {

using testsupport::boxFrom;

using dm::Camera3d;
using dm::DrawOp3d;
using dm::Layer3d;
using dm::Shape3d;

struct Extent {
    float left, top, right, bottom;
    friend bool operator==(const Extent&, const Extent&) = default;
};

// The screen rectangle around every face of one slot.
Extent slotExtent(const std::vector<DrawOp3d>& ops, int slot) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    Extent extent{inf, inf, -inf, -inf};
    for (const DrawOp3d& op : ops)
        if (op.layer == Layer3d::Box && op.slot == slot)
            for (const dm::ScreenPoint& p : op.points)
                extent = {std::min(extent.left, p.x), std::min(extent.top, p.y),
                          std::max(extent.right, p.x), std::max(extent.bottom, p.y)};
    return extent;
}

std::vector<DrawOp3d> only(const std::vector<DrawOp3d>& ops, Layer3d layer) {
    std::vector<DrawOp3d> picked;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(picked),
                 [&](const DrawOp3d& op) { return op.layer == layer; });
    return picked;
}

TEST(Projection3d, KnownAnglesGiveKnownPoints) {
    struct Case {
        const char* name;
        Camera3d camera;
        float x, y, depth; // where (1, 2, 3) lands in a 400 x 300 picture, centre (200, 150)
    };
    const double h = 10 * std::sqrt(0.5);
    const Case cases[]{
        {"from behind: x right, z up", {0, 0, 10, 0, 0}, 210, 120, 2},
        {"straight down: x right, nose up", {0, 90, 10, 0, 0}, 210, 130, -3},
        {"straight up: x right, nose down", {0, -90, 10, 0, 0}, 210, 170, 3},
        {"from the right wing: nose right", {-90, 0, 10, 0, 0}, 220, 120, -1},
        {"from the front: x left", {180, 0, 10, 0, 0}, 190, 120, -2},
        {"yaw 45", {45, 0, 10, 0, 0}, float(200 - h), 120, float(3 * h / 10)},
        {"zoom 5 and pan", {0, 0, 5, -20, 7}, 185, 142, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const dm::Projection view(c.camera, 400, 300);
        const dm::ScreenPoint p = view.project(1, 2, 3);
        EXPECT_NEAR(p.x, c.x, 1e-4);
        EXPECT_NEAR(p.y, c.y, 1e-4);
        EXPECT_NEAR(view.depth(1, 2, 3), c.depth, 1e-6);
    }
}

// Boxes in half feet, so the flat views' truncation is exact.
const dm::PartTable& sampleBoxes() {
    static const dm::PartTable table = [] {
        dm::PartTable t{};
        t[0] = boxFrom(2.5f, 1.0f, 0.5f, 12.0f, -3.0f, 0.5f);
        t[15] = boxFrom(-1.5f, 8.0f, 2.0f, 1.5f, -9.0f, -1.0f);
        t[19] = boxFrom(0.5f, -1.5f, 2.5f, -1.0f, -3.5f, 0.5f);
        t[24] = boxFrom(-3, 3, 4, 3, 4, 4.5f);
        return t;
    }();
    return table;
}

TEST(HitBoxScene3d, StraightDownMirrorsTheTopViewAndAlongXTurnsTheSideView) {
    const dm::SceneRequest topRequest{515, 517, 1, 10, dm::HitBoxView::Top, false};
    const dm::SceneRequest sideRequest{515, 517, 1, 10, dm::HitBoxView::Side, false};
    const auto top = dm::buildHitBoxScene(topRequest, sampleBoxes());
    const auto side = dm::buildHitBoxScene(sideRequest, sampleBoxes());
    // The flat views put the origin 50 pixels above the centre (257, 258).
    const auto down =
        dm::buildHitBoxScene3d({515, 517, 1, {0, 90, 10, 0, -50}, false}, sampleBoxes());
    const auto alongX =
        dm::buildHitBoxScene3d({515, 517, 1, {-90, 0, 10, 0, 0}, false}, sampleBoxes());
    for (const int slot : {0, 15, 19, 24}) {
        SCOPED_TRACE(slot);
        const dm::DrawOp& flatTop = top[top.size() - 30 + slot];
        const dm::DrawOp& flatSide = side[side.size() - 30 + slot];
        ASSERT_EQ(flatTop.slot, slot);
        const auto mirrored = [](int x) { return float(2 * 257 - x); };
        const Extent expectedDown{std::min(mirrored(flatTop.from.x), mirrored(flatTop.to.x)),
                                  float(std::min(flatTop.from.y, flatTop.to.y)),
                                  std::max(mirrored(flatTop.from.x), mirrored(flatTop.to.x)),
                                  float(std::max(flatTop.from.y, flatTop.to.y))};
        EXPECT_EQ(slotExtent(down, slot), expectedDown);
        // From the right wing the side view's y runs across and its z upward.
        const Extent along = slotExtent(alongX, slot);
        EXPECT_EQ(along.right - along.left, float(std::abs(flatSide.from.y - flatSide.to.y)));
        EXPECT_EQ(along.bottom - along.top, float(std::abs(flatSide.from.x - flatSide.to.x)));
    }
}

TEST(HitBoxScene3d, NearerBoxesAreDrawnLater) {
    struct Case {
        const char* name;
        Camera3d camera;
        int nearSlot;
        int slotUnderProbe;
        int filledFaces; // of slot 15: those toward the viewer, not edge on
    };
    // Slot 24 lies ahead of slot 15 and above it; the probe point lies inside slot 15.
    dm::PartTable table{};
    table[15] = boxFrom(-1, 0, 0, 1, 2, 1);
    table[24] = boxFrom(-1.5f, 4, 1.5f, 1.5f, 6, 3);
    const Case cases[]{
        {"from behind and below, overlapping", {0, -30, 10, 0, 0}, 15, 15, 2},
        {"from the front and above, overlapping", {180, 30, 10, 0, 0}, 24, 24, 2},
        {"straight down", {0, 90, 10, 0, 0}, 24, 15, 1},
        {"straight up", {0, -90, 10, 0, 0}, 15, 15, 1},
        {"from behind, left and below", {20, -20, 10, 0, 0}, 15, 15, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto ops = dm::buildHitBoxScene3d({400, 300, 1, c.camera, false}, table);
        const auto faces = only(ops, Layer3d::Box);
        ASSERT_EQ(faces.size(), 2u * 6 + 28u * 3); // the 28 empty boxes are flat three ways
        const int farSlot = c.nearSlot == 15 ? 24 : 15;
        const auto lastFar = std::find_if(faces.rbegin(), faces.rend(),
                                          [&](const DrawOp3d& f) { return f.slot == farSlot; });
        const auto firstNear = std::find_if(
            faces.begin(), faces.end(), [&](const DrawOp3d& f) { return f.slot == c.nearSlot; });
        EXPECT_LT(faces.rend() - lastFar, firstNear - faces.begin() + 1);
        EXPECT_EQ(std::count_if(faces.begin(), faces.end(),
                                [](const DrawOp3d& f) { return f.slot == 15 && f.fill; }),
                  c.filledFaces);
        EXPECT_TRUE(std::is_sorted(faces.begin(), faces.end(),
                                   [](const auto& a, const auto& b) { return a.depth > b.depth; }));
        const dm::ScreenPoint probe = dm::Projection(c.camera, 400, 300).project(0, 1, 0.2);
        EXPECT_EQ(dm::slotAt(ops, probe.x, probe.y), c.slotUnderProbe);
        EXPECT_EQ(dm::slotAt(ops, 5, 5), -1);
    }
}

TEST(HitBoxScene3d, GridAxesScaleAndMarkers) {
    struct Case {
        int gridFeet;
        double zoom;
        std::size_t gridLines; // across x from -12 to 12 and y from -9 to 9, rounded out
        // x reaches 12 and y 9, rounded out; z is seen end on. A foot label next to an axis's
        // name is left out.
        std::vector<std::string> labels;
    };
    const Case cases[]{
        {1, 10, 25 + 19, {"5 ft", "5 ft", "x", "y", "z"}},
        {1, 4, 25 + 19, {"x", "y", "z"}}, // 5 ft would be 20 pixels apart
        {2, 10, 13 + 11, {"10 ft", "x", "y", "z"}},
        {5, 10, 7 + 5, {"10 ft", "10 ft", "5 ft", "5 ft", "x", "y", "z"}},
        {10, 10, 5 + 3, {"10 ft", "10 ft", "x", "y", "z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gridFeet << " ft at " << c.zoom);
        const auto ops = dm::buildHitBoxScene3d({400, 300, c.gridFeet, {0, 90, c.zoom, 0, 0}, true},
                                                sampleBoxes());
        EXPECT_EQ(only(ops, Layer3d::Grid).size(), c.gridLines);
        std::vector<std::string> labels;
        for (const DrawOp3d& op : ops)
            if (op.shape == Shape3d::Label)
                labels.push_back(op.text);
        std::sort(labels.begin(), labels.end());
        EXPECT_EQ(labels, c.labels);
        // Seen from above the x label stands right of the origin: the picture is not mirrored.
        const auto x =
            std::find_if(ops.begin(), ops.end(), [](const DrawOp3d& op) { return op.text == "x"; });
        EXPECT_GT(x->points[0].x, 200 + c.zoom * 12);
        // Markers for slots 0 to 22 only, on top of everything.
        const auto markers = only(ops, Layer3d::Marker);
        ASSERT_EQ(markers.size(), 23u);
        EXPECT_EQ(ops.end() - 23, std::find(ops.begin(), ops.end(), markers.front()));
        EXPECT_EQ(markers[20].fill, dm::colours::blue);
        EXPECT_EQ(markers[20].points[0], (dm::ScreenPoint{200, 150}));
    }
}

TEST(HitBoxScene3d, MissingAndFarValuesAsInTheFlatViews) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    dm::PartTable table{};
    table[3].PZ1 = nan;
    table[4] = boxFrom(-inf, 0, 0, 1, 3.0e38f, 1);
    table[5].PX3 = nan;
    for (const Camera3d camera : {Camera3d{}, Camera3d{0, 90, dm::kLargestZoom, 0, 0}}) {
        const auto ops = dm::buildHitBoxScene3d({400, 300, 1, camera, true}, table);
        const auto faces = only(ops, Layer3d::Box);
        EXPECT_EQ(std::count_if(faces.begin(), faces.end(), [](auto& f) { return f.slot == 3; }),
                  0);
        EXPECT_EQ(std::count_if(faces.begin(), faces.end(), [](auto& f) { return f.slot == 4; }),
                  6);
        const auto markers = only(ops, Layer3d::Marker);
        EXPECT_EQ(markers.size(), 22u);
        EXPECT_TRUE(std::none_of(markers.begin(), markers.end(),
                                 [](const DrawOp3d& m) { return m.slot == 5; }));
        for (const DrawOp3d& op : ops)
            for (const dm::ScreenPoint& p : op.points)
                ASSERT_TRUE(std::abs(p.x) < dm::kFarPixel && std::abs(p.y) < dm::kFarPixel);
        // The grid stops at its largest reach: 201 lines each way.
        EXPECT_EQ(only(ops, Layer3d::Grid).size(), 2u * (2 * dm::kLargestGridReach + 1));
    }
}

TEST(HitBoxScene3d, AnyAngleGivesAPictureInsideThePaintersRange) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double manyTurns = 360 * 0x1p70; // far beyond what a long long holds
    struct Case {
        const char* name;
        Camera3d camera;
        std::optional<Camera3d> sameAs;
    };
    const Case cases[] = {
        {"infinite yaw", {inf, 20, 10, 0, 0}, Camera3d{0, 20, 10, 0, 0}},
        {"negative infinite pitch", {30, -inf, 10, 0, 0}, Camera3d{30, 0, 10, 0, 0}},
        {"NaN yaw and pitch", {nan, nan, 10, 0, 0}, Camera3d{0, 0, 10, 0, 0}},
        {"whole turns past 8e20", {manyTurns, -manyTurns, 10, 0, 0}, Camera3d{0, 0, 10, 0, 0}},
        {"largest doubles", {-DBL_MAX, DBL_MAX, 10, 0, 0}, std::nullopt},
    };
    const dm::PartTable table = sampleBoxes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto ops = dm::buildHitBoxScene3d({400, 300, 1, c.camera, true}, table);
        for (const DrawOp3d& op : ops)
            for (const dm::ScreenPoint& p : op.points)
                ASSERT_TRUE(std::abs(p.x) < dm::kFarPixel && std::abs(p.y) < dm::kFarPixel);
        if (c.sameAs) {
            EXPECT_TRUE(ops == dm::buildHitBoxScene3d({400, 300, 1, *c.sameAs, true}, table));
        }
    }
}

// Seen end on or at a slant, the axes' names stay and no two labels share their room
// (8 pixels a character across, 16 high, centred on their point).
TEST(HitBoxScene3d, AxisLabelsNeverSitOnTopOfEachOther) {
    const dm::PartTable table = sampleBoxes();
    for (const Camera3d& camera : {Camera3d{0, 90, 10, 0, 0}, Camera3d{45, 30, 4, 0, 0},
                                   Camera3d{90, 0, 10, 0, 0}, Camera3d{0, 0, 2, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << camera.yaw << " " << camera.pitch);
        std::vector<DrawOp3d> labels;
        for (const DrawOp3d& op : dm::buildHitBoxScene3d({400, 300, 1, camera, false}, table))
            if (op.shape == dm::Shape3d::Label)
                labels.push_back(op);
        EXPECT_EQ(std::count_if(labels.begin(), labels.end(),
                                [](const DrawOp3d& l) { return l.text.size() == 1; }),
                  3);
        for (std::size_t a = 0; a < labels.size(); ++a)
            for (std::size_t b = a + 1; b < labels.size(); ++b)
                EXPECT_FALSE(std::abs(labels[a].points[0].x - labels[b].points[0].x) <
                                 4.0f * float(labels[a].text.size() + labels[b].text.size()) &&
                             std::abs(labels[a].points[0].y - labels[b].points[0].y) < 16)
                    << labels[a].text << " and " << labels[b].text;
    }
}

TEST(HitBoxScene3d, TheCurrentRowsBoxIsOutlinedInYellow) {
    const auto ops =
        dm::buildHitBoxScene3d({400, 300, 1, {30, 40, 10, 0, 0}, false, 24}, sampleBoxes());
    const auto boxes = only(ops, Layer3d::Box);
    EXPECT_EQ(
        std::count_if(boxes.begin(), boxes.end(), [](const DrawOp3d& op) { return op.slot == 24; }),
        6);
    for (const DrawOp3d& op : boxes)
        EXPECT_EQ(op.pen == dm::colours::yellow, op.slot == 24) << op.slot;
}

TEST(Camera3dGestures, TurnPanAndZoomAroundThePointer) {
    Camera3d camera;
    dm::turnCamera(camera, 40, 30);
    EXPECT_EQ(camera, (Camera3d{50, 35, 10, 0, 0}));
    dm::turnCamera(camera, 660, 200);
    EXPECT_EQ(camera, (Camera3d{20, 90, 10, 0, 0})); // yaw wraps, pitch stops straight down
    dm::turnCamera(camera, 0, -500);
    EXPECT_EQ(camera.pitch, -90);
    dm::panCamera(camera, 12, -7);
    EXPECT_EQ(camera, (Camera3d{20, -90, 10, 12, -7}));

    struct Case {
        double factor;
        double zoom;
    };
    for (const Case c :
         {Case{2, 20}, Case{0.5, 5}, Case{1e6, dm::kLargestZoom}, Case{1e-6, dm::kSmallestZoom}}) {
        SCOPED_TRACE(c.factor);
        Camera3d zoomed{30, 20, 10, 15, -25};
        const dm::Projection before(zoomed, 640, 480);
        const dm::ScreenPoint pointer{500, 100};
        dm::zoomCameraAround(zoomed, c.factor, pointer.x, pointer.y, 640, 480);
        EXPECT_DOUBLE_EQ(zoomed.zoom, c.zoom);
        const dm::ScreenPoint origin = dm::Projection(zoomed, 640, 480).project(0, 0, 0);
        const dm::ScreenPoint oldOrigin = before.project(0, 0, 0);
        // The picture grows or shrinks around the pointer: the origin moves with it.
        const double scale = c.zoom / 10;
        EXPECT_NEAR(origin.x, pointer.x + (oldOrigin.x - pointer.x) * scale, 1e-3);
        EXPECT_NEAR(origin.y, pointer.y + (oldOrigin.y - pointer.y) * scale, 1e-3);
    }
}

TEST(Camera3dGestures, StartingZoomFitsTheBoxesInThePicture) {
    dm::PartTable bomber{};
    bomber[0] = boxFrom(2, -4.5f, -3.5f, 37.5f, 1, -3);
    bomber[3] = boxFrom(-2, -4.5f, -3.5f, -37.5f, 1, -3);
    bomber[15] = boxFrom(-2, -30, -3, 2, 10, 3);
    struct Case {
        const char* name;
        dm::PartTable table;
        bool fitted; // false: small enough for the starting zoom
    };
    const Case cases[]{
        {"bomber", bomber, true}, {"sample", sampleBoxes(), false}, {"empty", {}, false}};
    for (const Camera3d camera :
         {Camera3d{}, Camera3d{0, 90, 10, 0, 0}, Camera3d{-90, 0, 10, 0, 0}})
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " yaw " << camera.yaw);
            Camera3d fitted = camera;
            fitted.zoom = dm::fittingZoom(c.table, camera, 640, 480);
            const auto ops = dm::buildHitBoxScene3d({640, 480, 1, fitted, false}, c.table);
            float margin = 320;
            for (const DrawOp3d& op : only(ops, Layer3d::Box))
                for (const dm::ScreenPoint& p : op.points)
                    margin = std::min({margin, p.x, 640 - p.x, p.y, 480 - p.y});
            EXPECT_GE(margin, 0.05f * 480 - 1e-3f);
            if (c.fitted) {
                EXPECT_LT(margin, 0.05f * 640 + 1e-3f);
            } else {
                EXPECT_EQ(fitted.zoom, dm::kStartZoom);
            }
        }
}

} // namespace
