#pragma once

#include <QString>
#include <QWidget>

#include <functional>

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
