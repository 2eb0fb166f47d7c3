#pragma once
// A simulated panel inside the test process, on an in-memory device of MemoryUsbPlatform.
//
//     livna::panelsim::SimulatedUsbLink link;            // Ливна-КВ-М, type 31, version 32
//     link.board().loadImage(image);
//     int count = 0;
//     link.pipes.UsbCountDevices(count);                 // true, count 1
//     link.pipes.UsbReadBlock(0, values);
//     link.sleeper.pauses();                             // the pauses the PC kept, not waited for
#include <functional>
#include <string>
#include <vector>

#include "panelsim/panel_board.h"
#include "panelsim/panel_protocol.h"
#include "usblink/memory_platform.h"
#include "usblink/usb_link.h"

namespace livna::panelsim {

/// A board speaking the direct USB protocol as the far end of an in-memory device.
class InProcessPanel : public MemoryDeviceEnd {
public:
    /// clock gives the arrival time of each write in ms (none: every arrival at time 0, and the
    /// pauses of a firmware stream go unchecked). pauses: how the loader judges them on that clock.
    explicit InProcessPanel(PanelConfig config, std::function<double()> clock = {},
                            PauseCheck pauses = PauseCheck::EachPause);

    PanelBoard& board() { return m_board; }
    const PanelBoard& board() const { return m_board; }

    void fromPc(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& toPc) override;

private:
    PanelBoard m_board;
    UsbPanelProtocol m_protocol;
    std::function<double()> m_clock;
};

/// Everything a test needs for the link against one simulated panel: the platform, a recording
/// sleeper whose virtual time stamps the panel's record, the panel and the link object.
struct SimulatedUsbLink {
    explicit SimulatedUsbLink(PanelConfig config = {}, const std::string& devicePath = "panel-0");

    PanelBoard& board() { return panel.board(); }

    MemoryUsbPlatform platform;
    RecordingSleeper sleeper;
    InProcessPanel panel;
    UsbPipes pipes;
};

}  // namespace livna::panelsim
