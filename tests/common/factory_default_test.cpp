// The factory-default file shipped in "Conf" must describe the panel's usual factory state and
// hold only values that the editor's controls can show, so that showing and gathering it again
// changes nothing.
#include <gtest/gtest.h>

#include "common/kvm_encoding.h"
#include "common/settings_file.h"

namespace livna {
namespace {

constexpr std::size_t kBlock3 = 768;

class FactoryDefault : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        auto r = readSettingsFile(std::filesystem::path(LIVNA_DATA_DIR) / "Conf" / "640dkvmdef.cfg",
                                  kKvmImageSize);
        ASSERT_TRUE(r.ok()) << describe(*r.error);
        s_image = r.image;
    }
    static std::span<const std::int32_t> at(std::size_t first, std::size_t count) {
        return std::span<const std::int32_t>(s_image.values()).subspan(first, count);
    }
    static SettingsImage s_image;
};
SettingsImage FactoryDefault::s_image;

TEST_F(FactoryDefault, hasExactly2048ByteLines) {
    const auto longer =
        readValuesFile(std::filesystem::path(LIVNA_DATA_DIR) / "Conf" / "640dkvmdef.cfg", 2049);
    ASSERT_FALSE(longer.ok());
    EXPECT_EQ(longer.error->kind, FileErrorKind::TooShort);
    for (std::size_t i = 0; i < s_image.size(); ++i) {
        ASSERT_GE(s_image[i], 0) << i;
        ASSERT_LE(s_image[i], 255) << i;
    }
}

TEST_F(FactoryDefault, markerVersionAndClearedValues) {
    EXPECT_EQ(s_image[0], 170);
    EXPECT_EQ(s_image[1], 0);  // as an editor that never connected writes it
    for (std::size_t i : {6, 7, 8, 9, 24, 29, 37, 38, 39, 61, 62}) EXPECT_EQ(s_image[i], 0) << i;
    for (std::size_t i = 512; i < 768; ++i) ASSERT_EQ(s_image[i], 0) << i;
}

TEST_F(FactoryDefault, passwordsDelaysAndTimes) {
    EXPECT_EQ(engineerPasswordText(at(2, 4).first<4>()), "5836");
    EXPECT_EQ(userPasswordText(at(40, 6).first<6>()), "857   ");
    for (std::size_t i = 10; i <= 13; ++i) EXPECT_EQ(s_image[i], 45) << i;
    EXPECT_EQ(s_image[31], 120);  // internal sounder
    EXPECT_EQ(s_image[33], 120);  // display backlight
    EXPECT_LE(s_image[30], 2);
    EXPECT_LE(s_image[32], 2);
    EXPECT_LE(s_image[46], 254);
    EXPECT_EQ(s_image[36] & ~0x1F, 0);
}

TEST_F(FactoryDefault, everyPartitionIsSecurityWithABuiltInName) {
    for (int k = 1; k <= 16; ++k) {
        EXPECT_FALSE(partitionInSet(s_image, 14, k)) << k;  // fire
        EXPECT_FALSE(partitionInSet(s_image, 47, k)) << k;  // emergency
        const int item = partitionNameItem(s_image[255 + k]);
        EXPECT_GE(item, 0) << k;
        EXPECT_NE(item, kOwnNameItem) << k;
    }
    for (std::size_t i = 272; i < 512; ++i) ASSERT_EQ(s_image[i], 0) << i;  // own names unused
    for (std::size_t i = 49; i <= 56; ++i) EXPECT_LE(s_image[i], 15) << i;
    for (std::size_t i = 64; i < 256; ++i) ASSERT_LE(s_image[i], 16) << i;
    EXPECT_LE(s_image[57], 16);
    EXPECT_LE(s_image[58], 16);
    EXPECT_EQ(s_image[59], 0);  // both wired loops of security type
    EXPECT_EQ(s_image[60], 0);  // so no double triggering
}

TEST_F(FactoryDefault, noCodesAndNoKeys) {
    EXPECT_EQ(s_image[22], 0);
    EXPECT_EQ(s_image[23], 0);
    const std::vector<std::int32_t> empty{255, 255, 255, 255, 255, 255, 0, 0};
    for (std::size_t record = 0; record < 32 + 96; ++record) {
        const auto r = at(1024 + 8 * record, 8);
        ASSERT_EQ(std::vector<std::int32_t>(r.begin(), r.end()), empty) << "record " << record;
    }
}

TEST_F(FactoryDefault, everyOutputHoldsThePresetOfItsMode) {
    struct Output {
        int number;
        std::int32_t mode;
        std::size_t eventA;  // block 3 offset of event byte A
    };
    const Output outputs[] = {
        {1, s_image[kBlock3 + 1] & 0x0F, 4}, {2, s_image[kBlock3 + 1] >> 4, 12},
        {3, s_image[kBlock3 + 18], 21},      {4, s_image[kBlock3 + 27] & 0x0F, 30},
        {5, s_image[kBlock3 + 27] >> 4, 38},
    };
    for (const auto& o : outputs) {
        const auto preset = outputPreset(o.mode, o.number);
        ASSERT_TRUE(preset.has_value()) << "output " << o.number << " mode " << o.mode;
        const auto v = at(kBlock3 + o.eventA, 6);
        EXPECT_EQ(v[0], preset->byteA) << o.number;
        EXPECT_EQ(v[1], 0) << o.number;
        EXPECT_EQ(v[2], preset->close) << o.number;
        EXPECT_EQ(v[3], preset->open) << o.number;
        EXPECT_EQ(v[4], preset->duration) << o.number;
        EXPECT_EQ(v[5], preset->inverse) << o.number;
    }
}

TEST_F(FactoryDefault, voiceModuleValuesAreRealChoices) {
    EXPECT_GE(volumeItem(s_image[kBlock3 + 57]), 0);
    EXPECT_EQ(s_image[kBlock3 + 57] % 2, 0);
    for (std::size_t o = 47; o <= 53; o += 2) {
        EXPECT_LE(s_image[kBlock3 + o], 24) << o;
        EXPECT_LE(s_image[kBlock3 + o + 1], 59) << o;
    }
    EXPECT_LE(s_image[kBlock3 + 44], 1);
    EXPECT_EQ(s_image[kBlock3 + 46] & 0xF0, 0);
    EXPECT_EQ(s_image[kBlock3 + 58] & 0xF8, 0);
    for (std::size_t o = 60; o < 256; ++o) ASSERT_EQ(s_image[kBlock3 + o], 0) << o;
}

}  // namespace
}  // namespace livna
