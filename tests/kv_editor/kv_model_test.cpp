// The Ливна-КВ settings model without a window: what decode makes of an image, what encode
// builds back, the values it always rewrites, and the factory-default file.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/settings_file.h"
#include "kv_editor/kv_model.h"

namespace livna::kv {
namespace {

SettingsImage factoryImage() {
    ImageResult r =
        readSettingsFile(std::filesystem::path(LIVNA_DATA_DIR) / "Conf" / "640dkvdef.cfg", kKvImageSize);
    EXPECT_TRUE(r.ok()) << describe(*r.error);
    return r.image;
}

SettingsImage encoded(const Settings& s) {
    auto result = encode(s);
    if (const Refusal* refusal = std::get_if<Refusal>(&result)) {
        ADD_FAILURE() << "refused field " << static_cast<int>(refusal->field) << " code " << refusal->code;
        return {};
    }
    return std::get<SettingsImage>(result);
}

/// The zone-table index of ШС zone (1..8) of РПД r.
std::size_t zoneAt(int r, int zone) {
    return 768 + 16 * static_cast<std::size_t>(r - 1) + 2 * static_cast<std::size_t>(zone - 1);
}

using Pokes = std::vector<std::pair<std::size_t, std::int32_t>>;

struct Case {
    const char* name;
    Pokes pokes;                                  ///< put into the factory image
    std::function<void(const Decoded&)> decoded;  ///< what the model must hold
    Pokes gathered;                               ///< what encode must give back there
};

void noCheck(const Decoded&) {}

const std::vector<Case>& cases() {
    static const std::vector<Case> table{
        {"relays 0x21: both on the lamp, back as 0x21",
         {{25, 0x21}},
         [](const Decoded& d) {
             EXPECT_EQ(d.settings.relay1, 1);
             EXPECT_EQ(d.settings.relay2, 2);
         },
         {{25, 0x21}}},
        {"speed 90 is 4800",
         {{30, 90}},
         [](const Decoded& d) { EXPECT_TRUE(d.settings.fastSpeed); },
         {{30, 90}}},
        {"speed 0 is 1200, back as 255",
         {{30, 0}},
         [](const Decoded& d) { EXPECT_FALSE(d.settings.fastSpeed); },
         {{30, 255}}},
        {"notification 255 is an alarm, back as 1",
         {{31, 255}, {37, 0}},
         [](const Decoded& d) {
             EXPECT_EQ(d.settings.notices[0], Notice::Alarm);
             EXPECT_EQ(d.settings.notices[6], Notice::Trouble);
         },
         {{31, 1}, {37, 0}}},
        {"object 7 off on ШС 1 and 4 of РПД 3",
         {{zoneAt(3, 1), 7}, {zoneAt(3, 4), 7}, {258, 0xFF & ~0x09}},
         [](const Decoded& d) {
             EXPECT_EQ(d.settings.objects[6], (ObjectEntry{7, false, 3}));
             EXPECT_EQ(d.settings.detectors[2].number, 3);
             EXPECT_EQ(d.settings.detectors[2].objects, (std::array<int, 8>{7, 0, 0, 7, 0, 0, 0, 0}));
         },
         {{258, 246}, {364, 35}, {365, 9}, {zoneAt(3, 1), 7}, {zoneAt(3, 1) + 1, 0}, {zoneAt(3, 4), 7}}},
        {"object 20 on РПД 30",
         {{zoneAt(30, 2), 20}},
         [](const Decoded& d) { EXPECT_EQ(d.settings.objects[19].detector, 30); },
         {{390, 94}, {391, 2}}},
        {"0x01 0x02 names object 513",
         {{zoneAt(96, 8), 1}, {zoneAt(96, 8) + 1, 2}},
         [](const Decoded& d) {
             EXPECT_EQ(d.settings.objects[512], (ObjectEntry{513, true, 96}));
             EXPECT_EQ(d.settings.detectors[95].objects[7], 513);
         },
         {{zoneAt(96, 8), 1}, {zoneAt(96, 8) + 1, 2}, {351, 255}}},
        {"object 769 dropped",
         {{zoneAt(5, 2), 769 & 0xFF}, {zoneAt(5, 2) + 1, 769 >> 8}},
         [](const Decoded& d) {
             EXPECT_EQ(d.droppedZones, (std::vector<DroppedZone>{{5, 2, 769}}));
             EXPECT_EQ(d.settings.detectors[4], DetectorEntry{});
         },
         {{zoneAt(5, 2), 0}, {zoneAt(5, 2) + 1, 0}}},
        {"a negative sum dropped",
         {{zoneAt(1, 1), 10}, {zoneAt(1, 1) + 1, -1}},
         [](const Decoded& d) {
             EXPECT_EQ(d.droppedZones, (std::vector<DroppedZone>{{1, 1, -246}}));
         },
         {{zoneAt(1, 1), 0}, {zoneAt(1, 1) + 1, 0}}},
        {"code count 40 clamped to 32",
         {{23, 40}},
         [](const Decoded& d) {
             EXPECT_EQ(d.settings.codeCount, 32);
             EXPECT_TRUE(d.codeCountClamped);
         },
         {{23, 32}, {703, 255}}},
        {"code count -3 clamped to 0",
         {{23, -3}},
         [](const Decoded& d) { EXPECT_EQ(d.settings.codeCount, 0); },
         {{23, 0}}},
        {"a code with a leading zero keeps it",
         {{23, 1}, {512, 128}, {513, 129}, {514, 130}, {515, 131}},
         [](const Decoded& d) {
             EXPECT_EQ(d.settings.codes[0], "0123");
             EXPECT_EQ(d.settings.accCode[0], 123);
         },
         {{512, 128}, {513, 129}, {514, 130}, {515, 131}, {516, 255}, {517, 255}}},
        {"codes beyond the count are not taken",
         {{23, 1}, {518, 135}, {519, 136}, {520, 137}},
         [](const Decoded& d) {
             EXPECT_EQ(d.settings.codes[1], "");
             EXPECT_EQ(d.settings.accCode[1], 0);
         },
         {{518, 255}, {519, 255}, {520, 255}}},
        {"relays 0x13: relay 1 cannot be shown and is kept",
         {{25, 0x13}},
         [](const Decoded& d) {
             EXPECT_EQ(d.settings.relay1, 3);
             EXPECT_EQ(d.settings.relay2, 1);
         },
         {{25, 0x13}}},
        {"reset, sound and backlight beyond their items are kept",
         {{12, 7}, {26, 9}, {28, 200}},
         noCheck,
         {{12, 7}, {26, 9}, {28, 200}}},
        {"durations clamped to 0..254",
         {{27, 255}, {29, -4}},
         [](const Decoded& d) {
             EXPECT_EQ(d.settings.soundDuration, 254);
             EXPECT_EQ(d.settings.backlightDuration, 0);
         },
         {{27, 254}, {29, 0}}},
        {"values 1..11 come back as they were",
         {{1, 37}, {2, 1}, {3, 2}, {4, 3}, {5, 250}, {6, 5}, {7, 6}, {8, 7}, {9, 8}, {10, 9}, {11, 255}},
         noCheck,
         {{1, 37}, {2, 1}, {3, 2}, {4, 3}, {5, 250}, {6, 5}, {7, 6}, {8, 7}, {9, 8}, {10, 9}, {11, 255}}},
        {"marker, constant and unused values rewritten",
         {{0, 3}, {24, 9}, {38, 0}, {255, 1}, {448, 0}, {767, 0}},
         noCheck,
         {{0, 170}, {24, 1}, {38, 255}, {255, 255}, {448, 255}, {767, 255}}},
    };
    return table;
}

TEST(KvModel, decodeAndEncode_edgeCasesOfTheImage) {
    const SettingsImage factory = factoryImage();
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        SettingsImage image = factory;
        for (const auto& [i, v] : c.pokes) image[i] = v;
        const Decoded d = decode(image);
        c.decoded(d);
        const SettingsImage back = encoded(d.settings);
        ASSERT_EQ(back.size(), kKvImageSize);
        for (const auto& [i, v] : c.gathered) EXPECT_EQ(back[i], v) << "value " << i;
    }
}

// Whatever an image holds where nothing is kept, encode writes the same; and 1..11 as they came.
TEST(KvModel, encode_afterAnyImage_rewritesTheUnusedAreas) {
    SettingsImage image(kKvImageSize);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::int32_t>((i * 37 + 11) % 256);
    Settings s = decode(image).settings;
    // The slots of this image hold letters, which are refused; they lie outside what is checked.
    s.engineerPassword = s.administratorPassword = "1";
    s.codeCount = 0;
    const SettingsImage back = encoded(s);
    EXPECT_EQ(back[0], 170);
    EXPECT_EQ(back[24], 1);
    for (std::size_t i = 1; i <= 11; ++i) EXPECT_EQ(back[i], image[i]) << i;
    for (auto [first, last] : {std::pair{38, 255}, {448, 511}, {704, 767}})
        for (auto i = static_cast<std::size_t>(first); i <= static_cast<std::size_t>(last); ++i)
            ASSERT_EQ(back[i], 255) << i;
}

// Each apply starts from a reset model: a code without digits does not inherit the code of the
// image shown before.
TEST(KvModel, decode_codeWithoutDigits_isEmptyWhateverCameBefore) {
    SettingsImage first = factoryImage();
    first[23] = 2;
    for (std::size_t i = 0; i < 12; ++i) first[512 + i] = 129 + static_cast<std::int32_t>(i % 6);
    ASSERT_EQ(decode(first).settings.codes[1], "123456");
    SettingsImage second = factoryImage();
    second[23] = 2;
    for (std::size_t i = 0; i < 3; ++i) second[512 + i] = 135;
    const Decoded d = decode(second);
    EXPECT_EQ(d.settings.codes[0], "777");
    EXPECT_EQ(d.settings.codes[1], "");
    EXPECT_EQ(d.settings.accCode[1], 0);
    const SettingsImage back = encoded(d.settings);
    for (std::size_t i = 518; i < 524; ++i) EXPECT_EQ(back[i], 255) << i;
}

// A slot whose low half is 10..15 shows as one letter, keeping every later value in place, and
// encode refuses the field that holds it.
TEST(KvModel, hexSlots_shownAsOneLetter_refusedNamingTheField) {
    struct Hex {
        std::size_t at;
        std::string shown;
        Refusal refusal;
    };
    for (const Hex& h :
         {Hex{13, "C836", {Field::EngineerPassword, 0}}, Hex{19, "85F", {Field::AdministratorPassword, 0}},
          Hex{518, "C", {Field::Code, 2}}}) {
        SettingsImage image = factoryImage();
        image[23] = 2;
        image[512] = 131;
        image[518] = 0x8C;
        image[13] = 133;
        image[19] = 135;
        image[h.at] = h.at == 19 ? 0x8F : 0x8C;
        const Decoded d = decode(image);
        const std::string shown = h.at == 13   ? d.settings.engineerPassword
                                  : h.at == 19 ? d.settings.administratorPassword
                                               : d.settings.codes[1];
        EXPECT_EQ(shown, h.shown);
        // Every field before it must be storable for the refusal to name this one.
        Settings s = d.settings;
        if (h.at != 13) s.engineerPassword = "5836";
        if (h.at != 19) s.administratorPassword = "857";
        const auto result = encode(s);
        ASSERT_TRUE(std::holds_alternative<Refusal>(result)) << h.shown;
        EXPECT_EQ(std::get<Refusal>(result), h.refusal);
    }
}

TEST(KvModel, encode_refusesTextsThatDoNotFitTheirSlots) {
    struct Bad {
        std::function<void(Settings&)> set;
        Refusal refusal;
    };
    const std::vector<Bad> bad{
        {[](Settings& s) { s.engineerPassword = "12345"; }, {Field::EngineerPassword, 0}},
        {[](Settings& s) { s.engineerPassword = "12 4"; }, {Field::EngineerPassword, 0}},
        {[](Settings& s) { s.administratorPassword = "1234567"; }, {Field::AdministratorPassword, 0}},
        {[](Settings& s) { s.administratorPassword = "-12"; }, {Field::AdministratorPassword, 0}},
        {[](Settings& s) {
             s.codeCount = 3;
             s.codes[2] = "+123";
         },
         {Field::Code, 3}},
    };
    for (const Bad& b : bad) {
        Settings s = decode(factoryImage()).settings;
        b.set(s);
        const auto result = encode(s);
        ASSERT_TRUE(std::holds_alternative<Refusal>(result));
        EXPECT_EQ(std::get<Refusal>(result), b.refusal);
    }
    // A bad code beyond the count is not stored, so it is not refused.
    Settings s = decode(factoryImage()).settings;
    s.codes[5] = "x";
    EXPECT_TRUE(std::holds_alternative<SettingsImage>(encode(s)));
}

// ---- the factory-default file ------------------------------------------------------------------

TEST(KvFactoryFile, exactly2304ByteLines_aFixedPointOfDecodeAndEncode) {
    const auto longer =
        readValuesFile(std::filesystem::path(LIVNA_DATA_DIR) / "Conf" / "640dkvdef.cfg", 2305);
    ASSERT_FALSE(longer.ok());
    EXPECT_EQ(longer.error->kind, FileErrorKind::TooShort);
    const SettingsImage factory = factoryImage();
    ASSERT_EQ(factory.size(), kKvImageSize);
    for (std::size_t i = 0; i < factory.size(); ++i) {
        ASSERT_GE(factory[i], 0) << i;
        ASSERT_LE(factory[i], 255) << i;
    }
    const Decoded d = decode(factory);
    EXPECT_TRUE(d.droppedZones.empty());
    EXPECT_EQ(encoded(d.settings), factory);
}

TEST(KvFactoryFile, holdsTheFactoryState) {
    const Settings s = decode(factoryImage()).settings;
    EXPECT_EQ(s.versionCode, 52);
    EXPECT_EQ(s.passwordReset, 0);
    EXPECT_EQ(s.engineerPassword, "5836");
    EXPECT_EQ(s.administratorPassword, "857");
    EXPECT_EQ(s.codeCount, 0);
    EXPECT_EQ(s.relay1, 0);
    EXPECT_EQ(s.relay2, 2);
    EXPECT_EQ(s.soundMode, 0);
    EXPECT_EQ(s.soundDuration, 120);
    EXPECT_EQ(s.backlightMode, 2);
    EXPECT_EQ(s.backlightDuration, 120);
    EXPECT_FALSE(s.fastSpeed);
    EXPECT_EQ(s.notices, (std::array<Notice, 7>{Notice::Alarm, Notice::Alarm, Notice::Alarm, Notice::Trouble,
                                                Notice::Trouble, Notice::Trouble, Notice::Trouble}));
    for (const DetectorEntry& d : s.detectors) ASSERT_EQ(d, DetectorEntry{}) << "no zone assigned";
}

// ---- the object grid's rows --------------------------------------------------------------------

TEST(KvModel, objectRowTexts_showOnFlagDetectorAndOwnZones) {
    SettingsImage image = factoryImage();
    image[zoneAt(2, 1)] = 5;
    image[zoneAt(2, 3)] = 5;
    image[zoneAt(2, 2)] = 6;
    image[257] = 0xFF & ~0x04;  // ШС 3 of РПД 2 off: object 5 is off
    const Settings s = decode(image).settings;
    using Row = std::array<std::string, 12>;
    EXPECT_EQ(objectRowTexts(s, 5),
              (Row{"5", "   ", "2", "Доступные ШС:", " X", "", " X", "", "", "", "", ""}));
    EXPECT_EQ(objectRowTexts(s, 6),
              (Row{"6", "   X", "2", "Доступные ШС:", "", " X", "", "", "", "", "", ""}));
    EXPECT_EQ(objectRowTexts(s, 768),
              (Row{"768", "   X", "0", "Доступные ШС:", "", "", "", "", "", "", "", ""}));
}

}  // namespace
}  // namespace livna::kv
