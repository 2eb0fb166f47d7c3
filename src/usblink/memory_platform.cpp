#include "usblink/memory_platform.h"

#include <algorithm>
#include <optional>

namespace livna {

struct MemoryUsbPlatform::Device {
    MemoryDeviceEnd* end = nullptr;  // null: listed but not served
    bool plugged = true;
    std::deque<std::uint8_t> toPc;
    int openPipes = 0;
    std::string openError[2];
    IoOutcome ioFailure[2];
};

namespace {

int roleIndex(PipeRole role) {
    return role == PipeRole::Write ? 0 : 1;
}

IoOutcome gone() {
    return {IoStatus::Closed, "The device is not connected."};
}

class MemoryPipe : public UsbPipe {
public:
    MemoryPipe(std::shared_ptr<MemoryUsbPlatform::Device> device, PipeRole role)
        : m_device(std::move(device)), m_role(role) {
        ++m_device->openPipes;
    }
    ~MemoryPipe() override { --m_device->openPipes; }

    IoOutcome write(std::span<const std::uint8_t> bytes, int) override {
        if (auto failure = check()) return *failure;
        std::vector<std::uint8_t> reply;
        m_device->end->fromPc(bytes, reply);
        m_device->toPc.insert(m_device->toPc.end(), reply.begin(), reply.end());
        return IoOutcome::success();
    }

    IoOutcome read(std::span<std::uint8_t> bytes, int) override {
        if (auto failure = check()) return *failure;
        auto& q = m_device->toPc;
        const std::size_t n = std::min(bytes.size(), q.size());
        std::copy_n(q.begin(), n, bytes.begin());
        q.erase(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(n));
        // Nothing more can arrive while the PC waits: the device answers only inside write().
        return n == bytes.size() ? IoOutcome::success() : IoOutcome{IoStatus::TimedOut, {}};
    }

    IoOutcome flush(int) override {
        if (auto failure = check()) return *failure;
        if (m_role == PipeRole::Read) m_device->toPc.clear();
        return IoOutcome::success();
    }

private:
    std::optional<IoOutcome> check() const {
        if (!m_device->plugged) return gone();
        const IoOutcome& f = m_device->ioFailure[roleIndex(m_role)];
        if (!f.ok()) return f;
        return std::nullopt;
    }

    std::shared_ptr<MemoryUsbPlatform::Device> m_device;
    PipeRole m_role;
};

}  // namespace

MemoryUsbPlatform::MemoryUsbPlatform() = default;
MemoryUsbPlatform::~MemoryUsbPlatform() = default;

void MemoryUsbPlatform::addDevice(const std::string& path, MemoryDeviceEnd& end) {
    auto d = std::make_shared<Device>();
    d->end = &end;
    if (m_devices.find(path) == m_devices.end()) m_order.push_back(path);
    m_devices[path] = std::move(d);
}

void MemoryUsbPlatform::addAbsentDevice(const std::string& path) {
    if (m_devices.find(path) == m_devices.end()) m_order.push_back(path);
    m_devices[path] = std::make_shared<Device>();
}

void MemoryUsbPlatform::removeDevice(const std::string& path) {
    auto it = m_devices.find(path);
    if (it == m_devices.end()) return;
    it->second->plugged = false;
    m_devices.erase(it);
    m_order.erase(std::remove(m_order.begin(), m_order.end(), path), m_order.end());
}

void MemoryUsbPlatform::failOpen(const std::string& path, PipeRole role, const std::string& systemText) {
    m_devices.at(path)->openError[roleIndex(role)] = systemText;
}

void MemoryUsbPlatform::failIo(const std::string& path, PipeRole role, IoStatus status,
                               const std::string& systemText) {
    m_devices.at(path)->ioFailure[roleIndex(role)] = {status, systemText};
}

int MemoryUsbPlatform::openPipeCount(const std::string& path) const {
    auto it = m_devices.find(path);
    return it == m_devices.end() ? 0 : it->second->openPipes;
}

std::size_t MemoryUsbPlatform::pendingToPc(const std::string& path) const {
    auto it = m_devices.find(path);
    return it == m_devices.end() ? 0 : it->second->toPc.size();
}

EnumerateResult MemoryUsbPlatform::enumerateInterfaces() {
    if (!m_enumerationError.empty()) return {{}, m_enumerationError};
    return {m_order, {}};
}

PipeOpenResult MemoryUsbPlatform::openPipe(const std::string& devicePath, PipeRole role) {
    auto it = m_devices.find(devicePath);
    if (it == m_devices.end() || it->second->end == nullptr)
        return {PipeOpenResult::Status::NotPresent, nullptr, {}};
    const std::string& error = it->second->openError[roleIndex(role)];
    if (!error.empty()) return {PipeOpenResult::Status::Failed, nullptr, error};
    return {PipeOpenResult::Status::Opened, std::make_unique<MemoryPipe>(it->second, role), {}};
}

}  // namespace livna
