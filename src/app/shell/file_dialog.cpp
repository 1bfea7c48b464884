#include "shell/file_dialog.h"
#include "shell/test_hooks.h"

#include <QFileDialog>
#include <QFileInfo>

namespace shell {
namespace {

class QtFileDialogRunner : public FileDialogRunner {
public:
    std::optional<QString> run(const FileDialog& request, QWidget* parent) override {
        QFileDialog dialog(parent, request.title());
        // A folder that does not exist here ("c:\\" from another system) would end up as the
        // typed file name; the dialog then starts where the platform chooses.
        if (QFileInfo(request.initialDir()).isDir())
            dialog.setDirectory(request.initialDir());
        const bool opening = request.kind() == FileDialogKind::Open;
        dialog.setAcceptMode(opening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        const QStringList filters = request.nameFilters();
        dialog.setNameFilters(filters);
        if (request.filterIndex() >= 1 && request.filterIndex() <= filters.size())
            dialog.selectNameFilter(filters[request.filterIndex() - 1]);
        dialog.setDefaultSuffix(request.defaultExt());
        if (!request.fileName().isEmpty())
            dialog.selectFile(request.fileName());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

QtFileDialogRunner qtRunner;
FileDialogRunner* currentRunner = &qtRunner;

// Windows' own dialog matches names without regard to case and knows no "[dD]" classes.
QString dialogPattern(const QString& pattern) {
#ifdef Q_OS_WIN
    return pattern;
#else
    return caseInsensitivePattern(pattern);
#endif
}

QString withDefaultExt(const QString& name, const QString& extension) {
    if (extension.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + '.' + extension;
}

} // namespace

void setFileDialogRunner(FileDialogRunner* runner) {
    currentRunner = runner ? runner : &qtRunner;
}

QString caseInsensitivePattern(const QString& pattern) {
    // "*.*" means every file, also one without an extension.
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("*");
    QString result;
    for (const QChar c : pattern) {
        if (c.toLower() != c.toUpper())
            result += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
        else
            result += c;
    }
    return result;
}

QStringList FileDialog::nameFilters() const {
    const QStringList parts = filter_.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = dialogPattern(pattern.trimmed());
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(' '));
    }
    return filters;
}

bool FileDialog::execute(QWidget* parent) {
    const std::optional<QString> chosen = currentRunner->run(*this, parent);
    if (!chosen || chosen->isEmpty())
        return false;
    fileName_ = withDefaultExt(*chosen, defaultExt_);
    return true;
}

} // namespace shell
