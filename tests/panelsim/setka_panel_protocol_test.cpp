// The setka panel's protocol fed byte by byte, without a line: seeding, checks on what arrives,
// and a stalled write given up.
#include "panelsim/setka_panel_protocol.h"

#include <gtest/gtest.h>

#include "common/crc.h"
#include "setka/editor/default_images.h"

namespace livna::panelsim {
namespace {

std::vector<std::uint8_t> request(std::uint8_t command, std::uint8_t configByte) {
    std::vector<std::uint8_t> r{0x55, configByte, command};
    r.push_back(crc8Maxim(r));
    return r;
}

std::vector<std::uint8_t> feed(SetkaPanelProtocol& p, const std::vector<std::uint8_t>& bytes, double timeMs) {
    std::vector<std::uint8_t> out;
    p.receive(bytes, timeMs, out);
    return out;
}

TEST(SetkaPanelSeed, areasComeFromTheVariantOfTheVersion) {
    struct Case {
        unsigned version;
        setka::SystemVariant variant;
    };
    for (const Case& c : {Case{17, setka::SystemVariant::Kvm1}, Case{33, setka::SystemVariant::Kvm4},
                          Case{53, setka::SystemVariant::Kv4}, Case{7, setka::SystemVariant::Kvm1}}) {
        SCOPED_TRACE(c.version);
        PanelBoard board(PanelConfig{});
        seedSetkaBoard(board, c.version);
        const SettingsImage& image = setka::defaultImages().of(c.variant);
        EXPECT_EQ(board.block(0)[1], c.version);
        EXPECT_EQ(board.block(0)[2], image[2]);
        EXPECT_EQ(board.block(4)[0], image[1024]);
        const std::size_t last = image.size() - 1;
        EXPECT_EQ(board.block(last / 256)[last % 256], static_cast<std::uint8_t>(image[last]));
    }
}

TEST(SetkaPanelProtocolTest, badRequestIsNotAnsweredAndAStrayHeaderIsSkipped) {
    PanelBoard board(PanelConfig{});
    SetkaPanelProtocol p(board);
    auto bad = request(0x91, 0x63);
    bad[3] ^= 1;
    EXPECT_TRUE(feed(p, bad, 0).empty());
    auto stray = request(0x91, 0x63);
    stray.insert(stray.begin(), 0x55);
    EXPECT_EQ(feed(p, stray, 1).size(), 1u + 1027u);
}

TEST(SetkaPanelProtocolTest, frameWithBadCrcIsRefusedAndNotStored) {
    PanelBoard board(PanelConfig{});
    SetkaPanelProtocol p(board);
    EXPECT_EQ(feed(p, request(0x92, 0x00), 0), std::vector<std::uint8_t>{0x00});
    std::vector<std::uint8_t> frame(259, 0x11);
    frame[258] = crc8Maxim(std::span(frame).first(258)) ^ 1;
    EXPECT_EQ(feed(p, frame, 1), std::vector<std::uint8_t>{0xFF});
    EXPECT_EQ(board.block(0)[0], 0);
}

TEST(SetkaPanelProtocolTest, stalledWriteIsDroppedSoTheNextRequestIsServed) {
    PanelBoard board(PanelConfig{});
    SetkaPanelProtocol p(board);
    EXPECT_EQ(feed(p, request(0x94, 0x63), 0), std::vector<std::uint8_t>{0x00});
    feed(p, std::vector<std::uint8_t>(100, 0xAA), 10);
    const auto reply = feed(p, request(0x91, 0x00), 10 + kDataGapResetMs + 1);
    ASSERT_EQ(reply.size(), 1u + 259u);
    EXPECT_EQ(reply[0], 0x00);
    EXPECT_EQ(board.events()[1].text, "write abandoned");
}

}  // namespace
}  // namespace livna::panelsim
