#pragma once
// The serial backend of LinkPort. On POSIX (serial_port.cpp) a terminal device: COMn is the link
// <root>/COMn when one is published there (a simulator's pty, a bridge to another machine), else
// /dev/ttyS(n-1). On Windows (win_serial_port.cpp) the device "//./COMn"; the root is not used.
// The build picks the file.
#include <string>

#include "setka/link/link_port.h"

namespace livna::setka {

/// $XDG_RUNTIME_DIR/livna-com, or /tmp/livna-com-<uid> when there is no runtime folder (POSIX);
/// empty on Windows.
std::string defaultComRoot();

/// The device COMn names: root/COMn when it exists, else /dev/ttyS(n-1). Empty, with error set,
/// when the root may not be trusted (not a folder of this user). Windows: "//./COMn".
std::string comDevicePath(const std::string& root, int comNumber, std::string& error);

/// Opens COMn without sharing (POSIX: TIOCEXCL and an exclusive flock), sets raw 8N1 at 1200 baud
/// with no flow control, raises DTR and RTS, then waits kSerialSettleMs through sleeper. A line
/// setting that does not take fails the open (Windows: the line state and the time-outs).
PortOpenResult openSerialPort(const std::string& root, int comNumber, Sleeper& sleeper);

/// The same on a device path (a pty slave in tests; "//./COMn" on Windows).
PortOpenResult openSerialDevice(const std::string& path, Sleeper& sleeper);

}  // namespace livna::setka
