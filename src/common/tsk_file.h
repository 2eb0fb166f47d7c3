#pragma once
// Firmware files (".tsk"): the exact byte stream the PC sends to the panel's loader. Bytes 0..7 read
// like a command frame (55 55, device type, version code, a 16-bit count high byte first, two bytes
// passed through), then the firmware data in 64-byte packets, then two final bytes. The
// configurator reads only the first four bytes and the length; everything else goes to the panel
// as it stands.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace livna {

inline constexpr std::uint8_t kTskSignatureByte = 0x55;
inline constexpr std::size_t kTskHeaderSize = 8;     ///< sent one byte at a time
inline constexpr std::size_t kTskTrailerSize = 2;    ///< the final two bytes, sent one at a time
inline constexpr std::size_t kTskPacketSize = 64;    ///< one write of the firmware data
inline constexpr std::size_t kTskCountOffset = 4;    ///< high byte, then low byte
inline constexpr std::size_t kTskCountOverhead = 7;  ///< setka sends count + 7 bytes of the file
/// The largest number of packets whose count (N - 7) still fits the 16-bit field.
inline constexpr std::size_t kTskMaxPackets = 1023;

/// The length rule: N = 10 + 64·m, m >= 0. Only such a file reaches the panel whole: the writer
/// sends the data in whole packets only.
constexpr bool tskLengthWellFormed(std::size_t n) {
    return n >= kTskHeaderSize + kTskTrailerSize &&
           (n - kTskHeaderSize - kTskTrailerSize) % kTskPacketSize == 0;
}
/// N for m packets.
constexpr std::size_t tskLength(std::size_t packets) {
    return kTskHeaderSize + kTskPacketSize * packets + kTskTrailerSize;
}

/// "10 + 64·m": how the rule is told to the installer.
inline constexpr const char* kTskLengthRuleText = "10 + 64·m байт";

inline constexpr unsigned kTskTypeBoardD = 31;
inline constexpr unsigned kTskTypeBoardM = 27;

/// The row "Тип файла обновления: " for a file's device type and version codes.
std::string tskTypeLabel(unsigned typeCode, unsigned versionCode);

/// The accepted firmware file: all its bytes, header included, with its type and version codes.
struct FirmwareImage {
    std::vector<std::uint8_t> bytes;
    unsigned typeCode = 0;
    unsigned versionCode = 0;
};

enum class TskCheck {
    Ok,
    BadSignature,  ///< bytes 0 and 1 are not both 0x55
    BadLength,     ///< not 10 + 64·m bytes (a file shorter than 4 bytes included)
    WrongType,     ///< on-line: the type code is 0 or not the connected panel's
};

/// The checks of a Load, in their order: signature, length, then (panelType given: the window is
/// on-line with that panel) the type. image is set only on Ok.
TskCheck checkTskFile(std::span<const std::uint8_t> bytes, std::optional<unsigned> panelType,
                      FirmwareImage& image);

/// The 16-bit count of bytes 4..5 (high byte first); nothing for a file shorter than 6 bytes.
std::optional<unsigned> tskCount(std::span<const std::uint8_t> bytes);

}  // namespace livna
