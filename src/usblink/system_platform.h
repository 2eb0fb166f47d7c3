#pragma once
// The direct USB link's platform of the system the program is built for: the panel driver's
// pipes found through SetupAPI on Windows (win_usb_platform.h), the FIFO folders under the default
// root elsewhere (fifo_platform.h). Each system's backend file defines it; the build picks the file.
#include <memory>

#include "usblink/usb_platform.h"

namespace livna {

std::unique_ptr<UsbPlatform> makeSystemUsbPlatform();

}  // namespace livna
