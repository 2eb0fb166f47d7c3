// The serial backend through the Windows serial-port interface: the device names, a port that
// cannot be opened, and the line itself against the panel simulator on a COM port that the test
// script serves (LIVNA_TEST_COM; under wine a pty linked as a COM port). LIVNA_TEST_DEAD_COM names
// a COM port that cannot be opened (9 unless told).
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link_test_support.h"
#include "setka/link/serial_port.h"

namespace livna::setka {
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

int comFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? std::atoi(value) : fallback;
}

DWORD handleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

TEST(WinSerialPort, comNumbersNameTheirDevices) {
    struct Case {
        int number;
        const char* device;
    };
    for (const Case& c : {Case{1, "//./COM1"}, Case{9, "//./COM9"}, Case{10, "//./COM10"}}) {
        std::string error = "stale";
        EXPECT_EQ(comDevicePath(defaultComRoot(), c.number, error), c.device);
        EXPECT_EQ(error, "");
    }
    RecordingSleeper sleeper;
    for (int outside : {0, 11}) {
        const PortOpenResult r = openSerialPort(defaultComRoot(), outside, sleeper);
        EXPECT_EQ(r.port, nullptr);
        EXPECT_NE(r.systemText, "");
    }
    EXPECT_TRUE(sleeper.pauses().empty());
}

TEST(WinSerialPort, portThatCannotBeOpened_isToldAndLeavesNoHandle) {
    const int number = comFromEnvironment("LIVNA_TEST_DEAD_COM", 9);
    RecordingSleeper sleeper;
    const DWORD before = handleCount();
    const PortOpenResult r = openSerialPort(defaultComRoot(), number, sleeper);
    EXPECT_EQ(r.port, nullptr);
    EXPECT_NE(r.systemText, "");
    EXPECT_EQ(handleCount(), before);
    EXPECT_TRUE(sleeper.pauses().empty()) << "no settling pause for a port that did not open";
    EXPECT_EQ(openFailureMessage(PortKind::Com, number),
              "Порт COM" + std::to_string(number) + " занят другой программой или не доступен.");
}

/// A COM port with the panel simulator behind it.
class ServedComPort : public ::testing::Test {
protected:
    void SetUp() override {
        const int number = comFromEnvironment("LIVNA_TEST_COM", 0);
        if (number == 0)
            GTEST_SKIP() << "no COM port served by panelsim --link com (scripts/test-windows serves one)";
        RecordingSleeper settle;
        PortOpenResult opened = openSerialPort(defaultComRoot(), number, settle);
        ASSERT_NE(opened.port, nullptr) << "COM" << number << ": " << opened.systemText;
        EXPECT_EQ(settle.pauses(), std::vector<int>{kSerialSettleMs});
        port = std::move(opened.port);
    }

    std::unique_ptr<LinkPort> port;
    test::RecordingSink sink;
    RecordingSleeper pauses;  // a fast line: the protocol's pauses need not pass
};

// The frames carry every byte value both ways: a line left with XON/XOFF would swallow 0x11 and
// 0x13, one with parity or 7 bits would change others.
TEST_F(ServedComPort, everyByteValueCrossesTheLineUnchanged) {
    ASSERT_EQ(runChain(*port, pauses, sink, {}, ChainRequest::connect(0, false)).status, StepStatus::Done);
    std::vector<int> codes(1024), settings(1024);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        codes[i] = static_cast<int>(i % 256);
        settings[i] = static_cast<int>(255 - i % 256);
    }
    ASSERT_EQ(runChain(*port, pauses, sink, {}, ChainRequest::write(0x63, codes, settings)).status,
              StepStatus::Done);
    const ChainOutcome read = runChain(*port, pauses, sink, {}, ChainRequest::read(0x63));
    ASSERT_EQ(read.status, StepStatus::Done);
    EXPECT_EQ(read.codes, codes);
    EXPECT_EQ(read.settings, settings);
}

TEST_F(ServedComPort, silentLineTimesOut_andAnotherThreadCancelsOrCloses) {
    auto t = Clock::now();
    const ByteRead silent = port->readByte();
    EXPECT_EQ(silent.outcome.status, IoStatus::TimedOut) << silent.outcome.systemText;
    EXPECT_GE(msSince(t), kSerialByteTimeoutMs - 20);
    EXPECT_LT(msSince(t), kSerialByteTimeoutMs + 600);

    struct Case {
        const char* name;
        bool close;
        IoStatus status;
    };
    for (const Case& c :
         {Case{"cancel", false, IoStatus::Cancelled}, Case{"close", true, IoStatus::Closed}}) {
        SCOPED_TRACE(c.name);
        std::array<std::uint8_t, 4> block{};
        t = Clock::now();
        std::jthread other([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            if (c.close)
                port->close();
            else
                port->cancel();
        });
        const BlockRead r = port->readBlock(block);
        const double waited = msSince(t);
        other.join();
        EXPECT_EQ(r.outcome.status, c.status);
        EXPECT_LT(waited, kSerialBlockTimeoutMs - 100) << "the wait ended before its limit";
        if (!c.close) {
            EXPECT_EQ(port->writeByte(0x55).status, IoStatus::Cancelled);
            port->rearm();
            EXPECT_TRUE(port->purge().ok());
        }
    }
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(port->writeByte(0x55).status, IoStatus::Closed);
}

}  // namespace
}  // namespace livna::setka
