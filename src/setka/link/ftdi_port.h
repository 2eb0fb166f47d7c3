#pragma once
// The FTDI backend of LinkPort: the Ливна-470 bridge through an FtdiApi.
#include "setka/link/ftdi_api.h"
#include "setka/link/link_port.h"

namespace livna::setka {

/// Opens device 0 and sets it up: 1200 baud, reset, 8N1, 100 ms time-outs. A set-up call that
/// fails closes the device again and fails the open; a device that never opened is not closed.
PortOpenResult openFtdiPort(FtdiApi& api);

}  // namespace livna::setka
