#include "platform/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace platform {
namespace {

QMargins lastSeenMargins;

int showStateOf(Qt::WindowStates states) {
    if (states & Qt::WindowMinimized)
        return dm::kShowMinimized;
    if (states & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return dm::kShowMaximized;
    return dm::kShowNormal;
}

Qt::WindowStates windowStatesOf(const dm::Placement& placement) {
    switch (placement.showState) {
    case dm::kShowMinimized:
        return placement.flags & dm::kPlacementFlagRestoreToMaximized
                   ? Qt::WindowMinimized | Qt::WindowMaximized
                   : Qt::WindowMinimized;
    case dm::kShowMaximized:
        return Qt::WindowMaximized;
    default:
        return Qt::WindowNoState;
    }
}

} // namespace

QMargins frameMargins(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    const QMargins margins = handle ? handle->frameMargins() : QMargins();
    if (margins.isNull())
        return lastSeenMargins;
    lastSeenMargins = margins;
    return margins;
}

dm::Placement windowPlacement(const QWidget* window) {
    const Qt::WindowStates states = window->windowState();
    const bool normal = !(states & (Qt::WindowMaximized | Qt::WindowFullScreen));
    // normalGeometry() is only kept once the window system has made the window.
    const QRect client =
        normal || window->normalGeometry().isNull() ? window->geometry() : window->normalGeometry();
    const QRect outer = client.marginsAdded(frameMargins(window));
    dm::Placement placement;
    placement.showState = showStateOf(states);
    if (placement.showState == dm::kShowMinimized && (states & Qt::WindowMaximized))
        placement.flags = dm::kPlacementFlagRestoreToMaximized;
    placement.left = outer.left();
    placement.top = outer.top();
    placement.right = outer.left() + outer.width();
    placement.bottom = outer.top() + outer.height();
    return placement;
}

void setWindowPlacement(QWidget* window, const dm::Placement& placement) {
    const QRect outer(placement.left, placement.top, placement.right - placement.left,
                      placement.bottom - placement.top);
    const QRect client = outer.marginsRemoved(frameMargins(window));
    const Qt::WindowStates target = windowStatesOf(placement);
    // The rectangle is the normal one: put it while the window is in its normal state.
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        window->setWindowState(Qt::WindowNoState);
    window->setGeometry(client);
    if (target != Qt::WindowNoState)
        window->setWindowState(target);
}

QSize primaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

} // namespace platform
