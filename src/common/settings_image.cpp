#include "settings_image.h"

#include <stdexcept>

namespace livna {

SettingsImage SettingsImage::fresh(std::size_t size, int versionCode) {
    SettingsImage image(size);
    if (size > 0) image[0] = kImageMarker;
    if (size > 1) image[1] = versionCode;
    return image;
}

SettingsBlock SettingsImage::block(std::size_t b) {
    if (b >= blockCount()) throw std::out_of_range("settings block out of range");
    return SettingsBlock(m_values.data() + b * kBlockSize, kBlockSize);
}

ConstSettingsBlock SettingsImage::block(std::size_t b) const {
    if (b >= blockCount()) throw std::out_of_range("settings block out of range");
    return ConstSettingsBlock(m_values.data() + b * kBlockSize, kBlockSize);
}

}  // namespace livna
