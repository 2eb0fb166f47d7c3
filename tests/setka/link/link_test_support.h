#pragma once
// What the link tests share: a sink that records the events it is handed, and a simulated
// setka panel on an in-memory serial line on virtual time.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <mutex>
#include <vector>

#include "panelsim/memory_serial_line.h"
#include "panelsim/setka_panel_protocol.h"
#include "setka/link/link_chain.h"

namespace livna::setka::test {

/// A folder of this user's alone for one test, removed after it.
class PrivateRoot {
public:
    explicit PrivateRoot(const std::string& name)
        : m_path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(m_path);
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all);
    }
    ~PrivateRoot() { std::filesystem::remove_all(m_path); }
    PrivateRoot(const PrivateRoot&) = delete;
    PrivateRoot& operator=(const PrivateRoot&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

/// Runs each event at once on the worker's thread and keeps it.
class RecordingSink : public LinkEventSink {
public:
    void post(const LinkEvent& event, std::stop_token) override {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
        if (onPost) onPost(event);
    }
    std::vector<LinkEvent> events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::vector<LinkEventCode> codes() const {
        std::vector<LinkEventCode> out;
        for (const LinkEvent& e : events())
            if (e.code != LinkEventCode::Progress && e.code != LinkEventCode::Attempt) out.push_back(e.code);
        return out;
    }
    std::size_t count(LinkEventCode code) const {
        std::size_t n = 0;
        for (const LinkEvent& e : events()) n += e.code == code ? 1 : 0;
        return n;
    }
    /// Called with each event, under the sink's lock.
    std::function<void(const LinkEvent&)> onPost;

private:
    mutable std::mutex m_mutex;
    std::vector<LinkEvent> m_events;
};

/// A board playing a setka panel behind an in-memory serial line.
struct SimulatedSetkaPanel {
    explicit SimulatedSetkaPanel(panelsim::SetkaFaults faults = {},
                                 unsigned type = panelsim::kSetkaDefaultType,
                                 unsigned version = panelsim::kSetkaDefaultVersion)
        : board(config(type, version)), protocol(board, faults), line(protocol, clock, faults.echoStop) {
        panelsim::seedSetkaBoard(board, version);
    }

    ChainOutcome run(const ChainRequest& request) { return runChain(line, clock, sink, {}, request); }

    static panelsim::PanelConfig config(unsigned type, unsigned version) {
        panelsim::PanelConfig c;
        c.typeCode = type;
        c.versionCode = version;
        return c;
    }

    RecordingSleeper clock;
    panelsim::PanelBoard board;
    panelsim::SetkaPanelProtocol protocol;
    panelsim::MemorySerialLine line;
    RecordingSink sink;
};

}  // namespace livna::setka::test
