#pragma once
// Names the settings editors offer for their files: the date stamp, the settings-file names and
// the name of a registration copy, which is written without a dialog and so must be checked here.
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace livna {

struct CalendarDate {
    int year = 2000;
    int month = 1;  ///< 1..12
    int day = 1;    ///< 1..31
};

/// The last two decimal digits of n, with a leading zero ("05", "96").
std::string twoDigits(int n);

/// The date in a short-date format of the usual letters: "d", "dd", "M", "MM", "yy", "yyyy";
/// other characters are copied (e.g. "dd.MM.yyyy" gives "05.03.2024").
std::string formatShortDate(const CalendarDate& date, std::string_view format);

/// The stamp put into offered file names, "_" + text + "_". With the format "dd.MM.yyyy" the
/// formatted date loses its 3rd character and then its 5th to 7th ("05.03.2024" -> "050324").
/// Any other format could leave a separator such as "/" in a file name, so the stamp is then the
/// two-digit day, month and year in that order. Always "_ddMMyy_" in effect, e.g. "_050324_".
std::string dateStamp(const CalendarDate& date, std::string_view shortDateFormat);
/// The stamp of the date on which moment falls in the local time zone (format "dd.MM.yyyy").
std::string dateStampAt(std::time_t moment);
/// dateStampAt(now).
std::string todayDateStamp();

/// "640kvm" + stamp: offered name of a Ливна-КВ-М settings file (the dialog adds ".cfg").
std::string kvmSettingsFileName(std::string_view stamp);
/// "640kv" + stamp: offered name of a Ливна-КВ settings file.
std::string kvSettingsFileName(std::string_view stamp);
inline constexpr const char* kKvmSettingsPattern = "640kvm*";
inline constexpr const char* kKvSettingsPattern = "640kv*";

enum class ObjectNumberCheck {
    Ok,
    Empty,
    PathSeparator,  ///< "/" or "\"
    ParentFolder,   ///< ".."
    BadCharacter,   ///< < > : " | ? * or a control character
};

/// Whether a typed object number can become part of a file name in the "Reg_RPU" folder.
ObjectNumberCheck checkObjectNumber(std::string_view objectNumber);
/// The Russian refusal message for a check other than Ok.
std::string describe(ObjectNumberCheck check);

/// "L640D" + stamp + "object_" + object number + "_" + line 196 + "_" + 197 + "_" + 198 + "_" +
/// 199 + ".rrg". Nothing when the object number fails checkObjectNumber or the copy has fewer
/// than 200 lines.
std::optional<std::string> registrationCopyFileName(std::string_view stamp, std::string_view objectNumber,
                                                    std::span<const std::int32_t> copy);

}  // namespace livna
