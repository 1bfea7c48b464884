#pragma once

#include "core/hitbox_scene.h"
#include "views/qt_colours.h"

#include <QRect>

#include <vector>

class QImage;
class QPainter;

// Clears `area` to the views' gray and replays the scene on it, without antialiasing.
void paintHitBoxScene(QPainter& painter, const QRect& area, const std::vector<dm::DrawOp>& scene);
// Draws `underlay` (a background picture on the views' gray, as large as `area`, with the scene's
// grid drawn into it by drawGridWithContrast) and replays the rest of the scene over it.
void paintHitBoxSceneOver(QPainter& painter, const QRect& area, const QImage& underlay,
                          const std::vector<dm::DrawOp>& scene);
// Replays the scene over what `area` already shows.
void paintHitBoxSceneOnTop(QPainter& painter, const QRect& area,
                           const std::vector<dm::DrawOp>& scene);
