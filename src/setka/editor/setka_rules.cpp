// The field rules of the setka editor on plain values.
#include "setka/editor/setka_rules.h"

#include <algorithm>
#include <charconv>

namespace livna::setka {

namespace {

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr int kPartitionItemBase = 1;  // item index i shows partition i + 1
constexpr int kFixedBindingMax = 16;

}  // namespace

std::optional<int> parseMaskedNumber(std::string_view text, NumberRule rule) {
    const auto first = std::find_if(text.begin(), text.end(), isDigit);
    if (first == text.end()) return std::nullopt;
    int n = 0;
    for (auto it = first; it != text.end(); ++it) {
        if (isDigit(*it))
            n = n * 10 + (*it - '0');
        else if (rule == NumberRule::LeadingRun)
            break;
    }
    return n;
}

// ---- bindings

std::optional<BindingRange> bindingRange(int receiver, SystemVariant variant,
                                         const std::array<int, kBorders>& borders) {
    if (receiver == 1 && variant == SystemVariant::Kvm1) return BindingRange{0, kFixedBindingMax, true};
    if (receiver == 1 && variant != SystemVariant::Kvm4) return std::nullopt;
    const auto lower = static_cast<std::size_t>(2 * receiver - 2);
    return BindingRange{borders[lower] + kPartitionItemBase, borders[lower + 1] + kPartitionItemBase, false};
}

std::string bindingMessage(const BindingRange& range) {
    if (range.fixed) return "Недопустимое значение! Номер раздела должен быть в интервале от 0 до 16";
    return "Недопустимое значение! Номер раздела должен быть в интервале от " + std::to_string(range.lo) +
           " до " + std::to_string(range.hi) + " или 0";
}

bool bindingAccepted(std::string_view text, const BindingRange& range) {
    const auto n = parseMaskedNumber(text, NumberRule::LeadingRun);
    if (!n) return false;
    if (range.fixed) return *n <= kFixedBindingMax;
    return *n == 0 || (*n <= range.hi && *n >= range.lo);
}

// ---- bounds

int correctedBorder(int tag, int item, const std::array<int, kBorders>& items) {
    auto at = [&](int t) { return items[static_cast<std::size_t>(t - 1)]; };
    if (tag == 1) return std::min(item, at(2));
    if (tag == kBorders) return std::max(item, at(kBorders - 1));
    const int prev = at(tag - 1);
    const int next = at(tag + 1);
    if (tag % 2 == 1) {  // a lower bound
        if (next < item) return next;
        return prev >= item ? prev + 1 : item;
    }
    if (item < next) return std::max(item, prev);  // an upper bound
    return next - 1;
}

// ---- system numbers

int systemNumberOf(std::string_view text) {
    return parseMaskedNumber(text, NumberRule::LeadingRun).value_or(0);
}

SystemNumberScan scanSystemNumbers(const std::array<int, kDetectors>& work, int edited) {
    SystemNumberScan scan;
    scan.table = work;
    auto& numbers = scan.table;
    for (int i = 0; i + 1 < kDetectors; ++i) {
        for (int j = i + 1; j < kDetectors; ++j) {
            const auto a = static_cast<std::size_t>(i);
            const auto b = static_cast<std::size_t>(j);
            // A number zeroed on the way is out of the scan: it repeats nothing any more.
            if (numbers[a] == 0) break;
            if (numbers[b] != numbers[a]) continue;
            const int victim = j == edited ? i : j;
            numbers[static_cast<std::size_t>(victim)] = 0;
            scan.victims.push_back(victim);
        }
    }
    if (edited >= 0 && edited < kDetectors && numbers[static_cast<std::size_t>(edited)] > kSystemNumberMax) {
        scan.outOfRange = true;
        numbers[static_cast<std::size_t>(edited)] = 0;
    }
    return scan;
}

std::string systemNumberRepeatMessage(int victim) {
    return "Повтор системного номера РПДИ! Аналогичный номер есть на вкладке РПУ №" +
           std::to_string(victim / kDetectorsPerReceiver + 1) + ". Он будет занулен.";
}

// ---- durations

DurationVerdict judgeDuration(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {text.empty() ? DurationVerdict::Empty : DurationVerdict::NotANumber};
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size() || text.empty()) return {DurationVerdict::NotANumber};
    if (error == std::errc::result_out_of_range || value < 0 || value > kSecondsMax)
        return {DurationVerdict::OutOfRange};
    return {DurationVerdict::Value, static_cast<int>(value)};
}

std::string durationNotANumberMessage(std::string_view text) {
    return "\"" + std::string(text) + "\" - не число! " + kDurationRange;
}

// ---- passwords

int passwordCount(Field field, std::string_view positional) {
    if (field == Field::PasswordEdit2)
        return static_cast<int>(std::count_if(positional.begin(), positional.end(),
                                              [](char c) { return isDigit(c) && c != '0'; }));
    return static_cast<int>(
        std::count_if(positional.begin(), positional.end(), [](char c) { return c != ' '; }));
}

int passwordMinimum(Field field) {
    return field == Field::PasswordEdit || field == Field::paswrd1 ? 4 : 3;
}

const char* passwordMessage(Field field) {
    switch (field) {
        case Field::PasswordEdit:
        case Field::paswrd1:
            return "Недопустимое количество цифр! Количестово цифр в пароле инженера должно быть 4!";
        case Field::PasswordEdit2:
            return "Недопустимое количество цифр! Количестово цифр в пароле пользователя должно быть от 3 до "
                   "6!";
        case Field::paswrd2:
            return "Недопустимое количество цифр! Количестово цифр в пароле администратора должно быть от 3 "
                   "до 6!";
        case Field::kod:
            break;
    }
    return "";
}

std::string withoutZeros(std::string_view text) {
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c != '0'; });
    return out;
}

// ---- object numbers

int objectEntryValueOf(std::string_view text) {
    return parseMaskedNumber(text, NumberRule::AllDigits).value_or(0);
}

ObjectLeave leaveObject(const std::array<std::optional<int>, kObjectFields>& fields, int edited,
                        int entryValue) {
    ObjectLeave leave;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!fields[i]) leave.blanks.push_back(static_cast<int>(i));
        leave.numbers[i] = fields[i].value_or(0);
    }
    auto& own = leave.numbers[static_cast<std::size_t>(edited)];
    // Only the edited field's own repeats count: a pair elsewhere was told when the image was
    // shown, and the number the field came with is no new repeat either.
    if (own != 0 && own != entryValue) {
        const int row = edited / kLoopsPerRpd;
        for (int i = 0; i < kObjectFields; ++i) {
            if (i / kLoopsPerRpd == row || leave.numbers[static_cast<std::size_t>(i)] != own) continue;
            leave.repeatOf = i;
            own = entryValue;
            break;
        }
    }
    leave.kept = own;
    leave.changed = own != entryValue;
    return leave;
}

std::string objectRepeatMessage(int other) {
    return "Повтор номера объекта в РПД №" + std::to_string(other / kLoopsPerRpd + 1);
}

// ---- codes and keys

namespace {

std::string digitsOf(std::string_view text) {
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), isDigit);
    return digits;
}

std::size_t walked(const std::vector<AccessRow>& rows, int count) {
    return std::min(rows.size(), static_cast<std::size_t>(std::max(count, 0)));
}

bool asked(AccessWalk& walk, const Asker& ask, const char* caption, const char* text) {
    walk.questions.push_back({caption, text});
    return ask(walk.questions.back());
}

}  // namespace

bool codeIsBlank(std::string_view text) {
    return std::none_of(text.begin(), text.end(), isDigit);
}

AccessWalk checkCodes(std::vector<AccessRow> rows, int count, const Asker& ask) {
    AccessWalk walk;
    const std::size_t end = walked(rows, count);
    for (std::size_t n = 0; n < end; ++n) {
        AccessRow& row = rows[n];
        for (std::size_t m = 0; m < n && !codeIsBlank(row.text); ++m) {
            if (codeIsBlank(rows[m].text) || digitsOf(rows[m].text) != digitsOf(row.text)) continue;
            if (asked(walk, ask, kRemoveQuestion, kRepeatedCode)) {
                row = AccessRow{};
                walk.result = -1;
            }
        }
        if (!codeIsBlank(row.text) && row.authorities == 0) {
            if (asked(walk, ask, kCodeWithoutAuthority, kRemoveQuestion)) row.text.clear();
            walk.result = -1;
        } else if (codeIsBlank(row.text) && row.authorities != 0) {
            if (asked(walk, ask, kAuthorityWithoutCode, kRemoveQuestion)) row.authorities = 0;
            walk.result = -1;
        }
    }
    walk.rows = std::move(rows);
    return walk;
}

AccessWalk checkKeys(std::vector<AccessRow> rows, int count, const Asker& ask) {
    AccessWalk walk;
    const std::size_t end = walked(rows, count);
    for (std::size_t n = 0; n < end && walk.result == 1; ++n) {
        AccessRow& row = rows[n];
        for (std::size_t m = 0; m < n && !row.text.empty(); ++m) {
            if (rows[m].text.empty() || rows[m].text != row.text) continue;
            if (asked(walk, ask, kRemoveQuestion, kRepeatedKey)) row = AccessRow{};
        }
        if (!row.text.empty() && row.authorities == 0) {
            if (asked(walk, ask, kKeyWithoutAuthority, kRemoveQuestion)) row.text.clear();
            walk.result = -1;
        } else if (row.text.empty() && row.authorities != 0) {
            if (asked(walk, ask, kAuthorityWithoutKey, kRemoveQuestion)) row.authorities = 0;
            walk.result = -1;
        }
    }
    walk.rows = std::move(rows);
    return walk;
}

DuplicateCodes removeDuplicateCodes(std::vector<AccessRow> rows, int count) {
    DuplicateCodes out;
    const std::size_t end = walked(rows, count);
    for (std::size_t n = 0; n < end; ++n) {
        if (codeIsBlank(rows[n].text)) continue;
        const std::string digits = digitsOf(rows[n].text);
        const bool repeat = std::any_of(
            rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(n), [&](const AccessRow& earlier) {
                return !codeIsBlank(earlier.text) && digitsOf(earlier.text) == digits;
            });
        if (!repeat) continue;
        rows[n].text.clear();
        out.removed.push_back(static_cast<int>(n) + 1);
    }
    for (std::size_t n = end; n > 0; --n)
        if (!codeIsBlank(rows[n - 1].text)) {
            out.count = static_cast<int>(n);
            break;
        }
    out.rows = std::move(rows);
    return out;
}

std::string duplicateCodeMessage(int n) {
    return "Поторяющийся Код в позиции №" + std::to_string(n) + " будет удален!";
}

}  // namespace livna::setka
