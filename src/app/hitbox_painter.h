#pragma once

#include "core/hitbox_scene.h"

#include <QColor>
#include <QRect>

#include <vector>

class QPainter;

QColor toQColor(dm::Rgb colour);

// Clears `area` to the views' gray and replays the scene on it, without antialiasing.
void paintHitBoxScene(QPainter& painter, const QRect& area, const std::vector<dm::DrawOp>& scene);
