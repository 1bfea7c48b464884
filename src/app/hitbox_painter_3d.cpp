#include "hitbox_painter_3d.h"

#include "qt_colours.h"

#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QPolygonF>

namespace {

QPointF toPoint(dm::ScreenPoint point) {
    return {point.x, point.y};
}

QPen penFor(const dm::DrawOp3d& op) {
    QPen pen(toQColor(op.pen), op.penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void drawPolygon(QPainter& painter, const dm::DrawOp3d& op) {
    const QPointF corners[4] = {toPoint(op.points[0]), toPoint(op.points[1]), toPoint(op.points[2]),
                                toPoint(op.points[3])};
    painter.setPen(penFor(op));
    if (op.fill) {
        QColor fill = toQColor(*op.fill);
        fill.setAlpha(dm::kFaceAlpha);
        painter.setBrush(fill);
    } else {
        painter.setBrush(Qt::NoBrush);
    }
    painter.drawPolygon(corners, 4);
}

void drawLabel(QPainter& painter, const dm::DrawOp3d& op) {
    painter.setPen(toQColor(op.pen));
    const QString text = QString::fromStdString(op.text);
    const QRectF box = painter.fontMetrics().boundingRect(text);
    painter.drawText(toPoint(op.points[0]) - QPointF(box.width() / 2, box.center().y()), text);
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
    painter.translate(area.topLeft());
    for (const dm::DrawOp3d& op : scene) {
        switch (op.shape) {
        case dm::Shape3d::Polygon:
            drawPolygon(painter, op);
            break;
        case dm::Shape3d::Line:
            painter.setPen(penFor(op));
            painter.drawLine(toPoint(op.points[0]), toPoint(op.points[1]));
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
