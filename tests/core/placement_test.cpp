#include "core/errors.h"
#include "core/placement.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(PlacementTest, SplitsAtEveryCommaWithoutATrailingEmptyField) {
    using Fields = std::vector<std::string>;
    struct Case {
        const char* value;
        Fields fields;
    };
    const Case cases[] = {
        {"", {}},
        {",", {""}},
        {"200", {"200"}},
        {"200,", {"200"}},
        {"a,,b", {"a", "", "b"}},
        {"a,b,,", {"a", "b", ""}},
        {"200,0,1,205,106,728,650", {"200", "0", "1", "205", "106", "728", "650"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::splitPlacementFields(c.value), c.fields) << '"' << c.value << '"';
}

TEST(PlacementTest, FormatsSevenFieldsLedBy200) {
    EXPECT_EQ(dm::formatPlacement({0, 1, 205, 106, 728, 650}), "200,0,1,205,106,728,650");
    EXPECT_EQ(dm::formatPlacement({2, 2, -8, -30, 1032, 776}), "200,2,2,-8,-30,1032,776");
}

TEST(PlacementTest, ParsesOnlyValuesOfTheRightShape) {
    const dm::Placement current{0, 1, 10, 20, 30, 40};
    struct Case {
        const char* value;
        bool withState;
        std::optional<dm::Placement> expected;
    };
    const Case cases[] = {
        {"200,0,1,205,106,728,650", false, dm::Placement{0, 1, 205, 106, 728, 650}},
        {"200,2,3,100,100,600,500", true, dm::Placement{2, 3, 100, 100, 600, 500}},
        // Views take no state from the file, so their fields 2 and 3 are never read.
        {"200,2,3,100,100,600,500", false, dm::Placement{0, 1, 100, 100, 600, 500}},
        {"200,x,y,100,100,600,500", false, dm::Placement{0, 1, 100, 100, 600, 500}},
        {"200,0,1,-5,-6,600,500,", false, dm::Placement{0, 1, -5, -6, 600, 500}},
        {"201,0,1,100,100,600,500", true, std::nullopt},
        {" 200,0,1,100,100,600,500", true, std::nullopt},
        {"200,0,1,100,100,600", true, std::nullopt},
        {"200,0,1,100,100,600,500,7", true, std::nullopt},
        {"200,0,1,100,100,600,500,,", true, std::nullopt},
        {"", true, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::parsePlacement(c.value, c.withState, current), c.expected) << c.value;
}

TEST(PlacementTest, ABadFieldRaisesTheConversionError) {
    struct Case {
        const char* value;
        bool withState;
        const char* message;
    };
    const Case cases[] = {
        {"200,0,1,abc,100,600,500", false, "'abc' is not a valid integer value"},
        {"200,0,1,100,,600,500", false, "'' is not a valid integer value"},
        {"200,0,1,100,100,6.5,500", true, "'6.5' is not a valid integer value"},
        {"200,max,3,100,100,600,500", true, "'max' is not a valid integer value"},
        {"200,0,1,100,100,600,99999999999", false, "'99999999999' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        try {
            dm::parsePlacement(c.value, c.withState, {});
            ADD_FAILURE() << "no error for " << c.value;
        } catch (const dm::ConvertError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST(PlacementTest, StoredRectanglesAreFittedToTheScreenAndTheWindowsLimits) {
    // A 1024 x 768 screen whose work area is 1024 x 738; the window's minimum is 462 x 380.
    const dm::PlacementLimits limits{1024, 768, 1024, 738, 462, 380};
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    struct Case {
        const char* name;
        dm::Placement stored;
        dm::Placement expected;
    };
    const Case cases[] = {
        {"in range", {0, 1, 205, 106, 728, 650}, {0, 1, 205, 106, 728, 650}},
        {"whole work area", {0, 1, 0, 0, 1024, 738}, {0, 1, 0, 0, 1024, 738}},
        {"beyond the right edge", {0, 1, 900, 0, 1400, 400}, {0, 1, 524, 0, 1024, 400}},
        {"beyond the bottom edge", {0, 1, 100, 700, 600, 1100}, {0, 1, 100, 368, 600, 768}},
        {"beyond both", {0, 3, 900, 700, 1400, 1100}, {0, 3, 524, 368, 1024, 768}},
        {"partly left of the screen", {0, 1, -300, 10, 200, 410}, {0, 1, -300, 10, 200, 410}},
        {"no area", {0, 1, 300, 300, 200, 200}, {0, 1, 300, 300, 762, 680}},
        {"one pixel", {0, 1, 200, 0, 201, 300}, {0, 1, 200, 0, 662, 380}},
        {"larger than the work area", {0, 1, 0, 0, 100000, 100000}, {0, 1, 0, 0, 1024, 738}},
        {"wider than the screen", {0, 1, 100, 0, 1300, 400}, {0, 1, 0, 0, 1024, 400}},
        {"far left", {0, 1, -2147483000, 0, 2000, 400}, {0, 1, -974, 0, 50, 400}},
        {"title bar off the left", {0, 1, -2000, 0, -1500, 400}, {0, 1, -450, 0, 50, 400}},
        {"title bar above the top", {0, 1, 100, -200, 600, 300}, {0, 1, 100, 0, 600, 500}},
        {"far right and down",
         {0, 1, kMax - 10, kMax - 10, kMax, kMax},
         {0, 1, 562, 388, 1024, 768}},
        {"extremes", {0, 1, kMin, kMin, kMax, kMax}, {0, 1, -974, 0, 50, 738}},
        {"inverted extremes", {0, 1, kMax, kMax, kMin, kMin}, {0, 1, 562, 388, 1024, 768}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::fitToScreen(c.stored, limits), c.expected) << c.name;
}

TEST(PlacementTest, WindowsAreBroughtInsideTheWorkArea) {
    // A 1024 x 768 screen with a 40 pixel task bar on the left: the work area starts at x 40.
    const dm::ScreenArea work{40, 0, 984, 768};
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    struct Case {
        const char* name;
        dm::Placement placement;
        dm::Placement expected;
    };
    const Case cases[] = {
        {"inside", {0, 1, 100, 100, 600, 500}, {0, 1, 100, 100, 600, 500}},
        {"the whole work area", {0, 1, 40, 0, 1024, 768}, {0, 1, 40, 0, 1024, 768}},
        {"under the task bar", {0, 1, 0, 10, 500, 410}, {0, 1, 40, 10, 540, 410}},
        {"one pixel beyond the bottom", {0, 1, 100, 369, 600, 769}, {0, 1, 100, 368, 600, 768}},
        {"beyond the right edge", {0, 1, 945, 171, 1205, 802}, {0, 1, 764, 137, 1024, 768}},
        {"taller than the work area", {2, 3, 100, 50, 740, 850}, {2, 3, 100, 0, 740, 768}},
        {"larger both ways", {0, 1, -10, -10, 2000, 2000}, {0, 1, 40, 0, 1024, 768}},
        {"extremes", {0, 1, kMin, kMin, kMax, kMax}, {0, 1, 40, 0, 1024, 768}},
        {"far right and down",
         {0, 1, kMax - 10, kMax - 10, kMax, kMax},
         {0, 1, 1014, 758, 1024, 768}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::insideArea(c.placement, work), c.expected) << c.name;
}

} // namespace
