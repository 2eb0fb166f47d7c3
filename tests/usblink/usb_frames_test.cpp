#include "usblink/usb_frames.h"

#include <gtest/gtest.h>

#include <new>
#include <numeric>
#include <vector>

namespace livna {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(const CommandFrame& f) {
    return Bytes(f.begin(), f.end());
}

struct FrameCase {
    const char* name;
    CommandFrame frame;
    Bytes expected;
};

TEST(UsbFrames, requestFrames_matchWorkedFramesByteForByte) {
    const FrameCase cases[] = {
        {"identify AA", makeIdentifyRequest(kCmdIdentify), {0x55, 0x55, 0xAA, 0xAA, 0x00, 0x00, 0x01, 0xF1}},
        {"identify A0",
         makeIdentifyRequest(kCmdIdentifyLoader),
         {0x55, 0x55, 0xA0, 0xAA, 0x00, 0x00, 0x02, 0x29}},
        {"read 0", makeReadRequest(0), {0x55, 0x55, 0x93, 0x00, 0x00, 0x00, 0x2D, 0x4D}},
        {"write 0", makeWriteRequest(0), {0x55, 0x55, 0x94, 0x00, 0x00, 0x00, 0x2C, 0x39}},
        {"read 5", makeReadRequest(5), {0x55, 0x55, 0x93, 0x00, 0x05, 0x00, 0x2E, 0x1D}},
        {"write 16", makeWriteRequest(16), {0x55, 0x55, 0x94, 0x00, 0x10, 0x00, 0x21, 0xF9}},
        {"identify reply 31/32", makeFrame(31, 32, 0), {0x55, 0x55, 0x1F, 0x20, 0x00, 0x00, 0x06, 0x17}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bytes(c.frame), c.expected);
        EXPECT_TRUE(frameCrcMatches(c.frame));
    }
}

TEST(UsbFrames, identifyCrc_isF101) {
    EXPECT_EQ(frameCrc(makeIdentifyRequest(kCmdIdentify)), 0xF101);
}

TEST(UsbFrames, frameCrcMatches_rejectsAnyChangedByte) {
    const CommandFrame good = makeReadRequest(3);
    for (std::size_t i = 0; i < kFrameSize; ++i) {
        CommandFrame bad = good;
        bad[i] ^= 0x10;
        EXPECT_FALSE(frameCrcMatches(bad)) << "byte " << i;
    }
}

TEST(UsbFrames, endCommand_isFourBytesWithoutCrc) {
    EXPECT_EQ(Bytes(kEndCommand.begin(), kEndCommand.end()), (Bytes{0x55, 0x55, 0xA0, 0xEE}));
}

TEST(UsbFrames, blockPacket_headerDataAndCrcOverHeaderAndData) {
    struct Case {
        const char* name;
        BlockBytes data;
        std::uint16_t crc;  // CRC-16/ARC of AA AA and the data, computed independently
    };
    BlockBytes zeros{};
    BlockBytes ramp{};
    std::iota(ramp.begin(), ramp.end(), 0);
    for (const Case& c : {Case{"zeros", zeros, 0x925E}, Case{"ramp", ramp, 0x288D}}) {
        SCOPED_TRACE(c.name);
        const BlockPacket p = makeBlockPacket(c.data);
        EXPECT_EQ(p[0], 0xAA);
        EXPECT_EQ(p[1], 0xAA);
        EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), p.begin() + 2));
        EXPECT_EQ(blockCrc(c.data), c.crc);
        EXPECT_EQ(p[258], c.crc & 0xFF) << "low byte first";
        EXPECT_EQ(p[259], c.crc >> 8);
    }
}

TEST(UsbFrames, lowBytes_keepsOnlyTheLow8Bits) {
    std::array<std::int32_t, kUsbBlockSize> values{};
    const std::pair<std::int32_t, std::uint8_t> cases[] = {{0, 0},         {255, 255}, {256, 0},   {257, 1},
                                                           {0x1234, 0x34}, {-1, 0xFF}, {511, 0xFF}};
    for (std::size_t i = 0; i < std::size(cases); ++i) values[i] = cases[i].first;
    const BlockBytes low = lowBytes(values);
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(low[i], cases[i].second) << cases[i].first;
}

TEST(UsbFrames, lowBytes_givesExactly256Bytes_andWritesNothingBeyond) {
    // One value more than a block, so that a loop running one too far reads a known value.
    std::array<std::int32_t, kUsbBlockSize + 1> values{};
    for (std::size_t i = 0; i < kUsbBlockSize; ++i)
        values[i] = static_cast<std::int32_t>((i << 8) | (i ^ 0xA5));
    values[kUsbBlockSize] = 0x1C3;
    // The result is built in place in storage one byte longer than the block, whose last byte
    // must stay as it was.
    constexpr std::uint8_t kGuard = 0x5A;
    alignas(BlockBytes) std::array<std::uint8_t, kUsbBlockSize + 1> storage;
    storage.fill(kGuard);
    const BlockBytes* low =
        ::new (storage.data()) BlockBytes(lowBytes(std::span(values).first<kUsbBlockSize>()));
    for (std::size_t i = 0; i < kUsbBlockSize; ++i) ASSERT_EQ((*low)[i], i ^ 0xA5) << "byte " << i;
    EXPECT_EQ(storage[kUsbBlockSize], kGuard);
}

}  // namespace
}  // namespace livna
