#pragma once

#include <cstdint>
#include <optional>

namespace dm {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kSilver{192, 192, 192};
constexpr Rgb kHighlightedPointGrey{160, 160, 160};
constexpr Rgb kMaroon{128, 0, 0};

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
