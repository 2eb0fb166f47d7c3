#pragma once
// The system's message texts on Windows, in the programs' UTF-8.
#include <windows.h>

#include <string>

namespace livna {

/// The system's message text for a Windows error code, in UTF-8 (FormatMessageW, system table,
/// default language), without the trailing line end.
std::string windowsErrorText(DWORD error);

}  // namespace livna
