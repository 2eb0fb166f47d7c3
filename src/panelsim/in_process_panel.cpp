#include "panelsim/in_process_panel.h"

namespace livna::panelsim {

InProcessPanel::InProcessPanel(PanelConfig config, std::function<double()> clock, PauseCheck pauses)
    : m_board(std::move(config)),
      m_protocol(m_board, clock ? pauses : PauseCheck::None),
      m_clock(std::move(clock)) {}

void InProcessPanel::fromPc(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& toPc) {
    m_protocol.receive(bytes, m_clock ? m_clock() : 0.0, toPc);
}

SimulatedUsbLink::SimulatedUsbLink(PanelConfig config, const std::string& devicePath)
    : panel(std::move(config), [this] { return sleeper.nowMs(); }), pipes(platform, sleeper) {
    platform.addDevice(devicePath, panel);
}

}  // namespace livna::panelsim
