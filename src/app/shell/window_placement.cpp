#include "shell/window_placement.h"

#include "shell/application.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <optional>
#include <vector>

namespace shell {
namespace {

QMargins lastSeenMargins;

constexpr Qt::WindowStates kNotNormal =
    Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized;

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

// The frame as the window system reports it now; none before the window is framed.
QMargins reportedMargins(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

// The frame for good: under X11 only once the window is on the screen, since while the window
// manager is still framing it what is reported may be neither no frame nor the final one.
QMargins settledMargins(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    const bool framedLater = QGuiApplication::platformName() == QLatin1String("xcb");
    return handle && (handle->isExposed() || !framedLater) ? handle->frameMargins() : QMargins();
}

// Remembers a window's frame while the window system reports it, and puts the window again by
// its outer edges once the real frame turns out other than expected.
class FrameWatcher : public QObject {
public:
    explicit FrameWatcher(QWidget* window) : QObject(window), window_(window) {
        setObjectName(QStringLiteral("shellFrameWatcher"));
        window->installEventFilter(this);
    }

    static FrameWatcher* of(const QWidget* window) {
        return window->findChild<FrameWatcher*>(QStringLiteral("shellFrameWatcher"),
                                                Qt::FindDirectChildrenOnly);
    }

    const QMargins& seen() const { return seen_; }
    bool hasSeen() const { return hasSeen_; }

    void learn(const QMargins& margins) {
        seen_ = margins;
        hasSeen_ = true;
    }

    // The outer rectangle of the window's normal state, as last given or seen: a maximised window
    // has neither its normal frame nor, under every window manager, its normal geometry.
    const std::optional<QRect>& normalOuter() const { return normalOuter_; }
    void setNormalOuter(const QRect& outer) { normalOuter_ = outer; }

    void place(std::function<void(const QMargins&)> place) {
        pending_ = std::move(place);
        placedWith_ = frameMargins(window_);
        pending_(placedWith_);
    }

    // A window not on the screen yet follows a better guess of its frame.
    void refresh() {
        const QMargins expected = frameMargins(window_);
        if (pending_ && !window_->isVisible() && expected != placedWith_) {
            placedWith_ = expected;
            pending_(expected);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
        case QEvent::WindowActivate:
            if (watched == window_) {
                frameReported();
                normalGeometryReported(event->type());
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void frameReported() {
        const QMargins reported = settledMargins(window_);
        if (reported.isNull())
            return;
        learn(reported);
        lastSeenMargins = reported;
        // A maximised window's frame is not its normal one: the normal rectangle is put right
        // once the window is back in its normal state.
        if (!pending_ || !window_->isVisible() || (window_->windowState() & kNotNormal))
            return;
        std::function<void(const QMargins&)> place = std::move(pending_);
        pending_ = nullptr;
        if (reported == placedWith_)
            return;
        // Not inside the window's own event: the window system's news is still being handled.
        QMetaObject::invokeMethod(
            this,
            [window = QPointer<QWidget>(window_), place, reported] {
                if (window)
                    place(reported);
            },
            Qt::QueuedConnection);
    }

    // Where a visible window in normal state is, once its frame is known.
    void normalGeometryReported(QEvent::Type type) {
        const QMargins reported = settledMargins(window_);
        if ((type == QEvent::Move || type == QEvent::Resize) && window_->isVisible() &&
            !(window_->windowState() & kNotNormal) && !reported.isNull())
            normalOuter_ = window_->geometry().marginsAdded(reported);
    }

    QWidget* window_;
    QMargins seen_;
    bool hasSeen_ = false;
    std::optional<QRect> normalOuter_;
    std::function<void(const QMargins&)> pending_;
    QMargins placedWith_;
};

// Raises windows again, in order, once the watched window is on the screen.
class RaiseWhenExposed : public QObject {
public:
    RaiseWhenExposed(QWindow* watched, std::vector<QPointer<QWidget>> later)
        : QObject(watched), watched_(watched), later_(std::move(later)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == watched_ && event->type() == QEvent::Expose && watched_->isExposed()) {
            for (const QPointer<QWidget>& window : later_)
                if (window && window->isVisible())
                    showWindow(window);
            deleteLater();
        }
        return QObject::eventFilter(object, event);
    }

private:
    QWindow* watched_;
    std::vector<QPointer<QWidget>> later_;
};

} // namespace

QMargins frameMargins(const QWidget* window) {
    if (window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return {};
    const QMargins reported = reportedMargins(window);
    FrameWatcher* watcher = FrameWatcher::of(window);
    if (!reported.isNull()) {
        lastSeenMargins = reported;
        if (watcher)
            watcher->learn(reported);
        return reported;
    }
    return watcher && watcher->hasSeen() ? watcher->seen() : lastSeenMargins;
}

void watchFrame(QWidget* window) {
    if (!FrameWatcher::of(window))
        new FrameWatcher(window);
}

void placeByFrame(QWidget* window, std::function<void(const QMargins& frame)> place) {
    watchFrame(window);
    FrameWatcher::of(window)->place(std::move(place));
}

void showInOrder(std::initializer_list<QWidget*> windows) {
    for (auto window = windows.begin(); window != windows.end(); ++window) {
        const bool wasHidden = !(*window)->isVisible();
        showWindow(*window);
        QWindow* handle = (*window)->windowHandle();
        if (wasHidden && handle && !handle->isExposed() && window + 1 != windows.end())
            new RaiseWhenExposed(handle, {window + 1, windows.end()});
    }
}

void centreOnScreen(QWidget* window) {
    placeByFrame(window, [window](const QMargins& frame) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect area = screen->geometry();
        const QSize outer = window->size().grownBy(frame);
        const QPoint topLeft(area.x() + std::max(0, (area.width() - outer.width()) / 2),
                             area.y() + std::max(0, (area.height() - outer.height()) / 2));
        window->setGeometry(QRect(topLeft + QPoint(frame.left(), frame.top()), window->size()));
    });
}

void keepInsideWorkArea(QWidget* window) {
    const dm::Placement current = windowPlacement(window);
    const QPoint centre((current.left + current.right) / 2, (current.top + current.bottom) / 2);
    const QScreen* screen = QGuiApplication::screenAt(centre);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect work = screen->availableGeometry();
    const dm::Placement inside =
        dm::insideArea(current, {work.x(), work.y(), work.width(), work.height()});
    // Under X11 the window manager places a window the program has not placed, inside the
    // screen, once it is mapped: only its size is the program's to fit.
    const bool placedLater = QGuiApplication::platformName() == QLatin1String("xcb") &&
                             !window->testAttribute(Qt::WA_Moved);
    if (placedLater) {
        const QSize size(inside.right - inside.left, inside.bottom - inside.top);
        if (size != QSize(current.right - current.left, current.bottom - current.top))
            resizeOuter(window, size);
    } else if (inside != current) {
        setWindowPlacement(window, inside);
    }
}

void resizeOuter(QWidget* window, QSize size) {
    placeByFrame(window,
                 [window, size](const QMargins& frame) { window->resize(size.shrunkBy(frame)); });
}

dm::Placement windowPlacement(const QWidget* window) {
    if (FrameWatcher* watcher = FrameWatcher::of(window))
        watcher->refresh();
    const Qt::WindowStates states = window->windowState();
    const bool normal = !(states & (Qt::WindowMaximized | Qt::WindowFullScreen));
    // normalGeometry() is only kept once the window system has made the window.
    const QRect client =
        normal || window->normalGeometry().isNull() ? window->geometry() : window->normalGeometry();
    QRect outer = client.marginsAdded(frameMargins(window));
    if (const FrameWatcher* watcher = FrameWatcher::of(window); watcher && !normal)
        outer = watcher->normalOuter().value_or(outer);
    if (!window->windowHandle()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        outer.moveTopLeft(screen ? screen->availableGeometry().topLeft() : QPoint());
    }
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
    const Qt::WindowStates target = windowStatesOf(placement);
    // The rectangle is the normal one: put it while the window is in its normal state.
    if (window->windowState() & kNotNormal)
        window->setWindowState(Qt::WindowNoState);
    watchFrame(window);
    FrameWatcher::of(window)->setNormalOuter(outer);
    placeByFrame(window, [window, outer](const QMargins& frame) {
        // A maximised window keeps the normal rectangle it was given with the frame expected.
        if (!(window->windowState() & kNotNormal))
            window->setGeometry(outer.marginsRemoved(frame));
    });
    if (target != Qt::WindowNoState)
        window->setWindowState(target);
}

QSize primaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

dm::PlacementLimits placementLimits(const QWidget* window, QSize smallest) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize whole = screen ? screen->geometry().size() : QSize();
    const QSize work = screen ? screen->availableGeometry().size() : QSize();
    if (smallest.isEmpty())
        smallest = window->minimumSize().expandedTo(window->minimumSizeHint()).expandedTo({1, 1});
    smallest = smallest.grownBy(frameMargins(window));
    return {whole.width(), whole.height(),   work.width(),
            work.height(), smallest.width(), smallest.height()};
}

} // namespace shell
