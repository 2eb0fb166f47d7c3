#include "panelsim/panelsim_options.h"

#include <charconv>

namespace livna::panelsim {

const char* const kPanelsimUsage =
    "usage: panelsim [--system kvm|kv] [--type N] [--version N] [--image FILE] [--save FILE]\n"
    "                [--fault KIND[:BLOCK]]... [--root DIR] [--log FILE]\n"
    "       panelsim --help\n"
    "faults: header[:B] crc[:B] read:B write:B silent:N\n";

namespace {

std::optional<int> number(const std::string& s, int lo, int hi) {
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return std::nullopt;
    return v;
}

}  // namespace

std::optional<PanelFault> parseFault(const std::string& text) {
    const auto colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    std::optional<int> arg;
    if (colon != std::string::npos) {
        arg = number(text.substr(colon + 1), 0, kind == "silent" ? 1 << 30 : static_cast<int>(kStorageBlocks) - 1);
        if (!arg) return std::nullopt;
    }
    PanelFault f;
    if (kind == "header") {
        f.kind = PanelFault::Kind::ReplyHeader;
    } else if (kind == "crc") {
        f.kind = PanelFault::Kind::ReplyCrc;
    } else if (kind == "read" || kind == "write") {
        if (!arg) return std::nullopt;
        f.kind = kind == "read" ? PanelFault::Kind::ReadFails : PanelFault::Kind::WriteRefused;
    } else if (kind == "silent") {
        if (!arg) return std::nullopt;
        f.kind = PanelFault::Kind::SilentAfter;
        f.bytes = static_cast<std::size_t>(*arg);
        return f;
    } else {
        return std::nullopt;
    }
    f.block = arg;
    return f;
}

std::optional<PanelsimOptions> parsePanelsimOptions(const std::vector<std::string>& args, std::string& error) {
    PanelsimOptions o;
    std::optional<int> type, version;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "missing value after " + a;
            return std::nullopt;
        }
        const std::string& v = args[++i];
        if (a == "--system") {
            if (v != "kvm" && v != "kv") {
                error = "--system must be kvm or kv";
                return std::nullopt;
            }
            o.config.system = v == "kv" ? PanelSystem::Kv : PanelSystem::Kvm;
        } else if (a == "--type" || a == "--version") {
            const auto n = number(v, 0, 255);
            if (!n) {
                error = a + " must be 0..255";
                return std::nullopt;
            }
            (a == "--type" ? type : version) = n;
        } else if (a == "--fault") {
            const auto f = parseFault(v);
            if (!f) {
                error = "bad fault: " + v;
                return std::nullopt;
            }
            o.config.faults.push_back(*f);
        } else if (a == "--image") {
            o.imagePath = v;
        } else if (a == "--save") {
            o.savePath = v;
        } else if (a == "--root") {
            o.root = v;
        } else if (a == "--log") {
            o.logPath = v;
        } else {
            error = "unknown option " + a;
            return std::nullopt;
        }
    }
    const PanelConfig defaults = PanelConfig::forSystem(o.config.system);
    o.config.typeCode = type ? static_cast<unsigned>(*type) : defaults.typeCode;
    o.config.versionCode = version ? static_cast<unsigned>(*version) : defaults.versionCode;
    return o;
}

}  // namespace livna::panelsim
