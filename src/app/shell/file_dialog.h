#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace shell {

enum class FileDialogKind { Open, Save };

class FileDialog;

// Who answers a file dialog: the real dialog, or a script in tests. Returns the confirmed name.
class FileDialogRunner {
public:
    virtual ~FileDialogRunner() = default;
    virtual std::optional<QString> run(const FileDialog& dialog, QWidget* parent) = 0;
};

// A modal open or save dialog. Both kinds let the user name a file that does not exist yet; the
// save dialog replaces an existing file without asking. The dialog keeps the last chosen name
// and starts with it.
class FileDialog {
public:
    explicit FileDialog(FileDialogKind kind) : kind_(kind) {}

    FileDialogKind kind() const { return kind_; }

    // Pairs of description and pattern, all joined by "|": "Damage Files|*.dat|All Files|*.*".
    void setFilter(const QString& filter) { filter_ = filter; }
    const QString& filter() const { return filter_; }
    // The filter selected at the start, counted from 1.
    void setFilterIndex(int index) { filterIndex_ = index; }
    int filterIndex() const { return filterIndex_; }
    // Added to a chosen name that has no extension.
    void setDefaultExt(const QString& extension) { defaultExt_ = extension; }
    const QString& defaultExt() const { return defaultExt_; }
    void setInitialDir(const QString& folder) { initialDir_ = folder; }
    const QString& initialDir() const { return initialDir_; }
    // An empty title leaves the dialog's own.
    void setTitle(const QString& title) { title_ = title; }
    const QString& title() const { return title_; }
    void setFileName(const QString& name) { fileName_ = name; }
    const QString& fileName() const { return fileName_; }

    // The filter as the dialog lists it; patterns match without regard to letter case.
    QStringList nameFilters() const;

    // Shows the dialog modally; true when the user confirmed a name, which becomes fileName().
    bool execute(QWidget* parent = nullptr);

private:
    FileDialogKind kind_;
    QString filter_;
    int filterIndex_ = 1;
    QString defaultExt_;
    QString initialDir_;
    QString title_;
    QString fileName_;
};

// "??damage.dat" as "??[dD][aA][mM][aA][gG][eE].[dD][aA][tT]", for a file system that tells
// letter cases apart.
QString caseInsensitivePattern(const QString& pattern);

} // namespace shell
