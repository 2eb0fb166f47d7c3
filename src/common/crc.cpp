#include "crc.h"

#include <array>

namespace livna {

std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t data) {
    for (int bit = 0; bit < 8; ++bit) {
        if (((data ^ crc) & 1U) != 0)
            crc = static_cast<std::uint16_t>((crc >> 1) ^ 0xA001U);
        else
            crc = static_cast<std::uint16_t>(crc >> 1);
        data = static_cast<std::uint8_t>(data >> 1);
    }
    return crc;
}

std::uint16_t crc16Arc(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0;
    for (std::uint8_t b : bytes) crc = Crc16Update(crc, b);
    return crc;
}

namespace {

constexpr std::array<std::uint16_t, 256> makeCrc16Table() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        auto crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1U) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001U)
                             : static_cast<std::uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> makeCrc8Table() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        auto crc = static_cast<std::uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1U) ? static_cast<std::uint8_t>((crc >> 1) ^ 0x8CU)
                             : static_cast<std::uint8_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr auto kCrc16Table = makeCrc16Table();
constexpr auto kCrc8Table = makeCrc8Table();

}  // namespace

std::uint16_t crc16ArcTable(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0;
    for (std::uint8_t b : bytes)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kCrc16Table[(crc ^ b) & 0xFFU]);
    return crc;
}

std::uint8_t crc8MaximUpdate(std::uint8_t crc, std::uint8_t data) {
    return kCrc8Table[crc ^ data];
}

std::uint8_t crc8Maxim(std::span<const std::uint8_t> bytes) {
    std::uint8_t crc = 0;
    for (std::uint8_t b : bytes) crc = crc8MaximUpdate(crc, b);
    return crc;
}

}  // namespace livna
