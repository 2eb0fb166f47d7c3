#pragma once
// The Ливна-КВ settings as the editor shows and carries them, apart from any window: decode reads
// a 2304-value image into named fields and notes what it could not hold; encode builds the image
// back, or refuses the first field whose text cannot be stored. The window only copies this model
// to its controls and back.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "common/settings_image.h"

namespace livna::kv {

inline constexpr int kObjects = 768;
inline constexpr int kDetectors = 96;  ///< РПД 1..96
inline constexpr int kZones = 8;       ///< ШС 1..8 of each РПД
inline constexpr int kCodes = 32;
inline constexpr int kCarriedCount = 10;  ///< values 2..11
inline constexpr int kNotifications = 7;  ///< values 31..37
inline constexpr std::size_t kEngineerPasswordSlots = 4;
inline constexpr std::size_t kAdministratorPasswordSlots = 6;
inline constexpr std::size_t kCodeSlots = 6;
inline constexpr int kDurationMax = 254;        ///< seconds of the sound and backlight durations
inline constexpr std::int32_t kFastSpeed = 90;  ///< value 30 of "4800"

/// Object n (1..768) is entry n - 1.
struct ObjectEntry {
    int number = 0;
    bool on = true;
    int detector = 0;  ///< its РПД, 0 = none
    bool operator==(const ObjectEntry&) const = default;
};

/// РПД r (1..96) is entry r - 1; objects[s] is the object ШС s + 1 belongs to, 0 = free.
struct DetectorEntry {
    int number = 0;
    std::array<int, kZones> objects{};
    bool operator==(const DetectorEntry&) const = default;
};

/// A notification event's status: which of its two boxes is ticked.
enum class Notice : std::int32_t { Trouble = 0, Alarm = 1, Unused = 255 };

/// Everything the editor shows or carries of a Ливна-КВ image.
///
/// The choices a control offers (password reset, relays, sound, backlight) are held as the value
/// the image had: a control shows the item of that number when it has one and no choice otherwise,
/// and a control left without a choice stores the value back as it was read.
struct Settings {
    int versionCode = 0;                                ///< value 1
    std::array<std::int32_t, kCarriedCount> carried{};  ///< values 2..11
    std::int32_t passwordReset = 0;           ///< value 12: 0 "Разрешен", 1 "Запрещен"
    std::string engineerPassword;             ///< values 13..16, one character per slot
    std::string administratorPassword;        ///< values 17..22
    int codeCount = 0;                        ///< 0..32
    std::array<std::string, kCodes> codes{};  ///< one character per slot; leading zeros kept
    std::array<int, kCodes> accCode{};        ///< `AccCode`: the numeric value of each code
    std::int32_t relay1 = 0;                  ///< low half of value 25: 0..15
    std::int32_t relay2 = 0;                  ///< high half of value 25: 0..15
    std::int32_t soundMode = 0;               ///< value 26: 0 on, 1 off, 2 alarms only
    int soundDuration = 0;                    ///< value 27, 0..254
    std::int32_t backlightMode = 0;           ///< value 28: 0 on, 1 off, 2 automatic
    int backlightDuration = 0;                ///< value 29, 0..254
    bool fastSpeed = false;                   ///< value 30: "4800" when true, else "1200"
    std::array<Notice, kNotifications> notices{};
    std::array<ObjectEntry, kObjects> objects{};
    std::array<DetectorEntry, kDetectors> detectors{};

    /// A model as a reset editor holds it: objects numbered 1..768, on, without РПД; zones free.
    Settings();
    bool operator==(const Settings&) const = default;
};

/// A zone-table entry naming an object outside 1..768: not stored, the zone is shown free.
struct DroppedZone {
    int detector = 0;  ///< РПД 1..96
    int zone = 0;      ///< ШС 1..8
    std::int64_t object = 0;
    bool operator==(const DroppedZone&) const = default;
};

struct Decoded {
    Settings settings;
    std::vector<DroppedZone> droppedZones;  ///< in zone-table order
    bool codeCountClamped = false;          ///< value 23 lay outside 0..32
};

/// Any integers are accepted; a short image reads as zeros beyond its end. Values the model keeps
/// to be stored back are kept as their low byte, which is all the panel receives of them.
Decoded decode(const SettingsImage& image);

/// The fields encode can refuse, in the order it checks them.
enum class Field { EngineerPassword, AdministratorPassword, Code };

struct Refusal {
    Field field = Field::EngineerPassword;
    int code = 0;  ///< Code: 1-based number of the code
    bool operator==(const Refusal&) const = default;
};

/// Exactly 2304 values, or the first field that holds anything but decimal digits within its slots.
std::variant<SettingsImage, Refusal> encode(const Settings& settings);

// ---- the code list -----------------------------------------------------------------------------

/// What storing a code's text comes to, the refusals in the order they are checked.
enum class CodeVerdict { Stored, NotDigits, Length, Zero, Repeat, NoRow };

/// The box text of a refusal; empty for Stored and NoRow (no row, nothing to tell).
std::string codeMessage(CodeVerdict verdict);

/// The verdict on a text for a code: 3..6 decimal digits, value not 0, a value no entry of
/// `AccCode` holds (the entry of the code being replaced included, so an unchanged code is a
/// repeat).
CodeVerdict checkCode(const Settings& settings, const std::string& text);

/// Stores the text as code `row` (1..count) when checkCode accepts it; the text keeps its leading
/// zeros, `AccCode` holds its value. A row outside the count stores nothing (NoRow).
CodeVerdict storeCode(Settings& settings, int row, const std::string& text);

/// The count as the up-down sets it (clamped to 0..32); codes leaving use are emptied and their
/// `AccCode` entries cleared, so their values are free again. Added codes are empty.
void setCodeCount(Settings& settings, int count);

/// Removes code `row` (1..count): later codes move up one row and the count drops by one. A row
/// outside the count changes nothing; returns whether a code was removed.
bool deleteCode(Settings& settings, int row);

// ---- the object assignment ---------------------------------------------------------------------

/// One of the eight zone boxes of the object tab.
struct ZoneBox {
    bool enabled = false;
    bool ticked = false;
    bool operator==(const ZoneBox&) const = default;
};
using ZoneBoxes = std::array<ZoneBox, kZones>;

/// The boxes for object n (1..768) on РПД r: r outside 1..96 gives all disabled and unticked; a
/// ШС of another object is disabled and ticked, one of object n enabled and ticked, a free one
/// enabled and unticked (whether the object is on or off).
ZoneBoxes zoneBoxes(const Settings& settings, int object, int detector);

/// What the text of the РПД field holds: a number 1..96 or one of the refusals.
enum class DetectorVerdict { Valid, NotDigits, OutOfRange };
struct DetectorText {
    DetectorVerdict verdict = DetectorVerdict::NotDigits;
    int number = 0;  ///< 1..96 when Valid
};
DetectorText readDetector(const std::string& text);

/// The box text of a refusal; empty for Valid.
std::string detectorMessage(DetectorVerdict verdict);

/// Object n (1..768) takes on/off and РПД r (1..96); each enabled box gives ШС s of r to n or frees
/// it, disabled boxes leave their ШС as it is; when r differs from the object's former РПД, the
/// ШС of that РПД held by n are freed.
void storeAssignment(Settings& settings, int object, bool on, int detector, const ZoneBoxes& boxes);

/// The texts of row n (1..768) of the object grid: the number, "   X" or three blanks, the РПД (0
/// when none), "Доступные ШС:", then " X" or nothing for ШС 1..8.
std::array<std::string, 12> objectRowTexts(const Settings& settings, int n);

}  // namespace livna::kv
