#include "usblink/usb_link.h"

#include <gtest/gtest.h>

#include <numeric>

#include "scripted_device.h"
#include "usblink/memory_platform.h"

namespace livna {
namespace {

using test::ScriptedDevice;
using Bytes = std::vector<std::uint8_t>;
using Block = std::array<std::int32_t, kUsbBlockSize>;

Bytes frameBytes(const CommandFrame& f) {
    return Bytes(f.begin(), f.end());
}

BlockBytes rampBlock() {
    BlockBytes b{};
    std::iota(b.begin(), b.end(), 0);
    return b;
}

Bytes packetBytes(const BlockBytes& data) {
    const BlockPacket p = makeBlockPacket(data);
    return Bytes(p.begin(), p.end());
}

/// A reply with one byte flipped (corruptByte >= 0) and cut to length.
struct ReplyCase {
    const char* name;
    int corruptByte;
    std::size_t length;
    UsbResult expected;
};

Bytes damaged(Bytes reply, const ReplyCase& c) {
    if (c.corruptByte >= 0) reply[static_cast<std::size_t>(c.corruptByte)] ^= 0x01;
    reply.resize(c.length);
    return reply;
}

Block filled(std::int32_t v) {
    Block b;
    b.fill(v);
    return b;
}

class UsbPipesTest : public ::testing::Test {
protected:
    void SetUp() override {
        device.clock = [this] { return sleeper.nowMs(); };
        platform.addDevice("dev", device);
        int count = 0;
        ASSERT_TRUE(pipes.UsbCountDevices(count));
        device.writes.clear();
        device.times.clear();
        sleeper.clear();
    }

    MemoryUsbPlatform platform;
    RecordingSleeper sleeper;
    ScriptedDevice device;
    UsbPipes pipes{platform, sleeper};
};

TEST_F(UsbPipesTest, identify_sendsFrameByteByByte_andReportsTypeAndVersion) {
    device.replyAfter(8, frameBytes(makeFrame(31, 32, 0)));
    DeviceInfo info;
    EXPECT_EQ(pipes.UsbGetDeviceInfo(kCmdIdentify, info), UsbResult::Ok);
    EXPECT_EQ(info, (DeviceInfo{31, 32}));
    EXPECT_EQ(device.allWritten(), frameBytes(makeIdentifyRequest(kCmdIdentify)));
    EXPECT_EQ(device.writeSizes(), std::vector<std::size_t>(8, 1));
    EXPECT_EQ(pipes.systemText(), "");
}

TEST_F(UsbPipesTest, identify_badReply_givesItsCode_andLeavesOutputsUntouched) {
    const ReplyCase cases[] = {
        {"first header byte", 0, 8, UsbResult::BadHeader},
        {"second header byte", 1, 8, UsbResult::BadHeader},
        {"type byte under the CRC", 2, 8, UsbResult::BadReply},
        {"CRC low", 6, 8, UsbResult::BadReply},
        {"CRC high", 7, 8, UsbResult::BadReply},
        {"no reply at all", -1, 0, UsbResult::BadHeader},
        {"header only", -1, 2, UsbResult::BadReply},
        {"seven bytes", -1, 7, UsbResult::BadReply},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        device.replyAfter(8, damaged(frameBytes(makeFrame(31, 32, 0)), c));
        DeviceInfo info{7, 7};
        EXPECT_EQ(pipes.UsbGetDeviceInfo(kCmdIdentify, info), c.expected);
        EXPECT_EQ(info, (DeviceInfo{7, 7}));
    }
    EXPECT_EQ(pipes.systemText(), "") << "a bad or missing reply is not an error of the system";
}

TEST_F(UsbPipesTest, readBlock_returnsData_afterOnePause) {
    device.replyAfter(8, packetBytes(rampBlock()));
    Block values = filled(-7);
    EXPECT_EQ(pipes.UsbReadBlock(4, values), UsbResult::Ok);
    for (std::size_t i = 0; i < kUsbBlockSize; ++i) ASSERT_EQ(values[i], static_cast<std::int32_t>(i));
    EXPECT_EQ(device.allWritten(), frameBytes(makeReadRequest(4)));
    EXPECT_EQ(device.writeSizes(), std::vector<std::size_t>(8, 1));
    EXPECT_EQ(sleeper.pauses(), std::vector<int>{kBlockRequestPauseMs});
}

TEST_F(UsbPipesTest, readBlock_badReply_givesItsCode_andLeavesArrayUntouched) {
    const ReplyCase cases[] = {
        {"first header byte", 0, 260, UsbResult::BadHeader},
        {"second header byte", 1, 260, UsbResult::BadHeader},
        {"a data byte", 100, 260, UsbResult::BadReply},
        {"CRC low", 258, 260, UsbResult::BadReply},
        {"CRC high", 259, 260, UsbResult::BadReply},
        {"no reply", -1, 0, UsbResult::BadHeader},
        {"cut in the data", -1, 100, UsbResult::BadReply},
        {"CRC high missing", -1, 259, UsbResult::BadReply},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        device.replyAfter(8, damaged(packetBytes(rampBlock()), c));
        Block values = filled(-7);
        EXPECT_EQ(pipes.UsbReadBlock(0, values), c.expected);
        EXPECT_EQ(values, filled(-7));
    }
}

TEST_F(UsbPipesTest, readBlock_remainsOfARejectedReply_areNotTakenForTheNextOne) {
    Bytes bad = packetBytes(rampBlock());
    bad[0] = 0x00;
    device.replyAfter(8, bad);
    Block values = filled(-7);
    ASSERT_EQ(pipes.UsbReadBlock(0, values), UsbResult::BadHeader);
    ASSERT_GT(platform.pendingToPc("dev"), 0u);
    device.replyAfter(8, packetBytes(rampBlock()));
    EXPECT_EQ(pipes.UsbReadBlock(0, values), UsbResult::Ok);
    EXPECT_EQ(values[255], 255);
}

TEST_F(UsbPipesTest, writeBlock_sendsLowBytes_withTheProtocolsCallsAndPauses) {
    Block values{};
    for (std::size_t i = 0; i < kUsbBlockSize; ++i)
        values[i] = static_cast<std::int32_t>(i * 3 + 250);  // up to 1015
    device.replyAfter(8 + 260, frameBytes(makeFrame(kCmdWriteBlock, 0, 3)));
    EXPECT_EQ(pipes.UsbWriteBlock(3, values), UsbResult::Ok);

    Bytes expected = frameBytes(makeWriteRequest(3));
    const Bytes packet = packetBytes(lowBytes(values));
    expected.insert(expected.end(), packet.begin(), packet.end());
    EXPECT_EQ(device.allWritten(), expected);
    const std::vector<std::size_t> sizes = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 64, 64, 64, 64, 1, 1};
    EXPECT_EQ(device.writeSizes(), sizes);
    // Arrival of each call on the virtual clock: request at 0, header and packet 0 after 10 ms,
    // 10 ms after each packet, a further 10 after the fourth, 10 between the CRC bytes.
    const std::vector<double> times = {0, 0, 0, 0, 0, 0, 0, 0, 10, 10, 10, 20, 30, 40, 60, 70};
    EXPECT_EQ(device.times, times);
    EXPECT_EQ(sleeper.totalMs(), 80) << "the reply is read after a last 10 ms";
}

TEST_F(UsbPipesTest, writeBlock_replyStatusDecides) {
    struct Case {
        const char* name;
        Bytes reply;
        UsbResult expected;
    };
    const Case cases[] = {
        {"status 0", frameBytes(makeFrame(kCmdWriteBlock, 0, 1)), UsbResult::Ok},
        {"status 1", frameBytes(makeFrame(kCmdWriteBlock, 1, 1)), UsbResult::BadReply},
        {"status FF", frameBytes(makeFrame(kCmdWriteBlock, 0xFF, 1)), UsbResult::BadReply},
        {"other bytes not examined", {0, 1, 2, 0, 4, 5, 6, 7}, UsbResult::Ok},
        {"no reply", {}, UsbResult::BadReply},
        {"reply without its status byte", {0x55, 0x55, 0x94}, UsbResult::BadReply},
        {"status 0 but cut short", {0x55, 0x55, 0x94, 0x00, 0x01}, UsbResult::BadReply},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        device.replyAfter(8 + 260, c.reply);
        EXPECT_EQ(pipes.UsbWriteBlock(1, filled(5)), c.expected);
    }
}

TEST_F(UsbPipesTest, sendEnd_writesFourBytesSingly_andReadsNothing) {
    device.replyAfter(4, {0x12});
    EXPECT_EQ(pipes.UsbSendEnd(), UsbResult::Ok);
    EXPECT_EQ(device.allWritten(), (Bytes{0x55, 0x55, 0xA0, 0xEE}));
    EXPECT_EQ(device.writeSizes(), std::vector<std::size_t>(4, 1));
    EXPECT_EQ(platform.pendingToPc("dev"), 1u);
    EXPECT_TRUE(pipes.isOpen());
}

TEST_F(UsbPipesTest, rawReads_tellFailureApartFromAZeroByte) {
    EXPECT_EQ(pipes.UsbReadByte(), std::nullopt);
    device.replyAfter(1, {0x00});
    ASSERT_TRUE(pipes.UsbWriteByte(0x01));
    EXPECT_EQ(pipes.UsbReadByte(), std::optional<std::uint8_t>(0));

    device.replyAfter(1, Bytes(63, 0));
    ASSERT_TRUE(pipes.UsbWriteByte(0x02));
    EXPECT_EQ(pipes.UsbReadPacket(), std::nullopt) << "63 bytes are not a packet";
    device.replyAfter(1, Bytes(64, 9));
    ASSERT_TRUE(pipes.UsbWriteByte(0x03));
    const auto packet = pipes.UsbReadPacket();
    ASSERT_TRUE(packet.has_value());
    EXPECT_EQ((*packet)[63], 9);
}

TEST_F(UsbPipesTest, rawWrites_oneCallEach) {
    UsbPacket p{};
    p.fill(0x5A);
    EXPECT_TRUE(pipes.UsbWriteByte(0x11));
    EXPECT_TRUE(pipes.UsbWritePacket(p));
    EXPECT_EQ(device.writeSizes(), (std::vector<std::size_t>{1, 64}));
}

TEST_F(UsbPipesTest, systemError_leavesItsFirstTextPerOperation_forTheCaller) {
    platform.failIo("dev", PipeRole::Write, IoStatus::Failed, "Input/output error");
    Block values = filled(0);
    EXPECT_EQ(pipes.UsbReadBlock(0, values), UsbResult::WriteFailed);
    EXPECT_EQ(pipes.systemText(), "Input/output error");
    EXPECT_EQ(pipes.UsbWriteBlock(0, values), UsbResult::WriteFailed);
    EXPECT_EQ(pipes.systemText(), "Input/output error");
    {
        UsbPipes::Operation transfer(pipes);
        EXPECT_EQ(pipes.systemText(), "") << "a new operation starts without the last one's text";
        EXPECT_FALSE(pipes.UsbWriteByte(0));
        platform.failIo("dev", PipeRole::Write, IoStatus::Closed, "Broken pipe");
        for (int i = 0; i < 10; ++i) EXPECT_FALSE(pipes.UsbWriteByte(0));
        EXPECT_EQ(pipes.systemText(), "Input/output error") << "the calls inside keep the first text";
    }
    EXPECT_EQ(pipes.systemText(), "Input/output error");
    platform.failIo("dev", PipeRole::Write, IoStatus::Ok, "");
    EXPECT_TRUE(pipes.UsbWriteByte(0));
    EXPECT_EQ(pipes.systemText(), "") << "a call that succeeds leaves no text";
}

TEST_F(UsbPipesTest, unpluggedPanel_failsAtOnce_withOneBox) {
    platform.removeDevice("dev");
    Block values = filled(-7);
    EXPECT_NE(pipes.UsbReadBlock(0, values), UsbResult::Ok);
    EXPECT_EQ(values, filled(-7));
    EXPECT_NE(pipes.systemText(), "");
}

TEST_F(UsbPipesTest, silentPanel_failsWithoutASystemText) {
    Block values = filled(-7);
    EXPECT_EQ(pipes.UsbReadBlock(0, values), UsbResult::BadHeader);
    EXPECT_EQ(pipes.UsbWriteBlock(0, values), UsbResult::BadReply);
    DeviceInfo info;
    EXPECT_EQ(pipes.UsbGetDeviceInfo(kCmdIdentify, info), UsbResult::BadHeader);
    EXPECT_EQ(pipes.systemText(), "");
}

TEST(UsbDiscovery, countsOnlyServedInterfaces_andKeepsPipesOnlyForExactlyOne) {
    struct Case {
        const char* name;
        int served;
        int absent;
        int expectedCount;
        bool expectedPresent;
    };
    const Case cases[] = {
        {"no interface", 0, 0, 0, false},     {"one panel", 1, 0, 1, true},
        {"two panels", 2, 0, 2, false},       {"three panels", 3, 0, 3, false},
        {"dead folder only", 0, 1, 0, false}, {"one panel and a dead folder", 1, 1, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryUsbPlatform platform;
        RecordingSleeper sleeper;
        std::vector<ScriptedDevice> devices(static_cast<std::size_t>(c.served));
        std::vector<std::string> paths;
        for (int i = 0; i < c.absent; ++i) platform.addAbsentDevice("dead" + std::to_string(i));
        for (int i = 0; i < c.served; ++i) {
            paths.push_back("panel" + std::to_string(i));
            platform.addDevice(paths.back(), devices[static_cast<std::size_t>(i)]);
        }
        UsbPipes pipes(platform, sleeper);
        int count = -1;
        EXPECT_EQ(pipes.UsbCountDevices(count), c.expectedPresent);
        EXPECT_EQ(count, c.expectedCount);
        EXPECT_EQ(pipes.present(), c.expectedPresent);
        EXPECT_EQ(pipes.isOpen(), c.expectedPresent);
        int open = 0;
        for (const auto& p : paths) open += platform.openPipeCount(p);
        EXPECT_EQ(open, c.expectedPresent ? 2 : 0) << "pipes of panels not kept are closed";
        EXPECT_EQ(pipes.systemText(), "");
    }
}

TEST(UsbDiscovery, openFailures_leaveTheFirstText_andAreNotCounted) {
    MemoryUsbPlatform platform;
    RecordingSleeper sleeper;
    ScriptedDevice a, b;
    platform.addDevice("a", a);
    platform.addDevice("b", b);
    platform.failOpen("a", PipeRole::Write, "Permission denied");
    platform.failOpen("b", PipeRole::Read, "Device busy");
    UsbPipes pipes(platform, sleeper);
    int count = -1;
    EXPECT_FALSE(pipes.UsbCountDevices(count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(platform.openPipeCount("a") + platform.openPipeCount("b"), 0);
    EXPECT_EQ(pipes.systemText(), "Permission denied");
}

TEST(UsbDiscovery, onePanelWhosePipesFailTheirFlush_isNotKept_andItsPipesAreClosed) {
    struct Case {
        const char* name;
        PipeRole role;
        IoStatus status;
        bool kept;
    };
    const Case cases[] = {
        {"write pipe fails", PipeRole::Write, IoStatus::Failed, false},
        {"read pipe fails", PipeRole::Read, IoStatus::Failed, false},
        {"write pipe closed", PipeRole::Write, IoStatus::Closed, false},
        {"write pipe only times out", PipeRole::Write, IoStatus::TimedOut, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryUsbPlatform platform;
        RecordingSleeper sleeper;
        ScriptedDevice device;
        platform.addDevice("dev", device);
        platform.failIo("dev", c.role, c.status, c.status == IoStatus::TimedOut ? "" : "Input/output error");
        UsbPipes pipes(platform, sleeper);
        int count = -1;
        EXPECT_EQ(pipes.UsbCountDevices(count), c.kept);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(pipes.present(), c.kept);
        EXPECT_EQ(pipes.isOpen(), c.kept);
        EXPECT_EQ(platform.openPipeCount("dev"), c.kept ? 2 : 0);
        EXPECT_EQ(pipes.systemText(), c.kept ? "" : "Input/output error");
    }
}

TEST(UsbDiscovery, enumerationFailure_leavesItsText) {
    MemoryUsbPlatform platform;
    RecordingSleeper sleeper;
    platform.failEnumeration("root: Permission denied");
    UsbPipes pipes(platform, sleeper);
    int count = -1;
    EXPECT_FALSE(pipes.UsbCountDevices(count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(pipes.systemText(), "root: Permission denied");
}

TEST(UsbDiscovery, rediscoveryAndRelease_closeThePipesTheyReplace) {
    MemoryUsbPlatform platform;
    RecordingSleeper sleeper;
    ScriptedDevice device;
    platform.addDevice("dev", device);
    UsbPipes pipes(platform, sleeper);
    int count = 0;
    ASSERT_TRUE(pipes.UsbCountDevices(count));
    ASSERT_TRUE(pipes.UsbCountDevices(count));
    EXPECT_EQ(platform.openPipeCount("dev"), 2);
    pipes.release();
    EXPECT_EQ(platform.openPipeCount("dev"), 0);
    EXPECT_FALSE(pipes.present());
    Block values = filled(-7);
    EXPECT_EQ(pipes.UsbReadBlock(0, values), UsbResult::WriteFailed) << "no pipes after release";
    EXPECT_EQ(values, filled(-7));
}

TEST(UsbDiscovery, staleBytesFromBeforeDiscovery_areDiscarded) {
    MemoryUsbPlatform platform;
    RecordingSleeper sleeper;
    ScriptedDevice device;
    platform.addDevice("dev", device);
    UsbPipes pipes(platform, sleeper);
    int count = 0;
    ASSERT_TRUE(pipes.UsbCountDevices(count));
    device.replyAfter(1, {1, 2, 3});
    ASSERT_TRUE(pipes.UsbWriteByte(0));
    ASSERT_TRUE(pipes.UsbCountDevices(count));
    EXPECT_EQ(platform.pendingToPc("dev"), 0u);
}

}  // namespace
}  // namespace livna
