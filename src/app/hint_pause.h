#pragma once

// Shows a hint at once when the pointer moves from a control with a hint to another one; the
// other hint timings stay Qt's. Qt itself waits 20 ms there and offers no setting for it.
// Called once at start-up, after the QApplication exists.
void installShortHintPause();
