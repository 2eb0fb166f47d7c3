#include "setka/editor/setka_files.h"

#include <gtest/gtest.h>

namespace livna::setka {
namespace {

/// An image of n values where value i is i % 251 + offset, so that every value is told apart.
SettingsImage numbered(std::size_t n, int offset) {
    SettingsImage image(n);
    for (std::size_t i = 0; i < n; ++i) image[i] = static_cast<std::int32_t>(i % 251) + offset;
    return image;
}

struct SizeCase {
    SystemVariant variant;
    std::size_t lines;
    std::size_t codes;
};

class SettingsFileValuesTest : public testing::TestWithParam<SizeCase> {};

TEST_P(SettingsFileValuesTest, settingsThenCodesOfTheVariant_fixedValuesSet) {
    const SizeCase c = GetParam();
    const SettingsImage settings = numbered(kSettingsSize, 1);
    const SettingsImage codes = numbered(kGatheredCodesSize, 3);
    const std::vector<std::int32_t> lines = settingsFileValues(c.variant, settings, codes);

    ASSERT_EQ(lines.size(), c.lines);
    EXPECT_EQ(lines[0], 170);
    for (std::size_t i : {6, 7, 38, 39}) EXPECT_EQ(lines[i], 0) << "value " << i;
    for (std::size_t i : {1, 5, 8, 37, 40, 1023}) EXPECT_EQ(lines[i], settings[i]) << "value " << i;
    for (std::size_t j = 0; j < c.codes; ++j)
        ASSERT_EQ(lines[kSettingsSize + j], codes[j]) << "code value " << j;
}

INSTANTIATE_TEST_SUITE_P(Variants, SettingsFileValuesTest,
                         testing::Values(SizeCase{SystemVariant::Kvm1, 2048, 1024},
                                         SizeCase{SystemVariant::Kvm4, 2048, 1024},
                                         SizeCase{SystemVariant::Kv4, 2816, 1792}));

/// The values of a file of n lines with line 1 = version, as the reader hands them over.
ValuesResult fileOf(std::size_t n, std::int32_t version) {
    ValuesResult file;
    file.values = numbered(n, 7).values();
    file.values[1] = version;
    return file;
}

struct VariantCase {
    SystemVariant expected;
    std::int32_t line1;
    bool accepted;
};

class SplitSettingsFileTest : public testing::TestWithParam<VariantCase> {};

TEST_P(SplitSettingsFileTest, onlyTheMajorNumberOfLine1IsCompared) {
    const VariantCase c = GetParam();
    const auto content = splitSettingsFile(c.expected, fileOf(fileLines(c.expected), c.line1));
    EXPECT_EQ(content.has_value(), c.accepted) << "line 1 = " << c.line1;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, SplitSettingsFileTest,
    testing::Values(VariantCase{SystemVariant::Kvm4, 33, true}, VariantCase{SystemVariant::Kvm4, 35, true},
                    VariantCase{SystemVariant::Kvm1, 33, false}, VariantCase{SystemVariant::Kvm1, 18, true},
                    VariantCase{SystemVariant::Kvm1, 110, true},  // 1.10
                    VariantCase{SystemVariant::Kv4, 53, true}, VariantCase{SystemVariant::Kv4, 33, false},
                    VariantCase{SystemVariant::Kvm4, 53, false},
                    VariantCase{SystemVariant::Kvm1, 10, false},  // no variant's code
                    VariantCase{SystemVariant::Kvm1, 255, false}));

TEST(SplitSettingsFile, settingsAndCodesTakenApart_line0NotUsed) {
    ValuesResult file = fileOf(fileLines(SystemVariant::Kv4), 53);
    file.values[0] = 5;
    const auto content = splitSettingsFile(SystemVariant::Kv4, file);
    ASSERT_TRUE(content.has_value());
    ASSERT_EQ(content->settings.size(), kSettingsSize);
    ASSERT_EQ(content->codes.size(), std::size_t{1792});
    EXPECT_EQ(content->settings[0], 170);
    EXPECT_EQ(content->settings[1], 53);
    EXPECT_EQ(content->settings[1023], file.values[1023]);
    EXPECT_EQ(content->codes[0], file.values[1024]);
    EXPECT_EQ(content->codes[1791], file.values[2815]);
}

TEST(SplitSettingsFile, outOfRangeOfLine0LeftOut_othersKept) {
    ValuesResult file = fileOf(fileLines(SystemVariant::Kvm1), 17);
    file.outOfRange = {{1, "999", 999}, {3, "300", 300}, {2000, "-2", -2}};
    const auto content = splitSettingsFile(SystemVariant::Kvm1, file);
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(content->outOfRange, (std::vector<OutOfRangeValue>{{3, "300", 300}, {2000, "-2", -2}}));
}

TEST(FileVariantIs, line1AloneTellsTheVariant) {
    const std::vector<std::int32_t> head{170, 53};
    EXPECT_TRUE(fileVariantIs(SystemVariant::Kv4, head));
    EXPECT_FALSE(fileVariantIs(SystemVariant::Kvm4, head));
    EXPECT_FALSE(fileVariantIs(SystemVariant::Kv4, std::vector<std::int32_t>{53}));  // no line 1
}

TEST(SplitSettingsFile, fewerValuesThanTheVariantsFile_refused) {
    EXPECT_FALSE(splitSettingsFile(SystemVariant::Kv4, fileOf(2048, 53)).has_value());
}

}  // namespace
}  // namespace livna::setka
