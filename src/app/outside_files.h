#pragma once

#include <QString>

class QMimeData;
class QWidget;

// Damage files named from outside the menu: on the command line, or dropped on a window. Each
// opens as with the editor's Open command without its dialog, so the unsaved-changes question,
// the remembered folder and every failure behave as in Open.
namespace outside {

// Runs "Open" on `fileName`, taken relative to the current folder.
void openFile(const QString& fileName);

// Shows the editor at once, as the start window's button does, and opens `fileName` in it.
void openAtStart(const QString& fileName);

// Lets damage files be dropped on `window` and its children.
void acceptDroppedFiles(QWidget* window);

// The file a drag carries if the windows take it (one local file named *.dat), else empty.
QString droppableFile(const QMimeData* data);

} // namespace outside
