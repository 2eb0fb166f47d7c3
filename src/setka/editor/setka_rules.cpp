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

}  // namespace livna::setka
