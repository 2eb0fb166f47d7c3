#pragma once
// The value encodings of a Ливна-КВ-М settings image: pure functions between image values and the
// texts and choices the editor shows. Decoding never fails on an image value (every value is
// reduced to what its control can show); encoding of typed text reports a text that is not a
// number by returning nothing, so that no image is built from it.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/settings_image.h"

namespace livna {

// ---- Partition set: two values A, A+1; partition k (1..8) is bit k-1 of A, k (9..16) bit k-9 of A+1.

inline constexpr int kPartitionCount = 16;

/// True when partition (1..16) is in the set held by the pair (a, b).
bool partitionInSet(std::int32_t a, std::int32_t b, int partition);
/// Puts partition (1..16) into the set held by (a, b) or takes it out; other bits stay.
void setPartitionInSet(std::int32_t& a, std::int32_t& b, int partition, bool on);
/// The same on an image: the pair is image[first], image[first + 1].
bool partitionInSet(const SettingsImage& image, std::size_t first, int partition);
void setPartitionInSet(SettingsImage& image, std::size_t first, int partition, bool on);
/// The 16 partitions as one mask, bit k-1 = partition k (low 8 bits of each value).
std::uint16_t partitionMask(std::int32_t a, std::int32_t b);
/// The pair (A, A+1) for a mask.
std::pair<std::int32_t, std::int32_t> partitionPair(std::uint16_t mask);

// ---- Digit and None.

inline constexpr std::int32_t kDigitBase = 128;

/// 128 + d.
constexpr std::int32_t encodeDigit(int digit) {
    return kDigitBase + digit;
}
/// The low 4 bits (0..15; the editor only produces 1..9).
constexpr int decodeDigit(std::int32_t value) {
    return value & 0x0F;
}
/// The character shown for a decoded digit: '0'..'9', and 'A'..'F' for 10..15, which no field
/// accepts back as a digit, so such a value is refused instead of silently changed.
char digitChar(int digit);

// ---- Passwords and code digits.

inline constexpr std::size_t kEngineerPasswordLength = 4;
inline constexpr std::size_t kUserPasswordLength = 6;
inline constexpr std::size_t kCodeDigitCount = 6;

using EngineerPasswordValues = std::array<std::int32_t, kEngineerPasswordLength>;
using UserPasswordValues = std::array<std::int32_t, kUserPasswordLength>;
using CodeDigitValues = std::array<std::int32_t, kCodeDigitCount>;

/// The four values of a password number 0..9999: thousands, hundreds, tens, units, each + 128.
std::optional<EngineerPasswordValues> encodeEngineerPassword(int password);
/// The text of the password edit read as a decimal number; nothing when it is not a number 0..9999.
std::optional<EngineerPasswordValues> encodeEngineerPassword(std::string_view text);
/// The four digits of the values (low 4 bits each), thousands first, e.g. "5836".
std::string engineerPasswordText(std::span<const std::int32_t, kEngineerPasswordLength> values);

/// Position i (1..6) of the text gives value 39 + i: its digit + 128, or None for a space or a
/// position beyond the end of the text. Nothing when a position holds anything else, or when the
/// text is longer than six positions.
std::optional<UserPasswordValues> encodeUserPassword(std::string_view text);
/// One character per position: a space for None, else the digit (low 4 bits). Always 6 characters.
std::string userPasswordText(std::span<const std::int32_t, kUserPasswordLength> values);

/// The digits of the text in order, each + 128, then None up to six; blanks of the masked edit
/// are left out. Nothing when the text holds another character or more than six digits.
std::optional<CodeDigitValues> encodeCodeDigits(std::string_view text);
/// The digits up to the first None or digit 0; empty when the first slot is None or 0.
std::string codeDigitsText(std::span<const std::int32_t, kCodeDigitCount> values);

// ---- Touch Memory keys.

inline constexpr std::size_t kKeyByteCount = 6;
inline constexpr std::size_t kKeyTextLength = 12;
using KeyValues = std::array<std::int32_t, kKeyByteCount>;

/// Twelve hexadecimal characters h1..h12 to offsets 5..0 (offset 5 = h1h2, .., offset 0 = h11h12).
/// "0".."9", "A".."F" (and "a".."f") are digits; any other character and any position beyond
/// the end of the text counts as 0; characters after the twelfth are ignored.
KeyValues encodeKey(std::string_view text);
/// False when the text's last two digits are FF: the key would be stored with None at offset 0,
/// which reads back as no key, so it would be lost at the next write. Every other text is stored
/// as typed (see encodeKey).
bool isStorableKey(std::string_view text);
/// The key as 12 upper-case hexadecimal digits, offset 5 first; empty when offset 0 is None.
/// All six bytes are read whenever offset 0 is not None: a key is always stored whole, so a byte
/// FF elsewhere is a real key byte. Each value is reduced to its low 8 bits.
std::string keyText(std::span<const std::int32_t, kKeyByteCount> values);

// ---- PanelCharset: own partition names in the panel's display character set.

inline constexpr std::size_t kNameLength = 8;
using NameValues = std::array<std::int32_t, kNameLength>;

/// The display code of one character. Below 128: its own code. Cyrillic letters, "Ё", "ё" and
/// "№" through the display table. U+E080..U+E0FF (see charFromPanelCode) give their low byte.
/// Any other character of Windows-1251 keeps its Windows-1251 code; a character Windows-1251
/// cannot hold becomes "?".
std::uint8_t panelCodeFromChar(char32_t ch);
/// The character of one display code. Below 128: that character (so 08 and 17 come back as
/// control characters). A code the table produces: the Windows-1251 letter mapped to it. Any
/// other code has no known glyph here and comes back as the private-use character U+E000 + code,
/// which panelCodeFromChar turns back into the same code, so such a name is stored again unchanged.
char32_t charFromPanelCode(std::uint8_t code);
/// The first 8 characters of a UTF-8 text through PanelCharset, padded with 32. Invalid UTF-8
/// bytes count as "?".
NameValues encodeName(std::string_view utf8);
/// The 8 characters of a stored name as UTF-8, padding included; each value reduced to 8 bits.
std::string decodeName(std::span<const std::int32_t, kNameLength> values);

// ---- Hours/minutes.

struct HoursMinutes {
    std::int32_t hours = 0;
    std::int32_t minutes = 0;
    bool operator==(const HoursMinutes&) const = default;
};

/// "HH:MM", two-digit and zero-padded (each value reduced to its low 8 bits).
std::string timeText(std::int32_t hours, std::int32_t minutes);
/// Hours from characters 1..2 and minutes from characters 4..5 of the text, spaces left out, each
/// read as a decimal number. Nothing when a part is not a number (an empty part included); the
/// caller leaves an empty field out before asking.
std::optional<HoursMinutes> parseTime(std::string_view text);

// ---- Output work modes (RelayModeCode) and their presets.

inline constexpr int kOutputCount = 5;  ///< relays 1..3, ОК 1, ОК 2
inline constexpr int kRelayModeCount = 7;
inline constexpr std::int32_t kModeSpecial = 6;  ///< "Специальный"

/// Radio item (0..6) for a stored code (low 4 bits); -1 when the code is not one of 0..6.
int relayRadioItem(std::int32_t code);
/// Stored code for a radio item 0..6; -1 for any other item.
std::int32_t relayModeCode(int radioItem);
/// Captions of the radio items, in item order ("ПЦН тревога", "Контрольная лампа", ..).
const std::array<std::string, kRelayModeCount>& relayModeCaptions();

struct OutputPreset {
    std::int32_t byteA = 0;     ///< event byte A; byte B is 0 in every preset
    std::int32_t close = 0;     ///< close-for-time, half-second list item
    std::int32_t open = 0;      ///< open-for-time, half-second list item
    std::int32_t duration = 0;  ///< notification duration, five-second list item
    std::int32_t inverse = 0;   ///< 0 = "Нет ", 1 = "Да"
    bool operator==(const OutputPreset&) const = default;
};

/// The preset of a mode code (0..5) for output 1..5 (4, 5 = ОК 1, ОК 2); nothing for
/// "Специальный" and for codes or outputs out of range.
std::optional<OutputPreset> outputPreset(std::int32_t modeCode, int output);

// ---- Time lists of the outputs (256 items each; the value is the item index).

inline constexpr int kTimeListSize = 256;

/// Item text of the half-second list: "---", "0.5 сек", "1 сек", .. "127 сек", "пост.".
std::string halfSecondItemText(int index);
/// Item text of the five-second list: "---", "5 сек" .. "55 сек", "1 мин", "1 м 5 с", ..
/// "21 м 10 с", "пост.".
std::string fiveSecondItemText(int index);
const std::vector<std::string>& halfSecondItems();
const std::vector<std::string>& fiveSecondItems();

// ---- Built-in partition names.

inline constexpr int kPartitionNameCount = 57;
inline constexpr int kOwnNameItem = 56;            ///< "пользовательское название"
inline constexpr std::int32_t kOwnNameValue = 63;  ///< how item 56 is stored

const std::vector<std::string>& builtInPartitionNames();
/// Item 0..56 for a stored value (0..55 as such, 63 = item 56); -1 for any other value.
int partitionNameItem(std::int32_t value);
/// Stored value of item 0..56 (item 56 = 63); -1 for any other item.
std::int32_t partitionNameValue(int item);

// ---- Volume (block 3 offset 57).

inline constexpr int kVolumeItemCount = 9;
/// 48 + 2·item.
constexpr std::int32_t encodeVolume(int item) {
    return 48 + 2 * item;
}
/// (value − 48) / 2 rounded down; -1 when that is not 0..8.
int volumeItem(std::int32_t value);

// ---- Detector binding (values 64..255).

/// 0..16 as such, anything else 0.
constexpr std::int32_t decodeBinding(std::int32_t value) {
    return value >= 0 && value <= 16 ? value : 0;
}

}  // namespace livna
