#pragma once
// The command line of the panelsim program:
//   panelsim [--system kvm|kv] [--type N] [--version N] [--image FILE] [--save FILE]
//            [--fault KIND[:BLOCK]]... [--root DIR] [--log FILE]
//   panelsim --help
// Fault kinds: header[:B], crc[:B], read:B, write:B, silent:N (N bytes), fw-refuse, fw-silent.
//   panelsim make-tsk OUT --type N --version N --packets M [--seed S] [--count L] [--trailing K]
// writes a made-up firmware file (tsk_maker.h).
//   panelsim --link com [--com N] [--fast] [--type 9|10] [--version N] [--fault KIND]... [--root DIR]
//            [--log FILE]
// plays a setka panel on a serial line (COM1, type 9, version 32 unless told). Fault kinds:
// silent:N, crc[:settings|codes], refuse:91..94, write:settings|codes, answer-from:K, header0,
// echo-stop:N.
#include <optional>
#include <string>
#include <vector>

#include "panelsim/panel_board.h"
#include "panelsim/setka_panel_protocol.h"

namespace livna::panelsim {

struct PanelsimOptions {
    PanelConfig config;
    std::string imagePath;  ///< empty: the factory-default file of the system, if there
    std::string savePath;   ///< empty: nothing saved
    std::string root;       ///< empty: the default root
    std::string logPath;    ///< empty: no record kept
    bool help = false;      ///< --help: print the usage and do nothing else

    enum class Link { Usb, Com };
    Link link = Link::Usb;
    int comNumber = 1;        ///< --link com: the line is published as COMn
    bool fast = false;        ///< --link com: bytes cross the line at once
    SetkaFaults setkaFaults;  ///< --link com; a silence is the board's SilentAfter fault
};

/// The options, or nothing with error set. args excludes the program name.
std::optional<PanelsimOptions> parsePanelsimOptions(const std::vector<std::string>& args, std::string& error);
/// A fault as written after --fault, or nothing when malformed.
std::optional<PanelFault> parseFault(const std::string& text);

/// A fault of the setka panel as written after --fault with --link com; false when malformed.
bool parseSetkaFault(const std::string& text, PanelConfig& config, SetkaFaults& faults);

extern const char* const kPanelsimUsage;

}  // namespace livna::panelsim
