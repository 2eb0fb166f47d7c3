#pragma once
// The boxes of a window's work with files.
#include <QString>

#include <cstddef>
#include <optional>
#include <span>

#include "common/dialog_service.h"
#include "common/settings_file.h"

namespace livna {

/// True when path may be written: it does not exist, or the installer agrees to replace it.
bool askOverwrite(DialogService& dialogs, const QString& path);
/// A file that could not be read or written, told in an error box.
void showFileError(DialogService& dialogs, const QString& text);
/// True when a settings file may be loaded: it holds no value outside -1..255, or the installer
/// agrees to load the ones it holds, named line by line with what each is read as. A program never
/// writes such values, so the question meets only files edited by hand or damaged. The box bears
/// the program's caption for questions.
bool askLoadOutOfRange(DialogService& dialogs, std::span<const OutOfRangeValue> values,
                       const std::string& caption = kCaptionSystemMessage);

/// A settings file of count values, read whole before anything changes: a file that cannot be used
/// is told in an error box naming the file and the line, and one holding values outside -1..255 is
/// taken only when the installer agrees (askLoadOutOfRange). Nothing when refused.
std::optional<SettingsImage> loadSettingsFile(DialogService& dialogs, const QString& path, std::size_t count);

/// Writes the image to path, after the overwrite question when the file exists (No writes nothing);
/// a failure is told in an error box. False only when the file could not be written.
bool saveSettingsFile(DialogService& dialogs, const QString& path, const SettingsImage& image);

}  // namespace livna
