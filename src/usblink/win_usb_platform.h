#pragma once
// Windows backend of the direct USB link. The panel's driver publishes a device interface of class
// kUsbInterfaceGuid; SetupAPI lists its device paths, and the two pipes are files beneath each
// path ("\PIPE00" written, "\PIPE01" read). The pipes are opened without sharing, so that a second
// program gets the sharing error (InUse) instead of taking the first one's replies. Every pipe
// operation is overlapped and bounded by its time limit (WaitForSingleObject, then CancelIoEx);
// FlushFileBuffers has no overlapped form and runs on a waiter thread that CancelSynchronousIo
// ends at the limit.
//
// Thread safety: as UsbPlatform.
#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

#include <string>

#include "common/win_system_text.h"
#include "usblink/usb_platform.h"

namespace livna {

/// The four SetupAPI calls of discovery, as a seam in front of setupapi.dll. Each reports a
/// failure as SetupAPI does: a false or invalid result and the code in GetLastError().
class SetupApi {
public:
    virtual ~SetupApi() = default;
    /// SetupDiGetClassDevsA with DIGCF_PRESENT | DIGCF_DEVICEINTERFACE.
    virtual HDEVINFO getClassDevs(const GUID& interfaceClass) = 0;
    virtual BOOL enumDeviceInterfaces(HDEVINFO set, const GUID& interfaceClass, DWORD index,
                                      SP_DEVICE_INTERFACE_DATA* data) = 0;
    virtual BOOL getDeviceInterfaceDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                          SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD detailSize,
                                          DWORD* requiredSize) = 0;
    virtual BOOL destroyDeviceInfoList(HDEVINFO set) = 0;
};

/// setupapi.dll itself.
class SystemSetupApi : public SetupApi {
public:
    HDEVINFO getClassDevs(const GUID& interfaceClass) override;
    BOOL enumDeviceInterfaces(HDEVINFO set, const GUID& interfaceClass, DWORD index,
                              SP_DEVICE_INTERFACE_DATA* data) override;
    BOOL getDeviceInterfaceDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                  SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD detailSize,
                                  DWORD* requiredSize) override;
    BOOL destroyDeviceInfoList(HDEVINFO set) override;
};

/// kUsbInterfaceGuid as a GUID.
const GUID& usbInterfaceClass();

/// The size field of an interface detail record: the size of its fixed part for this program's
/// word size (8 in a 64-bit program, 5 in a 32-bit one); any other value fails every detail call.
inline constexpr DWORD kDetailRecordSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);

class WinUsbPlatform : public UsbPlatform {
public:
    /// api must outlive the platform.
    explicit WinUsbPlatform(SetupApi& api) : m_api(api) {}

    /// The device paths in SetupAPI's order. An interface whose detail cannot be had is left out,
    /// and the first such failure's text is kept in systemText.
    EnumerateResult enumerateInterfaces() override;
    /// path + "\PIPE00" for writing or path + "\PIPE01" for reading, overlapped, without sharing.
    PipeOpenResult openPipe(const std::string& devicePath, PipeRole role) override;

private:
    SetupApi& m_api;
};

}  // namespace livna
