#include "common/tsk_file.h"

#include <gtest/gtest.h>

#include <vector>

namespace livna {
namespace {

std::vector<std::uint8_t> file(std::size_t n, unsigned type = 31, unsigned version = 33) {
    std::vector<std::uint8_t> bytes(n, 0x11);
    const std::uint8_t head[] = {0x55, 0x55, static_cast<std::uint8_t>(type),
                                 static_cast<std::uint8_t>(version)};
    for (std::size_t i = 0; i < n && i < 4; ++i) bytes[i] = head[i];
    return bytes;
}

TEST(TskFile, checks_inTheirOrder) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::optional<unsigned> panelType;
        TskCheck expected;
    };
    std::vector<std::uint8_t> badSignature = file(74);
    badSignature[1] = 0xAA;
    const Case cases[] = {
        {"55 AA, demo", badSignature, std::nullopt, TskCheck::BadSignature},
        {"55 AA and a wrong length", std::vector<std::uint8_t>{0x55, 0xAA, 31}, std::nullopt,
         TskCheck::BadSignature},
        {"empty", {}, std::nullopt, TskCheck::BadLength},
        {"3 bytes", file(3), std::nullopt, TskCheck::BadLength},
        {"9 bytes", file(9), std::nullopt, TskCheck::BadLength},
        {"73 bytes, on-line", file(73), 31u, TskCheck::BadLength},
        {"75 bytes", file(75), std::nullopt, TskCheck::BadLength},
        {"10 bytes", file(10), std::nullopt, TskCheck::Ok},
        {"74 bytes, on-line", file(74), 31u, TskCheck::Ok},
        {"type 27 on a type-31 panel", file(74, 27), 31u, TskCheck::WrongType},
        {"type 0 on a type-0 panel", file(74, 0), 0u, TskCheck::WrongType},
        {"type 27 in demo", file(74, 27), std::nullopt, TskCheck::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FirmwareImage image{{1, 2}, 7, 8};
        EXPECT_EQ(checkTskFile(c.bytes, c.panelType, image), c.expected);
        if (c.expected == TskCheck::Ok) {
            EXPECT_EQ(image.bytes, c.bytes);
            EXPECT_EQ(image.typeCode, c.bytes[2]);
            EXPECT_EQ(image.versionCode, c.bytes[3]);
        } else {
            EXPECT_EQ(image.bytes, (std::vector<std::uint8_t>{1, 2}));  // a refused file changes nothing
            EXPECT_EQ(image.typeCode, 7u);
        }
    }
}

TEST(TskFile, lengthRule) {
    EXPECT_EQ(tskLength(0), 10u);
    EXPECT_EQ(tskLength(kTskMaxPackets), 65482u);
    EXPECT_LE(tskLength(kTskMaxPackets) - kTskCountOverhead, 0xFFFFu);
    EXPECT_GT(tskLength(kTskMaxPackets + 1) - kTskCountOverhead, 0xFFFFu);
    for (std::size_t n : {10u, 74u, 138u, 65482u}) EXPECT_TRUE(tskLengthWellFormed(n)) << n;
    for (std::size_t n : {0u, 8u, 9u, 11u, 72u, 73u, 75u, 136u, 137u})
        EXPECT_FALSE(tskLengthWellFormed(n)) << n;
}

TEST(TskFile, typeLabel_byTypeAndMajor) {
    struct Case {
        unsigned type, version;
        const char* label;
    };
    const Case cases[] = {{31, 52, "ПО для Ливна-640, плата d"},
                          {31, 33, "ПО для Ливна-640, плата d"},
                          {31, 41, ""},
                          {31, 123, ""},
                          {31, 53, "ПО для Ливна-640, плата d"},
                          {27, 52, "ПО для Ливна-640М"},
                          {27, 0, "ПО для Ливна-640М"},
                          {0, 52, "ПО для прибора другого типа"},
                          {30, 33, "ПО для прибора другого типа"}};
    for (const Case& c : cases)
        EXPECT_EQ(tskTypeLabel(c.type, c.version), c.label) << c.type << " " << c.version;
}

TEST(TskFile, count_highByteFirst) {
    EXPECT_EQ(tskCount(std::vector<std::uint8_t>{0x55, 0x55, 31, 33, 0xFF, 0xC3}), 0xFFC3u);
    EXPECT_EQ(tskCount(std::vector<std::uint8_t>{0x55, 0x55, 31, 33, 0x01}), std::nullopt);
}

}  // namespace
}  // namespace livna
