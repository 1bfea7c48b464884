#include "core/grid_colors.h"

#include "core/damage_file.h"

#include <array>

namespace dm {

namespace {

constexpr bool isHighlightedPointColumn(int column) {
    return (column >= 10 && column <= 12) || (column >= 16 && column <= 18);
}

constexpr Rgb kHighlightedPointGrey{160, 160, 160};
// Lighter than the views' steel blue and orange.
constexpr Rgb kGasTank{91, 159, 184};
constexpr Rgb kOilRadiator{234, 138, 41};

using namespace colours;

// Text colour of each part slot; the engines keep the default.
constexpr std::array<std::optional<Rgb>, kSlotCount> kSlotTextColors = {
    darkGreen,    darkGreen,   darkGreen,   darkGreen,     // lower wings
    mediumGreen,  mediumGreen, mediumGreen, mediumGreen,   // middle wings
    green,        green,       green,       green,         // upper wings
    red,          red,                                     // stabilizers
    blue,                                                  // rudder
    olive,                                                 // fuselage
    black,        black,                                   // wheels
    purple,                                                // tail skid
    maroon,                                                // pilot
    aqua,                                                  // observer
    teal,                                                  // gunner
    std::nullopt, purple,      kGasTank,    kOilRadiator,  // engine #1
    std::nullopt, purple,      kGasTank,    kOilRadiator}; // engine #2

} // namespace

CellColorRule cellColorRule(int row, int column) {
    CellColorRule rule;
    if (row > 0 && isHighlightedPointColumn(column)) {
        rule.background = kHighlightedPointGrey;
        rule.bold = true;
    }
    if (column > 0 && row > 0 && row <= kSlotCount)
        rule.text = kSlotTextColors[row - 1];
    return rule;
}

} // namespace dm
