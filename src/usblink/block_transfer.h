#pragma once
// Reading and writing a list of settings blocks over the direct USB link, one exchange per block.
// A failed block does not stop the transfer: the next blocks are still read or written, and the
// caller learns which blocks failed and the first text of the operating system. What the
// installer is told about it is the window's.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "common/settings_image.h"
#include "usblink/usb_link.h"

namespace livna {

/// A panel block and where it lives in the image: block `number` of the panel is block `slot` of
/// the image.
struct BlockPlace {
    std::uint8_t number = 0;
    std::size_t slot = 0;
};

/// Each block at the slot of its own number (settings images).
template <std::size_t N>
constexpr std::array<BlockPlace, N> blocksInPlace(const std::array<std::uint8_t, N>& numbers) {
    std::array<BlockPlace, N> places{};
    for (std::size_t i = 0; i < N; ++i) places[i] = {numbers[i], numbers[i]};
    return places;
}

/// The blocks one after another in the image, in list order (registration copies).
template <std::size_t N>
constexpr std::array<BlockPlace, N> blocksPacked(const std::array<std::uint8_t, N>& numbers) {
    std::array<BlockPlace, N> places{};
    for (std::size_t i = 0; i < N; ++i) places[i] = {numbers[i], i};
    return places;
}

/// What happened to one block, told right after its exchange.
struct BlockStep {
    std::size_t index = 0;  ///< position in the block list
    std::uint8_t number = 0;
    bool ok = false;
    std::string systemText;  ///< the operating system's text of this block's exchange, if any
};
using BlockProgress = std::function<void(const BlockStep&)>;

struct BlockTransfer {
    std::vector<int> failed;  ///< numbers of the blocks that failed, in list order
    std::string systemText;   ///< the first text of the operating system, empty when none
    bool ok() const { return failed.empty(); }
};

/// Reads the listed blocks into their slots of image. A block that fails leaves its slot as it
/// was. progress (may be empty) is called after each block.
BlockTransfer readBlocks(UsbPipes& link, std::span<const BlockPlace> blocks, SettingsImage& image,
                         const BlockProgress& progress = {});
/// Writes the listed blocks from their slots of image.
BlockTransfer writeBlocks(UsbPipes& link, std::span<const BlockPlace> blocks, const SettingsImage& image,
                          const BlockProgress& progress = {});

}  // namespace livna
