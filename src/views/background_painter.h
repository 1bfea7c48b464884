#pragma once

#include "core/background_picture.h"

#include <QImage>
#include <QSize>
#include <QString>

// A picture of either side larger than this, or of more pixels in all, is refused before it is
// read: it would cost more memory than any plan needs.
constexpr int kLargestBackgroundSide = 16384;
constexpr qint64 kLargestBackgroundPixels = 64LL * 1024 * 1024;

// Reads a picture through Qt's image reader (PNG, JPEG, BMP, GIF). Raises DamageError naming the
// file when it is missing, a folder, a pipe or a device, no picture, unreadable or too large. The
// file is opened without waiting and checked as opened, so that nothing can hold up a paint.
QImage readBackgroundPicture(const QString& path);
// The same, read no larger than the picture's frame in `view` needs; `frame` receives that frame.
QImage readBackgroundPictureFor(const dm::BackgroundPicture& picture, const dm::SceneRequest& view,
                                dm::PictureFrame& frame);

// The picture as a zoom draws it: reduced once to about the size of its frame, so that thin lines
// survive the reduction; a picture drawn larger than it is comes back as it is.
QImage reducedForFrame(const QImage& picture, const dm::PictureFrame& frame);

// What a view's scene is painted over, painted onto `image`: the views' gray with the reduced
// picture drawn into its frame at the picture's opacity.
void paintBackground(QImage& image, const QImage& reduced, const dm::PictureFrame& frame,
                     int opacityPercent);
