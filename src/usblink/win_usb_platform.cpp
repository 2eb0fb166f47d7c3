#include "usblink/win_usb_platform.h"

#include <chrono>
#include <cstddef>
#include <vector>

#include "usblink/system_platform.h"
#include "usblink/win_overlapped.h"

namespace livna {

namespace {

static_assert(sizeof(void*) != 8 || kDetailRecordSize == 8, "a 64-bit program's detail record size is 8");

using Clock = std::chrono::steady_clock;

// The driver gone (unplugged panel) or the serving end closed: the panel is gone, not an error of
// this program's.
bool isGone(DWORD error) {
    switch (error) {
        case ERROR_BROKEN_PIPE:
        case ERROR_PIPE_NOT_CONNECTED:
        case ERROR_NO_DATA:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_HANDLE_EOF:
            return true;
        default:
            return false;
    }
}

IoOutcome failure(DWORD error) {
    return {isGone(error) ? IoStatus::Closed : IoStatus::Failed, windowsErrorText(error)};
}

DWORD remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

constexpr DWORD kCancelRetryMs = 10;

struct FlushCall {
    HANDLE handle;
    BOOL flushed;
    DWORD error;
};

DWORD WINAPI flushOnWaiter(void* param) {
    auto* call = static_cast<FlushCall*>(param);
    call->flushed = FlushFileBuffers(call->handle);
    if (!call->flushed) call->error = GetLastError();
    return 0;
}

class WinPipe : public UsbPipe {
public:
    WinPipe(HANDLE handle, PipeRole role) : m_handle(handle), m_role(role) {}
    ~WinPipe() override { CloseHandle(m_handle); }
    WinPipe(const WinPipe&) = delete;
    WinPipe& operator=(const WinPipe&) = delete;

    IoOutcome write(std::span<const std::uint8_t> bytes, int timeoutMs) override {
        return transfer(true, const_cast<std::uint8_t*>(bytes.data()), bytes.size(), timeoutMs);
    }

    IoOutcome read(std::span<std::uint8_t> bytes, int timeoutMs) override {
        return transfer(false, bytes.data(), bytes.size(), timeoutMs);
    }

    IoOutcome flush(int timeoutMs) override {
        return m_role == PipeRole::Write ? waitUntilTaken(timeoutMs) : discardUnread();
    }

private:
    IoOutcome transfer(bool write, std::uint8_t* bytes, std::size_t size, int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t done = 0;
        while (done < size) {
            const DWORD left = remainingMs(deadline);
            if (left == 0) return {IoStatus::TimedOut, {}};
            const OverlappedTransfer t = transferOverlapped(m_handle, write, bytes + done,
                                                            static_cast<DWORD>(size - done), left, nullptr);
            done += t.bytes;
            if (t.status == OverlappedTransfer::Status::Failed) return failure(t.error);
            if (t.status == OverlappedTransfer::Status::TimedOut && done < size)
                return {IoStatus::TimedOut, {}};
            // A read that completes with nothing is the end of the stream.
            if (t.status == OverlappedTransfer::Status::Done && t.bytes == 0 && size > done)
                return failure(ERROR_HANDLE_EOF);
        }
        return IoOutcome::success();
    }

    // FlushFileBuffers blocks until the panel has taken every byte and has no overlapped form: it
    // runs on a waiter thread, which CancelSynchronousIo ends at the limit.
    IoOutcome waitUntilTaken(int timeoutMs) {
        FlushCall call{m_handle, FALSE, 0};
        HANDLE waiter = CreateThread(nullptr, 0, flushOnWaiter, &call, 0, nullptr);
        if (waiter == nullptr) return failure(GetLastError());
        const bool inTime = WaitForSingleObject(waiter, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
        // The flush may only be about to start when the limit passes: cancel until the waiter is out.
        while (!inTime && WaitForSingleObject(waiter, kCancelRetryMs) != WAIT_OBJECT_0)
            CancelSynchronousIo(waiter);
        CloseHandle(waiter);
        if (!inTime) return {IoStatus::TimedOut, {}};
        if (!call.flushed) return failure(call.error);
        return IoOutcome::success();
    }

    // The bytes the panel sent and nobody read: take whatever is there at once.
    IoOutcome discardUnread() {
        std::uint8_t sink[512];
        for (;;) {
            const OverlappedTransfer t = transferOverlapped(m_handle, false, sink, sizeof sink, 0, nullptr);
            if (t.status == OverlappedTransfer::Status::Failed) return failure(t.error);
            if (t.bytes == 0) return IoOutcome::success();
        }
    }

    HANDLE m_handle;
    PipeRole m_role;
};

}  // namespace

const GUID& usbInterfaceClass() {
    // {E6EF7DCD-1795-4A08-9FBF-AA78423C26F0}, kUsbInterfaceGuid.
    static const GUID guid = {0xE6EF7DCD, 0x1795, 0x4A08, {0x9F, 0xBF, 0xAA, 0x78, 0x42, 0x3C, 0x26, 0xF0}};
    return guid;
}

HDEVINFO SystemSetupApi::getClassDevs(const GUID& interfaceClass) {
    return SetupDiGetClassDevsA(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
}

BOOL SystemSetupApi::enumDeviceInterfaces(HDEVINFO set, const GUID& interfaceClass, DWORD index,
                                          SP_DEVICE_INTERFACE_DATA* data) {
    return SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, index, data);
}

BOOL SystemSetupApi::getDeviceInterfaceDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                              SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD detailSize,
                                              DWORD* requiredSize) {
    return SetupDiGetDeviceInterfaceDetailA(set, data, detail, detailSize, requiredSize, nullptr);
}

BOOL SystemSetupApi::destroyDeviceInfoList(HDEVINFO set) {
    return SetupDiDestroyDeviceInfoList(set);
}

EnumerateResult WinUsbPlatform::enumerateInterfaces() {
    EnumerateResult result;
    const GUID& guid = usbInterfaceClass();
    HDEVINFO set = m_api.getClassDevs(guid);
    if (set == INVALID_HANDLE_VALUE) {
        result.systemText = windowsErrorText(GetLastError());
        return result;
    }
    auto keepFailure = [&result](DWORD error) {
        if (result.systemText.empty()) result.systemText = windowsErrorText(error);
    };
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!m_api.enumDeviceInterfaces(set, guid, index, &data)) {
            // The end of the list; any other failure ends it too, and is told.
            if (const DWORD e = GetLastError(); e != ERROR_NO_MORE_ITEMS) keepFailure(e);
            break;
        }
        DWORD required = 0;
        if (!m_api.getDeviceInterfaceDetail(set, &data, nullptr, 0, &required) &&
            GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            keepFailure(GetLastError());
            continue;
        }
        if (required < kDetailRecordSize) {
            keepFailure(ERROR_INVALID_DATA);
            continue;
        }
        // DWORD-aligned storage for the record; the path follows its size field.
        std::vector<DWORD> storage((required + sizeof(DWORD) - 1) / sizeof(DWORD));
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
        detail->cbSize = kDetailRecordSize;
        if (!m_api.getDeviceInterfaceDetail(set, &data, detail, required, nullptr)) {
            keepFailure(GetLastError());
            continue;
        }
        result.devicePaths.emplace_back(detail->DevicePath);
    }
    m_api.destroyDeviceInfoList(set);
    return result;
}

PipeOpenResult WinUsbPlatform::openPipe(const std::string& devicePath, PipeRole role) {
    const bool write = role == PipeRole::Write;
    const std::string path = devicePath + "\\" + (write ? kWritePipeName : kReadPipeName);
    // No sharing: one program per panel.
    HANDLE handle = CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        switch (error) {
            case ERROR_SHARING_VIOLATION:
            case ERROR_PIPE_BUSY:
                return {PipeOpenResult::Status::InUse, nullptr, path + ": " + windowsErrorText(error)};
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_DEV_NOT_EXIST:
                return {PipeOpenResult::Status::NotPresent, nullptr, {}};
            default:
                return {PipeOpenResult::Status::Failed, nullptr, path + ": " + windowsErrorText(error)};
        }
    }
    return {PipeOpenResult::Status::Opened, std::make_unique<WinPipe>(handle, role), {}};
}

std::unique_ptr<UsbPlatform> makeSystemUsbPlatform() {
    static SystemSetupApi api;  // holds nothing of its own
    return std::make_unique<WinUsbPlatform>(api);
}

}  // namespace livna
