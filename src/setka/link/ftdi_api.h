#pragma once
// The seam of the Ливна-470 bridge: the nine calls of FTDI's D2XX library the link uses, with
// its status codes. D2xxApi serves them from FTD2XX.DLL on Windows (d2xx_api.h), LibFtdiApi with
// libftdi1 elsewhere; FakeFtdiApi plays a bridge on virtual time for the tests.
#include <cstdint>
#include <memory>
#include <string>

namespace livna::setka {

using FtHandle = std::uintptr_t;  ///< 0: none
using FtStatus = unsigned long;

inline constexpr FtStatus FT_OK = 0;
inline constexpr FtStatus FT_INVALID_HANDLE = 1;
inline constexpr FtStatus FT_DEVICE_NOT_FOUND = 2;
inline constexpr FtStatus FT_DEVICE_NOT_OPENED = 3;
inline constexpr FtStatus FT_IO_ERROR = 4;
inline constexpr FtStatus FT_INVALID_PARAMETER = 6;
inline constexpr FtStatus FT_OTHER_ERROR = 18;

inline constexpr unsigned FT_PURGE_RX = 1;
inline constexpr unsigned FT_PURGE_TX = 2;
inline constexpr std::uint8_t FT_BITS_8 = 8;
inline constexpr std::uint8_t FT_STOP_BITS_1 = 0;
inline constexpr std::uint8_t FT_PARITY_NONE = 0;

/// A text for a status, for the operating-system part of a failure.
std::string ftStatusText(FtStatus status);

class FtdiApi {
public:
    virtual ~FtdiApi() = default;
    /// FT_Open: the deviceNumber-th FTDI device of the system.
    virtual FtStatus open(int deviceNumber, FtHandle* handle) = 0;
    virtual FtStatus close(FtHandle handle) = 0;
    /// FT_Read: up to n bytes, waiting at most the read time-out for all of them.
    virtual FtStatus read(FtHandle handle, std::uint8_t* buffer, unsigned n, unsigned* got) = 0;
    /// FT_Write: up to n bytes into the bridge, waiting at most the write time-out for room.
    virtual FtStatus write(FtHandle handle, const std::uint8_t* buffer, unsigned n, unsigned* written) = 0;
    virtual FtStatus resetDevice(FtHandle handle) = 0;
    virtual FtStatus setBaudRate(FtHandle handle, unsigned baud) = 0;
    virtual FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                            std::uint8_t parity) = 0;
    /// FT_Purge with FT_PURGE_RX and/or FT_PURGE_TX.
    virtual FtStatus purge(FtHandle handle, unsigned mask) = 0;
    virtual FtStatus setTimeouts(FtHandle handle, unsigned readMs, unsigned writeMs) = 0;
};

/// The bridge's library of the system the program is built for: FTD2XX.DLL on Windows, libftdi1
/// elsewhere. Each system's backend file defines it; the build picks the file.
std::unique_ptr<FtdiApi> makeSystemFtdiApi();

/// libftdi1: the first device with FTDI's standard IDs. A system without USB at all (ftdi_new
/// failing) has no bridge either.
class LibFtdiApi : public FtdiApi {
public:
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
};

}  // namespace livna::setka
