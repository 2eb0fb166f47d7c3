// Chains on a real serial port against the simulator's pty: a whole exchange end to end, and
// stopping at each kind of point the worker can be in.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <thread>

#include "link_test_support.h"
#include "panelsim/pty_publisher.h"
#include "setka/link/serial_port.h"

namespace livna::setka {
namespace {

namespace fs = std::filesystem;
using test::RecordingSink;
using Clock = std::chrono::steady_clock;
using E = LinkEventCode;

constexpr auto kTriggerWait = std::chrono::seconds(20);
constexpr double kStopBoundMs = 150;

/// A simulated panel published as COM1 under a private root, served on its own thread.
class PtyPanel {
public:
    explicit PtyPanel(const fs::path& root, panelsim::LineOptions line, unsigned version = 32)
        : m_board(config(version)), m_protocol(m_board) {
        panelsim::seedSetkaBoard(m_board, version);
        std::string error;
        m_publisher = panelsim::PtyPanelPublisher::publish(root.string(), 1, m_protocol, line, error);
        EXPECT_NE(m_publisher, nullptr) << error;
        if (m_publisher) m_thread = std::jthread([this] { m_error = m_publisher->serve(); });
    }
    ~PtyPanel() { stop(); }
    /// Ends the serving thread; the board may be read after this.
    void stop() {
        if (!m_thread.joinable()) return;
        m_publisher->requestStop();
        m_thread.join();
        EXPECT_EQ(m_error, "");
    }
    const panelsim::PanelBoard& board() const { return m_board; }

private:
    static panelsim::PanelConfig config(unsigned version) {
        panelsim::PanelConfig c;
        c.typeCode = panelsim::kSetkaDefaultType;
        c.versionCode = version;
        return c;
    }
    panelsim::PanelBoard m_board;
    panelsim::SetkaPanelProtocol m_protocol;
    std::unique_ptr<panelsim::PtyPanelPublisher> m_publisher;
    std::string m_error;
    std::jthread m_thread;
};

class LinkChainOnPty : public ::testing::Test {
protected:
    std::unique_ptr<LinkPort> open() {
        RecordingSleeper settle;
        auto opened = openSerialPort(root.string(), 1, settle);
        EXPECT_NE(opened.port, nullptr) << opened.systemText;
        return std::move(opened.port);
    }

    /// Runs a chain to its end and returns its outcome.
    ChainOutcome runToEnd(LinkPort& port, ChainRequest request, LinkEventSink& sink, Sleeper* pauses) {
        std::promise<ChainOutcome> done;
        auto result = done.get_future();
        LinkChain chain;
        chain.start(
            port, std::move(request), sink, [&done](ChainOutcome o) { done.set_value(std::move(o)); },
            pauses);
        EXPECT_EQ(result.wait_for(std::chrono::seconds(60)), std::future_status::ready);
        chain.stop();
        return result.get();
    }

    test::PrivateRoot m_root{"livna-chain-test"};
    const fs::path& root = m_root.path();
};

std::vector<int> pattern(std::size_t n, int seed) {
    std::vector<int> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<int>((i * 13 + static_cast<std::size_t>(seed)) & 0xFF);
    return v;
}

TEST_F(LinkChainOnPty, connectReadWriteAndReadBack) {
    PtyPanel panel(root, panelsim::LineOptions::fast());
    auto port = open();
    ASSERT_NE(port, nullptr);
    RecordingSink sink;
    RecordingSleeper pauses;  // the line is fast: the protocol's pauses need not pass

    ChainOutcome connected = runToEnd(*port, ChainRequest::connect(0, false), sink, &pauses);
    EXPECT_EQ(connected.status, StepStatus::Done);
    EXPECT_EQ(connected.deviceType, 9);
    ASSERT_EQ(connected.settings.size(), 256u);
    EXPECT_EQ(connected.settings[1], 32);

    const auto codes = pattern(1024, 1);
    const auto settings = pattern(1024, 2);
    EXPECT_EQ(runToEnd(*port, ChainRequest::write(0x63, codes, settings), sink, &pauses).status,
              StepStatus::Done);
    const ChainOutcome read = runToEnd(*port, ChainRequest::read(0x63), sink, &pauses);
    EXPECT_EQ(read.status, StepStatus::Done);
    EXPECT_EQ(read.codes, codes);
    EXPECT_EQ(read.settings, settings);
    EXPECT_EQ(sink.codes(), (std::vector<E>{E::CheckingVersion, E::WriteDone, E::ReadDone}));
}

/// Forwards to a port and signals when the worker makes its n-th call of one kind.
class TriggerPort : public LinkPort {
public:
    enum class Call { ReadByte, WriteByte, None };
    TriggerPort(LinkPort& inner, Call call, int n) : m_inner(inner), m_call(call), m_left(n) {}

    PortKind kind() const override { return m_inner.kind(); }
    IoOutcome writeByte(std::uint8_t b) override {
        count(Call::WriteByte);
        return m_inner.writeByte(b);
    }
    ByteRead readByte() override {
        count(Call::ReadByte);
        return m_inner.readByte();
    }
    IoOutcome writeBlock(std::span<const std::uint8_t, 4> bytes) override {
        return m_inner.writeBlock(bytes);
    }
    BlockRead readBlock(std::span<std::uint8_t, 4> bytes) override { return m_inner.readBlock(bytes); }
    IoOutcome purge() override { return m_inner.purge(); }
    void cancel() override { m_inner.cancel(); }
    void rearm() override { m_inner.rearm(); }
    void close() override { m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }

    std::promise<void> reached;

private:
    void count(Call c) {
        if (c == m_call && --m_left == 0) reached.set_value();
    }
    LinkPort& m_inner;
    Call m_call;
    int m_left;
};

/// A UI thread too busy to run anything: each hand-over waits for the stop.
class StalledSink : public LinkEventSink {
public:
    void post(const LinkEvent& event, std::stop_token stop) override {
        if (stopSeen) ++afterStop;
        if (event.code == trigger && !m_signalled) {
            m_signalled = true;
            reached.set_value();
        }
        if (!stall) return;
        std::mutex m;
        std::condition_variable_any cv;
        std::unique_lock lock(m);
        cv.wait(lock, stop, [] { return false; });
    }
    E trigger = E::Attempt;
    bool stall = false;
    std::atomic<bool> stopSeen{false};
    std::atomic<int> afterStop{0};
    std::promise<void> reached;

private:
    bool m_signalled = false;
};

TEST_F(LinkChainOnPty, stopEndsTheChainWithinBoundAtEachPoint) {
    struct Case {
        const char* name;
        ChainRequest request;
        TriggerPort::Call call;  // None: the sink's first event is the point
        int nth;
        bool stalledHandOver;
    };
    const std::vector<Case> cases{
        {"mid-pause before the connect reply", ChainRequest::connect(0, false), TriggerPort::Call::None, 0,
         false},
        {"waiting hand-over", ChainRequest::connect(0, false), TriggerPort::Call::None, 0, true},
        {"mid-frame read", ChainRequest::read(0x63), TriggerPort::Call::ReadByte, 120, false},
        {"mid-frame write", ChainRequest::write(0x63, pattern(1024, 3), pattern(1024, 4)),
         TriggerPort::Call::WriteByte, 60, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtyPanel panel(root, panelsim::LineOptions{});
        auto port = open();
        ASSERT_NE(port, nullptr);
        TriggerPort trigger(*port, c.call, c.nth);
        StalledSink sink;
        sink.stall = c.stalledHandOver;
        auto reached =
            c.call == TriggerPort::Call::None ? sink.reached.get_future() : trigger.reached.get_future();
        std::atomic<bool> finished{false};
        LinkChain chain;
        chain.start(trigger, c.request, sink, [&finished](ChainOutcome) { finished = true; });
        ASSERT_EQ(reached.wait_for(kTriggerWait), std::future_status::ready);

        sink.stopSeen = true;
        const auto t0 = Clock::now();
        chain.stop();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        EXPECT_LT(ms, kStopBoundMs);
        EXPECT_FALSE(chain.started());
        EXPECT_FALSE(finished);
        EXPECT_EQ(sink.afterStop, 0);
    }
}

TEST_F(LinkChainOnPty, closedPortLeavesANewPortUntouched) {
    auto panel = std::make_unique<PtyPanel>(root, panelsim::LineOptions::fast());
    auto old = open();
    ASSERT_NE(old, nullptr);
    RecordingSink sink;
    RecordingSleeper pauses;
    EXPECT_EQ(runToEnd(*old, ChainRequest::read(0x63), sink, &pauses).status, StepStatus::Done);
    old->close();
    panel.reset();

    panel = std::make_unique<PtyPanel>(root, panelsim::LineOptions::fast());
    auto fresh = open();
    ASSERT_NE(fresh, nullptr);
    old->close();  // again: the descriptor it once had may now be the new port's
    old.reset();
    const ChainOutcome out = runToEnd(*fresh, ChainRequest::read(0x63), sink, &pauses);
    EXPECT_EQ(out.status, StepStatus::Done);
    EXPECT_EQ(out.settings.size(), 1024u);
}

}  // namespace
}  // namespace livna::setka
