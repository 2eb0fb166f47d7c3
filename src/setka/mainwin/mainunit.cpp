// The main window of setka: its controls, the family and port choices, the two ways into the
// editor and what closing the editor undoes, help, the maker's links and the F1/F2 hook.
#include "setka/mainwin/mainunit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "setka/editor/l640.h"
#include "setka/mainwin/l640exchange.h"
#include "ui/help_links.h"
#include "ui/hints.h"
#include "ui/platform.h"

namespace livna {

using namespace setka;

namespace {

constexpr int kClientWidth = 505;
constexpr int kClientHeight = 252;
constexpr int kPortCount = kLastComNumber - kFirstComNumber + 1;

const QColor kTeal(0, 128, 128);
const QColor kNavy(0, 0, 128);

/// The hourglass while an editor is built and filled; the installer works in it with the arrow.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

/// The maker's logo, drawn: the panel's name on the teal of the web link.
QPixmap logo() {
    QPixmap pixmap(120, 48);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(kTeal);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(pixmap.rect().adjusted(1, 1, -1, -1), 8, 8);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(18);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("Ливна-640"));
    return pixmap;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

void setFontStyle(QWidget* widget, bool bold, bool underline) {
    QFont font = widget->font();
    font.setBold(bold);
    font.setUnderline(underline);
    widget->setFont(font);
}

}  // namespace

/// F1 and F2 of every window of the program, seen before the windows' own handling and passed on.
/// The action runs from the event loop once the key's delivery is over: F2 opens a modal editor,
/// and the same press must not reach the hook again while it goes up to the parents.
class TMainForm::ShortcutHook : public QObject {
public:
    explicit ShortcutHook(TMainForm& form) : QObject(&form), m_form(form) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key != Qt::Key_F1 && key != Qt::Key_F2) || m_pending) return false;
        m_pending = true;
        QTimer::singleShot(0, this, [this, key] {
            m_pending = false;
            m_form.shortcutPressed(key);
        });
        return false;
    }

private:
    TMainForm& m_form;
    bool m_pending = false;
};

TMainForm::TMainForm(DialogService& dialogs, Launcher& launcher, PortOpener ports, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_launcher(launcher), m_ports(std::move(ports)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Программа задания режимов работы ППКОП Ливна-640"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    m_context.ports = &m_ports;
    m_context.shortcutsActive = true;
    m_winHelpShown = platformShowsWinHelp();
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        installHintSettings(*app);
        app->installEventFilter(new ShortcutHook(*this));
    }
    buildControls();

    // The least size that shows every text, never below the designed one.
    const QSize least = minimumSizeHint();
    setFixedSize(std::max(kClientWidth, least.width()), std::max(kClientHeight, least.height()));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm() = default;

// ---- building -------------------------------------------------------------------------------

void TMainForm::buildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 0);
    outer->setSpacing(4);
    auto* body = new QHBoxLayout;
    outer->addLayout(body, 1);

    // The maker and the buttons.
    auto* left = new QVBoxLayout;
    body->addLayout(left);
    m_version = m_names.add(new QLabel(QStringLiteral(" Версия v4.6 "), this), QStringLiteral("version"));
    m_version->hide();
    auto* image = m_names.add(new QLabel(this), QStringLiteral("Image1"));
    image->setPixmap(logo());
    left->addWidget(image);
    m_webSite = m_names.add(new QLabel(QString::fromUtf8(kWebSiteAddress), this), QStringLiteral("Label1"));
    setFontStyle(m_webSite, true, true);
    setTextColour(m_webSite, kTeal);
    m_webSite->setToolTip(QStringLiteral("Соединение с сайтом КАЛМО"));
    m_email = m_names.add(new QLabel(QString::fromUtf8(kEmailAddress), this), QStringLiteral("Label2"));
    setFontStyle(m_email, false, true);
    setTextColour(m_email, kNavy);
    m_email->setToolTip(QStringLiteral("e-mail для связи"));
    for (QLabel* link : {m_webSite, m_email}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
        left->addWidget(link);
    }
    left->addStretch(1);
    m_livna640 = m_names.add(new QPushButton(QStringLiteral("Выполнить"), this), QStringLiteral("Livna640"));
    setFontStyle(m_livna640, true, false);
    setTextColour(m_livna640, kNavy);
    m_livna640->setToolTip(QStringLiteral("Выполняет соединение с прибором"));
    m_demo = m_names.add(new QPushButton(QStringLiteral("Демо режим"), this), QStringLiteral("Button1"));
    m_demo->setToolTip(
        QStringLiteral("Показывает окно программы в соответствии\n"
                       "с выбранным типом системы. В демо режиме\n"
                       "невозможно соединиться с прибором."));
    m_help = m_names.add(new QPushButton(QStringLiteral("Помощь - F1"), this), QStringLiteral("MainHelp"));
    m_help->setToolTip(QStringLiteral("Вызов справки"));
    for (QPushButton* button : {m_livna640, m_demo, m_help}) left->addWidget(button);

    // The system and the port.
    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);
    auto* systems = m_names.add(new QGroupBox(QStringLiteral("Выберите тип системы:"), this),
                                QStringLiteral("RadioGroup1"));
    auto* systemRows = new QVBoxLayout(systems);
    systemRows->setSpacing(2);
    m_kvmFamily =
        m_names.add(new QCheckBox(QStringLiteral(" Ливна-640 КВМ"), systems), QStringLiteral("CheckBoxKVM"));
    m_kvm1 = m_names.add(new QRadioButton(QStringLiteral("1 РПУ Ливна КВ-М ( для 1.7 и выше )"), systems),
                         QStringLiteral("RPYKVM1"));
    m_kvm4 = m_names.add(new QRadioButton(QStringLiteral("До 4 РПУ Ливна КВ-М ( для 3.2 и выше )"), systems),
                         QStringLiteral("RPYKVM4"));
    m_kvFamily =
        m_names.add(new QCheckBox(QStringLiteral(" Ливна-640 КВ  "), systems), QStringLiteral("CheckBoxKV"));
    m_kv4 = m_names.add(new QRadioButton(QStringLiteral(" До 4 РПУ Ливна-КВ ( для 5.2 и выше)"), systems),
                        QStringLiteral("RPYKV4"));
    auto* variants = new QButtonGroup(systems);
    for (QRadioButton* radio : {m_kvm1, m_kvm4, m_kv4}) variants->addButton(radio);
    auto indented = [&](QWidget* w) {
        auto* row = new QHBoxLayout;
        row->addSpacing(18);
        row->addWidget(w);
        systemRows->addLayout(row);
    };
    systemRows->addWidget(m_kvmFamily);
    indented(m_kvm1);
    indented(m_kvm4);
    systemRows->addWidget(m_kvFamily);
    indented(m_kv4);
    right->addWidget(systems);

    auto* port = m_names.add(new QGroupBox(QStringLiteral("Порт связи:"), this), QStringLiteral("GroupBox2"));
    auto* portRows = new QVBoxLayout(port);
    portRows->setSpacing(2);
    m_com = m_names.add(new QRadioButton(QStringLiteral("COM"), port), QStringLiteral("RadioButton1"));
    m_portNumber = m_names.add(new QComboBox(port), QStringLiteral("PortNumber"));
    for (int n = kFirstComNumber; n <= kLastComNumber; ++n)
        m_portNumber->addItem(QStringLiteral("com %1").arg(n));
    m_portNumber->setMaxVisibleItems(kPortCount);
    m_portNumber->setToolTip(QStringLiteral("Выбор номера COM-порта на ПК."));
    auto* comRow = new QHBoxLayout;
    comRow->addWidget(m_com);
    comRow->addWidget(m_portNumber);
    comRow->addStretch(1);
    portRows->addLayout(comRow);
    m_usb = m_names.add(new QRadioButton(QStringLiteral("USB"), port), QStringLiteral("RadioButton2"));
    setTextColour(m_usb, Qt::red);
    auto* usbRow = new QHBoxLayout;
    usbRow->setSpacing(0);
    usbRow->addWidget(m_usb);
    // Together with "USB": the line goes through the interface module Ливна-470.
    for (auto [name, text] : {std::pair{"Label5", " через"}, std::pair{"Label4", "модуль  сопр."},
                              std::pair{"Label6", "  Ливна-470."}}) {
        usbRow->addSpacing(4);
        usbRow->addWidget(m_names.add(new QLabel(QString::fromUtf8(text), port), QString::fromLatin1(name)));
    }
    usbRow->addStretch(1);
    portRows->addLayout(usbRow);
    auto* ports = new QButtonGroup(port);
    ports->addButton(m_com);
    ports->addButton(m_usb);
    right->addWidget(port);

    auto* statusBar = m_names.add(new QStatusBar(this), QStringLiteral("MainStatusBar"));
    statusBar->setSizeGripEnabled(false);
    m_status = new QLabel(m_version->text(), statusBar);
    statusBar->addWidget(m_status, 1);
    outer->addWidget(statusBar);

    // FormCreate: USB, the first port, the Ливна-КВ-М family with its first variant.
    m_usb->setChecked(true);
    m_portNumber->setCurrentIndex(0);
    setFamily(true);
    portChosen();

    connect(m_kvmFamily, &QCheckBox::clicked, this, &TMainForm::CheckBoxKVMClick);
    connect(m_kvFamily, &QCheckBox::clicked, this, &TMainForm::CheckBoxKVClick);
    connect(m_com, &QRadioButton::toggled, this, &TMainForm::portChosen);
    connect(m_portNumber, &QComboBox::currentIndexChanged, this, &TMainForm::portChosen);
    connect(m_livna640, &QPushButton::clicked, this, &TMainForm::Livna640Click);
    connect(m_demo, &QPushButton::clicked, this, &TMainForm::Button1Click);
    connect(m_help, &QPushButton::clicked, this, &TMainForm::MainHelpClick);
}

// ---- choices --------------------------------------------------------------------------------

void TMainForm::setFamily(bool kvm) {
    // Set from here, the boxes run no handler: their clicked() comes from the installer only.
    m_kvmFamily->setChecked(kvm);
    m_kvFamily->setChecked(!kvm);
    (kvm ? m_kvm1 : m_kv4)->setChecked(true);
    m_kvm1->setEnabled(kvm);
    m_kvm4->setEnabled(kvm);
    m_kv4->setEnabled(!kvm);
}

void TMainForm::CheckBoxKVMClick() {
    setFamily(m_kvmFamily->isChecked());
}

void TMainForm::CheckBoxKVClick() {
    setFamily(!m_kvFamily->isChecked());
}

void TMainForm::portChosen() {
    m_portNumber->setEnabled(m_com->isChecked());
    m_context.portKind = m_com->isChecked() ? PortKind::Com : PortKind::Usb;
    m_context.portNumber = m_portNumber->currentIndex() + 1;
}

SystemVariant TMainForm::selectedVariant() const {
    if (m_kvm1->isChecked()) return SystemVariant::Kvm1;
    if (m_kvm4->isChecked()) return SystemVariant::Kvm4;
    return SystemVariant::Kv4;
}

// ---- the editor -----------------------------------------------------------------------------

std::unique_ptr<TL640Form> TMainForm::newEditor() {
    m_context.chosenVariant = selectedVariant();
    auto editor = std::make_unique<TL640Form>(m_dialogs, m_context, this);
    editor->setWindowFlag(Qt::Window);
    editor->setWindowModality(Qt::ApplicationModal);
    return editor;
}

void TMainForm::Livna640Click() {
    m_demo->setEnabled(false);
    m_context.editorActive = true;
    m_context.versionCheckPending = true;
    std::unique_ptr<TL640Form> editor;
    {
        BusyCursor busy;
        if (StartLink(m_context)) {
            editor = newEditor();
            editor->statusPanel(1)->setText(QStringLiteral("  Режим <on-line>. "));
            // Busy until the connect exchange has its answer.
            for (const char* name : {"WriteButton", "ReadButton", "ConnectButton"})
                editor->names().get<QWidget>(QString::fromLatin1(name))->setEnabled(false);
            editor->names().get<QWidget>(QStringLiteral("CancelButton"))->setEnabled(true);
            m_context.shortcutsActive = false;
            m_exchange = std::make_unique<L640Exchange>(*editor, m_dialogs, m_linkPauses);
            m_exchange->startConnect();
        }
    }
    if (!editor) {
        // No editor opens: nothing of it may be left behind.
        m_dialogs.inform(kSetkaTitle, openFailureMessage(m_context.portKind, m_context.portNumber),
                         MsgIcon::None);
        m_demo->setEnabled(true);
        m_context.openFailed = false;
        m_context.editorActive = false;
        m_context.versionCheckPending = false;
        return;
    }
    runEditor(std::move(editor));
}

void TMainForm::Button1Click() {
    m_context.demoMode = true;
    m_livna640->setEnabled(false);
    m_context.editorActive = true;
    std::unique_ptr<TL640Form> editor;
    {
        BusyCursor busy;
        editor = newEditor();
        editor->pageControl()->setEnabled(true);
        editor->LayOut(m_context.chosenVariant);
        editor->DefaultButtonClick();
        editor->names().get<QWidget>(QStringLiteral("CancelButton"))->setEnabled(false);
    }
    runEditor(std::move(editor));
}

void TMainForm::runEditor(std::unique_ptr<TL640Form> editor) {
    /// Ends the wait when the editor is closed (hidden by the program, not minimised).
    class CloseWatch : public QObject {
    public:
        explicit CloseWatch(QEventLoop& loop) : m_loop(loop) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Hide && !event->spontaneous()) m_loop.quit();
            return false;
        }

    private:
        QEventLoop& m_loop;
    };
    QEventLoop loop;
    CloseWatch watch(loop);
    editor->installEventFilter(&watch);
    m_editor = editor.get();
    editor->show();
    emit editorShown(m_editor);
    if (editor->isVisible()) loop.exec();
    m_editor = nullptr;
    editor->removeEventFilter(&watch);
    // The chain stops before the window goes: nothing of it reaches a destroyed editor.
    m_exchange.reset();
    editor.reset();
    editorClosed();
}

void TMainForm::editorClosed() {
    m_demo->setEnabled(true);
    m_livna640->setEnabled(true);
    m_context.editorActive = false;
    m_context.shortcutsActive = true;
    m_context.demoMode = false;
    // The ports are released with the editor; a worker still running finds its port gone.
    m_ports.close(PortKind::Com);
    m_ports.close(PortKind::Usb);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    m_ports.shutDown();
    QWidget::closeEvent(event);
}

// ---- help, links and keys -------------------------------------------------------------------

void TMainForm::MainHelpClick() {
    openHelp(kMainHelpFile);
}

void TMainForm::Label1Click() {
    openDocument(webSiteUrl(m_webSite->text()));
}

void TMainForm::Label2Click() {
    openDocument(emailUrl(QString::fromUtf8(kEmailAddress)));
}

void TMainForm::openHelp(const char* helpFile) {
    openDocument(
        helpTarget(helpFile, m_winHelpShown, QFile::exists(QString::fromUtf8(helpFile)), kSetkaHelpPage));
}

void TMainForm::openDocument(const std::string& target) {
    if (!m_launcher.openDocument(target))
        m_dialogs.inform(kSetkaTitle, openFailureText(target, QDir::currentPath()), MsgIcon::None);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_webSite) {
            Label1Click();
            return true;
        }
        if (watched == m_email) {
            Label2Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::shortcutPressed(int key) {
    if (!m_context.shortcutsActive) return;
    if (key == Qt::Key_F1) openHelp(kKeyHelpFile);
    // F2 is "Выполнить" only while that button may be pressed: not over a demo editor.
    if (key == Qt::Key_F2 && m_livna640->isEnabled()) Livna640Click();
}

}  // namespace livna
