// A plan picture's typed values, its place in a view, its gestures and its settings line.

#include "core/background_picture.h"
#include "core/errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(BackgroundPicture, TypedValuesOutsideTheirRangesAreRefused) {
    struct Case {
        const char* text;
        double (*parse)(std::string_view);
        const char* message; // empty: accepted
    };
    const auto centre = [](std::string_view text) { return dm::parseBackgroundCentre(text, "x"); };
    const auto opacity = [](std::string_view text) {
        return double(dm::parseBackgroundOpacity(text));
    };
    const char* const width = "is not a width in feet from 0.01 to 10000";
    const Case cases[]{
        {"0", dm::parseBackgroundWidth, width},
        {"-3", dm::parseBackgroundWidth, width},
        {"nan", dm::parseBackgroundWidth, width},
        {"inf", dm::parseBackgroundWidth, width},
        {"1e30", dm::parseBackgroundWidth, width},
        {"0x10", dm::parseBackgroundWidth, width},
        {"", dm::parseBackgroundWidth, width},
        {" 12,5 ", dm::parseBackgroundWidth, ""},
        {"0.01", dm::parseBackgroundWidth, ""},
        {"0.0099999", dm::parseBackgroundWidth, width},
        {"10000", dm::parseBackgroundWidth, ""},
        {"10000.001", dm::parseBackgroundWidth, width},
        {"1e30", centre, "is not a centre x in feet from -10000 to 10000"},
        {"-10000", centre, ""},
        {"101", opacity, "is not an opacity in percent from 0 to 100"},
        {"50.5", opacity, "is not an opacity in percent from 0 to 100"},
        {"0", opacity, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (*c.message == '\0') {
            EXPECT_TRUE(std::isfinite(c.parse(c.text)));
            continue;
        }
        try {
            c.parse(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const dm::DamageError& error) {
            EXPECT_EQ(error.what(), "'" + std::string(c.text) + "' " + c.message);
        }
    }
}

// A 200 x 100 pixel picture 20 ft wide, its centre at (3, -2) in the view's own order.
const dm::BackgroundPicture kPicture{"plan.png", 20, {3, -2}, 50, false};

dm::SceneRequest viewOf(dm::HitBoxView view, int zoom) {
    return {.width = 515, .height = 517, .gridFeet = 1, .zoomFactor = zoom, .view = view};
}

TEST(BackgroundPicture, FrameLiesWhereTheFeetSayAtEveryZoom) {
    struct Case {
        const char* name;
        dm::HitBoxView view;
        int zoom;
        double left, top, width, height;
    };
    // Feet (0, 0) is the middle of pixel (257, 208); feet grow to the left and upwards.
    const Case cases[]{
        {"top at 100%", dm::HitBoxView::Top, 10, 257.5 - 30 - 100, 208.5 + 20 - 50, 200, 100},
        {"top at 20%", dm::HitBoxView::Top, 2, 257.5 - 6 - 20, 208.5 + 4 - 10, 40, 20},
        {"side at 50%: z = -2 across, y = 3 up", dm::HitBoxView::Side, 5, 257.5 + 10 - 50,
         208.5 - 15 - 25, 100, 50},
        {"no zoom, no picture", dm::HitBoxView::Side, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const dm::PictureFrame frame = dm::pictureFrame(kPicture, 200, 100, viewOf(c.view, c.zoom));
        EXPECT_DOUBLE_EQ(frame.left, c.left);
        EXPECT_DOUBLE_EQ(frame.top, c.top);
        EXPECT_DOUBLE_EQ(frame.width, c.width);
        EXPECT_DOUBLE_EQ(frame.height, c.height);
    }
}

TEST(BackgroundPicture, DragFollowsThePointerAndScalingKeepsThePointedFeet) {
    for (const dm::HitBoxView view : {dm::HitBoxView::Top, dm::HitBoxView::Side}) {
        SCOPED_TRACE(view == dm::HitBoxView::Top ? "top" : "side");
        const dm::SceneRequest request = viewOf(view, 5);
        const dm::PictureFrame before = dm::pictureFrame(kPicture, 200, 100, request);
        const dm::PictureFrame moved =
            dm::pictureFrame(dm::movedByPixels(kPicture, {15, -40}, request), 200, 100, request);
        EXPECT_DOUBLE_EQ(moved.left, before.left + 15);
        EXPECT_DOUBLE_EQ(moved.top, before.top - 40);

        // The pointer a quarter into the picture stays a quarter into it.
        const dm::PixelPoint pointer{int(before.left + 25), int(before.top + 25)};
        const dm::BackgroundPicture scaled = dm::scaledAround(kPicture, 1.5, pointer, request);
        EXPECT_DOUBLE_EQ(scaled.widthFeet, 30);
        const dm::PictureFrame after = dm::pictureFrame(scaled, 200, 100, request);
        const double share = (pointer.x + 0.5 - before.left) / before.width;
        EXPECT_NEAR((pointer.x + 0.5 - after.left) / after.width, share, 1e-12);
        EXPECT_NEAR((pointer.y + 0.5 - after.top) / after.height,
                    (pointer.y + 0.5 - before.top) / before.height, 1e-12);
    }
    const dm::SceneRequest request = viewOf(dm::HitBoxView::Top, 10);
    EXPECT_EQ(dm::scaledAround(kPicture, 1e9, {0, 0}, request).widthFeet,
              dm::kLargestBackgroundFeet);
    EXPECT_EQ(dm::scaledAround(kPicture, 1e-9, {0, 0}, request).widthFeet,
              dm::kSmallestBackgroundWidth);
}

TEST(BackgroundPicture, SettingsLineAndKey) {
    const dm::BackgroundPicture picture{
        "/plans/a;b=c/\xc3\xa9t\xc3\xa9.png", 0.1, {-1e-7, 1234.5678}, 0, true};
    EXPECT_EQ(dm::parseBackgroundSettingsLine(dm::backgroundSettingsLine(picture)), picture);
    EXPECT_EQ(dm::backgroundSettingsLine(kPicture), "20;3;-2;50;0;plan.png");
    // Whatever a gesture can leave is read back as it was stored, up to the edges of each range.
    const dm::SceneRequest view = viewOf(dm::HitBoxView::Top, 10);
    const struct {
        const char* name;
        dm::BackgroundPicture picture;
    } edges[]{
        {"scaled down as far as it goes", dm::scaledAround(kPicture, 1e-9, {3, 4}, view)},
        {"scaled up as far as it goes", dm::scaledAround(kPicture, 1e9, {3, 4}, view)},
        {"dragged to the far corner", dm::movedByPixels(kPicture, {-1 << 30, 1 << 30}, view)},
        {"smallest width, opaque", {"p.png", dm::kSmallestBackgroundWidth, {0, 0}, 100, false}},
    };
    for (const auto& edge : edges) {
        SCOPED_TRACE(edge.name);
        const std::string line = dm::backgroundSettingsLine(edge.picture);
        EXPECT_NO_THROW(EXPECT_EQ(dm::parseBackgroundSettingsLine(line), edge.picture)) << line;
    }
    for (const char* bad : {"", "20;3;-2;50;0;", "20;3;-2;50;2;plan.png", "0;3;-2;50;0;plan.png",
                            "20;3;-2;50;plan.png"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(dm::parseBackgroundSettingsLine(bad), dm::DamageError);
    }
    EXPECT_EQ(dm::backgroundSettingsKey("/games/aircraft/27damage.dat", dm::HitBoxView::Top),
              "top 27damage.dat");
    EXPECT_EQ(dm::backgroundSettingsKey("C:\\mods\\a=b%\n.dat", dm::HitBoxView::Side),
              "side a%3Db%25%0A.dat");
}

} // namespace
