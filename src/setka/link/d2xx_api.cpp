#include "setka/link/d2xx_api.h"

#include <memory>
#include <utility>

#include "usblink/win_usb_platform.h"

namespace livna::setka {

namespace {

void* pointer(FtHandle handle) {
    // The handle is the library's own pointer, carried as a number.
    return reinterpret_cast<void*>(handle);  // NOLINT(performance-no-int-to-ptr)
}

template <typename Fn>
bool take(HMODULE module, D2xxOrdinal ordinal, Fn& fn) {
    const FARPROC proc = GetProcAddress(module, MAKEINTRESOURCEA(static_cast<WORD>(ordinal)));
    // The library's functions have the types above; GetProcAddress hands them out untyped.
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
    return proc != nullptr;
}

}  // namespace

D2xxApi::D2xxApi(std::string library) : m_library(std::move(library)) {}

D2xxApi::~D2xxApi() {
    if (m_module != nullptr) FreeLibrary(m_module);
}

bool D2xxApi::load() {
    if (m_tried) return m_module != nullptr;
    m_tried = true;
    HMODULE module = LoadLibraryA(m_library.c_str());
    if (module == nullptr) {
        m_loadError = m_library + ": " + windowsErrorText(GetLastError());
        return false;
    }
    const std::pair<D2xxOrdinal, bool> taken[] = {
        {D2xxOrdinal::Open, take(module, D2xxOrdinal::Open, m_open)},
        {D2xxOrdinal::Close, take(module, D2xxOrdinal::Close, m_close)},
        {D2xxOrdinal::Read, take(module, D2xxOrdinal::Read, m_read)},
        {D2xxOrdinal::Write, take(module, D2xxOrdinal::Write, m_write)},
        {D2xxOrdinal::ResetDevice, take(module, D2xxOrdinal::ResetDevice, m_resetDevice)},
        {D2xxOrdinal::SetBaudRate, take(module, D2xxOrdinal::SetBaudRate, m_setBaudRate)},
        {D2xxOrdinal::SetDataCharacteristics,
         take(module, D2xxOrdinal::SetDataCharacteristics, m_setDataCharacteristics)},
        {D2xxOrdinal::Purge, take(module, D2xxOrdinal::Purge, m_purge)},
        {D2xxOrdinal::SetTimeouts, take(module, D2xxOrdinal::SetTimeouts, m_setTimeouts)},
    };
    for (const auto& [ordinal, found] : taken) {
        if (!found) {
            m_loadError = m_library + ": ordinal " + std::to_string(static_cast<WORD>(ordinal)) + ": " +
                          windowsErrorText(ERROR_PROC_NOT_FOUND);
            FreeLibrary(module);
            return false;
        }
    }
    m_module = module;
    return true;
}

FtStatus D2xxApi::open(int deviceNumber, FtHandle* handle) {
    *handle = 0;
    if (!load()) return FT_DEVICE_NOT_FOUND;
    void* h = nullptr;
    const FtStatus s = m_open(deviceNumber, &h);
    *handle = reinterpret_cast<FtHandle>(h);
    return s;
}

// The calls below come only with a handle that open() gave out, so the library is loaded.

FtStatus D2xxApi::close(FtHandle handle) {
    return m_module == nullptr ? FT_DEVICE_NOT_FOUND : m_close(pointer(handle));
}

FtStatus D2xxApi::read(FtHandle handle, std::uint8_t* buffer, unsigned n, unsigned* got) {
    *got = 0;
    if (m_module == nullptr) return FT_DEVICE_NOT_FOUND;
    DWORD count = 0;
    const FtStatus s = m_read(pointer(handle), buffer, n, &count);
    *got = count;
    return s;
}

FtStatus D2xxApi::write(FtHandle handle, const std::uint8_t* buffer, unsigned n, unsigned* written) {
    *written = 0;
    if (m_module == nullptr) return FT_DEVICE_NOT_FOUND;
    DWORD count = 0;
    // FT_Write takes a plain pointer but only reads through it.
    const FtStatus s = m_write(pointer(handle), const_cast<std::uint8_t*>(buffer), n, &count);
    *written = count;
    return s;
}

FtStatus D2xxApi::resetDevice(FtHandle handle) {
    return m_module == nullptr ? FT_DEVICE_NOT_FOUND : m_resetDevice(pointer(handle));
}

FtStatus D2xxApi::setBaudRate(FtHandle handle, unsigned baud) {
    return m_module == nullptr ? FT_DEVICE_NOT_FOUND : m_setBaudRate(pointer(handle), baud);
}

FtStatus D2xxApi::setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                         std::uint8_t parity) {
    return m_module == nullptr ? FT_DEVICE_NOT_FOUND
                               : m_setDataCharacteristics(pointer(handle), wordLength, stopBits, parity);
}

FtStatus D2xxApi::purge(FtHandle handle, unsigned mask) {
    return m_module == nullptr ? FT_DEVICE_NOT_FOUND : m_purge(pointer(handle), mask);
}

FtStatus D2xxApi::setTimeouts(FtHandle handle, unsigned readMs, unsigned writeMs) {
    return m_module == nullptr ? FT_DEVICE_NOT_FOUND : m_setTimeouts(pointer(handle), readMs, writeMs);
}

std::unique_ptr<FtdiApi> makeSystemFtdiApi() {
    return std::make_unique<D2xxApi>();
}

}  // namespace livna::setka
