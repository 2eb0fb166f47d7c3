#pragma once
// The choice of the firmware file for a firmware change: the candidates of a system variant and a
// device type, newest number first, in the "Base" folder beside the program, and the image the
// loader is sent (the first count + 7 bytes of the file taken).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "setka/editor/system_variant.h"

namespace livna::setka {

inline constexpr int kDeviceTypeCv = 10;  ///< the connect reply's type of the "cv" panels
inline constexpr const char* kFirmwareBaseFolder = "Base";

/// The highest candidate number of a variant: 55 for the one-receiver variant, 9 otherwise.
int firstFirmwareCandidate(SystemVariant variant);

/// The candidate name for number n: "640-KVM" (variants 1, 3) or "640-KV" (variant 5), then
/// "cv" for device type 10 and "v" for any other, the variant's digit, "_", n and ".tsk".
std::string firmwareFileName(SystemVariant variant, int deviceType, int n);

/// The image a candidate's bytes give for a variant, or nothing when the file is skipped: it must
/// hold at least 6 and at least count + 7 bytes, start 55 55, and carry a version code (byte 3)
/// whose major number is the variant's.
std::optional<std::vector<int>> firmwareImageOf(std::span<const std::uint8_t> file, SystemVariant variant);

struct FirmwareSearch {
    std::vector<std::string> tried;    ///< candidate names in the order looked at
    std::optional<std::string> taken;  ///< the name of the file taken
    std::vector<int> image;            ///< its image; empty when none was taken
};

/// Looks at the candidates in folder from the highest number down to 0; the first file taken
/// ends the search.
FirmwareSearch searchFirmware(const std::filesystem::path& folder, SystemVariant variant, int deviceType);

/// The folder searched: "Base" beside the program.
std::filesystem::path firmwareFolder(const std::filesystem::path& programDir);

}  // namespace livna::setka
