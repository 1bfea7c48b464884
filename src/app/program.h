#pragma once

#include <QString>

class DamageDocument;

// The program's life, apart from its event loop: the windows are created once, in a fixed order,
// and destroyed in the reverse order. The windows know each other only through the links given
// here.
namespace program {

// Sets the application title and icon and creates Form1 to Form6, linking the two views' placement
// keepers to the start window's settings store (the editor links its own as it is built); the
// editor and both views take dropped damage files.
void createWindows();

// Links the top and the side view to each other (done by createWindows).
void linkHitBoxViews();

// The open damage file, made anew by createWindows.
DamageDocument& document();

// Shows the start window, the program's main window.
void showMainWindow();

// Shows the editor at once, as the start window's button does, and opens `fileName` in it.
void openAtStart(const QString& fileName);

// Closes the current damage file if it is still open, then destroys the 3-D view if it was created
// and the windows from the side view back to the start window; the 3-D view, the side view, the
// top view and the editor store their placements as they go, and the settings store goes last with
// the start window.
void destroyWindows();

} // namespace program
