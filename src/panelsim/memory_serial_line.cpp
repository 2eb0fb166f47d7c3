#include "panelsim/memory_serial_line.h"

namespace livna::panelsim {

std::optional<IoOutcome> MemorySerialLine::refusal() const {
    if (m_closed) return IoOutcome{IoStatus::Closed, "closed"};
    if (m_cancelled) return IoOutcome{IoStatus::Cancelled, {}};
    return std::nullopt;
}

void MemorySerialLine::send(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) {
        m_written.push_back(b);
        if (!m_echoLeft || *m_echoLeft > 0) {
            m_toPc.push_back(b);
            if (m_echoLeft) --*m_echoLeft;
        }
        std::vector<std::uint8_t> reply;
        m_panel.receive(std::span(&b, 1), m_clock.nowMs(), reply);
        m_toPc.insert(m_toPc.end(), reply.begin(), reply.end());
    }
}

IoOutcome MemorySerialLine::writeByte(std::uint8_t byte) {
    return write(std::span(&byte, 1));
}

IoOutcome MemorySerialLine::writeBlock(std::span<const std::uint8_t, 4> bytes) {
    return write(bytes);
}

IoOutcome MemorySerialLine::write(std::span<const std::uint8_t> bytes) {
    if (auto r = refusal()) return *r;
    if (m_failWrites) return {IoStatus::Failed, "write failed"};
    send(bytes);
    return IoOutcome::success();
}

setka::ByteRead MemorySerialLine::readByte() {
    setka::ByteRead r;
    if (auto refused = refusal()) {
        r.outcome = *refused;
        return r;
    }
    if (m_toPc.empty()) {
        m_clock.advanceMs(setka::kSerialByteTimeoutMs);
        r.outcome = {IoStatus::TimedOut, {}};
        return r;
    }
    r.value = m_toPc.front();
    m_toPc.pop_front();
    return r;
}

setka::BlockRead MemorySerialLine::readBlock(std::span<std::uint8_t, 4> bytes) {
    setka::BlockRead r;
    if (auto refused = refusal()) {
        r.outcome = *refused;
        return r;
    }
    while (r.count < bytes.size() && !m_toPc.empty()) {
        bytes[r.count++] = m_toPc.front();
        m_toPc.pop_front();
    }
    if (r.count < bytes.size()) {
        m_clock.advanceMs(setka::kSerialBlockTimeoutMs);
        r.outcome = {IoStatus::TimedOut, {}};
    }
    return r;
}

IoOutcome MemorySerialLine::purge() {
    if (auto r = refusal()) return *r;
    m_purged += m_toPc.size();
    m_toPc.clear();
    return IoOutcome::success();
}

}  // namespace livna::panelsim
