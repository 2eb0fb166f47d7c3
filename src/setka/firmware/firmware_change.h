#pragma once
// The firmware change of the editor: after Yes to the version question it picks the file, puts the
// panel into its loader, streams the firmware with the progress shown, and hands a loaded panel
// back to the exchange for the reconnection. A state machine on the UI thread, moved on by the
// outcomes of the chains (handed over like their events) and by two bounds; it never waits on the
// UI thread, so the workers' hand-overs always go through.
#include <QObject>

#include <filesystem>
#include <functional>
#include <memory>

#include "common/dialog_service.h"
#include "setka/editor/system_variant.h"
#include "setka/firmware/firmware_search.h"
#include "setka/link/link_chain.h"

class QTimer;

namespace livna {

class TL640Form;

namespace setka {

inline constexpr int kLoaderBoundMs = 20'000;       ///< for the panel to enter its loader
inline constexpr int kTransferBoundMs = 1'000'000;  ///< for the whole transfer
inline constexpr const char* kFirmwareNoFileText =
    "В базе нет ПО данной конфигурации. Обновите базу прошивок с сервера ЗАО НТЦ КАЛМО";
inline constexpr const char* kFirmwareFailureText = "Ошибка при смене ПО! Повторите процедуру.";
inline constexpr const char* kLoaderBoundText = "Прибор не перешёл в режим загрузки ПО.";
inline constexpr const char* kTransferBoundText = "Смена ПО не завершилась за отведённое время.";
inline constexpr const char* kPreparingText = "Идет подготовка к смене ПО ... .  ";
inline constexpr const char* kChangingText = "Идет смена ПО ждите ... .  ";

/// A one-shot bound: fires expired once after ms unless cancelled or armed again.
class BoundTimer {
public:
    virtual ~BoundTimer() = default;
    virtual void arm(int ms, std::function<void()> expired) = 0;
    virtual void cancel() = 0;
};

/// What the change needs of the exchange that owns the link.
struct FirmwareLink {
    /// Starts a chain on the editor's port; done gets its outcome on the UI thread (never the
    /// outcome of a stopped chain).
    std::function<void(ChainRequest, std::function<void(ChainOutcome)>)> start;
    /// Stops the chain of the port; nothing of it is handed over afterwards.
    std::function<void()> stop;
    /// The panel took the firmware: reconnect, and write factory settings after the version check.
    std::function<void()> loaded;
};

class FirmwareChange : public QObject {
public:
    enum class State {
        Idle,
        Loader,    ///< EnterLoader runs, bounded by kLoaderBoundMs
        Transfer,  ///< FirmwareStream runs, bounded by kTransferBoundMs; the editor is disabled
    };

    /// folder: where the firmware files lie. timer: null for a real timer.
    FirmwareChange(TL640Form& editor, DialogService& dialogs, FirmwareLink link, std::filesystem::path folder,
                   BoundTimer* timer = nullptr);
    ~FirmwareChange() override;
    FirmwareChange(const FirmwareChange&) = delete;
    FirmwareChange& operator=(const FirmwareChange&) = delete;

    /// Yes to the version question, for the chosen variant and the connected device type. Ignored
    /// while a change runs.
    void begin(SystemVariant variant, int deviceType);
    /// A progress value of the transfer.
    void progress(int value);
    /// The link is broken or started again: the change ends without a word.
    void cancel();

    State state() const { return m_state; }
    /// The latest file search.
    const FirmwareSearch& search() const { return m_search; }
    void setFolder(std::filesystem::path folder) { m_folder = std::move(folder); }
    void setTimer(BoundTimer* timer);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loaderEnded(const ChainOutcome& outcome);
    void transferEnded(const ChainOutcome& outcome);
    void loaderBound();
    void transferBound();
    void showTransfer(bool on);
    void failure();

    TL640Form& m_editor;
    DialogService& m_dialogs;
    FirmwareLink m_link;
    std::filesystem::path m_folder;
    std::unique_ptr<BoundTimer> m_ownTimer;
    BoundTimer* m_timer;
    State m_state = State::Idle;
    int m_deviceType = 0;
    FirmwareSearch m_search;
    unsigned m_run = 0;  ///< counts the changes begun, so that an outcome of an earlier one is ignored
};

}  // namespace setka
}  // namespace livna
