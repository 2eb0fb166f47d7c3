// The code list and the object assignment of the Ливна-КВ model, without a window: the checks on
// a code and the order they run in, the count and deletion, the zone boxes, storing an object.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "kv_editor/kv_model.h"

namespace livna::kv {
namespace {

/// A model holding codes "111" and "222" in rows 1 and 2.
Settings twoCodes() {
    Settings s;
    setCodeCount(s, 2);
    EXPECT_EQ(storeCode(s, 1, "111"), CodeVerdict::Stored);
    EXPECT_EQ(storeCode(s, 2, "222"), CodeVerdict::Stored);
    return s;
}

// ---- codes --------------------------------------------------------------------------------------

TEST(KvCodes, store_checksInOrder_eachRefusalStoresNothing) {
    struct Case {
        const char* text;
        CodeVerdict verdict;
    };
    const Case cases[] = {
        {"12", CodeVerdict::Length},         {"000", CodeVerdict::Zero},      {"-12", CodeVerdict::NotDigits},
        {"+123", CodeVerdict::NotDigits},    {"12a", CodeVerdict::NotDigits}, {"", CodeVerdict::NotDigits},
        {"1234567", CodeVerdict::NotDigits}, {"1", CodeVerdict::Length},      {"a1", CodeVerdict::NotDigits},
        {"0000", CodeVerdict::Zero},         {"0111", CodeVerdict::Repeat},   {"222", CodeVerdict::Repeat},
        {"333", CodeVerdict::Stored},        {"999999", CodeVerdict::Stored},
    };
    for (const Case& c : cases) {
        Settings s = twoCodes();
        const Settings before = s;
        EXPECT_EQ(storeCode(s, 2, c.text), c.verdict) << c.text;
        if (c.verdict == CodeVerdict::Stored) {
            EXPECT_EQ(s.codes[1], c.text);
            EXPECT_EQ(s.accCode[1], std::stoi(c.text));
        } else {
            EXPECT_EQ(s, before) << c.text;
        }
    }
    EXPECT_EQ(codeMessage(CodeVerdict::NotDigits),
              "Введен неверный код!\nКод должен содержать только цифры!");
    EXPECT_EQ(codeMessage(CodeVerdict::Length),
              "Введен неверный код!\nКод должен иметь длину от 3 до 6 цифр!");
    EXPECT_EQ(codeMessage(CodeVerdict::Zero), "Введен неверный код!\nКод не должен быть равным нулю!");
    EXPECT_EQ(codeMessage(CodeVerdict::Repeat), "Введен повторяющийся код!\nКод должен уникальным!");
}

TEST(KvCodes, leadingZero_keptInTheTextAndTheImage_valueWithoutIt) {
    Settings s;
    setCodeCount(s, 1);
    ASSERT_EQ(storeCode(s, 1, "0123"), CodeVerdict::Stored);
    EXPECT_EQ(s.codes[0], "0123");
    EXPECT_EQ(s.accCode[0], 123);
    const auto image = std::get<SettingsImage>(encode(s));
    const std::int32_t expected[] = {128, 129, 130, 131, 255, 255};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(image[512 + i], expected[i]) << i;
    EXPECT_EQ(storeCode(s, 1, "123"), CodeVerdict::Repeat) << "values compare, not texts";
}

TEST(KvCodes, rowOutsideTheCount_storesNothing) {
    Settings s;
    EXPECT_EQ(storeCode(s, 1, "123"), CodeVerdict::NoRow) << "count 0: the empty row is no code";
    s = twoCodes();
    setCodeCount(s, 1);
    const Settings before = s;
    EXPECT_EQ(storeCode(s, 2, "456"), CodeVerdict::NoRow);
    EXPECT_EQ(s, before);
}

TEST(KvCodes, loweringTheCount_freesTheRemovedValues_raisingAddsEmptyCodes) {
    Settings s = twoCodes();
    setCodeCount(s, 1);
    EXPECT_EQ(s.codeCount, 1);
    EXPECT_EQ(s.codes[1], "");
    EXPECT_EQ(s.accCode[1], 0);
    EXPECT_EQ(storeCode(s, 1, "222"), CodeVerdict::Stored) << "222 left use with its row";
    setCodeCount(s, 3);
    EXPECT_EQ(s.codeCount, 3);
    EXPECT_EQ(s.codes[1], "");
    EXPECT_EQ(s.codes[0], "222");
    // An added code without digits is written as six Nones.
    const auto image = std::get<SettingsImage>(encode(s));
    for (std::size_t i = 6; i < 18; ++i) EXPECT_EQ(image[512 + i], kNone) << i;
    setCodeCount(s, 40);
    EXPECT_EQ(s.codeCount, kCodes);
}

TEST(KvCodes, delete_laterCodesMoveUp_aRowOutsideTheCountChangesNothing) {
    Settings s = twoCodes();
    setCodeCount(s, 3);
    ASSERT_EQ(storeCode(s, 3, "333"), CodeVerdict::Stored);
    s.accCode[31] = 77;  // whatever the last entry held, it ends 0
    ASSERT_TRUE(deleteCode(s, 2));
    EXPECT_EQ(s.codeCount, 2);
    EXPECT_EQ(s.codes[0], "111");
    EXPECT_EQ(s.codes[1], "333");
    EXPECT_EQ(s.codes[2], "");
    EXPECT_EQ(s.accCode[0], 111);
    EXPECT_EQ(s.accCode[1], 333);
    EXPECT_EQ(s.accCode[2], 0);
    EXPECT_EQ(s.accCode[31], 0);

    // Deleting the last row, then the same row again: the second delete finds no code there.
    ASSERT_TRUE(deleteCode(s, 2));
    const Settings afterFirst = s;
    EXPECT_FALSE(deleteCode(s, 2));
    EXPECT_EQ(s, afterFirst);
    EXPECT_EQ(s.codeCount, 1);
    EXPECT_EQ(s.codes[0], "111");
    EXPECT_FALSE(deleteCode(s, 0));
}

// ---- objects -------------------------------------------------------------------------------------

constexpr ZoneBox kHeld{false, true};  ///< another object's ШС
constexpr ZoneBox kOwn{true, true};
constexpr ZoneBox kFree{true, false};
constexpr ZoneBox kOff{false, false};

/// Ticks the boxes of the ШС in zones (1..8) among the enabled boxes shown for object n on r.
ZoneBoxes ticked(const Settings& s, int n, int r, std::initializer_list<int> zones) {
    ZoneBoxes boxes = zoneBoxes(s, n, r);
    for (ZoneBox& box : boxes)
        if (box.enabled) box.ticked = false;
    for (int z : zones) boxes[static_cast<std::size_t>(z) - 1].ticked = true;
    return boxes;
}

TEST(KvObjects, zoneBoxes_heldByAnother_byTheObject_free_onOrOff) {
    for (bool on : {true, false}) {
        Settings s;
        s.detectors[2].number = 3;
        s.detectors[2].objects[0] = 9;   // ШС 1 of РПД 3: object 9
        s.detectors[2].objects[1] = 10;  // ШС 2: object 10
        s.objects[9].detector = 3;
        s.objects[9].on = on;
        EXPECT_EQ(zoneBoxes(s, 10, 3), (ZoneBoxes{kHeld, kOwn, kFree, kFree, kFree, kFree, kFree, kFree}))
            << "on " << on;
        EXPECT_EQ(zoneBoxes(s, 10, 0), ZoneBoxes{});
        EXPECT_EQ(zoneBoxes(s, 10, 97), ZoneBoxes{});
    }
}

TEST(KvObjects, store_movedToAnotherDetector_freesTheOldZones) {
    Settings s;
    storeAssignment(s, 5, true, 2, ticked(s, 5, 2, {1, 2}));
    EXPECT_EQ(objectRowTexts(s, 5)[4], " X");
    EXPECT_EQ(objectRowTexts(s, 5)[5], " X");
    storeAssignment(s, 5, true, 3, ticked(s, 5, 3, {8}));
    EXPECT_EQ(s.detectors[1].objects, (std::array<int, kZones>{}));
    EXPECT_EQ(s.detectors[2].objects, (std::array<int, kZones>{0, 0, 0, 0, 0, 0, 0, 5}));
    EXPECT_EQ(s.detectors[2].number, 3);
    EXPECT_EQ(objectRowTexts(s, 5), (std::array<std::string, 12>{"5", "   X", "3", "Доступные ШС:", "", "",
                                                                 "", "", "", "", "", " X"}));
}

TEST(KvObjects, store_leavesAnotherObjectsZone_andSwitchesOff) {
    Settings s;
    storeAssignment(s, 9, true, 3, ticked(s, 9, 3, {1}));
    const ZoneBoxes shown = zoneBoxes(s, 10, 3);
    EXPECT_EQ(shown[0], kHeld);
    ZoneBoxes boxes = ticked(s, 10, 3, {2});
    boxes[0].ticked = false;  // a disabled box however it reads
    storeAssignment(s, 10, false, 3, boxes);
    EXPECT_EQ(s.detectors[2].objects, (std::array<int, kZones>{9, 10, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(s.objects[9].on);
    EXPECT_EQ(objectRowTexts(s, 10)[1], "   ");
    // Unticking its own box frees the zone, on the same РПД.
    storeAssignment(s, 10, true, 3, ticked(s, 10, 3, {}));
    EXPECT_EQ(s.detectors[2].objects, (std::array<int, kZones>{9, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(KvObjects, readDetector_numbersOneTo96_otherTextsRefused) {
    struct Case {
        const char* text;
        DetectorVerdict verdict;
        int number;
    };
    const Case cases[] = {
        {"1", DetectorVerdict::Valid, 1},       {"96", DetectorVerdict::Valid, 96},
        {"07", DetectorVerdict::Valid, 7},      {"0", DetectorVerdict::OutOfRange, 0},
        {"97", DetectorVerdict::OutOfRange, 0}, {"99", DetectorVerdict::OutOfRange, 0},
        {"-1", DetectorVerdict::OutOfRange, 0}, {"x", DetectorVerdict::NotDigits, 0},
        {"", DetectorVerdict::NotDigits, 0},    {"-", DetectorVerdict::NotDigits, 0},
        {"1 ", DetectorVerdict::NotDigits, 0},  {"123", DetectorVerdict::OutOfRange, 0},
    };
    for (const Case& c : cases) {
        const DetectorText read = readDetector(c.text);
        EXPECT_EQ(read.verdict, c.verdict) << '"' << c.text << '"';
        EXPECT_EQ(read.number, c.number) << '"' << c.text << '"';
    }
    EXPECT_EQ(detectorMessage(DetectorVerdict::OutOfRange),
              "Введен неверный номер РПД!\nНомер РПД должен быть от 1 до 96!");
    EXPECT_EQ(detectorMessage(DetectorVerdict::NotDigits), codeMessage(CodeVerdict::NotDigits));
}

}  // namespace
}  // namespace livna::kv
