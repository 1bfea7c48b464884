#include "outside_files.h"

#include "shell/error_display.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QWidget>

namespace outside {
namespace {

class DropOpener : public QObject {
public:
    DropOpener(QObject* parent, std::function<void(const QString&)> open)
        : QObject(parent), open_(std::move(open)) {}

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
                this,
                [this, file] {
                    shell::guarded([&] { open_(QFileInfo(file).absoluteFilePath()); });
                },
                Qt::QueuedConnection);
        return true;
    }

private:
    std::function<void(const QString&)> open_;
};

} // namespace

void acceptDroppedFiles(QWidget* window, std::function<void(const QString& path)> open) {
    window->setAcceptDrops(true);
    window->installEventFilter(new DropOpener(window, std::move(open)));
}

QString droppableFile(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString file = urls.front().toLocalFile();
    return file.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive) ? file : QString();
}

} // namespace outside
