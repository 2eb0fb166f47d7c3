#pragma once
// The Ливна-КВ-М settings as the editor shows and carries them, apart from any window: decode
// reads a 2048-value image into named fields, reducing each value to what its control can show,
// and encode builds the image the editor stores from them, or refuses a field whose text cannot
// be stored. The window copies this model to its controls and back, and runs its field rules
// in between.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/kvm_encoding.h"
#include "common/settings_image.h"

namespace livna::kvm {

inline constexpr int kReceivers = 4;
inline constexpr int kDetectorsPerReceiver = 48;
inline constexpr int kDetectors = kReceivers * kDetectorsPerReceiver;
inline constexpr int kCodes = 32;
inline constexpr int kKeys = 96;
inline constexpr int kOutputEvents = 12;
inline constexpr int kWiredLoops = 2;
inline constexpr int kSecondsFields = 7;
inline constexpr int kTimes = 4;
inline constexpr int kReports = 5;
inline constexpr int kVoiceMessageCount = 12;
inline constexpr int kRemindedTroubleCount = 3;
inline constexpr int kUpDownMax = 255;  ///< the seconds counters reach one past 254, the rule refuses that

/// A seconds or count field: the counter's position is stored; its edit's text is only checked.
struct Counter {
    int position = 0;
    std::string text;  ///< what the edit holds; a text that is neither blank nor a number is refused
    bool operator==(const Counter&) const = default;
};

struct Partition {
    int nameItem = 0;     ///< built-in name item 0..56 (56 = own name), -1 = none
    std::string ownName;  ///< UTF-8; stored only for item 56, as its first 8 characters
    // The type as the image holds it: both bits set shows as emergency (the later choice wins).
    bool fire = false;
    bool emergency = false;
    bool automaticArming = false;  // avt
    bool silent = false;           // tix
    bool twentyFourHour = false;   // krs
    bool excluded = false;         // Iskl: not-ready detectors excluded at arming
    bool operator==(const Partition&) const = default;
};

/// A code or key row. The partitions of a row without an entry are not stored.
struct AccessEntry {
    std::string text;  ///< code digits, or a key as up to 12 hexadecimal digits; empty = no entry
    std::uint16_t partitions = 0;
    bool operator==(const AccessEntry&) const = default;
};

struct Output {
    int modeItem = 0;  ///< radio item 0..6 (6 = "Специальный"), -1 = none
    std::uint16_t partitions = 0;
    std::uint16_t events = 0;  ///< bit e = event e (0..11)
    // Items of the time lists (0..255) and of the inverse choice (0..1); -1 = none.
    int close = 0;
    int open = 0;
    int duration = 0;
    int inverse = 0;
    bool operator==(const Output&) const = default;
};

struct WiredLoop {
    std::string partition;  ///< its digits, read as one number, are the partition (none = 0)
    int typeItem = 0;       ///< 0 = security, 1 = fire, -1 = none
    bool doubleTriggering = false;
    bool operator==(const WiredLoop&) const = default;
};

/// What the editor shows or carries of a settings image.
struct Settings {
    int versionCode = 0;                    ///< value 1
    std::array<std::int32_t, 6> carried{};  ///< values 6, 7, 8, 9, 25, 26, stored back unchanged
    std::string engineerPassword;           ///< four digit places
    std::string userPassword;               ///< six places, a space for an absent digit
    bool phoneOn = false;                   // kom671
    bool gsmOn = false;                     // GSMkom
    bool passwordResetForbidden = false;    // ConfirmPaswrd
    /// DelayEdit, DelayEditVxod, DelayEdit2, DelayEditVxod2, EditSoundExt, EditTimesound, EditTimeLCD.
    std::array<Counter, kSecondsFields> seconds{};
    Counter codeCount;
    Counter keyCount;
    std::array<Partition, kPartitionCount> partitions{};
    std::array<int, 8> borders{};                    ///< receiver ranges: item 0..15, -1 = none
    std::array<std::string, kDetectors> bindings{};  ///< partition of each detector, receiver by receiver
    std::array<std::int32_t, kDetectors> systemNumbers{};  ///< shown, never stored
    int sounder = 0;                                       ///< 0 on, 1 off, 2 the third choice
    int backlight = 0;                                     ///< 0 on, 1 off, 2 automatic
    std::array<bool, kReports> reportsAsAlarm{};           ///< the "tr" buttons
    std::array<WiredLoop, kWiredLoops> loops{};
    bool duressCodes = false;  // ViolenceCode
    std::array<Output, kOutputCount> outputs{};
    bool voiceModuleOn = false;
    std::array<bool, kVoiceMessageCount> voiceMessages{};
    std::array<bool, kRemindedTroubleCount> remindedTroubles{};
    int reminderAfterDisarm = 0;  ///< item 0..1, -1 = none
    int autoReminder = 0;         ///< item 0..1, -1 = none
    int volumeItem = 0;           ///< 0..8, -1 = none
    /// TimeReminder, TimeReminder1, SilenceStart, SilenceStop as "HH:MM"; empty = left out.
    std::array<std::string, kTimes> times{};
    std::array<AccessEntry, kCodes> codes{};
    std::array<AccessEntry, kKeys> keys{};
    bool operator==(const Settings&) const = default;
};

/// An image value the model holds in another form: encode gives back another value there.
struct Note {
    std::size_t index = 0;
    std::int32_t value = 0;  ///< what the image held
    bool operator==(const Note&) const = default;
};

struct Decoded {
    Settings settings;
    std::vector<Note> notes;  ///< in image order
};

/// Any integers are accepted; a short image reads as zeros beyond its end.
Decoded decode(const SettingsImage& image);

/// The fields encode can refuse, in the order it checks them.
enum class Field { Seconds, CodeCount, KeyCount, EngineerPassword, UserPassword, Time, Code };

struct Refusal {
    Field field = Field::Seconds;
    int index = 0;  ///< seconds field 0..6, time 0..3, code 0..31; 0 otherwise
    /// Engineer password: the digits it holds when it holds nothing but digits and spaces, -1
    /// when it holds another character.
    int digits = -1;
    bool operator==(const Refusal&) const = default;
};

/// The 2048 values the editor stores, or the first field that cannot be stored.
std::variant<SettingsImage, Refusal> encode(const Settings& settings);

/// The partition a wired loop's text names: its digits read as one number, 0 when it has none.
int wiredLoopPartition(const std::string& text);

/// A decimal integer after blanks are trimmed, with an optional sign; nothing for anything else.
std::optional<int> parseInteger(const std::string& text);

}  // namespace livna::kvm
