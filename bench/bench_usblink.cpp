// Time of a settings read (blocks 0..7) and write (blocks 0, 1, 3..7) over the direct USB link
// against the panel simulator, beside the sum of the pauses the protocol mandates for it:
// 8 x 10 ms for the read, 7 x 80 ms for the write. The ratio shows what the link adds.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "panelsim/fifo_publisher.h"
#include "panelsim/in_process_panel.h"
#include "usblink/fifo_platform.h"
#include "usblink/memory_platform.h"
#include "usblink/usb_link.h"

namespace {

using namespace livna;
using namespace livna::panelsim;

constexpr int kReadBlocks[] = {0, 1, 2, 3, 4, 5, 6, 7};
constexpr int kWriteBlocks[] = {0, 1, 3, 4, 5, 6, 7};
constexpr double kReadMandatedMs = 8 * kBlockRequestPauseMs;
constexpr double kWriteMandatedMs = 7 * (kBlockRequestPauseMs + 4 * kPacketPauseMs + kPacketGroupPauseMs +
                                         kCrcBytePauseMs + kWriteReplyPauseMs);

/// A simulated panel published on FIFOs in a private root, served on its own thread.
class FifoPanel {
public:
    FifoPanel() : m_board(PanelConfig{}) {
        char tmpl[] = "/tmp/bench-usblink-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) std::abort();
        m_base = tmpl;
        std::string error;
        m_publisher = FifoPanelPublisher::publish(m_base + "/root", m_board, error);
        if (!m_publisher) std::abort();
        m_thread = std::thread([this] { m_publisher->serve(); });
        m_platform = std::make_unique<FifoUsbPlatform>(m_base + "/root");
    }
    ~FifoPanel() {
        m_publisher->requestStop();
        m_thread.join();
        m_publisher.reset();
        std::filesystem::remove_all(m_base);
    }
    UsbPlatform& platform() { return *m_platform; }

private:
    PanelBoard m_board;
    std::string m_base;
    std::unique_ptr<FifoPanelPublisher> m_publisher;
    std::thread m_thread;
    std::unique_ptr<FifoUsbPlatform> m_platform;
};

template <bool kWrite>
void runExchange(benchmark::State& state, UsbPlatform& platform) {
    SystemSleeper sleeper;
    UsbPipes pipes(platform, sleeper);
    int count = 0;
    if (!pipes.UsbCountDevices(count)) {
        state.SkipWithError("no simulated panel");
        return;
    }
    SettingsImage image(kKvmImageSize);
    double totalMs = 0;
    int failures = 0;
    for (auto _ : state) {
        const auto t = std::chrono::steady_clock::now();
        if constexpr (kWrite) {
            for (int b : kWriteBlocks)
                failures +=
                    pipes.UsbWriteBlock(static_cast<std::uint8_t>(b), image.block(b)) != UsbResult::Ok;
        } else {
            for (int b : kReadBlocks)
                failures += pipes.UsbReadBlock(static_cast<std::uint8_t>(b), image.block(b)) != UsbResult::Ok;
        }
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
    }
    const double mandated = kWrite ? kWriteMandatedMs : kReadMandatedMs;
    const double perRun = totalMs / static_cast<double>(state.iterations());
    state.counters["time_ms"] = perRun;
    state.counters["mandated_ms"] = mandated;
    state.counters["ratio"] = perRun / mandated;
    state.counters["failed_blocks"] = failures;
}

void BM_ReadSettings_Fifo(benchmark::State& state) {
    FifoPanel panel;
    runExchange<false>(state, panel.platform());
}
void BM_WriteSettings_Fifo(benchmark::State& state) {
    FifoPanel panel;
    runExchange<true>(state, panel.platform());
}
void BM_ReadSettings_InProcess(benchmark::State& state) {
    MemoryUsbPlatform platform;
    InProcessPanel panel(PanelConfig{});
    platform.addDevice("panel", panel);
    runExchange<false>(state, platform);
}
void BM_WriteSettings_InProcess(benchmark::State& state) {
    MemoryUsbPlatform platform;
    InProcessPanel panel(PanelConfig{});
    platform.addDevice("panel", panel);
    runExchange<true>(state, platform);
}

BENCHMARK(BM_ReadSettings_Fifo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_WriteSettings_Fifo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ReadSettings_InProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_WriteSettings_InProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
