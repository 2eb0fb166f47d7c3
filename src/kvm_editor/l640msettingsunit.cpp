#include "kvm_editor/l640msettingsunit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>

#include "common/file_names.h"
#include "common/settings_image.h"
#include "kvm_editor/l640msettingschecks.h"
#include "ui/application.h"

namespace livna {

namespace {

/// The folder the editor needs before it can show anything: the factory settings live there.
constexpr const char* kEditorFolders[] = {"Conf"};

}  // namespace

TL640MSettingsForm::TL640MSettingsForm(AppContext& ctx, QWidget* parent)
    : TL640MSettingsForm(ctx, QCoreApplication::applicationDirPath(), parent) {}

TL640MSettingsForm::TL640MSettingsForm(AppContext& ctx, const QString& programFolder, QWidget* parent)
    : WorkWindow(ctx, QStringLiteral("L640MSettingsForm"), parent),
      SettingsEditorConnect(static_cast<WorkWindow&>(*this)),
      m_programFolder(programFolder) {
    setWindowTitle(QString::fromUtf8(kWorkWindowCaption));
    // Every path of the editor ("Conf", "Reg_RPU") is relative to the program folder.
    prepareProgramFolder(m_programFolder, kEditorFolders);
    // Fixed once, so that every name offered while the window lives carries the same day.
    m_dateStamp = QString::fromStdString(todayDateStamp());
    buildControls();
    connectRules();
    connectFileControls();
    connectExchangeControls();
    connectChecks();
    resize(1000, 700);
}

TL640MSettingsForm::~TL640MSettingsForm() = default;

QString TL640MSettingsForm::factoryFilePath() {
    return QStringLiteral("Conf/640dkvmdef.cfg");
}

void TL640MSettingsForm::showEvent(QShowEvent* event) {
    WorkWindow::showEvent(event);
    // A window restored from the task bar is not opened again: only a real showing starts over.
    if (!event->spontaneous()) FormShow();
}

void TL640MSettingsForm::FormShow() {
    // The window lives as long as the program, so each opening starts from the factory file.
    QDir::setCurrent(m_programFolder);
    readSettingsFile(factoryFilePath());
    m_tabs->setCurrentIndex(0);
    m_operatingMode->setCurrentIndex(0);  // "демо"
    m_connectButton->setEnabled(false);
    m_loadButton->setEnabled(true);
    m_saveButton->setEnabled(true);
    m_copyNameLabel->clear();
}

}  // namespace livna
