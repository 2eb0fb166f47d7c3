#pragma once
// In-memory devices behind the UsbPlatform seam, for tests and the in-process panel simulator.
// A device's far end answers synchronously inside the PC's write call, so a read that finds too
// few bytes can never be completed by waiting: it fails at once as a time-out.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "usblink/usb_platform.h"

namespace livna {

/// The device side of an in-memory device.
class MemoryDeviceEnd {
public:
    virtual ~MemoryDeviceEnd() = default;
    /// The bytes of one write call of the PC; the reply goes into toPc.
    virtual void fromPc(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& toPc) = 0;
};

class MemoryUsbPlatform : public UsbPlatform {
public:
    MemoryUsbPlatform();
    ~MemoryUsbPlatform() override;

    /// Adds a present device served by end, which must outlive the device's pipes.
    void addDevice(const std::string& path, MemoryDeviceEnd& end);
    /// Adds an interface that is listed but served by nobody (a folder whose publisher died).
    void addAbsentDevice(const std::string& path);
    /// Unplugs a device: it is no longer listed and its open pipes report Closed.
    void removeDevice(const std::string& path);

    /// Every later open of that pipe of path fails with the system text.
    void failOpen(const std::string& path, PipeRole role, const std::string& systemText);
    /// Every later write, read or flush on that pipe of the device fails with status and text.
    void failIo(const std::string& path, PipeRole role, IoStatus status, const std::string& systemText);
    /// Enumeration itself fails with the system text (and lists nothing).
    void failEnumeration(const std::string& systemText) { m_enumerationError = systemText; }

    /// Pipes of path currently open.
    int openPipeCount(const std::string& path) const;
    /// Bytes the device has sent that the PC has not read.
    std::size_t pendingToPc(const std::string& path) const;

    EnumerateResult enumerateInterfaces() override;
    PipeOpenResult openPipe(const std::string& devicePath, PipeRole role) override;

    struct Device;

private:
    std::vector<std::string> m_order;
    std::map<std::string, std::shared_ptr<Device>> m_devices;
    std::string m_enumerationError;
};

}  // namespace livna
