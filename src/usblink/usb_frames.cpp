#include "usblink/usb_frames.h"

#include "common/crc.h"

namespace livna {

CommandFrame makeFrame(std::uint8_t b2, std::uint8_t b3, std::uint8_t b4) {
    CommandFrame f = {kFrameHeaderByte, kFrameHeaderByte, b2, b3, b4, 0x00, 0, 0};
    const std::uint16_t crc = frameCrc(f);
    f[6] = crcLow(crc);
    f[7] = crcHigh(crc);
    return f;
}

CommandFrame makeIdentifyRequest(std::uint8_t command) {
    return makeFrame(command, kIdentifyArgument, 0x00);
}
CommandFrame makeReadRequest(std::uint8_t block) {
    return makeFrame(kCmdReadBlock, 0x00, block);
}
CommandFrame makeWriteRequest(std::uint8_t block) {
    return makeFrame(kCmdWriteBlock, 0x00, block);
}

std::uint16_t frameCrc(std::span<const std::uint8_t, kFrameSize> frame) {
    return crc16Arc(frame.first<6>());
}

bool frameCrcMatches(std::span<const std::uint8_t, kFrameSize> frame) {
    const std::uint16_t crc = frameCrc(frame);
    return frame[6] == crcLow(crc) && frame[7] == crcHigh(crc);
}

std::uint16_t blockCrc(std::span<const std::uint8_t, kUsbBlockSize> data) {
    std::uint16_t crc = 0;
    crc = Crc16Update(crc, kPacketHeaderByte);
    crc = Crc16Update(crc, kPacketHeaderByte);
    for (std::uint8_t b : data) crc = Crc16Update(crc, b);
    return crc;
}

BlockPacket makeBlockPacket(std::span<const std::uint8_t, kUsbBlockSize> data) {
    BlockPacket p{};
    p[0] = kPacketHeaderByte;
    p[1] = kPacketHeaderByte;
    for (std::size_t i = 0; i < kUsbBlockSize; ++i) p[2 + i] = data[i];
    const std::uint16_t crc = blockCrc(data);
    p[kBlockPacketSize - 2] = crcLow(crc);
    p[kBlockPacketSize - 1] = crcHigh(crc);
    return p;
}

BlockBytes lowBytes(std::span<const std::int32_t, kUsbBlockSize> values) {
    BlockBytes out{};
    for (std::size_t i = 0; i < kUsbBlockSize; ++i) out[i] = static_cast<std::uint8_t>(values[i] & 0xFF);
    return out;
}

}  // namespace livna
