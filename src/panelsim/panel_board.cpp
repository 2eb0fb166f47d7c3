#include "panelsim/panel_board.h"

#include <algorithm>
#include <cstdio>

#include "common/version_code.h"

namespace livna::panelsim {

std::size_t imageBlocks(PanelSystem system) {
    return system == PanelSystem::Kv ? 9 : 8;
}

const char* factoryDefaultFile(PanelSystem system) {
    return system == PanelSystem::Kv ? "Conf/640dkvdef.cfg" : "Conf/640dkvmdef.cfg";
}

PanelConfig PanelConfig::forSystem(PanelSystem system) {
    PanelConfig c;
    c.system = system;
    c.versionCode = system == PanelSystem::Kv ? kKvVersionCode : kKvmVersionCode;
    return c;
}

PanelBoard::PanelBoard(PanelConfig config)
    : m_config(std::move(config)), m_storage(kStorageBlocks * kBlockSize, 0) {}

void PanelBoard::installFirmware(unsigned versionCode) {
    m_config.versionCode = versionCode;
    const int major = firmwareVersionParts(static_cast<int>(versionCode)).major;
    if (major == kKvmFirmwareMajor) m_config.system = PanelSystem::Kvm;
    if (major == kKvFirmwareMajor) m_config.system = PanelSystem::Kv;
    const std::size_t settingsBlocks = imageBlocks(PanelSystem::Kv);
    std::fill(m_storage.begin(), m_storage.begin() + static_cast<std::ptrdiff_t>(settingsBlocks * kBlockSize),
              0xFF);
}

std::span<std::uint8_t, 256> PanelBoard::block(std::size_t b) {
    return std::span<std::uint8_t, 256>(m_storage.data() + b * kBlockSize, kBlockSize);
}

std::span<const std::uint8_t, 256> PanelBoard::block(std::size_t b) const {
    return std::span<const std::uint8_t, 256>(m_storage.data() + b * kBlockSize, kBlockSize);
}

SettingsImage PanelBoard::image() const {
    const std::size_t n = imageBlocks(m_config.system) * kBlockSize;
    return SettingsImage(
        std::vector<std::int32_t>(m_storage.begin(), m_storage.begin() + static_cast<std::ptrdiff_t>(n)));
}

void PanelBoard::loadImage(const SettingsImage& image) {
    const std::size_t n = std::min(image.size(), m_storage.size());
    for (std::size_t i = 0; i < n; ++i) m_storage[i] = static_cast<std::uint8_t>(image[i] & 0xFF);
}

const PanelFault* PanelBoard::fault(PanelFault::Kind kind, std::optional<int> block) const {
    for (const PanelFault& f : m_config.faults) {
        if (f.kind != kind) continue;
        if (!f.block || (block && *f.block == *block)) return &f;
    }
    return nullptr;
}

void PanelBoard::record(double timeMs, std::string text) {
    if (m_log != nullptr) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%.3f ", timeMs);
        *m_log << stamp << text << '\n' << std::flush;
    }
    if (m_events.size() == kEventRecordLimit) m_events.pop_front();
    m_events.push_back({timeMs, std::move(text)});
}

void PanelBoard::notifyAcceptedWrite(int block) {
    if (m_onAcceptedWrite) m_onAcceptedWrite(*this, block);
}

std::size_t PanelBoard::allowSend(std::size_t n) {
    auto& faults = m_config.faults;
    auto it = std::find_if(faults.begin(), faults.end(),
                           [](const PanelFault& f) { return f.kind == PanelFault::Kind::SilentAfter; });
    std::size_t allowed = n;
    if (it != faults.end() && m_bytesSent + n > it->bytes) {
        allowed = it->bytes > m_bytesSent ? it->bytes - m_bytesSent : 0;
        faults.erase(it);  // one silence: the next exchange is answered again
    }
    m_bytesSent += allowed;
    return allowed;
}

}  // namespace livna::panelsim
