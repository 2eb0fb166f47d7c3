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

#include "panelsim/pty_publisher.h"
#include "panelsim/setka_panel_protocol.h"
#include "setka/link/link_chain.h"
#include "setka/link/serial_port.h"

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

/// A simulated panel published as COM1 under a private root, served on its own thread.
class PtyPanel {
public:
    explicit PtyPanel(panelsim::LineOptions line) : m_board(panelsim::PanelConfig{}), m_protocol(m_board) {
        panelsim::seedSetkaBoard(m_board, 32);
        char tmpl[] = "/tmp/bench-setka-link-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) std::abort();
        m_root = tmpl;
        std::string error;
        m_publisher = panelsim::PtyPanelPublisher::publish(m_root, 1, m_protocol, line, error);
        if (!m_publisher) std::abort();
        m_thread = std::thread([this] { m_publisher->serve(); });
    }
    ~PtyPanel() {
        m_publisher->requestStop();
        m_thread.join();
        m_publisher.reset();
        std::filesystem::remove_all(m_root);
    }
    const std::string& root() const { return m_root; }

private:
    panelsim::PanelBoard m_board;
    panelsim::SetkaPanelProtocol m_protocol;
    std::string m_root;
    std::unique_ptr<panelsim::PtyPanelPublisher> m_publisher;
    std::thread m_thread;
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
    PtyPanel panel(line);
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
