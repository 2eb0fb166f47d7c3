// Times of the settings-file reader and writer on a Ливна-КВ panel image (2304 lines), the save
// with and without its syncs to the disk, and the CRC-16 throughput of the bit-by-bit and table
// versions.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/crc.h"
#include "common/settings_file.h"

namespace {

namespace fs = std::filesystem;

livna::SettingsImage sampleImage() {
    livna::SettingsImage image = livna::SettingsImage::fresh(livna::kKvImageSize, 52);
    for (std::size_t i = 2; i < image.size(); ++i) image[i] = static_cast<std::int32_t>((i * 131) % 256);
    return image;
}

fs::path benchFile() {
    return fs::temp_directory_path() / "livna_bench_common_640kv.cfg";
}

// A save as the writer did it before it synced anything: the same file, temporary name and rename.
class UnsyncedSaveSteps : public livna::SaveSteps {
public:
    int syncFile(int) override { return 0; }
    int syncFolder(int) override { return 0; }
};

// The save of a 2304-line file, with both syncs (the file before the rename, the folder after) and,
// for comparison, without them. Wall time: a sync waits for the disk, not for the processor.
void saveSettingsFile(benchmark::State& state, livna::SaveSteps& steps) {
    const livna::SettingsImage image = sampleImage();
    const fs::path path = benchFile();
    for (auto _ : state) {
        if (livna::writeValuesFile(path, image.values(), steps)) {
            state.SkipWithError("write failed");
            break;
        }
    }
    fs::remove(path);
}

void BM_SaveSettingsFile_synced(benchmark::State& state) {
    saveSettingsFile(state, livna::systemSaveSteps());
}
void medianOfWallTimes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_SaveSettingsFile_synced)->Apply(medianOfWallTimes);

void BM_SaveSettingsFile_unsynced(benchmark::State& state) {
    UnsyncedSaveSteps steps;
    saveSettingsFile(state, steps);
}
BENCHMARK(BM_SaveSettingsFile_unsynced)->Apply(medianOfWallTimes);

void BM_ReadSettingsFile(benchmark::State& state) {
    const fs::path path = benchFile();
    if (livna::writeSettingsFile(path, sampleImage())) {
        state.SkipWithError("write failed");
        return;
    }
    for (auto _ : state) {
        auto result = livna::readSettingsFile(path, livna::kKvImageSize);
        if (!result.ok()) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(result.image);
    }
    fs::remove(path);
}
BENCHMARK(BM_ReadSettingsFile)->Unit(benchmark::kMicrosecond);

void BM_ParseSettingsText(benchmark::State& state) {
    const std::string text = livna::formatValuesText(sampleImage().values());
    for (auto _ : state) {
        auto result = livna::parseValuesText(text, livna::kKvImageSize, "bench");
        benchmark::DoNotOptimize(result.values);
    }
}
BENCHMARK(BM_ParseSettingsText)->Unit(benchmark::kMicrosecond);

std::vector<std::uint8_t> crcInput() {
    std::vector<std::uint8_t> bytes(1 << 16);
    std::uint32_t seed = 1;
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

// Decimal megabytes per second, printed as "MB/s=<n>M/s".
void setMegabytesPerSecond(benchmark::State& state, std::size_t bytesPerIteration) {
    state.counters["MB/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(bytesPerIteration),
                           benchmark::Counter::kIsRate, benchmark::Counter::OneK::kIs1000);
}

void BM_Crc16Bitwise(benchmark::State& state) {
    const auto bytes = crcInput();
    for (auto _ : state) benchmark::DoNotOptimize(livna::crc16Arc(bytes));
    setMegabytesPerSecond(state, bytes.size());
}
BENCHMARK(BM_Crc16Bitwise);

void BM_Crc16Table(benchmark::State& state) {
    const auto bytes = crcInput();
    for (auto _ : state) benchmark::DoNotOptimize(livna::crc16ArcTable(bytes));
    setMegabytesPerSecond(state, bytes.size());
}
BENCHMARK(BM_Crc16Table);

}  // namespace

BENCHMARK_MAIN();
