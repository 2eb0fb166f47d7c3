// setka's firmware change over a pty against the simulated panel paced at 1200 baud: the file
// search in "Base", the loader request and the stream of a 1034-byte file (16 packets), until the
// panel has answered "loaded". Beside it the line time: every byte on the line (request 4, reply 4,
// acknowledgement 1, firmware 1034, status 1) at 10/1200 s, plus the protocol's pauses (1000 ms
// before the loader reply is read, 5 ms after every 8th firmware byte). The ratio shows what the
// change adds to the line.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>

#include "panelsim/tsk_maker.h"
#include "setka/firmware/firmware_search.h"
#include "setka/link/link_chain.h"
#include "setka/link/serial_port.h"
#include "setka_pty_panel.h"

namespace {

using namespace livna;
using namespace livna::setka;

constexpr std::size_t kPackets = 16;
constexpr double kFirmwareBytes = 8 + 64 * kPackets + 2;
constexpr double kLineBytes = 4 + 4 + 1 + kFirmwareBytes + 1;
constexpr double kLoaderPauseMs = 1000;
constexpr double kChunkPausesMs = 5.0 * static_cast<int>(kFirmwareBytes / 8);
constexpr double kLineTimeMs = kLineBytes * panelsim::kByteTimeMs + kLoaderPauseMs + kChunkPausesMs;

/// Notes when the panel's "loaded" arrives.
class LoadedSink : public LinkEventSink {
public:
    void post(const LinkEvent& e, std::stop_token) override {
        if (e.code == LinkEventCode::FirmwareLoaded) loadedAt = std::chrono::steady_clock::now();
    }
    std::chrono::steady_clock::time_point loadedAt{};
};

void BM_PacedFirmwareChange(benchmark::State& state) {
    bench::SetkaPtyPanel panel(panelsim::LineOptions{});
    const auto base = std::filesystem::temp_directory_path() /
                      ("bench-setka-base-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(base);
    panelsim::TskPlan plan;
    plan.typeCode = panelsim::kSetkaDefaultType;
    plan.versionCode = 32;
    plan.packets = kPackets;
    const auto file = panelsim::makeTsk(plan);
    {
        std::ofstream out(base / "640-KVMv3_7.tsk", std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    RecordingSleeper settle;
    auto opened = openSerialPort(panel.root(), 1, settle);
    if (!opened.port) {
        state.SkipWithError(opened.systemText.c_str());
        return;
    }
    double totalMs = 0;
    for (auto _ : state) {
        LoadedSink sink;
        const auto t0 = std::chrono::steady_clock::now();
        const FirmwareSearch search = searchFirmware(base, SystemVariant::Kvm4, panelsim::kSetkaDefaultType);
        ChainRequest request;
        request.steps = {LinkCommand::EnterLoader, LinkCommand::FirmwareStream};
        request.deviceType = panelsim::kSetkaDefaultType;
        request.firmware = search.image;
        std::promise<ChainOutcome> done;
        auto result = done.get_future();
        LinkChain chain;
        chain.start(*opened.port, std::move(request), sink,
                    [&done](ChainOutcome o) { done.set_value(std::move(o)); });
        const ChainOutcome out = result.get();
        if (out.status != StepStatus::Done) {
            state.SkipWithError("the firmware change failed");
            break;
        }
        totalMs += std::chrono::duration<double, std::milli>(sink.loadedAt - t0).count();
    }
    std::filesystem::remove_all(base);
    const double ms = totalMs / static_cast<double>(state.iterations());
    state.counters["change_ms"] = ms;
    state.counters["line_ms"] = kLineTimeMs;
    state.counters["ratio"] = ms / kLineTimeMs;
}

}  // namespace

BENCHMARK(BM_PacedFirmwareChange)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
