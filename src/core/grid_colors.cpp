#include "core/grid_colors.h"

#include "core/part_slots.h"

#include <algorithm>
#include <cmath>

namespace dm {

namespace {

constexpr bool isHighlightedPointColumn(int column) {
    return (column >= 10 && column <= 12) || (column >= 16 && column <= 18);
}

constexpr Rgb kHighlightedPointGrey{160, 160, 160};

double linear(std::uint8_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

std::uint8_t mixed(std::uint8_t from, std::uint8_t to, double share) {
    return static_cast<std::uint8_t>(std::lround(from + (to - from) * share));
}

Rgb mixed(Rgb from, Rgb to, double share) {
    return {mixed(from.red, to.red, share), mixed(from.green, to.green, share),
            mixed(from.blue, to.blue, share)};
}

// Black or white stands out from any colour by more than 4.5.
constexpr int kMixSteps = 32;
constexpr Rgb kWhite{255, 255, 255};

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

double relativeLuminance(Rgb colour) {
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

double contrastRatio(Rgb a, Rgb b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb legibleOn(Rgb text, Rgb background, double least) {
    for (int step = 0; step <= kMixSteps; ++step)
        for (const Rgb end : {colours::black, kWhite}) {
            const Rgb candidate = mixed(text, end, double(step) / kMixSteps);
            if (contrastRatio(candidate, background) >= least)
                return candidate;
        }
    // Asked for more than black or white gives: the one that comes closest.
    return contrastRatio(colours::black, background) >= contrastRatio(kWhite, background)
               ? colours::black
               : kWhite;
}

} // namespace dm
