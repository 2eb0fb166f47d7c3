// The setka panel's protocol fed byte by byte, without a line: seeding, checks on what arrives,
// and a stalled write given up.
#include "panelsim/setka_panel_protocol.h"

#include <gtest/gtest.h>

#include "common/crc.h"
#include "panelsim/tsk_maker.h"
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

// The loader, fed as the serial worker sends: the request, the acknowledgement after the reply,
// then the stream one byte at a time, 1 ms apart and 5 ms after every 8th byte.
class SetkaLoaderTest : public ::testing::Test {
protected:
    SetkaLoaderTest() { board.record(0, "start"); }

    std::vector<std::uint8_t> enter(SetkaPanelProtocol& p) {
        const auto reply = feed(p, {0x55, 0x55, 0xA0, 0xAA}, now);
        now += 1000;
        if (reply.size() == 4) feed(p, {0x00}, now += 10);
        return reply;
    }
    std::vector<std::uint8_t> stream(SetkaPanelProtocol& p, const std::vector<std::uint8_t>& bytes,
                                     double chunkPauseMs = 5) {
        std::vector<std::uint8_t> out;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            now += 1;
            if (i > 0 && i % 8 == 0) now += chunkPauseMs;
            p.receive(std::span(&bytes[i], 1), now, out);
        }
        return out;
    }
    static std::vector<std::uint8_t> tsk(unsigned type, unsigned version, std::size_t trailing = 0) {
        TskPlan plan;
        plan.typeCode = type;
        plan.versionCode = version;
        plan.packets = 2;
        plan.trailing = trailing;
        return makeTsk(plan);
    }

    PanelBoard board{[] {
        PanelConfig c;
        c.typeCode = 10;
        c.versionCode = 17;
        return c;
    }()};
    double now = 0;
};

TEST_F(SetkaLoaderTest, replyNamesTheTypeAndALoadedStreamLeavesTheNewVersionOnBlankAreas) {
    seedSetkaBoard(board, 17);
    SetkaPanelProtocol p(board);
    std::vector<std::uint8_t> reply{0x55, 0x55, 10};
    reply.push_back(crc8Maxim(reply));
    EXPECT_EQ(enter(p), reply);
    auto file = tsk(10, 32, 5);
    const std::size_t total = file.size() - 5;
    EXPECT_TRUE(
        stream(p, std::vector(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(total - 1))).empty());
    EXPECT_EQ(stream(p, {file[total - 1]}), std::vector<std::uint8_t>{0x00});
    EXPECT_EQ(board.block(0)[1], 32);
    EXPECT_EQ(board.block(0)[0], 0xFF);
    EXPECT_EQ(board.block(0)[2], 0xFF);
    EXPECT_EQ(board.block(kSetkaCodesLastBlock)[255], 0xFF);
    // The trailing bytes are no request; the panel serves the next connect as before.
    EXPECT_TRUE(
        stream(p, std::vector(file.begin() + static_cast<std::ptrdiff_t>(total), file.end())).empty());
    EXPECT_EQ(feed(p, request(0x91, 0x63), now += 1).size(), 1u + 1027u);
}

TEST_F(SetkaLoaderTest, faultsAndBadStreamsAreRefusedOrUnanswered) {
    auto wrongCrc = tsk(10, 32);
    wrongCrc[20] ^= 1;
    struct Case {
        const char* what;
        SetkaFaults faults;
        std::optional<PanelFault::Kind> boardFault;
        std::vector<std::uint8_t> file;
        double pauseMs;
        std::vector<std::uint8_t> status;
    };
    const std::vector<Case> cases{
        {"loaded", {}, {}, tsk(10, 32), 5, {0x00}},
        {"no pause", {}, {}, tsk(10, 32), 0, {0x01}},
        {"wrong type", {}, {}, tsk(9, 32), 5, {0x01}},
        {"data crc", {}, {}, wrongCrc, 5, {0x01}},
        {"fw-refuse", {}, PanelFault::Kind::FirmwareRefused, tsk(10, 32), 5, {0x01}},
        {"fw-silent", {}, PanelFault::Kind::FirmwareSilent, tsk(10, 32), 5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        board.clearFaults();
        if (c.boardFault) board.addFault({*c.boardFault, {}, 0});
        seedSetkaBoard(board, 17);
        SetkaPanelProtocol p(board, c.faults);
        ASSERT_EQ(enter(p).size(), 4u);
        EXPECT_EQ(stream(p, c.file, c.pauseMs), c.status);
        EXPECT_EQ(board.block(0)[1], c.status == std::vector<std::uint8_t>{0x00} ? 32 : 17);
        now += 2 * kDataGapResetMs;
    }
}

TEST_F(SetkaLoaderTest, loaderFaultsAndAnUnacknowledgedReplyLeaveNoStream) {
    SetkaFaults silent;
    silent.loaderSilent = true;
    SetkaPanelProtocol quiet(board, silent);
    EXPECT_TRUE(enter(quiet).empty());

    SetkaFaults other;
    other.loaderType = true;
    SetkaPanelProtocol typed(board, other);
    const auto reply = enter(typed);
    ASSERT_EQ(reply.size(), 4u);
    EXPECT_EQ(reply[2], 9);
    EXPECT_EQ(reply[3], crc8Maxim(std::span(reply).first<3>()));

    // Rejected: the next bytes are requests again, not firmware.
    SetkaPanelProtocol p(board);
    EXPECT_EQ(feed(p, {0x55, 0x55, 0xA0, 0xAA}, now += 1).size(), 4u);
    feed(p, {0xFF}, now += 1);
    EXPECT_EQ(feed(p, request(0x91, 0x63), now += 1).size(), 1u + 1027u);
}

}  // namespace
}  // namespace livna::panelsim
