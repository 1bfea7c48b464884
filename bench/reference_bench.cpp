#include "about_box.h"
#include "axis_picture.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

// The whole opening effect of the about box at the step delay 75; it should stay well under
// half a second. Needs a window system that shapes windows (QT_QPA_PLATFORM=xcb under Xvfb).
static void BM_AboutExplodeEffect(benchmark::State& state) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        state.SkipWithError("needs the xcb platform");
        return;
    }
    for (auto _ : state)
        runExplodeEffect(QPoint(10, 10), QRect(420, 360, 440, 300), 75);
}
BENCHMARK(BM_AboutExplodeEffect)->Unit(benchmark::kMillisecond)->Iterations(5);

// Drawn once at start-up when the axis window is created.
static void BM_DrawAxisPicture(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(drawAxisPicture());
}
BENCHMARK(BM_DrawAxisPicture)->Unit(benchmark::kMillisecond);
