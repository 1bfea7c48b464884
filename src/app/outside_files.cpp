#include "outside_files.h"

#include "editor_window.h"
#include "platform/file_dialog.h"
#include "start_window.h"

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>

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
        drop->acceptProposedAction();
        // Opened after the drop has ended: the file manager waits for its end, and Open may ask.
        if (event->type() == QEvent::Drop)
            QMetaObject::invokeMethod(
                this, [file] { openFile(file); }, Qt::QueuedConnection);
        return true;
    }
};

} // namespace

void openFile(const QString& fileName) {
    const platform::OpenDialogAnswer answer(QFileInfo(fileName).absoluteFilePath());
    Form3->Open1->trigger();
}

void openAfterStart(const QString& fileName) {
    QObject::connect(
        Form1->Button5, &QPushButton::clicked, Form3, [fileName] { openFile(fileName); },
        Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
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
