#pragma once

#include "core/placement.h"

#include <QMargins>
#include <QSize>

class QWidget;

namespace platform {

// The window's placement record: flags, show state and the outer rectangle of its normal state,
// the frame included, whatever state the window is in and also while it is hidden.
dm::Placement windowPlacement(const QWidget* window);

// Gives the record to the window: its normal rectangle (frame included) and its show state, which
// a hidden window takes as it becomes visible.
void setWindowPlacement(QWidget* window, const dm::Placement& placement);

// The primary screen's width and height.
QSize primaryScreenSize();

// The frame the window system puts around the window. Before a window is first mapped the window
// system has not told yet; the last frame seen on any window stands in.
QMargins frameMargins(const QWidget* window);

} // namespace platform
