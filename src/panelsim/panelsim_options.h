#pragma once
// The command line of the panelsim program:
//   panelsim [--system kvm|kv] [--type N] [--version N] [--image FILE] [--save FILE]
//            [--fault KIND[:BLOCK]]... [--root DIR] [--log FILE]
//   panelsim --help
// Fault kinds: header[:B], crc[:B], read:B, write:B, silent:N (N bytes).
#include <optional>
#include <string>
#include <vector>

#include "panelsim/panel_board.h"

namespace livna::panelsim {

struct PanelsimOptions {
    PanelConfig config;
    std::string imagePath;  ///< empty: the factory-default file of the system, if there
    std::string savePath;   ///< empty: nothing saved
    std::string root;       ///< empty: the default root
    std::string logPath;    ///< empty: no record kept
    bool help = false;      ///< --help: print the usage and do nothing else
};

/// The options, or nothing with error set. args excludes the program name.
std::optional<PanelsimOptions> parsePanelsimOptions(const std::vector<std::string>& args, std::string& error);
/// A fault as written after --fault, or nothing when malformed.
std::optional<PanelFault> parseFault(const std::string& text);

extern const char* const kPanelsimUsage;

}  // namespace livna::panelsim
