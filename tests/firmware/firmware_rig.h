#pragma once
// What the firmware tests share: made-up firmware files, and a simulated panel on an in-memory
// device that can be pulled out in the middle of a write.
#include <cstdint>
#include <optional>
#include <vector>

#include "panelsim/in_process_panel.h"
#include "panelsim/tsk_maker.h"
#include "usblink/memory_platform.h"
#include "usblink/usb_link.h"

namespace livna::test {

inline std::vector<std::uint8_t> tskFile(std::size_t packets, unsigned type = 31, unsigned version = 33) {
    panelsim::TskPlan plan;
    plan.typeCode = type;
    plan.versionCode = version;
    plan.packets = packets;
    return panelsim::makeTsk(plan);
}

/// The text an in-memory device's pipes report once it is pulled out.
inline constexpr const char* kUnpluggedText = "The device is not connected.";

/// A simulated panel ("panel-0") whose clock is the recording sleeper's, as SimulatedUsbLink, that
/// can be unplugged after a number of the PC's writes.
struct FirmwareLink {
    explicit FirmwareLink(panelsim::PanelConfig config)
        : panel(std::move(config), [this] { return sleeper.nowMs(); }), end(*this), pipes(platform, sleeper) {
        platform.addDevice("panel-0", end);
    }
    panelsim::PanelBoard& board() { return panel.board(); }
    /// The device goes after `writes` more write calls of the PC have reached the panel.
    void unplugAfterWrites(int writes) { m_unplugAfter = writes; }

    struct End : MemoryDeviceEnd {
        explicit End(FirmwareLink& link) : link(link) {}
        void fromPc(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& toPc) override {
            link.panel.fromPc(bytes, toPc);
            if (link.m_unplugAfter && --*link.m_unplugAfter == 0)
                link.platform.failIo("panel-0", PipeRole::Write, IoStatus::Closed, kUnpluggedText);
        }
        FirmwareLink& link;
    };

    MemoryUsbPlatform platform;
    RecordingSleeper sleeper;
    panelsim::InProcessPanel panel;
    End end;
    UsbPipes pipes;

private:
    std::optional<int> m_unplugAfter;
};

}  // namespace livna::test
