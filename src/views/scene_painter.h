#pragma once

#include "core/hitbox_scene.h"
#include "views/qt_colours.h"

#include <QRect>

#include <vector>

class QPainter;

// Clears `area` to the views' gray and replays the scene on it, without antialiasing.
void paintHitBoxScene(QPainter& painter, const QRect& area, const std::vector<dm::DrawOp>& scene);
