#pragma once
// What the setka benchmarks share: a simulated setka panel (type 9, firmware 3.2, the factory
// settings of variant 3) published as COM1 under a private root and served on its own thread.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "panelsim/pty_publisher.h"
#include "panelsim/setka_panel_protocol.h"

namespace livna::bench {

class SetkaPtyPanel {
public:
    explicit SetkaPtyPanel(panelsim::LineOptions line) : m_board(config()), m_protocol(m_board) {
        panelsim::seedSetkaBoard(m_board, panelsim::kSetkaDefaultVersion);
        std::string tmpl = (std::filesystem::temp_directory_path() / "bench-setka-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
        m_root = tmpl;
        std::string error;
        m_publisher = panelsim::PtyPanelPublisher::publish(m_root, 1, m_protocol, line, error);
        if (!m_publisher) std::abort();
        m_thread = std::thread([this] { m_publisher->serve(); });
    }
    ~SetkaPtyPanel() {
        m_publisher->requestStop();
        m_thread.join();
        m_publisher.reset();
        std::filesystem::remove_all(m_root);
    }
    SetkaPtyPanel(const SetkaPtyPanel&) = delete;
    SetkaPtyPanel& operator=(const SetkaPtyPanel&) = delete;
    const std::string& root() const { return m_root; }

private:
    static panelsim::PanelConfig config() {
        panelsim::PanelConfig c;
        c.typeCode = panelsim::kSetkaDefaultType;
        c.versionCode = panelsim::kSetkaDefaultVersion;
        return c;
    }
    panelsim::PanelBoard m_board;
    panelsim::SetkaPanelProtocol m_protocol;
    std::string m_root;
    std::unique_ptr<panelsim::PtyPanelPublisher> m_publisher;
    std::thread m_thread;
};

}  // namespace livna::bench
