#include "common/win_system_text.h"

namespace livna {

// FormatMessageA would answer in the ANSI code page (1251 on a Russian Windows) while every text of
// the programs is UTF-8: ask for UTF-16 and convert.
std::string windowsErrorText(DWORD error) {
    wchar_t* wide = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&wide), 0, nullptr);
    if (length == 0 || wide == nullptr) return "Windows error " + std::to_string(error);
    DWORD kept = length;
    while (kept > 0 && (wide[kept - 1] == L'\r' || wide[kept - 1] == L'\n' || wide[kept - 1] == L' ')) --kept;
    std::string text;
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(kept), nullptr, 0, nullptr, nullptr);
    if (bytes > 0) {
        text.resize(static_cast<std::size_t>(bytes));
        WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(kept), text.data(), bytes, nullptr, nullptr);
    }
    LocalFree(wide);
    return text;
}

}  // namespace livna
