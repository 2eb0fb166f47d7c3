#include "usblink/win_overlapped.h"

namespace livna {

OverlappedTransfer transferOverlapped(HANDLE handle, bool write, void* buffer, DWORD size, DWORD timeoutMs,
                                      HANDLE cancelEvent) {
    OverlappedTransfer t;
    OVERLAPPED ov{};
    ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (ov.hEvent == nullptr) {
        t.status = OverlappedTransfer::Status::Failed;
        t.error = GetLastError();
        return t;
    }
    const BOOL started =
        write ? WriteFile(handle, buffer, size, nullptr, &ov) : ReadFile(handle, buffer, size, nullptr, &ov);
    if (!started && GetLastError() != ERROR_IO_PENDING) {
        t.status = OverlappedTransfer::Status::Failed;
        t.error = GetLastError();
        CloseHandle(ov.hEvent);
        return t;
    }
    HANDLE waits[2] = {ov.hEvent, cancelEvent};
    const DWORD count = cancelEvent != nullptr ? 2 : 1;
    const DWORD woke = WaitForMultipleObjects(count, waits, FALSE, timeoutMs);
    if (woke != WAIT_OBJECT_0) {
        // Time-out or cancel: the call must have let go of the buffer before it goes out of scope.
        CancelIoEx(handle, &ov);
        t.status = woke == WAIT_OBJECT_0 + 1 ? OverlappedTransfer::Status::Cancelled
                                             : OverlappedTransfer::Status::TimedOut;
    }
    if (!GetOverlappedResult(handle, &ov, &t.bytes, TRUE)) {
        const DWORD error = GetLastError();
        if (t.status == OverlappedTransfer::Status::Done) {
            t.status = OverlappedTransfer::Status::Failed;
            t.error = error;
        }
    } else if (t.status != OverlappedTransfer::Status::Done && t.bytes == size) {
        t.status = OverlappedTransfer::Status::Done;  // it completed just before the cancel
    }
    CloseHandle(ov.hEvent);
    return t;
}

}  // namespace livna
