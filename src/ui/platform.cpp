#include "ui/platform.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace livna {

#ifdef Q_OS_WIN

bool platformShowsWinHelp() {
    return true;
}

void applyFolderAttributes(const QString& folder) {
    SetFileAttributesW(reinterpret_cast<LPCWSTR>(folder.utf16()), 0x37);
}

#else

bool platformShowsWinHelp() {
    return false;
}

void applyFolderAttributes(const QString&) {}

#endif

}  // namespace livna
