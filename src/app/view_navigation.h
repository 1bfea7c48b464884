#pragma once

#include "core/hitbox_scene.h"

#include <QObject>
#include <QPoint>

#include <optional>

class TPaintBox;
class ViewSettings;

// Zoom and pan in one flat view, whether or not boxes are being edited: the wheel zooms around
// the pointer, a drag with the middle button (or the left one while Space is held) pans, Home
// goes back to the first centre and the zoom chosen in the menu. Ctrl+wheel is left to the plan
// picture.
class ViewNavigation : public QObject {
    Q_OBJECT
public:
    // Watches `box` and its window, and lives as long as the box does. Installed after the
    // editing mode, so that it sees the pointer first.
    ViewNavigation(dm::HitBoxView view, TPaintBox& box, ViewSettings& settings);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool pointer(QEvent& event);
    bool key(QEvent& event);
    void wheel(QPoint at, int angle);

    dm::HitBoxView view_;
    TPaintBox& box_;
    ViewSettings& settings_;
    bool spaceHeld_ = false;
    int wheelAngle_ = 0; // what is left of a notch, from wheels that turn in small steps
    std::optional<QPoint> panFrom_;
    dm::PixelPoint panAtStart_;
};
