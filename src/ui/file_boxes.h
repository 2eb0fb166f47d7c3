#pragma once
// The boxes of a window's work with files.
#include <QString>

#include "common/dialog_service.h"

namespace livna {

/// True when path may be written: it does not exist, or the installer agrees to replace it.
bool askOverwrite(DialogService& dialogs, const QString& path);
/// A file that could not be read or written, told in an error box.
void showFileError(DialogService& dialogs, const QString& text);

}  // namespace livna
