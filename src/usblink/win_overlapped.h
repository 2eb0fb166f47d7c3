#pragma once
// One overlapped ReadFile or WriteFile, bounded by a time limit and, optionally, by an event that
// another thread sets to cancel it. Shared by the Windows pipes and the Windows serial port.
#include <windows.h>

namespace livna {

struct OverlappedTransfer {
    enum class Status {
        Done,       ///< the call completed; bytes may be fewer than asked (a serial time-out)
        TimedOut,   ///< the limit passed; the call was cancelled and bytes hold what it had moved
        Cancelled,  ///< cancelEvent was set; the call was cancelled
        Failed,     ///< the system refused or failed the call: error
    };
    Status status = Status::Done;
    DWORD bytes = 0;
    DWORD error = 0;
};

/// Reads (write = false) into buffer or writes from it, on a handle opened FILE_FLAG_OVERLAPPED.
/// Returns only once the system has let go of buffer. cancelEvent may be null.
OverlappedTransfer transferOverlapped(HANDLE handle, bool write, void* buffer, DWORD size, DWORD timeoutMs,
                                      HANDLE cancelEvent);

}  // namespace livna
