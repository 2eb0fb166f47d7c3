#include "common/settings_image.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace livna {
namespace {

TEST(SettingsImage, fresh_isZerosWithMarkerAndVersion) {
    for (std::size_t size : {kKvmImageSize, kKvImageSize, std::size_t{1024}, std::size_t{1792}}) {
        const SettingsImage image = SettingsImage::fresh(size, 32);
        ASSERT_EQ(image.size(), size);
        EXPECT_EQ(image[0], 170);
        EXPECT_EQ(image[1], 32);
        for (std::size_t i = 2; i < size; ++i) ASSERT_EQ(image[i], 0) << i;
    }
}

TEST(SettingsImage, freshWithoutConnection_hasVersionZero) {
    EXPECT_EQ(SettingsImage::fresh(kKvmImageSize, 0)[1], 0);
}

TEST(SettingsImage, blockView_coversItsOwnValuesAndWritesThrough) {
    SettingsImage image(kKvmImageSize);
    EXPECT_EQ(image.blockCount(), 8u);
    SettingsBlock b3 = image.block(3);
    b3[0] = 7;
    b3[255] = 9;
    EXPECT_EQ(image[768], 7);
    EXPECT_EQ(image[1023], 9);
    EXPECT_EQ(image.at(3, 0), 7);
    EXPECT_EQ(image[767], 0);
    EXPECT_EQ(image[1024], 0);
}

TEST(SettingsImage, blockBeyondImage_throws) {
    SettingsImage image(kKvmImageSize);
    EXPECT_THROW(image.block(8), std::out_of_range);
    const SettingsImage& constImage = image;
    EXPECT_THROW(constImage.block(8), std::out_of_range);
    EXPECT_NO_THROW(SettingsImage(kKvImageSize).block(8));
}

}  // namespace
}  // namespace livna
