#pragma once

namespace shell {

// Reads the system's font configuration, which the first window with text would otherwise read
// while the user waits. Safe to run on a worker thread while the windowing system starts up.
void loadFontConfiguration();

} // namespace shell
