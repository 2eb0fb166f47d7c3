#pragma once
// The image the Ливна-КВ-М benchmarks show and build.
#include "common/kvm_encoding.h"
#include "common/settings_image.h"

namespace livna::bench {

/// All 32 codes and 96 keys in use, relays in "Специальный", own names: the most work there is.
inline SettingsImage busyImage() {
    SettingsImage im = SettingsImage::fresh(kKvmImageSize, 0);
    for (std::size_t i = 2; i <= 5; ++i) im[i] = encodeDigit(static_cast<int>(i + 1));
    im[22] = 96;
    im[23] = 32;
    for (std::size_t i = 40; i <= 45; ++i) im[i] = encodeDigit(static_cast<int>(i - 38));
    for (std::size_t i = 64; i <= 255; ++i) im[i] = static_cast<std::int32_t>(i % 17);
    for (std::size_t k = 1; k <= 16; ++k) im[255 + k] = kOwnNameValue;
    for (std::size_t i = 272; i < 400; ++i) im[i] = 65 + static_cast<std::int32_t>(i % 26);
    im[768 + 1] = 6 + 16 * 6;
    im[768 + 18] = 6;
    im[768 + 27] = 6 + 16 * 6;
    for (std::size_t c = 0; c < 32; ++c)
        for (std::size_t i = 0; i < 8; ++i)
            im[1024 + 8 * c + i] = i < 6 ? encodeDigit(static_cast<int>(1 + (c + i) % 9)) : 0x5A;
    for (std::size_t k = 0; k < 96; ++k)
        for (std::size_t i = 0; i < 8; ++i)
            im[1280 + 8 * k + i] = static_cast<std::int32_t>((k * 13 + i * 41) % 255);
    return im;
}

}  // namespace livna::bench
