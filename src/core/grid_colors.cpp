#include "core/grid_colors.h"

#include "core/damage_file.h"

#include <array>

namespace dm {

namespace {

constexpr bool isHighlightedPointColumn(int column) {
    return (column >= 10 && column <= 12) || (column >= 16 && column <= 18);
}

constexpr Rgb kPurple{128, 0, 128};
constexpr Rgb kGasTank{91, 159, 184};
constexpr Rgb kOilRadiator{234, 138, 41};

// Text colour of each part slot; the engines keep the default.
constexpr std::array<std::optional<Rgb>, kSlotCount> kSlotTextColors = {
    Rgb{0, 80, 0},    Rgb{0, 80, 0},  Rgb{0, 80, 0},  Rgb{0, 80, 0},  // lower wings
    Rgb{0, 105, 0},   Rgb{0, 105, 0}, Rgb{0, 105, 0}, Rgb{0, 105, 0}, // middle wings
    Rgb{0, 128, 0},   Rgb{0, 128, 0}, Rgb{0, 128, 0}, Rgb{0, 128, 0}, // upper wings
    Rgb{255, 0, 0},   Rgb{255, 0, 0},                                 // stabilizers
    Rgb{0, 0, 255},                                                   // rudder
    Rgb{128, 128, 0},                                                 // fuselage
    Rgb{0, 0, 0},     Rgb{0, 0, 0},                                   // wheels
    kPurple,                                                          // tail skid
    kMaroon,                                                          // pilot
    Rgb{0, 255, 255},                                                 // observer
    Rgb{0, 128, 128},                                                 // gunner
    std::nullopt,     kPurple,        kGasTank,       kOilRadiator,   // engine #1
    std::nullopt,     kPurple,        kGasTank,       kOilRadiator};  // engine #2

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
