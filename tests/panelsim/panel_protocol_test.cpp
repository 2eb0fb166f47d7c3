#include "panelsim/panel_protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "panelsim/in_process_panel.h"

namespace livna::panelsim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Block = std::array<std::int32_t, kUsbBlockSize>;

Block ramp(int start) {
    Block b;
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::int32_t>((start + i) & 0xFF);
    return b;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

template <class A>
Bytes bytes(const A& a) {
    return Bytes(a.begin(), a.end());
}

bool hasEvent(const PanelBoard& board, const std::string& text) {
    return std::any_of(board.events().begin(), board.events().end(),
                       [&](const PanelEvent& e) { return e.text == text; });
}

TEST(PanelIdentity, identifyAnswersTypeAndVersion_toBothCommands) {
    struct Case {
        const char* name;
        PanelConfig config;
        DeviceInfo expected;
    };
    PanelConfig mBoard;
    mBoard.typeCode = 27;
    mBoard.versionCode = 35;
    const Case cases[] = {{"Ливна-КВ-М", PanelConfig::forSystem(PanelSystem::Kvm), {31, 32}},
                          {"Ливна-КВ", PanelConfig::forSystem(PanelSystem::Kv), {31, 52}},
                          {"M board", mBoard, {27, 35}}};
    for (const auto& c : cases) {
        for (std::uint8_t command : {kCmdIdentify, kCmdIdentifyLoader}) {
            SCOPED_TRACE(std::string(c.name) + " command " + std::to_string(command));
            SimulatedUsbLink link(c.config);
            int count = 0;
            ASSERT_TRUE(link.pipes.UsbCountDevices(count));
            DeviceInfo info;
            EXPECT_EQ(link.pipes.UsbGetDeviceInfo(command, info), UsbResult::Ok);
            EXPECT_EQ(info, c.expected);
        }
    }
}

TEST(PanelRecord, keepsTheLatestRequestsOnly) {
    PanelBoard board(PanelConfig::forSystem(PanelSystem::Kvm));
    for (std::size_t i = 0; i < kEventRecordLimit + 5; ++i)
        board.record(static_cast<double>(i), std::to_string(i));
    ASSERT_EQ(board.events().size(), kEventRecordLimit);
    EXPECT_EQ(board.events().front().text, "5");
    EXPECT_EQ(board.events().back().text, std::to_string(kEventRecordLimit + 4));
}

TEST(PanelImage, systemsHaveTheirImageSizes) {
    EXPECT_EQ(PanelBoard(PanelConfig::forSystem(PanelSystem::Kvm)).image().size(), 2048u);
    EXPECT_EQ(PanelBoard(PanelConfig::forSystem(PanelSystem::Kv)).image().size(), 2304u);
}

class PanelLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        int count = 0;
        ASSERT_TRUE(link.pipes.UsbCountDevices(count));
    }
    SimulatedUsbLink link;
};

TEST_F(PanelLinkTest, everyStorageBlock_writesAndReadsBack) {
    for (std::uint8_t b = 0; b < kStorageBlocks; ++b)
        ASSERT_EQ(link.pipes.UsbWriteBlock(b, ramp(b * 7)), UsbResult::Ok) << int(b);
    for (std::uint8_t b = 0; b < kStorageBlocks; ++b) {
        Block got{};
        ASSERT_EQ(link.pipes.UsbReadBlock(b, got), UsbResult::Ok) << int(b);
        EXPECT_EQ(got, ramp(b * 7)) << int(b);
    }
}

TEST_F(PanelLinkTest, loadedImage_isWhatTheReadsReturn) {
    SettingsImage image(kKvmImageSize);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::int32_t>(i % 251);
    link.board().loadImage(image);
    SettingsImage read(kKvmImageSize);
    for (std::uint8_t b = 0; b < 8; ++b) ASSERT_EQ(link.pipes.UsbReadBlock(b, read.block(b)), UsbResult::Ok);
    EXPECT_EQ(read, image);
    EXPECT_EQ(link.board().image(), image);
}

TEST_F(PanelLinkTest, blocksOutsideTheStorage_areNotServed) {
    Block values = ramp(0);
    EXPECT_NE(link.pipes.UsbReadBlock(17, values), UsbResult::Ok);
    EXPECT_EQ(link.pipes.UsbWriteBlock(17, values), UsbResult::BadReply);
    EXPECT_EQ(link.pipes.UsbReadBlock(16, values), UsbResult::Ok) << "the panel still answers";
}

TEST_F(PanelLinkTest, writeRecordsThePausesItSaw) {
    ASSERT_EQ(link.pipes.UsbWriteBlock(3, ramp(1)), UsbResult::Ok);
    std::vector<std::pair<std::string, double>> seen;
    for (const auto& e : link.board().events()) seen.emplace_back(e.text, e.timeMs);
    const std::vector<std::pair<std::string, double>> expected = {
        {"write 3", 0},           {"write 3 header", 10},   {"write 3 packet 0", 10},
        {"write 3 packet 1", 20}, {"write 3 packet 2", 30}, {"write 3 packet 3", 40},
        {"write 3 crc-low", 60},  {"write 3 crc-high", 70}, {"write 3 status 0", 70},
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(PanelLinkTest, endCommand_isRecognised) {
    EXPECT_EQ(link.pipes.UsbSendEnd(), UsbResult::Ok);
    EXPECT_TRUE(hasEvent(link.board(), "end"));
    DeviceInfo info;
    EXPECT_EQ(link.pipes.UsbGetDeviceInfo(kCmdIdentify, info), UsbResult::Ok)
        << "the panel goes on answering";
}

TEST(PanelFaults, eachFault_failsItsExchangeOnly) {
    using K = PanelFault::Kind;
    struct Case {
        const char* name;
        PanelFault fault;
        UsbResult identify, read1, read2, write2;
    };
    const auto ok = UsbResult::Ok;
    const Case cases[] = {
        {"no fault", {K::ReplyHeader, 9, 0}, ok, ok, ok, ok},  // a header fault on block 9 touches none of
                                                               // these
        {"header everywhere",
         {K::ReplyHeader, {}, 0},
         UsbResult::BadHeader,
         UsbResult::BadHeader,
         UsbResult::BadHeader,
         ok},
        {"crc everywhere",
         {K::ReplyCrc, {}, 0},
         UsbResult::BadReply,
         UsbResult::BadReply,
         UsbResult::BadReply,
         ok},
        {"header of block 2", {K::ReplyHeader, 2, 0}, ok, ok, UsbResult::BadHeader, ok},
        {"crc of block 2", {K::ReplyCrc, 2, 0}, ok, ok, UsbResult::BadReply, ok},
        {"reads of block 2 fail", {K::ReadFails, 2, 0}, ok, ok, UsbResult::BadHeader, ok},
        {"writes of block 2 refused", {K::WriteRefused, 2, 0}, ok, ok, ok, UsbResult::BadReply},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PanelConfig config;
        config.faults = {c.fault};
        SimulatedUsbLink link(config);
        link.board().loadImage(SettingsImage(std::vector<std::int32_t>(2048, 0x42)));
        int count = 0;
        ASSERT_TRUE(link.pipes.UsbCountDevices(count));
        DeviceInfo info{1, 1};
        EXPECT_EQ(link.pipes.UsbGetDeviceInfo(kCmdIdentify, info), c.identify);
        Block values{};
        EXPECT_EQ(link.pipes.UsbReadBlock(1, values), c.read1);
        EXPECT_EQ(link.pipes.UsbReadBlock(2, values), c.read2);
        EXPECT_EQ(link.pipes.UsbWriteBlock(2, ramp(0)), c.write2);
        const bool stored = link.board().block(2)[5] == 5;
        EXPECT_EQ(stored, c.write2 == ok) << "a refused write is not stored";
    }
}

TEST(PanelFaults, silenceMidBlock_failsThatRead_andTheNextExchangeWorks) {
    PanelConfig config;
    config.faults = {{PanelFault::Kind::SilentAfter, {}, 260 + 100}};
    SimulatedUsbLink link(config);
    int count = 0;
    ASSERT_TRUE(link.pipes.UsbCountDevices(count));
    Block values{};
    EXPECT_EQ(link.pipes.UsbReadBlock(0, values), UsbResult::Ok);
    values.fill(-7);
    EXPECT_EQ(link.pipes.UsbReadBlock(1, values), UsbResult::BadReply);
    EXPECT_EQ(values[0], -7);
    EXPECT_EQ(link.pipes.UsbReadBlock(1, values), UsbResult::Ok);
}

// The protocol fed directly, for byte streams the link itself would never send.
class RawProtocolTest : public ::testing::Test {
protected:
    Bytes feed(const Bytes& in, double timeMs = 0) {
        Bytes out;
        protocol.receive(in, timeMs, out);
        return out;
    }
    PanelBoard board{PanelConfig{}};
    UsbPanelProtocol protocol{board};
};

TEST_F(RawProtocolTest, writeWithWrongHeaderOrCrc_isAnsweredWithStatus1_andNotStored) {
    BlockBytes data{};
    data.fill(0x33);
    struct Case {
        const char* name;
        std::size_t corrupt;
    };
    // The CRC covers the header as the constant AA AA, so a changed header byte is caught by the
    // header check alone.
    for (const Case c : {Case{"CRC low", 258}, Case{"CRC high", 259}, Case{"data byte", 40},
                         Case{"first header byte", 0}, Case{"second header byte", 1}}) {
        SCOPED_TRACE(c.name);
        Bytes packet = bytes(makeBlockPacket(data));
        packet[c.corrupt] ^= 0x80;
        const Bytes reply = feed(concat({bytes(makeWriteRequest(4)), packet}));
        ASSERT_EQ(reply.size(), kFrameSize);
        EXPECT_EQ(reply[3], 1);
        EXPECT_EQ(board.block(4)[0], 0);
    }
    const Bytes reply = feed(concat({bytes(makeWriteRequest(4)), bytes(makeBlockPacket(data))}));
    ASSERT_EQ(reply.size(), kFrameSize);
    EXPECT_EQ(reply[3], 0);
    EXPECT_EQ(board.block(4)[0], 0x33);
}

TEST_F(RawProtocolTest, resynchronisesOnTheHeaderAfterGarbage) {
    Bytes badCrc = bytes(makeReadRequest(0));
    badCrc[7] ^= 1;
    const Bytes garbage[] = {{0x00, 0x13}, {0x55}, {0x55, 0x55, 0x55}, {0xAA, 0x55, 0x00}, badCrc};
    for (const Bytes& g : garbage) {
        const Bytes reply = feed(concat({g, bytes(makeReadRequest(0))}));
        EXPECT_EQ(reply, bytes(makeBlockPacket(board.block(0))))
            << "after " << g.size() << " bytes of garbage";
    }
    EXPECT_TRUE(hasEvent(board, "garbage 8")) << "the frame with the bad CRC was skipped";
}

TEST_F(RawProtocolTest, framesSplitAcrossArrivals_areStillParsed) {
    const Bytes request = bytes(makeIdentifyRequest(kCmdIdentify));
    Bytes out;
    for (std::uint8_t b : request) {
        const Bytes part = feed({b});
        out.insert(out.end(), part.begin(), part.end());
    }
    EXPECT_EQ(out, bytes(makeFrame(31, 32, 0)));
}

TEST_F(RawProtocolTest, stalledWrite_isAbandoned_soTheNextRequestIsServed) {
    BlockBytes data{};
    const Bytes packet = bytes(makeBlockPacket(data));
    EXPECT_TRUE(
        feed(concat({bytes(makeWriteRequest(2)), Bytes(packet.begin(), packet.begin() + 100)}), 0).empty());
    const Bytes reply = feed(bytes(makeIdentifyRequest(kCmdIdentify)), kDataGapResetMs + 1);
    EXPECT_EQ(reply, bytes(makeFrame(31, 32, 0)));
    EXPECT_TRUE(hasEvent(board, "write 2 abandoned"));
}

TEST_F(RawProtocolTest, emptyChunk_doesNotRestartTheDataGapTimer) {
    BlockBytes data{};
    data.fill(0x33);
    const Bytes packet = bytes(makeBlockPacket(data));
    const double late = kDataGapResetMs + 100;
    EXPECT_TRUE(
        feed(concat({bytes(makeWriteRequest(2)), Bytes(packet.begin(), packet.begin() + 100)}), 0).empty());
    EXPECT_TRUE(feed({}, late / 2).empty());
    // The rest comes more than the gap after the last byte, though less than it after the empty chunk.
    EXPECT_TRUE(feed(Bytes(packet.begin() + 100, packet.end()), late).empty()) << "no write reply";
    EXPECT_TRUE(hasEvent(board, "write 2 abandoned"));
    EXPECT_EQ(board.block(2)[0], 0) << "the block is not stored";
}

TEST_F(RawProtocolTest, acceptedWrites_callTheHook) {
    std::vector<int> saved;
    board.setOnAcceptedWrite([&](const PanelBoard&, int block) { saved.push_back(block); });
    board.addFault({PanelFault::Kind::WriteRefused, 1, 0});
    BlockBytes data{};
    for (std::uint8_t b : {0, 1, 2}) feed(concat({bytes(makeWriteRequest(b)), bytes(makeBlockPacket(data))}));
    EXPECT_EQ(saved, (std::vector<int>{0, 2}));
}

}  // namespace
}  // namespace livna::panelsim
