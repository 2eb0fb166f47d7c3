#pragma once
// The few places where the programs depend on the operating system.
#include <QString>

namespace livna {

/// True where the desktop can show a WinHelp (".hlp") file.
bool platformShowsWinHelp();

/// Gives a program folder the attributes it has always had on Windows (read-only, hidden, system,
/// archive: value 0x37). Elsewhere there is no such set, and a read-only folder would stop the
/// editors from saving, so the folder is left as it is. The result is not examined.
void applyFolderAttributes(const QString& folder);

}  // namespace livna
