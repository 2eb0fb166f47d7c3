#include "panelsim/panelsim_options.h"

#include <charconv>

namespace livna::panelsim {

const char* const kPanelsimUsage =
    "usage: panelsim [--system kvm|kv] [--type N] [--version N] [--image FILE] [--save FILE]\n"
    "                [--fault KIND[:BLOCK]]... [--root DIR] [--log FILE]\n"
    "faults: header[:B] crc[:B] read:B write:B silent:N fw-refuse fw-silent\n"
    "       panelsim make-tsk OUT --type N --version N --packets M [--seed S] [--count L] [--trailing K]\n"
    "       panelsim --link com [--com N] [--fast] [--type 9|10] [--version N] [--fault KIND]...\n"
    "                [--root DIR] [--log FILE]\n"
    "faults: silent:N crc[:settings|codes] refuse:91..94 write:settings|codes answer-from:K header0\n"
    "        echo-stop:N loader-silent loader-type fw-refuse fw-silent\n"
    "       panelsim --help\n";

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
        arg = number(text.substr(colon + 1), 0,
                     kind == "silent" ? 1 << 30 : static_cast<int>(kStorageBlocks) - 1);
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
    } else if ((kind == "fw-refuse" || kind == "fw-silent") && !arg) {
        f.kind = kind == "fw-refuse" ? PanelFault::Kind::FirmwareRefused : PanelFault::Kind::FirmwareSilent;
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

bool parseSetkaFault(const std::string& text, PanelConfig& config, SetkaFaults& faults) {
    const auto colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const std::string arg = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    const bool hasArg = colon != std::string::npos;
    if (kind == "silent" || kind == "echo-stop" || kind == "answer-from") {
        const auto n = number(arg, kind == "answer-from" ? 1 : 0, 1 << 30);
        if (!n) return false;
        if (kind == "silent")
            config.faults.push_back({PanelFault::Kind::SilentAfter, std::nullopt, std::size_t(*n)});
        if (kind == "echo-stop") faults.echoStop = static_cast<std::size_t>(*n);
        if (kind == "answer-from") faults.answerFrom = *n;
        return true;
    }
    if (kind == "crc" && (!hasArg || arg == "settings" || arg == "codes")) {
        faults.crcConnect = faults.crcConnect || !hasArg;
        faults.crcSettings = faults.crcSettings || arg != "codes";
        faults.crcCodes = faults.crcCodes || arg != "settings";
        return true;
    }
    if (kind == "write" && (arg == "settings" || arg == "codes")) {
        (arg == "settings" ? faults.writeSettingsRefused : faults.writeCodesRefused) = true;
        return true;
    }
    if (kind == "refuse" && (arg == "91" || arg == "92" || arg == "93" || arg == "94")) {
        faults.refused.push_back(0x90 + (arg[1] - '0'));
        return true;
    }
    if (text == "header0") {
        faults.header0 = true;
        return true;
    }
    if (text == "loader-silent" || text == "loader-type") {
        (text == "loader-silent" ? faults.loaderSilent : faults.loaderType) = true;
        return true;
    }
    if (text == "fw-refuse" || text == "fw-silent") {
        PanelFault f;
        f.kind = text == "fw-refuse" ? PanelFault::Kind::FirmwareRefused : PanelFault::Kind::FirmwareSilent;
        config.faults.push_back(f);
        return true;
    }
    return false;
}

std::optional<PanelsimOptions> parsePanelsimOptions(const std::vector<std::string>& args,
                                                    std::string& error) {
    PanelsimOptions o;
    std::optional<int> type, version;
    std::vector<std::string> faults;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (a == "--fast") {
            o.fast = true;
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
            faults.push_back(v);  // read once the link is known
        } else if (a == "--link") {
            if (v != "usb" && v != "com") {
                error = "--link must be usb or com";
                return std::nullopt;
            }
            o.link = v == "com" ? PanelsimOptions::Link::Com : PanelsimOptions::Link::Usb;
        } else if (a == "--com") {
            const auto n = number(v, 1, 10);
            if (!n) {
                error = "--com must be 1..10";
                return std::nullopt;
            }
            o.comNumber = *n;
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
    for (const std::string& v : faults) {
        bool ok = false;
        if (o.link == PanelsimOptions::Link::Com) {
            ok = parseSetkaFault(v, o.config, o.setkaFaults);
        } else if (const auto f = parseFault(v)) {
            o.config.faults.push_back(*f);
            ok = true;
        }
        if (!ok) {
            error = "bad fault: " + v;
            return std::nullopt;
        }
    }
    if (o.link == PanelsimOptions::Link::Com) {
        o.config.typeCode = static_cast<unsigned>(type.value_or(static_cast<int>(kSetkaDefaultType)));
        o.config.versionCode =
            static_cast<unsigned>(version.value_or(static_cast<int>(kSetkaDefaultVersion)));
        return o;
    }
    const PanelConfig defaults = PanelConfig::forSystem(o.config.system);
    o.config.typeCode = type ? static_cast<unsigned>(*type) : defaults.typeCode;
    o.config.versionCode = version ? static_cast<unsigned>(*version) : defaults.versionCode;
    return o;
}

}  // namespace livna::panelsim
