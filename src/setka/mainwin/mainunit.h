#pragma once
// The main window of setka: the system variant, the port, and the two ways into the settings
// editor ("Выполнить" on-line, "Демо режим" without a panel), help and the maker's links.
#include <QWidget>

#include <memory>
#include <string>

#include "common/dialog_service.h"
#include "common/launcher.h"
#include "setka/editor/link_context.h"
#include "setka/link/link_ports.h"
#include "ui/name_index.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace livna {

class L640Exchange;
class TL640Form;

/// The help files the main window opens (beside the program).
inline constexpr const char* kMainHelpFile = "Setka-640-v4_6-help.hlp";  ///< "Помощь - F1"
inline constexpr const char* kKeyHelpFile = "Help.hlp";                  ///< the F1 key

class TMainForm : public QWidget {
    Q_OBJECT
public:
    /// ports opens the serial ports and the bridge (openLinkPort in the program, a fake in tests).
    TMainForm(DialogService& dialogs, Launcher& launcher, setka::PortOpener ports, QWidget* parent = nullptr);
    ~TMainForm() override;

    // ---- handlers --------------------------------------------------------------------------

    /// The family boxes: exactly one family ticked, its first variant selected.
    void CheckBoxKVMClick();
    void CheckBoxKVClick();
    /// "Выполнить" (also F2): the port opens and the editor opens on-line, or the port's message.
    void Livna640Click();
    /// "Демо режим": the editor laid out for the variant with its factory settings, no port.
    void Button1Click();
    void MainHelpClick();
    void Label1Click();  ///< the maker's web site
    void Label2Click();  ///< the support e-mail

    // ---- state (for tests) -----------------------------------------------------------------

    setka::LinkContext& context() { return m_context; }
    setka::LinkPorts& ports() { return m_ports; }
    const NameIndex& names() const { return m_names; }
    /// The variant of the selected radio button: RPYKVM1 1, RPYKVM4 3, any other 5.
    setka::SystemVariant selectedVariant() const;
    /// The editor while it is open, otherwise null.
    TL640Form* editor() const { return m_editor; }
    /// The exchange of the open on-line editor, otherwise null.
    L640Exchange* exchange() const { return m_exchange.get(); }
    /// The pauses of the link's chains: a virtual clock in tests; null (real pauses) by default.
    void setLinkPauses(Sleeper* pauses) { m_linkPauses = pauses; }
    /// Whether the desktop shows WinHelp files (the platform's answer unless a test says otherwise).
    void setWinHelpShown(bool shown) { m_winHelpShown = shown; }

signals:
    /// An editor is up and shown (the main window waits until it closes).
    void editorShown(livna::TL640Form* editor);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class ShortcutHook;

    void buildControls();
    void setFamily(bool kvm);
    void portChosen();
    std::unique_ptr<TL640Form> newEditor();
    /// Shows the editor modally and deletes it once closed.
    void runEditor(std::unique_ptr<TL640Form> editor);
    void editorClosed();
    void openHelp(const char* helpFile);
    void openDocument(const std::string& target);
    /// The application-wide F1 and F2, while ShortcutsActive is set.
    void shortcutPressed(int key);

    DialogService& m_dialogs;
    Launcher& m_launcher;
    setka::LinkPorts m_ports;
    setka::LinkContext m_context;
    NameIndex m_names;
    TL640Form* m_editor = nullptr;
    std::unique_ptr<L640Exchange> m_exchange;  // goes before its editor
    Sleeper* m_linkPauses = nullptr;
    bool m_winHelpShown = false;

    QLabel* m_version = nullptr;
    QLabel* m_webSite = nullptr;       // Label1
    QLabel* m_email = nullptr;         // Label2
    QCheckBox* m_kvmFamily = nullptr;  // CheckBoxKVM
    QCheckBox* m_kvFamily = nullptr;   // CheckBoxKV
    QRadioButton* m_kvm1 = nullptr;    // RPYKVM1
    QRadioButton* m_kvm4 = nullptr;    // RPYKVM4
    QRadioButton* m_kv4 = nullptr;     // RPYKV4
    QRadioButton* m_com = nullptr;     // RadioButton1
    QRadioButton* m_usb = nullptr;     // RadioButton2
    QComboBox* m_portNumber = nullptr;
    QPushButton* m_livna640 = nullptr;
    QPushButton* m_demo = nullptr;  // Button1
    QPushButton* m_help = nullptr;  // MainHelp
    QLabel* m_status = nullptr;     // the one panel of MainStatusBar
};

}  // namespace livna
