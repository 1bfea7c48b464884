#include "shell/tooltip_colours.h"

#include <algorithm>
#include <cmath>

namespace shell {
namespace {

// Text smaller than a heading needs this much contrast to be read with ease.
constexpr double kLegibleContrast = 4.5;

double luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor& one, const QColor& other) {
    const double a = luminance(one);
    const double b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

} // namespace

QPalette legibleToolTipPalette(const QPalette& palette) {
    QColor base = palette.color(QPalette::Active, QPalette::ToolTipBase);
    QColor text = palette.color(QPalette::Active, QPalette::ToolTipText);
    if (contrast(base, text) < kLegibleContrast) {
        base = QColor(255, 255, 225); // the classic Windows tooltip
        text = Qt::black;
    }
    QPalette legible = palette;
    legible.setColor(QPalette::All, QPalette::ToolTipBase, base);
    legible.setColor(QPalette::All, QPalette::ToolTipText, text);
    return legible;
}

} // namespace shell
