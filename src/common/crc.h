#pragma once
// Checksums of the two links: CRC-16/ARC on the direct USB link, Dallas/Maxim CRC-8 on setka's
// serial protocol.
#include <cstdint>
#include <span>

namespace livna {

/// One byte into a CRC-16/ARC accumulator, bit by bit (reflected polynomial 0xA001).
std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t data);
/// CRC-16/ARC of a byte sequence (initial 0, no final XOR), bit by bit.
std::uint16_t crc16Arc(std::span<const std::uint8_t> bytes);
/// The same checksum through a 256-entry table; always equal to crc16Arc.
std::uint16_t crc16ArcTable(std::span<const std::uint8_t> bytes);

/// One byte into a Dallas/Maxim (1-Wire) CRC-8 accumulator, through its 256-entry table.
std::uint8_t crc8MaximUpdate(std::uint8_t crc, std::uint8_t data);
/// Dallas/Maxim CRC-8 of a byte sequence (initial 0, reflected polynomial 0x8C).
std::uint8_t crc8Maxim(std::span<const std::uint8_t> bytes);

}  // namespace livna
