// The editor's settings files: the SettingsImage and the CodesImage of a system variant, one
// value per line (setka_files.h). A file is read and checked whole before anything changes.
#include <QLabel>

#include "common/settings_file.h"
#include "setka/editor/l640.h"
#include "setka/editor/setka_files.h"
#include "ui/exit_guard.h"
#include "ui/file_boxes.h"

namespace livna {

using namespace setka;

namespace {

/// SystemNumbers are brought in step with the fields as after leaving RPDI11.
constexpr int kRpdi11 = 0;

/// Both dialogs: no title, folder or name of their own; a save replaces a file without a question.
FileDialogRequest settingsFileRequest() {
    return {"", "Файлы конфигурации (*.cfg)|*.cfg|Все файлы|*.*", 1, "cfg", "", ""};
}

}  // namespace

void TL640Form::SaveButtonClick() {
    RPDIChange(kRpdi11);
    const SystemVariant variant = editorVariant(m_context);
    if (m_context.demoMode) m_context.configByte = configByte(variant);
    if (variant == SystemVariant::Kv4) RemoveDuplicateCodes();
    const auto chosen = m_dialogs.saveFile(settingsFileRequest());
    if (!chosen) return;
    // Both images are gathered before anything is written: a refused field leaves no file.
    const auto settings = GatherImage();
    if (!settings) return;
    const auto codes = GatherCodes();
    if (!codes) return;
    if (const auto error =
            writeValuesFile(pathFromUtf8(*chosen), settingsFileValues(variant, *settings, *codes))) {
        m_dialogs.inform(kSetkaTitle, describe(*error), MsgIcon::Error);
        return;
    }
    m_statusPanels[0]->setText(QStringLiteral("Запись конфигурации в файл завершено"));
}

void TL640Form::LoadButtonClick() {
    bringPageToFront(m_names.get<QWidget>(QStringLiteral("TabSheetRazdel")));
    const auto chosen = m_dialogs.openFile(settingsFileRequest());
    if (!chosen) return;
    // The lines follow the chosen variant, whatever ConfigByte holds before a version check.
    const SystemVariant expected = m_context.chosenVariant;
    const std::filesystem::path path = pathFromUtf8(*chosen);
    auto readable = [this](const ValuesResult& file) {
        if (!file.ok()) m_dialogs.inform(kSetkaTitle, describe(*file.error), MsgIcon::Error);
        return file.ok();
    };
    auto mismatch = [this] {
        m_dialogs.inform(kSetkaTitle, "Ошибка чтения файла конфигурации. Нет совпадения версия ПО.",
                         MsgIcon::Information);
    };
    // Line 1 is judged first: a file of another variant is told as such, whatever its length.
    const ValuesResult head = readValuesFile(path, kFileVersionLines);
    if (!readable(head)) return;
    if (!fileVariantIs(expected, head.values)) return mismatch();
    const ValuesResult file = readValuesFile(path, fileLines(expected));
    if (!readable(file)) return;
    const auto content = splitSettingsFile(expected, file);
    if (!content) return mismatch();  // changed in between
    if (!askLoadOutOfRange(m_dialogs, content->outOfRange, kSetkaTitle)) return;
    setHeldCodes(content->codes);
    // Only the major number of line 1 was checked: the file leaves the current version code alone.
    ApplyImage(content->settings, ImageSource::Other);
    m_statusPanels[0]->setText(QStringLiteral("Чтение конфигурации из файла завершено"));
}

}  // namespace livna
