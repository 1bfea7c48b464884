#pragma once

#include "core/hitbox_scene_3d.h"
#include "hitbox_views.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

// What the 3-D view draws from, wired by whoever creates it: what the flat views draw and the
// captions of the grid's rows.
struct HitBox3dSources {
    HitBoxSource views; // its view settings give the grid spacing
    std::function<QString(int slot)> rowCaption;
    // The grid's decimal separator for the coordinates hover shows; "." without one.
    std::function<QString()> decimalSeparator;
};

// The hit boxes as solids, turned, zoomed and panned with the mouse; drawn without a 3-D library
// from the core's depth-sorted scene.
class TForm7 : public QWidget {
    Q_OBJECT
public:
    explicit TForm7(HitBox3dSources sources, QWidget* parent = nullptr);

    // What the flat views draw from now on.
    void drawFrom(HitBoxSource views);
    const dm::Camera3d& camera() const { return camera_; }
    // Back to the starting angle and place, zoomed so that the boxes fit.
    void resetCamera();
    // The text hover shows at `point`: a part's row caption and points in feet, help on the axes,
    // or nothing.
    QString hoverText(QPoint point) const;

    // Opens the views' popup menu; set by the creator.
    std::function<void(QPoint globalPosition)> OnMenu;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    enum class Drag { None, Turn, Pan };

    dm::Scene3dRequest request() const;
    QString pointsInFeet(int slot) const;

    HitBox3dSources sources_;
    dm::Camera3d camera_;
    bool fitPending_ = true;          // the zoom is fitted at the next paint, to the size shown
    std::vector<dm::DrawOp3d> scene_; // as last painted, for hover and double-click
    QImage frame_;                    // drawn whole, then shown: its pixels are written directly
    Drag drag_ = Drag::None;
    QPoint lastPosition_;
    bool moved_ = false;
};

extern TForm7* Form7;
