#include "hitbox_3d_view.h"

#include "shell/error_display.h"
#include "view_settings.h"
#include "views/scene_painter_3d.h"
#include "views/view_sizes.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>
#include <utility>

TForm7* Form7 = nullptr;

namespace {

constexpr int kDragThreshold = 3;      // pixels a press may move and still be a click
constexpr double kZoomPerNotch = 1.2;  // one wheel step
constexpr float kLabelHoverReach = 12; // pixels around an axis label that show the axes' help

const QString kAxesHelp = QStringLiteral(
    "x toward the right wing, y toward the nose, z up, in feet; the grid lies on z = 0.\n"
    "Seen as it is, never mirrored: the top view draws the right wing (+x) on the left.");

} // namespace

TForm7::TForm7(HitBox3dSources sources, QWidget* parent)
    : QWidget(parent), sources_(std::move(sources)) {
    setWindowTitle(QStringLiteral("Hit Box Graphic-3D View"));
    resize(views::kView3dDesignSize);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TForm7::drawFrom(HitBoxSource views) {
    sources_.views = std::move(views);
    update();
}

void TForm7::resetCamera() {
    camera_ = dm::Camera3d{};
    fitPending_ = true;
    update();
}

dm::Scene3dRequest TForm7::request() const {
    const dm::BoxMarks* marks = sources_.views.marks;
    return {width(),
            height(),
            sources_.views.viewSettings().values().GridFeet,
            camera_,
            sources_.views.markersShown(),
            marks != nullptr ? marks->current : -1};
}

QString TForm7::pointsInFeet(int slot) const {
    const QString separator =
        sources_.decimalSeparator ? sources_.decimalSeparator() : QStringLiteral(".");
    return QString::fromStdString(
        dm::hitBoxPointsText(sources_.views.table(), slot, separator.toStdString()));
}

QString TForm7::hoverText(QPoint point) const {
    const int slot = dm::slotAt(scene_, point.x(), point.y());
    if (slot >= 0)
        return sources_.rowCaption(slot) + '\n' + pointsInFeet(slot);
    for (const dm::DrawOp3d& op : scene_)
        if (op.shape == dm::Shape3d::Label &&
            std::hypot(op.points[0].x - point.x(), op.points[0].y - point.y()) < kLabelHoverReach)
            return kAxesHelp;
    return {};
}

void TForm7::paintEvent(QPaintEvent*) {
    shell::guarded([this] {
        if (std::exchange(fitPending_, false))
            camera_.zoom = dm::fittingZoom(sources_.views.table(), camera_, width(), height());
        dm::buildHitBoxScene3d(request(), sources_.views.table(), scene_);
        const qreal ratio = devicePixelRatioF();
        if (frame_.size() != size() * ratio) {
            frame_ = QImage(size() * ratio, QImage::Format_RGB32);
            frame_.setDevicePixelRatio(ratio);
        }
        QPainter onFrame(&frame_);
        paintHitBoxScene3d(onFrame, rect(), scene_);
        onFrame.end();
        QPainter(this).drawImage(0, 0, frame_);
    });
}

void TForm7::mousePressEvent(QMouseEvent* event) {
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    if (event->button() == Qt::LeftButton)
        drag_ = shift ? Drag::Pan : Drag::Turn;
    else if (event->button() == Qt::RightButton)
        drag_ = Drag::Pan;
    lastPosition_ = event->position().toPoint();
    moved_ = false;
}

void TForm7::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    const QPoint delta = position - lastPosition_;
    if (drag_ == Drag::None || (!moved_ && delta.manhattanLength() < kDragThreshold))
        return;
    moved_ = true;
    lastPosition_ = position;
    if (drag_ == Drag::Turn)
        dm::turnCamera(camera_, delta.x(), delta.y());
    else
        dm::panCamera(camera_, delta.x(), delta.y());
    update();
}

// A right click that did not pan opens the views' popup menu.
void TForm7::mouseReleaseEvent(QMouseEvent* event) {
    const bool menu = event->button() == Qt::RightButton && drag_ == Drag::Pan && !moved_;
    drag_ = Drag::None;
    if (menu && OnMenu)
        shell::guarded([this, event] { OnMenu(event->globalPosition().toPoint()); });
}

void TForm7::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (event->button() == Qt::LeftButton && dm::slotAt(scene_, at.x(), at.y()) < 0)
        resetCamera();
}

void TForm7::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    const QPointF at = event->position();
    dm::zoomCameraAround(camera_, std::pow(kZoomPerNotch, notches), at.x(), at.y(), width(),
                         height());
    update();
}

void TForm7::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home)
        resetCamera();
    else
        QWidget::keyPressEvent(event);
}

bool TForm7::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    QString text;
    shell::guarded([this, help, &text] { text = hoverText(help->pos()); });
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this);
    return true;
}
