#pragma once
// Settings text files as the simulator reads and writes them: one decimal value per line,
// line i = value i, CR LF line ends.
#include <optional>
#include <string>

#include "common/settings_image.h"

namespace livna::panelsim {

/// The values of a file, or nothing with error set (missing file, a line that is not an integer).
std::optional<SettingsImage> readValueFile(const std::string& path, std::string& error);
/// Writes the image; false with error set when the file cannot be written.
bool writeValueFile(const std::string& path, const SettingsImage& image, std::string& error);

}  // namespace livna::panelsim
