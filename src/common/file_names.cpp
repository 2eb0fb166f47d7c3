#include "common/file_names.h"

#include <ctime>

namespace livna {

std::string twoDigits(int n) {
    n = ((n % 100) + 100) % 100;
    return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

namespace {

constexpr std::string_view kDayMonthYearFormat = "dd.MM.yyyy";

}  // namespace

std::string formatShortDate(const CalendarDate& date, std::string_view format) {
    std::string out;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        std::size_t run = 1;
        while (i + run < format.size() && format[i + run] == c) ++run;
        switch (c) {
            case 'd':
                out += run == 1 ? std::to_string(date.day) : twoDigits(date.day);
                break;
            case 'M':
                out += run == 1 ? std::to_string(date.month) : twoDigits(date.month);
                break;
            case 'y':
                out += run <= 2 ? twoDigits(date.year) : std::to_string(date.year);
                break;
            default:
                out.append(run, c);
                break;
        }
        i += run;
    }
    return out;
}

std::string dateStamp(const CalendarDate& date, std::string_view shortDateFormat) {
    std::string text;
    if (shortDateFormat == kDayMonthYearFormat) {
        text = formatShortDate(date, shortDateFormat);
        if (text.size() > 6) {
            text.erase(2, 1);
            text.erase(4, 3);
        }
    } else {
        text = twoDigits(date.day) + twoDigits(date.month) + twoDigits(date.year);
    }
    return "_" + text + "_";
}

std::string dateStampAt(std::time_t moment) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    return dateStamp({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, kDayMonthYearFormat);
}

std::string todayDateStamp() {
    return dateStampAt(std::time(nullptr));
}

std::string kvmSettingsFileName(std::string_view stamp) {
    return "640kvm" + std::string(stamp);
}

std::string kvSettingsFileName(std::string_view stamp) {
    return "640kv" + std::string(stamp);
}

ObjectNumberCheck checkObjectNumber(std::string_view objectNumber) {
    if (objectNumber.empty()) return ObjectNumberCheck::Empty;
    if (objectNumber.find_first_of("/\\") != std::string_view::npos) return ObjectNumberCheck::PathSeparator;
    if (objectNumber.find("..") != std::string_view::npos) return ObjectNumberCheck::ParentFolder;
    for (char c : objectNumber) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            return ObjectNumberCheck::BadCharacter;
    }
    return ObjectNumberCheck::Ok;
}

std::string describe(ObjectNumberCheck check) {
    switch (check) {
        case ObjectNumberCheck::Ok:
            return {};
        case ObjectNumberCheck::Empty:
            return "Не указан номер объекта! Копия данных о регистрации не записана.";
        case ObjectNumberCheck::PathSeparator:
            return "Номер объекта не может содержать символы \"/\" и \"\\\"! Копия данных о регистрации не "
                   "записана.";
        case ObjectNumberCheck::ParentFolder:
            return "Номер объекта не может содержать \"..\"! Копия данных о регистрации не записана.";
        case ObjectNumberCheck::BadCharacter:
            return "Номер объекта содержит символ, недопустимый в имени файла (< > : \" | ? * или "
                   "управляющий "
                   "символ)! Копия данных о регистрации не записана.";
    }
    return {};
}

std::optional<std::string> registrationCopyFileName(std::string_view stamp, std::string_view objectNumber,
                                                    std::span<const std::int32_t> copy) {
    if (checkObjectNumber(objectNumber) != ObjectNumberCheck::Ok || copy.size() < 200) return std::nullopt;
    std::string name = "L640D" + std::string(stamp) + "object_" + std::string(objectNumber);
    for (std::size_t line = 196; line <= 199; ++line) name += "_" + std::to_string(copy[line]);
    return name + ".rrg";
}

}  // namespace livna
