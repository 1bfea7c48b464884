#pragma once

#include "core/hitbox_scene.h"

#include <QSize>
#include <QString>

#include <functional>
#include <vector>

class QImage;
class QPainter;
class QWidget;
class TPaintBox;
class ViewSettings;

// What a view draws: a part table and the open file's name; the third points are marked while
// that file exists. Without a table the view draws an all-zero one, without markers.
struct HitBoxSource {
    // Grid, zoom and pan; without them a view draws as the settings start.
    const ViewSettings* settings = nullptr;
    const dm::PartTable* partTable = nullptr;
    std::function<QString()> fileName;
    // While the views follow the grid: how boxes are marked, and why a row shows an older box.
    const dm::BoxMarks* marks = nullptr;
    std::function<QString(int slot)> problem;
    // What each view's scene is painted over at a size (a plan picture on the views' gray);
    // nullptr paints on plain gray.
    std::function<const QImage*(dm::HitBoxView view, QSize size)> underlay;

    const dm::PartTable& table() const;
    const ViewSettings& viewSettings() const;
    bool markersShown() const;
};

// The scene of one view at `size`: what its window paints and what pointing at it finds.
std::vector<dm::DrawOp> hitBoxScene(QSize size, dm::HitBoxView view, const HitBoxSource& source);
// Draws one view's picture on a painter covering `size`, exactly as its window shows it.
void paintHitBoxView(QPainter& painter, QSize size, dm::HitBoxView view,
                     const HitBoxSource& source);

// What pointing at a part in a view reaches: the grid's caption of the part's row and its
// decimal separator for the tooltip, and the part's row shown on a double-click.
struct HitBoxPointing {
    std::function<QString(int slot)> rowCaption;
    std::function<QString()> decimalSeparator;
    std::function<void(int slot)> showPartRow;
};
// Gives a view's paint box tooltips and double-clicks on the parts drawn at the pointer, found in
// the scene of the box's current size and of what `source` returns then: the tooltip names every
// part there, the current row's first, and the double-click shows the first.
void pointAtParts(TPaintBox& box, dm::HitBoxView view, std::function<const HitBoxSource&()> source,
                  HitBoxPointing pointing);

// Gives a view window its grey background and `size`, and a paint box over its whole client area.
TPaintBox* setUpHitBoxSurface(QWidget& window, QSize size);
// Draws the view on the box at once; inside a paint of the box it draws on that paint.
void paintHitBoxSurface(TPaintBox& box, dm::HitBoxView view, const HitBoxSource& source);
