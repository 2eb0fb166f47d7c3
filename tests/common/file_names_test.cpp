#include "common/file_names.h"

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

namespace livna {
namespace {

// The moment of a wall-clock time in the local time zone, the zone the stamp is taken in.
std::time_t localMoment(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

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
    for (const std::string_view format :
         {"MM/dd/yy", "M/d/yyyy", "yyyy-MM-dd", "d.M.yyyy", "dd/MM/yyyy", "dd.MM.yy"}) {
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

TEST(DateStamp, stampOfAMoment_isItsLocalDate_acrossTheTurnOfAMonthAndAYear) {
    struct Case {
        const char* name;
        int year, month, day;  // the last second of this day
        std::string_view stamp;
        std::string_view nextSecondStamp;
    };
    const Case cases[] = {
        {"an ordinary day", 2024, 3, 5, "_050324_", "_060324_"},
        {"turn of a year", 2023, 12, 31, "_311223_", "_010124_"},
        {"turn of a month, leap year", 2024, 2, 29, "_290224_", "_010324_"},
        {"turn of a month, common year", 2023, 2, 28, "_280223_", "_010323_"},
        {"turn into a two-digit month", 2024, 9, 30, "_300924_", "_011024_"},
        {"turn of a century's year", 1999, 12, 31, "_311299_", "_010100_"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::time_t lastSecond = localMoment(c.year, c.month, c.day, 23, 59, 59);
        ASSERT_NE(lastSecond, static_cast<std::time_t>(-1));
        EXPECT_EQ(dateStampAt(localMoment(c.year, c.month, c.day, 0, 0, 0)), c.stamp);
        EXPECT_EQ(dateStampAt(lastSecond), c.stamp);
        EXPECT_EQ(dateStampAt(lastSecond + 1), c.nextSecondStamp);
    }
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
