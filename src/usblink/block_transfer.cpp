#include "usblink/block_transfer.h"

namespace livna {

namespace {

template <class Exchange>
BlockTransfer transfer(UsbPipes& link, std::span<const BlockPlace> blocks, const BlockProgress& progress,
                       Exchange exchange) {
    BlockTransfer result;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        BlockStep step{i, blocks[i].number, exchange(blocks[i]) == UsbResult::Ok, link.systemText()};
        if (!step.ok) result.failed.push_back(step.number);
        if (result.systemText.empty()) result.systemText = step.systemText;
        if (progress) progress(step);
    }
    return result;
}

}  // namespace

BlockTransfer readBlocks(UsbPipes& link, std::span<const BlockPlace> blocks, SettingsImage& image,
                         const BlockProgress& progress) {
    return transfer(link, blocks, progress,
                    [&](const BlockPlace& b) { return link.UsbReadBlock(b.number, image.block(b.slot)); });
}

BlockTransfer writeBlocks(UsbPipes& link, std::span<const BlockPlace> blocks, const SettingsImage& image,
                          const BlockProgress& progress) {
    return transfer(link, blocks, progress,
                    [&](const BlockPlace& b) { return link.UsbWriteBlock(b.number, image.block(b.slot)); });
}

}  // namespace livna
