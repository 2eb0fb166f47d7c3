#include "kv_editor/l640kvunit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QStringListModel>

#include "common/file_names.h"
#include "ui/application.h"

namespace livna {

namespace {

/// The folder the editor needs before it can show anything: the factory settings live there.
constexpr const char* kEditorFolders[] = {"Conf"};
constexpr int kWindowWidth = 800;
constexpr int kWindowHeight = 600;

}  // namespace

TL640KVForm::TL640KVForm(AppContext& ctx, QWidget* parent)
    : TL640KVForm(ctx, QCoreApplication::applicationDirPath(), parent) {}

TL640KVForm::TL640KVForm(AppContext& ctx, const QString& programFolder, QWidget* parent)
    : WorkWindow(ctx, QStringLiteral("L640KVForm"), parent),
      SettingsEditorConnect(static_cast<WorkWindow&>(*this)),
      m_programFolder(programFolder) {
    setWindowTitle(QString::fromUtf8(kWorkWindowCaption));
    prepareProgramFolder(m_programFolder, kEditorFolders);
    // Fixed once, so that every name offered while the window lives carries the same day.
    m_dateStamp = QString::fromStdString(todayDateStamp());
    buildControls();
    connectMapping();
    connectLists();
    connectFileControls();
    connectExchangeControls();

    // The window sees F5 before its controls: it shows or hides the image lines and the memos.
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    f5->setContext(Qt::WindowShortcut);
    connect(f5, &QShortcut::activated, this,
            [this] { m_diagnostics->setVisible(!m_diagnostics->isVisible()); });
    connect(m_tmpList, &QListView::clicked, this,
            [this](const QModelIndex& index) { setWindowTitle(QString::number(index.row())); });
    connect(m_gatherButton, &QPushButton::clicked, this, [this] { KvGatherImage(); });
    resize(kWindowWidth, kWindowHeight);
}

TL640KVForm::~TL640KVForm() = default;

QString TL640KVForm::factoryFilePath() {
    return QStringLiteral("Conf/640dkvdef.cfg");
}

QStringList TL640KVForm::tmpListB() const {
    return m_tmpLines->stringList();
}

void TL640KVForm::showEvent(QShowEvent* event) {
    WorkWindow::showEvent(event);
    // A window restored from the task bar is not opened again: only a real showing starts over.
    if (!event->spontaneous()) FormShow();
}

void TL640KVForm::FormShow() {
    QDir::setCurrent(m_programFolder);
    m_operatingMode->setCurrentIndex(0);  // "демо"
    OperatingModeCmBSelect(0);
    m_tabs->setCurrentIndex(0);
    m_typeLabel->clear();
    m_versionLabel->clear();
    // The reset state first, so that a missing factory file leaves no earlier opening's codes.
    m_model = kv::Settings();
    showModel();
    readSettingsFile(factoryFilePath());
}

}  // namespace livna
