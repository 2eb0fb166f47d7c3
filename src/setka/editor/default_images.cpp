#include "setka/editor/default_images.h"

#include <cstdint>
#include <initializer_list>

#include "common/kvm_encoding.h"

namespace livna::setka {

namespace {

/// Values first..last (inclusive) all hold value.
struct Run {
    std::size_t first;
    std::size_t last;
    std::int32_t value;
};

SettingsImage build(std::size_t size, std::initializer_list<Run> runs) {
    SettingsImage image(size);
    for (const Run& run : runs)
        for (std::size_t i = run.first; i <= run.last; ++i) image[i] = run.value;
    // Both factory passwords are stored as Digit values, the engineer's from value 2.
    const EngineerPasswordValues engineer = *encodeEngineerPassword(kFactoryEngineerPassword);
    for (std::size_t i = 0; i < engineer.size(); ++i) image[2 + i] = engineer[i];
    return image;
}

/// The user (variants 1, 3) or administrator (variant 5) password from value first on: three
/// digits; the None after them is part of the runs.
void putFactoryUserPassword(SettingsImage& image, std::size_t first) {
    const std::string digits = std::to_string(kFactoryUserPassword);
    for (std::size_t i = 0; i < digits.size(); ++i) image[first + i] = encodeDigit(digits[i] - '0');
}

constexpr std::size_t kCodesStart = kSettingsSize;

DefaultImages makeImages() {
    DefaultImages images;
    images.kvm1 = build(kSettingsSize + 1024,
                        {{0, 0, 170},    {1, 1, 17},       {6, 7, 0},
                         {8, 8, 45},     {9, 9, 0},        {10, 13, 255},
                         {14, 23, 0},    {24, 26, 255},    {27, 28, 0},
                         {29, 29, 45},   {30, 30, 0},      {31, 31, 120},
                         {32, 32, 0},    {33, 33, 120},    {34, 35, 0},
                         {36, 36, 16},   {37, 39, 0},      {43, 45, 255},
                         {46, 62, 0},    {63, 63, 255},    {64, 64, 0},
                         {65, 255, 255}, {256, 271, 0},    {272, 767, 255},
                         {768, 959, 0},  {960, 1023, 255}, {kCodesStart, kCodesStart + 1023, 255}});
    putFactoryUserPassword(images.kvm1, 40);

    images.kvm4 = build(kSettingsSize + 1024,
                        {{0, 0, 170},     {1, 1, 30},       {6, 7, 0},
                         {8, 8, 45},      {9, 9, 0},        {10, 13, 255},
                         {14, 23, 0},     {24, 26, 255},    {27, 28, 0},
                         {29, 29, 45},    {30, 30, 0},      {31, 31, 120},
                         {32, 32, 255},   {33, 33, 120},    {34, 35, 0},
                         {36, 36, 16},    {37, 39, 255},    {43, 45, 255},
                         {46, 46, 120},   {47, 48, 0},      {49, 59, 255},
                         {60, 63, 0},     {64, 255, 255},   {256, 271, 0},
                         {272, 511, 255}, {704, 1023, 255}, {kCodesStart, kCodesStart + 1023, 255}});
    putFactoryUserPassword(images.kvm4, 40);
    for (std::size_t i = 0; i < 192; ++i) images.kvm4[512 + i] = static_cast<std::int32_t>(i + 1);

    images.kv4 = build(kSettingsSize + kHeldCodesSize, {{0, 0, 170},
                                                        {1, 1, 52},
                                                        {6, 9, 0},
                                                        {10, 13, 255},
                                                        {14, 22, 0},
                                                        {23, 23, 1},
                                                        {24, 29, 255},
                                                        {30, 30, 0},
                                                        {31, 31, 120},
                                                        {32, 32, 0},
                                                        {33, 33, 120},
                                                        {34, 34, 255},
                                                        {35, 35, 0},
                                                        {36, 37, 255},
                                                        {38, 39, 0},
                                                        {40, 53, 255},
                                                        {54, 55, 0},
                                                        {56, 56, 65},
                                                        {57, 255, 255},
                                                        {256, 256, 85},
                                                        {257, 257, 255},
                                                        {258, 260, 0},
                                                        {261, 261, 1},
                                                        {262, 262, 0},
                                                        {263, 263, 1},
                                                        {264, 264, 0},
                                                        {265, 383, 255},
                                                        {387, 511, 255},
                                                        {512, 607, 0},
                                                        {608, 1023, 255},
                                                        {kCodesStart, kCodesStart + kHeldCodesSize - 1, 0}});
    putFactoryUserPassword(images.kv4, 384);
    return images;
}

}  // namespace

const SettingsImage& DefaultImages::of(SystemVariant variant) const {
    switch (variant) {
        case SystemVariant::Kvm1:
            return kvm1;
        case SystemVariant::Kvm4:
            return kvm4;
        case SystemVariant::Kv4:
            break;
    }
    return kv4;
}

const DefaultImages& defaultImages() {
    static const DefaultImages images = makeImages();
    return images;
}

}  // namespace livna::setka
