#include "paint_box.h"

#include "shell/error_display.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true); // for the tooltip to follow the pointer
}

void TPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    canvas_ = &painter;
    shell::guarded([this] {
        if (OnPaint)
            OnPaint();
    });
    canvas_ = nullptr;
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

// A click is a left press and release inside the box.
void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool clicked = pressed_ && event->button() == Qt::LeftButton &&
                         rect().contains(event->position().toPoint());
    pressed_ = false;
    if (clicked)
        shell::guarded([this] {
            if (OnClick)
                OnClick();
        });
}

void TPaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event); // a press, so the release still clicks
    if (event->button() == Qt::LeftButton)
        shell::guarded([&] {
            if (OnDoubleClick)
                OnDoubleClick(event->position().toPoint());
        });
}

bool TPaintBox::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    showHint(help->pos(), help->globalPos());
    return true;
}

// A tip that is shown follows the pointer from part to part.
void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (QToolTip::isVisible())
        showHint(event->position().toPoint(), event->globalPosition().toPoint());
}

void TPaintBox::showHint(QPoint at, QPoint globalAt) {
    QString hint;
    shell::guarded([&] {
        if (OnHint)
            hint = OnHint(at);
    });
    if (hint.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalAt, hint, this, rect());
}
