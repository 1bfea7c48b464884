#pragma once

#include <QPoint>
#include <QRect>

// The about box's opening effect: outlines that grow from the pointer to the dialog's frame.

// The k-th of the 40 explode outlines (k = 1 to 40), k/40 of the way from the pointer to target.
QRect explodeOutline(QPoint pointer, const QRect& target, int step);
// Draws the 40 outlines from the pointer to target, then erases them; stepDelay scales the pauses.
void runExplodeEffect(QPoint pointer, const QRect& target, int stepDelay);
