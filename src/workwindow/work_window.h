#pragma once
// What the three work windows of Setka640DKV_KVM share: the furniture every work window carries
// (port choice, help, links, status and progress bars), the hand-off to the earlier-generation
// program, and the busy state of an exchange.
#include <QDialog>
#include <QString>

#include <string>

#include "ui/exchange_scope.h"
#include "ui/name_index.h"
#include "ui/usb_connect.h"
#include "workwindow/app_context.h"

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

/// The program folders of Setka640DKV_KVM, in the order they are created.
inline constexpr const char* kProgramFolders[] = {"Reg_RPU", "Base_D", "Conf"};
inline constexpr const char* kWorkWindowCaption = "Прибор приемно-контрольный Ливна-640";
inline constexpr const char* kHelpFile = "Setka-640-v5_2-help.hlp";
inline constexpr const char* kLegacyProgram = "add1.exe";
/// Application name; also the caption of the editors' plain message boxes.
inline constexpr const char* kApplicationTitle = "Setka640DKV_KVM";

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
    /// Connect pressed in a window of the direct USB link (the window itself as connectWindow):
    /// the hand-off when a legacy port is chosen, else UsbConnect over the program's link with the
    /// window busy. Without a link no panel is found.
    void connectOverUsb(UsbConnectWindow& connectWindow);

    QGroupBox* commPortGroup() const { return m_commPortGroup; }
    QPushButton* helpButton() const { return m_helpButton; }
    QLabel* webSiteLabel() const { return m_webSiteLabel; }
    QLabel* emailLabel() const { return m_emailLabel; }
    /// The status bar and progress bar (0..100) under the window's own names.
    QStatusBar* statusBar() const { return m_statusBar; }
    QProgressBar* progressBar() const { return m_progressBar; }
    void setStatus(const QString& text);
    /// The status text, painted at once: it stays up through the pause or exchange that follows.
    void setStatusNow(const std::string& text);
    void setProgress(int percent);

    /// True while an exchange runs: Esc, the close box and the links are held off.
    bool busy() const { return m_busy; }
    void setBusy(bool busy) { m_busy = busy; }
    /// Keeps the window busy for one exchange: every control but the bars is off until the
    /// returned scope ends (see ExchangeScope).
    [[nodiscard]] ExchangeScope exchangeScope();

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
    // Opens a document or a link, and tells the installer where to find it when nothing opened it.
    void openDocument(const std::string& target);

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
