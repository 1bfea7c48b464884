#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QMenu;
class TLMDIniCtrl;

// The editor's "Recent" menu: the files opened last, newest first, numbered "&1" to "&8" with
// their full paths. The list lives in the settings file alone and is read anew each time, so that
// two running editors do not undo each other's entries.
class RecentFilesMenu : public QObject {
    Q_OBJECT
public:
    struct Links {
        TLMDIniCtrl* settings = nullptr;
        // Opens a file as Open does, unsaved-changes question first.
        std::function<void(const QString& path)> open;
    };

    RecentFilesMenu(QMenu& menu, Links links);

    // The stored list, newest first.
    QStringList files() const;
    // Puts `path` first.
    void add(const QString& path);
    // A file that is gone is taken off the list and said in the error box; others open.
    void choose(const QString& path);

private:
    // The menu's entries for `list`, or the placeholder when it is empty.
    void fill(const QStringList& list);
    void store(const QStringList& files);

    QMenu& menu_;
    Links links_;
};
