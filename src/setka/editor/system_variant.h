#pragma once
// The three system variants of setka and what follows from them: the configuration byte sent
// with every request, the image sizes it gives, and the version codes of firmware families.
#include <cstddef>
#include <optional>

namespace livna::setka {

/// The radio system the panel runs; the number is the major number of its firmware family.
enum class SystemVariant {
    Kvm1 = 1,  ///< Ливна-КВ-М, one receiver (RPYKVM1)
    Kvm4 = 3,  ///< Ливна-КВ-М, up to four receivers (RPYKVM4)
    Kv4 = 5,   ///< Ливна-КВ, up to four receivers (RPYKV4)
};

inline constexpr int kConfigByteKvm = 0x63;  ///< 4 settings blocks + 4 codes blocks
inline constexpr int kConfigByteKv = 0x66;   ///< 4 settings blocks + 7 codes blocks

/// The configuration byte the link sends once the variant is known.
constexpr int configByte(SystemVariant variant) {
    return variant == SystemVariant::Kv4 ? kConfigByteKv : kConfigByteKvm;
}
/// Settings blocks a configuration byte asks for: bits 5..7, plus one.
constexpr int settingsBlocks(int configByte) {
    return ((configByte >> 5) & 7) + 1;
}
/// Codes blocks a configuration byte asks for: bits 0..4, plus one.
constexpr int codesBlocks(int configByte) {
    return (configByte & 31) + 1;
}

/// The major number of a firmware version code: 0 for codes up to 10, code / 10 for 11..99,
/// code / 100 for 100..254, and 2 for 255 (and anything above, which no byte holds).
constexpr int majorNumber(int versionCode) {
    if (versionCode <= 10) return 0;
    if (versionCode <= 99) return versionCode / 10;
    if (versionCode <= 254) return versionCode / 100;
    return 2;
}

/// The variant a major number names; nothing for a number no variant has.
constexpr std::optional<SystemVariant> variantOfMajor(int major) {
    switch (major) {
        case 1:
            return SystemVariant::Kvm1;
        case 3:
            return SystemVariant::Kvm4;
        case 5:
            return SystemVariant::Kv4;
        default:
            return std::nullopt;
    }
}

/// The version code the editor gives an image when no panel has named one: 18, 33 or 53.
constexpr int demoVersionCode(SystemVariant variant) {
    switch (variant) {
        case SystemVariant::Kvm1:
            return 18;
        case SystemVariant::Kvm4:
            return 33;
        case SystemVariant::Kv4:
            return 53;
    }
    return 0;
}

/// Values of a SettingsImage the editor works on, whatever the variant exchanges.
inline constexpr std::size_t kSettingsSize = 1024;
/// Values of the CodesImage the editor holds (objects of four receivers included).
inline constexpr std::size_t kHeldCodesSize = 1792;
/// Values of a gathered CodesImage; only the first 1024 or 1792 mean anything.
inline constexpr std::size_t kGatheredCodesSize = 2048;

/// The meaningful CodesImage values of a variant: 1024, or 1792 with the objects.
constexpr std::size_t codesSize(SystemVariant variant) {
    return variant == SystemVariant::Kv4 ? kHeldCodesSize : 1024;
}

}  // namespace livna::setka
