#include "kv_editor/kv_model.h"

#include <algorithm>
#include <optional>

#include "common/kvm_encoding.h"

namespace livna::kv {

namespace {

// ---- Where each setting lives: image value numbers.

constexpr std::size_t kVersion = 1;
constexpr std::size_t kCarried = 2;
constexpr std::size_t kPasswordReset = 12;
constexpr std::size_t kEngineerPassword = 13;
constexpr std::size_t kAdministratorPassword = 17;
constexpr std::size_t kCodeCount = 23;
constexpr std::int32_t kConstantValue = 1;  ///< value 24
constexpr std::size_t kRelays = 25;         ///< relay 1 low half, relay 2 high half
constexpr std::size_t kSoundMode = 26;
constexpr std::size_t kSoundDuration = 27;
constexpr std::size_t kBacklightMode = 28;
constexpr std::size_t kBacklightDuration = 29;
constexpr std::size_t kSpeed = 30;
constexpr std::size_t kNotices = 31;
constexpr std::size_t kZoneMasks = 256;    ///< РПД r at kZoneMasks + r - 1
constexpr std::size_t kObjectTable = 352;  ///< objects 1..48, two values each
constexpr int kObjectTableObjects = 48;
constexpr std::size_t kCodeTable = 512;  ///< code k at kCodeTable + 6 (k - 1)
constexpr std::size_t kZoneTable = 768;  ///< РПД r, ШС s + 1 at kZoneTable + 16 (r - 1) + 2 s, low byte first
constexpr int kDetectorsPerGroup = 24;  ///< the object table's group of a РПД: r div 24
constexpr std::int32_t kGroupStep = 32;

std::int32_t valueAt(const SettingsImage& image, std::size_t i) {
    return i < image.size() ? image[i] : 0;
}

std::int32_t lowByte(std::int32_t value) {
    return value & 0xFF;
}

/// One character per slot that is not None: the digit of its low 4 bits ('A'..'F' for 10..15).
std::string slotText(const SettingsImage& image, std::size_t first, std::size_t slots) {
    std::string text;
    for (std::size_t i = 0; i < slots; ++i)
        if (const std::int32_t v = valueAt(image, first + i); v != kNone) text += digitChar(decodeDigit(v));
    return text;
}

/// Digit per character and None for the slots left; nothing when the text holds anything but
/// decimal digits or more characters than slots.
std::optional<std::vector<std::int32_t>> slotValues(const std::string& text, std::size_t slots) {
    if (text.size() > slots) return std::nullopt;
    std::vector<std::int32_t> values(slots, kNone);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        values[i] = encodeDigit(text[i] - '0');
    }
    return values;
}

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

/// The value of a code's text for the repeat check: 0 when it is not all decimal digits.
int codeValue(const std::string& text) {
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

void decodeZones(const SettingsImage& image, Decoded& out) {
    Settings& s = out.settings;
    for (int z = 0; z < kDetectors * kZones; ++z) {
        const int r = z / kZones + 1;
        const int slot = z % kZones;
        const std::size_t at = kZoneTable + 2 * static_cast<std::size_t>(z);
        // Summed wide: two values of a file can be anything.
        const std::int64_t object =
            std::int64_t{valueAt(image, at)} + std::int64_t{256} * std::int64_t{valueAt(image, at + 1)};
        if (object == 0) continue;
        if (object < 1 || object > kObjects) {
            out.droppedZones.push_back({r, slot + 1, object});
            continue;
        }
        const std::int32_t mask = valueAt(image, kZoneMasks + static_cast<std::size_t>(r) - 1);
        ObjectEntry& entry = s.objects[static_cast<std::size_t>(object) - 1];
        entry.on = ((mask >> slot) & 1) != 0;
        entry.detector = r;
        DetectorEntry& detector = s.detectors[static_cast<std::size_t>(r) - 1];
        detector.number = r;
        detector.objects[static_cast<std::size_t>(slot)] = static_cast<int>(object);
    }
}

void put(std::vector<std::int32_t>& values, const std::vector<std::int32_t>& slots) {
    values.insert(values.end(), slots.begin(), slots.end());
}

void padTo(std::vector<std::int32_t>& values, std::size_t size) {
    values.resize(size, kNone);
}

}  // namespace

Settings::Settings() {
    for (int n = 1; n <= kObjects; ++n) objects[static_cast<std::size_t>(n) - 1].number = n;
}

Decoded decode(const SettingsImage& image) {
    Decoded out;
    Settings& s = out.settings;
    s.versionCode = lowByte(valueAt(image, kVersion));
    for (std::size_t i = 0; i < s.carried.size(); ++i) s.carried[i] = lowByte(valueAt(image, kCarried + i));
    s.passwordReset = lowByte(valueAt(image, kPasswordReset));
    s.engineerPassword = slotText(image, kEngineerPassword, kEngineerPasswordSlots);
    s.administratorPassword = slotText(image, kAdministratorPassword, kAdministratorPasswordSlots);

    const std::int32_t count = valueAt(image, kCodeCount);
    s.codeCount = std::clamp(count, 0, kCodes);
    out.codeCountClamped = s.codeCount != count;
    for (int k = 0; k < s.codeCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        s.codes[i] = slotText(image, kCodeTable + kCodeSlots * i, kCodeSlots);
        s.accCode[i] = codeValue(s.codes[i]);
    }

    const std::int32_t relays = valueAt(image, kRelays);
    s.relay1 = relays & 0x0F;
    s.relay2 = (relays >> 4) & 0x0F;
    s.soundMode = lowByte(valueAt(image, kSoundMode));
    s.soundDuration = std::clamp(valueAt(image, kSoundDuration), 0, kDurationMax);
    s.backlightMode = lowByte(valueAt(image, kBacklightMode));
    s.backlightDuration = std::clamp(valueAt(image, kBacklightDuration), 0, kDurationMax);
    s.fastSpeed = valueAt(image, kSpeed) == kFastSpeed;
    for (std::size_t i = 0; i < s.notices.size(); ++i)
        s.notices[i] = valueAt(image, kNotices + i) == 0 ? Notice::Trouble : Notice::Alarm;

    decodeZones(image, out);
    return out;
}

std::variant<SettingsImage, Refusal> encode(const Settings& s) {
    const auto engineer = slotValues(s.engineerPassword, kEngineerPasswordSlots);
    if (!engineer) return Refusal{Field::EngineerPassword};
    const auto administrator = slotValues(s.administratorPassword, kAdministratorPasswordSlots);
    if (!administrator) return Refusal{Field::AdministratorPassword};
    const int count = std::clamp(s.codeCount, 0, kCodes);
    std::vector<std::vector<std::int32_t>> codes;
    for (int k = 0; k < count; ++k) {
        auto slots = slotValues(s.codes[static_cast<std::size_t>(k)], kCodeSlots);
        if (!slots) return Refusal{Field::Code, k + 1};
        codes.push_back(std::move(*slots));
    }

    std::vector<std::int32_t> v;
    v.reserve(kKvImageSize);
    v.push_back(kImageMarker);
    v.push_back(s.versionCode);
    v.insert(v.end(), s.carried.begin(), s.carried.end());
    v.push_back(s.passwordReset);
    put(v, *engineer);
    put(v, *administrator);
    v.push_back(count);
    v.push_back(kConstantValue);
    v.push_back(((s.relay2 & 0x0F) << 4) | (s.relay1 & 0x0F));
    v.push_back(s.soundMode);
    v.push_back(std::clamp(s.soundDuration, 0, kDurationMax));
    v.push_back(s.backlightMode);
    v.push_back(std::clamp(s.backlightDuration, 0, kDurationMax));
    v.push_back(s.fastSpeed ? kFastSpeed : kNone);
    for (Notice notice : s.notices) v.push_back(static_cast<std::int32_t>(notice));
    padTo(v, kZoneMasks);

    for (const DetectorEntry& d : s.detectors) {
        std::int32_t mask = 0xFF;
        for (int slot = 0; slot < kZones; ++slot) {
            const int object = d.objects[static_cast<std::size_t>(slot)];
            if (object != 0 && !s.objects[static_cast<std::size_t>(object) - 1].on) mask &= ~(1 << slot);
        }
        v.push_back(mask);
    }
    // The object table follows the masks directly.
    static_assert(kObjectTable == kZoneMasks + kDetectors);
    for (int n = 1; n <= kObjectTableObjects; ++n) {
        const int r = s.objects[static_cast<std::size_t>(n) - 1].detector;
        if (r == 0) {
            v.insert(v.end(), {kNone, kNone});
            continue;
        }
        std::int32_t used = 0;
        const DetectorEntry& d = s.detectors[static_cast<std::size_t>(r) - 1];
        for (int slot = 0; slot < kZones; ++slot)
            if (d.objects[static_cast<std::size_t>(slot)] != 0) used |= 1 << slot;
        v.push_back(((r / kDetectorsPerGroup + 1) * kGroupStep) | r);
        v.push_back(used);
    }
    padTo(v, kCodeTable);

    for (const auto& code : codes) put(v, code);
    padTo(v, kZoneTable);  // codes beyond the count are six Nones

    for (const DetectorEntry& d : s.detectors)
        for (int object : d.objects) v.insert(v.end(), {object & 0xFF, object >> 8});
    return SettingsImage(std::move(v));
}

std::array<std::string, 12> objectRowTexts(const Settings& s, int n) {
    const ObjectEntry& object = s.objects[static_cast<std::size_t>(n) - 1];
    std::array<std::string, 12> row;
    row[0] = std::to_string(n);
    row[1] = object.on ? "   X" : "   ";
    row[2] = std::to_string(object.detector);
    row[3] = "Доступные ШС:";
    if (object.detector != 0) {
        const DetectorEntry& d = s.detectors[static_cast<std::size_t>(object.detector) - 1];
        for (std::size_t slot = 0; slot < kZones; ++slot)
            if (d.objects[slot] == n) row[4 + slot] = " X";
    }
    return row;
}

// ---- the code list -----------------------------------------------------------------------------

std::string codeMessage(CodeVerdict verdict) {
    switch (verdict) {
        case CodeVerdict::NotDigits:
            return "Введен неверный код!\nКод должен содержать только цифры!";
        case CodeVerdict::Length:
            return "Введен неверный код!\nКод должен иметь длину от 3 до 6 цифр!";
        case CodeVerdict::Zero:
            return "Введен неверный код!\nКод не должен быть равным нулю!";
        case CodeVerdict::Repeat:
            return "Введен повторяющийся код!\nКод должен уникальным!";
        case CodeVerdict::Stored:
        case CodeVerdict::NoRow:
            break;
    }
    return {};
}

CodeVerdict checkCode(const Settings& s, const std::string& text) {
    const bool digits =
        !text.empty() && text.size() <= kCodeSlots && std::all_of(text.begin(), text.end(), isDecimalDigit);
    if (!digits) return CodeVerdict::NotDigits;
    if (text.size() < 3) return CodeVerdict::Length;
    const int value = codeValue(text);
    if (value == 0) return CodeVerdict::Zero;
    if (std::find(s.accCode.begin(), s.accCode.end(), value) != s.accCode.end()) return CodeVerdict::Repeat;
    return CodeVerdict::Stored;
}

CodeVerdict storeCode(Settings& s, int row, const std::string& text) {
    if (row < 1 || row > s.codeCount) return CodeVerdict::NoRow;
    const CodeVerdict verdict = checkCode(s, text);
    if (verdict != CodeVerdict::Stored) return verdict;
    const auto i = static_cast<std::size_t>(row) - 1;
    s.codes[i] = text;
    s.accCode[i] = codeValue(text);
    return verdict;
}

void setCodeCount(Settings& s, int count) {
    count = std::clamp(count, 0, kCodes);
    for (int k = count; k < s.codeCount; ++k) {
        s.codes[static_cast<std::size_t>(k)].clear();
        s.accCode[static_cast<std::size_t>(k)] = 0;
    }
    s.codeCount = count;
}

bool deleteCode(Settings& s, int row) {
    if (row < 1 || row > s.codeCount) return false;
    const auto first = s.codes.begin() + (row - 1);
    std::move(first + 1, s.codes.end(), first);
    s.codes.back().clear();
    const auto firstValue = s.accCode.begin() + (row - 1);
    std::move(firstValue + 1, s.accCode.end(), firstValue);
    s.accCode.back() = 0;
    --s.codeCount;
    return true;
}

// ---- the object assignment ---------------------------------------------------------------------

ZoneBoxes zoneBoxes(const Settings& s, int object, int detector) {
    ZoneBoxes boxes{};
    if (detector < 1 || detector > kDetectors) return boxes;
    const DetectorEntry& d = s.detectors[static_cast<std::size_t>(detector) - 1];
    for (std::size_t slot = 0; slot < kZones; ++slot) {
        const int holder = d.objects[slot];
        boxes[slot] = {holder == 0 || holder == object, holder != 0};
    }
    return boxes;
}

DetectorText readDetector(const std::string& text) {
    // A sign is read as the field's own arrows never give it: "-1" is a number, out of range.
    const std::size_t digitsFrom = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const bool digits =
        text.size() > digitsFrom &&
        std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digitsFrom), text.end(), isDecimalDigit);
    if (!digits) return {DetectorVerdict::NotDigits, 0};
    if (digitsFrom != 0 && text[0] == '-') return {DetectorVerdict::OutOfRange, 0};
    const int number = text.size() - digitsFrom > 2 ? kDetectors + 1 : codeValue(text.substr(digitsFrom));
    if (number < 1 || number > kDetectors) return {DetectorVerdict::OutOfRange, 0};
    return {DetectorVerdict::Valid, number};
}

std::string detectorMessage(DetectorVerdict verdict) {
    switch (verdict) {
        case DetectorVerdict::NotDigits:
            return codeMessage(CodeVerdict::NotDigits);
        case DetectorVerdict::OutOfRange:
            return "Введен неверный номер РПД!\nНомер РПД должен быть от 1 до 96!";
        case DetectorVerdict::Valid:
            break;
    }
    return {};
}

void storeAssignment(Settings& s, int object, bool on, int detector, const ZoneBoxes& boxes) {
    ObjectEntry& entry = s.objects[static_cast<std::size_t>(object) - 1];
    const int old = entry.detector;
    entry.on = on;
    entry.detector = detector;
    DetectorEntry& d = s.detectors[static_cast<std::size_t>(detector) - 1];
    d.number = detector;
    for (std::size_t slot = 0; slot < kZones; ++slot)
        if (boxes[slot].enabled) d.objects[slot] = boxes[slot].ticked ? object : 0;
    if (old == detector || old == 0) return;
    for (int& holder : s.detectors[static_cast<std::size_t>(old) - 1].objects)
        if (holder == object) holder = 0;
}

}  // namespace livna::kv
