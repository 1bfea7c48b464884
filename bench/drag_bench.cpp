#include "editor_windows.h"

#include "editor_window.h"
#include "hitbox_3d_view.h"
#include "shell/error_display.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include <benchmark/benchmark.h>

// Goal: under 4 ms. One pointer step of a drag at 1920 x 1080 in "Edit Hit Boxes": the box's grid
// cells follow, then the top, side and 3-D views are drawn again.
static void BM_DragStep(benchmark::State& state) {
    benchsupport::EditorWindows windows;
    shell::guarded([] { Form3->Open1Click(); });
    Form5->EditHitBoxes1->trigger();
    Form5->N3DView1->trigger();
    for (QWidget* view :
         {static_cast<QWidget*>(Form5), static_cast<QWidget*>(Form6), static_cast<QWidget*>(Form7)})
        view->resize(1920, 1080);
    QCoreApplication::processEvents();
    testsupport::PaintCounter paints(Form7);

    // Inside the right outer wing of 27damage.dat (x 18 to 37.5 ft, y -4.5 to 4 ft) at 100%.
    TPaintBox* box = Form5->pb1;
    const QPoint pressed(box->width() / 2 - 280, box->height() / 2 - 50);
    const auto send = [box](QEvent::Type type, QPoint at) {
        QMouseEvent event(type, at, box->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QApplication::sendEvent(box, &event);
    };
    send(QEvent::MouseButtonPress, pressed);
    const int flatPaintsBefore = windows.viewPaints();
    int step = 0;
    for (auto _ : state) {
        send(QEvent::MouseMove, pressed + QPoint(1 + step++ % 40, 0));
        QCoreApplication::processEvents(); // the three views paint
    }
    send(QEvent::MouseButtonRelease, pressed);
    if (windows.failed(state))
        return;
    // Every step must have drawn the 3-D view, or the figure would leave out its drawing.
    state.counters["3-D paints per step"] =
        static_cast<double>(paints.paints) / static_cast<double>(state.iterations());
    state.counters["flat paints per step"] =
        static_cast<double>(windows.viewPaints() - flatPaintsBefore) /
        static_cast<double>(state.iterations());
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Goal: under 8 ms. One wheel notch over the top view at 1920 x 1080, in and out in turn: both
// flat views and the 3-D view are drawn again at the new zoom.
static void BM_WheelZoomStep(benchmark::State& state) {
    benchsupport::EditorWindows windows;
    shell::guarded([] { Form3->Open1Click(); });
    Form5->N3DView1->trigger();
    for (QWidget* view :
         {static_cast<QWidget*>(Form5), static_cast<QWidget*>(Form6), static_cast<QWidget*>(Form7)})
        view->resize(1920, 1080);
    QCoreApplication::processEvents();
    TPaintBox* box = Form5->pb1;
    const QPoint at(box->width() / 2 - 280, box->height() / 2 - 50);
    const int paintsBefore = windows.viewPaints();
    int step = 0;
    for (auto _ : state) {
        QWheelEvent turn(at, box->mapToGlobal(at), {}, {0, step++ % 2 == 0 ? 120 : -120},
                         Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &turn);
        QCoreApplication::processEvents(); // the views paint
    }
    if (windows.failed(state))
        return;
    state.counters["flat paints per step"] =
        static_cast<double>(windows.viewPaints() - paintsBefore) /
        static_cast<double>(state.iterations());
}
BENCHMARK(BM_WheelZoomStep)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
