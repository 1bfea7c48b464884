#include "../tests/support/test_support.h"
#include "editor_window.h"
#include "paint_box.h"
#include "program.h"
#include "shell/application.h"
#include "shell/error_display.h"
#include "shell/file_dialog.h"
#include "side_view.h"
#include "start_window.h"
#include "string_grid.h"
#include "top_view.h"

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

#include <optional>

namespace {

// Confirms every file dialog with the same file, as a user who always picks it.
class ConfirmingDialogs : public shell::FileDialogRunner {
public:
    std::optional<QString> run(const shell::FileDialog&, QWidget*) override { return file; }
    QString file;
};

// The program's windows in the editing state, over a temporary executable folder that holds the
// caption files and a copy of a sample damage file.
class EditorWindows {
public:
    EditorWindows() {
        dialogs_.file = folder_.filePath(QStringLiteral("27damage.dat"));
        QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/27damage.dat"), dialogs_.file);
        QFile::setPermissions(dialogs_.file, QFile::ReadOwner | QFile::WriteOwner);
        shell::setFileDialogRunner(&dialogs_);
        program::createWindows();
        Form1->Button5Click();
        QCoreApplication::processEvents();
        paints_.watch(Form5->pb1);
        paints_.watch(Form6->pb2);
    }

    ~EditorWindows() {
        program::destroyWindows();
        shell::setFileDialogRunner(nullptr);
    }

    // Any error box fails the benchmark instead of waiting for a click.
    bool failed(benchmark::State& state) const {
        if (errors_.shown.empty())
            return false;
        state.SkipWithError(errors_.texts().join('\n').toStdString().c_str());
        return true;
    }

    int viewPaints() const { return paints_.paints; }

private:
    testsupport::ExecutableFolder folder_{shell::executableFolder()};
    testsupport::RecordingPresenter errors_;
    ConfirmingDialogs dialogs_;
    testsupport::PaintCounter paints_;
};

} // namespace

// Goal: under 10 ms. The whole command, its dialog answered at once with the sample file.
static void BM_OpenCommand(benchmark::State& state) {
    EditorWindows windows;
    for (auto _ : state)
        shell::guarded([] { Form3->Open1Click(); });
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
    shell::guarded([] { Form3->Open1Click(); });
    StringGrid* grid = Form3->StringGrid1;
    int value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        grid->setCellText(1, 1, QString::number(value++ % 2));
        grid->setMarker();
        state.ResumeTiming();
        shell::guarded([] { Form3->Save1Click(); });
    }
    windows.failed(state);
}
BENCHMARK(BM_SaveCommand)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
