#include "views/scene_painter.h"

#include "views/grid_contrast.h"

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>

// Every shape of a scene is axis-aligned, so it is drawn as filled pixel rectangles: the pixels
// are exactly those of an aliased QPainter line or rectangle, at a fraction of the cost of
// stroking thousands of grid lines.
namespace {

QRect pixelSpan(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

class SceneReplay {
public:
    SceneReplay(QPainter& painter, const QRect& area) : painter_(painter), area_(area) {}

    // Vertical lines over the whole height that come first are folded into the clear: one row
    // holding them is repeated down the area.
    std::size_t clearWithLeadingColumns(const std::vector<dm::DrawOp>& scene) {
        QImage row(area_.width(), 1, QImage::Format_RGB32);
        row.fill(toQColor(dm::colours::gray));
        std::size_t folded = 0;
        for (; folded < scene.size() && isFullColumn(scene[folded]); ++folded) {
            const int x = scene[folded].from.x - area_.left();
            if (x >= 0 && x < area_.width())
                row.setPixelColor(x, 0, toQColor(scene[folded].pen));
        }
        if (folded == 0) {
            painter_.fillRect(area_, toQColor(dm::colours::gray));
        } else {
            painter_.setBrushOrigin(area_.topLeft());
            painter_.fillRect(area_, QBrush(row));
        }
        return folded;
    }

    void draw(const dm::DrawOp& op) {
        if (op.shape == dm::ShapeKind::Text)
            text(op);
        else if (op.shape == dm::ShapeKind::Rectangle)
            rectangle(op);
        else if (op.from.x == op.to.x || op.from.y == op.to.y)
            straightLine(op);
        else
            slantedLine(op);
    }

private:
    bool isFullColumn(const dm::DrawOp& op) const {
        return op.shape == dm::ShapeKind::Line && op.penWidth == 1 && op.from.x == op.to.x &&
               std::min(op.from.y, op.to.y) <= area_.top() &&
               std::max(op.from.y, op.to.y) >= area_.bottom();
    }

    void fill(const QRect& pixels, dm::Rgb colour) {
        const QRect visible = pixels.isEmpty() ? QRect() : pixels & area_;
        if (!visible.isEmpty())
            painter_.fillRect(visible, toQColor(colour));
    }

    // A 1-pixel line covers both of its end points.
    void straightLine(const dm::DrawOp& op) {
        if (op.penWidth != 1) {
            slantedLine(op);
            return;
        }
        fill(pixelSpan(std::min(op.from.x, op.to.x), std::min(op.from.y, op.to.y),
                       std::max(op.from.x, op.to.x), std::max(op.from.y, op.to.y)),
             op.pen);
    }

    void slantedLine(const dm::DrawOp& op) {
        QPen pen(toQColor(op.pen));
        pen.setWidth(op.penWidth);
        painter_.setPen(pen);
        painter_.drawLine(op.from.x, op.from.y, op.to.x, op.to.y);
    }

    void text(const dm::DrawOp& op) {
        constexpr int kLabelWidth = 40, kLabelHeight = 16;
        painter_.setPen(toQColor(op.pen));
        painter_.drawText(QRect(op.from.x, op.from.y, kLabelWidth, kLabelHeight),
                          Qt::AlignLeft | Qt::AlignTop, QString::fromUtf8(op.text));
    }

    // The pen straddles each edge, as the scene reckons it for pointing; the fill covers what
    // lies between the outlines.
    void rectangle(const dm::DrawOp& op) {
        const int width = std::max(op.penWidth, 1);
        const auto [left, top, right, bottom] = dm::rectanglePixels(op);
        if (op.dashed) {
            dashedRectangle(op);
            return;
        }
        const QRect inside = pixelSpan(left + width, top + width, right - width, bottom - width);
        if (op.fill || inside.isEmpty()) {
            fill(pixelSpan(left, top, right, bottom), op.pen);
            if (op.fill && !inside.isEmpty())
                fill(inside, *op.fill);
            return;
        }
        fill(pixelSpan(left, top, right, top + width - 1), op.pen);
        fill(pixelSpan(left, bottom - width + 1, right, bottom), op.pen);
        fill(pixelSpan(left, top + width, left + width - 1, bottom - width), op.pen);
        fill(pixelSpan(right - width + 1, top + width, right, bottom - width), op.pen);
    }

    // The fill as usual, the outline dashed over the fill's colour where there is one.
    void dashedRectangle(const dm::DrawOp& op) {
        const auto [left, top, right, bottom] = dm::rectanglePixels(op);
        if (op.fill)
            fill(pixelSpan(left, top, right, bottom), *op.fill);
        QPen pen(toQColor(op.pen), std::max(op.penWidth, 1), Qt::DashLine);
        painter_.setPen(pen);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(
            QRect(QPoint(std::min(op.from.x, op.to.x), std::min(op.from.y, op.to.y)),
                  QPoint(std::max(op.from.x, op.to.x), std::max(op.from.y, op.to.y))));
    }

    QPainter& painter_;
    QRect area_;
};

} // namespace

void paintHitBoxScene(QPainter& painter, const QRect& area, const std::vector<dm::DrawOp>& scene) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    SceneReplay replay(painter, area);
    for (std::size_t i = replay.clearWithLeadingColumns(scene); i < scene.size(); ++i)
        replay.draw(scene[i]);
    painter.restore();
}

void paintHitBoxSceneOver(QPainter& painter, const QRect& area, const QImage& underlay,
                          const std::vector<dm::DrawOp>& scene) {
    painter.drawImage(area.topLeft(), underlay);
    paintHitBoxSceneOnTop(painter, area, scene);
}

void paintHitBoxSceneOnTop(QPainter& painter, const QRect& area,
                           const std::vector<dm::DrawOp>& scene) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    SceneReplay replay(painter, area);
    for (const dm::DrawOp& op : scene)
        if (!isGridLine(op))
            replay.draw(op);
    painter.restore();
}
