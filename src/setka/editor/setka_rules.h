#pragma once
// The field rules of the setka editor as plain functions of what the fields hold: how a masked
// number field reads, what leaving a binding, system number, duration or password field says, and
// how a partition bound is corrected. The window only moves values and shows the boxes.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "setka/editor/setka_model.h"

namespace livna::setka {

// ---- masked number fields ---------------------------------------------------------------------

enum class NumberRule {
    LeadingRun,  ///< RPD, RPDI: the digits from the first one up to the next place without one
    AllDigits,   ///< Object: every digit in order, blanks skipped
};
/// The number a masked field holds; nothing when no place holds a digit.
std::optional<int> parseMaskedNumber(std::string_view text, NumberRule rule);

// ---- partition bindings (RPDExit .. RPDExit4) ---------------------------------------------------

/// What a binding of one receiver's tab may hold: 0, or lo..hi.
struct BindingRange {
    int lo = 0;
    int hi = 0;
    bool fixed = false;  ///< receiver 1 of variant 1: 0..16, whatever the bounds say
};
/// The range of a receiver's bindings: from its two bounds (item indices of Border 2r−1, 2r),
/// the fixed range for receiver 1 of variant 1, nothing (no check) for receiver 1 of variant 5.
std::optional<BindingRange> bindingRange(int receiver, SystemVariant variant,
                                         const std::array<int, kBorders>& borders);
/// The box a refused binding of the range shows.
std::string bindingMessage(const BindingRange& range);
/// False for a binding without a number or outside the range; zero is always accepted.
bool bindingAccepted(std::string_view text, const BindingRange& range);
/// What a refused binding is set to.
inline constexpr const char* kBindingCleared = "0 ";

// ---- partition bounds (BorderChange) ------------------------------------------------------------

/// The item Border tag (1..8) keeps when the installer picks item within the bounds now shown
/// (items[tag − 1] is the pick): each receiver's range stays ordered and the ranges stay apart.
int correctedBorder(int tag, int item, const std::array<int, kBorders>& items);
inline constexpr const char* kBordersChanged =
    "Внимание! При смене границ номеров разделов РПУ проверьте привязки извещателей к разделам для "
    "соответствующего РПУ!";

// ---- system numbers (RPDIChange) ----------------------------------------------------------------

inline constexpr int kSystemNumberMax = 192;
/// What an RPDI field counts: its leading run, 0 without a number.
int systemNumberOf(std::string_view text);

struct SystemNumberScan {
    /// Fields zeroed as repeats, in the order they are told: each keeps the box of its pair.
    std::vector<int> victims;
    /// The edited field held a number above 192 and is zeroed after the repeats.
    bool outOfRange = false;
    /// SystemNumbers 0..191 afterwards: the work list with every zeroed field at 0.
    std::array<int, kDetectors> table{};
};
/// The duplicate scan over the 192 numbers read from the fields (index 48·(r−1)+(d−1)) after
/// the field at edited was left. Of two equal non-zero numbers the edited field keeps its own
/// and the other is zeroed; otherwise the later one is zeroed. A zeroed field takes no further
/// part, and 0 is never a repeat.
SystemNumberScan scanSystemNumbers(const std::array<int, kDetectors>& work, int edited);
/// "… на вкладке РПУ №r. Он будет занулен." for a victim at index.
std::string systemNumberRepeatMessage(int victim);
inline constexpr const char* kSystemNumberRange =
    "Недопустимое значение! Системный номер РПДИ должен быть в интервале от 1 до 192 или 0";
inline constexpr const char* kSystemNumberCleared = "0  ";

// ---- durations ----------------------------------------------------------------------------------

struct DurationVerdict {
    enum Kind {
        Empty,       ///< left alone
        Value,       ///< 0..254: the up-down takes it
        OutOfRange,  ///< box, the edit gets "1"
        NotANumber,  ///< box, the edit shows the up-down's value again
    };
    Kind kind = Empty;
    int value = 0;
    bool operator==(const DurationVerdict&) const = default;
};
/// What a duration edit's text says: a decimal integer, blanks around it allowed.
DurationVerdict judgeDuration(std::string_view text);
inline constexpr const char* kDurationRange = "Диапазон возможных значений от 0 до 254";
/// The box of a text that is not a number.
std::string durationNotANumberMessage(std::string_view text);

// ---- passwords ----------------------------------------------------------------------------------

/// The count a password's exit rule takes over its positional text (spaces for blank places):
/// non-blank places, except PasswordEdit2, which counts places holding a digit other than 0.
int passwordCount(Field field, std::string_view positional);
/// The count a password needs: 4 for the engineer's, 3 for the others.
int passwordMinimum(Field field);
inline bool passwordShort(Field field, std::string_view positional) {
    return passwordCount(field, positional) < passwordMinimum(field);
}
/// The box of a short password (also told when a gathering refuses one).
const char* passwordMessage(Field field);
inline constexpr const char* kZeroNotAllowed = "0 не допустим!";
/// PasswordEdit and PasswordEdit2 take no digit 0: the text without its zeros.
std::string withoutZeros(std::string_view text);

// ---- keys and names -----------------------------------------------------------------------------

inline constexpr const char* kKeyRetypeText = "Ввести заново?";
inline constexpr const char* kKeyShortCaption = "Введен идентификатор малой длины";
inline constexpr std::size_t kOwnNameMax = 8;
inline constexpr const char* kOwnNameCut =
    "Внимание, название превышающее 8 символов будет сокращена до 8!!!";

}  // namespace livna::setka
