#pragma once
// The field rules of the setka editor as plain functions of what the fields hold: how a masked
// number field reads, what leaving a binding, system number, duration or password field says, and
// how a partition bound is corrected. The window only moves values and shows the boxes.
#include <array>
#include <functional>
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

// ---- object numbers (ObjectClick, ObjectExit) ---------------------------------------------------

/// What an Object field counts on entry: its number by the all-digits rule, 0 without one.
int objectEntryValueOf(std::string_view text);

/// What leaving the object field at edited says, over the 768 fields read by the all-digits rule
/// (nothing for a field without a number), the edited field having held entryValue on entry.
struct ObjectLeave {
    /// Fields without a number, in order: each gets its box, "0 " and 0.
    std::vector<int> blanks;
    /// The first field of another РПД row holding the number the edited field was given; the
    /// edited field then takes its entry value back. A number it had on entry is no new repeat.
    std::optional<int> repeatOf;
    /// The number the edited field keeps.
    int kept = 0;
    /// The number differs from the entry value: the loop's changed bit is set.
    bool changed = false;
    /// ObjectNumbers afterwards.
    std::array<int, kObjectFields> numbers{};
    bool refused() const { return !blanks.empty() || repeatOf.has_value(); }
};
ObjectLeave leaveObject(const std::array<std::optional<int>, kObjectFields>& fields, int edited,
                        int entryValue);
inline constexpr const char* kObjectRange =
    "Недопустимое значение! Номер объекта должен быть в интервале от 0 до 999";
inline constexpr const char* kObjectCleared = "0 ";
/// "Повтор номера объекта в РПД №n", n the row of the field at index over all receivers.
std::string objectRepeatMessage(int other);

// ---- pre-write checks of codes and keys (CheckCodes, CheckKeys, RemoveDuplicateCodes) ------------

/// One Yes/No box of a check, as the editor passes it.
struct Question {
    std::string caption;
    std::string text;
    bool operator==(const Question&) const = default;
};
/// Answers a question: true for Yes.
using Asker = std::function<bool(const Question&)>;

struct AccessWalk {
    int result = 1;                   ///< 1 = acceptable, −1 = a problem was reported
    std::vector<Question> questions;  ///< in the order they were asked
    std::vector<AccessRow> rows;      ///< the rows afterwards, for the window to show
};
/// A code holds no digit: it is blank. Codes are compared by their digits, blanks skipped.
bool codeIsBlank(std::string_view text);
/// CheckCodes over codes 1..count of rows.
AccessWalk checkCodes(std::vector<AccessRow> rows, int count, const Asker& ask);
/// CheckKeys over keys 1..count of rows; stops at the first authority problem.
AccessWalk checkKeys(std::vector<AccessRow> rows, int count, const Asker& ask);

struct DuplicateCodes {
    std::vector<int> removed;  ///< positions 1..count emptied, each told in its own box
    std::vector<AccessRow> rows;
    int count = 0;  ///< the highest code left that is not blank, 0 if none
};
/// RemoveDuplicateCodes over codes 1..count: a code repeating an earlier one is emptied, its
/// authority boxes kept.
DuplicateCodes removeDuplicateCodes(std::vector<AccessRow> rows, int count);
/// "Поторяющийся Код в позиции №n будет удален!"
std::string duplicateCodeMessage(int n);

inline constexpr const char* kRemoveQuestion = "Удалить?";
inline constexpr const char* kRepeatedCode = "Повторяющийся Код!";
inline constexpr const char* kCodeWithoutAuthority = "Код без полномочий";
inline constexpr const char* kAuthorityWithoutCode = "Полномочия установлены, а код не введен";
inline constexpr const char* kRepeatedKey = "Повторяющийся Идентификатор!";
inline constexpr const char* kKeyWithoutAuthority = "Идентификатор без полномочий";
inline constexpr const char* kAuthorityWithoutKey = "Полномочия установлены, а идентификатор не введен";

}  // namespace livna::setka
