#include "explode_effect.h"

#include "shell/error_display.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kExplodeSteps = 40;

// The frameless window that shows the explode outlines; its shape is only the outlines.
class OutlineWindow : public QWidget {
public:
    explicit OutlineWindow(const QRect& area)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(area);
    }

    void showOutlines(const QRegion& outlines) {
        if (outlines.isEmpty()) {
            hide();
        } else {
            setMask(outlines);
            show();
            repaint();
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

protected:
    // A dotted pen seen through the shape: black and white dots show on any background.
    void paintEvent(QPaintEvent*) override {
        shell::guarded([this] {
            QPainter painter(this);
            painter.fillRect(rect(), Qt::white);
            painter.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
        });
    }
};

QRegion outlineRegion(const QRect& outline) {
    return QRegion(outline).subtracted(QRegion(outline.adjusted(1, 1, -1, -1)));
}

} // namespace

QRect explodeOutline(QPoint pointer, const QRect& target, int step) {
    const auto share = [step](int distance) {
        return static_cast<int>(std::lround(double(distance) * step / kExplodeSteps));
    };
    return QRect(pointer.x() + share(target.x() - pointer.x()),
                 pointer.y() + share(target.y() - pointer.y()), std::max(1, share(target.width())),
                 std::max(1, share(target.height())));
}

void runExplodeEffect(QPoint pointer, const QRect& target, int stepDelay) {
    // Without a screen there is nothing to see, and those platforms cannot shape windows.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    const QRect area = target.united(QRect(pointer, QSize(1, 1)));
    OutlineWindow window(area);
    const auto local = [&area](const QRect& outline) {
        return outlineRegion(outline.translated(-area.topLeft()));
    };
    const int pauseMicroseconds = std::max(0, stepDelay) * 40;

    QRegion drawn;
    for (int step = 1; step <= kExplodeSteps; ++step) {
        QThread::usleep(pauseMicroseconds);
        drawn += local(explodeOutline(pointer, target, step));
        window.showOutlines(drawn);
    }
    for (int step = 1; step <= kExplodeSteps; ++step) {
        drawn -= local(explodeOutline(pointer, target, step));
        window.showOutlines(drawn);
    }
}
