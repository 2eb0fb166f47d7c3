#include "common/kvm_encoding.h"

#include <gtest/gtest.h>

#include <set>

#include "common/version_code.h"

namespace livna {
namespace {

// A typed text and what it encodes to; nothing for a text that is refused.
template <typename T>
struct TextCase {
    std::string_view text;
    std::optional<T> value;
};

// ---- Partition sets

TEST(PartitionSet, bitsOfBothValues) {
    struct Case {
        int partition;
        std::int32_t a, b;
    };
    const Case cases[] = {{1, 1, 0}, {8, 128, 0}, {9, 0, 1}, {16, 0, 128}, {3, 4, 0}, {12, 0, 8}};
    for (const auto& c : cases) {
        std::int32_t a = 0, b = 0;
        setPartitionInSet(a, b, c.partition, true);
        EXPECT_EQ(a, c.a) << c.partition;
        EXPECT_EQ(b, c.b) << c.partition;
        for (int p = 1; p <= 16; ++p)
            EXPECT_EQ(partitionInSet(a, b, p), p == c.partition) << c.partition << "/" << p;
        setPartitionInSet(a, b, c.partition, false);
        EXPECT_EQ(a, 0);
        EXPECT_EQ(b, 0);
    }
}

TEST(PartitionSet, clearingOneKeepsTheOthers_andOutOfRangeIsIgnored) {
    std::int32_t a = 255, b = 255;
    setPartitionInSet(a, b, 5, false);
    setPartitionInSet(a, b, 0, false);
    setPartitionInSet(a, b, 17, false);
    EXPECT_EQ(a, 255 - 16);
    EXPECT_EQ(b, 255);
    EXPECT_FALSE(partitionInSet(a, b, 0));
    EXPECT_FALSE(partitionInSet(a, b, 17));
}

TEST(PartitionSet, onImageAndAsMask) {
    SettingsImage image(kKvmImageSize);
    setPartitionInSet(image, 14, 3, true);
    setPartitionInSet(image, 14, 10, true);
    EXPECT_EQ(image[14], 4);
    EXPECT_EQ(image[15], 2);
    EXPECT_TRUE(partitionInSet(image, 14, 10));
    EXPECT_EQ(partitionMask(image[14], image[15]), 0x0204);
    EXPECT_EQ(partitionPair(0x0204), std::make_pair(4, 2));
    EXPECT_EQ(partitionMask(0x1FF, 0x101), 0x01FF);  // only the low byte of each value counts
}

// ---- Passwords and codes

TEST(EngineerPassword, digitsThousandsFirst) {
    const TextCase<EngineerPasswordValues> cases[] = {
        {"5836", EngineerPasswordValues{133, 136, 131, 134}},
        {"1234", EngineerPasswordValues{129, 130, 131, 132}},
        {"58", EngineerPasswordValues{128, 128, 133, 136}},
        {" 5836 ", EngineerPasswordValues{133, 136, 131, 134}},
        {"", std::nullopt},
        {"58a6", std::nullopt},
        {"12345", std::nullopt},
        {"-123", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(encodeEngineerPassword(c.text), c.value) << c.text;
    EXPECT_EQ(encodeEngineerPassword(10000), std::nullopt);
    EXPECT_EQ(encodeEngineerPassword(-1), std::nullopt);
}

TEST(EngineerPassword, textFromLowNibbles) {
    EXPECT_EQ(engineerPasswordText(EngineerPasswordValues{133, 136, 131, 134}), "5836");
    EXPECT_EQ(engineerPasswordText(EngineerPasswordValues{5, 0x98, 3, 0x1F6}), "5836");
    // 10..15 are not digits and show as letters, so the field refuses them on gathering.
    EXPECT_EQ(engineerPasswordText(EngineerPasswordValues{255, 128, 129, 138}), "F01A");
}

TEST(UserPassword, positionsSpacesAndNone) {
    const TextCase<UserPasswordValues> cases[] = {
        {"857   ", UserPasswordValues{136, 133, 135, 255, 255, 255}},
        {"857", UserPasswordValues{136, 133, 135, 255, 255, 255}},
        {"", UserPasswordValues{255, 255, 255, 255, 255, 255}},
        {" 1 2 3", UserPasswordValues{255, 129, 255, 130, 255, 131}},
        {"123456", UserPasswordValues{129, 130, 131, 132, 133, 134}},
        {"1234567", std::nullopt},
        {"12x", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(encodeUserPassword(c.text), c.value) << c.text;
}

TEST(UserPassword, textHasSixPositions) {
    EXPECT_EQ(userPasswordText(UserPasswordValues{136, 133, 135, 255, 255, 255}), "857   ");
    EXPECT_EQ(userPasswordText(UserPasswordValues{255, 129, 255, 130, 255, 131}), " 1 2 3");
    for (const std::string_view text : {"857   ", " 1 2 3", "123456", "      "})
        EXPECT_EQ(userPasswordText(*encodeUserPassword(text)), text);
}

TEST(CodeDigits, encodeAndDecode) {
    const TextCase<CodeDigitValues> cases[] = {
        {"123", CodeDigitValues{129, 130, 131, 255, 255, 255}},
        {"12 3  ", CodeDigitValues{129, 130, 131, 255, 255, 255}},  // masked-edit blanks left out
        {"987654", CodeDigitValues{137, 136, 135, 134, 133, 132}},
        {"", CodeDigitValues{255, 255, 255, 255, 255, 255}},
        {"1234567", std::nullopt},
        {"12-3", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(encodeCodeDigits(c.text), c.value) << c.text;

    struct Back {
        CodeDigitValues values;
        std::string_view text;
    };
    const Back backs[] = {
        {{129, 130, 131, 255, 255, 255}, "123"},
        {{129, 130, 128, 131, 255, 255}, "12"},  // stops at digit 0
        {{129, 130, 0, 131, 255, 255}, "12"},    // and at a raw 0
        {{255, 130, 131, 132, 133, 134}, ""},    // first slot None: empty
        {{0, 130, 131, 132, 133, 134}, ""},      // first slot 0: empty
        {{137, 136, 135, 134, 133, 132}, "987654"},
    };
    for (const auto& b : backs) EXPECT_EQ(codeDigitsText(b.values), b.text);
}

// ---- Keys

TEST(Key, twelveHexDigitsToOffsetsFiveToZero) {
    EXPECT_EQ(encodeKey("0123456789AB"), (KeyValues{0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}));
    EXPECT_EQ(encodeKey("0123456789ab"), (KeyValues{0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}));
    EXPECT_EQ(encodeKey("12"), (KeyValues{0, 0, 0, 0, 0, 0x12}));  // positions beyond the text count as 0
    EXPECT_EQ(encodeKey("G1Z2"), (KeyValues{0, 0, 0, 0, 0x02, 0x01}));  // non-hex characters count as 0
    EXPECT_EQ(encodeKey("0123456789ABCD"), encodeKey("0123456789AB"));
}

TEST(Key, aKeyEndingInFF_isNotStorable) {
    struct Case {
        std::string_view text;
        bool storable;
    };
    const Case cases[] = {
        {"0123456789FF", false},
        {"0123456789ff", false},
        {"FFFFFFFFFFFF", false},
        {"0123456789FE", true},
        {"FF0123456789", true},
        {"0123456789F", true},  // the 12th digit counts as 0
        {"", true},
        {"0123456789FFAB", false},  // digits after the 12th are ignored
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isStorableKey(c.text), c.storable) << c.text;
        // What the predicate guards against: a storable key reads back as itself or its padded form.
        EXPECT_EQ(!keyText(encodeKey(c.text)).empty(), c.storable) << c.text;
    }
}

TEST(Key, roundTripsAndEdgeCases) {
    const std::string_view keys[] = {"0123456789AB", "000000000001", "FFFFFFFFFF00",
                                     "01FF00000001", "FF00000000AA", "000000000000"};
    for (const auto text : keys) EXPECT_EQ(keyText(encodeKey(text)), text);
    // Offset 0 = 255 is an empty key record.
    EXPECT_EQ(keyText(KeyValues{255, 255, 255, 255, 255, 255}), "");
    EXPECT_EQ(keyText(KeyValues{255, 1, 2, 3, 4, 5}), "");
    // A key with FF inside reads back whole; only the low 8 bits of a value count.
    EXPECT_EQ(keyText(KeyValues{0x01, 0x00, 0xFF, 0xFF, 0x02, 0x03}), "0302FFFF0001");
    EXPECT_EQ(keyText(KeyValues{0x101, 0, 0, 0, 0, -1}), "FF0000000001");
}

// ---- PanelCharset

TEST(PanelCharset, skladEncodesToDisplayCodes) {
    EXPECT_EQ(encodeName("Склад"), (NameValues{67, 186, 187, 97, 227, 32, 32, 32}));
    // Latin C and Latin a stand where the Cyrillic letters were.
    EXPECT_EQ(decodeName(NameValues{67, 186, 187, 97, 227, 32, 32, 32}),
              std::string("C") + "кл" + "a" + "д   ");
}

TEST(PanelCharset, everyLetterOfTheTable) {
    const std::u32string upper = U"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
    const std::u32string lower = U"абвгдеёжзийклмнопрстуфхцчшщъыьэюя";
    const std::uint8_t upperCodes[] = {0x41, 0xA0, 0x42, 0xA1, 0xE0, 0x45, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6,
                                       0x4B, 0xA7, 0x4D, 0x48, 0x4F, 0xA8, 0x50, 0x43, 0x54, 0xA9, 0xAA,
                                       0x58, 0xE1, 0xAB, 0xAC, 0xE2, 0xAD, 0xAE, 0x08, 0xAF, 0xB0, 0xB1};
    const std::uint8_t lowerCodes[] = {0x61, 0xB2, 0xB3, 0xB4, 0xE3, 0x65, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9,
                                       0xBA, 0xBB, 0xBC, 0xBD, 0x6F, 0xBE, 0x70, 0x63, 0xBF, 0x79, 0xE4,
                                       0x78, 0xE5, 0xC0, 0xC1, 0xE6, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7};
    ASSERT_EQ(upper.size(), std::size(upperCodes));
    ASSERT_EQ(lower.size(), std::size(lowerCodes));
    for (std::size_t i = 0; i < upper.size(); ++i) {
        EXPECT_EQ(panelCodeFromChar(upper[i]), upperCodes[i]) << i;
        EXPECT_EQ(panelCodeFromChar(lower[i]), lowerCodes[i]) << i;
        // A code of 128 or more reads back as its own letter.
        if (upperCodes[i] >= 0x80) {
            EXPECT_EQ(charFromPanelCode(upperCodes[i]), upper[i]) << i;
        }
        if (lowerCodes[i] >= 0x80) {
            EXPECT_EQ(charFromPanelCode(lowerCodes[i]), lower[i]) << i;
        }
    }
    EXPECT_EQ(panelCodeFromChar(U'№'), 0x17);
}

TEST(PanelCharset, specialCodesBackAndUncoveredCharacters) {
    EXPECT_EQ(charFromPanelCode(0x08), U'\x08');  // Ь comes back as a control character
    EXPECT_EQ(charFromPanelCode(0x17), U'\x17');  // and so does №
    EXPECT_EQ(charFromPanelCode('A'), U'A');
    // Windows-1251 non-letters keep their code; characters outside Windows-1251 become "?".
    EXPECT_EQ(panelCodeFromChar(U'°'), 0xB0);
    EXPECT_EQ(panelCodeFromChar(U'€'), 0x88);
    EXPECT_EQ(panelCodeFromChar(U'Ω'), '?');
    EXPECT_EQ(panelCodeFromChar(U'😀'), '?');
    // Display codes with no letter of their own survive a round trip through the editor's text.
    std::set<int> tableCodes;
    for (char32_t ch = 0x0410; ch <= 0x044F; ++ch) tableCodes.insert(panelCodeFromChar(ch));
    tableCodes.insert(0xA2);
    tableCodes.insert(0xB5);
    for (int code = 0x80; code <= 0xFF; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        EXPECT_EQ(panelCodeFromChar(charFromPanelCode(c)), c) << code;
        if (!tableCodes.count(code)) {
            EXPECT_GE(charFromPanelCode(c), char32_t{0xE080}) << code;
        }
    }
}

TEST(PanelCharset, nameIsCutToEightCharactersAndPadded) {
    EXPECT_EQ(encodeName("Комната12345"), encodeName("Комната1"));
    EXPECT_EQ(encodeName(""), (NameValues{32, 32, 32, 32, 32, 32, 32, 32}));
    EXPECT_EQ(encodeName("ab"), (NameValues{'a', 'b', 32, 32, 32, 32, 32, 32}));
    EXPECT_EQ(encodeName("\xFF"
                         "b"),
              (NameValues{'?', 'b', 32, 32, 32, 32, 32, 32}));                          // broken UTF-8
    EXPECT_EQ(decodeName(NameValues{0x141, 'b', 32, 32, 32, 32, 32, 32}), "Ab      ");  // low 8 bits
    EXPECT_EQ(decodeName(encodeName("Пожар")), std::string("П") + "o" + "ж" + "ap" + "   ");
}

// ---- Hours/minutes

TEST(HoursMinutes, textAndBack) {
    EXPECT_EQ(timeText(9, 5), "09:05");
    EXPECT_EQ(timeText(24, 0), "24:00");
    EXPECT_EQ(timeText(0, 59), "00:59");
    const TextCase<HoursMinutes> cases[] = {
        {"09:05", HoursMinutes{9, 5}}, {"23:59", HoursMinutes{23, 59}},
        {" 9: 5", HoursMinutes{9, 5}}, {"24:00", HoursMinutes{24, 0}},
        {"  :30", std::nullopt},       {"12:", std::nullopt},
        {"1a:00", std::nullopt},       {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseTime(c.text), c.value) << c.text;
    for (int h = 0; h <= 24; ++h)
        for (int m = 0; m < 60; m += 7) EXPECT_EQ(parseTime(timeText(h, m)), (HoursMinutes{h, m}));
}

// ---- Output modes and presets

TEST(RelayMode, codeToRadioItemAndBack) {
    const std::pair<std::int32_t, int> table[] = {{0, 0}, {1, 2}, {2, 5}, {3, 1}, {4, 4}, {5, 3}, {6, 6}};
    for (const auto& [code, item] : table) {
        EXPECT_EQ(relayRadioItem(code), item) << code;
        EXPECT_EQ(relayModeCode(item), code) << item;
    }
    EXPECT_EQ(relayRadioItem(7), -1);
    EXPECT_EQ(relayRadioItem(0x53), 1);  // low 4 bits: relay 1 of a packed byte
    EXPECT_EQ(relayModeCode(7), -1);
    EXPECT_EQ(relayModeCaptions()[relayRadioItem(3)], "Контрольная лампа");
    EXPECT_EQ(relayModeCaptions()[relayRadioItem(6)], "Специальный");
}

TEST(RelayMode, relayOneLampRelayTwoSounderPackTo83) {
    const std::int32_t packed = relayModeCode(1) + 16 * relayModeCode(3);
    EXPECT_EQ(packed, 83);
    EXPECT_EQ(relayModeCaptions()[relayRadioItem(packed & 0x0F)], "Контрольная лампа");
    EXPECT_EQ(relayModeCaptions()[relayRadioItem(packed >> 4)], "Звуковой");
}

TEST(OutputPreset, perModeAndOutput) {
    struct Case {
        std::int32_t mode;
        int output;
        std::optional<OutputPreset> preset;
    };
    const Case cases[] = {
        {0, 1, OutputPreset{13, 0, 255, 0, 0}},
        {3, 2, OutputPreset{13, 1, 1, 255, 0}},
        {1, 1, OutputPreset{8, 255, 0, 0, 0}},
        {1, 4, OutputPreset{8, 255, 0, 0, 0}},
        {1, 5, OutputPreset{8, 255, 0, 0, 1}},
        {5, 3, OutputPreset{1, 0, 255, 0, 1}},
        {4, 5, OutputPreset{1, 0, 255, 0, 0}},
        {2, 4, OutputPreset{4, 20, 0, 0, 0}},
        {6, 1, std::nullopt},
        {7, 1, std::nullopt},
        {0, 0, std::nullopt},
        {0, 6, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outputPreset(c.mode, c.output), c.preset) << c.mode << "/" << c.output;
}

// ---- Time lists

TEST(TimeLists, halfSecondItems) {
    const auto& items = halfSecondItems();
    ASSERT_EQ(items.size(), 256u);
    const std::pair<int, std::string_view> table[] = {
        {0, "---"},     {1, "0.5 сек"},     {2, "1 сек"},     {3, "1.5 сек"},
        {20, "10 сек"}, {253, "126.5 сек"}, {254, "127 сек"}, {255, "пост."},
    };
    for (const auto& [i, text] : table) EXPECT_EQ(items[i], text) << i;
}

TEST(TimeLists, fiveSecondItems) {
    const auto& items = fiveSecondItems();
    ASSERT_EQ(items.size(), 256u);
    const std::pair<int, std::string_view> table[] = {
        {0, "---"},    {1, "5 сек"},    {11, "55 сек"},     {12, "1 мин"},  {13, "1 м 5 с"},
        {24, "2 мин"}, {25, "2 м 5 с"}, {254, "21 м 10 с"}, {255, "пост."},
    };
    for (const auto& [i, text] : table) EXPECT_EQ(items[i], text) << i;
    EXPECT_EQ(std::set<std::string>(items.begin(), items.end()).size(), 256u);  // no two items alike
}

// ---- Partition names

TEST(PartitionNames, listAndStoredValues) {
    const auto& names = builtInPartitionNames();
    ASSERT_EQ(names.size(), 57u);
    EXPECT_EQ(names[0], "раздел");
    EXPECT_EQ(names[7], "гаражная  дверь");
    EXPECT_EQ(names[17], "комната  №1");
    EXPECT_EQ(names[25], "комната  №9");
    EXPECT_EQ(names[26], "коридор");
    EXPECT_EQ(names[46], "склад");
    EXPECT_EQ(names[55], "этаж 3");
    EXPECT_EQ(names[56], "пользовательское название");
    const std::pair<std::int32_t, int> table[] = {{0, 0},   {55, 55}, {63, 56}, {56, -1},
                                                  {62, -1}, {64, -1}, {-1, -1}};
    for (const auto& [value, item] : table) EXPECT_EQ(partitionNameItem(value), item) << value;
    for (int item = 0; item < 57; ++item) EXPECT_EQ(partitionNameItem(partitionNameValue(item)), item);
    EXPECT_EQ(partitionNameValue(56), 63);
    EXPECT_EQ(partitionNameValue(57), -1);
}

// ---- Volume, bindings, digits

TEST(SmallValues, volumeBindingAndDigit) {
    EXPECT_EQ(encodeVolume(8), 64);
    EXPECT_EQ(encodeVolume(0), 48);
    const std::pair<std::int32_t, int> volumes[] = {{64, 8},  {49, 0},  {48, 0}, {65, 8},
                                                    {66, -1}, {47, -1}, {0, -1}};
    for (const auto& [value, item] : volumes) EXPECT_EQ(volumeItem(value), item) << value;
    EXPECT_EQ(decodeBinding(17), 0);
    EXPECT_EQ(decodeBinding(16), 16);
    EXPECT_EQ(decodeBinding(-1), 0);
    EXPECT_EQ(encodeDigit(7), 135);
    EXPECT_EQ(decodeDigit(135), 7);
    EXPECT_EQ(decodeDigit(255), 15);
}

TEST(VersionCode, editorAndFirmwareSplits) {
    EXPECT_EQ(editorVersionParts(32), (VersionParts{3, 2}));
    EXPECT_EQ(editorVersionParts(52), (VersionParts{5, 2}));
    EXPECT_EQ(firmwareVersionParts(52), (VersionParts{5, 2}));
    EXPECT_EQ(firmwareVersionParts(105), (VersionParts{1, 5}));
    EXPECT_EQ(firmwareVersionParts(312), (VersionParts{3, 12}));
    EXPECT_EQ(versionText(editorVersionParts(52)), "5.2");
    EXPECT_EQ(versionText(firmwareVersionParts(312)), "3.12");
}

}  // namespace
}  // namespace livna
