#include "kvm_editor/kvm_model.h"

#include <algorithm>
#include <climits>
#include <span>
#include <utility>

namespace livna::kvm {

namespace {

// ---- Where each setting lives: image value numbers, block 3 as kBlock3 + offset.

constexpr std::size_t kVersion = 1;
constexpr std::size_t kEngineerPassword = 2;
constexpr std::array<std::size_t, 6> kCarried{6, 7, 8, 9, 25, 26};
constexpr std::array<std::size_t, kSecondsFields> kSeconds{10, 11, 12, 13, 46, 31, 33};
constexpr std::size_t kFireSet = 14;
constexpr std::size_t kSilentSet = 16;
constexpr std::size_t kAutomaticArmingSet = 18;
constexpr std::size_t kTwentyFourHourSet = 20;
constexpr std::size_t kKeyCount = 22;
constexpr std::size_t kCodeCount = 23;
constexpr std::size_t kExcludedSet = 27;
constexpr std::size_t kSounder = 30;
constexpr std::size_t kBacklight = 32;
constexpr std::size_t kGsm = 34;
constexpr std::size_t kPasswordReset = 35;
constexpr std::size_t kReportModes = 36;
constexpr std::size_t kUserPassword = 40;
constexpr std::size_t kEmergencySet = 47;
constexpr std::size_t kBorders = 49;
constexpr std::size_t kLoopPartitions = 57;
constexpr std::size_t kLoopTypes = 59;
constexpr std::size_t kDoubleTriggering = 60;
constexpr std::size_t kPhone = 63;
constexpr std::size_t kBindings = 64;
constexpr std::size_t kNames = 256;     ///< partition k at kNames + k - 1
constexpr std::size_t kOwnNames = 272;  ///< partition k at kOwnNames + 8 (k - 1)
constexpr std::size_t kSystemNumbers = 512;

constexpr std::size_t kBlock3 = 768;
constexpr std::size_t kDuressCodes = kBlock3 + 0;
constexpr std::size_t kModesOf12 = kBlock3 + 1;  ///< relay 1 low half, relay 2 high half
constexpr std::size_t kModeOf3 = kBlock3 + 18;
constexpr std::size_t kModesOf45 = kBlock3 + 27;  ///< ОК 1 low half, ОК 2 high half
/// Per output: its partition set; the event bytes A, B, close, open, duration, inverse follow.
constexpr std::array<std::size_t, kOutputCount> kOutputs{kBlock3 + 2, kBlock3 + 10, kBlock3 + 19,
                                                         kBlock3 + 28, kBlock3 + 36};
constexpr std::size_t kVoiceModule = kBlock3 + 44;
constexpr std::size_t kVoiceMessages = kBlock3 + 45;  ///< messages 1..8, then 9..12 in the next value
constexpr std::array<std::size_t, kTimes> kTimeValues{kBlock3 + 47, kBlock3 + 49, kBlock3 + 51, kBlock3 + 53};
constexpr std::size_t kReminderAfterDisarm = kBlock3 + 55;
constexpr std::size_t kAutoReminder = kBlock3 + 56;
constexpr std::size_t kVolume = kBlock3 + 57;
constexpr std::size_t kRemindedTroubles = kBlock3 + 58;

constexpr std::size_t kCodeTable = 1024;
constexpr std::size_t kKeyTable = 1280;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kEntryPartitions = 6;  ///< offset of an entry's partition set

constexpr int kInverseItems = 2;

bool bit(std::int32_t value, int n) {
    return ((value >> n) & 1) != 0;
}

/// The item for a stored value when it is one of 0..count-1, else none.
int itemOf(std::int32_t value, int count) {
    return value >= 0 && value < count ? value : -1;
}

/// 0 and 1 as such, anything else the third choice.
int threeWay(std::int32_t value) {
    return value == 0 || value == 1 ? value : 2;
}

std::uint16_t twelveBits(std::int32_t a, std::int32_t b) {
    return static_cast<std::uint16_t>((a & 0xFF) | ((b & 0x0F) << 8));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

/// The engineer password's verdict: its four values, or how it is refused.
std::variant<EngineerPasswordValues, Refusal> engineerPasswordValues(const std::string& text) {
    int digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c != ' ')
            return Refusal{Field::EngineerPassword, 0, -1};
    }
    const auto values = encodeEngineerPassword(text);
    if (digits != 4 || text.size() != 4 || !values) return Refusal{Field::EngineerPassword, 0, digits};
    return *values;
}

std::optional<Refusal> firstRefusal(const Settings& s) {
    for (int i = 0; i < kSecondsFields; ++i) {
        const std::string& text = s.seconds[static_cast<std::size_t>(i)].text;
        if (!std::all_of(text.begin(), text.end(), isBlank) && !parseInteger(text))
            return Refusal{Field::Seconds, i};
    }
    for (const auto& [counter, field] :
         {std::pair{&s.codeCount, Field::CodeCount}, {&s.keyCount, Field::KeyCount}})
        if (!std::all_of(counter->text.begin(), counter->text.end(), isBlank) && !parseInteger(counter->text))
            return Refusal{field};
    if (const auto engineer = engineerPasswordValues(s.engineerPassword);
        std::holds_alternative<Refusal>(engineer))
        return std::get<Refusal>(engineer);
    if (!s.userPassword.empty() && !encodeUserPassword(s.userPassword)) return Refusal{Field::UserPassword};
    for (int i = 0; i < kTimes; ++i) {
        const std::string& text = s.times[static_cast<std::size_t>(i)];
        if (!text.empty() && !parseTime(text)) return Refusal{Field::Time, i};
    }
    for (int c = 0; c < std::min(s.codeCount.position, kCodes); ++c) {
        const std::string& text = s.codes[static_cast<std::size_t>(c)].text;
        if (!text.empty() && !encodeCodeDigits(text)) return Refusal{Field::Code, c};
    }
    return std::nullopt;
}

void storeEntry(SettingsImage& image, std::size_t first, std::span<const std::int32_t> bytes,
                std::uint16_t partitions) {
    for (std::size_t i = 0; i < kKeyByteCount; ++i) image[first + i] = bytes.empty() ? kNone : bytes[i];
    if (bytes.empty()) return;
    const auto [a, b] = partitionPair(partitions);
    image[first + kEntryPartitions] = a;
    image[first + kEntryPartitions + 1] = b;
}

/// Every field that can be stored; a field encode refuses is left as a fresh image has it.
SettingsImage build(const Settings& s) {
    SettingsImage image = SettingsImage::fresh(kKvmImageSize, s.versionCode);

    if (const auto engineer = engineerPasswordValues(s.engineerPassword);
        std::holds_alternative<EngineerPasswordValues>(engineer)) {
        const auto& values = std::get<EngineerPasswordValues>(engineer);
        std::copy(values.begin(), values.end(), &image[kEngineerPassword]);
    }
    for (std::size_t i = 0; i < kUserPasswordLength; ++i) image[kUserPassword + i] = kNone;
    if (const auto user = encodeUserPassword(s.userPassword); user && !s.userPassword.empty())
        std::copy(user->begin(), user->end(), &image[kUserPassword]);

    for (std::size_t i = 0; i < kSeconds.size(); ++i) image[kSeconds[i]] = s.seconds[i].position;
    for (std::size_t i = 0; i < kCarried.size(); ++i) image[kCarried[i]] = s.carried[i];
    image[kCodeCount] = s.codeCount.position;
    image[kKeyCount] = s.keyCount.position;

    for (int k = 1; k <= kPartitionCount; ++k) {
        const Partition& p = s.partitions[static_cast<std::size_t>(k - 1)];
        setPartitionInSet(image, kAutomaticArmingSet, k, p.automaticArming);
        setPartitionInSet(image, kSilentSet, k, p.silent);
        setPartitionInSet(image, kTwentyFourHourSet, k, p.twentyFourHour);
        setPartitionInSet(image, kFireSet, k, p.fire);
        setPartitionInSet(image, kEmergencySet, k, p.emergency);
        setPartitionInSet(image, kExcludedSet, k, p.excluded);
        image[kNames + static_cast<std::size_t>(k - 1)] = partitionNameValue(p.nameItem);
        if (p.nameItem != kOwnNameItem) continue;
        const NameValues name = encodeName(p.ownName);
        std::copy(name.begin(), name.end(),
                  &image[kOwnNames + kNameLength * static_cast<std::size_t>(k - 1)]);
    }
    for (std::size_t i = 0; i < s.borders.size(); ++i) image[kBorders + i] = s.borders[i];
    for (std::size_t d = 0; d < s.bindings.size(); ++d)
        image[kBindings + d] = parseInteger(s.bindings[d]).value_or(1);

    image[kSounder] = s.sounder;
    image[kBacklight] = s.backlight;
    std::int32_t reports = 0;
    for (std::size_t i = 0; i < s.reportsAsAlarm.size(); ++i)
        if (s.reportsAsAlarm[i]) reports |= 1 << i;
    image[kReportModes] = reports;
    image[kPasswordReset] = s.passwordResetForbidden ? 1 : 0;
    image[kGsm] = s.gsmOn ? 255 : 0;
    image[kPhone] = s.phoneOn ? 255 : 0;

    for (std::size_t i = 0; i < s.loops.size(); ++i)
        image[kLoopPartitions + i] = wiredLoopPartition(s.loops[i].partition);
    // A type not chosen gives 15 in its half, as the output modes do.
    image[kLoopTypes] = (((s.loops[1].typeItem & 15) << 4) | (s.loops[0].typeItem & 15)) & 0xFF;
    image[kDoubleTriggering] = (s.loops[0].doubleTriggering ? 1 : 0) | (s.loops[1].doubleTriggering ? 16 : 0);

    image[kDuressCodes] = s.duressCodes ? 1 : 0;
    std::array<std::int32_t, kOutputCount> modes{};
    for (std::size_t n = 0; n < kOutputs.size(); ++n) {
        const Output& out = s.outputs[n];
        modes[n] = relayModeCode(out.modeItem);
        const std::size_t first = kOutputs[n];
        const auto [a, b] = partitionPair(out.partitions);
        image[first] = a;
        image[first + 1] = b;
        image[first + 2] = out.events & 0xFF;
        image[first + 3] = (out.events >> 8) & 0x0F;
        image[first + 4] = out.close;
        image[first + 5] = out.open;
        image[first + 6] = out.duration;
        image[first + 7] = out.inverse;
    }
    image[kModesOf12] = (modes[0] & 15) + 16 * (modes[1] & 15);
    image[kModeOf3] = modes[2];
    image[kModesOf45] = (modes[3] & 15) + 16 * (modes[4] & 15);

    image[kVoiceModule] = s.voiceModuleOn ? 1 : 0;
    std::int32_t voiceA = 0;
    std::int32_t voiceB = 0;
    for (std::size_t i = 0; i < s.voiceMessages.size(); ++i) {
        if (!s.voiceMessages[i]) continue;
        if (i < 8)
            voiceA |= 1 << i;
        else
            voiceB |= 1 << (i - 8);
    }
    image[kVoiceMessages] = voiceA;
    image[kVoiceMessages + 1] = voiceB;
    image[kReminderAfterDisarm] = s.reminderAfterDisarm;
    image[kAutoReminder] = s.autoReminder;
    for (std::size_t i = 0; i < s.times.size(); ++i) {
        if (s.times[i].empty()) continue;
        const auto time = parseTime(s.times[i]);
        if (!time) continue;
        image[kTimeValues[i]] = time->hours;
        image[kTimeValues[i] + 1] = time->minutes;
    }
    image[kVolume] = encodeVolume(s.volumeItem);
    std::int32_t reminded = 0;
    for (std::size_t i = 0; i < s.remindedTroubles.size(); ++i)
        if (s.remindedTroubles[i]) reminded |= 1 << i;
    image[kRemindedTroubles] = reminded;

    for (int c = 0; c < kCodes; ++c) {
        const AccessEntry& code = s.codes[static_cast<std::size_t>(c)];
        const auto digits =
            c < s.codeCount.position && !code.text.empty() ? encodeCodeDigits(code.text) : std::nullopt;
        storeEntry(image, kCodeTable + kEntrySize * static_cast<std::size_t>(c),
                   digits ? std::span<const std::int32_t>(*digits) : std::span<const std::int32_t>(),
                   code.partitions);
    }
    for (int k = 0; k < kKeys; ++k) {
        const AccessEntry& key = s.keys[static_cast<std::size_t>(k)];
        const std::size_t first = kKeyTable + kEntrySize * static_cast<std::size_t>(k);
        if (k >= s.keyCount.position || key.text.empty()) {
            storeEntry(image, first, {}, 0);
            continue;
        }
        const KeyValues bytes = encodeKey(key.text);
        storeEntry(image, first, bytes, key.partitions);
    }
    // A hand-edited file may carry values outside -1..255 (the installer agreed to load them). The
    // panel takes only their low byte, so that is what is stored, and a file saved from the editor
    // always holds values a settings file may.
    for (std::int32_t& value : image.values())
        if (value < -1 || value > 255) value &= 0xFF;
    return image;
}

/// The partitions of an entry show only with its code or key.
AccessEntry shownEntry(std::string text, const std::int32_t* entry) {
    const std::uint16_t partitions =
        text.empty() ? 0 : partitionMask(entry[kEntryPartitions], entry[kEntryPartitions + 1]);
    return {std::move(text), partitions};
}

Counter counterAt(std::int32_t value, int maximum) {
    const int position = std::min(value & 0xFF, maximum);
    return {position, std::to_string(position)};
}

}  // namespace

int wiredLoopPartition(const std::string& text) {
    long long value = 0;
    for (char c : text)
        if (c >= '0' && c <= '9') value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    return static_cast<int>(value);
}

std::optional<int> parseInteger(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    std::size_t i = begin;
    const bool negative = i < end && text[i] == '-';
    if (i < end && (text[i] == '-' || text[i] == '+')) ++i;
    if (i == end) return std::nullopt;
    long long value = 0;
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<int>(value);
}

Decoded decode(const SettingsImage& source) {
    SettingsImage image = source;
    if (image.size() < kKvmImageSize) image.values().resize(kKvmImageSize, 0);
    const std::vector<std::int32_t>& v = image.values();
    Decoded out;
    Settings& s = out.settings;

    s.versionCode = v[kVersion];
    for (std::size_t i = 0; i < kCarried.size(); ++i) s.carried[i] = v[kCarried[i]];
    s.engineerPassword = engineerPasswordText(
        std::span<const std::int32_t, kEngineerPasswordLength>(&v[kEngineerPassword], 4));
    s.userPassword =
        userPasswordText(std::span<const std::int32_t, kUserPasswordLength>(&v[kUserPassword], 6));
    s.phoneOn = v[kPhone] != 0;
    s.gsmOn = v[kGsm] != 0;
    s.passwordResetForbidden = v[kPasswordReset] != 0;
    for (std::size_t i = 0; i < kSeconds.size(); ++i) s.seconds[i] = counterAt(v[kSeconds[i]], kUpDownMax);
    s.codeCount = counterAt(v[kCodeCount], kCodes);
    s.keyCount = counterAt(v[kKeyCount], kKeys);

    for (int k = 1; k <= kPartitionCount; ++k) {
        Partition& p = s.partitions[static_cast<std::size_t>(k - 1)];
        p.nameItem = partitionNameItem(v[kNames + static_cast<std::size_t>(k - 1)]);
        if (p.nameItem == kOwnNameItem)
            p.ownName = decodeName(std::span<const std::int32_t, kNameLength>(
                &v[kOwnNames + kNameLength * static_cast<std::size_t>(k - 1)], kNameLength));
        p.fire = partitionInSet(image, kFireSet, k);
        p.emergency = partitionInSet(image, kEmergencySet, k);
        p.automaticArming = partitionInSet(image, kAutomaticArmingSet, k);
        p.silent = partitionInSet(image, kSilentSet, k);
        p.twentyFourHour = partitionInSet(image, kTwentyFourHourSet, k);
        p.excluded = partitionInSet(image, kExcludedSet, k);
    }
    for (std::size_t i = 0; i < s.borders.size(); ++i)
        s.borders[i] = itemOf(v[kBorders + i], kPartitionCount);
    for (std::size_t d = 0; d < s.bindings.size(); ++d) {
        s.bindings[d] = std::to_string(decodeBinding(v[kBindings + d]));
        s.systemNumbers[d] = v[kSystemNumbers + d];
    }
    s.sounder = threeWay(v[kSounder]);
    s.backlight = threeWay(v[kBacklight]);
    for (std::size_t i = 0; i < s.reportsAsAlarm.size(); ++i)
        s.reportsAsAlarm[i] = bit(v[kReportModes], static_cast<int>(i));

    for (std::size_t i = 0; i < s.loops.size(); ++i) {
        WiredLoop& loop = s.loops[i];
        loop.partition = std::to_string(static_cast<std::uint32_t>(v[kLoopPartitions + i]));
        const int type = (v[kLoopTypes] >> (4 * i)) & 15;
        loop.typeItem = type <= 1 ? type : -1;
        loop.doubleTriggering = bit(v[kDoubleTriggering], static_cast<int>(4 * i));
    }

    s.duressCodes = v[kDuressCodes] == 1;
    const std::array<std::int32_t, kOutputCount> modes{v[kModesOf12] & 15, (v[kModesOf12] >> 4) & 15,
                                                       v[kModeOf3] & 15, v[kModesOf45] & 15,
                                                       (v[kModesOf45] >> 4) & 15};
    for (std::size_t n = 0; n < kOutputs.size(); ++n) {
        Output& out = s.outputs[n];
        const std::size_t first = kOutputs[n];
        out.modeItem = relayRadioItem(modes[n]);
        out.partitions = partitionMask(v[first], v[first + 1]);
        out.events = twelveBits(v[first + 2], v[first + 3]);
        out.close = itemOf(v[first + 4], kTimeListSize);
        out.open = itemOf(v[first + 5], kTimeListSize);
        out.duration = itemOf(v[first + 6], kTimeListSize);
        out.inverse = itemOf(v[first + 7], kInverseItems);
    }

    s.voiceModuleOn = v[kVoiceModule] != 0;
    const std::uint16_t voice = twelveBits(v[kVoiceMessages], v[kVoiceMessages + 1]);
    for (std::size_t i = 0; i < s.voiceMessages.size(); ++i)
        s.voiceMessages[i] = bit(voice, static_cast<int>(i));
    for (std::size_t i = 0; i < s.remindedTroubles.size(); ++i)
        s.remindedTroubles[i] = bit(v[kRemindedTroubles], static_cast<int>(i));
    s.reminderAfterDisarm = itemOf(v[kReminderAfterDisarm], 2);
    s.autoReminder = itemOf(v[kAutoReminder], 2);
    s.volumeItem = volumeItem(v[kVolume]);
    for (std::size_t i = 0; i < s.times.size(); ++i)
        s.times[i] = timeText(v[kTimeValues[i]], v[kTimeValues[i] + 1]);

    // Only the rows in use show their entries; an entry without digits shows no partitions.
    for (int c = 0; c < s.codeCount.position; ++c) {
        const std::int32_t* entry = &v[kCodeTable + kEntrySize * static_cast<std::size_t>(c)];
        s.codes[static_cast<std::size_t>(c)] = shownEntry(
            codeDigitsText(std::span<const std::int32_t, kCodeDigitCount>(entry, kCodeDigitCount)), entry);
    }
    for (int k = 0; k < s.keyCount.position; ++k) {
        const std::int32_t* entry = &v[kKeyTable + kEntrySize * static_cast<std::size_t>(k)];
        s.keys[static_cast<std::size_t>(k)] =
            shownEntry(keyText(std::span<const std::int32_t, kKeyByteCount>(entry, kKeyByteCount)), entry);
    }

    const SettingsImage back = build(s);
    for (std::size_t i = 0; i < kKvmImageSize; ++i)
        if (back[i] != v[i]) out.notes.push_back({i, v[i]});
    return out;
}

std::variant<SettingsImage, Refusal> encode(const Settings& settings) {
    if (auto refusal = firstRefusal(settings)) return *refusal;
    return build(settings);
}

}  // namespace livna::kvm
