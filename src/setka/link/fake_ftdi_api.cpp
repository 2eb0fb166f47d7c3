#include "setka/link/fake_ftdi_api.h"

#include <algorithm>

namespace livna::setka {

std::optional<FtStatus> FakeFtdiApi::refusal(Call call, FtHandle handle) {
    auto& next = m_failNext[static_cast<std::size_t>(call)];
    if (next) {
        const FtStatus s = *next;
        next.reset();
        return s;
    }
    if (!m_plugged) return FT_IO_ERROR;
    if (!m_open || handle != kHandle) return FT_INVALID_HANDLE;
    return std::nullopt;
}

void FakeFtdiApi::advanceTo(double ms) {
    if (ms > m_clock.nowMs()) m_clock.advanceMs(ms - m_clock.nowMs());
    deliver();
}

// Bytes that finished crossing reach the panel; its answers start back as the line allows.
void FakeFtdiApi::deliver() {
    const double now = m_clock.nowMs();
    while (!m_tx.empty() && m_tx.front().atMs <= now) {
        const Timed t = m_tx.front();
        m_tx.pop_front();
        m_sent.push_back(t.byte);
        std::vector<std::uint8_t> answer;
        if (m_peer) m_peer(std::span(&t.byte, 1), t.atMs, answer);
        for (std::uint8_t b : answer) {
            m_rxLineFree = std::max(m_rxLineFree, t.atMs) + kByteTimeMs;
            m_rx.push_back({m_rxLineFree, b});
        }
    }
}

FtStatus FakeFtdiApi::open(int deviceNumber, FtHandle* handle) {
    *handle = 0;
    auto& next = m_failNext[static_cast<std::size_t>(Call::Open)];
    if (next) {
        const FtStatus s = *next;
        next.reset();
        return s;
    }
    if (!m_plugged || deviceNumber != 0) return FT_DEVICE_NOT_FOUND;
    if (m_open) return FT_DEVICE_NOT_OPENED;
    m_open = true;
    ++m_opens;
    *handle = kHandle;
    return FT_OK;
}

FtStatus FakeFtdiApi::close(FtHandle handle) {
    ++m_closes;
    if (!m_open || handle != kHandle) {
        ++m_strayCloses;
        return FT_INVALID_HANDLE;
    }
    m_open = false;
    m_tx.clear();
    m_rx.clear();
    return FT_OK;
}

FtStatus FakeFtdiApi::read(FtHandle handle, std::uint8_t* buffer, unsigned n, unsigned* got) {
    *got = 0;
    if (auto s = refusal(Call::Read, handle)) return *s;
    const double deadline = m_clock.nowMs() + m_readTimeoutMs;
    for (;;) {
        deliver();
        while (*got < n && !m_rx.empty() && m_rx.front().atMs <= m_clock.nowMs()) {
            buffer[(*got)++] = m_rx.front().byte;
            m_rx.pop_front();
        }
        if (*got == n) return FT_OK;
        double next = deadline;
        if (!m_tx.empty()) next = std::min(next, m_tx.front().atMs);
        if (!m_rx.empty()) next = std::min(next, m_rx.front().atMs);
        if (next >= deadline) {
            advanceTo(deadline);
            return FT_OK;  // as FT_Read: a time-out is fewer bytes, not an error
        }
        advanceTo(next);
    }
}

FtStatus FakeFtdiApi::write(FtHandle handle, const std::uint8_t* buffer, unsigned n, unsigned* written) {
    *written = 0;
    if (auto s = refusal(Call::Write, handle)) return *s;
    const double deadline = m_clock.nowMs() + m_writeTimeoutMs;
    while (*written < n) {
        deliver();
        if (m_tx.size() >= kBufferBytes) {
            if (m_tx.front().atMs > deadline) {
                advanceTo(deadline);
                return FT_OK;  // the buffer stayed full: fewer bytes written
            }
            advanceTo(m_tx.front().atMs);
            continue;
        }
        m_txLineFree = std::max(m_txLineFree, m_clock.nowMs()) + kByteTimeMs;
        m_tx.push_back({m_txLineFree, buffer[(*written)++]});
    }
    return FT_OK;
}

FtStatus FakeFtdiApi::resetDevice(FtHandle handle) {
    if (auto s = refusal(Call::ResetDevice, handle)) return *s;
    return FT_OK;
}

FtStatus FakeFtdiApi::setBaudRate(FtHandle handle, unsigned baud) {
    if (auto s = refusal(Call::SetBaudRate, handle)) return *s;
    m_baud = baud;
    return FT_OK;
}

FtStatus FakeFtdiApi::setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                             std::uint8_t parity) {
    if (auto s = refusal(Call::SetDataCharacteristics, handle)) return *s;
    if (wordLength != FT_BITS_8 || stopBits != FT_STOP_BITS_1 || parity != FT_PARITY_NONE)
        return FT_INVALID_PARAMETER;
    return FT_OK;
}

FtStatus FakeFtdiApi::purge(FtHandle handle, unsigned mask) {
    if (auto s = refusal(Call::Purge, handle)) return *s;
    deliver();
    if ((mask & FT_PURGE_RX) != 0) m_rx.clear();
    if ((mask & FT_PURGE_TX) != 0) m_tx.clear();
    return FT_OK;
}

FtStatus FakeFtdiApi::setTimeouts(FtHandle handle, unsigned readMs, unsigned writeMs) {
    if (auto s = refusal(Call::SetTimeouts, handle)) return *s;
    m_readTimeoutMs = readMs;
    m_writeTimeoutMs = writeMs;
    return FT_OK;
}

}  // namespace livna::setka
