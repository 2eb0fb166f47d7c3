#include "setka/link/link_worker.h"

#include "common/crc.h"
#include "setka/editor/system_variant.h"

namespace livna::setka {

namespace {

constexpr std::array<std::uint8_t, 4> kConnectRequest{0x55, 0x55, 0xAA, 0xAA};
constexpr std::array<std::uint8_t, 4> kLoaderRequest{0x55, 0x55, 0xA0, 0xAA};
constexpr std::uint8_t kReplyHeader = 0x55;
constexpr int kDeviceTypeV = 9;
constexpr int kDeviceTypeCv = 10;

bool isSettings(LinkCommand c) {
    return c == LinkCommand::ReadSettings || c == LinkCommand::WriteSettings;
}

std::uint8_t crcOf(std::span<const std::uint8_t> bytes) {
    return crc8Maxim(bytes);
}

}  // namespace

std::string linkEventText(const LinkEvent& event, PortKind kind) {
    switch (event.code) {
        case LinkEventCode::NoAnswer:
            return "Нет ответа от прибора";
        case LinkEventCode::ExchangeError:
            return "Ошибка: Dallas CRC";
        case LinkEventCode::TimeOut:
            return "Ошибка: Time-Out";
        case LinkEventCode::Attempt:
            return "Установка связи с прибором...Попытка №" + std::to_string(event.attempt) + " из 10";
        case LinkEventCode::FirmwareLoaded:
            return kind == PortKind::Com ? "ПО загружено успешно" : "ПО загружена успешно";
        case LinkEventCode::NotConnected:
            return "Нет связи с прибором";
        case LinkEventCode::CheckingVersion:
            return "Связь установлена. Идет проверка версии программного обеспечения";
        default:
            return {};  // message boxes, texts built from the version, progress
    }
}

const WorkerProfile& profileOf(PortKind kind) {
    return kind == PortKind::Com ? TComThread : TUsbThread;
}

std::size_t settingsBytes(int configByte) {
    return static_cast<std::size_t>(settingsBlocks(configByte & 0xFF)) * kBlockBytes;
}
std::size_t codesBytes(int configByte) {
    return static_cast<std::size_t>(codesBlocks(configByte & 0xFF)) * kBlockBytes;
}

std::array<std::uint8_t, 4> requestFrame(LinkCommand command, int configByte) {
    if (command == LinkCommand::Connect) return kConnectRequest;
    if (command == LinkCommand::EnterLoader) return kLoaderRequest;
    std::array<std::uint8_t, 4> r{0x55, static_cast<std::uint8_t>(configByte & 0xFF),
                                  static_cast<std::uint8_t>(command), 0};
    r[3] = crcOf(std::span(r).first<3>());
    return r;
}

std::vector<std::uint8_t> dataFrame(std::span<const int> data) {
    std::vector<std::uint8_t> frame;
    frame.reserve(data.size() + 3);
    frame.push_back(kFrameHeader);
    frame.push_back(kFrameHeader);
    for (int v : data) frame.push_back(static_cast<std::uint8_t>(v & 0xFF));
    frame.push_back(crcOf(frame));
    return frame;
}

std::optional<std::size_t> firmwareLength(std::span<const int> image) {
    if (image.size() < 6) return std::nullopt;
    const std::size_t total = static_cast<std::size_t>((image[4] & 0xFF) * 256 + (image[5] & 0xFF)) + 7;
    if (image.size() < total) return std::nullopt;
    return total;
}

LinkWorker::LinkWorker(LinkPort& port, Sleeper& sleeper, LinkEventSink& sink, std::stop_token stop)
    : m_port(port),
      m_sleeper(sleeper),
      m_sink(sink),
      m_stop(std::move(stop)),
      m_profile(profileOf(port.kind())) {}

void LinkWorker::post(LinkEvent event) {
    // A stopped exchange shows nothing more: the installer has already broken the link.
    if (!stopped()) m_sink.post(event, m_stop);
}

StepResult LinkWorker::fail(LinkEventCode event) {
    post({event});
    return StepResult::ended(StepStatus::Failed, event);
}

StepResult LinkWorker::portFailure(const IoOutcome& outcome) {
    if (outcome.status == IoStatus::Cancelled || stopped()) return StepResult::ended(StepStatus::Stopped);
    // A port that failed (a write that did not go out, a device gone) ends the exchange where
    // the installer can see it.
    StepResult r = fail(LinkEventCode::NotConnected);
    r.systemText = outcome.systemText;
    return r;
}

std::optional<StepResult> LinkWorker::sendByte(std::uint8_t b) {
    if (IoOutcome o = m_port.writeByte(b); !o.ok()) return portFailure(o);
    if (!m_profile.echo) return std::nullopt;
    std::uint8_t echo = 0;
    return readByte(m_profile.byteTries, echo);
}

std::optional<StepResult> LinkWorker::readByte(int tries, std::uint8_t& value) {
    for (int i = 0; i < tries; ++i) {
        if (i > 0) m_sleeper.sleepMs(kReadBytePauseMs);
        const ByteRead r = m_port.readByte();
        if (r.ok()) {
            value = r.value;
            return std::nullopt;
        }
        if (r.outcome.status != IoStatus::TimedOut) return portFailure(r.outcome);
        if (stopped()) return StepResult::ended(StepStatus::Stopped);
    }
    // A byte that never came is a failure, never the previous byte again: a stale 0x00 would pass
    // for an acceptance or a written frame, and zeros make a frame whose CRC is right.
    return fail(LinkEventCode::TimeOut);
}

void LinkWorker::acknowledge(std::uint8_t ack) {
    // What follows an acknowledgement (the echo on the serial line, or whatever the panel sends)
    // means nothing to the exchange; its absence neither.
    if (!m_port.writeByte(ack).ok()) return;
    [[maybe_unused]] const ByteRead ignored = m_port.readByte();
}

StepResult LinkWorker::run(LinkCommand command, const StepInputs& inputs) {
    switch (command) {
        case LinkCommand::Connect:
            return connect(inputs);
        case LinkCommand::EnterLoader:
            return enterLoader(inputs);
        case LinkCommand::FirmwareStream:
            return firmwareStream(inputs);
        case LinkCommand::ReadSettings:
        case LinkCommand::ReadCodes:
            return readFrame(command, inputs);
        case LinkCommand::WriteSettings:
        case LinkCommand::WriteCodes:
            return writeFrame(command, inputs);
    }
    return StepResult::ended(StepStatus::Refused);
}

StepResult LinkWorker::connect(const StepInputs& in) {
    if (stopped()) return StepResult::ended(StepStatus::Stopped);
    std::array<std::uint8_t, 4> reply{};
    bool answered = false;
    for (int attempt = 1; attempt <= kConnectAttempts && !answered; ++attempt) {
        post({LinkEventCode::Attempt, attempt});
        if (stopped()) return StepResult::ended(StepStatus::Stopped);
        // A late reply to the previous attempt, or its echo, is not this attempt's answer.
        if (IoOutcome o = m_port.purge(); !o.ok()) return portFailure(o);
        if (IoOutcome o = m_port.writeBlock(kConnectRequest); !o.ok()) return portFailure(o);
        if (m_profile.echo) {
            std::array<std::uint8_t, 4> echo{};
            if (BlockRead r = m_port.readBlock(echo);
                !r.outcome.ok() && r.outcome.status != IoStatus::TimedOut)
                return portFailure(r.outcome);
        }
        if (stopped()) return StepResult::ended(StepStatus::Stopped);
        m_sleeper.sleepMs(m_profile.connectPauseMs);
        if (stopped()) return StepResult::ended(StepStatus::Stopped);
        reply = {};
        if (BlockRead r = m_port.readBlock(reply); !r.outcome.ok() && r.outcome.status != IoStatus::TimedOut)
            return portFailure(r.outcome);
        answered = reply[0] == kReplyHeader || reply[1] == kReplyHeader;
    }
    if (!answered) {
        post({LinkEventCode::NoAnswer});
        acknowledge(kReject);
        m_port.close();
        StepResult r = StepResult::ended(StepStatus::Failed, LinkEventCode::NoAnswer);
        r.portClosed = true;
        return r;
    }
    // The type is taken only from a reply whose CRC holds.
    if (reply[3] != crcOf(std::span(reply).first<3>())) {
        post({LinkEventCode::ConnectCrcError});
        acknowledge(kReject);
        return StepResult::ended(StepStatus::Failed, LinkEventCode::ConnectCrcError);
    }
    StepResult r;
    r.deviceType = reply[2];
    if (r.deviceType != kDeviceTypeV && r.deviceType != kDeviceTypeCv) {
        // The rejection goes out first: the window closes the editor, and the link with it.
        acknowledge(kReject);
        post({LinkEventCode::WrongDevice});
        r.status = StepStatus::Failed;
        r.event = LinkEventCode::WrongDevice;
        return r;
    }
    acknowledge(kAccept);
    if (!in.firmwareChanged) post({LinkEventCode::CheckingVersion});
    return r;
}

StepResult LinkWorker::enterLoader(const StepInputs& in) {
    if (stopped()) return StepResult::ended(StepStatus::Stopped);
    std::array<std::uint8_t, 4> reply{};
    if (m_profile.requestAsBlock) {
        if (IoOutcome o = m_port.writeBlock(kLoaderRequest); !o.ok()) return portFailure(o);
        if (stopped()) return StepResult::ended(StepStatus::Stopped);
        m_sleeper.sleepMs(m_profile.loaderPauseMs);
        if (stopped()) return StepResult::ended(StepStatus::Stopped);
        if (BlockRead r = m_port.readBlock(reply); !r.outcome.ok() && r.outcome.status != IoStatus::TimedOut)
            return portFailure(r.outcome);
    } else {
        for (std::uint8_t b : kLoaderRequest) {
            if (auto failed = sendByte(b)) return *failed;
            if (stopped()) return StepResult::ended(StepStatus::Stopped);
        }
        m_sleeper.sleepMs(m_profile.loaderPauseMs);
        if (stopped()) return StepResult::ended(StepStatus::Stopped);
        for (std::uint8_t& b : reply)
            if (auto failed = readByte(m_profile.byteTries, b)) return *failed;
    }
    if (reply[0] != kReplyHeader || reply[1] != kReplyHeader || reply[2] != (in.deviceType & 0xFF) ||
        reply[3] != crcOf(std::span(reply).first<3>())) {
        acknowledge(kReject);
        return StepResult::ended(StepStatus::Failed);
    }
    acknowledge(kAccept);
    return {};
}

StepResult LinkWorker::firmwareStream(const StepInputs& in) {
    const auto total = firmwareLength(in.data);
    if (!total) return StepResult::ended(StepStatus::Refused);
    for (std::size_t i = 0; i < *total; ++i) {
        if (auto failed = sendByte(static_cast<std::uint8_t>(in.data[i] & 0xFF))) return *failed;
        if (stopped()) {
            if (m_profile.requestAsBlock) {
                // The bridge goes on sending what it holds unless it is purged.
                m_port.purge();
                m_port.close();
            }
            StepResult r = StepResult::ended(StepStatus::Stopped);
            r.portClosed = m_profile.requestAsBlock;
            return r;
        }
        if (i % kFirmwareChunkBytes == kFirmwareChunkBytes - 1) {
            m_sleeper.sleepMs(kFirmwarePauseMs);
            post({LinkEventCode::Progress, 0, static_cast<int>((i + 1) * 100 / *total)});
        }
    }
    post({LinkEventCode::Progress, 0, 100});
    std::uint8_t status = 0xFF;
    if (auto failed = readByte(m_profile.statusTries, status)) return *failed;
    if (status != kAccept) return fail(LinkEventCode::ExchangeError);
    post({LinkEventCode::FirmwareLoaded});
    return {};
}

std::optional<StepResult> LinkWorker::sendRequest(LinkCommand command, int configByte) {
    if (stopped()) return StepResult::ended(StepStatus::Stopped);
    const auto request = requestFrame(command, configByte);
    if (m_profile.requestAsBlock) {
        if (IoOutcome o = m_port.writeBlock(request); !o.ok()) return portFailure(o);
    } else {
        for (std::uint8_t b : request)
            if (auto failed = sendByte(b)) return failed;
    }
    if (stopped()) return StepResult::ended(StepStatus::Stopped);
    // Each poll is one try of the port: a silent poll waits the port's time-out, not a ReadByte.
    for (int poll = 0; poll < kAcceptancePolls; ++poll) {
        m_sleeper.sleepMs(kAcceptancePauseMs);
        const ByteRead r = m_port.readByte();
        if (r.ok() && r.value == kAccept) {
            if (stopped()) return StepResult::ended(StepStatus::Stopped);
            return std::nullopt;
        }
        if (!r.ok() && r.outcome.status != IoStatus::TimedOut) return portFailure(r.outcome);
        if (stopped()) return StepResult::ended(StepStatus::Stopped);
    }
    return fail(LinkEventCode::ExchangeError);
}

StepResult LinkWorker::readFrame(LinkCommand command, const StepInputs& in) {
    const std::size_t n = isSettings(command) ? settingsBytes(in.configByte) : codesBytes(in.configByte);
    if (auto refused = sendRequest(command, in.configByte)) return *refused;
    std::vector<std::uint8_t> frame(n + 3);
    for (std::uint8_t& b : frame)
        if (auto failed = readByte(m_profile.byteTries, b)) return *failed;
    if (stopped()) return StepResult::ended(StepStatus::Stopped);
    // The header is not examined: a frame is judged by its CRC alone.
    if (frame[n + 2] != crcOf(std::span(frame).first(n + 2))) {
        post({LinkEventCode::ExchangeError});
        acknowledge(kReject);
        StepResult r = StepResult::ended(StepStatus::Failed, LinkEventCode::ExchangeError);
        if (command == LinkCommand::ReadSettings && m_profile.requestAsBlock) {
            m_port.close();
            r.portClosed = true;
        }
        return r;
    }
    acknowledge(kAccept);
    StepResult r;
    r.image.assign(frame.begin() + 2, frame.begin() + 2 + static_cast<std::ptrdiff_t>(n));
    if (command == LinkCommand::ReadSettings && !in.versionCheckPending) post({LinkEventCode::ReadDone});
    return r;
}

StepResult LinkWorker::writeFrame(LinkCommand command, const StepInputs& in) {
    const std::size_t n = isSettings(command) ? settingsBytes(in.configByte) : codesBytes(in.configByte);
    // An image shorter than the panel expects would send whatever lies beyond it.
    if (in.data.size() < n) return StepResult::ended(StepStatus::Refused);
    if (auto refused = sendRequest(command, in.configByte)) return *refused;
    for (std::uint8_t b : dataFrame(in.data.first(n)))
        if (auto failed = sendByte(b)) return *failed;
    std::uint8_t status = 0xFF;
    if (auto failed = readByte(m_profile.statusTries, status)) return *failed;
    if (status != kAccept) return fail(LinkEventCode::ExchangeError);
    if (command == LinkCommand::WriteSettings) post({LinkEventCode::WriteDone});
    return {};
}

}  // namespace livna::setka
