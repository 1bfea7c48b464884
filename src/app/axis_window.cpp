#include "axis_window.h"

#include "axis_picture.h"
#include "shell/error_display.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

TForm2* Form2 = nullptr;

namespace {

const QString kClickHint = QStringLiteral("Click to Close");

// A click ends with the left button released over the widget that was pressed.
bool isLeftClick(const QWidget* widget, const QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    return mouse->button() == Qt::LeftButton &&
           widget->rect().contains(mouse->position().toPoint());
}

} // namespace

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      Image1(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Damage Axis Image"));
    setFixedSize(265, 366);
    move(386, 247);
    setToolTip(kClickHint);

    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, kAxisPictureWidth, kAxisPictureHeight);
    Image1->setToolTip(kClickHint);
    Image1->installEventFilter(this);
}

// The picture is drawn when the window is first shown, not at start-up, where it stays hidden.
void TForm2::showEvent(QShowEvent* event) {
    if (Image1->pixmap().isNull())
        Image1->setPixmap(QPixmap::fromImage(drawAxisPicture()));
    QWidget::showEvent(event);
}

void TForm2::Image1Click() {
    hide();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1 && isLeftClick(Image1, event)) {
        shell::guarded([this] { Image1Click(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm2::mouseReleaseEvent(QMouseEvent* event) {
    if (isLeftClick(this, event))
        shell::guarded([this] { Image1Click(); });
}
