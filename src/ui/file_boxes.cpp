#include "ui/file_boxes.h"

#include <QFileInfo>

namespace livna {

namespace {

constexpr const char* kOverwriteQuestion = "Файл с указанным именем уже существует! Хотите заменить?";

}  // namespace

bool askOverwrite(DialogService& dialogs, const QString& path) {
    if (!QFileInfo::exists(path)) return true;
    return dialogs.ask(kCaptionSystemMessage, kOverwriteQuestion);
}

void showFileError(DialogService& dialogs, const QString& text) {
    dialogs.inform(kCaptionDeviceMessage, text.toStdString(), MsgIcon::Error);
}

}  // namespace livna
