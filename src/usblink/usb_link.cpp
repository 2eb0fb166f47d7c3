#include "usblink/usb_link.h"

#include <algorithm>
#include <vector>

namespace livna {

UsbPipes::UsbPipes(UsbPlatform& platform, Sleeper& sleeper) : m_platform(platform), m_sleeper(sleeper) {}

UsbPipes::~UsbPipes() = default;

UsbPipes::Operation::Operation(UsbPipes& pipes) : m_pipes(pipes) {
    if (m_pipes.m_operationDepth++ == 0) m_pipes.m_systemText.clear();
}

UsbPipes::Operation::~Operation() {
    --m_pipes.m_operationDepth;
}

void UsbPipes::keepSystemText(const std::string& text) {
    if (m_systemText.empty()) m_systemText = text;
}

bool UsbPipes::noteOutcome(const IoOutcome& outcome) {
    if (outcome.isSystemError()) keepSystemText(outcome.systemText);
    return outcome.ok();
}

bool UsbPipes::writeBytes(std::span<const std::uint8_t> bytes, int timeoutMs) {
    if (m_write == nullptr) return false;
    return noteOutcome(m_write->write(bytes, timeoutMs));
}

bool UsbPipes::readBytes(std::span<std::uint8_t> bytes, int timeoutMs) {
    if (m_read == nullptr) return false;
    return noteOutcome(m_read->read(bytes, timeoutMs));
}

bool UsbPipes::writeFrame(std::span<const std::uint8_t> frame) {
    for (std::uint8_t b : frame)
        if (!writeBytes(std::span(&b, 1), kByteWriteTimeoutMs)) return false;
    return true;
}

// A flush that merely times out is not fatal: the reads and writes after it have limits of their own.
bool UsbPipes::flushWrite() {
    if (m_write == nullptr) return false;
    const IoOutcome o = m_write->flush(kFlushTimeoutMs);
    noteOutcome(o);
    return !o.isSystemError();
}

bool UsbPipes::drainRead() {
    if (m_read == nullptr) return false;
    const IoOutcome o = m_read->flush(kFlushTimeoutMs);
    noteOutcome(o);
    return !o.isSystemError();
}

void UsbPipes::closePipes() {
    m_write.reset();
    m_read.reset();
}

bool UsbPipes::UsbCountDevices(int& count) {
    Operation op(*this);
    // Rediscovery replaces the pipes held so far; close them first so the same panel can be
    // opened again and no handle is left behind.
    closePipes();
    m_present = false;
    m_inUse = 0;

    const EnumerateResult found = m_platform.enumerateInterfaces();
    if (!found.systemText.empty()) keepSystemText(found.systemText);

    struct Pair {
        std::unique_ptr<UsbPipe> write, read;
    };
    std::vector<Pair> opened;
    for (const std::string& path : found.devicePaths) {
        PipeOpenResult w = m_platform.openPipe(path, PipeRole::Write);
        if (w.status == PipeOpenResult::Status::NotPresent) continue;
        // A panel held by another program is counted apart: its text adds nothing to the
        // window's own message about it.
        if (w.status == PipeOpenResult::Status::InUse) {
            ++m_inUse;
            continue;
        }
        if (w.status == PipeOpenResult::Status::Failed) {
            keepSystemText(w.systemText);
            continue;
        }
        PipeOpenResult r = m_platform.openPipe(path, PipeRole::Read);
        if (r.status == PipeOpenResult::Status::NotPresent) continue;
        if (r.status == PipeOpenResult::Status::InUse) {
            ++m_inUse;
            continue;
        }
        if (r.status == PipeOpenResult::Status::Failed) {
            keepSystemText(r.systemText);
            continue;
        }
        opened.push_back({std::move(w.pipe), std::move(r.pipe)});
    }

    count = static_cast<int>(opened.size());
    if (opened.size() == 1) {
        m_write = std::move(opened.front().write);
        m_read = std::move(opened.front().read);
        m_present = flushWrite() && drainRead();
        if (!m_present) closePipes();
    }
    // With more than one panel the pairs opened here are not kept; they close with `opened`.
    return m_present;
}

UsbResult UsbPipes::UsbGetDeviceInfo(std::uint8_t command, DeviceInfo& info) {
    Operation op(*this);
    const CommandFrame request = makeIdentifyRequest(command);
    if (!flushWrite() || !drainRead()) return UsbResult::WriteFailed;
    if (!writeFrame(request)) return UsbResult::WriteFailed;
    if (!flushWrite()) return UsbResult::BadHeader;

    CommandFrame reply{};
    for (std::size_t i = 0; i < kFrameSize; ++i) {
        if (!readBytes(std::span(&reply[i], 1), kByteReadTimeoutMs))
            return i < 2 ? UsbResult::BadHeader : UsbResult::BadReply;
        if (i < 2 && reply[i] != kFrameHeaderByte) return UsbResult::BadHeader;
    }
    if (!frameCrcMatches(reply)) return UsbResult::BadReply;
    drainRead();
    info.typeCode = reply[2];
    info.versionCode = reply[3];
    // The write pipe is not flushed again: nothing has been written since the request was flushed.
    return UsbResult::Ok;
}

UsbResult UsbPipes::UsbReadBlock(std::uint8_t block, std::span<std::int32_t, kUsbBlockSize> values) {
    Operation op(*this);
    // Remains of an earlier rejected reply must not be taken for this one.
    if (!drainRead()) return UsbResult::WriteFailed;
    if (!writeFrame(makeReadRequest(block))) return UsbResult::WriteFailed;
    m_sleeper.sleepMs(kBlockRequestPauseMs);

    BlockPacket packet{};
    for (std::size_t i = 0; i < 2; ++i) {
        if (!readBytes(std::span(&packet[i], 1), kByteReadTimeoutMs)) return UsbResult::BadHeader;
        if (packet[i] != kPacketHeaderByte) return UsbResult::BadHeader;
    }
    for (std::size_t p = 0; p < kPacketsPerBlock; ++p) {
        auto chunk = std::span(packet).subspan(2 + p * kPacketSize, kPacketSize);
        if (!readBytes(chunk, kPacketReadTimeoutMs)) return UsbResult::BadReply;
    }
    for (std::size_t i = kBlockPacketSize - 2; i < kBlockPacketSize; ++i)
        if (!readBytes(std::span(&packet[i], 1), kByteReadTimeoutMs)) return UsbResult::BadReply;

    const auto data = std::span(packet).subspan<2, kUsbBlockSize>();
    const std::uint16_t crc = blockCrc(data);
    if (packet[kBlockPacketSize - 2] != crcLow(crc) || packet[kBlockPacketSize - 1] != crcHigh(crc))
        return UsbResult::BadReply;
    std::copy(data.begin(), data.end(), values.begin());
    return UsbResult::Ok;
}

UsbResult UsbPipes::UsbWriteBlock(std::uint8_t block, std::span<const std::int32_t, kUsbBlockSize> values) {
    Operation op(*this);
    if (!drainRead()) return UsbResult::WriteFailed;
    if (!writeFrame(makeWriteRequest(block))) return UsbResult::WriteFailed;
    m_sleeper.sleepMs(kBlockRequestPauseMs);

    const BlockPacket packet = makeBlockPacket(lowBytes(values));
    const auto bytes = std::span(packet);
    // A failed write in the data phase ends the exchange at once: the panel cannot have taken
    // the block, and every further byte would only wait out its own time limit.
    if (!writeFrame(bytes.first<2>())) return UsbResult::BadReply;
    for (std::size_t p = 0; p < kPacketsPerBlock; ++p) {
        if (!writeBytes(bytes.subspan(2 + p * kPacketSize, kPacketSize), kPacketWriteTimeoutMs))
            return UsbResult::BadReply;
        m_sleeper.sleepMs(kPacketPauseMs);
        if ((p + 1) % 4 == 0) m_sleeper.sleepMs(kPacketGroupPauseMs);
    }
    if (!writeFrame(bytes.subspan(kBlockPacketSize - 2, 1))) return UsbResult::BadReply;
    m_sleeper.sleepMs(kCrcBytePauseMs);
    if (!writeFrame(bytes.subspan(kBlockPacketSize - 1, 1))) return UsbResult::BadReply;
    m_sleeper.sleepMs(kWriteReplyPauseMs);

    CommandFrame reply{};
    for (std::size_t i = 0; i < kFrameSize; ++i)
        if (!readBytes(std::span(&reply[i], 1), kByteReadTimeoutMs)) return UsbResult::BadReply;
    return reply[3] == kWriteAccepted ? UsbResult::Ok : UsbResult::BadReply;
}

UsbResult UsbPipes::UsbSendEnd() {
    Operation op(*this);
    if (!flushWrite() || !drainRead()) return UsbResult::WriteFailed;
    if (!writeFrame(kEndCommand)) return UsbResult::WriteFailed;
    flushWrite();
    return UsbResult::Ok;
}

bool UsbPipes::UsbWriteByte(std::uint8_t byte) {
    Operation op(*this);
    return writeBytes(std::span(&byte, 1), kByteWriteTimeoutMs);
}

bool UsbPipes::UsbWritePacket(std::span<const std::uint8_t, kPacketSize> packet) {
    Operation op(*this);
    return writeBytes(packet, kPacketWriteTimeoutMs);
}

std::optional<std::uint8_t> UsbPipes::UsbReadByte(int timeoutMs) {
    Operation op(*this);
    std::uint8_t b = 0;
    if (!readBytes(std::span(&b, 1), timeoutMs)) return std::nullopt;
    return b;
}

std::optional<UsbPacket> UsbPipes::UsbReadPacket(int timeoutMs) {
    Operation op(*this);
    UsbPacket p{};
    if (!readBytes(p, timeoutMs)) return std::nullopt;
    return p;
}

void UsbPipes::release() {
    Operation op(*this);
    if (m_write != nullptr) flushWrite();
    if (m_read != nullptr) drainRead();
    closePipes();
    m_present = false;
}

}  // namespace livna
