#pragma once
// Publishes a board speaking the setka protocol as a serial line: a pseudo-terminal whose slave
// is linked as <root>/COMn, where the configurator's serial backend finds COMn. The publisher is
// the line as well as the panel: it echoes each PC byte once as the byte finishes crossing and,
// when paced, lets one byte cross per 10/1200 s in each direction (the echo takes no line time
// of its own). It holds the slave open, so that a PC closing its port does not hang the line up,
// and removes the link when it goes.
#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "panelsim/panel_protocol.h"

namespace livna::panelsim {

/// Time one byte takes on the line at 1200 baud with 10 bits per byte.
inline constexpr double kByteTimeMs = 10.0 * 1000.0 / 1200.0;

struct LineOptions {
    bool paced = true;                    ///< false: bytes cross at once
    std::optional<std::size_t> echoStop;  ///< echo this many PC bytes, then none

    static LineOptions fast() {
        LineOptions o;
        o.paced = false;
        return o;
    }
};

class PtyPanelPublisher {
public:
    /// Creates root if needed (mode 0700; a root of another user is refused), opens a pty and
    /// links its slave as root/COMn (a link left by a publisher that is gone is replaced).
    /// Nothing, with error set, on failure.
    static std::unique_ptr<PtyPanelPublisher> publish(const std::string& root, int comNumber,
                                                      PanelProtocol& protocol, LineOptions options,
                                                      std::string& error);
    ~PtyPanelPublisher();
    PtyPanelPublisher(const PtyPanelPublisher&) = delete;
    PtyPanelPublisher& operator=(const PtyPanelPublisher&) = delete;

    /// Plays the line until requestStop(). Returns an error text, or an empty string.
    std::string serve();
    /// Makes serve() return; safe from another thread and from a signal handler.
    void requestStop();
    int stopDescriptor() const { return m_stopWrite; }

    const std::string& linkPath() const { return m_link; }
    const std::string& slavePath() const { return m_slave; }
    /// Milliseconds since publishing: the time stamps of the board's record.
    double elapsedMs() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Timed {
        double atMs;  // when the byte has finished crossing
        std::uint8_t byte;
    };
    PtyPanelPublisher(PanelProtocol& protocol, LineOptions options);
    double crossing(double& lineFreeMs, double nowMs) const;
    std::string flushDue(double nowMs);
    std::string writeToPc(std::span<const std::uint8_t> bytes);

    PanelProtocol& m_protocol;
    LineOptions m_options;
    std::string m_link;
    std::string m_slave;
    int m_master = -1;
    int m_slaveHeld = -1;
    int m_stopRead = -1;
    int m_stopWrite = -1;
    Clock::time_point m_start;
    std::deque<Timed> m_toPanel;  // PC bytes on their way
    std::deque<Timed> m_toPc;     // panel bytes on their way
    double m_inboundFreeMs = 0;
    double m_outboundFreeMs = 0;
    std::size_t m_echoed = 0;
};

}  // namespace livna::panelsim
