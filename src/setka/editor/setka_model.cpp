// ApplyImage, GatherImage, GatherCodes and the factory settings of the setka editor, step by step
// in the order the window has always shown and built a configuration.
#include "setka/editor/setka_model.h"

#include <algorithm>
#include <span>

#include "common/kvm_encoding.h"
#include "common/utf8.h"
#include "setka/editor/default_images.h"
#include "setka/editor/setka_rules.h"

namespace livna::setka {

namespace {

// ---- SettingsImage of variants 1 and 3.
constexpr std::size_t kMarker = 0;
constexpr std::size_t kVersion = 1;
constexpr std::size_t kEngineerPassword = 2;  // also variant 5
constexpr std::size_t kExitDelay = 8;
constexpr std::size_t kKeyCount = 9;
constexpr std::size_t kRelay1Partitions = 10;
constexpr std::size_t kRelay2Partitions = 12;
constexpr std::size_t kFirePartitions = 14;
constexpr std::size_t kSilentPartitions = 16;
constexpr std::size_t kArmingPartitions = 18;
constexpr std::size_t kTwentyFourHourPartitions = 20;
constexpr std::size_t kRelayModes = 22;  // also variant 5
constexpr std::size_t kCodeCount = 23;   // variant 5: the count plus 1
constexpr std::size_t kExcludablePartitions = 27;
constexpr std::size_t kEntryDelay = 29;
constexpr std::size_t kSounderMode = 30;  // 30..33 and 35 also variant 5
constexpr std::size_t kSounderTime = 31;
constexpr std::size_t kBacklightMode = 32;
constexpr std::size_t kBacklightTime = 33;
constexpr std::size_t kGsmPolling = 34;
constexpr std::size_t kPasswordReset = 35;
constexpr std::size_t kReports = 36;
constexpr std::size_t kAlwaysZero = 37;
constexpr std::size_t kUserPassword = 40;
constexpr std::size_t kExternalSounderTime = 46;
constexpr std::size_t kEmergencyPartitions = 47;
constexpr std::size_t kBorderValues = 49;
constexpr std::size_t kKom671Polling = 60;
constexpr std::size_t kCarriedSystemNumbers = 61;  // SystemNumbers 192, 193
constexpr std::size_t kPartitionMemory = 63;
constexpr std::size_t kBindings = 64;      // detector d of receiver r at 63 + 48·(r−1) + d
constexpr std::size_t kNameChoices = 256;  // partition k at 255 + k
constexpr std::size_t kOwnNames = 272;     // partition k at 264 + 8·k
constexpr std::size_t kSystemNumbers = 512;

// ---- SettingsImage of variant 5.
constexpr std::size_t kCodesInUse = 9;
constexpr std::size_t kLineMarker = 256;
constexpr std::size_t kSpeedLine = 257;
constexpr std::size_t kKvReportValues = 258;
constexpr std::size_t kObjectChangedBits = 272;
constexpr std::size_t kAdminPassword = 384;
constexpr std::size_t kRadioObjects = 512;

constexpr std::int32_t kLineMarkerValue = 85;
constexpr std::int32_t kSpeed1200 = 255;
constexpr std::int32_t kSpeed4800 = 90;
constexpr std::int32_t kOn = 255;

// ---- CodesImage.
constexpr std::size_t kEntrySize = 8;      // six digit or key-byte slots, then the partition bytes
constexpr std::size_t kAuthoritySlot = 6;  // partitions 1..8, then 9..16 at the next slot
constexpr std::size_t kCodeRecords = 0;
constexpr std::size_t kKeyRecords = 256;
constexpr std::size_t kCarriedKeysKvm4 = kKeyRecords + kEntrySize * kEditedKeysKvm4;  // 768..1023
constexpr std::size_t kKeyRecordsEnd = kKeyRecords + kEntrySize * kKeys;
constexpr std::size_t kObjectPairs = 256;  // loop s of РПД p of receiver r at 256 + 2·(ObjectNumbers index)

constexpr bool isBorderItem(std::int32_t v) {
    return v >= 0 && v < kPartitions;
}
constexpr std::int32_t low8(std::int32_t v) {
    return v & 0xFF;
}
constexpr bool bit(std::int32_t v, int n) {
    return ((v >> n) & 1) != 0;
}

template <std::size_t N>
std::span<const std::int32_t, N> valuesAt(const SettingsImage& image, std::size_t first) {
    return std::span<const std::int32_t, N>(image.values().data() + first, N);
}

template <std::size_t N>
void putValues(SettingsImage& image, std::size_t first, const std::array<std::int32_t, N>& values) {
    std::copy(values.begin(), values.end(), image.values().begin() + static_cast<std::ptrdiff_t>(first));
}

int secondsShown(std::int32_t value) {
    return std::min(low8(value), kSecondsMax);
}
/// The three-way sounder and backlight choices: 0, 1, and 2 for anything else.
int threeWayItem(std::int32_t value) {
    return value == 0 || value == 1 ? value : 2;
}
int itemOrNone(std::int32_t value, int count) {
    return value >= 0 && value < count ? value : -1;
}

void putSet(SettingsImage& image, std::size_t first, std::uint16_t mask) {
    const auto [a, b] = partitionPair(mask);
    image[first] = a;
    image[first + 1] = b;
}
std::uint16_t partitionsWith(const KvmControls& c, bool KvmPartition::*option) {
    std::uint16_t mask = 0;
    for (int k = 0; k < kPartitions; ++k)
        if (c.partitions[static_cast<std::size_t>(k)].*option) mask |= static_cast<std::uint16_t>(1u << k);
    return mask;
}
std::uint16_t partitionsOfType(const KvmControls& c, PartitionType type) {
    std::uint16_t mask = 0;
    for (int k = 0; k < kPartitions; ++k)
        if (c.partitions[static_cast<std::size_t>(k)].type == type)
            mask |= static_cast<std::uint16_t>(1u << k);
    return mask;
}

// Both families of controls share the relay-mode value and the sounder and backlight values.

/// Relay 1 in bits 0..3, relay 2 in bits 4..7; a mode without an item leaves its combo empty.
template <typename Controls>
void showRelayModes(const SettingsImage& image, int modeCount, Controls& c, L640Tables& tables) {
    const std::int32_t modes = low8(image[kRelayModes]);
    c.relay1Mode = itemOrNone(modes % 16, modeCount);
    c.relay2Mode = itemOrNone(modes / 16, modeCount);
    tables.relayByte = image[kRelayModes];
}

/// An empty combo stores back the mode read.
template <typename Controls>
void putRelayModes(SettingsImage& image, const Controls& c, L640Tables& tables) {
    const std::int32_t stored = low8(tables.baseImage[kRelayModes]);
    const int relay1 = c.relay1Mode >= 0 ? c.relay1Mode : stored % 16;
    const int relay2 = c.relay2Mode >= 0 ? c.relay2Mode : stored / 16;
    image[kRelayModes] = relay1 + 16 * relay2;
    tables.relayByte = image[kRelayModes];
}

template <typename Controls>
void showSounderAndBacklight(const SettingsImage& image, Controls& c) {
    c.sounderTime = secondsShown(image[kSounderTime]);
    c.sounderMode = threeWayItem(image[kSounderMode]);
    c.backlightTime = secondsShown(image[kBacklightTime]);
    c.backlightMode = threeWayItem(image[kBacklightMode]);
}

template <typename Controls>
void putSounderAndBacklight(SettingsImage& image, const Controls& c) {
    image[kSounderMode] = c.sounderMode;
    image[kSounderTime] = c.sounderTime;
    image[kBacklightMode] = c.backlightMode;
    image[kBacklightTime] = c.backlightTime;
}

/// Variant 1 also shows code 23 as "№"; variant 3 leaves it a control character.
std::string nameText(std::span<const std::int32_t, kNameLength> values, SystemVariant variant) {
    std::string out;
    for (std::int32_t v : values) {
        const auto code = static_cast<std::uint8_t>(low8(v));
        appendUtf8(out, variant == SystemVariant::Kvm1 && code == panelCodeFromChar(U'№')
                            ? U'№'
                            : charFromPanelCode(code));
    }
    return out;
}

bool isBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

/// A stored object pair: both 255 is no object, a high value of 255 alone leaves the low one.
int objectNumber(std::int32_t lo, std::int32_t hi) {
    lo = low8(lo);
    hi = low8(hi);
    if (hi == kNone) return lo == kNone ? 0 : lo;
    return lo + 256 * (hi % 16);
}

/// An object field's number; 0 for a field without a digit.
int objectOf(std::string_view text) {
    return parseMaskedNumber(text, NumberRule::AllDigits).value_or(0);
}

/// Code or key rows from records at first: a row within the count shows its record (and its
/// authority boxes ticked from slots 6, 7); a blank record or a row above the count shows nothing.
template <std::size_t N, typename TextOf>
void showRows(std::array<AccessRow, N>& rows, int count, const SettingsImage& codes, std::size_t first,
              TextOf textOf) {
    for (int n = 0; n < static_cast<int>(N); ++n) {
        AccessRow& row = rows[static_cast<std::size_t>(n)];
        row = {};
        if (n >= count) continue;
        const std::size_t at = first + kEntrySize * static_cast<std::size_t>(n);
        row.text = textOf(codes, at);
        if (!isBlank(row.text))
            row.authorities = partitionMask(codes[at + kAuthoritySlot], codes[at + kAuthoritySlot + 1]);
    }
}

/// The authority boxes of a record; the Ливна-КВ panel keeps slot 6 at 0.
void putAuthorities(SettingsImage& codes, std::size_t at, std::uint16_t boxes, bool lowSlotUsed = true) {
    const auto [low, high] = partitionPair(boxes);
    codes[at + kAuthoritySlot] = lowSlotUsed ? low : 0;
    codes[at + kAuthoritySlot + 1] = high;
}

void putUnusedRecord(SettingsImage& codes, std::size_t at) {
    for (std::size_t i = 0; i < kAuthoritySlot; ++i) codes[at + i] = kNone;
    putAuthorities(codes, at, 0);
}

/// Object numbers of the fields (a field without a digit counts 0), and the pairs of different
/// РПД rows holding the same object.
std::vector<ObjectRepeat> takeObjectNumbers(const KvControls& c, L640Tables& tables) {
    for (int i = 0; i < kObjectFields; ++i)
        tables.objectNumbers[static_cast<std::size_t>(i)] = objectOf(c.objects[static_cast<std::size_t>(i)]);
    // Fields ordered by number, then by index: the later fields of one number follow each field.
    std::array<int, kObjectFields> order{};
    for (int i = 0; i < kObjectFields; ++i) order[static_cast<std::size_t>(i)] = i;
    auto numberAt = [&](int i) { return tables.objectNumbers[static_cast<std::size_t>(i)]; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return numberAt(a) < numberAt(b); });
    std::array<std::size_t, kObjectFields> place{};
    for (std::size_t n = 0; n < order.size(); ++n) place[static_cast<std::size_t>(order[n])] = n;

    std::vector<ObjectRepeat> repeats;
    for (int k = 0; k < kObjectFields; ++k) {
        const std::int32_t v = numberAt(k);
        if (v == 0) continue;
        for (std::size_t n = place[static_cast<std::size_t>(k)] + 1;
             n < order.size() && numberAt(order[n]) == v; ++n)
            if (order[n] / kLoopsPerRpd != k / kLoopsPerRpd) repeats.push_back({k, order[n], v});
    }
    return repeats;
}

void applyKvm(const SettingsImage& image, SystemVariant variant, L640View& view, L640Tables& tables,
              ApplyReport& report) {
    KvmControls& c = view.kvm;
    auto v = [&](std::size_t i) { return image[i]; };

    tables.systemNumbers[kDetectors] = v(kCarriedSystemNumbers);
    tables.systemNumbers[kDetectors + 1] = v(kCarriedSystemNumbers + 1);
    c.kom671Polling = v(kKom671Polling) != 0;
    c.gsmPolling = v(kGsmPolling) != 0;
    // Variant 1 stores "off" as non-zero, variant 3 "on".
    c.partitionMemoryOn = (v(kPartitionMemory) != 0) == (variant == SystemVariant::Kvm4);
    c.userPassword = userPasswordText(valuesAt<kUserPasswordLength>(image, kUserPassword));

    for (int k = 1; k <= kPartitions; ++k) {
        KvmPartition& p = c.partitions[static_cast<std::size_t>(k - 1)];
        p.nameItem = partitionNameItem(v(kNameChoices + static_cast<std::size_t>(k - 1)));
        p.ownName = p.nameItem == kOwnNameItem
                        ? nameText(valuesAt<kNameLength>(
                                       image, kOwnNames + kNameLength * static_cast<std::size_t>(k - 1)),
                                   variant)
                        : std::string();
    }

    if (variant == SystemVariant::Kvm4) {
        c.externalSounderTime = secondsShown(v(kExternalSounderTime));
        // A later repeat of a system number is zeroed; the tables and fields show the result.
        std::array<std::int32_t, kDetectors> numbers{};
        for (std::size_t i = 0; i < numbers.size(); ++i) numbers[i] = v(kSystemNumbers + i);
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            if (numbers[i] == 0) continue;
            for (std::size_t j = i + 1; j < numbers.size(); ++j)
                if (numbers[j] == numbers[i]) {
                    numbers[j] = 0;
                    report.systemNumbersZeroed = true;
                }
        }
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            tables.systemNumbers[i] = numbers[i];
            c.systemNumbers[i] = std::to_string(numbers[i]);
        }
        // A bound the combo cannot show shows the standard bound of its place; GatherImage
        // carries the stored value until another item is chosen.
        for (std::size_t b = 0; b < kBorders; ++b) {
            const std::int32_t stored = v(kBorderValues + b);
            c.borders[b] = isBorderItem(stored) ? stored : kStandardBorders[b];
        }
    }

    c.engineerPassword = engineerPasswordText(valuesAt<kEngineerPasswordLength>(image, kEngineerPassword));
    // The two passwords take no digit 0: one the panel holds is removed, as typing it would be.
    for (auto [field, text] : {std::pair{Field::PasswordEdit, &c.engineerPassword},
                               std::pair{Field::PasswordEdit2, &c.userPassword}}) {
        if (text->find('0') == std::string::npos) continue;
        const std::size_t places = text->size();
        *text = withoutZeros(*text);
        if (field == Field::PasswordEdit2) text->resize(places, ' ');  // read by position
        report.zerosRemoved.push_back(field);
    }
    c.exitDelay = secondsShown(v(kExitDelay));
    c.entryDelay = secondsShown(v(kEntryDelay));
    view.keyCount = std::clamp(v(kKeyCount), 0, kKeys);
    view.codeCount = std::clamp(v(kCodeCount), 0, kCodes);

    for (int k = 1; k <= kPartitions; ++k) {
        KvmPartition& p = c.partitions[static_cast<std::size_t>(k - 1)];
        p.automaticArming = partitionInSet(image, kArmingPartitions, k);
        // Both type bits set shows as emergency, the later of the two choices.
        p.type = partitionInSet(image, kEmergencyPartitions, k) ? PartitionType::Emergency
                 : partitionInSet(image, kFirePartitions, k)    ? PartitionType::Fire
                                                                : PartitionType::Security;
        p.silent = partitionInSet(image, kSilentPartitions, k);
        p.twentyFourHour = partitionInSet(image, kTwentyFourHourPartitions, k);
        p.relay1 = partitionInSet(image, kRelay1Partitions, k);
        p.relay2 = partitionInSet(image, kRelay2Partitions, k);
    }

    showRelayModes(image, kKvmRelayModes, c, tables);

    const int receivers = variant == SystemVariant::Kvm1 ? 1 : kReceivers;
    for (std::size_t d = 0; d < static_cast<std::size_t>(receivers) * kDetectorsPerReceiver; ++d)
        c.bindings[d] = std::to_string(decodeBinding(v(kBindings + d)));

    for (int k = 1; k <= kPartitions; ++k)
        c.partitions[static_cast<std::size_t>(k - 1)].excludable =
            partitionInSet(image, kExcludablePartitions, k);
    showSounderAndBacklight(image, c);
    for (int i = 0; i < kKvmReports; ++i) c.reportAsAlarm[static_cast<std::size_t>(i)] = bit(v(kReports), i);
    c.passwordResetForbidden = v(kPasswordReset) != 0;

    showRows(view.codes, view.codeCount, tables.heldCodes, kCodeRecords,
             [](const SettingsImage& codes, std::size_t at) {
                 return codeDigitsText(valuesAt<kCodeDigitCount>(codes, at));
             });
    showRows(view.keys, view.keyCount, tables.heldCodes, kKeyRecords,
             [](const SettingsImage& codes, std::size_t at) {
                 return keyText(valuesAt<kKeyByteCount>(codes, at));
             });
}

void applyKv(const SettingsImage& image, L640View& view, L640Tables& tables, ApplyReport& report) {
    KvControls& c = view.kv;
    auto v = [&](std::size_t i) { return image[i]; };

    showSounderAndBacklight(image, c);

    for (std::size_t i = 0; i < kKvReports; ++i) c.reportAsAlarm[i] = v(kKvReportValues + i) == 1;
    c.passwordResetForbidden = v(kPasswordReset) != 0;
    c.adminPassword = userPasswordText(valuesAt<kUserPasswordLength>(image, kAdminPassword));
    showRelayModes(image, kKvRelayModes, c, tables);
    c.speed4800 = v(kSpeedLine) != kSpeed1200;

    for (std::size_t g = 0; g < kRpds; ++g) tables.objectChangedBits[g] = v(kObjectChangedBits + g);

    c.engineerPassword = engineerPasswordText(valuesAt<kEngineerPasswordLength>(image, kEngineerPassword));
    view.codeCount = std::clamp(v(kCodeCount) - 1, 0, kCodes);

    showRows(view.codes, view.codeCount, tables.heldCodes, kCodeRecords,
             [](const SettingsImage& codes, std::size_t at) {
                 std::string text = codeDigitsText(valuesAt<kCodeDigitCount>(codes, at));
                 if (!text.empty()) text.resize(kCodeDigitCount, ' ');
                 return text;
             });

    for (std::size_t i = 0; i < kObjectFields; ++i) {
        const std::size_t at = kObjectPairs + 2 * i;
        c.objects[i] = std::to_string(objectNumber(tables.heldCodes[at], tables.heldCodes[at + 1]));
    }
    report.objectRepeats = takeObjectNumbers(c, tables);
}

std::variant<SettingsImage, Refusal> gatherKvm(SystemVariant variant, const L640View& view,
                                               L640Tables& tables, SettingsImage image) {
    const KvmControls& c = view.kvm;

    image[kCarriedSystemNumbers] = tables.systemNumbers[kDetectors];
    image[kCarriedSystemNumbers + 1] = tables.systemNumbers[kDetectors + 1];
    // Four digits or nothing: the panel takes no shorter engineer password.
    if (c.engineerPassword.size() != kEngineerPasswordLength ||
        !std::all_of(c.engineerPassword.begin(), c.engineerPassword.end(),
                     [](char ch) { return ch >= '0' && ch <= '9'; }))
        return Refusal{Field::PasswordEdit};
    putValues(image, kEngineerPassword, *encodeEngineerPassword(c.engineerPassword));
    image[kExitDelay] = c.exitDelay;
    image[kEntryDelay] = c.entryDelay;
    image[kCodeCount] = std::clamp(view.codeCount, 0, kCodes);
    image[kKeyCount] = std::clamp(view.keyCount, 0, kKeys);
    putSet(image, kArmingPartitions, partitionsWith(c, &KvmPartition::automaticArming));
    putSet(image, kSilentPartitions, partitionsWith(c, &KvmPartition::silent));
    putSet(image, kTwentyFourHourPartitions, partitionsWith(c, &KvmPartition::twentyFourHour));
    putSet(image, kRelay1Partitions, partitionsWith(c, &KvmPartition::relay1));
    putSet(image, kRelay2Partitions, partitionsWith(c, &KvmPartition::relay2));

    putRelayModes(image, c, tables);

    putSet(image, kFirePartitions, partitionsOfType(c, PartitionType::Fire));
    putSet(image, kEmergencyPartitions, partitionsOfType(c, PartitionType::Emergency));
    const int receivers = variant == SystemVariant::Kvm1 ? 1 : kReceivers;
    for (std::size_t d = 0; d < static_cast<std::size_t>(receivers) * kDetectorsPerReceiver; ++d)
        image[kBindings + d] = parseMaskedNumber(c.bindings[d], NumberRule::LeadingRun).value_or(0);
    if (variant == SystemVariant::Kvm4) {
        image[kExternalSounderTime] = c.externalSounderTime;
        for (std::size_t b = 0; b < kBorders; ++b) {
            const std::int32_t was = tables.baseImage[kBorderValues + b];
            const bool carried = !isBorderItem(was) && c.borders[b] == kStandardBorders[b];
            image[kBorderValues + b] = carried ? was : c.borders[b];
        }
        for (std::size_t i = 0; i < kDetectors; ++i) image[kSystemNumbers + i] = tables.systemNumbers[i];
    }
    putSet(image, kExcludablePartitions, partitionsWith(c, &KvmPartition::excludable));
    putSounderAndBacklight(image, c);
    std::int32_t reports = 0;
    for (int i = 0; i < kKvmReports; ++i)
        if (c.reportAsAlarm[static_cast<std::size_t>(i)]) reports |= 1 << i;
    image[kReports] = reports;
    image[kAlwaysZero] = 0;
    image[kPasswordReset] = c.passwordResetForbidden ? 1 : 0;
    image[kGsmPolling] = c.gsmPolling ? kOn : 0;
    image[kKom671Polling] = c.kom671Polling ? kOn : 0;
    image[kPartitionMemory] = c.partitionMemoryOn == (variant == SystemVariant::Kvm4) ? kOn : 0;
    const auto user = encodeUserPassword(c.userPassword);
    if (!user) return Refusal{Field::PasswordEdit2};
    putValues(image, kUserPassword, *user);

    for (std::size_t k = 0; k < kPartitions; ++k) {
        const KvmPartition& p = c.partitions[k];
        if (p.nameItem < 0) continue;  // a choice without an item stays as read
        image[kNameChoices + k] = partitionNameValue(p.nameItem);
        if (p.nameItem == kOwnNameItem) putValues(image, kOwnNames + kNameLength * k, encodeName(p.ownName));
    }
    return image;
}

std::variant<SettingsImage, Refusal> gatherKv(const L640View& view, L640Tables& tables, SettingsImage image) {
    const KvControls& c = view.kv;

    // The last РПД holding an object is its holder; only that РПД's loops are its bits.
    tables.radioObjects.fill(0);
    for (int i = 0; i < kObjectFields; ++i) {
        const int object = objectOf(c.objects[static_cast<std::size_t>(i)]);
        if (object < 1 || object > kRadioObjectCount) continue;
        const int r = i / (kRpdsPerReceiver * kLoopsPerRpd) + 1;
        const int p = i % (kRpdsPerReceiver * kLoopsPerRpd) / kLoopsPerRpd + 1;
        const int s = i % kLoopsPerRpd;
        const auto at = 2 * static_cast<std::size_t>(object - 1);
        const std::int32_t holder = 32 * r + p;
        if (tables.radioObjects[at] != holder) {
            tables.radioObjects[at] = holder;
            tables.radioObjects[at + 1] = 0;
        }
        tables.radioObjects[at + 1] |= 1 << s;
    }
    for (std::size_t i = 0; i < tables.radioObjects.size(); ++i)
        image[kRadioObjects + i] = tables.radioObjects[i];
    for (std::size_t g = 0; g < kRpds; ++g) image[kObjectChangedBits + g] = tables.objectChangedBits[g];
    putSounderAndBacklight(image, c);

    putRelayModes(image, c, tables);

    // paswrd1: a blank place keeps the value read; paswrd2: a blank place is None.
    for (std::size_t i = 0; i < kEngineerPasswordLength; ++i) {
        const char ch = i < c.engineerPassword.size() ? c.engineerPassword[i] : ' ';
        if (ch == ' ') continue;
        if (ch < '0' || ch > '9') return Refusal{Field::paswrd1};
        image[kEngineerPassword + i] = encodeDigit(ch - '0');
    }
    const auto admin = encodeUserPassword(c.adminPassword);
    if (!admin) return Refusal{Field::paswrd2};
    putValues(image, kAdminPassword, *admin);
    image[kPasswordReset] = c.passwordResetForbidden ? 1 : 0;
    for (std::size_t i = 0; i < kKvReports; ++i) image[kKvReportValues + i] = c.reportAsAlarm[i] ? 1 : 0;

    if (tables.writeDefaultsOnce) {
        tables.writeDefaultsOnce = false;
        return tables.defaultSettings;
    }
    const int count = std::clamp(view.codeCount, 0, kCodes);
    image[kCodeCount] = count + 1;
    image[kCodesInUse] =
        static_cast<std::int32_t>(std::count_if(view.codes.begin(), view.codes.begin() + count,
                                                [](const AccessRow& row) { return !isBlank(row.text); }));
    image[kLineMarker] = kLineMarkerValue;
    image[kSpeedLine] = c.speed4800 ? kSpeed4800 : kSpeed1200;
    return image;
}

}  // namespace

ApplyReport applyImage(const SettingsImage& source, ImageSource from, LinkContext& context, L640View& view,
                       L640Tables& tables) {
    SettingsImage image = source;
    image.values().resize(kSettingsSize, 0);
    ApplyReport report;
    if (from == ImageSource::Panel && !context.demoMode) {
        context.versionCode = image[kVersion];
        context.versionMatched = variantOfMajor(majorNumber(context.versionCode)) == context.chosenVariant;
    }
    const SystemVariant variant = editorVariant(context);
    tables.baseImage = image;
    if (variant == SystemVariant::Kv4)
        applyKv(image, view, tables, report);
    else
        applyKvm(image, variant, view, tables, report);
    return report;
}

std::variant<SettingsImage, Refusal> gatherImage(const LinkContext& context, const L640View& view,
                                                 L640Tables& tables) {
    SettingsImage image = tables.baseImage;
    image.values().resize(kSettingsSize, 0);
    image[kMarker] = kImageMarker;
    image[kVersion] = imageVersionCode(context);
    const SystemVariant variant = editorVariant(context);
    if (variant == SystemVariant::Kv4) return gatherKv(view, tables, std::move(image));
    return gatherKvm(variant, view, tables, std::move(image));
}

std::variant<SettingsImage, Refusal> gatherCodes(const LinkContext& context, const L640View& view,
                                                 const L640Tables& tables) {
    const SystemVariant variant = editorVariant(context);
    SettingsImage codes(kGatheredCodesSize);
    if (variant == SystemVariant::Kv4 && tables.writeDefaultsOnce) {
        std::copy(tables.defaultCodes.values().begin(), tables.defaultCodes.values().end(),
                  codes.values().begin());
        return codes;
    }

    const int codeCount = std::clamp(view.codeCount, 0, kCodes);
    for (int n = 0; n < kCodes; ++n) {
        const std::size_t at = kCodeRecords + kEntrySize * static_cast<std::size_t>(n);
        const AccessRow& row = view.codes[static_cast<std::size_t>(n)];
        if (n >= codeCount || isBlank(row.text)) {
            putUnusedRecord(codes, at);
            continue;
        }
        const auto digits = encodeCodeDigits(row.text);
        if (!digits) return Refusal{Field::kod, n + 1};
        putValues(codes, at, *digits);
        putAuthorities(codes, at, row.authorities, variant != SystemVariant::Kv4);
    }

    if (variant == SystemVariant::Kv4) {
        for (std::size_t i = 0; i < kObjectFields; ++i) {
            const int object = objectOf(view.kv.objects[i]);
            codes[kObjectPairs + 2 * i] = object & 0xFF;
            codes[kObjectPairs + 2 * i + 1] = (object >> 8) & 0x0F;
        }
        return codes;
    }

    const int edited = variant == SystemVariant::Kvm4 ? kEditedKeysKvm4 : kKeys;
    const int keyCount = std::clamp(view.keyCount, 0, kKeys);
    for (int n = 0; n < edited; ++n) {
        const std::size_t at = kKeyRecords + kEntrySize * static_cast<std::size_t>(n);
        const AccessRow& row = view.keys[static_cast<std::size_t>(n)];
        if (n >= keyCount || row.text.empty()) {
            putUnusedRecord(codes, at);
            continue;
        }
        putValues(codes, at, encodeKey(row.text));
        putAuthorities(codes, at, row.authorities);
    }
    if (variant == SystemVariant::Kvm4)
        std::copy(tables.heldCodes.values().begin() + kCarriedKeysKvm4,
                  tables.heldCodes.values().begin() + kKeyRecordsEnd,
                  codes.values().begin() + kCarriedKeysKvm4);
    return codes;
}

ApplyReport factorySettings(LinkContext& context, L640View& view, L640Tables& tables) {
    view.kvm.borders = kStandardBorders;
    if (context.demoMode) {
        context.configByte = configByte(context.chosenVariant);
        context.versionCode = demoVersionCode(context.chosenVariant);
    }
    const SystemVariant variant = editorVariant(context);
    const SettingsImage& factory = defaultImages().of(variant);
    const auto split = factory.values().begin() + kSettingsSize;

    SettingsImage settings(std::vector<std::int32_t>(factory.values().begin(), split));
    settings[kVersion] = imageVersionCode(context);
    tables.defaultSettings = settings;
    tables.heldCodes = SettingsImage(kHeldCodesSize);
    std::copy(split, factory.values().end(), tables.heldCodes.values().begin());
    if (variant == SystemVariant::Kv4) tables.defaultCodes = tables.heldCodes;
    return applyImage(settings, ImageSource::Other, context, view, tables);
}

}  // namespace livna::setka
