#include <ftdi.h>

#include <chrono>
#include <memory>
#include <thread>

#include "setka/link/ftdi_api.h"

namespace livna::setka {

std::unique_ptr<FtdiApi> makeSystemFtdiApi() {
    return std::make_unique<LibFtdiApi>();
}

namespace {

struct Device {
    ftdi_context* ftdi = nullptr;
    int readTimeoutMs = 100;
    int writeTimeoutMs = 100;
};

Device* device(FtHandle handle) {
    // The handle is an opaque number, as D2XX hands it out; here it carries the device's address.
    return reinterpret_cast<Device*>(handle);  // NOLINT(performance-no-int-to-ptr)
}

FtStatus checked(int rc) {
    return rc < 0 ? FT_IO_ERROR : FT_OK;
}

/// A pause between two empty transfers of a read, so that waiting does not spin on the bus.
constexpr int kPollPauseMs = 2;

}  // namespace

FtStatus LibFtdiApi::open(int deviceNumber, FtHandle* handle) {
    *handle = 0;
    ftdi_context* ftdi = ftdi_new();
    if (ftdi == nullptr) return FT_DEVICE_NOT_FOUND;  // no USB at all: no bridge either
    ftdi_device_list* list = nullptr;
    // Vendor and product 0: the IDs FTDI's chips come with.
    const int count = ftdi_usb_find_all(ftdi, &list, 0, 0);
    ftdi_device_list* entry = list;
    for (int i = 0; entry != nullptr && i < deviceNumber; ++i) entry = entry->next;
    FtStatus status = FT_DEVICE_NOT_FOUND;
    if (count > deviceNumber && entry != nullptr)
        status = ftdi_usb_open_dev(ftdi, entry->dev) == 0 ? FT_OK : FT_DEVICE_NOT_OPENED;
    ftdi_list_free(&list);
    if (status != FT_OK) {
        ftdi_free(ftdi);
        return status;
    }
    *handle = reinterpret_cast<FtHandle>(new Device{ftdi});
    return FT_OK;
}

FtStatus LibFtdiApi::close(FtHandle handle) {
    Device* d = device(handle);
    if (d == nullptr) return FT_INVALID_HANDLE;
    ftdi_usb_close(d->ftdi);
    ftdi_free(d->ftdi);
    delete d;
    return FT_OK;
}

FtStatus LibFtdiApi::read(FtHandle handle, std::uint8_t* buffer, unsigned n, unsigned* got) {
    *got = 0;
    Device* d = device(handle);
    if (d == nullptr) return FT_INVALID_HANDLE;
    // ftdi_read_data returns after one empty transfer; FT_Read waits for all n up to its time-out.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(d->readTimeoutMs);
    while (*got < n) {
        const int r = ftdi_read_data(d->ftdi, buffer + *got, static_cast<int>(n - *got));
        if (r < 0) return FT_IO_ERROR;
        *got += static_cast<unsigned>(r);
        if (*got == n || std::chrono::steady_clock::now() >= deadline) break;
        if (r == 0) std::this_thread::sleep_for(std::chrono::milliseconds(kPollPauseMs));
    }
    return FT_OK;
}

FtStatus LibFtdiApi::write(FtHandle handle, const std::uint8_t* buffer, unsigned n, unsigned* written) {
    *written = 0;
    Device* d = device(handle);
    if (d == nullptr) return FT_INVALID_HANDLE;
    const int r = ftdi_write_data(d->ftdi, buffer, static_cast<int>(n));
    if (r < 0) return FT_IO_ERROR;
    *written = static_cast<unsigned>(r);
    return FT_OK;
}

FtStatus LibFtdiApi::resetDevice(FtHandle handle) {
    Device* d = device(handle);
    return d == nullptr ? FT_INVALID_HANDLE : checked(ftdi_usb_reset(d->ftdi));
}

FtStatus LibFtdiApi::setBaudRate(FtHandle handle, unsigned baud) {
    Device* d = device(handle);
    return d == nullptr ? FT_INVALID_HANDLE : checked(ftdi_set_baudrate(d->ftdi, static_cast<int>(baud)));
}

FtStatus LibFtdiApi::setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                            std::uint8_t parity) {
    Device* d = device(handle);
    if (d == nullptr) return FT_INVALID_HANDLE;
    if (wordLength != FT_BITS_8 || stopBits != FT_STOP_BITS_1 || parity != FT_PARITY_NONE)
        return FT_INVALID_PARAMETER;  // the link uses 8N1 only
    return checked(ftdi_set_line_property(d->ftdi, BITS_8, STOP_BIT_1, NONE));
}

FtStatus LibFtdiApi::purge(FtHandle handle, unsigned mask) {
    Device* d = device(handle);
    if (d == nullptr) return FT_INVALID_HANDLE;
    if ((mask & (FT_PURGE_RX | FT_PURGE_TX)) == (FT_PURGE_RX | FT_PURGE_TX))
        return checked(ftdi_tcioflush(d->ftdi));
    if ((mask & FT_PURGE_RX) != 0) return checked(ftdi_tciflush(d->ftdi));
    if ((mask & FT_PURGE_TX) != 0) return checked(ftdi_tcoflush(d->ftdi));
    return FT_OK;
}

FtStatus LibFtdiApi::setTimeouts(FtHandle handle, unsigned readMs, unsigned writeMs) {
    Device* d = device(handle);
    if (d == nullptr) return FT_INVALID_HANDLE;
    d->readTimeoutMs = static_cast<int>(readMs);
    d->writeTimeoutMs = static_cast<int>(writeMs);
    d->ftdi->usb_read_timeout = static_cast<int>(readMs);
    d->ftdi->usb_write_timeout = static_cast<int>(writeMs);
    return FT_OK;
}

}  // namespace livna::setka
