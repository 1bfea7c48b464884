#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

class QWidget;

namespace shell {

// The application title names the program and captions every error box. Kept apart from Qt's
// display name, which the window system would append to every window caption.
void setApplicationTitle(const QString& title);
QString applicationTitle();

// The program's own icon, the one the desktop menu shows, at 48 pixels: the application and the
// start window carry it. The window system receives the application's icon at once and a window's
// as it first shows; each larger picture would cost start-up milliseconds.
QIcon applicationIcon();
// The same at 48 and 256 pixels, for the windows and boxes shown after start-up.
QIcon fullApplicationIcon();

// The running executable's folder, with its trailing separator.
QString executableFolder();
// The folder of the shipped text files, with its trailing separator: the executable's folder for
// a portable copy, <prefix>/share/du2damage for an installed one.
QString dataFolder();
// The settings file's full path: beside a portable executable, in the user's configuration
// folder for an installed one.
QString settingsFile();

// The font the windows were designed with: "MS Sans Serif" 8 points where it exists, otherwise
// the platform's sans-serif at the same 11-pixel character height.
QFont classicFont();

// Makes the window visible if it is hidden, inside the screen's work area, and brings it to the
// front.
void showWindow(QWidget* window);

// Tells the event loop to end after the event in hand.
void terminate();

} // namespace shell
