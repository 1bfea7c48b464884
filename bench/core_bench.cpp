#include "core/cell_text.h"
#include "core/damage_file.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const std::string kSample = std::string(DM_SAMPLES_DIR) + "/27damage.dat";

// A private copy of the sample for the writing benchmarks, removed when they end.
class ScratchCopy {
public:
    ScratchCopy() {
        char pattern[] = "/tmp/dm_bench_XXXXXX";
        const int fd = ::mkstemp(pattern);
        if (fd >= 0)
            ::close(fd);
        path_ = pattern;
        std::filesystem::copy_file(kSample, path_,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;
    ~ScratchCopy() { std::filesystem::remove(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

dm::PartTable sampleTable() {
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    dm::readDamageFile(kSample, header, table);
    return table;
}

// Nothing counts as last filled, so every one of the 660 texts is parsed.
const dm::CellTexts kNothingFilled{};

void BM_ReadDamageFile(benchmark::State& state) {
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    for (auto _ : state) {
        dm::readDamageFile(kSample, header, table);
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_ReadDamageFile);

void BM_FillCells(benchmark::State& state) {
    const dm::PartTable table = sampleTable();
    for (auto _ : state)
        benchmark::DoNotOptimize(dm::fillCells(table, "."));
}
BENCHMARK(BM_FillCells);

void BM_ParseAllCells(benchmark::State& state) {
    const dm::PartTable table = sampleTable();
    const dm::CellTexts texts = dm::fillCells(table, ".");
    for (auto _ : state)
        benchmark::DoNotOptimize(dm::parseCells(texts, kNothingFilled, table, "."));
}
BENCHMARK(BM_ParseAllCells);

// What dmtool apply costs when a value changes: the file is read, then replaced and synced.
void BM_UpdateDamageFile(benchmark::State& state) {
    const ScratchCopy copy;
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    dm::readDamageFile(copy.path(), header, table);
    for (auto _ : state) {
        table[0].Damage = -table[0].Damage;
        dm::updateDamageFile(copy.path(), header, table);
    }
}
BENCHMARK(BM_UpdateDamageFile)->Unit(benchmark::kMicrosecond);

// Open, fill and parse every cell, then the update that finds no byte to write: the goal is under
// 50 microseconds.
void BM_ReadFillParseUpdate(benchmark::State& state) {
    const ScratchCopy copy;
    dm::DamageFileHeader header{};
    dm::PartTable table{};
    for (auto _ : state) {
        dm::readDamageFile(copy.path(), header, table);
        const dm::CellTexts texts = dm::fillCells(table, ".");
        const dm::PartTable parsed = dm::parseCells(texts, kNothingFilled, table, ".");
        dm::updateDamageFile(copy.path(), header, parsed);
    }
}
BENCHMARK(BM_ReadFillParseUpdate);

} // namespace
