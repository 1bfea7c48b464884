#include "views/background_painter.h"

#include "core/errors.h"
#include "views/qt_colours.h"

#include <QImageReader>
#include <QPainter>
#include <QTransform>

#include <cmath>

namespace {

[[noreturn]] void refuse(const QString& path, const QString& reason) {
    throw dm::DamageError(
        QStringLiteral("The picture %1 cannot be shown: %2").arg(path, reason).toStdString());
}

QString sizeText(QSize size) {
    return QStringLiteral("%1 x %2 pixels").arg(size.width()).arg(size.height());
}

} // namespace

QImage readBackgroundPicture(const QString& path) {
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isValid() &&
        (size.width() > kLargestBackgroundSide || size.height() > kLargestBackgroundSide ||
         qint64(size.width()) * size.height() > kLargestBackgroundPixels))
        refuse(path, QStringLiteral("it is %1, more than %2 a side or %3 million in all")
                         .arg(sizeText(size))
                         .arg(kLargestBackgroundSide)
                         .arg(kLargestBackgroundPixels / (1024 * 1024)));
    const QImage picture = reader.read();
    if (picture.isNull())
        refuse(path, reader.errorString());
    return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage reducedForFrame(const QImage& picture, const dm::PictureFrame& frame) {
    if (frame.width >= picture.width() || frame.height >= picture.height())
        return picture;
    const QSize reduced(std::max(1, int(std::lround(frame.width))),
                        std::max(1, int(std::lround(frame.height))));
    return picture.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage backgroundUnderlay(QSize size, const QImage& reduced, const dm::PictureFrame& frame,
                          int opacityPercent) {
    QImage underlay(size, QImage::Format_RGB32);
    underlay.fill(toQColor(dm::colours::gray));
    if (frame.width <= 0 || frame.height <= 0 || reduced.isNull())
        return underlay;
    QTransform placement;
    placement.translate(frame.left, frame.top);
    placement.scale(frame.width / reduced.width(), frame.height / reduced.height());
    if (frame.mirrored)
        placement.translate(reduced.width(), 0).scale(-1, 1);
    QPainter painter(&underlay);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(opacityPercent / 100.0);
    painter.setTransform(placement);
    painter.drawImage(0, 0, reduced);
    return underlay;
}
