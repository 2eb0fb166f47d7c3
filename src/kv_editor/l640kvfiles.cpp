// The editor's side of the settings files: load, save, the factory settings.
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

#include "common/file_names.h"
#include "common/settings_file.h"
#include "kv_editor/l640kvunit.h"
#include "ui/file_boxes.h"

namespace livna {

namespace {

constexpr const char* kSettingsFilter = "Файлы настроек (*.cfg)|*.cfg";

}  // namespace

bool TL640KVForm::readSettingsFile(const QString& path) {
    // A short or damaged file leaves the editor as it was.
    const std::optional<SettingsImage> image = loadSettingsFile(context().dialogs, path, kKvImageSize);
    if (!image) return false;
    KvApplyImage(*image);
    m_tabs->setCurrentIndex(0);
    return true;
}

void TL640KVForm::LoadBitBtnClick() {
    setStatus(QStringLiteral("Чтение настроек из файла"));
    const auto chosen = context().dialogs.openFile(
        {"Открытие файла настроек", kSettingsFilter, 1, "cfg", "Conf", kKvSettingsPattern});
    if (chosen && !readSettingsFile(QString::fromStdString(*chosen))) {
        setStatus(QStringLiteral("Чтение настроек из файла не выполнено"));
        return;
    }
    setStatus(QStringLiteral("Чтение настроек из файла завершено"));
}

void TL640KVForm::SaveBitBtnClick() {
    setStatus(QStringLiteral("Запись настроек в файл"));
    const QString notWritten = QStringLiteral("Запись настроек в файл не выполнена");
    // Built before the dialog: a refused field is named and nothing is asked.
    const std::optional<SettingsImage> image = KvGatherImage();
    if (!image) {
        setStatus(notWritten);
        return;
    }
    const auto chosen = context().dialogs.saveFile({"Сохранение файла настроек", kSettingsFilter, 1, "cfg",
                                                    "Conf", kvSettingsFileName(m_dateStamp.toStdString())});
    if (!chosen) {
        setStatus(notWritten);
        return;
    }
    if (!saveSettingsFile(context().dialogs, QString::fromStdString(*chosen), *image)) {
        setStatus(notWritten);
        return;
    }
    setStatus(QStringLiteral("Запись настроек в файл завершена"));
}

void TL640KVForm::DefaultButtonClick() {
    if (readSettingsFile(factoryFilePath())) setStatus(QStringLiteral("Заводские настройки выставлены"));
}

void TL640KVForm::connectFileControls() {
    connect(m_loadButton, &QPushButton::clicked, this, [this] { LoadBitBtnClick(); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { SaveBitBtnClick(); });
    connect(m_defaultButton, &QPushButton::clicked, this, [this] { DefaultButtonClick(); });
}

}  // namespace livna
