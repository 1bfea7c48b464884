#pragma once

#include "core/colours.h"

#include <optional>

namespace dm {

// What the colour rules change on a cell; an empty colour keeps the cell's default.
struct CellColorRule {
    std::optional<Rgb> background;
    std::optional<Rgb> text;
    bool bold = false;
    friend bool operator==(const CellColorRule&, const CellColorRule&) = default;
};

// The editor grid's colour rules for the cell in grid row `row`, column `column`: the first and
// third hit-box points grey and bold, the text coloured by part family. Header cells get nothing.
CellColorRule cellColorRule(int row, int column);

// Selected cells' text stands out from the selection colour at least this much.
constexpr double kLeastSelectionContrast = 3.0;

// The colour's relative luminance, 0 for black to 1 for white.
double relativeLuminance(Rgb colour);

// How far two colours stand apart in relative luminance, from 1 (alike) to 21 (black on white),
// as accessibility guidelines measure legibility.
double contrastRatio(Rgb a, Rgb b);

// `text` where it stands out from `background` by `least`; otherwise the nearest colour on its way
// to black or to white that does, so that it keeps as much of its hue as it can.
Rgb legibleOn(Rgb text, Rgb background, double least = kLeastSelectionContrast);

} // namespace dm
