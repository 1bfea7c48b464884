#include "editor_windows.h"

#include "editor_window.h"
#include "shell/error_display.h"
#include "string_grid.h"

#include <benchmark/benchmark.h>

using benchsupport::EditorWindows;

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

// Memory, not time: bench/peak_memory.sh runs each case in a process of its own and compares its
// peak with that of the same text made but not pasted. Arguments: MiB of text, 0 for line breaks
// or 1 for tabs, 1 to paste.
static void BM_PasteHugeText(benchmark::State& state) {
    EditorWindows windows;
    const QString text(qsizetype(state.range(0)) << 20, state.range(1) == 0 ? u'\n' : u'\t');
    Form3->StringGrid1->setCurrentCell(1, 1);
    for (auto _ : state)
        if (state.range(2) != 0)
            Form3->StringGrid1->pasteText(text);
    windows.failed(state);
}
BENCHMARK(BM_PasteHugeText)
    ->ArgsProduct({{20, 100}, {0, 1}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
