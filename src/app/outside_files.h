#pragma once

#include <QString>

#include <functional>

class QMimeData;
class QWidget;

// Damage files dropped on a window; they open as with the editor's Open command without its
// dialog, so the unsaved-changes question, the remembered folder and every failure behave as in
// Open.
namespace outside {

// Lets damage files be dropped on `window` and its children; `open` gets the file's full path once
// the drop has ended.
void acceptDroppedFiles(QWidget* window, std::function<void(const QString& path)> open);

// The file a drag carries if the windows take it (one local file named *.dat), else empty.
QString droppableFile(const QMimeData* data);

} // namespace outside
