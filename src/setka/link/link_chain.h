#pragma once
// A chain of exchanges (Connect → ReadSettings, ReadCodes → ReadSettings, WriteCodes →
// WriteSettings, or one exchange alone) run on one thread owned by the LinkChain.
//
// Thread-safety rules:
// - Only the UI thread touches widgets, the dialog service, the LinkContext and the editor.
// - A chain gets its inputs as values at start (ConfigByte, DeviceType, purpose, images) and the
//   port it runs on; it reads no shared field later and returns results only through the
//   hand-over: its events through LinkEventSink::post, its outcome through the finish callback.
// - One chain per LinkContext; the next starts after the previous made its last port call
//   (start() stops and joins the previous one). One thread uses a port at a time; others only
//   cancel() and close() it. The port outlives the chain's run: stop() before releasing it.
// - Hand-over: the worker posts a LinkEvent to the sink and waits until the UI thread ran it or
//   the chain is stopped (nothing else could release it). The outcome is handed over after the
//   last port call and not waited for.
// - stop() requests the stop: the port is cancelled, pauses are cut, a waiting hand-over is
//   released, and the chain's later events and outcome are not shown. The UI thread waits for a
//   worker only in stop(), after that. No lock is held across a hand-over or a port call; no flag
//   is shared (the firmware change reads outcomes).
// - The thread keeps the default scheduling: a real-time class is open to root only, and would
//   let a spinning fault freeze the machine.
#include <functional>
#include <stop_token>
#include <thread>
#include <vector>

#include "setka/link/link_port.h"
#include "setka/link/link_worker.h"

namespace livna::setka {

/// What a chain is for and what it starts from.
struct ChainRequest {
    std::vector<LinkCommand> steps;
    int configByte = 0;
    int deviceType = 0;
    bool firmwareChanged = false;
    bool versionCheckPending = false;
    std::vector<int> codes;     ///< WriteCodes
    std::vector<int> settings;  ///< WriteSettings
    std::vector<int> firmware;  ///< FirmwareStream

    static ChainRequest connect(int configByte, bool firmwareChanged);
    static ChainRequest read(int configByte);
    static ChainRequest write(int configByte, std::vector<int> codes, std::vector<int> settings);
};

struct ChainOutcome {
    StepStatus status = StepStatus::Done;
    LinkCommand lastStep = LinkCommand::Connect;  ///< the step that ended the chain
    std::optional<LinkEventCode> event;           ///< the failure event raised, if any
    int deviceType = 0;                           ///< Connect: the type of the checked reply
    std::vector<int> settings;                    ///< ReadSettings
    std::vector<int> codes;                       ///< ReadCodes
    bool portClosed = false;                      ///< the chain closed the port
    std::string systemText;
};

/// Runs the steps of a request on a port, on the calling thread; each step purges the port at
/// its start and end. The building block of LinkChain, usable alone on virtual time.
ChainOutcome runChain(LinkPort& port, Sleeper& sleeper, LinkEventSink& sink, std::stop_token stop,
                      const ChainRequest& request);

/// A Sleeper whose pauses end early when the stop is requested.
class StoppableSleeper : public Sleeper {
public:
    explicit StoppableSleeper(std::stop_token stop) : m_stop(std::move(stop)) {}
    void sleepMs(int ms) override;

private:
    std::stop_token m_stop;
};

class LinkChain {
public:
    using Finish = std::function<void(ChainOutcome)>;

    LinkChain() = default;
    ~LinkChain() { stop(); }
    LinkChain(const LinkChain&) = delete;
    LinkChain& operator=(const LinkChain&) = delete;

    /// Stops a previous chain, then runs request on port in a new thread. finish receives the
    /// outcome of a chain that was not stopped (on the chain's thread: it must hand it over).
    /// pauses: null for real pauses cut by the stop; a virtual clock in tests.
    void start(LinkPort& port, ChainRequest request, LinkEventSink& sink, Finish finish,
               Sleeper* pauses = nullptr);
    /// Requests the stop, cancels the port and waits until the thread has ended. Idempotent.
    void stop();
    /// A chain was started and has not been stopped or joined. Its thread may already be over.
    bool started() const { return m_thread.joinable(); }

private:
    std::jthread m_thread;
};

}  // namespace livna::setka
