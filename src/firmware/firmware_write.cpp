#include "firmware/firmware_write.h"

#include "common/tsk_file.h"

namespace livna {

namespace {

/// The progress is worked out after every eighth byte.
constexpr std::size_t kProgressStepBytes = 8;

/// Tells progress only when the percentage moved on.
class ProgressTeller {
public:
    explicit ProgressTeller(const FirmwareProgress& progress) : m_progress(progress) {}
    void tell(int percent) {
        if (!m_progress || percent == m_last) return;
        m_last = percent;
        m_progress(percent);
    }

private:
    const FirmwareProgress& m_progress;
    int m_last = -1;
};

}  // namespace

FirmwareWriteOutcome writeFirmware(UsbPipes& pipes, std::span<const std::uint8_t> bytes,
                                   const FirmwareProgress& progress) {
    FirmwareWriteOutcome outcome;
    const std::size_t n = bytes.size();
    // Only whole packets are ever sent: anything else would leave part of the firmware behind.
    if (!tskLengthWellFormed(n)) return outcome;

    const UsbPipes::Operation operation(pipes);
    Sleeper& sleeper = pipes.sleeper();
    ProgressTeller teller(progress);
    teller.tell(0);
    auto failed = [&](FirmwareWriteResult result) {
        outcome.result = result;
        outcome.systemText = pipes.systemText();
        return outcome;
    };

    std::size_t packets = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (k < kTskHeaderSize) {
            if (!pipes.UsbWriteByte(bytes[k])) return failed(FirmwareWriteResult::WriteFailed);
        } else if ((k + 1 - kTskHeaderSize) % kTskPacketSize == 0) {
            const auto packet =
                std::span<const std::uint8_t, kPacketSize>(bytes.data() + k + 1 - kPacketSize, kPacketSize);
            if (!pipes.UsbWritePacket(packet)) return failed(FirmwareWriteResult::WriteFailed);
            if (++packets % kFirmwarePacketsPerGroup == 0) sleeper.sleepMs(kFirmwareGroupPauseMs);
        }
        if (k == n - kTskTrailerSize) {
            if (!pipes.UsbWriteByte(bytes[n - 2])) return failed(FirmwareWriteResult::WriteFailed);
            sleeper.sleepMs(kFirmwareTrailerPauseMs);
            if (!pipes.UsbWriteByte(bytes[n - 1])) return failed(FirmwareWriteResult::WriteFailed);
        }
        if ((k + 1) % kProgressStepBytes == 0) teller.tell(static_cast<int>((k + 1) * 100 / (n + 2)));
    }
    teller.tell(100);

    sleeper.sleepMs(kFirmwareReplyPauseMs);
    std::uint8_t reply[kFirmwareReplySize] = {};
    for (std::uint8_t& b : reply) {
        // A byte that did not come is no status 0: the firmware may not be in the panel.
        const std::optional<std::uint8_t> got = pipes.UsbReadByte();
        if (!got) return failed(FirmwareWriteResult::NoReply);
        b = *got;
    }
    outcome.status = reply[kFirmwareReplyStatusByte];
    outcome.result = outcome.status == 0 ? FirmwareWriteResult::Written : FirmwareWriteResult::Refused;
    outcome.systemText = pipes.systemText();
    return outcome;
}

}  // namespace livna
