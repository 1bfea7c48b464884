#include "core/grid_colors.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

using dm::Rgb;

// Text colour expected in each grid row; rows not listed keep the default.
const std::map<int, Rgb> kRowColors = {
    {1, {0, 80, 0}},      {2, {0, 80, 0}},     {3, {0, 80, 0}},      {4, {0, 80, 0}},
    {5, {0, 105, 0}},     {6, {0, 105, 0}},    {7, {0, 105, 0}},     {8, {0, 105, 0}},
    {9, {0, 128, 0}},     {10, {0, 128, 0}},   {11, {0, 128, 0}},    {12, {0, 128, 0}},
    {13, {255, 0, 0}},    {14, {255, 0, 0}},   {15, {0, 0, 255}},    {16, {128, 128, 0}},
    {17, {0, 0, 0}},      {18, {0, 0, 0}},     {19, {128, 0, 128}},  {20, {128, 0, 0}},
    {21, {0, 255, 255}},  {22, {0, 128, 128}}, {24, {128, 0, 128}},  {25, {91, 159, 184}},
    {26, {234, 138, 41}}, {28, {128, 0, 128}}, {29, {91, 159, 184}}, {30, {234, 138, 41}}};

bool highlighted(int column) {
    return column == 10 || column == 11 || column == 12 || column == 16 || column == 17 ||
           column == 18;
}

TEST(GridColorsTest, EveryCellOfTheTextStoreFollowsTheRules) {
    for (int row = 0; row <= 30; ++row) {
        for (int column = 0; column <= 22; ++column) {
            SCOPED_TRACE(testing::Message() << "row " << row << " column " << column);
            const dm::CellColorRule rule = dm::cellColorRule(row, column);
            if (row == 0 || column == 0) {
                EXPECT_EQ(rule, dm::CellColorRule{}) << "header cells are never touched";
                continue;
            }
            const bool grey = highlighted(column);
            EXPECT_EQ(rule.bold, grey);
            EXPECT_EQ(rule.background,
                      grey ? std::optional<Rgb>(Rgb{160, 160, 160}) : std::nullopt);
            const auto color = kRowColors.find(row);
            EXPECT_EQ(rule.text,
                      color == kRowColors.end() ? std::nullopt : std::optional<Rgb>(color->second));
        }
    }
}

TEST(GridColorsTest, SecondPointAndEnginesKeepTheirDefaults) {
    for (const int column : {13, 14, 15})
        EXPECT_FALSE(dm::cellColorRule(5, column).background.has_value()) << column;
    for (const int row : {23, 27}) {
        EXPECT_FALSE(dm::cellColorRule(row, 4).text.has_value()) << row;
        EXPECT_TRUE(dm::cellColorRule(row, 16).bold) << row;
    }
}

// Selected text is maroon; on a selection colour of any system it must still read, and keep its
// red where it can.
TEST(GridColorsTest, SelectedTextStandsOutFromEverySelectionColour) {
    EXPECT_NEAR(dm::contrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
    EXPECT_NEAR(dm::contrastRatio({91, 159, 184}, {91, 159, 184}), 1.0, 1e-9);
    struct Case {
        const char* name;
        Rgb selection;
        bool maroonReads;
    };
    const Case cases[] = {
        {"Fusion blue", {48, 140, 198}, false},
        {"classic navy", {0, 0, 128}, false},
        {"light blue", {204, 232, 255}, true},
        {"bright blue", {51, 153, 255}, true},
        {"black", {0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Rgb text = dm::legibleOn(dm::colours::maroon, c.selection);
        EXPECT_GE(dm::contrastRatio(text, c.selection), dm::kLeastSelectionContrast);
        EXPECT_EQ(text == dm::colours::maroon, c.maroonReads);
        EXPECT_GT(text.red, text.green);
        EXPECT_EQ(text.green, text.blue) << "a shade of maroon, not another hue";
    }
}

} // namespace
