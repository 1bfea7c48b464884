#pragma once

// Files dragged onto a window and dropped there, as the window system delivers them.

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace commandtest {

inline QMimeData* filesData(const QStringList& names) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& name : names)
        urls << (name.contains(QLatin1String("://")) ? QUrl(name) : QUrl::fromLocalFile(name));
    data->setUrls(urls);
    return data;
}

// Drags onto `target` and drops there, as the window system delivers it; true when accepted.
inline bool dragAndDrop(QWidget* target, const QStringList& names) {
    const std::unique_ptr<QMimeData> data(filesData(names));
    const QPoint centre = target->rect().center();
    // A file manager offers a move as well (Shift proposes it); taking it would let it delete the
    // file.
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(centre, offered, data.get(), Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(centre, offered, data.get(), Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    return drop.isAccepted();
}

} // namespace commandtest
