// The editor's side of the settings files: load, save, factory settings, start-up, and the
// registration copy that travels with a settings file when L640bakChB is ticked.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "common/file_names.h"
#include "common/settings_file.h"
#include "kvm_editor/l640msettingsunit.h"
#include "ui/file_boxes.h"

namespace livna {

namespace {

constexpr const char* kSettingsFilter = "Файлы настроек (*.cfg)|*.cfg";
constexpr const char* kRegistrationFilter = "Файлы регистрации (*.rrg)|*.rrg";

std::filesystem::path toPath(const QString& path) {
    return pathFromUtf8(path.toStdString());
}

FileDialogRequest registrationOpenRequest() {
    return {"Чтение сведений о регситрации", kRegistrationFilter, 1, "rrg", "Reg_RPU", ""};
}

}  // namespace

bool TL640MSettingsForm::readSettingsFile(const QString& path) {
    // A short or damaged file leaves the editor as it was.
    const std::optional<SettingsImage> image = loadSettingsFile(context().dialogs, path, kKvmImageSize);
    if (!image) return false;
    m_tmpLines.clear();
    m_tmpLines.reserve(static_cast<qsizetype>(image->size()));
    for (std::int32_t value : image->values()) m_tmpLines << QString::number(value);
    ApplyImage(*image);
    m_tabs->setCurrentIndex(0);
    return true;
}

void TL640MSettingsForm::setRegistrationCopy(std::optional<RegistrationCopy> copy, const QString& fileName) {
    m_registrationCopy = std::move(copy);
    m_copyNameLabel->setText(fileName);
}

QStringList TL640MSettingsForm::registrationCopyLines() const {
    QStringList lines;
    if (m_registrationCopy)
        for (std::int32_t value : m_registrationCopy->values) lines << QString::number(value);
    return lines;
}

void TL640MSettingsForm::loadRegistrationCopy() {
    setStatus(QStringLiteral("Чтение сведений о регистрации из файла"));
    if (const auto chosen = context().dialogs.openFile(registrationOpenRequest())) {
        const QString path = QString::fromStdString(*chosen);
        const RegistrationResult result = readRegistrationCopy(toPath(path));
        if (!result.ok()) {
            // Only a whole copy may ever reach the panel's registration blocks.
            showFileError(context().dialogs, QString::fromStdString(describe(*result.error)));
            return;
        }
        setRegistrationCopy(result.copy, QFileInfo(path).fileName());
    }
    setStatus(QStringLiteral("Чтение сведений о регистрации из файла завершено"));
}

void TL640MSettingsForm::LoadBitBtnClick() {
    setStatus(QStringLiteral("Чтение настроек из файла"));
    const auto chosen = context().dialogs.openFile(
        {"Открытие файла настроек", kSettingsFilter, 1, "cfg", "Conf", kKvmSettingsPattern});
    if (chosen && !readSettingsFile(QString::fromStdString(*chosen))) {
        setStatus(QStringLiteral("Чтение настроек из файла не выполнено"));
        return;
    }
    setStatus(QStringLiteral("Чтение настроек из файла завершено"));
    if (m_registrationOption->isChecked()) loadRegistrationCopy();
}

bool TL640MSettingsForm::saveRegistrationCopy() {
    const std::string objectNumber = m_objNumEdit->text().toStdString();
    const ObjectNumberCheck check = checkObjectNumber(objectNumber);
    if (check != ObjectNumberCheck::Ok) {
        context().dialogs.inform(kCaptionSystemMessage, describe(check), MsgIcon::Warning);
        return false;
    }
    const std::optional<std::string> name =
        m_registrationCopy
            ? registrationCopyFileName(m_dateStamp.toStdString(), objectNumber, m_registrationCopy->values)
            : std::nullopt;
    if (!name) {
        showFileError(context().dialogs,
                      QStringLiteral("Копия данных о регистрации не загружена, поэтому ее файл не записан.\n"
                                     "Считайте копию из прибора или из файла."));
        return false;
    }
    const QString fileName = QString::fromStdString(*name);
    m_copyNameLabel->setText(fileName);
    QDir().mkpath(QStringLiteral("Reg_RPU"));
    const QString path = QStringLiteral("Reg_RPU/") + fileName;
    if (!askOverwrite(context().dialogs, path)) return true;
    if (const auto error = livna::writeRegistrationCopy(toPath(path), *m_registrationCopy)) {
        showFileError(context().dialogs, QString::fromStdString(describe(*error)));
        return false;
    }
    return true;
}

void TL640MSettingsForm::SaveBitBtnClick() {
    setStatus(QStringLiteral("Запись настроек в файл"));
    const auto chosen = context().dialogs.saveFile({"Сохранение файла настроек", kSettingsFilter, 1, "cfg",
                                                    "Conf", kvmSettingsFileName(m_dateStamp.toStdString())});
    // From here on every way out that writes nothing says so, instead of leaving the line above.
    const QString notWritten = QStringLiteral("Запись настроек в файл не выполнена");
    if (!chosen) {
        setStatus(notWritten);
        return;
    }
    auto image = GatherImage();
    if (!image) {  // the refused field has been named; nothing is written
        setStatus(notWritten);
        return;
    }
    // A settings file never carries these panel values.
    for (std::size_t i : {39, 38, 9, 8, 7, 6}) (*image)[i] = 0;
    m_tmpLines.clear();
    for (std::int32_t value : image->values()) m_tmpLines << QString::number(value);

    if (!saveSettingsFile(context().dialogs, QString::fromStdString(*chosen), *image)) {
        setStatus(notWritten);
        return;
    }
    if (m_registrationOption->isChecked() && !saveRegistrationCopy()) {
        setStatus(QStringLiteral("Настройки записаны в файл, копия сведений о регистрации не записана"));
        return;
    }
    setStatus(QStringLiteral("Запись конфигурации в файл завершена"));
}

void TL640MSettingsForm::DefaultButtonClick() {
    if (readSettingsFile(factoryFilePath())) setStatus(QStringLiteral("Заводские настройки выставлены"));
}

void TL640MSettingsForm::connectFileControls() {
    connect(m_loadButton, &QPushButton::clicked, this, [this] { LoadBitBtnClick(); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { SaveBitBtnClick(); });
    connect(m_defaultButton, &QPushButton::clicked, this, [this] { DefaultButtonClick(); });
    connect(m_registrationOption, &QCheckBox::toggled, this, [this](bool on) {
        for (QWidget* w :
             std::initializer_list<QWidget*>{m_objNumLabel, m_objNumEdit, m_copyLabel, m_copyNameLabel})
            w->setVisible(on);
    });
}

}  // namespace livna
