#include "views/grid_contrast.h"

#include "core/grid_colors.h"

#include <algorithm>
#include <array>

namespace {

// Silver stands out from the views' gray by about 2.2; where it would stand out less, the grid is
// drawn dark instead.
constexpr double kLeastGridContrast = 2.0;
constexpr QRgb kDarkGrid = qRgb(48, 48, 48);

// Relative luminance is a weighted sum over the channels: one table per channel.
struct LuminanceTables {
    std::array<double, 256> red, green, blue;
};

const LuminanceTables& tables() {
    static const LuminanceTables built = [] {
        LuminanceTables t{};
        for (int c = 0; c < 256; ++c) {
            const auto v = static_cast<std::uint8_t>(c);
            t.red[c] = dm::relativeLuminance({v, 0, 0});
            t.green[c] = dm::relativeLuminance({0, v, 0});
            t.blue[c] = dm::relativeLuminance({0, 0, v});
        }
        return t;
    }();
    return built;
}

double luminanceOf(QRgb pixel) {
    const LuminanceTables& t = tables();
    return t.red[qRed(pixel)] + t.green[qGreen(pixel)] + t.blue[qBlue(pixel)];
}

// The lightest luminance below a line of `pen` on which the pen still reads; it is never the
// darker of the two, as the grid's silver is light.
double lightestBelow(dm::Rgb pen) {
    return (dm::relativeLuminance(pen) + 0.05) / kLeastGridContrast - 0.05;
}

} // namespace

bool isGridLine(const dm::DrawOp& op) {
    return op.layer == dm::SceneLayer::Grid && op.shape == dm::ShapeKind::Line &&
           op.penWidth == 1 && (op.from.x == op.to.x || op.from.y == op.to.y);
}

void drawGridWithContrast(QImage& image, const QRect& area, const std::vector<dm::DrawOp>& scene) {
    for (const dm::DrawOp& op : scene) {
        if (!isGridLine(op))
            continue;
        const QRgb pen = qRgb(op.pen.red, op.pen.green, op.pen.blue);
        const double lightest = lightestBelow(op.pen);
        const QRect span = QRect(QPoint(std::min(op.from.x, op.to.x), std::min(op.from.y, op.to.y)),
                                 QPoint(std::max(op.from.x, op.to.x), std::max(op.from.y, op.to.y)))
                               .translated(-area.topLeft()) &
                           image.rect();
        for (int y = span.top(); y <= span.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = span.left(); x <= span.right(); ++x)
                row[x] = luminanceOf(row[x]) <= lightest ? pen : kDarkGrid;
        }
    }
}
