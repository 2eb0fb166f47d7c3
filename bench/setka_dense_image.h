#pragma once
// A dense setka configuration for the benchmarks: every code and key in use (variants 1, 3) or an
// object on every loop (variant 5), own names for every partition, bindings everywhere.
#include "common/kvm_encoding.h"
#include "common/settings_image.h"

namespace livna::setka::bench {

/// The SettingsImage: the factory one with the counts, names and bindings filled.
inline SettingsImage denseSettings(const SettingsImage& factory, bool kv) {
    SettingsImage settings = factory;
    settings[9] = kv ? 32 : 96;
    settings[23] = kv ? 33 : 32;
    for (std::size_t k = 0; k < 16; ++k) {
        settings[256 + k] = 63;
        for (std::size_t c = 0; c < 8; ++c) settings[272 + 8 * k + c] = 0xA0 + static_cast<std::int32_t>(c);
    }
    for (std::size_t d = 0; d < 192; ++d) settings[64 + d] = static_cast<std::int32_t>(d % 17);
    return settings;
}

/// The held CodesImage: 32 codes with authorities, then keys or one object per РПД.
inline void fillDenseCodes(SettingsImage& codes, bool kv) {
    for (std::size_t n = 0; n < 32; ++n) {
        for (std::size_t s = 0; s < 6; ++s) codes[8 * n + s] = encodeDigit(static_cast<int>((n + s) % 9 + 1));
        codes[8 * n + 6] = static_cast<std::int32_t>(n);
        codes[8 * n + 7] = 0x80;
    }
    if (kv) {
        for (std::size_t i = 0; i < 768; ++i) {
            const int object = static_cast<int>(i / 8 * 7 % 999 + 1);
            codes[256 + 2 * i] = object & 0xFF;
            codes[257 + 2 * i] = object >> 8;
        }
    } else {
        for (std::size_t i = 256; i < 1024; ++i) codes[i] = static_cast<std::int32_t>(i * 13 % 256);
    }
}

}  // namespace livna::setka::bench
