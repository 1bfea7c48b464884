#include "hint_pause.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QToolTip>
#include <QWidget>

namespace {

// The widget whose hint Qt would show for a pointer over widget: it or its nearest ancestor.
QWidget* hintOwner(QWidget* widget) {
    while (widget && widget->toolTip().isEmpty() && !widget->isWindow())
        widget = widget->parentWidget();
    return widget && !widget->toolTip().isEmpty() ? widget : nullptr;
}

class ShortHintPause : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter && watched->isWidgetType() && QToolTip::isVisible()) {
            if (QWidget* owner = hintOwner(static_cast<QWidget*>(watched)))
                QToolTip::showText(QCursor::pos(), owner->toolTip(), owner);
        }
        return false;
    }
};

} // namespace

void installShortHintPause() {
    static ShortHintPause* filter = nullptr;
    if (filter)
        return;
    filter = new ShortHintPause(qApp);
    qApp->installEventFilter(filter);
}
