#pragma once
// Linux backend of the direct USB link: the stand-in for the panel's driver. A panel is a folder
// in the root holding two FIFOs, PIPE00 (PC to panel) and PIPE01 (panel to PC), kept open by
// whoever publishes the panel (the simulator, or a bridge to a real device). The PC opens PIPE00
// write-only and non-blocking; ENXIO then means that nobody serves the folder, so it is not a
// present panel. Each pipe the PC opens is locked exclusively (flock) for as long as it is open,
// so that a second program opening the same panel is refused (InUse) instead of taking the first
// one's replies.
#include <string>

#include "usblink/usb_platform.h"

namespace livna {

/// $XDG_RUNTIME_DIR/livna-usb/{GUID}, or /tmp/livna-usb-<uid>/{GUID} when there is no runtime folder.
std::string defaultUsbRoot();

/// Checks that root is a real folder owned by this user (for the default root, its parent as well).
/// Returns an error text, or an empty string when the root may be used. A missing root is fine
/// when mayBeMissing.
std::string checkUsbRoot(const std::string& root, bool mayBeMissing);

/// Creates root and its missing parents with mode 0700, then checks it as checkUsbRoot does.
/// Returns an error text, or an empty string on success.
std::string ensureUsbRoot(const std::string& root);

/// Checks that root is a real folder owned by this user, and so is its parent when root is
/// defaultRoot (a folder of this user under a shared /tmp). Error text, or empty when it may be used.
std::string checkPrivateRoot(const std::string& root, const std::string& defaultRoot, bool mayBeMissing);
/// Creates root and its missing parents with mode 0700, then checks it as checkPrivateRoot does.
std::string ensurePrivateRoot(const std::string& root, const std::string& defaultRoot);

/// The system's message text for an errno value.
std::string systemErrorText(int errnoValue);

class FifoUsbPlatform : public UsbPlatform {
public:
    /// root: the folder holding the panel folders. Ignores SIGPIPE for the process, so that a
    /// publisher that goes away fails a write with an error instead of ending the program.
    explicit FifoUsbPlatform(std::string root);

    EnumerateResult enumerateInterfaces() override;
    PipeOpenResult openPipe(const std::string& devicePath, PipeRole role) override;

    const std::string& root() const { return m_root; }

private:
    std::string m_root;
};

}  // namespace livna
