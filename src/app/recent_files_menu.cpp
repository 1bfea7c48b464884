#include "recent_files_menu.h"

#include "core/errors.h"
#include "core/recent_files.h"
#include "file_names.h"
#include "settings/ini_ctrl.h"
#include "shell/error_display.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace {

const QString kSection = QString::fromLatin1(dm::kRecentFilesSection);

dm::RecentFiles coreList(const QStringList& files) {
    dm::RecentFiles list;
    for (const QString& file : files)
        list.push_back(localPath(file));
    return list;
}

QStringList qtList(const dm::RecentFiles& files) {
    QStringList list;
    for (const std::string& file : files)
        list << QString::fromStdString(file);
    return list;
}

// "&1 /planes/27damage.dat": a "&" in the path is shown, not taken as a shortcut.
QString entryText(int index, const QString& path) {
    return QStringLiteral("&%1 %2").arg(index + 1).arg(
        QDir::toNativeSeparators(path).replace('&', QStringLiteral("&&")));
}

} // namespace

RecentFilesMenu::RecentFilesMenu(QMenu& menu, Links links)
    : QObject(&menu), menu_(menu), links_(std::move(links)) {
    // Filled as it opens, from one read of the settings file; until then it holds the placeholder,
    // so that it opens at all.
    connect(&menu, &QMenu::aboutToShow, this,
            [this] { shell::guarded([this] { fill(files()); }); });
    fill({});
}

QStringList RecentFilesMenu::files() const {
    if (links_.settings == nullptr)
        return {};
    return qtList(dm::readRecentFiles(links_.settings->ReadValues(kSection, dm::recentFileKeys())));
}

void RecentFilesMenu::add(const QString& path) {
    const QStringList before = files();
    const QStringList after = qtList(dm::withRecentFile(coreList(before), localPath(path)));
    if (after != before)
        store(after);
}

void RecentFilesMenu::choose(const QString& path) {
    if (!QFileInfo::exists(path)) {
        store(qtList(dm::withoutRecentFile(coreList(files()), localPath(path))));
        throw dm::DamageError(QStringLiteral("%1 is gone; it has been taken off the Recent list.")
                                  .arg(QDir::toNativeSeparators(path))
                                  .toStdString());
    }
    links_.open(path);
}

void RecentFilesMenu::store(const QStringList& files) {
    if (links_.settings != nullptr)
        links_.settings->WriteEntries(kSection, dm::recentFileEntries(coreList(files)));
}

// The entry being chosen may be the one that refills the menu: old entries go after it is done.
void RecentFilesMenu::fill(const QStringList& list) {
    for (QAction* old : menu_.actions()) {
        menu_.removeAction(old);
        old->deleteLater();
    }
    for (qsizetype index = 0; index < list.size(); ++index) {
        auto* entry = new QAction(entryText(int(index), list[index]), this);
        menu_.addAction(entry);
        const QString path = list[index];
        connect(entry, &QAction::triggered, this,
                [this, path] { shell::guarded([this, &path] { choose(path); }); });
    }
    if (list.isEmpty()) {
        auto* none = new QAction(QStringLiteral("No recent files"), this);
        none->setEnabled(false);
        menu_.addAction(none);
    }
}
