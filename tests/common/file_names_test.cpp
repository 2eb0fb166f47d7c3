#include "common/file_names.h"

#include <gtest/gtest.h>

#include <vector>

namespace livna {
namespace {

TEST(ShortDate, formatLetters) {
    const CalendarDate d{2024, 3, 5};
    EXPECT_EQ(formatShortDate(d, "dd.MM.yyyy"), "05.03.2024");
    EXPECT_EQ(formatShortDate(d, "d.M.yy"), "5.3.24");
    EXPECT_EQ(formatShortDate(d, "MM/dd/yy"), "03/05/24");
    EXPECT_EQ(formatShortDate(d, "yyyy-MM-dd"), "2024-03-05");
}

TEST(DateStamp, dayMonthYearFollowsTheDeletionRule) {
    EXPECT_EQ(dateStamp({2024, 3, 5}, "dd.MM.yyyy"), "_050324_");
    EXPECT_EQ(dateStamp({1999, 12, 31}, "dd.MM.yyyy"), "_311299_");
}

TEST(DateStamp, otherFormatsNeverHoldASeparator) {
    for (const std::string_view format : {"MM/dd/yy", "M/d/yyyy", "yyyy-MM-dd", "d.M.yyyy", "dd/MM/yyyy", "dd.MM.yy"}) {
        const std::string stamp = dateStamp({2024, 3, 5}, format);
        EXPECT_EQ(stamp, "_050324_") << format;
        EXPECT_EQ(stamp.find_first_of("/-.\\ "), std::string::npos) << format;
    }
}

TEST(OfferedNames, settingsFiles) {
    EXPECT_EQ(kvmSettingsFileName("_050324_"), "640kvm_050324_");
    EXPECT_EQ(kvSettingsFileName("_050324_"), "640kv_050324_");
}

TEST(OfferedNames, registrationCopyName) {
    std::vector<std::int32_t> copy(1024, 0);
    copy[196] = 12;
    copy[197] = 0;
    copy[198] = 5;
    copy[199] = 9;
    EXPECT_EQ(registrationCopyFileName("_050324_", "1", copy), "L640D_050324_object_1_12_0_5_9.rrg");
    EXPECT_EQ(registrationCopyFileName("_050324_", "Дом 7", copy), "L640D_050324_object_Дом 7_12_0_5_9.rrg");
    // A copy too short to name its file.
    EXPECT_EQ(registrationCopyFileName("_050324_", "1", std::vector<std::int32_t>(199, 0)), std::nullopt);
    EXPECT_NE(registrationCopyFileName("_050324_", "1", std::vector<std::int32_t>(200, 0)), std::nullopt);
}

TEST(ObjectNumber, hostileNumbersAreRefused) {
    struct Case {
        std::string_view number;
        ObjectNumberCheck check;
    };
    const Case cases[] = {
        {"1", ObjectNumberCheck::Ok},
        {"A-17 корпус.2", ObjectNumberCheck::Ok},
        {"", ObjectNumberCheck::Empty},
        {"../../etc", ObjectNumberCheck::PathSeparator},
        {"..\\Conf", ObjectNumberCheck::PathSeparator},
        {"1/2", ObjectNumberCheck::PathSeparator},
        {"..", ObjectNumberCheck::ParentFolder},
        {"a..b", ObjectNumberCheck::ParentFolder},
        {"C:x", ObjectNumberCheck::BadCharacter},
        {"a<b", ObjectNumberCheck::BadCharacter},
        {"a>b", ObjectNumberCheck::BadCharacter},
        {"a\"b", ObjectNumberCheck::BadCharacter},
        {"a|b", ObjectNumberCheck::BadCharacter},
        {"a?b", ObjectNumberCheck::BadCharacter},
        {"a*b", ObjectNumberCheck::BadCharacter},
        {"a\tb", ObjectNumberCheck::BadCharacter},
        {std::string_view("a\0b", 3), ObjectNumberCheck::BadCharacter},
    };
    const std::vector<std::int32_t> copy(1024, 1);
    for (const auto& c : cases) {
        EXPECT_EQ(checkObjectNumber(c.number), c.check) << c.number;
        const auto name = registrationCopyFileName("_050324_", c.number, copy);
        EXPECT_EQ(name.has_value(), c.check == ObjectNumberCheck::Ok) << c.number;
        if (c.check != ObjectNumberCheck::Ok) {
            EXPECT_FALSE(describe(c.check).empty());
        }
    }
    EXPECT_TRUE(describe(ObjectNumberCheck::Ok).empty());
}

TEST(DateStamp, todayHasTheStampShape) {
    const std::string stamp = todayDateStamp();
    ASSERT_EQ(stamp.size(), 8u);
    EXPECT_EQ(stamp.front(), '_');
    EXPECT_EQ(stamp.back(), '_');
    EXPECT_EQ(stamp.substr(1, 6).find_first_not_of("0123456789"), std::string::npos);
}

}  // namespace
}  // namespace livna
