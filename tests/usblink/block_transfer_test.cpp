#include "usblink/block_transfer.h"

#include <gtest/gtest.h>

#include "panelsim/in_process_panel.h"

namespace livna {
namespace {

using panelsim::PanelConfig;
using panelsim::PanelFault;
using panelsim::PanelSystem;
using panelsim::SimulatedUsbLink;

/// A panel whose block b holds b * 16 + i % 16 at offset i.
struct Link {
    Link() : link(PanelConfig::forSystem(PanelSystem::Kvm)) {
        for (std::size_t b = 0; b < 17; ++b)
            for (std::size_t i = 0; i < kBlockSize; ++i)
                link.board().block(b)[i] = static_cast<std::uint8_t>(b * 16 + i % 16);
        int count = 0;
        link.pipes.UsbCountDevices(count);
    }
    SimulatedUsbLink link;
};

constexpr auto kSome = blocksPacked(std::array<std::uint8_t, 3>{2, 14, 16});

TEST(BlockTransfer, read_putsEachBlockInItsSlot_andTellsEachStep) {
    Link l;
    SettingsImage image(3 * kBlockSize);
    std::vector<BlockStep> steps;
    const BlockTransfer r =
        readBlocks(l.link.pipes, kSome, image, [&](const BlockStep& s) { steps.push_back(s); });
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.systemText, "");
    EXPECT_EQ(image.at(0, 5), 2 * 16 + 5);
    EXPECT_EQ(image.at(1, 5), (14 * 16 + 5) % 256);
    EXPECT_EQ(image.at(2, 17), (16 * 16 + 1) % 256);
    ASSERT_EQ(steps.size(), 3u);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].index, i);
        EXPECT_EQ(steps[i].number, kSome[i].number);
        EXPECT_TRUE(steps[i].ok);
    }
}

TEST(BlockTransfer, failedBlocks_areNamed_theOthersStillTransferred) {
    struct Case {
        const char* name;
        PanelFault::Kind fault;
        bool write;
    };
    const Case cases[] = {
        {"read never answered", PanelFault::Kind::ReadFails, false},
        {"read with a bad checksum", PanelFault::Kind::ReplyCrc, false},
        {"write refused", PanelFault::Kind::WriteRefused, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Link l;
        l.link.board().addFault({c.fault, 14, 0});
        SettingsImage image(3 * kBlockSize);
        image.values().assign(image.size(), 7);
        const BlockTransfer r =
            c.write ? writeBlocks(l.link.pipes, kSome, image) : readBlocks(l.link.pipes, kSome, image);
        EXPECT_EQ(r.failed, std::vector<int>{14});
        EXPECT_EQ(r.systemText, "") << "the panel failed, not the operating system";
        if (c.write) {
            EXPECT_EQ(l.link.board().block(16)[0], 7) << "the block after the failed one is written";
        } else {
            EXPECT_EQ(image.at(1, 0), 7) << "a failed block leaves its slot";
            EXPECT_EQ(image.at(2, 0), 16 * 16 % 256) << "the block after the failed one is read";
        }
    }
}

TEST(BlockTransfer, write_sendsEachSlotToItsBlock) {
    Link l;
    SettingsImage image(kKvmImageSize);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::int32_t>(i / kBlockSize + 100);
    constexpr auto kWritten = blocksInPlace(std::array<std::uint8_t, 2>{1, 3});
    EXPECT_TRUE(writeBlocks(l.link.pipes, kWritten, image).ok());
    EXPECT_EQ(l.link.board().block(1)[9], 101);
    EXPECT_EQ(l.link.board().block(3)[9], 103);
    EXPECT_EQ(l.link.board().block(2)[9], 2 * 16 + 9) << "a block not listed is not written";
}

TEST(BlockTransfer, systemErrors_eachBlockTellsItsOwn_theResultKeepsTheFirst) {
    Link l;
    l.link.platform.failIo("panel-0", PipeRole::Write, IoStatus::Failed, "Input/output error");
    SettingsImage image(3 * kBlockSize);
    std::vector<std::string> texts;
    const BlockTransfer r =
        readBlocks(l.link.pipes, kSome, image, [&](const BlockStep& s) { texts.push_back(s.systemText); });
    EXPECT_EQ(r.failed, (std::vector<int>{2, 14, 16}));
    EXPECT_EQ(r.systemText, "Input/output error");
    EXPECT_EQ(texts, std::vector<std::string>(3, "Input/output error"));
}

}  // namespace
}  // namespace livna
