#include "panelsim/tsk_maker.h"

#include <charconv>

#include "common/crc.h"
#include "common/tsk_file.h"

namespace livna::panelsim {

const char* const kMakeTskUsage =
    "usage: panelsim make-tsk OUT --type N --version N --packets M [--seed S] [--count L] [--trailing K]\n";

namespace {

/// xorshift32: the same data for the same seed on every machine.
class DataStream {
public:
    explicit DataStream(std::uint32_t seed) : m_state(seed == 0 ? 0x9E3779B9u : seed) {}
    std::uint8_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<std::uint8_t>(m_state >> 24);
    }

private:
    std::uint32_t m_state;
};

void appendCrc(std::vector<std::uint8_t>& out, std::uint16_t crc) {
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
}

std::optional<long long> number(const std::string& s, long long lo, long long hi) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < lo || v > hi) return std::nullopt;
    return v;
}

}  // namespace

std::vector<std::uint8_t> makeTsk(const TskPlan& plan) {
    const std::size_t n = tskLength(plan.packets);
    const unsigned count = plan.count.value_or(static_cast<unsigned>(n - kTskCountOverhead)) & 0xFFFF;
    std::vector<std::uint8_t> out = {kTskSignatureByte,
                                     kTskSignatureByte,
                                     static_cast<std::uint8_t>(plan.typeCode),
                                     static_cast<std::uint8_t>(plan.versionCode),
                                     static_cast<std::uint8_t>(count >> 8),
                                     static_cast<std::uint8_t>(count & 0xFF)};
    appendCrc(out, crc16ArcTable(out));
    DataStream data(plan.seed);
    for (std::size_t i = 0; i < plan.packets * kTskPacketSize; ++i) out.push_back(data.next());
    appendCrc(out, crc16ArcTable(std::span(out).subspan(kTskHeaderSize)));
    for (std::size_t i = 0; i < plan.trailing; ++i) out.push_back(data.next());
    return out;
}

std::optional<std::string> checkFirmwareStream(std::span<const std::uint8_t> stream, unsigned boardType) {
    const std::size_t n = stream.size();
    if (n < kTskHeaderSize + kTskTrailerSize) return "stream of " + std::to_string(n) + " bytes";
    if (stream[0] != kTskSignatureByte || stream[1] != kTskSignatureByte) return std::string("signature");
    if (stream[2] != boardType)
        return "type " + std::to_string(stream[2]) + " on board " + std::to_string(boardType);
    const std::uint16_t header = crc16ArcTable(stream.first(6));
    if (stream[6] != (header & 0xFF) || stream[7] != (header >> 8)) return std::string("header crc");
    if (*tskCount(stream) != n - kTskCountOverhead) return "count " + std::to_string(*tskCount(stream));
    const std::uint16_t data =
        crc16ArcTable(stream.subspan(kTskHeaderSize, n - kTskHeaderSize - kTskTrailerSize));
    if (stream[n - 2] != (data & 0xFF) || stream[n - 1] != (data >> 8)) return std::string("data crc");
    return std::nullopt;
}

std::optional<MakeTskCommand> parseMakeTsk(const std::vector<std::string>& args, std::string& error) {
    MakeTskCommand c;
    bool type = false, version = false, packets = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            if (!c.out.empty()) {
                error = "more than one output file";
                return std::nullopt;
            }
            c.out = a;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "missing value after " + a;
            return std::nullopt;
        }
        const std::string& v = args[++i];
        struct Limit {
            const char* name;
            long long lo, hi;
        };
        static constexpr Limit kLimits[] = {{"--type", 0, 255},        {"--version", 0, 255},
                                            {"--packets", 0, 1 << 20}, {"--seed", 0, 0xFFFFFFFFLL},
                                            {"--count", 0, 0xFFFF},    {"--trailing", 0, 1 << 20}};
        const Limit* limit = nullptr;
        for (const Limit& l : kLimits)
            if (a == l.name) limit = &l;
        if (limit == nullptr) {
            error = "unknown option " + a;
            return std::nullopt;
        }
        const auto n = number(v, limit->lo, limit->hi);
        if (!n) {
            error = a + " must be " + std::to_string(limit->lo) + ".." + std::to_string(limit->hi);
            return std::nullopt;
        }
        if (a == "--type") {
            c.plan.typeCode = static_cast<unsigned>(*n);
            type = true;
        } else if (a == "--version") {
            c.plan.versionCode = static_cast<unsigned>(*n);
            version = true;
        } else if (a == "--packets") {
            c.plan.packets = static_cast<std::size_t>(*n);
            packets = true;
        } else if (a == "--seed") {
            c.plan.seed = static_cast<std::uint32_t>(*n);
        } else if (a == "--count") {
            c.plan.count = static_cast<unsigned>(*n);
        } else {
            c.plan.trailing = static_cast<std::size_t>(*n);
        }
    }
    if (c.out.empty() || !type || !version || !packets) {
        error = "make-tsk needs OUT, --type, --version and --packets";
        return std::nullopt;
    }
    // Without its own count the file must still say its length in 16 bits.
    if (!c.plan.count && c.plan.packets > kTskMaxPackets) {
        error = "--packets above " + std::to_string(kTskMaxPackets) + " needs --count";
        return std::nullopt;
    }
    return c;
}

}  // namespace livna::panelsim
