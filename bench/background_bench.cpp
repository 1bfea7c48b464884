// A flat view's redraw over a 4000 x 3000 plan picture at 1920 x 1080, as its window paints it:
// the picture is read when the view first draws and scaled once for the zoom, not per paint.

#include "../tests/support/test_support.h"
#include "hitbox_views.h"
#include "paint_box.h"
#include "settings/ini_ctrl.h"
#include "view_backgrounds.h"
#include "view_settings.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

constexpr QSize kScreen(1920, 1080);

// A plan-like picture: lines on paper, so that the PNG is read as a real one is.
QImage planPicture() {
    QImage picture(4000, 3000, QImage::Format_RGB32);
    picture.fill(QColor(250, 248, 240));
    QPainter painter(&picture);
    painter.setPen(QPen(QColor(20, 40, 110), 6));
    for (int i = 0; i < 4000; i += 125)
        painter.drawLine(i, 0, 4000 - i, 3000);
    return picture;
}

void BM_RedrawOverPlanPicture(benchmark::State& state) {
    // A portable copy's folder, by the settings file it holds, so that nothing else is written.
    testsupport::ExecutableFolder folder{QString()};
    QFile(folder.filePath(QStringLiteral("du2daminfo.INI"))).open(QIODevice::WriteOnly);
    const QString pictureFile = folder.filePath(QStringLiteral("plan.png"));
    planPicture().save(pictureFile);
    TLMDIniCtrl settings;
    settings.WriteString(QStringLiteral("Background Pictures"), QStringLiteral("top 27damage.dat"),
                         QStringLiteral("80;0;-15;50;1;") + pictureFile);

    const ViewSettings viewSettings; // 1 ft grid at 100%: the most lines
    TPaintBox box(nullptr);
    box.resize(kScreen);
    ViewBackground background(
        dm::HitBoxView::Top, box,
        {&settings, [] { return QStringLiteral("27damage.dat"); }, [] {}, &viewSettings});
    dm::PartTable table{};
    HitBoxSource source;
    source.settings = &viewSettings;
    source.partTable = &table;
    source.underlay = underlaysOf(&background, nullptr);
    QImage screen(kScreen, QImage::Format_RGB32);
    // As the view's first paint: the picture is read and scaled.
    if (background.underlay(kScreen) == nullptr) {
        state.SkipWithError("the picture was not read");
        return;
    }
    for (auto _ : state) {
        QPainter painter(&screen);
        paintHitBoxView(painter, kScreen, dm::HitBoxView::Top, source);
        painter.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_RedrawOverPlanPicture)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly();

} // namespace
