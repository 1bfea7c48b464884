#pragma once

#include <QString>

namespace platform {

// The application title names the program and captions every error box. Kept apart from Qt's
// display name, which the window system would append to every window caption.
void setApplicationTitle(const QString& title);
QString applicationTitle();

} // namespace platform
