#include "common/kvm_encoding.h"

#include <cstdio>

#include "common/utf8.h"

namespace livna {

namespace {

constexpr std::int32_t low8(std::int32_t v) {
    return v & 0xFF;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

// ---- Partition set

bool partitionInSet(std::int32_t a, std::int32_t b, int partition) {
    if (partition < 1 || partition > kPartitionCount) return false;
    return partition <= 8 ? ((a >> (partition - 1)) & 1) != 0 : ((b >> (partition - 9)) & 1) != 0;
}

void setPartitionInSet(std::int32_t& a, std::int32_t& b, int partition, bool on) {
    if (partition < 1 || partition > kPartitionCount) return;
    std::int32_t& v = partition <= 8 ? a : b;
    const std::int32_t bit = 1 << ((partition - 1) % 8);
    v = on ? (v | bit) : (v & ~bit);
}

bool partitionInSet(const SettingsImage& image, std::size_t first, int partition) {
    return partitionInSet(image.at(first), image.at(first + 1), partition);
}

void setPartitionInSet(SettingsImage& image, std::size_t first, int partition, bool on) {
    setPartitionInSet(image.at(first), image.at(first + 1), partition, on);
}

std::uint16_t partitionMask(std::int32_t a, std::int32_t b) {
    return static_cast<std::uint16_t>(low8(a) | (low8(b) << 8));
}

std::pair<std::int32_t, std::int32_t> partitionPair(std::uint16_t mask) {
    return {mask & 0xFF, mask >> 8};
}

// ---- Digits, passwords, codes

char digitChar(int digit) {
    digit &= 0x0F;
    return digit < 10 ? static_cast<char>('0' + digit) : static_cast<char>('A' + digit - 10);
}

std::optional<EngineerPasswordValues> encodeEngineerPassword(int password) {
    if (password < 0 || password > 9999) return std::nullopt;
    return EngineerPasswordValues{encodeDigit(password / 1000), encodeDigit(password / 100 % 10),
                                  encodeDigit(password / 10 % 10), encodeDigit(password % 10)};
}

std::optional<EngineerPasswordValues> encodeEngineerPassword(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.size() > 4) return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (!isDigit(c)) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return encodeEngineerPassword(n);
}

std::string engineerPasswordText(std::span<const std::int32_t, kEngineerPasswordLength> values) {
    std::string out;
    for (std::int32_t v : values) out.push_back(digitChar(decodeDigit(v)));
    return out;
}

std::optional<UserPasswordValues> encodeUserPassword(std::string_view text) {
    if (text.size() > kUserPasswordLength) return std::nullopt;
    UserPasswordValues out;
    out.fill(kNone);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ') continue;
        if (!isDigit(text[i])) return std::nullopt;
        out[i] = encodeDigit(text[i] - '0');
    }
    return out;
}

std::string userPasswordText(std::span<const std::int32_t, kUserPasswordLength> values) {
    std::string out;
    for (std::int32_t v : values) out.push_back(low8(v) == kNone ? ' ' : digitChar(decodeDigit(v)));
    return out;
}

std::optional<CodeDigitValues> encodeCodeDigits(std::string_view text) {
    CodeDigitValues out;
    out.fill(kNone);
    std::size_t n = 0;
    for (char c : text) {
        if (c == ' ') continue;
        if (!isDigit(c) || n == kCodeDigitCount) return std::nullopt;
        out[n++] = encodeDigit(c - '0');
    }
    return out;
}

std::string codeDigitsText(std::span<const std::int32_t, kCodeDigitCount> values) {
    std::string out;
    for (std::int32_t v : values) {
        if (low8(v) == kNone || decodeDigit(v) == 0) break;
        out.push_back(digitChar(decodeDigit(v)));
    }
    return out;
}

// ---- Keys

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

}  // namespace

KeyValues encodeKey(std::string_view text) {
    KeyValues out{};
    auto nibble = [&](std::size_t i) { return i < text.size() ? hexValue(text[i]) : 0; };
    for (std::size_t pair = 0; pair < kKeyByteCount; ++pair)
        out[kKeyByteCount - 1 - pair] = nibble(2 * pair) * 16 + nibble(2 * pair + 1);
    return out;
}

bool isStorableKey(std::string_view text) {
    return encodeKey(text)[0] != kNone;
}

std::string keyText(std::span<const std::int32_t, kKeyByteCount> values) {
    if (low8(values[0]) == kNone) return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = kKeyByteCount; i-- > 0;) {
        const std::int32_t b = low8(values[i]);
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0x0F]);
    }
    return out;
}

// ---- PanelCharset

namespace {

// Display codes of the Windows-1251 letters А..я (0xC0..0xFF), in Windows-1251 order.
constexpr std::uint8_t kLetterCodes[64] = {
    0x41, 0xA0, 0x42, 0xA1, 0xE0, 0x45, 0xA3, 0xA4, 0xA5, 0xA6, 0x4B, 0xA7, 0x4D, 0x48, 0x4F, 0xA8,  // А..П
    0x50, 0x43, 0x54, 0xA9, 0xAA, 0x58, 0xE1, 0xAB, 0xAC, 0xE2, 0xAD, 0xAE, 0x08, 0xAF, 0xB0, 0xB1,  // Р..Я
    0x61, 0xB2, 0xB3, 0xB4, 0xE3, 0x65, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0x6F, 0xBE,  // а..п
    0x70, 0x63, 0xBF, 0x79, 0xE4, 0x78, 0xE5, 0xC0, 0xC1, 0xE6, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7,  // р..я
};
constexpr std::uint8_t kCodeUpperIo = 0xA2;  // Ё
constexpr std::uint8_t kCodeLowerIo = 0xB5;  // ё
constexpr std::uint8_t kCodeNumero = 0x17;   // №
constexpr char32_t kUnknownGlyphBase = 0xE000;

// Unicode of the Windows-1251 codes 0x80..0xBF; 0 marks the unassigned 0x98.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Display code -> letter, for the codes of 128 and more the letter table produces.
struct HighCodeTable {
    char32_t letter[128] = {};
    constexpr HighCodeTable() {
        for (int i = 0; i < 64; ++i)
            if (kLetterCodes[i] >= 0x80) letter[kLetterCodes[i] - 0x80] = static_cast<char32_t>(0x0410 + i);
        letter[kCodeUpperIo - 0x80] = U'Ё';
        letter[kCodeLowerIo - 0x80] = U'ё';
    }
};
constexpr HighCodeTable kHighCodes;

}  // namespace

std::uint8_t panelCodeFromChar(char32_t ch) {
    if (ch < 0x80) return static_cast<std::uint8_t>(ch);
    if (ch >= 0x0410 && ch <= 0x044F) return kLetterCodes[ch - 0x0410];
    if (ch == U'Ё') return kCodeUpperIo;
    if (ch == U'ё') return kCodeLowerIo;
    if (ch == U'№') return kCodeNumero;
    if (ch >= kUnknownGlyphBase + 0x80 && ch <= kUnknownGlyphBase + 0xFF)
        return static_cast<std::uint8_t>(ch - kUnknownGlyphBase);
    for (int i = 0; i < 64; ++i)
        if (kCp1251High[i] != 0 && kCp1251High[i] == ch) return static_cast<std::uint8_t>(0x80 + i);
    return '?';
}

char32_t charFromPanelCode(std::uint8_t code) {
    if (code < 0x80) return code;
    const char32_t letter = kHighCodes.letter[code - 0x80];
    return letter != 0 ? letter : kUnknownGlyphBase + code;
}

NameValues encodeName(std::string_view utf8) {
    NameValues out;
    out.fill(' ');
    const std::u32string chars = utf8ToU32(utf8);
    for (std::size_t i = 0; i < kNameLength && i < chars.size(); ++i) out[i] = panelCodeFromChar(chars[i]);
    return out;
}

std::string decodeName(std::span<const std::int32_t, kNameLength> values) {
    std::string out;
    for (std::int32_t v : values) appendUtf8(out, charFromPanelCode(static_cast<std::uint8_t>(low8(v))));
    return out;
}

// ---- Hours/minutes

std::string timeText(std::int32_t hours, std::int32_t minutes) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d", static_cast<int>(low8(hours)),
                  static_cast<int>(low8(minutes)));
    return buf;
}

std::optional<HoursMinutes> parseTime(std::string_view text) {
    auto part = [&](std::size_t from) -> std::optional<std::int32_t> {
        if (from >= text.size()) return std::nullopt;
        std::int32_t n = 0;
        bool any = false;
        for (char c : text.substr(from, 2)) {
            if (c == ' ') continue;
            if (!isDigit(c)) return std::nullopt;
            n = n * 10 + (c - '0');
            any = true;
        }
        if (!any) return std::nullopt;
        return n;
    };
    const auto h = part(0);
    const auto m = part(3);
    if (!h || !m) return std::nullopt;
    return HoursMinutes{*h, *m};
}

// ---- Output modes

namespace {

constexpr int kItemOfCode[kRelayModeCount] = {0, 2, 5, 1, 4, 3, 6};
constexpr std::int32_t kCodeOfItem[kRelayModeCount] = {0, 3, 1, 5, 4, 2, 6};

}  // namespace

int relayRadioItem(std::int32_t code) {
    const int c = code & 0x0F;
    return c < kRelayModeCount ? kItemOfCode[c] : -1;
}

std::int32_t relayModeCode(int radioItem) {
    return radioItem >= 0 && radioItem < kRelayModeCount ? kCodeOfItem[radioItem] : -1;
}

const std::array<std::string, kRelayModeCount>& relayModeCaptions() {
    static const std::array<std::string, kRelayModeCount> captions = {
        "ПЦН тревога", "Контрольная лампа", "Взят/снят",   "Звуковой",
        "Тревога",     "Исполнительный",    "Специальный",
    };
    return captions;
}

std::optional<OutputPreset> outputPreset(std::int32_t modeCode, int output) {
    if (output < 1 || output > kOutputCount) return std::nullopt;
    switch (modeCode) {
        case 0:
            return OutputPreset{13, 0, 255, 0, 0};  // ПЦН тревога
        case 3:
            return OutputPreset{13, 1, 1, 255, 0};  // Контрольная лампа
        case 1:
            return OutputPreset{8, 255, 0, 0, output == 5 ? 1 : 0};  // Взят/снят; ОК 2 inverse
        case 5:
            return OutputPreset{1, 0, 255, 0, 1};  // Звуковой
        case 4:
            return OutputPreset{1, 0, 255, 0, 0};  // Тревога
        case 2:
            return OutputPreset{4, 20, 0, 0, 0};  // Исполнительный
        default:
            return std::nullopt;
    }
}

// ---- Time lists

std::string halfSecondItemText(int index) {
    if (index == kTimeListSize - 1) return "пост.";
    if (index <= 0 || index >= kTimeListSize) return "---";
    return std::to_string(index / 2) + (index % 2 ? ".5" : "") + " сек";
}

std::string fiveSecondItemText(int index) {
    if (index == kTimeListSize - 1) return "пост.";
    if (index <= 0 || index >= kTimeListSize) return "---";
    const int seconds = index * 5;
    if (seconds < 60) return std::to_string(seconds) + " сек";
    if (seconds % 60 == 0) return std::to_string(seconds / 60) + " мин";
    return std::to_string(seconds / 60) + " м " + std::to_string(seconds % 60) + " с";
}

namespace {

std::vector<std::string> listOf(std::string (*text)(int)) {
    std::vector<std::string> items;
    items.reserve(kTimeListSize);
    for (int i = 0; i < kTimeListSize; ++i) items.push_back(text(i));
    return items;
}

}  // namespace

const std::vector<std::string>& halfSecondItems() {
    static const std::vector<std::string> items = listOf(halfSecondItemText);
    return items;
}

const std::vector<std::string>& fiveSecondItems() {
    static const std::vector<std::string> items = listOf(fiveSecondItemText);
    return items;
}

// ---- Partition names

const std::vector<std::string>& builtInPartitionNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n = {
            "раздел",         "аварийн. сигнализ.", "балкон",         "бойлерная", "ванная",   "ворота",
            "входная дверь",  "гаражная  дверь",    "гараж",          "гостинная", "детская",  "зал",
            "запасный выход", "каб. бухгалтера",    "каб. директора", "кабинет",   "кладовка",
        };
        for (int i = 1; i <= 9; ++i) n.push_back("комната  №" + std::to_string(i));
        for (const char* s : {"коридор",
                              "кухня",
                              "лестница",
                              "мансарда",
                              "объем",
                              "объем 1",
                              "объем 2",
                              "объем 3",
                              "охран. сигнализ.",
                              "периметр",
                              "периметр 1",
                              "периметр 2",
                              "подвал",
                              "пожарн. сигнализ.",
                              "пост охраны",
                              "приемная",
                              "прихожая",
                              "санузел",
                              "сауна",
                              "серверная",
                              "склад",
                              "склад 1",
                              "склад 2",
                              "спальня",
                              "столовая",
                              "техн. этаж",
                              "туалет",
                              "этаж 1",
                              "этаж 2",
                              "этаж 3",
                              "пользовательское название"})
            n.emplace_back(s);
        return n;
    }();
    return names;
}

int partitionNameItem(std::int32_t value) {
    if (value >= 0 && value < kOwnNameItem) return value;
    return value == kOwnNameValue ? kOwnNameItem : -1;
}

std::int32_t partitionNameValue(int item) {
    if (item >= 0 && item < kOwnNameItem) return item;
    return item == kOwnNameItem ? kOwnNameValue : -1;
}

// ---- Volume

int volumeItem(std::int32_t value) {
    const std::int64_t d = static_cast<std::int64_t>(value) - 48;
    const std::int64_t item = d >= 0 ? d / 2 : -((-d + 1) / 2);
    return item >= 0 && item < kVolumeItemCount ? static_cast<int>(item) : -1;
}

}  // namespace livna
