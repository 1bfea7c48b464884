#pragma once

#include "core/hitbox_scene.h"

#include <QImage>
#include <QRect>

#include <vector>

// The lines of the scene's grid layer.
bool isGridLine(const dm::DrawOp& op);

// Draws the scene's grid lines into `image` (RGB32, drawn at `area`) where they lie: silver where
// that reads on what lies below, as on the views' gray; dark where the picture below is light. A
// crossing takes the colour that reads on the line drawn first.
void drawGridWithContrast(QImage& image, const QRect& area, const std::vector<dm::DrawOp>& scene);
