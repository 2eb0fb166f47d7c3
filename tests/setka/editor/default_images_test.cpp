#include "setka/editor/default_images.h"

#include <gtest/gtest.h>

#include <vector>

namespace livna::setka {
namespace {

struct Range {
    std::size_t first;
    std::size_t last;
    std::int32_t value;
};

struct ImageCase {
    SystemVariant variant;
    std::size_t size;
    std::vector<Range> settings;
    std::size_t codes;
    std::int32_t codesValue;
};

// Passwords as Digit values: 5836 at 2..5, 857 at 40..42 (variant 5: at 384..386).
const std::vector<ImageCase> kImages = {
    {SystemVariant::Kvm1,
     2048,
     {{0, 0, 170}, {1, 1, 17},     {2, 2, 133},   {5, 5, 134},     {6, 7, 0},     {8, 8, 45},
      {9, 9, 0},   {10, 13, 255},  {14, 23, 0},   {24, 26, 255},   {27, 28, 0},   {29, 29, 45},
      {30, 30, 0}, {31, 31, 120},  {32, 32, 0},   {33, 33, 120},   {34, 35, 0},   {36, 36, 16},
      {37, 39, 0}, {40, 40, 136},  {42, 42, 135}, {43, 45, 255},   {46, 62, 0},   {63, 63, 255},
      {64, 64, 0}, {65, 255, 255}, {256, 271, 0}, {272, 767, 255}, {768, 959, 0}, {960, 1023, 255}},
     1024,
     255},
    {SystemVariant::Kvm4,
     2048,
     {{0, 0, 170},     {1, 1, 30},      {2, 2, 133},    {5, 5, 134},   {6, 7, 0},       {8, 8, 45},
      {9, 9, 0},       {10, 13, 255},   {14, 23, 0},    {24, 26, 255}, {27, 28, 0},     {29, 29, 45},
      {30, 30, 0},     {31, 31, 120},   {32, 32, 255},  {33, 33, 120}, {34, 35, 0},     {36, 36, 16},
      {37, 39, 255},   {40, 40, 136},   {42, 42, 135},  {43, 45, 255}, {46, 46, 120},   {47, 48, 0},
      {49, 59, 255},   {60, 63, 0},     {64, 255, 255}, {256, 271, 0}, {272, 511, 255}, {512, 512, 1},
      {703, 703, 192}, {704, 1023, 255}},
     1024,
     255},
    {SystemVariant::Kv4,
     2816,
     {{0, 0, 170},     {1, 1, 52},      {2, 2, 133},    {5, 5, 134},     {6, 9, 0},       {10, 13, 255},
      {14, 22, 0},     {23, 23, 1},     {24, 29, 255},  {30, 30, 0},     {31, 31, 120},   {32, 32, 0},
      {33, 33, 120},   {34, 34, 255},   {35, 35, 0},    {36, 37, 255},   {38, 39, 0},     {40, 53, 255},
      {54, 55, 0},     {56, 56, 65},    {57, 255, 255}, {256, 256, 85},  {257, 257, 255}, {258, 260, 0},
      {261, 261, 1},   {262, 262, 0},   {263, 263, 1},  {264, 264, 0},   {265, 383, 255}, {384, 384, 136},
      {386, 386, 135}, {387, 511, 255}, {512, 607, 0},  {608, 1023, 255}},
     1792,
     0},
};

TEST(DefaultImages, sizeAndBothEndsOfEveryRange) {
    for (const ImageCase& c : kImages) {
        SCOPED_TRACE(static_cast<int>(c.variant));
        const SettingsImage& image = defaultImages().of(c.variant);
        ASSERT_EQ(image.size(), c.size);
        for (const Range& r : c.settings) {
            EXPECT_EQ(image[r.first], r.value) << "value " << r.first;
            EXPECT_EQ(image[r.last], r.value) << "value " << r.last;
        }
        EXPECT_EQ(image[1024], c.codesValue);
        EXPECT_EQ(image[1024 + c.codes - 1], c.codesValue);
    }
}

TEST(DefaultImages, passwordsAndVariant3SystemNumbersInFull) {
    for (SystemVariant v : {SystemVariant::Kvm1, SystemVariant::Kvm4, SystemVariant::Kv4}) {
        const SettingsImage& image = defaultImages().of(v);
        EXPECT_EQ(std::vector<std::int32_t>(image.values().begin() + 2, image.values().begin() + 6),
                  (std::vector<std::int32_t>{133, 136, 131, 134}));
        const std::size_t user = v == SystemVariant::Kv4 ? 384 : 40;
        EXPECT_EQ(std::vector<std::int32_t>(image.values().begin() + user, image.values().begin() + user + 6),
                  (std::vector<std::int32_t>{136, 133, 135, 255, 255, 255}));
    }
    const SettingsImage& kvm4 = defaultImages().of(SystemVariant::Kvm4);
    for (std::size_t i = 0; i < 192; ++i) EXPECT_EQ(kvm4[512 + i], static_cast<std::int32_t>(i + 1));
}

}  // namespace
}  // namespace livna::setka
