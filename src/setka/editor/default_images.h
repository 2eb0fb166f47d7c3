#pragma once
// The factory images built into the editor, one per system variant.
#include "common/settings_image.h"
#include "setka/editor/system_variant.h"

namespace livna::setka {

inline constexpr int kFactoryEngineerPassword = 5836;
inline constexpr int kFactoryUserPassword = 857;  ///< also the administrator password of variant 5

/// Each image is the SettingsImage (1024 values) followed by the CodesImage (1024 values, or
/// 1792 for variant 5): the lines a settings file of the variant holds. Value 1 is the version
/// code the image was made for; loading it puts the current code there.
struct DefaultImages {
    SettingsImage kvm1;  ///< 2048 values
    SettingsImage kvm4;  ///< 2048 values
    SettingsImage kv4;   ///< 2816 values
    const SettingsImage& of(SystemVariant variant) const;
};

/// Built once on first use.
const DefaultImages& defaultImages();

}  // namespace livna::setka
