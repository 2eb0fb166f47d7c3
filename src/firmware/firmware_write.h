#pragma once
// Writing a firmware file to the panel's loader over the direct USB link, as one link operation:
// bytes 0..7 one at a time, the data in 64-byte packets with a pause after every fourth, the final
// two bytes one at a time with a pause between them, a pause, and the loader's 8-byte reply.
// Plain C++: the window shows the progress it is told, and decides what the installer sees.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "usblink/usb_link.h"

namespace livna {

// Pauses of the firmware transfer, in milliseconds.
inline constexpr int kFirmwareGroupPauseMs = 10;    ///< after every fourth packet
inline constexpr int kFirmwareTrailerPauseMs = 10;  ///< between the final two bytes
inline constexpr int kFirmwareReplyPauseMs = 25;    ///< before the reply is read
inline constexpr std::size_t kFirmwarePacketsPerGroup = 4;
inline constexpr std::size_t kFirmwareReplySize = 8;
inline constexpr std::size_t kFirmwareReplyStatusByte = 3;  ///< 0: the panel took the firmware

enum class FirmwareWriteResult {
    Written,        ///< the loader answered status 0
    NotWellFormed,  ///< the bytes are not 10 + 64·m long; nothing was sent
    WriteFailed,    ///< a byte or packet write failed; the transfer stopped there, no reply was read
    NoReply,        ///< a byte of the reply did not come
    Refused,        ///< the loader answered a non-zero status
};

struct FirmwareWriteOutcome {
    FirmwareWriteResult result = FirmwareWriteResult::NotWellFormed;
    int status = -1;         ///< the reply's status byte when one came
    std::string systemText;  ///< the first text of the operating system, empty when none
    bool ok() const { return result == FirmwareWriteResult::Written; }
};

/// Percent done: (k + 1)·100 / (N + 2) after every eighth byte k, then 100. Told only when it
/// changes, so a 64 KiB file makes at most about a hundred calls.
using FirmwareProgress = std::function<void(int percent)>;

/// Writes bytes (a well-formed firmware file) through pipes and reads the loader's reply. Pauses
/// go through the pipes' sleeper. progress may be empty.
FirmwareWriteOutcome writeFirmware(UsbPipes& pipes, std::span<const std::uint8_t> bytes,
                                   const FirmwareProgress& progress = {});

}  // namespace livna
