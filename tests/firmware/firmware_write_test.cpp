// The firmware writer against the simulated loader, watched from the panel's side: what arrived in
// which pieces, the pauses the PC kept (a recording sleeper), the progress, and the failures.
#include "firmware/firmware_write.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/tsk_file.h"
#include "firmware_rig.h"

namespace livna {
namespace {

using panelsim::PanelConfig;
using panelsim::PanelFault;
using panelsim::PanelSystem;
using test::FirmwareLink;

std::vector<std::uint8_t> tsk(std::size_t packets, unsigned type = 31, unsigned version = 33) {
    return test::tskFile(packets, type, version);
}

/// A Ливна-КВ panel, connected and its loader armed.
struct LoaderRig {
    FirmwareLink link{PanelConfig::forSystem(PanelSystem::Kv)};
    LoaderRig() {
        int count = 0;
        EXPECT_TRUE(link.pipes.UsbCountDevices(count));
        DeviceInfo info;
        EXPECT_EQ(link.pipes.UsbGetDeviceInfo(kCmdIdentifyLoader, info), UsbResult::Ok);
        link.sleeper.clear();
        link.board().clearEvents();
    }
    /// The lengths of the arrivals of the firmware stream ("firmware 8+64" → 64).
    std::vector<std::size_t> arrivals() {
        std::vector<std::size_t> out;
        for (const auto& e : link.board().events())
            if (const auto plus = e.text.find('+');
                e.text.rfind("firmware ", 0) == 0 && plus != std::string::npos)
                out.push_back(std::stoul(e.text.substr(plus + 1)));
        return out;
    }
    std::string lastEvent() { return link.board().events().back().text; }
};

std::vector<std::size_t> singles(std::size_t n) {
    return std::vector<std::size_t>(n, 1);
}

TEST(FirmwareWrite, schedule_asThePanelSeesIt) {
    struct Case {
        std::size_t packets;
        std::vector<std::size_t> arrivals;
        std::vector<int> pauses;
    };
    auto header = singles(8);
    auto with = [&](std::vector<std::size_t> tail) {
        std::vector<std::size_t> all = header;
        all.insert(all.end(), tail.begin(), tail.end());
        return all;
    };
    const Case cases[] = {
        {0, with({1, 1}), {10, 25}},
        {1, with({64, 1, 1}), {10, 25}},
        {4, with({64, 64, 64, 64, 1, 1}), {10, 10, 25}},
        {5, with({64, 64, 64, 64, 64, 1, 1}), {10, 10, 25}},
        {8, with({64, 64, 64, 64, 64, 64, 64, 64, 1, 1}), {10, 10, 10, 25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("N = " + std::to_string(tskLength(c.packets)));
        LoaderRig rig;
        const FirmwareWriteOutcome outcome = writeFirmware(rig.link.pipes, tsk(c.packets));
        EXPECT_EQ(outcome.result, FirmwareWriteResult::Written);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(rig.arrivals(), c.arrivals);
        EXPECT_EQ(rig.link.sleeper.pauses(), c.pauses);
        EXPECT_EQ(rig.lastEvent(), "firmware status 0");
    }
}

TEST(FirmwareWrite, progress_everyEighthByteThenHundred) {
    LoaderRig rig;
    std::vector<int> told;
    writeFirmware(rig.link.pipes, tsk(1), [&](int p) { told.push_back(p); });
    EXPECT_EQ(told, (std::vector<int>{0, 10, 21, 31, 42, 52, 63, 73, 84, 94, 100}));
}

TEST(FirmwareWrite, progress_largestFile_toldOnlyWhenItChanges) {
    LoaderRig rig;
    std::vector<int> told;
    const auto file = tsk(kTskMaxPackets);
    ASSERT_EQ(file.size(), 65482u);
    EXPECT_TRUE(writeFirmware(rig.link.pipes, file, [&](int p) { told.push_back(p); }).ok());
    EXPECT_LE(told.size(), 101u);
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_EQ(std::adjacent_find(told.begin(), told.end()), told.end());
    EXPECT_EQ(told.back(), 100);
    EXPECT_EQ(rig.link.sleeper.totalMs(), 255 * 10 + 10 + 25);
}

TEST(FirmwareWrite, afterSuccess_theBoardRunsTheNewFirmware) {
    LoaderRig rig;
    ASSERT_TRUE(writeFirmware(rig.link.pipes, tsk(2, 31, 33)).ok());
    EXPECT_EQ(rig.link.board().versionCode(), 33u);
    EXPECT_EQ(rig.link.board().config().system, PanelSystem::Kvm);
    for (std::size_t b = 0; b < 9; ++b)
        EXPECT_TRUE(std::all_of(rig.link.board().block(b).begin(), rig.link.board().block(b).end(),
                                [](std::uint8_t v) { return v == 0xFF; }))
            << "block " << b;
}

TEST(FirmwareWrite, notWellFormed_sendsNothing) {
    for (std::size_t n : {0u, 3u, 9u, 73u, 75u}) {
        SCOPED_TRACE(n);
        LoaderRig rig;
        std::vector<std::uint8_t> bytes = tsk(1);
        bytes.resize(n, 0x55);
        EXPECT_EQ(writeFirmware(rig.link.pipes, bytes).result, FirmwareWriteResult::NotWellFormed);
        EXPECT_TRUE(rig.link.board().events().empty());
    }
}

TEST(FirmwareWrite, loaderRefuses_otherTypeBadCrcOrFault) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        bool refuseFault;
        std::string reason;
    };
    auto badCrc = tsk(2);
    badCrc[40] ^= 0x01;
    const Case cases[] = {{"type 27 on board 31", tsk(1, 27), false, "type 27 on board 31"},
                          {"data changed", badCrc, false, "data crc"},
                          {"fw-refuse", tsk(1), true, "refused (fault)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderRig rig;
        if (c.refuseFault) rig.link.board().addFault({PanelFault::Kind::FirmwareRefused, std::nullopt, 0});
        const FirmwareWriteOutcome outcome = writeFirmware(rig.link.pipes, c.file);
        EXPECT_EQ(outcome.result, FirmwareWriteResult::Refused);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(rig.lastEvent(), "firmware status 1 " + c.reason);
        EXPECT_EQ(rig.link.board().versionCode(), 52u);  // still the old firmware
    }
}

// A PC that skips a pause is refused: the loader needs it to store the data.
TEST(FirmwareWrite, loaderRefuses_aSkippedPause) {
    for (std::size_t skipped : {0u, 1u}) {  // the trailer's pause, a group's pause
        SCOPED_TRACE(skipped);
        LoaderRig rig;
        const auto file = tsk(4);
        auto& pipes = rig.link.pipes;
        for (std::size_t k = 0; k < 8; ++k) pipes.UsbWriteByte(file[k]);
        for (std::size_t p = 0; p < 4; ++p)
            pipes.UsbWritePacket(std::span<const std::uint8_t, 64>(file.data() + 8 + 64 * p, 64));
        if (skipped != 1) rig.link.sleeper.sleepMs(10);
        pipes.UsbWriteByte(file[264]);
        if (skipped != 0) rig.link.sleeper.sleepMs(10);
        pipes.UsbWriteByte(file[265]);
        EXPECT_EQ(rig.lastEvent(),
                  "firmware status 1 no pause before byte " + std::to_string(264 + 1 - skipped));
    }
}

TEST(FirmwareWrite, unarmedOrSilentLoader_failsWithinTheLinksLimits) {
    for (bool armed : {false, true}) {
        SCOPED_TRACE(armed ? "fw-silent" : "unarmed");
        LoaderRig rig;
        if (armed)
            rig.link.board().addFault({PanelFault::Kind::FirmwareSilent, std::nullopt, 0});
        else
            EXPECT_EQ(rig.link.pipes.UsbSendEnd(), UsbResult::Ok);  // the end command disarms
        const FirmwareWriteOutcome outcome = writeFirmware(rig.link.pipes, tsk(1));
        EXPECT_EQ(outcome.result, FirmwareWriteResult::NoReply);
        EXPECT_EQ(outcome.status, -1);
        EXPECT_TRUE(outcome.systemText.empty());
    }
}

TEST(FirmwareWrite, panelGoneMidWrite_stopsAtTheFirstFailedWrite) {
    LoaderRig rig;
    rig.link.unplugAfterWrites(10);  // the header and two packets
    const FirmwareWriteOutcome outcome = writeFirmware(rig.link.pipes, tsk(4));
    EXPECT_EQ(outcome.result, FirmwareWriteResult::WriteFailed);
    EXPECT_EQ(outcome.systemText, test::kUnpluggedText);
    EXPECT_TRUE(rig.link.sleeper.pauses().empty());  // no pause and no reply read after the failure
}

}  // namespace
}  // namespace livna
