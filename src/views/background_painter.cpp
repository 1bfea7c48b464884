#include "views/background_painter.h"

#include "core/errors.h"
#include "core/message_text.h"
#include "core/platform/system.h"
#include "views/qt_colours.h"

#include <QIODevice>
#include <QImageReader>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <optional>

namespace {

// Qt refuses pictures over 128 MiB decoded; ours may reach 64 million pixels of up to 8 bytes
// (16 bits a channel) before they are converted.
constexpr int kLargestDecodedMiB = int(kLargestBackgroundPixels * 8 / (1024 * 1024));

[[noreturn]] void refuse(const QString& path, const QString& reason) {
    throw dm::DamageError("The picture " + dm::escapedText(path.toStdString()) +
                          " cannot be shown: " + reason.toStdString());
}

QString sizeText(QSize size) {
    return QStringLiteral("%1 x %2 pixels").arg(size.width()).arg(size.height());
}

// A picture file opened by the core: without waiting on a pipe, and only if what was opened is a
// regular file, so that no name can be swapped between a check and the read.
class PictureFile : public QIODevice {
public:
    explicit PictureFile(const std::string& path)
        : file_(path, dm::platform::OpenMode::Read), size_(qint64(file_.size())) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return size_; }

protected:
    qint64 readData(char* data, qint64 count) override {
        try {
            return qint64(
                file_.readAt(pos(), reinterpret_cast<std::byte*>(data), std::size_t(count)));
        } catch (const dm::DamageError&) {
            return -1;
        }
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    dm::platform::SystemFile file_;
    qint64 size_;
};

std::unique_ptr<PictureFile> openPicture(const QString& path) {
    try {
        return std::make_unique<PictureFile>(path.toStdString());
    } catch (const dm::IoError& error) {
        if (error.code() == dm::kFolderCode)
            refuse(path, QStringLiteral("it is a folder, not a file"));
        if (error.code() == 100) // what the core says of anything but a regular file
            refuse(path, QStringLiteral("it is a pipe or a device, not a file"));
        refuse(path, QString::fromUtf8(error.what()));
    }
}

// An opened picture whose size is known and within the limits; nothing is decoded yet.
class PictureReader {
public:
    explicit PictureReader(const QString& path) : path_(path), file_(openPicture(path)) {
        reader_.setDevice(file_.get());
        size_ = reader_.size();
        if (size_.isValid() &&
            (size_.width() > kLargestBackgroundSide || size_.height() > kLargestBackgroundSide ||
             qint64(size_.width()) * size_.height() > kLargestBackgroundPixels))
            refuse(path, QStringLiteral("it is %1, more than %2 a side or %3 million in all")
                             .arg(sizeText(size_))
                             .arg(kLargestBackgroundSide)
                             .arg(kLargestBackgroundPixels / (1024 * 1024)));
    }

    QSize size() const { return size_; }

    QImage read(QSize scaledTo = {}) {
        QImageReader::setAllocationLimit(kLargestDecodedMiB);
        if (scaledTo.isValid())
            reader_.setScaledSize(scaledTo);
        QImage picture;
        if (!reader_.read(&picture))
            refuse(path_, reader_.errorString());
        picture.convertTo(QImage::Format_ARGB32_Premultiplied); // in place where it can be
        return picture;
    }

private:
    QString path_;
    std::unique_ptr<PictureFile> file_;
    QImageReader reader_;
    QSize size_;
};

// Whole pixels about the size of the frame, when the frame is smaller than the picture.
std::optional<QSize> reducedSize(QSize picture, const dm::PictureFrame& frame) {
    if (frame.width >= picture.width() || frame.height >= picture.height())
        return std::nullopt;
    return QSize(std::max(1, int(std::lround(frame.width))),
                 std::max(1, int(std::lround(frame.height))));
}

} // namespace

QImage readBackgroundPicture(const QString& path) {
    return PictureReader(path).read();
}

QImage readBackgroundPictureFor(const dm::BackgroundPicture& picture, const dm::SceneRequest& view,
                                dm::PictureFrame& frame) {
    PictureReader reader(QString::fromStdString(picture.file));
    if (!reader.size().isValid()) {
        const QImage image = reader.read();
        frame = dm::pictureFrame(picture, image.width(), image.height(), view);
        return reducedForFrame(image, frame);
    }
    frame = dm::pictureFrame(picture, reader.size().width(), reader.size().height(), view);
    return reader.read(reducedSize(reader.size(), frame).value_or(QSize()));
}

QImage reducedForFrame(const QImage& picture, const dm::PictureFrame& frame) {
    const auto reduced = reducedSize(picture.size(), frame);
    if (!reduced)
        return picture;
    return picture.scaled(*reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void paintBackground(QImage& image, const QImage& reduced, const dm::PictureFrame& frame,
                     int opacityPercent) {
    image.fill(toQColor(dm::colours::gray));
    if (frame.width <= 0 || frame.height <= 0 || reduced.isNull())
        return;
    QTransform placement;
    placement.translate(frame.left, frame.top);
    placement.scale(frame.width / reduced.width(), frame.height / reduced.height());
    if (frame.mirrored)
        placement.translate(reduced.width(), 0).scale(-1, 1);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(opacityPercent / 100.0);
    painter.setTransform(placement);
    painter.drawImage(0, 0, reduced);
}
