#pragma once
// The image the Ливна-КВ benchmarks show and build: the most work there is.
#include <string>

#include "kv_editor/kv_model.h"

namespace livna::bench {

/// All 32 codes in use and every one of the 768 zones assigned (object n on zone n - 1), every
/// third object off, passwords and durations set.
inline SettingsImage denseKvImage() {
    kv::Settings s;
    s.versionCode = 52;
    s.engineerPassword = "5836";
    s.administratorPassword = "857";
    s.relay2 = 2;
    s.soundDuration = 120;
    s.backlightMode = 2;
    s.backlightDuration = 120;
    s.codeCount = kv::kCodes;
    for (int k = 0; k < kv::kCodes; ++k) {
        s.codes[static_cast<std::size_t>(k)] = std::to_string(100000 + 7 * k);
        s.accCode[static_cast<std::size_t>(k)] = 100000 + 7 * k;
    }
    for (int z = 0; z < kv::kDetectors * kv::kZones; ++z) {
        const int n = z + 1;
        const int r = z / kv::kZones + 1;
        kv::ObjectEntry& object = s.objects[static_cast<std::size_t>(n) - 1];
        object.detector = r;
        object.on = n % 3 != 0;
        kv::DetectorEntry& detector = s.detectors[static_cast<std::size_t>(r) - 1];
        detector.number = r;
        detector.objects[static_cast<std::size_t>(z % kv::kZones)] = n;
    }
    return std::get<SettingsImage>(kv::encode(s));
}

}  // namespace livna::bench
