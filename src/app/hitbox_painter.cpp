#include "hitbox_painter.h"

#include <QLine>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <vector>

QColor toQColor(dm::Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

namespace {

bool samePen(const dm::DrawOp& a, const dm::DrawOp& b) {
    return a.pen == b.pen && a.penWidth == b.penWidth;
}

void usePen(QPainter& painter, const dm::DrawOp& op) {
    QPen pen(toQColor(op.pen));
    pen.setWidth(op.penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
}

// The rectangle between two opposite corners, whichever order they come in.
QRect spanned(const dm::DrawOp& op) {
    const int left = std::min(op.from.x, op.to.x);
    const int top = std::min(op.from.y, op.to.y);
    const int right = std::max(op.from.x, op.to.x);
    const int bottom = std::max(op.from.y, op.to.y);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

void paintHitBoxScene(QPainter& painter, const QRect& area, const std::vector<dm::DrawOp>& scene) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, toQColor(dm::colours::gray));
    // Runs of lines with one pen go to the painter in one call: the grid can hold thousands.
    std::vector<QLine> lines;
    for (std::size_t i = 0; i < scene.size();) {
        const dm::DrawOp& op = scene[i];
        usePen(painter, op);
        if (op.shape == dm::ShapeKind::Line) {
            lines.clear();
            for (;
                 i < scene.size() && scene[i].shape == dm::ShapeKind::Line && samePen(scene[i], op);
                 ++i)
                lines.emplace_back(scene[i].from.x, scene[i].from.y, scene[i].to.x, scene[i].to.y);
            painter.drawLines(lines.data(), static_cast<int>(lines.size()));
            continue;
        }
        painter.setBrush(op.fill ? QBrush(toQColor(*op.fill)) : QBrush(Qt::NoBrush));
        painter.drawRect(spanned(op));
        ++i;
    }
    painter.restore();
}
