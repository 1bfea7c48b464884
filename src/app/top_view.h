#pragma once

#include "core/hitbox_scene.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <utility>

class QAction;
class QActionGroup;
class QMenu;
class QPainter;

// A bare drawing surface: paints nothing of its own and reports paints and left-button clicks.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget* parent);

    std::function<void()> OnPaint;
    std::function<void()> OnClick;
    // A left double-click at a point, which first clicks as usual.
    std::function<void(QPoint)> OnDoubleClick;
    // The tooltip for a point; an empty text shows none.
    std::function<QString(QPoint)> OnHint;

    // The painter of the paint in progress; nullptr outside a paint.
    QPainter* canvas() const { return canvas_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void showHint(QPoint at, QPoint globalAt);

    QPainter* canvas_ = nullptr;
    bool pressed_ = false;
};

// The view settings, once in the process, shared by the top and the side view.
extern dm::HitBoxViewSettings HitBoxSettings;

// What a view draws: a part table and the open dialog's file name; the third points are marked
// while that file exists. Without a table the view draws an all-zero one, without markers.
struct HitBoxSource {
    const dm::PartTable* partTable = nullptr;
    std::function<QString()> openDialogFileName;

    const dm::PartTable& table() const;
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
// Gives a view's paint box tooltips and double-clicks on the part drawn topmost at the pointer,
// found in the scene of the box's current size and of what `source` returns then.
void pointAtParts(TPaintBox& box, dm::HitBoxView view, std::function<const HitBoxSource&()> source,
                  HitBoxPointing pointing);

// Gives a view window its grey background and `size`, and a paint box over its whole client area.
TPaintBox* setUpHitBoxSurface(QWidget& window, QSize size);
// Draws the view on the box at once; inside a paint of the box it draws on that paint.
void paintHitBoxSurface(TPaintBox& box, dm::HitBoxView view, const HitBoxSource& source);

// The top view window: draws every part's hit box seen from above, and owns the popup menu of
// view settings that the side view uses too.
class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    // What the view draws, given by whoever creates the window.
    void drawFrom(HitBoxSource source) { source_ = std::move(source); }
    const HitBoxSource& source() const { return source_; }
    void pointWith(HitBoxPointing pointing);
    // How the views name a part and show its row; the 3-D view names parts the same way.
    const HitBoxPointing& pointing() const { return pointing_; }

    TPaintBox* pb1;
    QMenu* tvpum;
    QMenu* Grid1ft1;
    QAction* N1ft1;
    QAction* N2ft1;
    QAction* N5ft1;
    QAction* N10ft1;
    QMenu* SetZoom1;
    QAction* N1001;
    QAction* N501;
    QAction* N201;
    QAction* N3DView1; // last entry: opens the 3-D view

    // The creation handler: initial view settings, check marks and both captions.
    void FormActivate();
    // Draws the top view at once; inside a paint of pb1 it draws on that paint.
    void pb1Paint();
    void pb1Click();

    void N1ft1Click();
    void N2ft1Click();
    void N5ft1Click();
    void N10ft1Click();
    void N1001Click();
    void N501Click();
    void N201Click();
    void N3DView1Click();

    // Sets both windows' captions from the view settings.
    void composeCaptions();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QAction* addChoice(QMenu* submenu, QActionGroup* group, const dm::ViewChoice& choice,
                       void (TForm5::*handler)());
    void chooseGrid(const dm::ViewChoice& choice, QAction* entry);
    void chooseZoom(const dm::ViewChoice& choice, QAction* entry);
    void redrawAfterChoice();

    HitBoxSource source_;
    HitBoxPointing pointing_;
};

extern TForm5* Form5;

// Redraws both views, `first` before the other: for whoever changed the part table or the view
// settings.
void repaintHitBoxViews(dm::HitBoxView first = dm::HitBoxView::Top);
