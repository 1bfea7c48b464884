#pragma once

// Scaffolding shared by the Qt tests and the benchmarks.

#include "shell/application.h"
#include "shell/error_display.h"
#include "shell/test_hooks.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <vector>

namespace testsupport {

// Records what the error box would show, in place of the box for as long as it lives.
class RecordingPresenter : public shell::ErrorPresenter {
public:
    struct Shown {
        QString caption;
        QString text;
    };

    RecordingPresenter() { shell::setErrorPresenter(this); }
    ~RecordingPresenter() override { shell::setErrorPresenter(nullptr); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    void present(const QString& caption, const QString& text) override {
        shown.push_back({caption, text});
    }

    QStringList texts() const {
        QStringList all;
        for (const Shown& box : shown)
            all << box.text;
        return all;
    }

    std::vector<Shown> shown;
};

// A temporary folder that stands in for the executable's folder for as long as it lives, holding
// copies of the shipped text files found in `shippedFolder`.
class ExecutableFolder : public QTemporaryDir {
public:
    explicit ExecutableFolder(const QString& shippedFolder) {
        for (const char* name : {"DM Column Headers.txt", "DM Row Headers.txt", "DM File List.txt"})
            QFile::copy(QDir(shippedFolder).filePath(QLatin1String(name)),
                        filePath(QLatin1String(name)));
        shell::setExecutableFolderOverride(path());
    }
    ~ExecutableFolder() { shell::setExecutableFolderOverride(QString()); }
};

// Counts the paints of the widgets it watches.
class PaintCounter : public QObject {
public:
    PaintCounter() = default;
    explicit PaintCounter(QWidget* widget) { watch(widget); }

    void watch(QWidget* widget) { widget->installEventFilter(this); }

    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace testsupport
