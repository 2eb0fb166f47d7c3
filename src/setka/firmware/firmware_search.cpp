#include "setka/firmware/firmware_search.h"

#include <fstream>
#include <iterator>

#include "common/tsk_file.h"

namespace livna::setka {

namespace {

constexpr std::size_t kVersionOffset = 3;
constexpr std::size_t kShortestCandidate = 6;

std::optional<std::vector<std::uint8_t>> readWhole(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return bytes;
}

}  // namespace

int firstFirmwareCandidate(SystemVariant variant) {
    return variant == SystemVariant::Kvm1 ? 55 : 9;
}

std::string firmwareFileName(SystemVariant variant, int deviceType, int n) {
    std::string name = variant == SystemVariant::Kv4 ? "640-KV" : "640-KVM";
    name += deviceType == kDeviceTypeCv ? "cv" : "v";
    name += std::to_string(static_cast<int>(variant));
    name += "_" + std::to_string(n) + ".tsk";
    return name;
}

std::optional<std::vector<int>> firmwareImageOf(std::span<const std::uint8_t> file, SystemVariant variant) {
    if (file.size() < kShortestCandidate) return std::nullopt;
    if (file[0] != kTskSignatureByte || file[1] != kTskSignatureByte) return std::nullopt;
    if (majorNumber(file[kVersionOffset]) != static_cast<int>(variant)) return std::nullopt;
    const std::size_t total = *tskCount(file) + kTskCountOverhead;
    if (file.size() < total) return std::nullopt;
    return std::vector<int>(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(total));
}

FirmwareSearch searchFirmware(const std::filesystem::path& folder, SystemVariant variant, int deviceType) {
    FirmwareSearch search;
    for (int n = firstFirmwareCandidate(variant); n >= 0; --n) {
        std::string name = firmwareFileName(variant, deviceType, n);
        search.tried.push_back(name);
        const auto bytes = readWhole(folder / name);
        if (!bytes) continue;
        if (auto image = firmwareImageOf(*bytes, variant)) {
            search.taken = std::move(name);
            search.image = std::move(*image);
            break;
        }
    }
    return search;
}

std::filesystem::path firmwareFolder(const std::filesystem::path& programDir) {
    return programDir / kFirmwareBaseFolder;
}

}  // namespace livna::setka
