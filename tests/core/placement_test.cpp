#include "core/errors.h"
#include "core/placement.h"

#include <gtest/gtest.h>

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

TEST(PlacementTest, MovesBackInsideTheRightAndBottomEdgesOnly) {
    struct Case {
        dm::Placement stored;
        dm::Placement expected;
    };
    const Case cases[] = {
        {{0, 1, 900, 0, 1200, 300}, {0, 1, 724, 0, 1024, 300}},
        {{0, 1, 100, 700, 400, 900}, {0, 1, 100, 568, 400, 768}},
        {{0, 1, 900, 700, 1200, 900}, {0, 1, 724, 568, 1024, 768}},
        {{0, 1, 0, 0, 1024, 768}, {0, 1, 0, 0, 1024, 768}},
        {{0, 1, -300, -200, 100, 100}, {0, 1, -300, -200, 100, 100}},
        // Wider than the screen: the right edge wins and the left goes off screen.
        {{0, 3, 100, 0, 1300, 300}, {0, 3, -176, 0, 1024, 300}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::clampToScreen(c.stored, 1024, 768), c.expected)
            << dm::formatPlacement(c.stored);
}

} // namespace
