#pragma once

#include <QPalette>

namespace shell {

// The tooltip colours of `palette` where they are legible (the system's own, as the platform gives
// them), else dark text on a light background; the same in every colour group, so that a tip over
// an inactive window reads as well as over the active one.
QPalette legibleToolTipPalette(const QPalette& palette);

} // namespace shell
