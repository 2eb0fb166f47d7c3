#pragma once
// Byte sequences of the direct USB link, as pure functions: 8-byte command frames, 260-byte block
// packets and the end command. Shared by the PC side (usb_link.h) and the panel simulator.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace livna {

inline constexpr std::size_t kFrameSize = 8;
inline constexpr std::size_t kUsbBlockSize = 256;
inline constexpr std::size_t kPacketSize = 64;  ///< one data read or write call
inline constexpr std::size_t kPacketsPerBlock = kUsbBlockSize / kPacketSize;
inline constexpr std::size_t kBlockPacketSize = 2 + kUsbBlockSize + 2;  ///< AA AA, data, CRC

inline constexpr std::uint8_t kFrameHeaderByte = 0x55;
inline constexpr std::uint8_t kPacketHeaderByte = 0xAA;
inline constexpr std::uint8_t kCmdIdentify = 0xAA;        ///< identify, settings firmware
inline constexpr std::uint8_t kCmdIdentifyLoader = 0xA0;  ///< identify before a firmware write
inline constexpr std::uint8_t kCmdReadBlock = 0x93;
inline constexpr std::uint8_t kCmdWriteBlock = 0x94;
inline constexpr std::uint8_t kIdentifyArgument = 0xAA;  ///< byte 3 of an identify request
inline constexpr std::uint8_t kWriteAccepted = 0;        ///< byte 3 of a write reply

using CommandFrame = std::array<std::uint8_t, kFrameSize>;
using BlockPacket = std::array<std::uint8_t, kBlockPacketSize>;
using BlockBytes = std::array<std::uint8_t, kUsbBlockSize>;

/// The end command: four bytes, no CRC, no reply.
inline constexpr std::array<std::uint8_t, 4> kEndCommand = {0x55, 0x55, 0xA0, 0xEE};

/// 55 55 b2 b3 b4 00 and the CRC of those six bytes, low byte first.
CommandFrame makeFrame(std::uint8_t b2, std::uint8_t b3, std::uint8_t b4);
CommandFrame makeIdentifyRequest(std::uint8_t command);
CommandFrame makeReadRequest(std::uint8_t block);
CommandFrame makeWriteRequest(std::uint8_t block);

/// CRC-16/ARC of bytes 0..5 of a frame.
std::uint16_t frameCrc(std::span<const std::uint8_t, kFrameSize> frame);
/// Bytes 6 and 7 match the CRC of bytes 0..5 (low byte first).
bool frameCrcMatches(std::span<const std::uint8_t, kFrameSize> frame);

/// CRC-16/ARC over AA AA and the 256 data bytes.
std::uint16_t blockCrc(std::span<const std::uint8_t, kUsbBlockSize> data);
/// AA AA, the data, CRC low, CRC high.
BlockPacket makeBlockPacket(std::span<const std::uint8_t, kUsbBlockSize> data);
/// The low 8 bits of each value: what goes on the wire for a block of integers.
BlockBytes lowBytes(std::span<const std::int32_t, kUsbBlockSize> values);

constexpr std::uint8_t crcLow(std::uint16_t crc) {
    return static_cast<std::uint8_t>(crc & 0xFF);
}
constexpr std::uint8_t crcHigh(std::uint16_t crc) {
    return static_cast<std::uint8_t>(crc >> 8);
}

}  // namespace livna
