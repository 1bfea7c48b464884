#include "shell/tooltip_colours.h"

#include "core/grid_colors.h"
#include "views/qt_colours.h"

namespace shell {
namespace {

// Text smaller than a heading needs this much contrast to be read with ease.
constexpr double kLegibleContrast = 4.5;

} // namespace

QPalette legibleToolTipPalette(const QPalette& palette) {
    QColor base = palette.color(QPalette::Active, QPalette::ToolTipBase);
    QColor text = palette.color(QPalette::Active, QPalette::ToolTipText);
    if (dm::contrastRatio(toRgb(base), toRgb(text)) < kLegibleContrast) {
        base = QColor(255, 255, 225); // the classic Windows tooltip
        text = Qt::black;
    }
    QPalette legible = palette;
    legible.setColor(QPalette::All, QPalette::ToolTipBase, base);
    legible.setColor(QPalette::All, QPalette::ToolTipText, text);
    return legible;
}

} // namespace shell
