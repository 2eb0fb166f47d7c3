#pragma once
// The firmware version code: one byte, major·10 + minor; codes of 100 or more, as found in
// firmware files, are major·100 + minor.
#include <string>

namespace livna {

struct VersionParts {
    int major = 0;
    int minor = 0;
    bool operator==(const VersionParts&) const = default;
};

/// Split used by the settings editors: v / 10, v % 10.
constexpr VersionParts editorVersionParts(int code) {
    return {code / 10, code % 10};
}
/// Split used by the firmware window: v / 100, v % 100 for v >= 100, else v / 10, v % 10.
constexpr VersionParts firmwareVersionParts(int code) {
    return code >= 100 ? VersionParts{code / 100, code % 100} : VersionParts{code / 10, code % 10};
}
/// "%d.%d".
std::string versionText(VersionParts parts);

inline constexpr int kKvmFirmwareMajor = 3;  ///< Ливна-КВ-М panel firmware
inline constexpr int kKvFirmwareMajor = 5;   ///< Ливна-КВ panel firmware

}  // namespace livna
