#include "du2dam.h"
#include "du2dam3.h"
#include "du2dam5.h"
#include "du2dam6.h"
#include "platform/application.h"
#include "platform/error_display.h"
#include "platform/file_dialog.h"
#include "program.h"
#include "string_grid.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>

namespace {

// Any error box fails the benchmark instead of waiting for a click.
class FailingPresenter : public platform::ErrorPresenter {
public:
    void present(const QString&, const QString& text) override { errors << text; }
    QStringList errors;
};

// Confirms every file dialog with the same file, as a user who always picks it.
class ConfirmingDialogs : public platform::FileDialogRunner {
public:
    std::optional<QString> run(const platform::FileDialog&, QWidget*) override { return file; }
    QString file;
};

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The program's windows in the editing state, over a temporary executable folder that holds the
// caption files and a copy of a sample damage file.
class EditorWindows {
public:
    EditorWindows() {
        const QString shipped = platform::executableFolder();
        for (const char* name : {"DM Column Headers.txt", "DM Row Headers.txt", "DM File List.txt"})
            QFile::copy(shipped + name, folder_.filePath(QLatin1String(name)));
        dialogs_.file = folder_.filePath(QStringLiteral("27damage.dat"));
        QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/27damage.dat"), dialogs_.file);
        QFile::setPermissions(dialogs_.file, QFile::ReadOwner | QFile::WriteOwner);
        platform::setExecutableFolderOverride(folder_.path());
        platform::setErrorPresenter(&presenter_);
        platform::setFileDialogRunner(&dialogs_);
        program::createWindows();
        Form1->Button5Click();
        QCoreApplication::processEvents();
        Form5->pb1->installEventFilter(&paints_);
        Form6->pb2->installEventFilter(&paints_);
    }

    ~EditorWindows() {
        program::destroyWindows();
        platform::setFileDialogRunner(nullptr);
        platform::setErrorPresenter(nullptr);
        platform::setExecutableFolderOverride(QString());
    }

    bool failed(benchmark::State& state) const {
        if (presenter_.errors.isEmpty())
            return false;
        state.SkipWithError(presenter_.errors.join('\n').toStdString().c_str());
        return true;
    }

    int viewPaints() const { return paints_.paints; }

private:
    QTemporaryDir folder_;
    FailingPresenter presenter_;
    ConfirmingDialogs dialogs_;
    PaintCounter paints_;
};

} // namespace

// Goal: under 10 ms. The whole command, its dialog answered at once with the sample file.
static void BM_OpenCommand(benchmark::State& state) {
    EditorWindows windows;
    for (auto _ : state)
        platform::guarded([] { Form3->Open1Click(); });
    if (windows.failed(state))
        return;
    // Both views must have painted on every open, or the figure would leave out their drawing.
    state.counters["view paints per open"] =
        static_cast<double>(windows.viewPaints()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OpenCommand)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Goal: under 5 ms. One cell edited before each save, so every save parses a changed cell.
static void BM_SaveCommand(benchmark::State& state) {
    EditorWindows windows;
    platform::guarded([] { Form3->Open1Click(); });
    StringGrid* grid = Form3->StringGrid1;
    int value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        grid->setCellText(1, 1, QString::number(value++ % 2));
        grid->setMarker();
        state.ResumeTiming();
        platform::guarded([] { Form3->Save1Click(); });
    }
    windows.failed(state);
}
BENCHMARK(BM_SaveCommand)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
