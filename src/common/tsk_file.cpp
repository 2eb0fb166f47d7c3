#include "common/tsk_file.h"

#include "common/version_code.h"

namespace livna {

std::string tskTypeLabel(unsigned typeCode, unsigned versionCode) {
    if (typeCode == kTskTypeBoardD) {
        const int major = firmwareVersionParts(static_cast<int>(versionCode)).major;
        return major == kKvFirmwareMajor || major == kKvmFirmwareMajor ? "ПО для Ливна-640, плата d" : "";
    }
    if (typeCode == kTskTypeBoardM) return "ПО для Ливна-640М";
    return "ПО для прибора другого типа";
}

TskCheck checkTskFile(std::span<const std::uint8_t> bytes, std::optional<unsigned> panelType,
                      FirmwareImage& image) {
    if (bytes.size() >= 2 && (bytes[0] != kTskSignatureByte || bytes[1] != kTskSignatureByte))
        return TskCheck::BadSignature;
    if (!tskLengthWellFormed(bytes.size())) return TskCheck::BadLength;
    const unsigned type = bytes[2];
    if (panelType && (type == 0 || type != *panelType)) return TskCheck::WrongType;
    image.bytes.assign(bytes.begin(), bytes.end());
    image.typeCode = type;
    image.versionCode = bytes[3];
    return TskCheck::Ok;
}

std::optional<unsigned> tskCount(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kTskCountOffset + 2) return std::nullopt;
    return static_cast<unsigned>(bytes[kTskCountOffset] << 8 | bytes[kTskCountOffset + 1]);
}

}  // namespace livna
