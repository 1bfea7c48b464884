// A full redraw of the 3-D view at 1920 x 1080: the bomber sample with its empty slots filled, so
// that all 30 boxes (180 faces) are drawn, seen from the starting angle and filling the picture.

#include "core/damage_file.h"
#include "core/hitbox_scene_3d.h"
#include "views/scene_painter_3d.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

dm::PartTable thirtyBoxes() {
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    dm::readDamageFile(DM_SAMPLES_DIR "/27damage.dat", header, table);
    for (int slot = 0; slot < dm::kSlotCount; ++slot) {
        dm::PartRecord& part = table[slot];
        if (part.PX1 != part.PX2 || part.PY1 != part.PY2)
            continue;
        // An empty slot gets a wing panel's box lifted between the lower and the upper wing.
        part = table[slot % 4];
        part.PZ1 += 2.5f;
        part.PZ2 += 2.5f;
    }
    return table;
}

const dm::Scene3dRequest kRequest{
    kWidth, kHeight, 1, {dm::kStartYaw, dm::kStartPitch, 25, 0, 0}, true};

void BM_Scene3dRedraw(benchmark::State& state) {
    const dm::PartTable table = thirtyBoxes();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    std::vector<dm::DrawOp3d> ops;
    for (auto _ : state) {
        dm::buildHitBoxScene3d(kRequest, table, ops);
        QPainter painter(&image);
        paintHitBoxScene3d(painter, image.rect(), ops);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_Scene3dRedraw)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly();

void BM_Scene3dOnly(benchmark::State& state) {
    const dm::PartTable table = thirtyBoxes();
    std::vector<dm::DrawOp3d> ops;
    for (auto _ : state) {
        dm::buildHitBoxScene3d(kRequest, table, ops);
        benchmark::DoNotOptimize(ops.data());
    }
}
BENCHMARK(BM_Scene3dOnly)->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly();

} // namespace
