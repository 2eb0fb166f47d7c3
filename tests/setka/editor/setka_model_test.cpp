#include "setka/editor/setka_model.h"

#include <gtest/gtest.h>

#include <set>

#include "common/kvm_encoding.h"
#include "setka/editor/default_images.h"

namespace livna::setka {
namespace {

constexpr std::array kVariants{SystemVariant::Kvm1, SystemVariant::Kvm4, SystemVariant::Kv4};

/// One editor: the link state it reads, what its controls show and what it holds.
struct Editor {
    LinkContext context;
    L640View view;
    L640Tables tables;

    explicit Editor(SystemVariant variant) {
        context.chosenVariant = variant;
        context.demoMode = true;
        factorySettings(context, view, tables);
    }
    ApplyReport apply(const SettingsImage& image) {
        return applyImage(image, ImageSource::Other, context, view, tables);
    }
    SettingsImage settings() {
        auto result = gatherImage(context, view, tables);
        EXPECT_TRUE(std::holds_alternative<SettingsImage>(result));
        return std::holds_alternative<SettingsImage>(result) ? std::get<SettingsImage>(result)
                                                             : SettingsImage();
    }
    SettingsImage codes() {
        auto result = gatherCodes(context, view, tables);
        EXPECT_TRUE(std::holds_alternative<SettingsImage>(result));
        return std::holds_alternative<SettingsImage>(result) ? std::get<SettingsImage>(result)
                                                             : SettingsImage();
    }
    /// Shows a factory-based image with some values changed.
    SettingsImage factoryWith(std::initializer_list<std::pair<std::size_t, std::int32_t>> values) const {
        SettingsImage image = tables.defaultSettings;
        for (auto [i, v] : values) image[i] = v;
        return image;
    }
};

std::vector<std::int32_t> slice(const SettingsImage& image, std::size_t first, std::size_t count) {
    return {image.values().begin() + static_cast<std::ptrdiff_t>(first),
            image.values().begin() + static_cast<std::ptrdiff_t>(first + count)};
}

// ---- Variant, configuration byte and version code.

TEST(SystemVariant, majorNumberOfEveryKindOfCode) {
    const std::vector<std::pair<int, int>> cases{{0, 0},  {10, 0},  {11, 1},  {17, 1},  {33, 3}, {52, 5},
                                                 {99, 9}, {100, 1}, {105, 1}, {254, 2}, {255, 2}};
    for (auto [code, major] : cases) EXPECT_EQ(majorNumber(code), major) << code;
}

TEST(SystemVariant, configByteGivesTheBlockCounts) {
    EXPECT_EQ(configByte(SystemVariant::Kvm1), 0x63);
    EXPECT_EQ(configByte(SystemVariant::Kvm4), 0x63);
    EXPECT_EQ(configByte(SystemVariant::Kv4), 0x66);
    EXPECT_EQ(settingsBlocks(0x63), 4);
    EXPECT_EQ(codesBlocks(0x63), 4);
    EXPECT_EQ(settingsBlocks(0x66), 4);
    EXPECT_EQ(codesBlocks(0x66), 7);
    EXPECT_EQ(settingsBlocks(0x55), 3);  // the version check's value
}

TEST(LinkContext, editorVariantAndTheVersionCodeOfGatheredImages) {
    struct Case {
        bool demo;
        bool matched;
        int versionCode;
        SystemVariant variant;
        int imageCode;
    };
    const std::vector<Case> cases{
        {true, true, 17, SystemVariant::Kvm4, 33},    // demo: always the chosen variant
        {false, true, 32, SystemVariant::Kvm4, 32},   // on-line, matched
        {false, false, 17, SystemVariant::Kvm4, 33},  // a code left by an earlier editor
        {false, true, 7, SystemVariant::Kvm4, 33},    // a code of no variant
        {false, true, 255, SystemVariant::Kvm4, 33},  // major 2: no variant either
    };
    for (const Case& c : cases) {
        LinkContext context{SystemVariant::Kvm4, c.demo, 0, c.versionCode, c.matched};
        EXPECT_EQ(editorVariant(context), c.variant) << c.versionCode;
        EXPECT_EQ(imageVersionCode(context), c.imageCode) << c.versionCode;
    }
}

TEST(LinkContext, onlyAnImageFromThePanelSetsTheVersionCode) {
    Editor editor(SystemVariant::Kvm1);
    editor.context.demoMode = false;
    editor.context.versionMatched = false;
    editor.apply(editor.factoryWith({{1, 19}}));
    EXPECT_EQ(editor.context.versionCode, 18);
    EXPECT_EQ(editor.settings()[1], 18);

    applyImage(editor.factoryWith({{1, 19}}), ImageSource::Panel, editor.context, editor.view, editor.tables);
    EXPECT_EQ(editor.context.versionCode, 19);
    EXPECT_TRUE(editor.context.versionMatched);
    EXPECT_EQ(editor.settings()[1], 19);
}

// ---- Factory settings and round trips.

TEST(FactorySettings, demoSetsTheLinkStateAndTheHeldCodesPerVariant) {
    struct Case {
        SystemVariant variant;
        int configByte;
        int versionCode;
        std::int32_t codesValue;
        std::size_t codesSize;
    };
    for (const Case& c :
         {Case{SystemVariant::Kvm1, 99, 18, 255, 1024}, Case{SystemVariant::Kvm4, 99, 33, 255, 1024},
          Case{SystemVariant::Kv4, 102, 53, 0, 1792}}) {
        SCOPED_TRACE(static_cast<int>(c.variant));
        Editor editor(c.variant);
        EXPECT_EQ(editor.context.configByte, c.configByte);
        EXPECT_EQ(editor.context.versionCode, c.versionCode);
        EXPECT_EQ(editor.tables.defaultSettings[1], c.versionCode);
        for (std::size_t i = 0; i < c.codesSize; ++i)
            ASSERT_EQ(editor.tables.heldCodes[i], c.codesValue) << i;
        const std::string& password = c.variant == SystemVariant::Kv4 ? editor.view.kv.engineerPassword
                                                                      : editor.view.kvm.engineerPassword;
        EXPECT_EQ(password, "5836");
        EXPECT_EQ(editor.view.kvm.borders, kStandardBorders);
    }
}

/// The factory image as a gathering stores it: the demo version code, and what the controls
/// reduce (bindings above 16, a backlight code of 255, value 37, unused code and key records).
SettingsImage normalisedFactory(SystemVariant variant) {
    SettingsImage image = defaultImages().of(variant);
    image[1] = demoVersionCode(variant);
    auto unusedRecords = [&](std::size_t first, std::size_t count) {
        for (std::size_t r = 0; r < count; ++r) {
            for (std::size_t s = 0; s < 6; ++s) image[1024 + first + 8 * r + s] = 255;
            image[1024 + first + 8 * r + 6] = 0;
            image[1024 + first + 8 * r + 7] = 0;
        }
    };
    switch (variant) {
        case SystemVariant::Kvm1:
            for (std::size_t i = 65; i <= 111; ++i) image[i] = 0;
            unusedRecords(0, 128);
            break;
        case SystemVariant::Kvm4:
            image[32] = 2;
            image[37] = 0;
            for (std::size_t i = 64; i <= 255; ++i) image[i] = 0;
            unusedRecords(0, 96);  // keys 65..96 are carried
            break;
        case SystemVariant::Kv4:
            unusedRecords(0, 32);
            break;
    }
    return image;
}

TEST(ApplyGather, factoryImagesComeBackNormalisedAndASecondRoundChangesNothing) {
    for (SystemVariant variant : kVariants) {
        SCOPED_TRACE(static_cast<int>(variant));
        Editor editor(variant);
        const std::size_t meaningful = codesSize(variant);
        const SettingsImage settings = editor.settings();
        const SettingsImage codes = editor.codes();
        ASSERT_EQ(settings.size(), 1024u);
        ASSERT_EQ(codes.size(), 2048u);

        const SettingsImage expected = normalisedFactory(variant);
        for (std::size_t i = 0; i < 1024; ++i) EXPECT_EQ(settings[i], expected[i]) << "settings " << i;
        for (std::size_t i = 0; i < meaningful; ++i) EXPECT_EQ(codes[i], expected[1024 + i]) << "codes " << i;

        std::copy(codes.values().begin(), codes.values().begin() + static_cast<std::ptrdiff_t>(meaningful),
                  editor.tables.heldCodes.values().begin());
        editor.apply(settings);
        EXPECT_EQ(editor.settings(), settings);
        EXPECT_EQ(editor.codes(), codes);
    }
}

TEST(ApplyGather, denseImagesSettleAfterOneRound) {
    for (SystemVariant variant : kVariants) {
        SCOPED_TRACE(static_cast<int>(variant));
        Editor editor(variant);
        SettingsImage image(1024);
        for (std::size_t i = 0; i < 1024; ++i) image[i] = static_cast<std::int32_t>((i * 7 + 3) % 256);
        for (std::size_t i : {2, 3, 4, 5, 40, 41, 42, 43, 44, 45, 384, 385, 386, 387, 388, 389})
            image[i] = encodeDigit(static_cast<int>(i % 9 + 1));
        for (std::size_t k = 0; k < 16; k += 2) image[256 + k] = 63;  // every other partition: own name
        SettingsImage& held = editor.tables.heldCodes;
        for (std::size_t i = 0; i < held.size(); ++i) held[i] = static_cast<std::int32_t>((i * 11 + 5) % 256);
        for (std::size_t n = 0; n < 32; ++n)
            for (std::size_t s = 0; s < 6; ++s) held[8 * n + s] = encodeDigit(static_cast<int>((n + s) % 10));

        editor.apply(image);
        const SettingsImage settings = editor.settings();
        const SettingsImage codes = editor.codes();
        std::copy(codes.values().begin(), codes.values().begin() + 1792, held.values().begin());
        editor.apply(settings);
        EXPECT_EQ(editor.settings(), settings);
        EXPECT_EQ(editor.codes(), codes);
    }
}

// ---- The cases of the settings image.

TEST(ApplyGather, repeatedSystemNumberIsZeroedAndReported) {
    Editor editor(SystemVariant::Kvm4);
    const ApplyReport report = editor.apply(editor.factoryWith({{512, 7}, {600, 7}}));
    EXPECT_TRUE(report.systemNumbersZeroed);
    EXPECT_EQ(editor.view.kvm.systemNumbers[0], "7");
    EXPECT_EQ(editor.view.kvm.systemNumbers[88], "0");
    EXPECT_EQ(editor.tables.systemNumbers[88], 0);
    const SettingsImage gathered = editor.settings();
    EXPECT_EQ(gathered[512], 7);
    EXPECT_EQ(gathered[600], 0);

    EXPECT_FALSE(editor.apply(editor.tables.defaultSettings).systemNumbersZeroed);
}

TEST(ApplyGather, systemNumbersComeFromTheImageLastShown) {
    Editor editor(SystemVariant::Kvm4);
    editor.apply(editor.factoryWith({{520, 150}, {61, 9}, {62, 10}}));
    editor.apply(editor.factoryWith({{520, 151}, {61, 11}, {62, 12}}));
    const SettingsImage gathered = editor.settings();
    EXPECT_EQ(gathered[520], 151);
    EXPECT_EQ(gathered[61], 11);
    EXPECT_EQ(gathered[62], 12);
}

TEST(ApplyGather, typedEngineerPasswordIsStoredAsDigitsInEveryVariant) {
    for (SystemVariant variant : kVariants) {
        Editor editor(variant);
        (variant == SystemVariant::Kv4 ? editor.view.kv.engineerPassword : editor.view.kvm.engineerPassword) =
            "4721";
        EXPECT_EQ(slice(editor.settings(), 2, 4), (std::vector<std::int32_t>{132, 135, 130, 129}))
            << static_cast<int>(variant);
    }
}

TEST(ApplyGather, engineerPasswordOfOtherThanFourDigitsIsRefusedNamingTheField) {
    for (SystemVariant variant : {SystemVariant::Kvm1, SystemVariant::Kvm4}) {
        for (const char* text : {"583", "58 6", "", "58a6"}) {
            Editor editor(variant);
            editor.view.kvm.engineerPassword = text;
            const auto result = gatherImage(editor.context, editor.view, editor.tables);
            ASSERT_TRUE(std::holds_alternative<Refusal>(result)) << text;
            EXPECT_EQ(std::get<Refusal>(result).field, Field::PasswordEdit);
        }
    }
}

TEST(ApplyGather, aStoredPasswordDigit0IsRemovedAndReported) {
    Editor editor(SystemVariant::Kvm1);
    // Engineer "1023"; user "10 2" with blank places after it.
    const ApplyReport report = editor.apply(editor.factoryWith({{2, 129},
                                                                {3, 128},
                                                                {4, 130},
                                                                {5, 131},
                                                                {40, 129},
                                                                {41, 128},
                                                                {42, kNone},
                                                                {43, 130},
                                                                {44, kNone},
                                                                {45, kNone}}));
    EXPECT_EQ(editor.view.kvm.engineerPassword, "123");
    EXPECT_EQ(editor.view.kvm.userPassword, "1 2   ");
    EXPECT_EQ(report.zerosRemoved, (std::vector<Field>{Field::PasswordEdit, Field::PasswordEdit2}));
    EXPECT_TRUE(editor.apply(editor.tables.defaultSettings).zerosRemoved.empty());
}

TEST(ApplyGather, variant5CountsOnlyCodesThatAreNotBlank) {
    Editor editor(SystemVariant::Kv4);
    editor.view.codeCount = 3;
    editor.view.codes[0] = {"12    ", 0};
    editor.view.codes[1] = {"      ", 0x0100};
    editor.view.codes[2] = {"345678", 0x8001};
    const SettingsImage settings = editor.settings();
    EXPECT_EQ(settings[23], 4);
    EXPECT_EQ(settings[9], 2);
    const SettingsImage codes = editor.codes();
    EXPECT_EQ(slice(codes, 0, 8), (std::vector<std::int32_t>{129, 130, 255, 255, 255, 255, 0, 0}));
    EXPECT_EQ(slice(codes, 8, 8), (std::vector<std::int32_t>{255, 255, 255, 255, 255, 255, 0, 0}));
    // Slot 6 is always 0 for the Ливна-КВ panel; slot 7 holds boxes 9..16.
    EXPECT_EQ(slice(codes, 16, 8), (std::vector<std::int32_t>{131, 132, 133, 134, 135, 136, 0, 128}));

    editor.tables.heldCodes = SettingsImage(kHeldCodesSize);
    std::copy(codes.values().begin(), codes.values().begin() + 1792,
              editor.tables.heldCodes.values().begin());
    editor.apply(settings);
    EXPECT_EQ(editor.view.codeCount, 3);
    EXPECT_EQ(editor.view.codes[0].text, "12    ");
    EXPECT_EQ(editor.view.codes[1].text, "");
    EXPECT_EQ(editor.view.codes[2].text, "345678");
}

TEST(ApplyGather, objectOnTwoLoopsOfOneRpdGivesItsHolderAndLoopBits) {
    Editor editor(SystemVariant::Kv4);
    // Loops 1 and 3 of РПД 2 of receiver 2.
    editor.view.kv.objects[192 + 8 + 0] = "7";
    editor.view.kv.objects[192 + 8 + 2] = "  7";
    const SettingsImage settings = editor.settings();
    EXPECT_EQ(settings[524], 66);
    EXPECT_EQ(settings[525], 5);
    const SettingsImage codes = editor.codes();
    EXPECT_EQ(slice(codes, 256 + 2 * 200, 6), (std::vector<std::int32_t>{7, 0, 0, 0, 7, 0}));
}

TEST(ApplyGather, partitionMemoryIsCodedPerVariant) {
    struct Case {
        SystemVariant variant;
        bool on;
        std::int32_t stored;
    };
    for (const Case& c : {Case{SystemVariant::Kvm1, false, 255}, Case{SystemVariant::Kvm1, true, 0},
                          Case{SystemVariant::Kvm4, false, 0}, Case{SystemVariant::Kvm4, true, 255}}) {
        Editor editor(c.variant);
        editor.view.kvm.partitionMemoryOn = c.on;
        const SettingsImage settings = editor.settings();
        EXPECT_EQ(settings[63], c.stored) << static_cast<int>(c.variant) << c.on;
        editor.view.kvm.partitionMemoryOn = !c.on;
        editor.apply(settings);
        EXPECT_EQ(editor.view.kvm.partitionMemoryOn, c.on);
    }
}

TEST(ApplyGather, extensionLineSpeed) {
    Editor editor(SystemVariant::Kv4);
    editor.view.kv.speed4800 = true;
    EXPECT_EQ(editor.settings()[257], 90);
    editor.view.kv.speed4800 = false;
    EXPECT_EQ(editor.settings()[257], 255);
    editor.apply(editor.factoryWith({{257, 0}}));
    EXPECT_TRUE(editor.view.kv.speed4800);
    EXPECT_EQ(editor.settings()[257], 90);
}

TEST(ApplyGather, twelveDigitKeyIsStoredTwoDigitsPerValueAndReadBack) {
    Editor editor(SystemVariant::Kvm1);
    editor.view.keyCount = 2;
    editor.view.keys[1] = {"0123456789AB", 0x0201};
    const SettingsImage codes = editor.codes();
    EXPECT_EQ(slice(codes, 256 + 8, 8),
              (std::vector<std::int32_t>{0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 1, 2}));
    EXPECT_EQ(slice(codes, 256, 8), (std::vector<std::int32_t>{255, 255, 255, 255, 255, 255, 0, 0}));
    const SettingsImage settings = editor.settings();
    EXPECT_EQ(settings[9], 2);

    std::copy(codes.values().begin(), codes.values().begin() + 1024,
              editor.tables.heldCodes.values().begin());
    editor.view.keys[1] = {};
    editor.apply(settings);
    EXPECT_EQ(editor.view.keys[1], (AccessRow{"0123456789AB", 0x0201}));
}

TEST(ApplyGather, partitionWithBothTypeBitsIsEmergencyAndKeepsItsOptions) {
    Editor editor(SystemVariant::Kvm1);
    editor.apply(editor.factoryWith({{14, 4 | 1}, {47, 4}, {20, 4}, {16, 4}}));
    const auto& partitions = editor.view.kvm.partitions;
    EXPECT_EQ(partitions[0].type, PartitionType::Fire);
    EXPECT_EQ(partitions[1].type, PartitionType::Security);
    EXPECT_EQ(partitions[2].type, PartitionType::Emergency);
    EXPECT_TRUE(partitions[2].twentyFourHour);
    EXPECT_TRUE(partitions[2].silent);
    const SettingsImage settings = editor.settings();
    EXPECT_EQ(slice(settings, 14, 2), (std::vector<std::int32_t>{1, 0}));
    EXPECT_EQ(slice(settings, 47, 2), (std::vector<std::int32_t>{4, 0}));
    EXPECT_EQ(settings[20], 4);
    EXPECT_EQ(settings[16], 4);
}

TEST(ApplyGather, variant1ReadsDisplayCode23AsNumeroSign) {
    for (SystemVariant variant : {SystemVariant::Kvm1, SystemVariant::Kvm4}) {
        Editor editor(variant);
        // Partition 1: own name "№1" and six blanks.
        editor.apply(editor.factoryWith({{256, 63},
                                         {272, 23},
                                         {273, '1'},
                                         {274, 32},
                                         {275, 32},
                                         {276, 32},
                                         {277, 32},
                                         {278, 32},
                                         {279, 32}}));
        EXPECT_EQ(editor.view.kvm.partitions[0].nameItem, kOwnNameItem);
        EXPECT_EQ(editor.view.kvm.partitions[0].ownName, variant == SystemVariant::Kvm1 ? "№1      "
                                                                                        : "\x17"
                                                                                          "1      ");
    }
}

// ---- Faults of earlier versions.

TEST(Faults, ownNameRoundTripKeepsItsPlace) {
    for (SystemVariant variant : {SystemVariant::Kvm1, SystemVariant::Kvm4}) {
        SCOPED_TRACE(static_cast<int>(variant));
        Editor editor(variant);
        editor.view.kvm.partitions[1].nameItem = kOwnNameItem;
        editor.view.kvm.partitions[1].ownName = "Склад";
        const SettingsImage settings = editor.settings();
        EXPECT_EQ(settings[257], 63);
        const NameValues name = encodeName("Склад");
        EXPECT_EQ(slice(settings, 280, 8), std::vector<std::int32_t>(name.begin(), name.end()));
        EXPECT_EQ(slice(settings, 288, 8), slice(editor.tables.defaultSettings, 288, 8));  // partition 3

        editor.view.kvm.partitions[1] = {};
        editor.apply(settings);
        EXPECT_EQ(editor.view.kvm.partitions[1].nameItem, kOwnNameItem);
        // Letters the display shares with Latin ones come back Latin.
        EXPECT_EQ(editor.view.kvm.partitions[1].ownName, "Cклaд   ");
    }
}

TEST(Faults, gatheringStartsFromTheImageLastShown) {
    for (SystemVariant variant : kVariants) {
        Editor editor(variant);
        editor.apply(editor.factoryWith({{0, 0}, {24, 11}, {25, 12}, {58, 13}, {400, 14}, {1000, 15}}));
        const SettingsImage settings = editor.settings();
        EXPECT_EQ(settings[0], 170);
        EXPECT_EQ(slice(settings, 24, 2), (std::vector<std::int32_t>{11, 12}));
        EXPECT_EQ(settings[58], 13);
        EXPECT_EQ(settings[400], 14);
        EXPECT_EQ(settings[1000], 15);
    }
}

TEST(Faults, variant3BoundsOutsideTheListShowTheStandardBoundAndAreCarried) {
    Editor editor(SystemVariant::Kvm4);  // the factory image holds 255 at 49..56
    EXPECT_EQ(editor.view.kvm.borders, kStandardBorders);
    EXPECT_EQ(slice(editor.settings(), 49, 8), std::vector<std::int32_t>(8, 255));

    editor.view.kvm.borders[2] = 5;
    const SettingsImage settings = editor.settings();
    EXPECT_EQ(settings[51], 5);
    EXPECT_EQ(settings[52], 255);

    editor.apply(editor.factoryWith({{49, 1}, {50, 2}, {51, 16}}));
    EXPECT_EQ(editor.view.kvm.borders[0], 1);
    EXPECT_EQ(editor.view.kvm.borders[1], 2);
    EXPECT_EQ(editor.view.kvm.borders[2], 4);
}

TEST(Faults, choicesTheControlsCannotShowAreCarriedAsRead) {
    struct Case {
        SystemVariant variant;
        std::int32_t relays;
        int relay1;
        int relay2;
    };
    for (const Case& c : {Case{SystemVariant::Kvm1, 0x36, -1, 3}, Case{SystemVariant::Kvm4, 0x92, 2, -1},
                          Case{SystemVariant::Kv4, 0x17, -1, 1}}) {
        SCOPED_TRACE(static_cast<int>(c.variant));
        Editor editor(c.variant);
        editor.apply(editor.factoryWith({{22, c.relays}, {258, 60}}));
        const auto& modes = c.variant == SystemVariant::Kv4
                                ? std::pair(editor.view.kv.relay1Mode, editor.view.kv.relay2Mode)
                                : std::pair(editor.view.kvm.relay1Mode, editor.view.kvm.relay2Mode);
        EXPECT_EQ(modes, std::pair(c.relay1, c.relay2));
        EXPECT_EQ(editor.tables.relayByte, c.relays);
        SettingsImage settings = editor.settings();
        EXPECT_EQ(settings[22], c.relays);
        if (c.variant != SystemVariant::Kv4) {
            // Name choice 60 of partition 3 has no item either.
            EXPECT_EQ(editor.view.kvm.partitions[2].nameItem, -1);
            EXPECT_EQ(settings[258], 60);
            editor.view.kvm.relay1Mode = 4;
            EXPECT_EQ(editor.settings()[22], (c.relays & 0xF0) + 4);
        }
    }
}

TEST(Faults, applyReportsRepeatedObjectsWithoutTouchingFieldsOrChangedBits) {
    Editor editor(SystemVariant::Kv4);
    auto putObject = [&](std::size_t index, std::int32_t lo, std::int32_t hi) {
        editor.tables.heldCodes[256 + 2 * index] = lo;
        editor.tables.heldCodes[257 + 2 * index] = hi;
    };
    putObject(0, 9, 0);     // receiver 1, РПД 1, loop 1
    putObject(1, 9, 0);     // the same РПД: no repeat
    putObject(33, 9, 0);    // РПД 5, loop 2
    putObject(700, 44, 1);  // 300
    SettingsImage image = editor.tables.defaultSettings;
    for (std::size_t g = 0; g < 96; ++g) image[272 + g] = 0;
    const ApplyReport report = editor.apply(image);

    EXPECT_EQ(report.objectRepeats, (std::vector<ObjectRepeat>{{0, 33, 9}, {1, 33, 9}}));
    EXPECT_EQ(editor.view.kv.objects[0], "9");
    EXPECT_EQ(editor.view.kv.objects[33], "9");
    EXPECT_EQ(editor.view.kv.objects[700], "300");
    EXPECT_EQ(editor.tables.objectNumbers[33], 9);
    EXPECT_EQ(editor.tables.objectNumbers[700], 300);
    for (std::int32_t bits : editor.tables.objectChangedBits) ASSERT_EQ(bits, 0);
}

TEST(Faults, radioObjectsComeFromTheFieldsWithTheLastRpdAsHolder) {
    Editor editor(SystemVariant::Kv4);
    // Object 5 on loop 1 of РПД 1 and of РПД 2 of receiver 1, typed after the image was shown.
    editor.view.kv.objects[0] = "5";
    editor.view.kv.objects[8] = "5";
    // Object 6 on loop 1 of РПД 3 and loop 3 of РПД 4: only the holder's loop counts.
    editor.view.kv.objects[16] = "6";
    editor.view.kv.objects[26] = "6";
    editor.view.kv.objects[767] = "48";  // receiver 4, РПД 24, loop 8
    editor.view.kv.objects[766] = "49";  // beyond the objects RadioObjects describes
    const SettingsImage settings = editor.settings();
    EXPECT_EQ(slice(settings, 520, 2), (std::vector<std::int32_t>{34, 1}));
    EXPECT_EQ(slice(settings, 522, 2), (std::vector<std::int32_t>{36, 4}));
    EXPECT_EQ(slice(settings, 606, 2), (std::vector<std::int32_t>{152, 128}));
    EXPECT_EQ(editor.tables.radioObjects[8], 34);
    EXPECT_EQ(editor.tables.radioObjects[9], 1);
}

TEST(Faults, objectPairWithOnlyTheHighValueUnsetShowsTheLowValue) {
    Editor editor(SystemVariant::Kv4);
    editor.tables.heldCodes[256] = 44;
    editor.tables.heldCodes[257] = 1;
    editor.apply(editor.tables.defaultSettings);
    ASSERT_EQ(editor.view.kv.objects[0], "300");

    editor.tables.heldCodes[256] = 17;
    editor.tables.heldCodes[257] = 255;
    editor.tables.heldCodes[258] = 255;
    editor.tables.heldCodes[259] = 255;
    editor.apply(editor.tables.defaultSettings);
    EXPECT_EQ(editor.view.kv.objects[0], "17");
    EXPECT_EQ(editor.view.kv.objects[1], "0");
    EXPECT_EQ(slice(editor.codes(), 256, 4), (std::vector<std::int32_t>{17, 0, 0, 0}));
}

TEST(Faults, blankCodeOrKeyWithinTheCountShowsNoAuthorities) {
    Editor editor(SystemVariant::Kvm1);
    const std::vector<std::int32_t> code{129, 130, 131, 255, 255, 255, 0x01, 0x01};
    std::copy(code.begin(), code.end(), editor.tables.heldCodes.values().begin());
    std::copy(code.begin(), code.end(), editor.tables.heldCodes.values().begin() + 256);
    editor.apply(editor.factoryWith({{9, 1}, {23, 1}}));
    ASSERT_EQ(editor.view.codes[0], (AccessRow{"123", 0x0101}));
    ASSERT_EQ(editor.view.keys[0].authorities, 0x0101);

    // The same records left blank, their partition bytes still set.
    editor.tables.heldCodes[0] = 255;
    editor.tables.heldCodes[256] = 255;
    editor.apply(editor.factoryWith({{9, 1}, {23, 1}}));
    EXPECT_EQ(editor.view.codes[0], AccessRow{});
    EXPECT_EQ(editor.view.keys[0], AccessRow{});
    editor.apply(editor.factoryWith({{9, 0}, {23, 0}}));
    EXPECT_EQ(editor.view.codes[0], AccessRow{});
}

TEST(Faults, variant3EditsKeys1To64AndCarriesTheRest) {
    Editor editor(SystemVariant::Kvm4);
    for (std::size_t i = 768; i < 1024; ++i) editor.tables.heldCodes[i] = static_cast<std::int32_t>(i % 251);
    editor.apply(editor.factoryWith({{9, 96}}));
    EXPECT_EQ(editor.view.keyCount, 96);
    EXPECT_EQ(editor.view.keys[64].text,
              keyText(std::span<const std::int32_t, 6>(&editor.tables.heldCodes.values()[768], 6)));

    editor.view.keys[9] = {"00000000000A", 1};
    editor.view.keys[70] = {"FFFFFFFFFFFF", 1};  // shown read-only: not taken
    const SettingsImage codes = editor.codes();
    EXPECT_EQ(slice(codes, 256 + 72, 8), (std::vector<std::int32_t>{10, 0, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(slice(codes, 768, 256), slice(editor.tables.heldCodes, 768, 256));
    EXPECT_EQ(editor.settings()[9], 96);
}

TEST(Faults, countsOutOfRangeAreClampedAndStored) {
    struct Case {
        SystemVariant variant;
        std::size_t index;
        std::int32_t stored;
        int shown;
        std::int32_t gathered;
    };
    for (const Case& c : {Case{SystemVariant::Kvm1, 23, 40, 32, 32},
                          Case{SystemVariant::Kvm4, 9, 200, 96, 96}, Case{SystemVariant::Kvm1, 9, -3, 0, 0},
                          Case{SystemVariant::Kv4, 23, 0, 0, 1}, Case{SystemVariant::Kv4, 23, 50, 32, 33}}) {
        Editor editor(c.variant);
        editor.apply(editor.factoryWith({{c.index, c.stored}}));
        EXPECT_EQ(c.index == 9 ? editor.view.keyCount : editor.view.codeCount, c.shown) << c.stored;
        EXPECT_EQ(editor.settings()[c.index], c.gathered) << c.stored;
    }
}

// ---- Variant 5.

TEST(Variant5, valuesTheTableDoesNotListAreKept) {
    Editor editor(SystemVariant::Kv4);
    SettingsImage image(1024);
    for (std::size_t i = 0; i < 1024; ++i) image[i] = static_cast<std::int32_t>((i * 7 + 3) % 256);
    for (std::size_t i : {2, 3, 4, 5, 384, 385, 386, 387, 388, 389})
        image[i] = encodeDigit(static_cast<int>(i % 10));
    editor.apply(image);
    const SettingsImage settings = editor.settings();

    std::set<std::size_t> listed{0, 1, 9, 22, 23, 30, 31, 32, 33, 35};
    auto list = [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i <= last; ++i) listed.insert(i);
    };
    list(2, 5);
    list(256, 264);
    list(384, 389);
    list(512, 607);
    for (std::size_t i = 0; i < 1024; ++i)
        if (!listed.contains(i)) {
            EXPECT_EQ(settings[i], image[i]) << i;
        }
    // Values the Part lists keep what their controls can hold.
    EXPECT_EQ(slice(settings, 272, 96), slice(image, 272, 96));
    EXPECT_EQ(settings[256], 85);
}

TEST(Variant5, writeDefaultsOnceGivesTheDefaultCopiesOnceAndIsThenClear) {
    Editor editor(SystemVariant::Kv4);
    editor.view.kv.sounderTime = 7;
    editor.view.codeCount = 1;
    editor.view.codes[0] = {"123   ", 0};
    editor.view.kv.objects[5] = "12";
    editor.tables.writeDefaultsOnce = true;

    const SettingsImage codes = editor.codes();
    EXPECT_EQ(slice(codes, 0, 1792), editor.tables.defaultCodes.values());
    EXPECT_TRUE(editor.tables.writeDefaultsOnce);
    EXPECT_EQ(editor.settings(), editor.tables.defaultSettings);
    EXPECT_FALSE(editor.tables.writeDefaultsOnce);

    EXPECT_EQ(editor.settings()[31], 7);
    EXPECT_EQ(editor.codes()[0], 129);
}

}  // namespace
}  // namespace livna::setka
