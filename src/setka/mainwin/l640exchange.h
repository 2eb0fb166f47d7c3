#pragma once
// The editor's exchange with the panel: the four link buttons of TL640Form, the events of the
// chains shown in its status bar, the version check, the on-line layout, the full read and the
// full write. Everything here runs on the UI thread; the chains hand their events and outcomes
// over through a QtHandOver (link_chain.h has the rules).
#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/dialog_service.h"
#include "setka/firmware/firmware_change.h"
#include "setka/link/link_chain.h"
#include "setka/link/link_ports.h"
#include "setka/link/qt_hand_over.h"

namespace livna {

class TL640Form;

/// "ПО прибора " + title + " не соответсвует ..." (the panel's own spelling).
std::string firmwareQuestion(const std::string& title);
/// "major.minor" of a version code; codes without a decoding show their major number and the
/// code itself ("0.5" for 5, "2.255" for 255).
std::string versionTextOf(int versionCode);
/// "ППКОП Ливна-640 версия v " + the version text.
std::string titleOf(int versionCode);

class L640Exchange : public QObject {
public:
    /// Takes the link buttons of editor over. pauses: null for the real pauses of the chains; a
    /// virtual clock in tests.
    L640Exchange(TL640Form& editor, DialogService& dialogs, Sleeper* pauses = nullptr);
    /// Stops a chain still running: nothing of it reaches the editor afterwards.
    ~L640Exchange() override;
    L640Exchange(const L640Exchange&) = delete;
    L640Exchange& operator=(const L640Exchange&) = delete;

    /// Starts the connect chain on the port of the context's kind, which StartLink opened.
    void startConnect();

    void ConnectButtonClick();  ///< "Установить связь" (F4)
    void CancelButtonClick();   ///< "Разорвать связь" (F5)
    void ReadButtonClick();     ///< "Считать конфигурацию из прибора" (F3)
    void WriteButtonClick();    ///< "Записать конфигурацию в прибор" (F2)

    /// Stops the chain of the context's kind and drops what it had still to hand over.
    void stop();
    /// Yes to the version question: the firmware change for a variant (the change below unless
    /// replaced).
    std::function<void(setka::SystemVariant)> firmwareChange;
    /// The firmware change of this editor: its folder, its bounds' timer and its state.
    setka::FirmwareChange& firmware() { return *m_firmware; }
    /// Set by a successful firmware change: the next version check that matches fills the
    /// editor with factory settings and writes them instead of reading the panel.
    bool firmwareChanged = false;

private:
    setka::LinkContext& context();
    setka::LinkChain& chain();
    void start(setka::ChainRequest request, std::function<void(setka::ChainOutcome)> done);
    void setBusy(bool busy);
    void setStatus(const std::string& text);
    void setMode(const std::string& text);
    std::string onlineMode() const;
    void showEvent(const setka::LinkEvent& event);
    void connectEnded(setka::ChainOutcome outcome);
    void versionCheck(const std::vector<int>& settings);
    void fullRead(bool firstTexts);
    void readEnded(setka::ChainOutcome outcome);
    void fullWrite();
    void writeEnded(setka::ChainOutcome outcome);
    /// The chain ended on a port failure that closed the port: it is released as well.
    void portGone(const setka::ChainOutcome& outcome);
    /// The panel took new firmware: the port is opened again and Connect started.
    void reconnectAfterFirmware();

    TL640Form& m_editor;
    DialogService& m_dialogs;
    Sleeper* m_pauses;
    setka::QtHandOver m_handOver;
    std::string m_title;    ///< "ППКОП Ливна-640 версия v " + version
    std::string m_version;  ///< "major.minor"
    std::unique_ptr<setka::FirmwareChange> m_firmware;
};

}  // namespace livna
