#include "workwindow/work_window.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "ui/help_links.h"
#include "ui/platform.h"

namespace livna {

namespace {

constexpr const char* kCommPortItems[] = {"COM", "USB Л-470", "USB ЛМ/ВМ"};
constexpr int kDefaultCommPort = 2;

constexpr const char* kHandOffWarning =
    "Внимание!\n"
    "Вы выбрали интерфейс связи с более ранними версиями приборов!\n"
    "Для корректной работы будет активирована более ранняя версия ПО ПК!";

}  // namespace

std::string handOffFailureText() {
    return std::string("Не удалось запустить программу \"") + kLegacyProgram +
           "\" из папки программы.\nПроверьте, что файл на месте, и запустите его вручную.";
}

WorkWindow::WorkWindow(AppContext& ctx, const QString& objectName, QWidget* parent)
    : QDialog(parent), m_ctx(ctx) {
    setObjectName(objectName);

    m_furniture = new QWidget(this);
    auto* row = new QHBoxLayout(m_furniture);
    row->setContentsMargins(0, 0, 0, 0);

    m_commPortGroup =
        m_names.add(new QGroupBox(QStringLiteral("Порт связи:"), m_furniture), QStringLiteral("CommPortRdG"));
    m_commPortButtons = new QButtonGroup(m_commPortGroup);
    auto* ports = new QHBoxLayout(m_commPortGroup);
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(kCommPortItems[i]), m_commPortGroup);
        m_commPortButtons->addButton(item, i);
        ports->addWidget(item);
    }
    m_commPortButtons->button(kDefaultCommPort)->setChecked(true);
    row->addWidget(m_commPortGroup);

    m_helpButton =
        m_names.add(new QPushButton(QStringLiteral("Help  "), m_furniture), QStringLiteral("HelpBitBtn"));
    connect(m_helpButton, &QPushButton::clicked, this, [this] { openHelp(); });
    row->addWidget(m_helpButton);
    row->addStretch(1);

    auto* links = new QVBoxLayout;
    m_webSiteLabel = m_names.add(new QLabel(QString::fromUtf8(kWebSiteAddress), m_furniture),
                                 QStringLiteral("WebSiteLabel"));
    m_emailLabel =
        m_names.add(new QLabel(QString::fromUtf8(kEmailAddress), m_furniture), QStringLiteral("EmailLabel"));
    for (QLabel* label : {m_webSiteLabel, m_emailLabel}) {
        // Qt shows the widget's cursor while the mouse is over it and the default one after it
        // leaves, which is exactly the link behaviour wanted here.
        label->setCursor(Qt::PointingHandCursor);
        label->setStyleSheet(QStringLiteral("color: #0000c0; text-decoration: underline;"));
        label->installEventFilter(this);
        links->addWidget(label);
    }
    row->addLayout(links);
}

int WorkWindow::commPortIndex() const {
    return m_commPortButtons->checkedId();
}

void WorkWindow::setCommPortIndex(int index) {
    if (auto* item = m_commPortButtons->button(index)) item->setChecked(true);
}

bool WorkWindow::handOffIfLegacyPort() {
    if (!legacyPortChosen()) return false;
    m_ctx.dialogs.inform(kCaptionSystemMessage, kHandOffWarning, MsgIcon::Warning);
    const bool started = m_ctx.launcher.startProgram(kLegacyProgram);
    reject();
    // Without this the installer would be left with a closed window and no program.
    if (!started) m_ctx.dialogs.inform(kCaptionDeviceMessage, handOffFailureText(), MsgIcon::Error);
    return true;
}

void WorkWindow::connectOverUsb(UsbConnectWindow& connectWindow) {
    // The hand-off closes the window, which a busy window would refuse.
    if (handOffIfLegacyPort()) return;
    if (m_ctx.usb == nullptr) {
        setStatus(QString::fromUtf8(kTextNoPanel));
        m_ctx.dialogs.inform(kCaptionDeviceMessage, kTextNoPanel, MsgIcon::Error);
        return;
    }
    const ExchangeScope scope = exchangeScope();
    UsbConnect(*m_ctx.usb, connectWindow, m_ctx.dialogs);
}

void WorkWindow::setStatusNow(const std::string& text) {
    setStatus(QString::fromStdString(text));
    keepPainting();
}

ExchangeScope WorkWindow::exchangeScope() {
    return ExchangeScope(*this, m_busy, {m_statusBar, m_progressBar});
}

void WorkWindow::setStatus(const QString& text) {
    if (m_statusBar != nullptr) m_statusBar->showMessage(text);
}

void WorkWindow::setProgress(int percent) {
    if (m_progressBar != nullptr) m_progressBar->setValue(percent);
}

void WorkWindow::createBars(const QString& statusBarName, const QString& progressBarName) {
    m_statusBar = m_names.add(new QStatusBar(this), statusBarName);
    m_statusBar->setSizeGripEnabled(false);
    m_progressBar = m_names.add(new QProgressBar(this), progressBarName);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
}

QPushButton* WorkWindow::createConnectButton(QWidget* parent) {
    return m_names.add(new QPushButton(QStringLiteral("Установить связь"), parent),
                       QStringLiteral("ConnectButton"));
}

void WorkWindow::layOutWorkWindow(QWidget* content, QLayout* exchangeRow) {
    auto* layout = new QVBoxLayout(this);
    if (content != nullptr)
        layout->addWidget(content, 1);
    else
        layout->addStretch(1);
    if (exchangeRow != nullptr) layout->addLayout(exchangeRow);
    layout->addWidget(m_furniture);
    if (m_progressBar != nullptr) layout->addWidget(m_progressBar);
    if (m_statusBar != nullptr) layout->addWidget(m_statusBar);
}

void WorkWindow::reject() {
    if (m_busy) return;
    QDialog::reject();
}

void WorkWindow::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);  // goes through reject(), the window's own close path
}

void WorkWindow::keyPressEvent(QKeyEvent* event) {
    // A dialog presses its default button on Enter, and that would be whichever button came
    // first (the help button): Enter typed in a field would open the help or start an action
    // while the installer is still editing. A focused button takes its own Enter before this.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool WorkWindow::eventFilter(QObject* watched, QEvent* event) {
    // The links follow the window's state: while an exchange runs they are disabled with the rest.
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !m_busy) {
        if (watched == m_webSiteLabel) {
            openDocument(webSiteUrl(m_webSiteLabel->text()));
            return true;
        }
        if (watched == m_emailLabel) {
            openDocument(emailUrl(QString::fromUtf8(kEmailAddress)));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void WorkWindow::openHelp() {
    openDocument(helpTarget(kHelpFile, platformShowsWinHelp(), QFile::exists(QString::fromUtf8(kHelpFile))));
}

void WorkWindow::openDocument(const std::string& target) {
    // A desktop without a handler for the kind would otherwise leave the click without an answer;
    // the installer can still open the file or the address by hand.
    if (!m_ctx.launcher.openDocument(target))
        m_ctx.dialogs.inform(kCaptionSystemMessage, openFailureText(target, QDir::currentPath()),
                             MsgIcon::Warning);
}

}  // namespace livna
