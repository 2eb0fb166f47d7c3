#pragma once
// The program's link state, owned by the main window and shared with the editor it opens.
#include "setka/editor/system_variant.h"

namespace livna::setka {

/// The two ports setka reaches the panel through: a serial COM port, or USB through the
/// Ливна-470 FTDI bridge.
enum class PortKind { Com, Usb };

class LinkPorts;  // setka/link/link_ports.h

/// The program-wide link context: the main window's choices, the state of the editor it opened,
/// and the ports.
struct LinkContext {
    SystemVariant chosenVariant = SystemVariant::Kvm1;  ///< the main window's radio button
    bool demoMode = false;
    int configByte = 0;
    int versionCode = 0;  ///< the current VersionCode
    /// The version code was matched for the open editor: set by the version check when the
    /// panel's major number is the chosen variant, and by an image shown from that panel;
    /// cleared when an editor opens, so that a code left by an earlier editor picks nothing.
    bool versionMatched = false;
    int deviceType = 0;                 ///< byte 2 of the latest checked connect reply (9 or 10)
    PortKind portKind = PortKind::Usb;  ///< "COM" or "USB"
    int portNumber = 1;                 ///< COMn: PortNumber item + 1
    bool editorActive = false;          ///< an editor window is open
    bool versionCheckPending = false;   ///< the next settings read is the version check
    bool shortcutsActive = true;        ///< the main window's F1 and F2 act
    bool openFailed = false;            ///< the latest port open failed
    /// The ports and their workers; LinkPorts::shutDown() ends them when the program ends.
    LinkPorts* ports = nullptr;
};

/// The variant ApplyImage, GatherImage and GatherCodes work in: the chosen one in demo mode;
/// on-line the major number of a matched version code when it names a variant, else the
/// chosen one.
constexpr SystemVariant editorVariant(const LinkContext& context) {
    if (!context.demoMode && context.versionMatched) {
        if (auto v = variantOfMajor(majorNumber(context.versionCode))) return *v;
    }
    return context.chosenVariant;
}

/// Value 1 of the images the editor builds: the matched version code on-line, otherwise the
/// demo code of the editor's variant (18, 33 or 53).
constexpr int imageVersionCode(const LinkContext& context) {
    if (!context.demoMode && context.versionMatched && variantOfMajor(majorNumber(context.versionCode)))
        return context.versionCode;
    return demoVersionCode(editorVariant(context));
}

}  // namespace livna::setka
