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

bool askLoadOutOfRange(DialogService& dialogs, std::span<const OutOfRangeValue> values,
                       const std::string& caption) {
    if (values.empty()) return true;
    const std::string text =
        "В файле настроек есть значения вне допустимого диапазона от -1 до 255:\n" +
        describeOutOfRange(values) +
        "\nПрибор получит от каждого из них только младший байт. Загрузить файл с этими значениями?";
    return dialogs.ask(caption, text, MsgAnswer::No);
}

void showFileError(DialogService& dialogs, const QString& text) {
    dialogs.inform(kCaptionDeviceMessage, text.toStdString(), MsgIcon::Error);
}

std::optional<SettingsImage> loadSettingsFile(DialogService& dialogs, const QString& path,
                                              std::size_t count) {
    ImageResult result = readSettingsFile(pathFromUtf8(path.toStdString()), count);
    if (!result.ok()) {
        showFileError(dialogs, QString::fromStdString(describe(*result.error)));
        return std::nullopt;
    }
    if (!askLoadOutOfRange(dialogs, result.outOfRange)) return std::nullopt;
    return std::move(result.image);
}

bool saveSettingsFile(DialogService& dialogs, const QString& path, const SettingsImage& image) {
    if (!askOverwrite(dialogs, path)) return true;
    if (const auto error = writeSettingsFile(pathFromUtf8(path.toStdString()), image)) {
        showFileError(dialogs, QString::fromStdString(describe(*error)));
        return false;
    }
    return true;
}

}  // namespace livna
