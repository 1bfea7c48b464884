#include "views/scene_painter_3d.h"

#include "views/qt_colours.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

QPointF toPoint(dm::ScreenPoint point) {
    return {point.x, point.y};
}

QPen penFor(const dm::DrawOp3d& op) {
    QPen pen(toQColor(op.pen), op.penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void drawLabel(QPainter& painter, const dm::DrawOp3d& op) {
    painter.setPen(toQColor(op.pen));
    const QString text = QString::fromStdString(op.text);
    const QRectF box = painter.fontMetrics().boundingRect(text);
    painter.drawText(toPoint(op.points[0]) - QPointF(box.width() / 2, box.center().y()), text);
}

// Lines written straight into the pixels of an image: QPainter sets the pixels of a slanted thin
// line one at a time and strokes a wide one as a shape, which together made most of a redraw's
// cost.
class PixelLines {
public:
    PixelLines(QPainter& painter, const QRect& area) : area_(area) {
        QPaintDevice* device = painter.device();
        if (device == nullptr || device->devType() != QInternal::Image ||
            !painter.combinedTransform().isIdentity())
            return;
        auto* image = static_cast<QImage*>(device);
        if (image->depth() != 32 || image->hasAlphaChannel() || image->devicePixelRatio() != 1)
            return;
        // The painter holds the image: writing its pixels in place must not make it copy them.
        bits_ = const_cast<uchar*>(image->constBits());
        bytesPerLine_ = image->bytesPerLine();
        area_ &= image->rect();
    }

    bool usable() const { return bits_ != nullptr; }

    // A line `width` pixels across: that many one-pixel lines side by side across its direction.
    void draw(QPointF from, QPointF to, QRgb colour, int width) {
        const QPointF delta = to - from;
        const QPointF across =
            std::abs(delta.x()) >= std::abs(delta.y()) ? QPointF(0, 1) : QPointF(1, 0);
        for (int k = 0; k < width; ++k) {
            const QPointF shift = across * (k - (width - 1) / 2.0);
            drawOne(from + shift, to + shift, colour);
        }
    }

private:
    // One pixel at each step along the longer direction, inside the area only.
    void drawOne(QPointF from, QPointF to, QRgb colour) {
        from += area_.topLeft();
        to += area_.topLeft();
        if (!clip(from, to))
            return;
        const QPointF delta = to - from;
        const int steps =
            static_cast<int>(std::ceil(std::max(std::abs(delta.x()), std::abs(delta.y()))));
        const QPointF step = steps == 0 ? QPointF() : delta / steps;
        // Clipped, every point lies in [left, right + 1] x [top, bottom + 1] but for rounding.
        double x = from.x();
        double y = from.y();
        for (int i = 0; i <= steps; ++i, x += step.x(), y += step.y()) {
            const int column = std::clamp(static_cast<int>(x), area_.left(), area_.right());
            const int row = std::clamp(static_cast<int>(y), area_.top(), area_.bottom());
            reinterpret_cast<QRgb*>(bits_ + row * bytesPerLine_)[column] = colour;
        }
    }

    // Cuts the segment to the area (Liang-Barsky); false when nothing is left.
    bool clip(QPointF& from, QPointF& to) const {
        const QPointF delta = to - from;
        double first = 0;
        double last = 1;
        const double p[] = {-delta.x(), delta.x(), -delta.y(), delta.y()};
        const double q[] = {from.x() - area_.left(), area_.right() + 1 - from.x(),
                            from.y() - area_.top(), area_.bottom() + 1 - from.y()};
        for (int k = 0; k < 4; ++k) {
            if (p[k] == 0) {
                if (q[k] < 0)
                    return false;
                continue;
            }
            const double t = q[k] / p[k];
            if (p[k] < 0)
                first = std::max(first, t);
            else
                last = std::min(last, t);
        }
        if (first > last)
            return false;
        const QPointF start = from;
        from = start + delta * first;
        to = start + delta * last;
        return true;
    }

    QRect area_;
    uchar* bits_ = nullptr;
    qsizetype bytesPerLine_ = 0;
};

QColor translucentFill(const dm::DrawOp3d& op) {
    QColor fill = toQColor(*op.fill);
    fill.setAlpha(dm::kFaceAlpha);
    return fill;
}

// The fill through the painter; the outline too where the image's pixels cannot be written.
void drawPolygon(QPainter& painter, const dm::DrawOp3d& op, PixelLines& lines) {
    const QPointF corners[4] = {toPoint(op.points[0]), toPoint(op.points[1]), toPoint(op.points[2]),
                                toPoint(op.points[3])};
    painter.setPen(lines.usable() ? QPen(Qt::NoPen) : penFor(op));
    painter.setBrush(op.fill ? QBrush(translucentFill(op)) : QBrush(Qt::NoBrush));
    if (op.fill || !lines.usable())
        painter.drawPolygon(corners, 4);
    if (lines.usable())
        for (int k = 0; k < 4; ++k)
            lines.draw(corners[k], corners[(k + 1) % 4], toQColor(op.pen).rgb(), op.penWidth);
}

void drawLine(QPainter& painter, const dm::DrawOp3d& op, PixelLines& lines) {
    const QPointF from = toPoint(op.points[0]);
    const QPointF to = toPoint(op.points[1]);
    if (lines.usable()) {
        lines.draw(from, to, toQColor(op.pen).rgb(), op.penWidth);
        return;
    }
    painter.setPen(penFor(op));
    painter.drawLine(from, to);
}

// A square of whole pixels around the point, as the flat views draw their markers.
void drawMarker(QPainter& painter, const dm::DrawOp3d& op) {
    const int size = 2 * dm::kMarkerHalfSize3d + 1;
    const QRect square(qRound(op.points[0].x) - dm::kMarkerHalfSize3d,
                       qRound(op.points[0].y) - dm::kMarkerHalfSize3d, size, size);
    painter.fillRect(square, toQColor(dm::colours::silver));
    painter.fillRect(square.adjusted(1, 1, -1, -1), toQColor(*op.fill));
}

} // namespace

void paintHitBoxScene3d(QPainter& painter, const QRect& area,
                        const std::vector<dm::DrawOp3d>& scene) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, toQColor(dm::colours::gray));
    PixelLines pixelLines(painter, area);
    painter.translate(area.topLeft());
    for (const dm::DrawOp3d& op : scene) {
        switch (op.shape) {
        case dm::Shape3d::Polygon:
            drawPolygon(painter, op, pixelLines);
            break;
        case dm::Shape3d::Line:
            drawLine(painter, op, pixelLines);
            break;
        case dm::Shape3d::Label:
            drawLabel(painter, op);
            break;
        case dm::Shape3d::Marker:
            drawMarker(painter, op);
            break;
        }
    }
    painter.restore();
}
