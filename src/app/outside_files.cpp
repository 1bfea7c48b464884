#include "outside_files.h"

#include "editor_window.h"
#include "shell/error_display.h"
#include "start_window.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

namespace outside {
namespace {

class DropOpener : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            break;
        default:
            return false;
        }
        auto* drop = static_cast<QDropEvent*>(event);
        const QString file = droppableFile(drop->mimeData());
        if (file.isEmpty()) {
            drop->ignore();
            return true;
        }
        // A copy, never a move: a file manager deletes what it moved.
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Opened after the drop has ended: the file manager waits for its end, and Open may ask.
        if (event->type() == QEvent::Drop)
            QMetaObject::invokeMethod(
                this, [file] { openFile(file); }, Qt::QueuedConnection);
        return true;
    }
};

} // namespace

void openFile(const QString& fileName) {
    shell::guarded([&fileName] { Form3->openFile(QFileInfo(fileName).absoluteFilePath()); });
}

void openAtStart(const QString& fileName) {
    shell::guarded([] { Form1->Button5Click(); });
    openFile(fileName);
}

void acceptDroppedFiles(QWidget* window) {
    window->setAcceptDrops(true);
    window->installEventFilter(new DropOpener(window));
}

QString droppableFile(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString file = urls.front().toLocalFile();
    return file.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive) ? file : QString();
}

} // namespace outside
