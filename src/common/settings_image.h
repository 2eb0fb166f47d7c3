#pragma once
// A panel's settings as a flat array of byte values held as signed 32-bit integers.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace livna {

inline constexpr std::size_t kBlockSize = 256;
inline constexpr std::size_t kKvmImageSize = 2048;  ///< Ливна-КВ-М panel, blocks 0..7
inline constexpr std::size_t kKvImageSize = 2304;   ///< Ливна-КВ panel, blocks 0..8
inline constexpr std::int32_t kImageMarker = 170;   ///< value 0 of every image the editors build
inline constexpr std::int32_t kNone = 255;          ///< absent digit, key byte or unused record slot

/// 256 consecutive values of an image; block b = values 256*b .. 256*b + 255.
using SettingsBlock = std::span<std::int32_t, kBlockSize>;
using ConstSettingsBlock = std::span<const std::int32_t, kBlockSize>;

/// Value type of N values. Sizes in use: 2048, 2304, 1024, 1792.
class SettingsImage {
public:
    SettingsImage() = default;
    /// N zeros.
    explicit SettingsImage(std::size_t size) : m_values(size, 0) {}
    explicit SettingsImage(std::vector<std::int32_t> values) : m_values(std::move(values)) {}

    /// A new image as the editors build it: zeros, value 0 = 170, value 1 = the firmware version code.
    static SettingsImage fresh(std::size_t size, int versionCode);

    std::size_t size() const { return m_values.size(); }
    std::size_t blockCount() const { return m_values.size() / kBlockSize; }

    std::int32_t& operator[](std::size_t i) { return m_values[i]; }
    std::int32_t operator[](std::size_t i) const { return m_values[i]; }
    std::int32_t& at(std::size_t i) { return m_values.at(i); }
    std::int32_t at(std::size_t i) const { return m_values.at(i); }
    std::int32_t& at(std::size_t block, std::size_t offset) { return at(block * kBlockSize + offset); }
    std::int32_t at(std::size_t block, std::size_t offset) const { return at(block * kBlockSize + offset); }

    /// View of block b; b must be below blockCount().
    SettingsBlock block(std::size_t b);
    ConstSettingsBlock block(std::size_t b) const;

    const std::vector<std::int32_t>& values() const { return m_values; }
    std::vector<std::int32_t>& values() { return m_values; }

    bool operator==(const SettingsImage&) const = default;

private:
    std::vector<std::int32_t> m_values;
};

}  // namespace livna
