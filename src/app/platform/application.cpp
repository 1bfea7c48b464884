#include "platform/application.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QWidget>

namespace platform {
namespace {
QString title;
QString folderOverride;
bool endRequested = false;

// A biplane seen from the front on a sky-blue tile, with a red hit mark on the upper wing.
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(QPen(QColor(20, 40, 80), 1));
    painter.setBrush(QColor(110, 160, 215));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 60, 45));
    painter.drawRect(QRectF(3, 9, 26, 3.5));  // upper wing
    painter.drawRect(QRectF(5, 19, 22, 3.5)); // lower wing
    painter.setBrush(QColor(90, 80, 55));
    painter.drawEllipse(QPointF(16, 16), 4, 4.5); // fuselage
    painter.setPen(QPen(QColor(60, 60, 45), 1));
    painter.drawLine(QPointF(8, 12.5), QPointF(9, 19));
    painter.drawLine(QPointF(24, 12.5), QPointF(23, 19));
    painter.drawLine(QPointF(14, 25), QPointF(12, 28));
    painter.drawLine(QPointF(18, 25), QPointF(20, 28));

    painter.setPen(QPen(QColor(200, 20, 20), 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(22, 5), QPointF(28, 11));
    painter.drawLine(QPointF(28, 5), QPointF(22, 11));
    return pixmap;
}
} // namespace

void setApplicationTitle(const QString& newTitle) {
    title = newTitle;
}

QString applicationTitle() {
    return title;
}

QFont classicFont() {
    const QString classic = QStringLiteral("MS Sans Serif");
    // Looking the family up asks the font configuration each time: once is enough.
    static const bool classicInstalled = QFontDatabase::hasFamily(classic);
    if (classicInstalled)
        return QFont(classic, 8);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

QIcon applicationIcon() {
    static const QIcon icon = [] {
        QIcon drawn;
        for (int size : {16, 24, 32, 48, 64})
            drawn.addPixmap(drawIcon(size));
        return drawn;
    }();
    return icon;
}

QString executableFolder() {
    const QString folder =
        folderOverride.isEmpty() ? QCoreApplication::applicationDirPath() : folderOverride;
    return folder.endsWith('/') ? folder : folder + '/';
}

void setExecutableFolderOverride(const QString& folder) {
    folderOverride = folder;
}

void showWindow(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void terminate() {
    endRequested = true;
    QCoreApplication::quit();
}

bool terminateRequested() {
    return endRequested;
}

void resetTerminateRequest() {
    endRequested = false;
}

} // namespace platform
