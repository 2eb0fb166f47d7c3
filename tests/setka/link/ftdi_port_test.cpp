// The bridge backend and the TUsbThread profile against a simulated panel behind FakeFtdiApi,
// on virtual time.
#include <gtest/gtest.h>

#include <algorithm>

#include "link_test_support.h"
#include "setka/link/fake_ftdi_api.h"
#include "setka/link/ftdi_port.h"

namespace livna::setka {
namespace {

using test::RecordingSink;
using E = LinkEventCode;
using Call = FakeFtdiApi::Call;

struct BridgedPanel {
    explicit BridgedPanel(panelsim::SetkaFaults faults = {})
        : board(test::SimulatedSetkaPanel::config(9, 32)),
          protocol(board, faults),
          api(clock, [this](std::span<const std::uint8_t> b, double t, std::vector<std::uint8_t>& out) {
              protocol.receive(b, t, out);
          }) {
        panelsim::seedSetkaBoard(board, 32);
    }
    std::unique_ptr<LinkPort> open() {
        auto opened = openFtdiPort(api);
        EXPECT_NE(opened.port, nullptr) << opened.systemText;
        return std::move(opened.port);
    }

    RecordingSleeper clock;
    panelsim::PanelBoard board;
    panelsim::SetkaPanelProtocol protocol;
    FakeFtdiApi api;
    RecordingSink sink;
};

TEST(FtdiPort, noBridgeIsTheUsbMessageAndNothingIsClosed) {
    BridgedPanel panel;
    panel.api.unplug();
    const PortOpenResult r = openFtdiPort(panel.api);
    EXPECT_EQ(r.port, nullptr);
    EXPECT_EQ(r.systemText, "FT_DEVICE_NOT_FOUND");
    EXPECT_EQ(panel.api.closes(), 0);
    EXPECT_EQ(openFailureMessage(PortKind::Usb, 1), "Прибор Л-640 отключен от линии USB.");
}

TEST(FtdiPort, openedByKindThroughTheBackends) {
    BridgedPanel panel;
    PortBackends backends;
    backends.ftdi = &panel.api;
    auto opened = openLinkPort(PortKind::Usb, 1, backends);
    ASSERT_NE(opened.port, nullptr);
    EXPECT_EQ(opened.port->kind(), PortKind::Usb);
    opened.port.reset();
    panel.api.unplug();
    EXPECT_EQ(openLinkPort(PortKind::Usb, 1, backends).port, nullptr);
}

// libftdi1, or FTD2XX.DLL on Windows (where a machine without the library has no bridge either).
TEST(FtdiPort, systemLibraryWithoutABridgeDoesNotOpen) {
    const auto api = makeSystemFtdiApi();
    const PortOpenResult r = openFtdiPort(*api);
    if (r.port) GTEST_SKIP() << "an FTDI device is attached to this machine";
    EXPECT_NE(r.systemText, "");
}

TEST(FtdiPort, setUpFailureClosesTheDeviceOnce) {
    for (Call c : {Call::SetBaudRate, Call::ResetDevice, Call::SetDataCharacteristics, Call::SetTimeouts}) {
        BridgedPanel panel;
        panel.api.failNext(c, FT_IO_ERROR);
        EXPECT_EQ(openFtdiPort(panel.api).port, nullptr);
        EXPECT_EQ(panel.api.closes(), 1);
        EXPECT_EQ(panel.api.strayCloses(), 0);
    }
}

TEST(FtdiPort, closeIsIdempotent) {
    BridgedPanel panel;
    auto port = panel.open();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(panel.api.baudRate(), 1200u);
    port->close();
    port->close();
    port.reset();
    EXPECT_EQ(panel.api.closes(), 1);
    EXPECT_EQ(panel.api.strayCloses(), 0);
}

TEST(FtdiChain, connectReadWriteThroughTheBridge) {
    BridgedPanel panel;
    auto port = panel.open();
    ASSERT_NE(port, nullptr);
    const ChainOutcome connected =
        runChain(*port, panel.clock, panel.sink, {}, ChainRequest::connect(0x63, false));
    EXPECT_EQ(connected.status, StepStatus::Done);
    EXPECT_EQ(connected.deviceType, 9);
    EXPECT_EQ(connected.settings.size(), 1024u);
    EXPECT_EQ(panel.clock.pauses()[0], 400);

    std::vector<int> codes(1024), settings(1024);
    for (std::size_t i = 0; i < 1024; ++i) {
        codes[i] = static_cast<int>(i % 251);
        settings[i] = static_cast<int>((i * 3) % 256);
    }
    EXPECT_EQ(runChain(*port, panel.clock, panel.sink, {}, ChainRequest::write(0x63, codes, settings)).status,
              StepStatus::Done);
    const ChainOutcome read = runChain(*port, panel.clock, panel.sink, {}, ChainRequest::read(0x63));
    EXPECT_EQ(read.codes, codes);
    EXPECT_EQ(read.settings, settings);
    EXPECT_EQ(panel.sink.codes(), (std::vector<E>{E::CheckingVersion, E::WriteDone, E::ReadDone}));
}

TEST(FtdiChain, failuresThroughTheBridge) {
    struct Case {
        const char* name;
        panelsim::SetkaFaults faults;
        std::optional<Call> failingCall;
        std::size_t silentAfter;
        ChainRequest request;
        E event;
        bool closed;
    };
    std::vector<int> image(1024, 5);
    panelsim::SetkaFaults refusedFrame;
    refusedFrame.writeCodesRefused = true;
    panelsim::SetkaFaults badSettings;
    badSettings.crcSettings = true;
    const std::size_t none = 1u << 30;
    const std::vector<Case> cases{
        // The frame is still in the bridge's buffer when the last byte is written: the status
        // comes some 2.1 s later and must still be the refusal, not a time-out.
        {"refused frame",
         refusedFrame,
         {},
         none,
         ChainRequest::write(0x63, image, image),
         E::ExchangeError,
         false},
        {"silence before the frame", {}, {}, 1, ChainRequest::read(0x63), E::TimeOut, false},
        {"request write fails", {}, Call::Write, none, ChainRequest::read(0x63), E::NotConnected, false},
        {"bad settings CRC closes the bridge",
         badSettings,
         {},
         none,
         ChainRequest::read(0x63),
         E::ExchangeError,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BridgedPanel panel(c.faults);
        panel.board.addFault({panelsim::PanelFault::Kind::SilentAfter, std::nullopt, c.silentAfter});
        auto port = panel.open();
        ASSERT_NE(port, nullptr);
        if (c.failingCall) panel.api.failNext(*c.failingCall, FT_IO_ERROR);
        const ChainOutcome out = runChain(*port, panel.clock, panel.sink, {}, c.request);
        EXPECT_EQ(out.status, StepStatus::Failed);
        EXPECT_EQ(out.event, c.event);
        EXPECT_EQ(panel.sink.count(c.event), 1u);
        EXPECT_EQ(out.portClosed, c.closed);
        EXPECT_EQ(port->isOpen(), !c.closed);
    }
}

}  // namespace
}  // namespace livna::setka
