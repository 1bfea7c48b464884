#include "core/grid_colors.h"

#include "core/part_slots.h"

namespace dm {

namespace {

constexpr bool isHighlightedPointColumn(int column) {
    return (column >= 10 && column <= 12) || (column >= 16 && column <= 18);
}

constexpr Rgb kHighlightedPointGrey{160, 160, 160};

} // namespace

CellColorRule cellColorRule(int row, int column) {
    CellColorRule rule;
    if (row > 0 && isHighlightedPointColumn(column)) {
        rule.background = kHighlightedPointGrey;
        rule.bold = true;
    }
    if (column > 0 && row > 0 && row <= kSlotCount)
        rule.text = kPartSlots[row - 1].gridText;
    return rule;
}

} // namespace dm
