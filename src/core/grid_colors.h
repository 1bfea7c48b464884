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

} // namespace dm
