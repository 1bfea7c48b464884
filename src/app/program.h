#pragma once

// The program's life, apart from its event loop: the windows are created once, in a fixed order,
// and destroyed in the reverse order.
namespace program {

// Sets the application title and icon and creates Form1 to Form6, linking the two views' placement
// keepers to the start window's settings store (the editor links its own as it is built); the
// editor and both views take dropped damage files.
void createWindows();

// Shows the start window, the program's main window.
void showMainWindow();

// Closes the current damage file if it is still open, then destroys the windows from the side view
// back to the start window; the side view, the top view and the editor store their placements as
// they go, and the settings store goes last with the start window.
void destroyWindows();

} // namespace program
