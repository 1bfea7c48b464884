#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

// The damage axis picture: a grey binder page showing the aircraft axes of the hit-box points.
constexpr int kAxisPictureWidth = 250;
constexpr int kAxisPictureHeight = 350;

// Drawn anew on every call; 250 x 350 pixels in 256 colours.
QImage drawAxisPicture();

// Up to 256 colours that best stand for the image: the most frequent ones.
QList<QRgb> dominantColours(const QImage& image, int count = 256);
