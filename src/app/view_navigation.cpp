#include "view_navigation.h"

#include "paint_box.h"
#include "shell/error_display.h"
#include "view_settings.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {} // namespace

ViewNavigation::ViewNavigation(dm::HitBoxView view, TPaintBox& box, ViewSettings& settings)
    : QObject(&box), view_(view), box_(box), settings_(settings) {
    box.installEventFilter(this);
    box.window()->installEventFilter(this);
}

bool ViewNavigation::eventFilter(QObject* watched, QEvent* event) {
    bool taken = false;
    shell::guarded([&] {
        if (watched == &box_)
            taken = pointer(*event);
        if (!taken)
            taken = key(*event);
    });
    return taken;
}

bool ViewNavigation::pointer(QEvent& event) {
    switch (event.type()) {
    case QEvent::Wheel: {
        const auto& turn = static_cast<QWheelEvent&>(event);
        if (turn.modifiers().testFlag(Qt::ControlModifier))
            return false;
        wheel(turn.position().toPoint(), turn.angleDelta().y());
        return true;
    }
    case QEvent::MouseButtonPress: {
        const auto& press = static_cast<QMouseEvent&>(event);
        const bool panning = press.button() == Qt::MiddleButton ||
                             (press.button() == Qt::LeftButton && spaceHeld_ &&
                              !press.modifiers().testFlag(Qt::ControlModifier));
        if (!panning)
            return false;
        panFrom_ = press.position().toPoint();
        panAtStart_ = settings_.pan(view_);
        box_.setCursor(Qt::ClosedHandCursor);
        return true;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        if (!panFrom_)
            return false;
        const auto& move = static_cast<QMouseEvent&>(event);
        const QPoint moved = move.position().toPoint() - *panFrom_;
        settings_.setPan(view_, {panAtStart_.x + moved.x(), panAtStart_.y + moved.y()});
        if (event.type() == QEvent::MouseButtonRelease && move.buttons() == Qt::NoButton) {
            panFrom_.reset();
            box_.unsetCursor();
        }
        return true;
    }
    default:
        return false;
    }
}

bool ViewNavigation::key(QEvent& event) {
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease)
        return false;
    const auto& key = static_cast<QKeyEvent&>(event);
    if (key.key() == Qt::Key_Space) {
        if (!key.isAutoRepeat())
            spaceHeld_ = event.type() == QEvent::KeyPress;
        return true;
    }
    if (event.type() == QEvent::KeyPress && key.key() == Qt::Key_Home &&
        key.modifiers() == Qt::NoModifier) {
        settings_.home(view_);
        return true;
    }
    return false;
}

// Whole notches zoom; the feet under the pointer stay under it.
void ViewNavigation::wheel(QPoint at, int angle) {
    wheelAngle_ += angle;
    const int notches = wheelAngle_ / QWheelEvent::DefaultDeltasPerStep;
    wheelAngle_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    const dm::SceneRequest now = settings_.request(box_.size(), view_);
    const int zoom = dm::zoomAfterNotches(now.zoomFactor, notches);
    if (zoom == now.zoomFactor)
        return;
    const dm::PixelPoint pan = dm::panKeepingPoint(now, zoom, {at.x(), at.y()});
    settings_.setPan(view_, pan);
    settings_.setZoom(zoom);
}
