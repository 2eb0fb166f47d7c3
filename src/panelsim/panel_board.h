#pragma once
// A simulated Ливна-640 board: its identity, its storage of 17 blocks, the faults it plays and
// the record of the requests it received. The protocols of the links (panel_protocol.h) act on
// one board, so the direct USB exchange, a firmware loader and the serial protocol of the
// earlier-generation configurator can all share the same simulated panel.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "common/settings_image.h"

namespace livna::panelsim {

inline constexpr std::size_t kStorageBlocks = 17;  ///< blocks 0..16
inline constexpr unsigned kKvmVersionCode = 32;    ///< firmware 3.2, Ливна-КВ-М
inline constexpr unsigned kKvVersionCode = 52;     ///< firmware 5.2, Ливна-КВ
/// The board keeps the latest requests only, so that a simulator left running does not grow.
inline constexpr std::size_t kEventRecordLimit = 10000;

enum class PanelSystem { Kvm, Kv };

/// Blocks of the settings image of a system: 8 for Ливна-КВ-М, 9 for Ливна-КВ.
std::size_t imageBlocks(PanelSystem system);
/// The factory-default file of a system, relative to the program folder.
const char* factoryDefaultFile(PanelSystem system);

struct PanelFault {
    enum class Kind {
        ReplyHeader,      ///< replies start with a wrong header (all, or the reads of one block)
        ReplyCrc,         ///< replies carry a wrong CRC (all, or the reads of one block)
        ReadFails,        ///< reads of the block are never answered
        WriteRefused,     ///< writes of the block are answered with status 1 and not stored
        SilentAfter,      ///< after `bytes` bytes sent in all, the reply under way is cut off (once)
        FirmwareRefused,  ///< the loader answers every firmware stream with status 1
        FirmwareSilent,   ///< the loader takes firmware streams and never answers
    };
    Kind kind = Kind::ReplyHeader;
    std::optional<int> block;  ///< the block concerned; none = every block
    std::size_t bytes = 0;     ///< for SilentAfter
    bool operator==(const PanelFault&) const = default;
};

struct PanelConfig {
    PanelSystem system = PanelSystem::Kvm;
    unsigned typeCode = 31;
    unsigned versionCode = kKvmVersionCode;
    std::vector<PanelFault> faults;

    /// Ливна-КВ-М: version 32; Ливна-КВ: version 52.
    static PanelConfig forSystem(PanelSystem system);
};

/// One request as the board saw it.
struct PanelEvent {
    double timeMs = 0;  ///< arrival time on the board's clock
    std::string text;   ///< "read 3", "write 3 packet 0", "identify AA", "end", …
};

class PanelBoard {
public:
    explicit PanelBoard(PanelConfig config);

    const PanelConfig& config() const { return m_config; }
    unsigned typeCode() const { return m_config.typeCode; }
    unsigned versionCode() const { return m_config.versionCode; }

    /// After the loader took a firmware: the board reports its version code, its system follows the
    /// major (3 Ливна-КВ-М, 5 Ливна-КВ; another keeps the system), and blocks 0..8 read 0xFF until
    /// written.
    void installFirmware(unsigned versionCode);

    std::span<std::uint8_t, 256> block(std::size_t b);
    std::span<const std::uint8_t, 256> block(std::size_t b) const;

    /// The settings image of the board's system (its first 8 or 9 blocks).
    SettingsImage image() const;
    /// Stores values from block 0 on (low 8 bits of each); values beyond the storage are ignored.
    void loadImage(const SettingsImage& image);

    /// The first fault of this kind that concerns block (a fault without a block concerns all).
    const PanelFault* fault(PanelFault::Kind kind, std::optional<int> block = std::nullopt) const;
    void addFault(const PanelFault& fault) { m_config.faults.push_back(fault); }
    void clearFaults() { m_config.faults.clear(); }

    /// Records a request; also written as "<ms> <text>" to the log stream when one is set. The
    /// record holds the latest kEventRecordLimit requests.
    void record(double timeMs, std::string text);
    const std::deque<PanelEvent>& events() const { return m_events; }
    void clearEvents() { m_events.clear(); }
    void setLogStream(std::ostream* log) { m_log = log; }

    /// Called after each write the board accepted.
    void setOnAcceptedWrite(std::function<void(const PanelBoard&, int block)> hook) {
        m_onAcceptedWrite = std::move(hook);
    }
    void notifyAcceptedWrite(int block);

    /// Bytes the board has sent on its links, for the SilentAfter fault.
    std::size_t bytesSent() const { return m_bytesSent; }
    /// How many of n reply bytes may go out now; consumes a SilentAfter fault when it strikes.
    std::size_t allowSend(std::size_t n);

private:
    PanelConfig m_config;
    std::vector<std::uint8_t> m_storage;
    std::deque<PanelEvent> m_events;
    std::ostream* m_log = nullptr;
    std::function<void(const PanelBoard&, int)> m_onAcceptedWrite;
    std::size_t m_bytesSent = 0;
};

}  // namespace livna::panelsim
