// The byte protocol and its engine on an in-memory serial line, on virtual time.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/crc.h"
#include "link_test_support.h"

namespace livna::setka {
namespace {

using test::RecordingSink;
using test::SimulatedSetkaPanel;
using E = LinkEventCode;

std::vector<int> blockValues(const panelsim::PanelBoard& board, std::size_t first, std::size_t bytes) {
    std::vector<int> out;
    for (std::size_t i = 0; i < bytes; ++i) out.push_back(board.block(first + i / 256)[i % 256]);
    return out;
}

std::vector<int> pattern(std::size_t n, int seed) {
    std::vector<int> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<int>((i * 7 + static_cast<std::size_t>(seed)) & 0xFF);
    return v;
}

/// A protocol in front of another that may rewrite each answer, or answer in its place.
class ScriptedProtocol : public panelsim::PanelProtocol {
public:
    explicit ScriptedProtocol(panelsim::PanelProtocol* inner) : m_inner(inner) {}
    void receive(std::span<const std::uint8_t> bytes, double timeMs,
                 std::vector<std::uint8_t>& out) override {
        std::vector<std::uint8_t> reply;
        if (m_inner != nullptr) m_inner->receive(bytes, timeMs, reply);
        received.insert(received.end(), bytes.begin(), bytes.end());
        if (rewrite) rewrite(reply, received);
        out.insert(out.end(), reply.begin(), reply.end());
    }
    std::function<void(std::vector<std::uint8_t>& reply, const std::vector<std::uint8_t>& received)> rewrite;
    std::vector<std::uint8_t> received;

private:
    panelsim::PanelProtocol* m_inner;
};

TEST(SetkaFrames, requestsCarryConfigByteAndCrc) {
    for (LinkCommand c : {LinkCommand::ReadSettings, LinkCommand::WriteSettings, LinkCommand::ReadCodes,
                          LinkCommand::WriteCodes}) {
        const auto r = requestFrame(c, 0x166);  // only the low byte goes out
        const std::array<std::uint8_t, 3> head{0x55, 0x66, static_cast<std::uint8_t>(c)};
        EXPECT_EQ(r[0], 0x55);
        EXPECT_EQ(r[1], 0x66);
        EXPECT_EQ(r[2], static_cast<std::uint8_t>(c));
        EXPECT_EQ(r[3], crc8Maxim(head));
    }
    EXPECT_EQ(requestFrame(LinkCommand::Connect, 0x63),
              (std::array<std::uint8_t, 4>{0x55, 0x55, 0xAA, 0xAA}));
    EXPECT_EQ(requestFrame(LinkCommand::EnterLoader, 0x63),
              (std::array<std::uint8_t, 4>{0x55, 0x55, 0xA0, 0xAA}));
}

TEST(SetkaFrames, firmwareLengthNeedsTheWholeImage) {
    std::vector<int> image(20, 0);
    EXPECT_EQ(firmwareLength(image), 7u);
    image[5] = 13;
    EXPECT_EQ(firmwareLength(image), 20u);
    image[5] = 14;
    EXPECT_EQ(firmwareLength(image), std::nullopt);
    EXPECT_EQ(firmwareLength(std::span(image).first(5)), std::nullopt);
}

// Connect: which replies end the retries, and how the reply is judged.
TEST(SetkaConnect, repliesAreJudgedCrcFirstThenType) {
    struct Case {
        const char* name;
        panelsim::SetkaFaults faults;
        unsigned type;
        StepStatus status;
        std::vector<E> events;  // without attempts
        int attempts;
        std::uint8_t lastWritten;
        bool closed;
    };
    panelsim::SetkaFaults header0;
    header0.header0 = true;
    panelsim::SetkaFaults tenth;
    tenth.answerFrom = 10;
    panelsim::SetkaFaults never;
    never.answerFrom = 11;
    panelsim::SetkaFaults badCrc;
    badCrc.crcConnect = true;
    const std::vector<Case> cases{
        {"only byte 1 is 0x55", header0, 9, StepStatus::Done, {E::CheckingVersion}, 1, 0x00, false},
        {"answer to attempt 10", tenth, 10, StepStatus::Done, {E::CheckingVersion}, 10, 0x00, false},
        {"no answer", never, 9, StepStatus::Failed, {E::NoAnswer}, 10, 0xFF, true},
        {"type 7", {}, 7, StepStatus::Failed, {E::WrongDevice}, 1, 0xFF, false},
        {"type 7, bad CRC", badCrc, 7, StepStatus::Failed, {E::ConnectCrcError}, 1, 0xFF, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedSetkaPanel panel(c.faults, c.type);
        ChainRequest request;
        request.steps = {LinkCommand::Connect};
        const ChainOutcome out = panel.run(request);
        EXPECT_EQ(out.status, c.status);
        EXPECT_EQ(panel.sink.codes(), c.events);
        EXPECT_EQ(panel.sink.count(E::Attempt), static_cast<std::size_t>(c.attempts));
        ASSERT_FALSE(panel.line.written().empty());
        EXPECT_EQ(panel.line.written().back(), c.lastWritten);
        EXPECT_EQ(panel.line.isOpen(), !c.closed);
        EXPECT_EQ(out.deviceType,
                  c.status == StepStatus::Done || c.events[0] == E::WrongDevice ? int(c.type) : 0);
    }
}

TEST(SetkaConnect, rejectionGoesOutBeforeWrongDevice) {
    SimulatedSetkaPanel panel({}, 7);
    std::size_t writtenAtEvent = 0;
    panel.sink.onPost = [&](const LinkEvent& e) {
        if (e.code == E::WrongDevice) writtenAtEvent = panel.line.written().size();
    };
    ChainRequest request;
    request.steps = {LinkCommand::Connect};
    panel.run(request);
    ASSERT_GT(writtenAtEvent, 0u);
    EXPECT_EQ(panel.line.written()[writtenAtEvent - 1], 0xFF);
}

TEST(SetkaConnect, attemptsArePacedAndDrainEarlierInput) {
    panelsim::SetkaFaults third;
    third.answerFrom = 3;
    SimulatedSetkaPanel panel(third);
    ChainRequest request;
    request.steps = {LinkCommand::Connect};
    panel.run(request);
    const auto& pauses = panel.clock.pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 2000), 3);
    // Each attempt after the first finds the previous attempt's echo gone: nothing is left in the
    // line when its reply is read.
    EXPECT_EQ(panel.sink.count(E::Attempt), 3u);
    EXPECT_EQ(panel.board.events().front().text, "connect 1");
}

TEST(SetkaConnect, afterFirmwareChangeNoVersionCheckText) {
    SimulatedSetkaPanel panel;
    const ChainOutcome out = panel.run(ChainRequest::connect(0, true));
    EXPECT_EQ(out.status, StepStatus::Done);
    EXPECT_EQ(panel.sink.count(E::CheckingVersion), 0u);
    EXPECT_EQ(panel.sink.count(E::ReadDone), 0u);  // the version check's read shows nothing
    EXPECT_EQ(out.settings.size(), 256u);          // ConfigByte 0: one block
    EXPECT_EQ(out.settings[1], static_cast<int>(panelsim::kSetkaDefaultVersion));
}

// Reads: the frame size follows the configuration byte; the header is not examined.
TEST(SetkaRead, frameSizesFollowConfigByte) {
    struct Case {
        int configByte;
        std::size_t settings;
        std::size_t codes;
    };
    for (const Case& c : {Case{0x66, 1024, 1792}, Case{0x63, 1024, 1024}, Case{0x00, 256, 256}}) {
        SCOPED_TRACE(c.configByte);
        SimulatedSetkaPanel panel({}, 10, 53);
        const ChainOutcome out = panel.run(ChainRequest::read(c.configByte));
        ASSERT_EQ(out.status, StepStatus::Done);
        EXPECT_EQ(out.codes, blockValues(panel.board, 4, c.codes));
        EXPECT_EQ(out.settings, blockValues(panel.board, 0, c.settings));
        EXPECT_EQ(panel.sink.codes(), std::vector<E>{E::ReadDone});
        const std::string config = c.configByte == 0 ? "00" : c.configByte == 0x63 ? "63" : "66";
        EXPECT_EQ(panel.board.events()[0].text, "request 93 config " + config);
    }
}

TEST(SetkaRead, headerOtherThanAaAaIsAccepted) {
    SimulatedSetkaPanel panel;
    ScriptedProtocol scripted(&panel.protocol);
    scripted.rewrite = [](std::vector<std::uint8_t>& reply, const std::vector<std::uint8_t>&) {
        if (reply.size() < 100) return;
        reply[1] = 0x12;
        reply[2] = 0x34;  // header after the acceptance byte
        reply.back() = crc8Maxim(std::span(reply).subspan(1, reply.size() - 2));
    };
    panelsim::MemorySerialLine line(scripted, panel.clock);
    ChainRequest request = ChainRequest::read(0x63);
    const ChainOutcome out = runChain(line, panel.clock, panel.sink, {}, request);
    EXPECT_EQ(out.status, StepStatus::Done);
    EXPECT_EQ(out.settings, blockValues(panel.board, 0, 1024));
}

TEST(SetkaRead, acceptancePollSkipsOtherBytes) {
    SimulatedSetkaPanel panel;
    ScriptedProtocol scripted(&panel.protocol);
    scripted.rewrite = [](std::vector<std::uint8_t>& reply, const std::vector<std::uint8_t>&) {
        if (!reply.empty() && reply[0] == 0x00) reply.insert(reply.begin(), {0x07, 0x13});
    };
    panelsim::MemorySerialLine line(scripted, panel.clock);
    ChainRequest request = ChainRequest::read(0x63);
    request.steps = {LinkCommand::ReadSettings};
    EXPECT_EQ(runChain(line, panel.clock, panel.sink, {}, request).status, StepStatus::Done);
}

TEST(SetkaRead, badCrcRejectsTheFrame) {
    panelsim::SetkaFaults f;
    f.crcCodes = true;
    SimulatedSetkaPanel panel(f);
    const ChainOutcome out = panel.run(ChainRequest::read(0x63));
    EXPECT_EQ(out.status, StepStatus::Failed);
    EXPECT_EQ(out.lastStep, LinkCommand::ReadCodes);
    EXPECT_TRUE(out.codes.empty());
    EXPECT_EQ(panel.sink.codes(), std::vector<E>{E::ExchangeError});
    EXPECT_EQ(panel.board.events().back().text, "acknowledgement FF");
}

// A byte that never comes fails the step once, and is never taken for the previous byte.
TEST(SetkaSilence, missingByteFailsTheStepOnce) {
    struct Case {
        const char* name;
        ChainRequest request;
        std::size_t silentAfter;  // bytes the panel sends before it falls silent
    };
    ChainRequest firmware;
    firmware.steps = {LinkCommand::FirmwareStream};
    firmware.firmware = {0x11, 0x11, 0x11, 0x11, 0, 0, 0x11};
    const std::vector<Case> cases{
        {"mid-frame", ChainRequest::read(0x66), 1 + 900},
        {"0x00, then silence before a frame", ChainRequest::read(0x66), 1},
        {"0x00, then silence before a write status",
         ChainRequest::write(0x63, pattern(1024, 1), pattern(1024, 2)), 1},
        {"connect, 0x00, then silence before the frame", ChainRequest::connect(0x63, false), 5},
        {"silence before a firmware status", firmware, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedSetkaPanel panel;
        panel.board.addFault({panelsim::PanelFault::Kind::SilentAfter, std::nullopt, c.silentAfter});
        const ChainOutcome out = panel.run(c.request);
        EXPECT_EQ(out.status, StepStatus::Failed);
        EXPECT_EQ(out.event, E::TimeOut);
        EXPECT_EQ(panel.sink.count(E::TimeOut), 1u);
        for (E done : {E::ReadDone, E::WriteDone, E::FirmwareLoaded}) EXPECT_EQ(panel.sink.count(done), 0u);
        EXPECT_TRUE(out.settings.empty());
        EXPECT_TRUE(out.codes.empty());
        // One ReadByte's worth of waiting, not one per missing byte.
        EXPECT_LT(panel.clock.nowMs(), 4 * 2400.0 + 2000);
    }
}

TEST(SetkaSilence, lostEchoFailsTheStep) {
    panelsim::SetkaFaults f;
    f.echoStop = 100;
    SimulatedSetkaPanel panel(f);
    const ChainOutcome out = panel.run(ChainRequest::write(0x63, pattern(1024, 1), pattern(1024, 2)));
    EXPECT_EQ(out.status, StepStatus::Failed);
    EXPECT_EQ(out.event, E::TimeOut);
    EXPECT_EQ(panel.line.written().size(), 100u + 1);  // the byte whose echo did not come is the last
}

// Refusals are event 4; the request is polled 100 times.
TEST(SetkaRefusal, refusedRequestAndFrameAreExchangeErrors) {
    struct Case {
        const char* name;
        panelsim::SetkaFaults faults;
        ChainRequest request;
        LinkCommand failedStep;
    };
    panelsim::SetkaFaults request;
    request.refused = {0x91};
    panelsim::SetkaFaults codesFrame;
    codesFrame.writeCodesRefused = true;
    panelsim::SetkaFaults settingsFrame;
    settingsFrame.writeSettingsRefused = true;
    const auto write = ChainRequest::write(0x63, pattern(1024, 1), pattern(1024, 2));
    for (const Case& c :
         {Case{"refused request", request, ChainRequest::read(0x63), LinkCommand::ReadSettings},
          Case{"refused codes frame", codesFrame, write, LinkCommand::WriteCodes},
          Case{"refused settings frame", settingsFrame, write, LinkCommand::WriteSettings}}) {
        SCOPED_TRACE(c.name);
        SimulatedSetkaPanel panel(c.faults);
        const ChainOutcome out = panel.run(c.request);
        EXPECT_EQ(out.status, StepStatus::Failed);
        EXPECT_EQ(out.lastStep, c.failedStep);
        EXPECT_EQ(panel.sink.codes(), std::vector<E>{E::ExchangeError});
    }
    SimulatedSetkaPanel panel(request);
    ChainRequest read = ChainRequest::read(0x63);
    read.steps = {LinkCommand::ReadSettings};
    panel.run(read);
    const auto& pauses = panel.clock.pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), kAcceptancePauseMs), kAcceptancePolls);
}

TEST(SetkaWrite, writtenImagesReachTheirBlocks) {
    SimulatedSetkaPanel panel({}, 10, 53);
    const auto codes = pattern(1792, 3);
    const auto settings = pattern(1024, 4);
    const ChainOutcome out = panel.run(ChainRequest::write(0x66, codes, settings));
    EXPECT_EQ(out.status, StepStatus::Done);
    EXPECT_EQ(blockValues(panel.board, 4, 1792), codes);
    EXPECT_EQ(blockValues(panel.board, 0, 1024), settings);
    EXPECT_EQ(panel.sink.codes(), std::vector<E>{E::WriteDone});
}

TEST(SetkaWrite, shortImageIsRefusedUnsent) {
    SimulatedSetkaPanel panel;
    const ChainOutcome out = panel.run(ChainRequest::write(0x66, pattern(1024, 1), pattern(1024, 2)));
    EXPECT_EQ(out.status, StepStatus::Refused);
    EXPECT_EQ(out.lastStep, LinkCommand::WriteCodes);
    EXPECT_TRUE(panel.line.written().empty());
    EXPECT_TRUE(panel.sink.events().empty());
}

TEST(SetkaWrite, failedWriteTellsNoLink) {
    SimulatedSetkaPanel panel;
    panel.line.failWrites(true);
    const ChainOutcome out = panel.run(ChainRequest::write(0x63, pattern(1024, 1), pattern(1024, 2)));
    EXPECT_EQ(out.status, StepStatus::Failed);
    EXPECT_EQ(panel.sink.codes(), std::vector<E>{E::NotConnected});
    EXPECT_EQ(linkEventText({E::NotConnected}, PortKind::Com), "Нет связи с прибором");
}

// The firmware transfer and the loader request, against a scripted panel.
TEST(SetkaFirmware, streamSendsLengthPlusSevenWithProgress) {
    struct Case {
        std::size_t total;
        std::size_t progressEvents;  // one per 8 bytes, and the final 100
    };
    for (const Case& c : {Case{7, 1}, Case{1000, 125 + 1}}) {
        SCOPED_TRACE(c.total);
        RecordingSleeper clock;
        ScriptedProtocol panel(nullptr);
        panel.rewrite = [&](std::vector<std::uint8_t>& reply, const std::vector<std::uint8_t>& received) {
            if (received.size() == c.total) reply.push_back(0x00);
        };
        panelsim::MemorySerialLine line(panel, clock);
        RecordingSink sink;
        ChainRequest request;
        request.steps = {LinkCommand::FirmwareStream};
        request.firmware = pattern(c.total + 30, 5);  // bytes beyond the length are not sent
        request.firmware[4] = static_cast<int>((c.total - 7) / 256);
        request.firmware[5] = static_cast<int>((c.total - 7) % 256);
        const ChainOutcome out = runChain(line, clock, sink, {}, request);
        EXPECT_EQ(out.status, StepStatus::Done);
        EXPECT_EQ(line.written().size(), c.total);
        std::vector<int> progress;
        for (const LinkEvent& e : sink.events())
            if (e.code == E::Progress) progress.push_back(e.progress);
        ASSERT_EQ(progress.size(), c.progressEvents);
        EXPECT_EQ(progress.back(), 100);
        if (c.total == 1000) {
            EXPECT_EQ(progress[0], 8 * 100 / 1000);
        }
        EXPECT_EQ(std::count(clock.pauses().begin(), clock.pauses().end(), kFirmwarePauseMs),
                  static_cast<long>(c.total / 8));
        EXPECT_EQ(sink.codes(), std::vector<E>{E::FirmwareLoaded});
        EXPECT_EQ(linkEventText({E::FirmwareLoaded}, PortKind::Com), "ПО загружено успешно");
        EXPECT_EQ(linkEventText({E::FirmwareLoaded}, PortKind::Usb), "ПО загружена успешно");
    }
}

TEST(SetkaFirmware, shortImageIsRefusedUnsent) {
    SimulatedSetkaPanel panel;
    ChainRequest request;
    request.steps = {LinkCommand::FirmwareStream};
    request.firmware = {0, 0, 0, 0, 0, 10, 0, 0};  // says 17 bytes
    EXPECT_EQ(panel.run(request).status, StepStatus::Refused);
    EXPECT_TRUE(panel.line.written().empty());
}

TEST(SetkaFirmware, loaderReplyIsCheckedAgainstDeviceType) {
    for (int type : {9, 10}) {
        SCOPED_TRACE(type);
        RecordingSleeper clock;
        ScriptedProtocol panel(nullptr);
        panel.rewrite = [](std::vector<std::uint8_t>& reply, const std::vector<std::uint8_t>& received) {
            if (received.size() != 4) return;
            std::array<std::uint8_t, 3> head{0x55, 0x55, 9};
            reply.insert(reply.end(), head.begin(), head.end());
            reply.push_back(crc8Maxim(head));
        };
        panelsim::MemorySerialLine line(panel, clock);
        RecordingSink sink;
        ChainRequest request;
        request.steps = {LinkCommand::EnterLoader};
        request.deviceType = type;
        const ChainOutcome out = runChain(line, clock, sink, {}, request);
        EXPECT_EQ(out.status, type == 9 ? StepStatus::Done : StepStatus::Failed);
        EXPECT_EQ(line.written().back(), type == 9 ? 0x00 : 0xFF);
        EXPECT_TRUE(sink.events().empty());
        EXPECT_EQ(clock.pauses()[0], 1000);
    }
}

}  // namespace
}  // namespace livna::setka
