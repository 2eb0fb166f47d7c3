#include "panelsim/tsk_maker.h"

#include <gtest/gtest.h>

#include "common/crc.h"
#include "common/tsk_file.h"
#include "panelsim/panelsim_options.h"
#include "usblink/usb_frames.h"

namespace livna::panelsim {
namespace {

TEST(TskMaker, madeFile_isWellFormedAndPassesTheLoadersCheck) {
    for (std::size_t packets : {0u, 1u, 5u, 1023u}) {
        SCOPED_TRACE(packets);
        TskPlan plan;
        plan.packets = packets;
        plan.versionCode = 53;
        const auto bytes = makeTsk(plan);
        ASSERT_EQ(bytes.size(), tskLength(packets));
        EXPECT_EQ(bytes[2], 31);
        EXPECT_EQ(bytes[3], 53);
        EXPECT_EQ(*tskCount(bytes), bytes.size() - 7);
        // The header reads as a command frame.
        EXPECT_TRUE(frameCrcMatches(std::span<const std::uint8_t, 8>(bytes.data(), 8)));
        EXPECT_EQ(checkFirmwareStream(bytes, 31), std::nullopt);
    }
}

TEST(TskMaker, seed_choosesTheData_countAndTrailingForSetka) {
    TskPlan plan;
    plan.packets = 2;
    const auto one = makeTsk(plan);
    plan.seed = 2;
    const auto two = makeTsk(plan);
    EXPECT_EQ(std::vector(one.begin(), one.begin() + 8), std::vector(two.begin(), two.begin() + 8));
    EXPECT_NE(one, two);
    EXPECT_EQ(one, makeTsk(TskPlan{31, 33, 2, 1, std::nullopt, 0}));

    plan.count = 100;
    plan.trailing = 5;
    const auto odd = makeTsk(plan);
    EXPECT_EQ(odd.size(), tskLength(2) + 5);
    EXPECT_EQ(*tskCount(odd), 100u);
    EXPECT_TRUE(frameCrcMatches(std::span<const std::uint8_t, 8>(odd.data(), 8)));
}

TEST(TskMaker, checkFirmwareStream_namesWhatIsWrong) {
    TskPlan plan;
    plan.packets = 1;
    const auto good = makeTsk(plan);
    struct Case {
        const char* name;
        std::size_t at;
        std::string reason;
    };
    const Case cases[] = {{"signature", 1, "signature"},   {"type", 2, "type 30 on board 31"},
                          {"header crc", 3, "header crc"}, {"count", 5, "count 66"},
                          {"data", 40, "data crc"},        {"data crc", 73, "data crc"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = good;
        bytes[c.at] ^= 0x01;
        if (c.at == 5) {  // a count that is wrong although the header's CRC holds
            const std::uint16_t crc = crc16Arc(std::span(bytes).first(6));
            bytes[6] = static_cast<std::uint8_t>(crc & 0xFF);
            bytes[7] = static_cast<std::uint8_t>(crc >> 8);
        }
        EXPECT_EQ(checkFirmwareStream(bytes, 31), c.reason);
    }
    EXPECT_EQ(checkFirmwareStream(std::span(good).first(9), 31), "stream of 9 bytes");
}

TEST(TskMaker, commandLine) {
    std::string error;
    const auto c = parseMakeTsk({"out.tsk", "--type", "31", "--version", "33", "--packets", "1023", "--seed",
                                 "7", "--count", "5", "--trailing", "3"},
                                error);
    ASSERT_TRUE(c) << error;
    EXPECT_EQ(c->out, "out.tsk");
    EXPECT_EQ(c->plan.typeCode, 31u);
    EXPECT_EQ(c->plan.versionCode, 33u);
    EXPECT_EQ(c->plan.packets, 1023u);
    EXPECT_EQ(c->plan.seed, 7u);
    EXPECT_EQ(c->plan.count, 5u);
    EXPECT_EQ(c->plan.trailing, 3u);

    const std::vector<std::vector<std::string>> bad = {
        {"--type", "31", "--version", "33", "--packets", "1"},          // no OUT
        {"o", "--version", "33", "--packets", "1"},                     // no type
        {"o", "--type", "256", "--version", "33", "--packets", "1"},    // type beyond a byte
        {"o", "--type", "31", "--version", "33", "--packets", "1024"},  // count beyond 16 bits
        {"o", "--type", "31", "--version", "33", "--packets", "1", "--x", "1"},
        {"o", "p", "--type", "31", "--version", "33", "--packets", "1"},
        {"o", "--type", "31", "--version", "33", "--packets"}};
    for (const auto& args : bad) EXPECT_FALSE(parseMakeTsk(args, error)) << args.size();
}

TEST(TskMaker, loaderFaultsOnTheCommandLine) {
    EXPECT_EQ(parseFault("fw-refuse"), (PanelFault{PanelFault::Kind::FirmwareRefused, std::nullopt, 0}));
    EXPECT_EQ(parseFault("fw-silent"), (PanelFault{PanelFault::Kind::FirmwareSilent, std::nullopt, 0}));
    EXPECT_FALSE(parseFault("fw-refuse:3"));
}

}  // namespace
}  // namespace livna::panelsim
