#pragma once
// Publishes a simulated board as a panel folder under a FIFO root (see usblink/fifo_platform.h):
// creates the folder and both FIFOs, keeps both open for its whole life so that neither side's
// open blocks, serves the direct USB protocol, and removes the folder when it goes.
#include <chrono>
#include <memory>
#include <string>

#include "panelsim/panel_board.h"
#include "panelsim/panel_protocol.h"

namespace livna::panelsim {

class FifoPanelPublisher {
public:
    /// Creates root if needed (mode 0700; a root owned by another user is refused) and the panel
    /// folder root/folderName (default: "panel-<pid>-<n>"). Nothing, with error set, on failure.
    /// First removes the default-named folders of publishers whose process is gone (killed before
    /// they could remove their own).
    static std::unique_ptr<FifoPanelPublisher> publish(const std::string& root, PanelBoard& board,
                                                       std::string& error, std::string folderName = {});
    ~FifoPanelPublisher();
    FifoPanelPublisher(const FifoPanelPublisher&) = delete;
    FifoPanelPublisher& operator=(const FifoPanelPublisher&) = delete;

    /// Serves requests until requestStop(). Returns an error text, or an empty string.
    std::string serve();
    /// Makes serve() return; safe from another thread and from a signal handler.
    void requestStop();
    /// The descriptor requestStop() writes to, for a signal handler that may only call write().
    int stopDescriptor() const { return m_stopWrite; }

    const std::string& folder() const { return m_folder; }
    /// Milliseconds since the folder was published: the time stamps of the board's record.
    double elapsedMs() const;

private:
    FifoPanelPublisher(PanelBoard& board, std::string folder);
    void removeFolder();

    PanelBoard& m_board;
    UsbPanelProtocol m_protocol;
    std::string m_folder;
    int m_in = -1;   // PIPE00, held read-write: never end of file while no PC is attached
    int m_out = -1;  // PIPE01, held read-write: the PC's open never blocks or fails
    int m_stopRead = -1;
    int m_stopWrite = -1;
    std::chrono::steady_clock::time_point m_start;
};

}  // namespace livna::panelsim
