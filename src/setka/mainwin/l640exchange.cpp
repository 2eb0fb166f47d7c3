// The editor's exchange with the panel: link buttons, event display, version check, full read
// and full write, on the UI thread.
#include "setka/mainwin/l640exchange.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <array>

#include "setka/editor/l640.h"

namespace livna {

using namespace setka;

namespace {

constexpr const char* kOnlineMode = "Режим <on-line>.";
constexpr const char* kNoLink = "Нет связи с прибором";

/// Majors of the decodable codes: 11..99 and 100..254.
bool decodable(int code) {
    return code >= 11 && code <= 254;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

std::string versionTextOf(int versionCode) {
    const int major = majorNumber(versionCode);
    int minor = versionCode;
    if (decodable(versionCode)) minor = versionCode >= 100 ? versionCode % 100 : versionCode % 10;
    return std::to_string(major) + "." + std::to_string(minor);
}

std::string titleOf(int versionCode) {
    return "ППКОП Ливна-640 версия v " + versionTextOf(versionCode);
}

std::string firmwareQuestion(const std::string& title) {
    return "ПО прибора " + title +
           " не соответсвует выбранному вами типу системы. Провести смену ПО прибора? Это процедура "
           "займет примерно 10 минут.";
}

L640Exchange::L640Exchange(TL640Form& editor, DialogService& dialogs, Sleeper* pauses)
    : QObject(&editor),
      m_editor(editor),
      m_dialogs(dialogs),
      m_pauses(pauses),
      m_handOver([this](const LinkEvent& event) { showEvent(event); }) {
    struct Button {
        const char* name;
        Qt::Key key;
        void (L640Exchange::*click)();
    };
    static constexpr std::array<Button, 4> kButtons{{
        {"ConnectButton", Qt::Key_F4, &L640Exchange::ConnectButtonClick},
        {"CancelButton", Qt::Key_F5, &L640Exchange::CancelButtonClick},
        {"ReadButton", Qt::Key_F3, &L640Exchange::ReadButtonClick},
        {"WriteButton", Qt::Key_F2, &L640Exchange::WriteButtonClick},
    }};
    FirmwareLink link;
    link.start = [this](ChainRequest request, std::function<void(ChainOutcome)> done) {
        start(std::move(request), [this, done = std::move(done)](ChainOutcome outcome) {
            portGone(outcome);
            done(std::move(outcome));
        });
    };
    link.stop = [this] { stop(); };
    link.loaded = [this] { reconnectAfterFirmware(); };
    m_firmware = std::make_unique<FirmwareChange>(
        m_editor, m_dialogs, std::move(link),
        firmwareFolder(QCoreApplication::applicationDirPath().toStdString()));
    firmwareChange = [this](SystemVariant variant) { m_firmware->begin(variant, context().deviceType); };
    for (const Button& b : kButtons) {
        auto* button = m_editor.names().get<QPushButton>(QString::fromLatin1(b.name));
        button->setShortcut(b.key);
        // The keys move no focus: the field being edited is judged first, as a click would.
        connect(button, &QPushButton::clicked, this, [this, click = b.click] {
            if (m_editor.focusedFieldLeft()) (this->*click)();
        });
    }
}

L640Exchange::~L640Exchange() {
    m_firmware->cancel();
    stop();
}

LinkContext& L640Exchange::context() {
    return m_editor.context();
}

LinkChain& L640Exchange::chain() {
    return context().ports->chain(context().portKind);
}

void L640Exchange::stop() {
    if (context().ports == nullptr) return;
    for (PortKind kind : {PortKind::Com, PortKind::Usb}) context().ports->chain(kind).stop();
    m_handOver.forget();
}

void L640Exchange::start(ChainRequest request, std::function<void(ChainOutcome)> done) {
    LinkPort* port = context().ports != nullptr ? context().ports->port(context().portKind) : nullptr;
    if (port == nullptr) return;
    m_handOver.forget();  // an outcome of a previous chain still queued is not shown
    chain().start(*port, std::move(request), m_handOver.sink(), m_handOver.finishOnUi(std::move(done)),
                  m_pauses);
}

void L640Exchange::startConnect() {
    start(ChainRequest::connect(context().configByte, firmwareChanged),
          [this](ChainOutcome outcome) { connectEnded(std::move(outcome)); });
}

// ---- display ---------------------------------------------------------------------------------

void L640Exchange::setBusy(bool busy) {
    if (!context().editorActive) return;
    const auto enable = [this](const char* name, bool on) {
        m_editor.names().get<QWidget>(QString::fromLatin1(name))->setEnabled(on);
    };
    enable("WriteButton", false);
    enable("ReadButton", false);
    enable("ConnectButton", !busy);
    enable("CancelButton", busy);
}

void L640Exchange::setStatus(const std::string& text) {
    m_editor.statusPanel(0)->setText(q(text));
}

void L640Exchange::setMode(const std::string& text) {
    m_editor.statusPanel(1)->setText(q(text));
}

std::string L640Exchange::onlineMode() const {
    return std::string(kOnlineMode) + " На линии прибор версии v " + m_version + ".";
}

void L640Exchange::showEvent(const LinkEvent& event) {
    switch (event.code) {
        case LinkEventCode::Progress:
            m_firmware->progress(event.progress);
            return;
        case LinkEventCode::NoAnswer:
            m_dialogs.inform(kSetkaTitle, "Нет ответа от прибора", MsgIcon::None);
            setStatus("Нет ответа от прибора");
            setBusy(false);
            return;
        case LinkEventCode::WrongDevice:
            m_dialogs.inform(kSetkaTitle, "Подключенный прибор имеет другой тип", MsgIcon::None);
            m_editor.close();
            return;
        case LinkEventCode::ConnectCrcError:
            m_dialogs.inform(kSetkaTitle, "Ошибка: Dallas CRC", MsgIcon::None);
            return;
        case LinkEventCode::WriteDone:
            setStatus(m_title + "  Запись конфигурации завершена");
            setMode(onlineMode());
            return;
        case LinkEventCode::ReadDone:
            // Shown once the image is in the editor (readEnded).
            return;
        default:
            setStatus(linkEventText(event, context().portKind));
    }
}

// ---- buttons ---------------------------------------------------------------------------------

void L640Exchange::ConnectButtonClick() {
    m_firmware->cancel();
    context().versionCheckPending = true;
    // StartLink stops a chain still on the port and closes it before opening it again, so that
    // no worker of the earlier link shares the line with the new one.
    if (StartLink(context())) {
        startConnect();
    } else {
        m_dialogs.inform(kSetkaTitle, openFailureMessage(context().portKind, context().portNumber),
                         MsgIcon::None);
    }
    // Busy even when the open failed: "Разорвать связь" brings the buttons back.
    setBusy(true);
}

void L640Exchange::CancelButtonClick() {
    m_editor.pageControl()->setEnabled(false);
    m_firmware->cancel();
    stop();
    if (context().ports != nullptr) context().ports->close(context().portKind);
    setBusy(false);
    setStatus(kNoLink);
    setMode(kOnlineMode);
}

void L640Exchange::reconnectAfterFirmware() {
    firmwareChanged = true;
    context().versionCheckPending = true;
    if (StartLink(context())) {
        startConnect();
    } else {
        m_dialogs.inform(kSetkaTitle, openFailureMessage(context().portKind, context().portNumber),
                         MsgIcon::None);
    }
    if (context().portKind == PortKind::Com) setBusy(true);
}

void L640Exchange::portGone(const ChainOutcome& outcome) {
    if (outcome.portClosed && context().ports != nullptr) context().ports->close(context().portKind);
}

void L640Exchange::connectEnded(ChainOutcome outcome) {
    portGone(outcome);
    if (outcome.status != StepStatus::Done) return;
    context().deviceType = outcome.deviceType;
    versionCheck(outcome.settings);
}

// ---- version check and layout ----------------------------------------------------------------

void L640Exchange::versionCheck(const std::vector<int>& settings) {
    context().configByte = 0x55;
    const int code = settings.size() > 1 ? settings[1] : 0;
    m_version = versionTextOf(code);
    m_title = titleOf(code);
    const SystemVariant chosen = context().chosenVariant;
    if (variantOfMajor(majorNumber(code)) != chosen) {
        if (m_dialogs.ask(kSetkaTitle, firmwareQuestion(m_title), MsgAnswer::Yes) && firmwareChange)
            firmwareChange(chosen);
        return;
    }
    context().versionCheckPending = false;
    context().configByte = configByte(chosen);
    const int minor = decodable(code) ? (code >= 100 ? code % 100 : code % 10) : 0;
    m_editor.LayOutOnline(chosen, minor);
    if (firmwareChanged) {
        firmwareChanged = false;
        context().versionCode = code;
        context().versionMatched = true;
        m_editor.DefaultButtonClick();
        if (chosen == SystemVariant::Kvm4) {
            m_editor.RPDIChange(0);
            m_editor.DefaultButtonClick();
        }
        m_editor.tables().writeDefaultsOnce = true;
        fullWrite();
        return;
    }
    setStatus(m_title + "    Идет чтение конфигурации ... . ");
    m_editor.names()
        .get<QLabel>(QStringLiteral("VersionLabel"))
        ->setText(q("Версия ПО прибора: " + m_version));
    setMode(onlineMode());
    fullRead(false);
}

// ---- full read -------------------------------------------------------------------------------

void L640Exchange::ReadButtonClick() {
    fullRead(true);
}

void L640Exchange::fullRead(bool firstTexts) {
    if (firstTexts) {
        setStatus(m_title + "  Чтение конфигурации из прибора...");
        setMode(onlineMode());
    }
    context().versionCheckPending = false;
    m_editor.names().get<QWidget>(QStringLiteral("ReadButton"))->setEnabled(false);
    m_editor.names().get<QWidget>(QStringLiteral("WriteButton"))->setEnabled(false);
    m_editor.pageControl()->setCurrentWidget(m_editor.names().get<QWidget>(QStringLiteral("TabSheetRazdel")));
    m_editor.pageControl()->setEnabled(false);
    start(ChainRequest::read(context().configByte),
          [this](ChainOutcome outcome) { readEnded(std::move(outcome)); });
}

void L640Exchange::readEnded(ChainOutcome outcome) {
    portGone(outcome);
    if (outcome.status != StepStatus::Done) return;
    // Nothing is shown before both images arrived: a failed settings read leaves the editor as
    // it was, codes included.
    m_editor.setHeldCodes(
        SettingsImage(std::vector<std::int32_t>(outcome.codes.begin(), outcome.codes.end())));
    m_editor.ApplyImage(
        SettingsImage(std::vector<std::int32_t>(outcome.settings.begin(), outcome.settings.end())),
        ImageSource::Panel);
    setStatus(m_title + "  Чтение конфигурации завершено");
    m_editor.names()
        .get<QLabel>(QStringLiteral("VersionLabel"))
        ->setText(q("Версия ПО прибора: " + m_version));
    setMode(onlineMode());
    m_editor.names().get<QWidget>(QStringLiteral("ReadButton"))->setEnabled(true);
    m_editor.names().get<QWidget>(QStringLiteral("WriteButton"))->setEnabled(true);
}

// ---- full write ------------------------------------------------------------------------------

void L640Exchange::WriteButtonClick() {
    m_editor.RPDIChange(0);
    fullWrite();
}

void L640Exchange::fullWrite() {
    const SystemVariant variant = editorVariant(context());
    // The checks of the variant: a problem told (−1) sends nothing.
    if (variant == SystemVariant::Kv4) {
        if (m_editor.RemoveDuplicateCodes() == -1) return;
    } else if (m_editor.CheckKeys() == -1 || m_editor.CheckCodes() == -1) {
        return;
    }
    // Both images are taken before the first byte goes: a gather that refuses sends nothing and
    // leaves the buttons as they were.
    std::optional<SettingsImage> codes = m_editor.GatherCodes();
    if (!codes) return;
    std::optional<SettingsImage> settings = m_editor.GatherImage();
    if (!settings) return;
    m_editor.names().get<QWidget>(QStringLiteral("ReadButton"))->setEnabled(false);
    m_editor.names().get<QWidget>(QStringLiteral("WriteButton"))->setEnabled(false);
    setStatus(m_title + "  Запись конфигурации в прибор...");
    setMode(onlineMode());
    m_editor.pageControl()->setCurrentWidget(m_editor.names().get<QWidget>(QStringLiteral("TabSheetRazdel")));
    m_editor.pageControl()->setEnabled(false);
    start(ChainRequest::write(context().configByte, {codes->values().begin(), codes->values().end()},
                              {settings->values().begin(), settings->values().end()}),
          [this](ChainOutcome outcome) { writeEnded(std::move(outcome)); });
}

void L640Exchange::writeEnded(ChainOutcome outcome) {
    portGone(outcome);
    if (outcome.status == StepStatus::Done) {
        m_editor.names().get<QWidget>(QStringLiteral("ReadButton"))->setEnabled(true);
        m_editor.names().get<QWidget>(QStringLiteral("WriteButton"))->setEnabled(true);
        m_editor.pageControl()->setEnabled(true);
        return;
    }
    if (outcome.lastStep == LinkCommand::WriteSettings)
        m_dialogs.inform(kSetkaTitle,
                         "Прибор принял новые коды, настройки в нём остались прежними. Повторите запись "
                         "конфигурации в прибор.",
                         MsgIcon::None);
}

}  // namespace livna
