#pragma once
// What a settings file of setka holds: the SettingsImage followed by the CodesImage of a system
// variant, one value per line (the text format of common/settings_file.h), and how a file read
// is checked against the variant chosen in the main window.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/settings_file.h"
#include "common/settings_image.h"
#include "setka/editor/system_variant.h"

namespace livna::setka {

/// Value 0 of a saved file. The editor neither reads nor sets it; the factory images hold 170.
inline constexpr std::int32_t kFileValue0 = 170;

/// Lines of a file of a variant: the 1024 SettingsImage values the variant exchanges, then its
/// 1024 or 1792 CodesImage values (2048 or 2816 in all).
constexpr std::size_t fileLines(SystemVariant variant) {
    return kSettingsSize + codesSize(variant);
}

/// The lines that tell a file's variant: line 1 is the version code of its firmware.
inline constexpr std::size_t kFileVersionLines = 2;

/// Whether a file's line 1 (of values, at least kFileVersionLines) is the version code of the
/// expected variant's firmware; only the major number is compared.
bool fileVariantIs(SystemVariant expected, std::span<const std::int32_t> values);

/// The values a save writes from a gathered SettingsImage (1024 values) and CodesImage (2048):
/// value 0 is 170, and 6, 7, 38 and 39 are 0, which a file never carries.
std::vector<std::int32_t> settingsFileValues(SystemVariant variant, const SettingsImage& settings,
                                             const SettingsImage& codes);

/// A file's content taken apart for the editor.
struct SettingsFileContent {
    SettingsImage settings;                   ///< 1024 values; value 0 is 170, line 0 is not used
    SettingsImage codes;                      ///< 1024 or 1792 values
    std::vector<OutOfRangeValue> outOfRange;  ///< of the lines used, those outside -1..255
};

/// The content of a file read in full for the expected variant (fileLines(expected) values);
/// nothing when fileVariantIs() refuses it.
std::optional<SettingsFileContent> splitSettingsFile(SystemVariant expected, const ValuesResult& file);

}  // namespace livna::setka
