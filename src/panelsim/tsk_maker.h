#pragma once
// Firmware files for the simulator and the tests: well-formed ".tsk" files of made-up data (never
// anyone's firmware), and the check the simulated loader makes of a stream built from one.
//
// A made file: 55 55, type, version, count = N - 7 high byte first (so that setka sends the whole
// file), bytes 6..7 the CRC-16/ARC of bytes 0..5 low byte first (the header reads as a command
// frame), 64·m data bytes from a seed, and the CRC-16/ARC of the data, low byte first.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace livna::panelsim {

struct TskPlan {
    unsigned typeCode = 31;
    unsigned versionCode = 33;
    std::size_t packets = 1;
    std::uint32_t seed = 1;
    std::optional<unsigned> count;  ///< the count field; none: N - 7
    std::size_t trailing = 0;       ///< bytes of the seed's data appended after the final CRC
};

/// The bytes of the file the plan describes.
std::vector<std::uint8_t> makeTsk(const TskPlan& plan);

/// Why a loader refuses a stream, or nothing when it takes it: signature, the board's type, the
/// header's CRC, the count (bytes 4..5 = length - 7) and the data's CRC in the final two bytes.
/// Served by both links of the simulator.
std::optional<std::string> checkFirmwareStream(std::span<const std::uint8_t> stream, unsigned boardType);

/// The command line "make-tsk OUT --type N --version N --packets M [--seed S] [--count L]
/// [--trailing K]" (args after "make-tsk"). Nothing, with error set, when malformed.
struct MakeTskCommand {
    std::string out;
    TskPlan plan;
};
std::optional<MakeTskCommand> parseMakeTsk(const std::vector<std::string>& args, std::string& error);

extern const char* const kMakeTskUsage;

}  // namespace livna::panelsim
