#pragma once

#include "core/placement.h"

#include <QMargins>
#include <QSize>

#include <functional>
#include <initializer_list>

class QWidget;

namespace shell {

// The window's placement record: flags, show state and the outer rectangle of its normal state,
// the frame included, whatever state the window is in and also while it is hidden. A window the
// window system has never had has no position yet: its rectangle lies at the top left corner of
// the primary screen's work area.
dm::Placement windowPlacement(const QWidget* window);

// Gives the record to the window: its normal rectangle (frame included) and its show state, which
// a hidden window takes as it becomes visible.
void setWindowPlacement(QWidget* window, const dm::Placement& placement);

// The primary screen's width and height.
QSize primaryScreenSize();

// The primary screen, its work area, and the client size `smallest` (else the window's own
// minimum) with the window's frame, as limits for a stored placement.
dm::PlacementLimits placementLimits(const QWidget* window, QSize smallest);

// The frame the window system puts around the window: as it reports it, else as it last reported
// it for this window (a hidden window has none), else the last frame seen on any window.
QMargins frameMargins(const QWidget* window);

// Follows the window's frame from now on, so that it is still known once the window is hidden.
void watchFrame(QWidget* window);

// Places the window by its outer edges: `place` puts the window for the given frame. It runs now
// with the frame expected, and once more when the window is on the screen and the window system
// has told its real frame, if that differs. A later call replaces one still waiting.
void placeByFrame(QWidget* window, std::function<void(const QMargins& frame)> place);

// Shows the windows one after the other, so that the last ends in front. A window manager puts a
// window it maps in front of those raised before, so the windows after one that was hidden are
// raised again once that one is on the screen.
void showInOrder(std::initializer_list<QWidget*> windows);

// Brings a shown window, frame included, inside the work area of the screen it is on (else the
// primary screen's), shrinking it where it is larger. A window inside it stays as it is.
void keepInsideWorkArea(QWidget* window);

// Centres the window, frame included, on the primary screen.
void centreOnScreen(QWidget* window);

// Gives the window the outer size `size`, frame included, where it is.
void resizeOuter(QWidget* window, QSize size);

} // namespace shell
