// The choice of the firmware file: the names looked at, which candidate is taken, and what is
// skipped, on a temporary "Base" folder filled with made files.
#include "setka/firmware/firmware_search.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "panelsim/tsk_maker.h"

namespace livna::setka {
namespace {

namespace fs = std::filesystem;

class FirmwareSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_folder = fs::temp_directory_path() / ("livna-base-" + std::to_string(rd()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void put(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(m_folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<std::uint8_t> tsk(unsigned type, unsigned version, std::size_t trailing = 0) {
        panelsim::TskPlan plan;
        plan.typeCode = type;
        plan.versionCode = version;
        plan.packets = 2;
        plan.trailing = trailing;
        return panelsim::makeTsk(plan);
    }

    fs::path m_folder;
};

TEST(FirmwareFileName, prefixDeviceLetterAndFirstNumberFollowTheVariantAndType) {
    struct Case {
        SystemVariant variant;
        int deviceType;
        const char* first;
    };
    for (const Case& c :
         {Case{SystemVariant::Kvm1, 9, "640-KVMv1_55.tsk"}, Case{SystemVariant::Kvm4, 10, "640-KVMcv3_9.tsk"},
          Case{SystemVariant::Kv4, 9, "640-KVv5_9.tsk"}, Case{SystemVariant::Kv4, 10, "640-KVcv5_9.tsk"}}) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(firmwareFileName(c.variant, c.deviceType, firstFirmwareCandidate(c.variant)), c.first);
    }
}

TEST_F(FirmwareSearchTest, emptyFolderTriesEveryNumberDownToZeroAndTakesNothing) {
    const FirmwareSearch s = searchFirmware(m_folder, SystemVariant::Kvm4, 10);
    ASSERT_EQ(s.tried.size(), 10u);
    EXPECT_EQ(s.tried.front(), "640-KVMcv3_9.tsk");
    EXPECT_EQ(s.tried.back(), "640-KVMcv3_0.tsk");
    EXPECT_FALSE(s.taken);
    EXPECT_TRUE(s.image.empty());
    EXPECT_EQ(searchFirmware(m_folder, SystemVariant::Kvm1, 9).tried.size(), 56u);
}

TEST_F(FirmwareSearchTest, aCandidateOfAnotherMajorIsPassedForTheNextNumber) {
    put("640-KVMv1_55.tsk", tsk(9, 32));
    put("640-KVMv1_40.tsk", tsk(9, 17));
    const FirmwareSearch s = searchFirmware(m_folder, SystemVariant::Kvm1, 9);
    EXPECT_EQ(s.taken, "640-KVMv1_40.tsk");
    EXPECT_EQ(s.tried.size(), 16u);  // 55 .. 40
    ASSERT_FALSE(s.image.empty());
    EXPECT_EQ(s.image[3], 17);
}

TEST_F(FirmwareSearchTest, threeDigitVersionCodesCountByHundreds) {
    put("640-KVMv1_55.tsk", tsk(9, 105));  // 1.5
    EXPECT_EQ(searchFirmware(m_folder, SystemVariant::Kvm1, 9).taken, "640-KVMv1_55.tsk");
}

TEST_F(FirmwareSearchTest, theImageIsTheCountPlusSevenBytesWhateverFollows) {
    const auto file = tsk(10, 32, 13);
    put("640-KVMcv3_7.tsk", file);
    const FirmwareSearch s = searchFirmware(m_folder, SystemVariant::Kvm4, 10);
    ASSERT_EQ(s.taken, "640-KVMcv3_7.tsk");
    const std::size_t total = (file[4] * 256u + file[5]) + 7u;
    ASSERT_EQ(s.image.size(), total);
    EXPECT_EQ(s.image.size() + 13, file.size());
    EXPECT_EQ(s.image.back(), file[total - 1]);
}

TEST_F(FirmwareSearchTest, unfitFilesAreSkippedAndNothingIsTaken) {
    auto shortFile = tsk(9, 53);
    shortFile.resize(shortFile.size() - 3);  // shorter than count + 7
    auto notTsk = tsk(9, 53);
    notTsk[1] = 0xAA;
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    for (const Case& c : {Case{"wrong major", tsk(9, 32)}, Case{"short", shortFile}, Case{"55 AA", notTsk},
                          Case{"five bytes", {0x55, 0x55, 9, 53, 0}}}) {
        SCOPED_TRACE(c.what);
        put("640-KVv5_4.tsk", c.bytes);
        const FirmwareSearch s = searchFirmware(m_folder, SystemVariant::Kv4, 9);
        EXPECT_FALSE(s.taken);
        EXPECT_EQ(s.tried.size(), 10u);
    }
    put("640-KVv5_4.tsk", tsk(9, 53));
    EXPECT_EQ(searchFirmware(m_folder, SystemVariant::Kv4, 9).taken, "640-KVv5_4.tsk");
}

}  // namespace
}  // namespace livna::setka
