#pragma once

#include "command_line.h"

#include <string>

namespace shell {

// The display that Qt is about to connect to, by name, when it cannot be reached; empty when it
// can, or when Qt will use neither X11 nor Wayland. Asked before Qt starts, since Qt aborts the
// whole program on a display it cannot open.
std::string unreachableDisplay(const startup::DisplayEnvironment& environment);

} // namespace shell
