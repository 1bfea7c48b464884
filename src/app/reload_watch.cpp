#include "reload_watch.h"

#include "damage_document.h"
#include "shell/error_display.h"
#include "shell/question.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWidget>

ReloadWatch::ReloadWatch(QWidget& window, DamageDocument& document, Links links)
    : QObject(&window), window_(window), document_(document), links_(std::move(links)) {
    window.installEventFilter(this);
    // A file opened, saved or read again is what the disk holds: nothing is pending any more.
    connect(&document, &DamageDocument::recordsChanged, this, [this] {
        asked_.reset();
        goneTold_ = false;
    });
}

// Checked after the activation has been handled: a question must not interrupt it.
bool ReloadWatch::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !queued_) {
        queued_ = true;
        QTimer::singleShot(0, this, [this] {
            queued_ = false;
            shell::guarded([this] { check(); });
        });
    }
    return false;
}

void ReloadWatch::check() {
    // The question's own box gives the activation back when it closes.
    if (checking_)
        return;
    const QScopedValueRollback busy(checking_, true);
    const dm::DamageFile& file = document_.CurrentDamageFile;
    if (file.path().empty())
        return;
    if (!QFileInfo::exists(document_.fileName())) {
        if (!goneTold_) {
            goneTold_ = true;
            shell::showError(QStringLiteral("%1 has been deleted by another program. The grid "
                                            "keeps its values; Save writes them to it again.")
                                 .arg(QDir::toNativeSeparators(document_.fileName())));
        }
        return;
    }
    goneTold_ = false;
    std::optional<std::vector<std::uint8_t>> onDisk = file.changedBytesOnDisk();
    if (!onDisk || onDisk == asked_)
        return;
    asked_ = std::move(onDisk);
    QString question = QStringLiteral("The file has been changed by another program. Reload it?");
    if (links_.hasUnsavedEdits())
        question += QStringLiteral("\n\nYour changes that have not been saved will be lost.");
    if (shell::askYesNo(question, &window_))
        links_.reload();
}
