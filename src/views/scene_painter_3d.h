#pragma once

#include "core/hitbox_scene_3d.h"

#include <QRect>

#include <vector>

class QPainter;

// Clears `area` to the views' gray and replays the 3-D scene on it in order, faces translucent.
// Nothing is smoothed, as in the flat views: smoothing made a full redraw about ten times slower.
void paintHitBoxScene3d(QPainter& painter, const QRect& area,
                        const std::vector<dm::DrawOp3d>& scene);
