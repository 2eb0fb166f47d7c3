// The serial backend of LinkPort through the Windows serial-port interface: COMn is the device
// "//./COMn", which reaches COM10 and above as well as COM1 to COM9.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>

#include "setka/link/serial_port.h"
#include "usblink/win_overlapped.h"
#include "usblink/win_usb_platform.h"

namespace livna::setka {

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kBaudRate = 1200;

// The driver's own time-outs bound every call; this is the margin before the program gives up on a
// driver that does not keep them.
constexpr DWORD kDriverGraceMs = 1000;

// The line's time-outs: a one-byte read waits at most 110 ms, four bytes 410 ms.
constexpr COMMTIMEOUTS kLineTimeouts = {
    1000,  // ReadIntervalTimeout
    100,   // ReadTotalTimeoutMultiplier
    10,    // ReadTotalTimeoutConstant
    100,   // WriteTotalTimeoutMultiplier
    10,    // WriteTotalTimeoutConstant
};

IoOutcome systemFailure(DWORD error) {
    // An adapter pulled out, or a handle closed under the call.
    const bool gone = error == ERROR_BAD_COMMAND || error == ERROR_DEVICE_REMOVED ||
                      error == ERROR_INVALID_HANDLE || error == ERROR_DEVICE_NOT_CONNECTED;
    return {gone ? IoStatus::Closed : IoStatus::Failed, windowsErrorText(error)};
}

bool isDriverTimeout(DWORD error) {
    return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT || error == WAIT_TIMEOUT;
}

class WinSerialLinkPort : public LinkPort {
public:
    WinSerialLinkPort(HANDLE handle, HANDLE cancelEvent) : m_handle(handle), m_cancelEvent(cancelEvent) {}
    ~WinSerialLinkPort() override {
        close();
        CloseHandle(m_cancelEvent);
    }
    WinSerialLinkPort(const WinSerialLinkPort&) = delete;
    WinSerialLinkPort& operator=(const WinSerialLinkPort&) = delete;

    PortKind kind() const override { return PortKind::Com; }

    IoOutcome writeByte(std::uint8_t byte) override {
        return transfer(true, &byte, 1, kSerialByteTimeoutMs).first;
    }
    ByteRead readByte() override {
        ByteRead r;
        r.outcome = transfer(false, &r.value, 1, kSerialByteTimeoutMs).first;
        return r;
    }
    IoOutcome writeBlock(std::span<const std::uint8_t, 4> bytes) override {
        std::uint8_t copy[4] = {bytes[0], bytes[1], bytes[2], bytes[3]};
        return transfer(true, copy, 4, kSerialBlockTimeoutMs).first;
    }
    BlockRead readBlock(std::span<std::uint8_t, 4> bytes) override {
        BlockRead r;
        std::tie(r.outcome, r.count) = transfer(false, bytes.data(), 4, kSerialBlockTimeoutMs);
        return r;
    }
    IoOutcome purge() override {
        std::lock_guard lock(m_io);
        if (IoOutcome o = usable(); !o.ok()) return o;
        if (!PurgeComm(m_handle, PURGE_RXCLEAR | PURGE_TXCLEAR)) return systemFailure(GetLastError());
        return IoOutcome::success();
    }

    void cancel() override {
        m_cancelled = true;
        SetEvent(m_cancelEvent);
    }
    void rearm() override {
        m_cancelled = false;
        ResetEvent(m_cancelEvent);
    }
    void close() override {
        m_closed = true;
        cancel();
        // The call in flight is cancelled and returns; after that the handle is ours alone.
        std::lock_guard lock(m_io);
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
            m_handle = INVALID_HANDLE_VALUE;
        }
    }
    bool isOpen() const override { return !m_closed; }

private:
    IoOutcome usable() const {
        if (m_closed || m_handle == INVALID_HANDLE_VALUE)
            return {IoStatus::Closed, windowsErrorText(ERROR_INVALID_HANDLE)};
        if (m_cancelled) return {IoStatus::Cancelled, {}};
        return IoOutcome::success();
    }

    // Moves size bytes within limitMs: the driver's time-outs end each call, and calls are repeated
    // while bytes are missing and time is left. Returns the outcome and the bytes moved.
    std::pair<IoOutcome, std::size_t> transfer(bool write, std::uint8_t* bytes, std::size_t size,
                                               int limitMs) {
        std::lock_guard lock(m_io);
        const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        std::size_t done = 0;
        while (done < size) {
            if (IoOutcome o = usable(); !o.ok()) return {o, done};
            const OverlappedTransfer t =
                transferOverlapped(m_handle, write, bytes + done, static_cast<DWORD>(size - done),
                                   static_cast<DWORD>(limitMs) + kDriverGraceMs, m_cancelEvent);
            done += t.bytes;
            if (t.status == OverlappedTransfer::Status::Cancelled) {
                if (IoOutcome o = usable(); !o.ok()) return {o, done};
                return {{IoStatus::Cancelled, {}}, done};
            }
            // Windows completes a call whose time-outs passed with the bytes it got; wine fails it
            // with a time-out code. Either way only the time limit decides.
            if (t.status == OverlappedTransfer::Status::Failed && !isDriverTimeout(t.error))
                return {systemFailure(t.error), done};
            if (done < size && Clock::now() >= deadline) return {{IoStatus::TimedOut, {}}, done};
        }
        return {IoOutcome::success(), done};
    }

    std::mutex m_io;  // held by the one call in flight; close() takes it to release the device
    HANDLE m_handle;
    const HANDLE m_cancelEvent;  // set by cancel(): wakes the call in flight
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_closed{false};
};

// 1200 baud 8N1, binary, no flow control of any kind, every flag set rather than kept from the
// driver: a driver's XON/XOFF would eat the frames' 0x11 and 0x13 bytes. The buffer limits stay as
// the driver reports them.
bool setLine(HANDLE handle, DWORD& error) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) {
        error = GetLastError();
        return false;
    }
    dcb.BaudRate = kBaudRate;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    if (!SetCommState(handle, &dcb)) {
        error = GetLastError();
        return false;
    }
    COMMTIMEOUTS timeouts{};
    // Read first, as the driver expects a full round; all five are replaced.
    if (!GetCommTimeouts(handle, &timeouts)) {
        error = GetLastError();
        return false;
    }
    timeouts = kLineTimeouts;
    if (!SetCommTimeouts(handle, &timeouts)) {
        error = GetLastError();
        return false;
    }
    return true;
}

}  // namespace

std::string defaultComRoot() {
    return {};  // the system's own device names
}

std::string comDevicePath(const std::string&, int comNumber, std::string& error) {
    error.clear();
    return "//./COM" + std::to_string(comNumber);
}

PortOpenResult openSerialPort(const std::string& root, int comNumber, Sleeper& sleeper) {
    if (comNumber < kFirstComNumber || comNumber > kLastComNumber)
        return {nullptr, windowsErrorText(ERROR_FILE_NOT_FOUND)};
    std::string error;
    return openSerialDevice(comDevicePath(root, comNumber, error), sleeper);
}

PortOpenResult openSerialDevice(const std::string& path, Sleeper& sleeper) {
    // No sharing; overlapped, so that a call in flight can be cancelled from another thread.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {nullptr, windowsErrorText(GetLastError())};
    auto fail = [handle](DWORD error) {
        CloseHandle(handle);
        return PortOpenResult{nullptr, windowsErrorText(error)};
    };
    // A port without modem lines (a pty under wine, some adapters) refuses these; that is no reason
    // to refuse the port.
    EscapeCommFunction(handle, SETDTR);
    EscapeCommFunction(handle, SETRTS);
    DWORD error = 0;
    if (!setLine(handle, error)) return fail(error);
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    HANDLE cancelEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (cancelEvent == nullptr) return fail(GetLastError());
    auto port = std::make_unique<WinSerialLinkPort>(handle, cancelEvent);
    sleeper.sleepMs(kSerialSettleMs);
    return {std::move(port), {}};
}

}  // namespace livna::setka
