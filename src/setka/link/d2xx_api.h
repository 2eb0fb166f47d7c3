#pragma once
// The Ливна-470 bridge on Windows: FTDI's D2XX library FTD2XX.DLL, loaded when the bridge is first
// opened, its nine functions taken by ordinal. A library that is missing, or lacks one of the
// ordinals, is no bridge: every call answers FT_DEVICE_NOT_FOUND and the port is not opened.
//
// Thread safety: open() loads the library; the calls after it may come from any one thread.
#include <windows.h>

#include <string>

#include "setka/link/ftdi_api.h"

namespace livna::setka {

/// The ordinals FTD2XX.DLL exports its functions under.
enum class D2xxOrdinal : WORD {
    Open = 1,
    Close = 2,
    Read = 3,
    Write = 4,
    ResetDevice = 6,
    SetBaudRate = 7,
    SetDataCharacteristics = 8,
    Purge = 16,
    SetTimeouts = 17,
};

class D2xxApi : public FtdiApi {
public:
    /// library: the file LoadLibrary looks for (the program's folder first, then the system's).
    explicit D2xxApi(std::string library = "FTD2XX.DLL");
    ~D2xxApi() override;
    D2xxApi(const D2xxApi&) = delete;
    D2xxApi& operator=(const D2xxApi&) = delete;

    /// Loads the library and takes its functions, once. False when it is not usable; loadError()
    /// then tells why.
    bool load();
    /// The library's file name and the system's text, or the missing ordinal; empty when loaded.
    const std::string& loadError() const { return m_loadError; }

    FtStatus open(int deviceNumber, FtHandle* handle) override;
    FtStatus close(FtHandle handle) override;
    FtStatus read(FtHandle handle, std::uint8_t* buffer, unsigned n, unsigned* got) override;
    FtStatus write(FtHandle handle, const std::uint8_t* buffer, unsigned n, unsigned* written) override;
    FtStatus resetDevice(FtHandle handle) override;
    FtStatus setBaudRate(FtHandle handle, unsigned baud) override;
    FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    FtStatus purge(FtHandle handle, unsigned mask) override;
    FtStatus setTimeouts(FtHandle handle, unsigned readMs, unsigned writeMs) override;

private:
    // The library's own signatures (FT_HANDLE is a pointer, FT_STATUS a ULONG); WINAPI is the
    // library's calling convention, which matters in a 32-bit program only.
    using OpenFn = ULONG(WINAPI*)(int, void**);
    using HandleFn = ULONG(WINAPI*)(void*);
    using TransferFn = ULONG(WINAPI*)(void*, void*, DWORD, DWORD*);
    using ULongFn = ULONG(WINAPI*)(void*, ULONG);
    using CharacteristicsFn = ULONG(WINAPI*)(void*, UCHAR, UCHAR, UCHAR);
    using TimeoutsFn = ULONG(WINAPI*)(void*, ULONG, ULONG);

    std::string m_library;
    HMODULE m_module = nullptr;
    bool m_tried = false;
    std::string m_loadError;
    OpenFn m_open = nullptr;
    HandleFn m_close = nullptr;
    TransferFn m_read = nullptr;
    TransferFn m_write = nullptr;
    HandleFn m_resetDevice = nullptr;
    ULongFn m_setBaudRate = nullptr;
    CharacteristicsFn m_setDataCharacteristics = nullptr;
    ULongFn m_purge = nullptr;
    TimeoutsFn m_setTimeouts = nullptr;
};

}  // namespace livna::setka
