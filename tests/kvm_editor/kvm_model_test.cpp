// The Ливна-КВ-М settings model without a window: round trips through decode and encode, every
// value decode reduces to what the editor can show, and the fields encode refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

#include "common/settings_file.h"
#include "kvm_editor/kvm_model.h"
#include "kvm_images.h"

using namespace livna;
using namespace livna::test;

namespace {

constexpr std::size_t kB3 = 768;

SettingsImage factoryImage() {
    ImageResult r =
        readSettingsFile(std::filesystem::path(LIVNA_DATA_DIR) / "Conf" / "640dkvmdef.cfg", kKvmImageSize);
    EXPECT_TRUE(r.ok());
    return r.image;
}

SettingsImage encoded(const kvm::Settings& settings) {
    auto result = kvm::encode(settings);
    if (const auto* refusal = std::get_if<kvm::Refusal>(&result)) {
        ADD_FAILURE() << "encode refused field " << static_cast<int>(refusal->field) << " index "
                      << refusal->index;
        return {};
    }
    return std::get<SettingsImage>(result);
}

std::vector<std::size_t> noteIndices(const kvm::Decoded& decoded) {
    std::vector<std::size_t> out;
    for (const kvm::Note& n : decoded.notes) out.push_back(n.index);
    return out;
}

}  // namespace

TEST(KvmModelRoundTrip, factoryFile_isAFixedPoint) {
    const SettingsImage factory = factoryImage();
    const kvm::Decoded decoded = kvm::decode(factory);
    EXPECT_TRUE(decoded.notes.empty());
    EXPECT_EQ(encoded(decoded.settings), factory);
}

TEST(KvmModelRoundTrip, denseImage_comesBackButForTheSystemNumbers) {
    SettingsImage dense = denseImage();
    for (std::size_t i = 512; i <= 703; ++i) dense[i] = static_cast<std::int32_t>(i % 251 + 1);
    const kvm::Decoded decoded = kvm::decode(dense);
    // The system numbers are shown, never stored.
    EXPECT_EQ(decoded.settings.systemNumbers.front(), 512 % 251 + 1);
    EXPECT_EQ(decoded.settings.systemNumbers.back(), 703 % 251 + 1);
    std::vector<std::size_t> systemNumbers;
    for (std::size_t i = 512; i <= 703; ++i) systemNumbers.push_back(i);
    EXPECT_EQ(noteIndices(decoded), systemNumbers);
    SettingsImage want = dense;
    for (std::size_t i = 512; i <= 703; ++i) want[i] = 0;
    EXPECT_EQ(encoded(decoded.settings), want);
    EXPECT_EQ(kvm::decode(want).settings.codes, decoded.settings.codes);
}

TEST(KvmModelRoundTrip, shortImage_readsAsZerosBeyondItsEnd) {
    SettingsImage zeros(kKvmImageSize);
    SettingsImage shortImage(100);
    EXPECT_EQ(kvm::decode(shortImage).settings, kvm::decode(zeros).settings);
}

// Every value the editor cannot show as such: what the model stores back, and the note it leaves.
// The factory image is changed at one value (and the values listed with it).
struct Normalised {
    const char* what;
    std::size_t index;
    std::int32_t value;
    std::int32_t stored;
};

void PrintTo(const Normalised& c, std::ostream* os) {
    *os << c.what;
}

class KvmModelNormalises : public testing::TestWithParam<Normalised> {};

TEST_P(KvmModelNormalises, storesWhatTheControlShows) {
    const Normalised& c = GetParam();
    SettingsImage image = factoryImage();
    image[c.index] = c.value;
    const kvm::Decoded decoded = kvm::decode(image);
    EXPECT_EQ(decoded.notes, (std::vector<kvm::Note>{{c.index, c.value}}));
    EXPECT_EQ(encoded(decoded.settings)[c.index], c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    EveryValue, KvmModelNormalises,
    testing::Values(
        Normalised{"marker", 0, 5, 170}, Normalised{"never stored", 61, 9, 0},
        Normalised{"not shown", 24, 7, 0}, Normalised{"block 3 beyond the voice module", kB3 + 60, 3, 0},
        Normalised{"system number", 600, 12, 0}, Normalised{"engineer digit without 128", 2, 5, 133},
        Normalised{"user password slot 67", 41, 67, 128 + 3},
        Normalised{"delay 511 is its low byte", 10, 511, 255}, Normalised{"sound 300", 31, 300, 44},
        Normalised{"forty codes", 23, 40, 32}, Normalised{"key count 200", 22, 200, 96},
        Normalised{"partition name 60", 256, 60, -1}, Normalised{"range 16", 49, 16, -1},
        Normalised{"volume 49 is 0", kB3 + 57, 49, 48}, Normalised{"volume 70", kB3 + 57, 70, 46},
        Normalised{"binding 17", 64, 17, 0}, Normalised{"binding -1", 100, -1, 0},
        Normalised{"sounder 7 reads as alarm only", 30, 7, 2},
        Normalised{"backlight 9 reads as automatic", 32, 9, 2},
        Normalised{"password reset 5 reads as forbidden", 35, 5, 1},
        Normalised{"GSM 3 reads as on", 34, 3, 255}, Normalised{"phone 1 reads as on", 63, 1, 255},
        Normalised{"event reporting bit 5", 36, 0x3F, 0x1F}, Normalised{"spare of event reporting", 37, 4, 0},
        Normalised{"duress 2 reads as not used", kB3, 2, 0},
        Normalised{"voice module 9 reads as on", kB3 + 44, 9, 1},
        Normalised{"voice messages beyond 12", kB3 + 46, 0x1F, 0x0F},
        Normalised{"reminded troubles beyond 3", kB3 + 58, 0x0F, 0x07},
        Normalised{"reminder after disarm 4", kB3 + 55, 4, -1},
        Normalised{"automatic reminder -2", kB3 + 56, -2, -1}, Normalised{"relay 3 mode 9", kB3 + 18, 9, -1},
        Normalised{"loop types 0x22", 59, 0x22, 0xFF}, Normalised{"double triggering bit 1", 60, 0x02, 0},
        Normalised{"output events byte B bit 4", kB3 + 5, 0x1F, 0x0F},
        Normalised{"output close time 300", kB3 + 6, 300, -1}, Normalised{"output inverse 2", kB3 + 9, 2, -1},
        Normalised{"time hours 300 are their low byte", kB3 + 47, 300, 44},
        Normalised{"own name of a built-in name", 272, 65, 0}));

TEST(KvmModelNormalises, noneChosen_isStoredAsNone) {
    SettingsImage image = factoryImage();
    image[256] = -1;  // partition 1 without a name
    const kvm::Decoded decoded = kvm::decode(image);
    EXPECT_EQ(decoded.settings.partitions[0].nameItem, -1);
    EXPECT_TRUE(decoded.notes.empty());
    EXPECT_EQ(encoded(decoded.settings)[256], -1);
}

TEST(KvmModelNormalises, accessEntriesOutOfUse_orWithoutDigits_storeNothing) {
    SettingsImage image = denseImage();
    image[23] = 2;                // codes 3..32 out of use
    image[22] = 0;                // no key in use
    image[1024 + 8 + 0] = kNone;  // code 2 without digits: its partitions are not shown either
    const kvm::Decoded decoded = kvm::decode(image);
    const SettingsImage got = encoded(decoded.settings);
    for (std::size_t c = 1; c < 32; ++c)
        for (std::size_t i = 0; i < 8; ++i)
            EXPECT_EQ(got[1024 + 8 * c + i], i < 6 ? kNone : 0) << c << " " << i;
    for (std::size_t i = 1280; i < 2048; i += 8) EXPECT_EQ(got[i], kNone);
    EXPECT_EQ(got[1024 + 6], image[1024 + 6]);  // code 1 keeps its partitions
    EXPECT_FALSE(decoded.notes.empty());
    for (const kvm::Note& n : decoded.notes) EXPECT_GE(n.index, 1024u + 8);
}

TEST(KvmModelNormalises, codeDigitsStopAtTheFirstNoneOrZero) {
    SettingsImage image = factoryImage();
    image[23] = 1;
    const std::int32_t entry[8] = {
        encodeDigit(4), encodeDigit(2), encodeDigit(0), encodeDigit(7), kNone, kNone, 3, 0};
    for (std::size_t i = 0; i < 8; ++i) image[1024 + i] = entry[i];
    const kvm::Decoded decoded = kvm::decode(image);
    EXPECT_EQ(decoded.settings.codes[0].text, "42");
    const SettingsImage got = encoded(decoded.settings);
    const std::int32_t want[8] = {encodeDigit(4), encodeDigit(2), kNone, kNone, kNone, kNone, 3, 0};
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(got[1024 + i], want[i]) << i;
    EXPECT_EQ(noteIndices(decoded), (std::vector<std::size_t>{1026, 1027}));
}

TEST(KvmModelNormalises, partitionBothFireAndEmergency_isKeptForTheWindowToShow) {
    const kvm::Decoded decoded = kvm::decode(factoryImage());
    kvm::Settings s = decoded.settings;
    s.partitions[2].fire = true;
    s.partitions[2].emergency = true;
    const SettingsImage got = encoded(s);
    EXPECT_TRUE(partitionInSet(got, 14, 3));
    EXPECT_TRUE(partitionInSet(got, 47, 3));
}

TEST(KvmModelEncode, fixedValues) {
    kvm::Settings s = kvm::decode(denseImage()).settings;
    s.versionCode = 32;
    const SettingsImage got = encoded(s);
    EXPECT_EQ(got.size(), kKvmImageSize);
    EXPECT_EQ(got[0], 170);
    EXPECT_EQ(got[1], 32);
    EXPECT_EQ(got[61], 0);
}

TEST(KvmModelEncode, textsAsTheInstallerLeavesThem) {
    kvm::Settings s = kvm::decode(factoryImage()).settings;
    s.codeCount.position = 1;
    s.codes[0] = {"12 4  ", 0x8001};
    s.keyCount.position = 1;
    s.keys[0] = {"ABCD", 0};
    s.bindings[7] = "x";
    s.bindings[8] = " 5";
    s.loops[0].partition = " 0";
    s.times[2] = "";
    s.userPassword = "9 1";
    const SettingsImage got = encoded(s);
    const std::int32_t code[8] = {encodeDigit(1), encodeDigit(2), encodeDigit(4), kNone,
                                  kNone,          kNone,          0x01,           0x80};
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(got[1024 + i], code[i]) << i;
    // h1h2 = "AB" at offset 5, h3h4 = "CD" at offset 4, the rest "0".
    const std::int32_t key[6] = {0, 0, 0, 0, 0xCD, 0xAB};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(got[1280 + i], key[i]) << i;
    EXPECT_EQ(got[64 + 7], 1);  // a binding that is not a number
    EXPECT_EQ(got[64 + 8], 5);
    EXPECT_EQ(got[57], 0);
    EXPECT_EQ(got[kB3 + 51], 0);  // a blank time is left out
    EXPECT_EQ(got[kB3 + 52], 0);
    const std::int32_t user[6] = {encodeDigit(9), kNone, encodeDigit(1), kNone, kNone, kNone};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(got[40 + i], user[i]) << i;
}

// The fields encode refuses, each named as the window's box names it.
struct Refused {
    const char* what;
    void (*spoil)(kvm::Settings&);
    kvm::Refusal refusal;
};

void PrintTo(const Refused& c, std::ostream* os) {
    *os << c.what;
}

class KvmModelRefuses : public testing::TestWithParam<Refused> {};

TEST_P(KvmModelRefuses, namesTheField) {
    kvm::Settings s = kvm::decode(denseImage()).settings;
    GetParam().spoil(s);
    auto result = kvm::encode(s);
    ASSERT_TRUE(std::holds_alternative<kvm::Refusal>(result));
    EXPECT_EQ(std::get<kvm::Refusal>(result), GetParam().refusal);
}

using kvm::Field;

INSTANTIATE_TEST_SUITE_P(
    EveryField, KvmModelRefuses,
    testing::Values(
        Refused{"engineer letters",
                [](kvm::Settings& s) { s.engineerPassword = "12a4"; },
                {Field::EngineerPassword, 0, -1}},
        Refused{"engineer three digits",
                [](kvm::Settings& s) { s.engineerPassword = "583"; },
                {Field::EngineerPassword, 0, 3}},
        Refused{"engineer inner space",
                [](kvm::Settings& s) { s.engineerPassword = "58 3"; },
                {Field::EngineerPassword, 0, 3}},
        Refused{"engineer empty",
                [](kvm::Settings& s) { s.engineerPassword = ""; },
                {Field::EngineerPassword, 0, 0}},
        Refused{"user letter", [](kvm::Settings& s) { s.userPassword = "12x"; }, {Field::UserPassword}},
        Refused{
            "user seven places", [](kvm::Settings& s) { s.userPassword = "1234567"; }, {Field::UserPassword}},
        Refused{"code letter", [](kvm::Settings& s) { s.codes[1].text = "1a"; }, {Field::Code, 1}},
        Refused{
            "code seven digits", [](kvm::Settings& s) { s.codes[31].text = "1234567"; }, {Field::Code, 31}},
        Refused{"delay letters", [](kvm::Settings& s) { s.seconds[0].text = "1x"; }, {Field::Seconds, 0}},
        Refused{
            "display time letters", [](kvm::Settings& s) { s.seconds[6].text = "z"; }, {Field::Seconds, 6}},
        Refused{"count letters", [](kvm::Settings& s) { s.codeCount.text = "3z"; }, {Field::CodeCount}},
        Refused{"key count letters", [](kvm::Settings& s) { s.keyCount.text = "-"; }, {Field::KeyCount}},
        Refused{"time hours blank", [](kvm::Settings& s) { s.times[0] = "  :30"; }, {Field::Time, 0}},
        Refused{"time minutes blank", [](kvm::Settings& s) { s.times[3] = "12:  "; }, {Field::Time, 3}},
        Refused{"the first in order wins",
                [](kvm::Settings& s) {
                    s.codes[0].text = "x";
                    s.times[1] = "ab:cd";
                    s.keyCount.text = "q";
                },
                {Field::KeyCount}}));

TEST(KvmModelEncode, blankCountersAndUnusedCodes_areNotRefused) {
    kvm::Settings s = kvm::decode(denseImage()).settings;
    s.seconds[2].text = "  ";
    s.codeCount.text = "";
    s.codeCount.position = 1;
    s.codes[5].text = "letters out of use";
    const SettingsImage got = encoded(s);
    EXPECT_EQ(got[12], s.seconds[2].position);
    EXPECT_EQ(got[1024 + 8 * 5], kNone);
}

TEST(KvmModelDecode, digitsTheFieldsCannotTakeBack_areRefusedNotChanged) {
    SettingsImage image = factoryImage();
    image[3] = 128 + 11;
    const kvm::Decoded decoded = kvm::decode(image);
    EXPECT_EQ(decoded.settings.engineerPassword.substr(1, 1), "B");
    const auto result = kvm::encode(decoded.settings);
    ASSERT_TRUE(std::holds_alternative<kvm::Refusal>(result));
    EXPECT_EQ(std::get<kvm::Refusal>(result), (kvm::Refusal{Field::EngineerPassword, 0, -1}));
}

TEST(KvmModelParseInteger, readsAsTheFieldsDo) {
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {{"", std::nullopt},
                 {"  ", std::nullopt},
                 {"12", 12},
                 {" 12\t", 12},
                 {"+5", 5},
                 {"-3", -3},
                 {"1x", std::nullopt},
                 {"1 2", std::nullopt},
                 {"-", std::nullopt},
                 {"2147483647", 2147483647},
                 {"2147483648", std::nullopt},
                 {"-2147483648", -2147483647 - 1}};
    for (const auto& c : cases) EXPECT_EQ(kvm::parseInteger(c.text), c.value) << '"' << c.text << '"';
}

// A hand-edited file may hold values outside -1..255, which the editor carries once the installer
// agrees. The panel receives their low byte; that is what is stored, so the image can be saved.
TEST(KvmModelEncode, valuesOutsideTheFileRange_storedAsTheirLowByte) {
    struct Case {
        const char* name;
        std::int32_t value;
        std::int32_t stored;
    };
    const Case cases[] = {
        {"999", 999, 999 & 0xFF}, {"256", 256, 0},         {"-2", -2, 254},
        {"-1 stays", -1, -1},     {"255 stays", 255, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsImage image = factoryImage();
        for (std::size_t i : {6, 7, 8, 9, 25, 26}) image[i] = c.value;
        const SettingsImage got = encoded(kvm::decode(image).settings);
        ASSERT_EQ(got.size(), kKvmImageSize);
        for (std::size_t i : {6, 7, 8, 9, 25, 26}) EXPECT_EQ(got[i], c.stored) << "value " << i;
    }
}
