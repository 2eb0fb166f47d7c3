#pragma once
// The byte protocol of setka and the engine that runs one exchange (a LinkCommand) on a port:
// 4-byte requests, acknowledgements and status bytes, data frames of whole 256-byte blocks, all
// under the Dallas/Maxim CRC-8. TComThread and TUsbThread are two profiles of the same engine.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "setka/link/link_port.h"
#include "usblink/usb_platform.h"

namespace livna::setka {

enum class LinkCommand : std::uint8_t {
    Connect = 0x00,
    EnterLoader = 0x01,
    FirmwareStream = 0x02,
    ReadSettings = 0x91,
    WriteSettings = 0x92,
    ReadCodes = 0x93,
    WriteCodes = 0x94,
};

/// What the link shows the installer; the numbers are the ones the windows key their texts on.
enum class LinkEventCode {
    Progress = 0,  ///< a progress value of the firmware transfer
    NoAnswer = 1,
    WrongDevice = 2,
    ConnectCrcError = 3,
    ExchangeError = 4,
    TimeOut = 6,
    Attempt = 7,
    WriteDone = 10,
    ReadDone = 11,
    FirmwareLoaded = 12,
    NotConnected = 13,
    CheckingVersion = 18,
};

struct LinkEvent {
    LinkEventCode code = LinkEventCode::Progress;
    int attempt = 0;   ///< Attempt: 1..10
    int progress = 0;  ///< Progress: 0..100
    bool operator==(const LinkEvent&) const = default;
};

/// The status-line text of an event (Progress and the message-box events aside, the status line
/// is all an event shows).
std::string linkEventText(const LinkEvent& event, PortKind kind);

/// Receives the events of an exchange. A worker posts each event and waits until the UI thread
/// has run it or the stop is requested; the implementation decides how it gets there.
class LinkEventSink {
public:
    virtual ~LinkEventSink() = default;
    /// Runs event on the UI thread and returns when it has run, or as soon as stop is requested
    /// (the event then need not run at all).
    virtual void post(const LinkEvent& event, std::stop_token stop) = 0;
};

inline constexpr int kConnectAttempts = 10;
inline constexpr std::uint8_t kAccept = 0x00;
inline constexpr std::uint8_t kReject = 0xFF;
inline constexpr std::uint8_t kFrameHeader = 0xAA;
inline constexpr int kReadByteTries = 21;         ///< serial ReadByte: one try, then 20 more
inline constexpr int kReadBytePauseMs = 5;        ///< between the tries
inline constexpr int kAcceptancePolls = 100;      ///< polls for the acceptance of a request
inline constexpr int kAcceptancePauseMs = 8;      ///< before each poll
inline constexpr int kFirmwareChunkBytes = 8;     ///< firmware bytes between two pauses
inline constexpr int kFirmwarePauseMs = 5;        ///< after each chunk
inline constexpr int kBridgeStatusWaitMs = 2400;  ///< a status through the bridge: see TUsbThread
inline constexpr std::size_t kBlockBytes = 256;

/// What differs between the serial port and the bridge.
struct WorkerProfile {
    const char* name;
    bool echo;            ///< each byte written comes back from the line and is read
    bool requestAsBlock;  ///< a request goes out in one four-byte write
    int connectPauseMs;   ///< before a connect reply is read
    int loaderPauseMs;    ///< before a loader reply is read
    int byteTries;        ///< tries of a ReadByte (with kReadBytePauseMs between them)
    int statusTries;      ///< tries for a status byte after a frame or a firmware transfer
};

/// The serial port: echo read after every byte, ReadByte of 21 tries (about 2.4 s).
inline constexpr WorkerProfile TComThread{"TComThread", true,           false,         2000,
                                          1000,         kReadByteTries, kReadByteTries};
/// The bridge: no echo, one 100 ms try per byte. A byte written only reached the bridge's
/// 256-byte buffer, which takes 2.1 s to cross the line at 1200 baud, so a status is awaited
/// 2.4 s like a serial ReadByte.
inline constexpr WorkerProfile TUsbThread{
    "TUsbThread", false, true, 400, 400, 1, kBridgeStatusWaitMs / kFtdiTimeoutMs};

const WorkerProfile& profileOf(PortKind kind);

/// Low byte of the configuration byte sent with every data request, and the blocks it asks for.
std::size_t settingsBytes(int configByte);
std::size_t codesBytes(int configByte);

/// 55 ConfigByte command CRC; the connect and loader requests have their fixed forms.
std::array<std::uint8_t, 4> requestFrame(LinkCommand command, int configByte);
/// AA AA, the low bytes of data, CRC-8 of all before it.
std::vector<std::uint8_t> dataFrame(std::span<const int> data);
/// Bytes of a firmware image the transfer sends: its length field + 7; nothing when the image is
/// shorter than 6 bytes or than that length.
std::optional<std::size_t> firmwareLength(std::span<const int> image);

/// The values an exchange starts from, copied when it starts.
struct StepInputs {
    int configByte = 0;
    int deviceType = 0;                ///< of the connect reply, for EnterLoader
    bool firmwareChanged = false;      ///< Connect after a firmware change: no CheckingVersion
    bool versionCheckPending = false;  ///< ReadSettings for the version check: no ReadDone
    std::span<const int> data;         ///< image to write or firmware to send
};

enum class StepStatus {
    Done,
    Failed,   ///< an event told the installer (or the refusal needs none: a loader that refused)
    Refused,  ///< nothing was sent: the image is shorter than the exchange needs
    Stopped,  ///< the stop was requested
};

struct StepResult {
    StepStatus status = StepStatus::Done;
    std::optional<LinkEventCode> event;  ///< the failure event raised, if any
    int deviceType = 0;                  ///< Connect: the type of a checked reply
    std::vector<int> image;              ///< ReadSettings, ReadCodes: the values received
    bool portClosed = false;             ///< the exchange closed the port (no answer, bridge errors)
    std::string systemText;              ///< after a failure of the port

    static StepResult ended(StepStatus status, std::optional<LinkEventCode> event = std::nullopt) {
        StepResult r;
        r.status = status;
        r.event = event;
        return r;
    }
};

/// Runs one exchange on a port, on the calling thread. Pauses go through sleeper; the stop token
/// is looked at where the protocol allows ending and cuts every wait (the caller cancels the port
/// and the sleeper on stop).
class LinkWorker {
public:
    LinkWorker(LinkPort& port, Sleeper& sleeper, LinkEventSink& sink, std::stop_token stop);
    const WorkerProfile& profile() const { return m_profile; }

    StepResult run(LinkCommand command, const StepInputs& inputs);

private:
    StepResult connect(const StepInputs& in);
    StepResult enterLoader(const StepInputs& in);
    StepResult firmwareStream(const StepInputs& in);
    StepResult readFrame(LinkCommand command, const StepInputs& in);
    StepResult writeFrame(LinkCommand command, const StepInputs& in);
    std::optional<StepResult> sendRequest(LinkCommand command, int configByte);

    void post(LinkEvent event);
    bool stopped() const { return m_stop.stop_requested(); }
    std::optional<StepResult> sendByte(std::uint8_t b);
    std::optional<StepResult> readByte(int tries, std::uint8_t& value);
    void acknowledge(std::uint8_t ack);
    StepResult fail(LinkEventCode event);
    StepResult portFailure(const IoOutcome& outcome);

    LinkPort& m_port;
    Sleeper& m_sleeper;
    LinkEventSink& m_sink;
    std::stop_token m_stop;
    const WorkerProfile& m_profile;
};

}  // namespace livna::setka
