#include "common/crc.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace livna {
namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(Crc16Arc, checkString_isBB3D_bothWays) {
    const auto data = bytesOf("123456789");
    EXPECT_EQ(crc16Arc(data), 0xBB3D);
    EXPECT_EQ(crc16ArcTable(data), 0xBB3D);
}

TEST(Crc16Arc, emptyInput_isZero) {
    EXPECT_EQ(crc16Arc({}), 0);
    EXPECT_EQ(crc16ArcTable({}), 0);
}

// The command frames of the direct USB link: CRC over bytes 0..5, sent low byte first.
TEST(Crc16Arc, workedCommandFrames_carryTheirCrcBytes) {
    const std::array<std::array<std::uint8_t, 8>, 4> frames = {{
        {0x55, 0x55, 0xAA, 0xAA, 0x00, 0x00, 0x01, 0xF1},  // identify 0xAA
        {0x55, 0x55, 0xA0, 0xAA, 0x00, 0x00, 0x02, 0x29},  // identify 0xA0
        {0x55, 0x55, 0x93, 0x00, 0x00, 0x00, 0x2D, 0x4D},  // read block 0
        {0x55, 0x55, 0x94, 0x00, 0x00, 0x00, 0x2C, 0x39},  // write block 0
    }};
    for (const auto& f : frames) {
        const std::span<const std::uint8_t> head(f.data(), 6);
        const std::uint16_t expected = static_cast<std::uint16_t>(f[6] | (f[7] << 8));
        EXPECT_EQ(crc16Arc(head), expected) << std::hex << int(f[2]);
        EXPECT_EQ(crc16ArcTable(head), expected) << std::hex << int(f[2]);
    }
}

TEST(Crc16Arc, tableAndBitwise_agreeOnBlockPackets) {
    // 0xAA 0xAA + 256 data bytes, as in a block packet, with several data patterns.
    std::uint32_t seed = 12345;
    for (int round = 0; round < 50; ++round) {
        std::vector<std::uint8_t> packet{0xAA, 0xAA};
        for (int i = 0; i < 256; ++i) {
            seed = seed * 1103515245u + 12345u;
            packet.push_back(static_cast<std::uint8_t>(seed >> 16));
        }
        ASSERT_EQ(crc16Arc(packet), crc16ArcTable(packet)) << "round " << round;
    }
}

TEST(Crc16Arc, updateIsIncremental) {
    const auto data = bytesOf("123456789");
    std::uint16_t crc = 0;
    for (auto b : data) crc = Crc16Update(crc, b);
    EXPECT_EQ(crc, 0xBB3D);
}

struct Crc8Case {
    std::vector<std::uint8_t> bytes;
    std::uint8_t crc;
};

TEST(Crc8Maxim, knownOneWireVectors) {
    const std::vector<Crc8Case> cases = {
        {bytesOf("123456789"), 0xA1},
        {{0x02, 0x1C, 0xB8, 0x01, 0x00, 0x00, 0x00}, 0xA2},  // ROM code of the 1-Wire application note
        {{}, 0x00},
        {{0x00}, 0x00},
        {{0x01}, 0x5E},
        {{0x80}, 0x8C},
    };
    for (const auto& c : cases) EXPECT_EQ(crc8Maxim(c.bytes), c.crc) << c.bytes.size() << " bytes";
}

TEST(Crc8Maxim, frameFollowedByItsCrc_checksToZero) {
    std::vector<std::uint8_t> frame{0x55, 0x55, 0x09};
    frame.push_back(crc8Maxim(frame));
    EXPECT_EQ(crc8Maxim(frame), 0);
}

TEST(Crc8Maxim, tableMatchesBitwiseDefinition) {
    for (int crc = 0; crc < 256; crc += 17) {
        for (int byte = 0; byte < 256; ++byte) {
            std::uint8_t expected = static_cast<std::uint8_t>(crc ^ byte);
            for (int bit = 0; bit < 8; ++bit)
                expected = (expected & 1) ? static_cast<std::uint8_t>((expected >> 1) ^ 0x8C)
                                          : static_cast<std::uint8_t>(expected >> 1);
            ASSERT_EQ(crc8MaximUpdate(static_cast<std::uint8_t>(crc), static_cast<std::uint8_t>(byte)),
                      expected);
        }
    }
}

}  // namespace
}  // namespace livna
