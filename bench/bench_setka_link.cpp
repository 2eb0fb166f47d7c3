// A setka read (codes and settings, 4 + 4 blocks) and write over a pty against the simulated
// panel, beside the line time. Paced, each 4-block exchange moves 1033 bytes at 10/1200 s a
// byte (request 4, acceptance 1, frame 1027, acknowledgement or status 1): 2066 bytes, 17.22 s
// each way; the 8 ms acceptance pause lies inside the acceptance byte. The ratio shows what the
// link adds to the line. The fast line shows the link's own cost.
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include "setka/link/link_chain.h"
#include "setka/link/serial_port.h"
#include "setka_pty_panel.h"

namespace {

using namespace livna;
using namespace livna::setka;

constexpr int kConfigByte = 0x63;
constexpr double kBytesEachWay = 2 * (4 + 1 + 1027 + 1);
constexpr double kLineTimeMs = kBytesEachWay * panelsim::kByteTimeMs;

class NoSink : public LinkEventSink {
public:
    void post(const LinkEvent&, std::stop_token) override {}
};

ChainOutcome runChain(LinkPort& port, ChainRequest request) {
    NoSink sink;
    std::promise<ChainOutcome> done;
    auto result = done.get_future();
    LinkChain chain;
    chain.start(port, std::move(request), sink, [&done](ChainOutcome o) { done.set_value(std::move(o)); });
    return result.get();
}

void exchange(benchmark::State& state, bool paced, bool write) {
    panelsim::LineOptions line = paced ? panelsim::LineOptions{} : panelsim::LineOptions::fast();
    bench::SetkaPtyPanel panel(line);
    RecordingSleeper settle;
    auto opened = openSerialPort(panel.root(), 1, settle);
    if (!opened.port) {
        state.SkipWithError(opened.systemText.c_str());
        return;
    }
    const std::vector<int> image(1024, 0x5A);
    double totalMs = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const ChainOutcome out = runChain(*opened.port, write ? ChainRequest::write(kConfigByte, image, image)
                                                              : ChainRequest::read(kConfigByte));
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (out.status != StepStatus::Done) {
            state.SkipWithError("the exchange failed");
            return;
        }
    }
    const double ms = totalMs / static_cast<double>(state.iterations());
    state.counters["exchange_ms"] = ms;
    if (paced) {
        state.counters["line_ms"] = kLineTimeMs;
        state.counters["ratio"] = ms / kLineTimeMs;
    }
}

void BM_PacedRead(benchmark::State& state) {
    exchange(state, true, false);
}
void BM_PacedWrite(benchmark::State& state) {
    exchange(state, true, true);
}
void BM_FastRead(benchmark::State& state) {
    exchange(state, false, false);
}
void BM_FastWrite(benchmark::State& state) {
    exchange(state, false, true);
}

}  // namespace

BENCHMARK(BM_PacedRead)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PacedWrite)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FastRead)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FastWrite)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
