#pragma once
// What the wizard and the three work windows of Setka640DKV_KVM share: the program-wide wizard
// state, the services a window talks through, the name index of controls, and the furniture every
// work window carries (port choice, help, links, status and progress bars).
#include <QDialog>
#include <QHash>
#include <QString>

#include <stdexcept>
#include <string>

#include "common/dialog_service.h"
#include "common/launcher.h"

class QButtonGroup;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLayout;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace livna {

class UsbPipes;

/// The wizard's two choices, program-wide.
struct WizardState {
    int SystemType = 0;     ///< 0 = none yet, 1 = Ливна-КВ, 2 = Ливна-КВ-М
    int OperationMode = 0;  ///< 0 = none yet, 1 = firmware update, 4 = settings
};

/// Services every window is given where the program is assembled (real ones in main, fakes in tests).
struct AppContext {
    DialogService& dialogs;
    Launcher& launcher;
    WizardState& state;
    /// The one direct USB link the work windows share; none where a program or test runs
    /// without one (connect then finds no panel).
    UsbPipes* usb = nullptr;
};

/// Name → control, filled once when a window builds its controls. Lookups of a missing name throw,
/// so a mistyped name fails loudly instead of silently doing nothing.
class NameIndex {
public:
    /// Gives the widget its object name and indexes it.
    template <class W>
    W* add(W* widget, const QString& name) {
        widget->setObjectName(name);
        m_index.insert(name.toLower(), widget);
        return widget;
    }
    QWidget* find(const QString& name) const { return m_index.value(name.toLower(), nullptr); }
    template <class W>
    W* get(const QString& name) const {
        auto* w = qobject_cast<W*>(find(name));
        if (w == nullptr) throw std::logic_error("no control named " + name.toStdString());
        return w;
    }
    bool contains(const QString& name) const { return m_index.contains(name.toLower()); }
    qsizetype size() const { return m_index.size(); }

private:
    QHash<QString, QWidget*> m_index;  // keys in lower case: names compare without regard to case
};

/// Address constants of the maker's links (neutral placeholders under the reserved example domain).
inline constexpr const char* kWebSiteAddress = "www.example.com/livna";
inline constexpr const char* kEmailAddress = "support@example.com";
inline constexpr const char* kWorkWindowCaption = "Прибор приемно-контрольный Ливна-640";
inline constexpr const char* kHelpFile = "Setka-640-v5_2-help.hlp";
inline constexpr const char* kHelpPage = "help/index.html";  ///< shown where the .hlp cannot be
inline constexpr const char* kLegacyProgram = "add1.exe";
/// Application name; also the caption of the editors' plain message boxes.
inline constexpr const char* kApplicationTitle = "Setka640DKV_KVM";

/// What HelpBitBtn opens: the WinHelp file where the desktop can show it and it is present,
/// otherwise the HTML page shipped beside the program.
std::string helpTarget(bool winHelpShown, bool helpFileExists);
/// The link WebSiteLabel opens for its caption, and the mail link of EmailLabel.
std::string webSiteUrl(const QString& caption);
std::string emailUrl(const QString& address);
/// Told when "add1.exe" could not be started.
std::string handOffFailureText();

/// Base of TL640KVForm, TChangeSoftForm and TL640MSettingsForm. Builds the shared furniture,
/// indexes it under its names, and performs the hand-off to the earlier-generation program.
/// A subclass places furnitureRow() and the bars in its own layout.
class WorkWindow : public QDialog {
    Q_OBJECT
public:
    WorkWindow(AppContext& ctx, const QString& objectName, QWidget* parent = nullptr);

    AppContext& context() const { return m_ctx; }
    const NameIndex& names() const { return m_names; }

    /// `CommPortRdG`: 0 = "COM", 1 = "USB Л-470", 2 = "USB ЛМ/ВМ" (the default).
    int commPortIndex() const;
    void setCommPortIndex(int index);
    /// True when the chosen interface belongs to the earlier-generation program.
    bool legacyPortChosen() const { return commPortIndex() != 2; }
    /// Connect pressed: when a legacy port is chosen, performs the hand-off (warning, start
    /// "add1.exe", close this window; a failed start is told) and returns true.
    bool handOffIfLegacyPort();

    QGroupBox* commPortGroup() const { return m_commPortGroup; }
    QPushButton* helpButton() const { return m_helpButton; }
    QLabel* webSiteLabel() const { return m_webSiteLabel; }
    QLabel* emailLabel() const { return m_emailLabel; }
    /// The status bar and progress bar (0..100) under the window's own names.
    QStatusBar* statusBar() const { return m_statusBar; }
    QProgressBar* progressBar() const { return m_progressBar; }
    void setStatus(const QString& text);
    void setProgress(int percent);

    /// Holds off Esc and the close box while the window is busy (an exchange is running).
    void setBusy(bool busy) { m_busy = busy; }
    bool busy() const { return m_busy; }

protected:
    /// Controls the subclass creates go into the same index.
    NameIndex& mutableNames() { return m_names; }
    /// A widget holding `CommPortRdG`, `HelpBitBtn`, `WebSiteLabel`, `EmailLabel`, to be placed by
    /// the subclass; the bars are created with the names given to the constructor's caller via
    /// createBars().
    QWidget* furnitureRow() const { return m_furniture; }
    /// Creates the status and progress bar under the names this window uses for them.
    void createBars(const QString& statusBarName, const QString& progressBarName);
    /// Creates `ConnectButton` "Установить связь", indexed; the subclass places it and handles
    /// the click (starting with handOffIfLegacyPort()).
    QPushButton* createConnectButton(QWidget* parent);
    /// Stacks the given content, then the exchange row, furnitureRow() and the bars, in a new
    /// layout of this window (for windows whose own layout is not yet richer than that).
    void layOutWorkWindow(QWidget* content, QLayout* exchangeRow);

    void reject() override;  // Esc and the close box take the window's own close path
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;  // Enter in a field presses no button
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openHelp();

    AppContext& m_ctx;
    NameIndex m_names;
    QWidget* m_furniture = nullptr;
    QGroupBox* m_commPortGroup = nullptr;
    QButtonGroup* m_commPortButtons = nullptr;
    QPushButton* m_helpButton = nullptr;
    QLabel* m_webSiteLabel = nullptr;
    QLabel* m_emailLabel = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QProgressBar* m_progressBar = nullptr;
    bool m_busy = false;
};

}  // namespace livna
