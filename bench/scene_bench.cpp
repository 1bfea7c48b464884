// The hit-box views' paint at the largest common screen, 20% with a 1ft grid (the most lines).

#include "core/hitbox_scene.h"
#include "views/scene_painter.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

dm::PartTable biplaneTable() {
    dm::PartTable table{};
    for (int slot = 0; slot < dm::kSlotCount; ++slot) {
        const float side = slot % 2 == 0 ? 1.0f : -1.0f;
        dm::PartRecord& part = table[slot];
        part.PX1 = side * (1.0f + slot);
        part.PX2 = side * (4.0f + slot);
        part.PY1 = 2.0f - slot * 0.5f;
        part.PY2 = -3.0f - slot * 0.5f;
        part.PZ1 = 0.2f * slot;
        part.PZ2 = -0.1f * slot;
        part.PX3 = side * 2.5f;
        part.PY3 = -0.5f * slot;
        part.PZ3 = 0.1f * slot;
    }
    return table;
}

const dm::SceneRequest kRequest{kWidth, kHeight, 1, 2, dm::HitBoxView::Top, true};

void BM_SceneAndReplay(benchmark::State& state) {
    const dm::PartTable table = biplaneTable();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        paintHitBoxScene(painter, image.rect(), dm::buildHitBoxScene(kRequest, table));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SceneAndReplay)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly();

void BM_SceneOnly(benchmark::State& state) {
    const dm::PartTable table = biplaneTable();
    std::vector<dm::DrawOp> ops;
    for (auto _ : state) {
        dm::buildHitBoxScene(kRequest, table, ops);
        benchmark::DoNotOptimize(ops.data());
    }
}
BENCHMARK(BM_SceneOnly)->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly();

} // namespace
