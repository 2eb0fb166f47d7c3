#include "setka/link/ftdi_port.h"

#include <atomic>
#include <mutex>
#include <string>

namespace livna::setka {

namespace {

constexpr unsigned kBaudRate = 1200;

IoOutcome statusFailure(FtStatus status) {
    return {IoStatus::Failed, ftStatusText(status)};
}

class FtdiLinkPort : public LinkPort {
public:
    FtdiLinkPort(FtdiApi& api, FtHandle handle) : m_api(api), m_handle(handle) {}
    ~FtdiLinkPort() override { close(); }

    PortKind kind() const override { return PortKind::Usb; }

    IoOutcome writeByte(std::uint8_t byte) override { return write(&byte, 1); }
    IoOutcome writeBlock(std::span<const std::uint8_t, 4> bytes) override { return write(bytes.data(), 4); }
    ByteRead readByte() override {
        ByteRead r;
        unsigned got = 0;
        r.outcome = read(&r.value, 1, got);
        return r;
    }
    BlockRead readBlock(std::span<std::uint8_t, 4> bytes) override {
        BlockRead r;
        unsigned got = 0;
        r.outcome = read(bytes.data(), 4, got);
        r.count = got;
        return r;
    }
    IoOutcome purge() override {
        std::lock_guard lock(m_io);
        if (IoOutcome o = usable(); !o.ok()) return o;
        if (FtStatus s = m_api.purge(m_handle, FT_PURGE_RX | FT_PURGE_TX); s != FT_OK)
            return statusFailure(s);
        return IoOutcome::success();
    }
    // A call in flight is bounded by the bridge's 100 ms time-outs: cancel() takes effect at the
    // next call, close() once the call in flight has returned.
    void cancel() override { m_cancelled = true; }
    void rearm() override { m_cancelled = false; }
    void close() override {
        m_closed = true;
        std::lock_guard lock(m_io);
        if (m_handle != 0) {
            m_api.purge(m_handle, FT_PURGE_RX | FT_PURGE_TX);
            m_api.close(m_handle);
            m_handle = 0;
        }
    }
    bool isOpen() const override { return !m_closed; }

private:
    IoOutcome usable() const {
        if (m_closed || m_handle == 0) return {IoStatus::Closed, ftStatusText(FT_INVALID_HANDLE)};
        if (m_cancelled) return {IoStatus::Cancelled, {}};
        return IoOutcome::success();
    }
    IoOutcome write(const std::uint8_t* bytes, unsigned n) {
        std::lock_guard lock(m_io);
        if (IoOutcome o = usable(); !o.ok()) return o;
        unsigned written = 0;
        if (FtStatus s = m_api.write(m_handle, bytes, n, &written); s != FT_OK) return statusFailure(s);
        if (written < n) return {IoStatus::TimedOut, {}};
        return IoOutcome::success();
    }
    IoOutcome read(std::uint8_t* bytes, unsigned n, unsigned& got) {
        std::lock_guard lock(m_io);
        if (IoOutcome o = usable(); !o.ok()) return o;
        if (FtStatus s = m_api.read(m_handle, bytes, n, &got); s != FT_OK) return statusFailure(s);
        if (got < n) return {IoStatus::TimedOut, {}};
        return IoOutcome::success();
    }

    FtdiApi& m_api;
    std::mutex m_io;  // held by the one call in flight; close() takes it to release the device
    FtHandle m_handle;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_closed{false};
};

}  // namespace

std::string ftStatusText(FtStatus status) {
    switch (status) {
        case FT_OK:
            return "FT_OK";
        case FT_INVALID_HANDLE:
            return "FT_INVALID_HANDLE";
        case FT_DEVICE_NOT_FOUND:
            return "FT_DEVICE_NOT_FOUND";
        case FT_DEVICE_NOT_OPENED:
            return "FT_DEVICE_NOT_OPENED";
        case FT_IO_ERROR:
            return "FT_IO_ERROR";
        case FT_INVALID_PARAMETER:
            return "FT_INVALID_PARAMETER";
        default:
            return "FT_STATUS " + std::to_string(status);
    }
}

PortOpenResult openFtdiPort(FtdiApi& api) {
    FtHandle handle = 0;
    if (FtStatus s = api.open(0, &handle); s != FT_OK || handle == 0) return {nullptr, ftStatusText(s)};
    for (FtStatus s : {api.setBaudRate(handle, kBaudRate), api.resetDevice(handle),
                       api.setDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE),
                       api.setTimeouts(handle, kFtdiTimeoutMs, kFtdiTimeoutMs)}) {
        if (s != FT_OK) {
            api.close(handle);
            return {nullptr, ftStatusText(s)};
        }
    }
    return {std::make_unique<FtdiLinkPort>(api, handle), {}};
}

}  // namespace livna::setka
