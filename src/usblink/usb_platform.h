#pragma once
// The seam between the direct USB link and the operating system: an enumerator of the panel's
// device interface and the two byte pipes beneath each device path. Backends: FIFO folders on
// Linux (fifo_platform.h) and in-memory devices for tests and the in-process simulator
// (memory_platform.h). The program picks one where it is assembled.
//
// Thread safety: none. A platform and its pipes are used from one thread at a time.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace livna {

/// Device interface class of the panel's USB driver.
inline constexpr const char* kUsbInterfaceGuid = "{E6EF7DCD-1795-4A08-9FBF-AA78423C26F0}";
inline constexpr const char* kWritePipeName = "PIPE00";  ///< PC to panel
inline constexpr const char* kReadPipeName = "PIPE01";   ///< panel to PC

/// Outcome of one pipe operation. Each code has one meaning.
enum class IoStatus {
    Ok,
    TimedOut,   ///< the time limit passed before the operation completed
    Closed,     ///< the other side is gone (end of file, broken pipe)
    Failed,     ///< any other error of the operating system
    Cancelled,  ///< the caller's side cancelled the operation (setka's LinkPort::cancel)
};

struct IoOutcome {
    IoStatus status = IoStatus::Ok;
    std::string systemText;  ///< the system's message text for Closed and Failed

    bool ok() const { return status == IoStatus::Ok; }
    /// Closed and Failed come from the operating system and are shown to the user; a time-out is not.
    bool isSystemError() const { return status == IoStatus::Closed || status == IoStatus::Failed; }
    static IoOutcome success() { return {}; }
};

/// One direction of a device: the write pipe or the read pipe.
class UsbPipe {
public:
    virtual ~UsbPipe() = default;
    /// Writes all of bytes in one call of the caller's, within the time limit.
    virtual IoOutcome write(std::span<const std::uint8_t> bytes, int timeoutMs) = 0;
    /// Reads exactly bytes.size() bytes within the time limit. On failure the content of bytes is
    /// unspecified.
    virtual IoOutcome read(std::span<std::uint8_t> bytes, int timeoutMs) = 0;
    /// Write pipe: waits until the device has taken what was written. Read pipe: discards the
    /// bytes not yet read.
    virtual IoOutcome flush(int timeoutMs) = 0;
};

enum class PipeRole { Write, Read };

struct PipeOpenResult {
    enum class Status {
        Opened,
        NotPresent,  ///< nobody serves this device: it is not a present panel
        Failed,      ///< an error of the operating system, in systemText
        InUse,       ///< another program (or another link in this one) holds the device's pipes
    };
    Status status = Status::Failed;
    std::unique_ptr<UsbPipe> pipe;  ///< set when Opened
    std::string systemText;
};

struct EnumerateResult {
    std::vector<std::string> devicePaths;  ///< in a stable order
    std::string systemText;                ///< non-empty when the enumeration itself failed
};

class UsbPlatform {
public:
    virtual ~UsbPlatform() = default;
    /// Device paths of the interfaces of class kUsbInterfaceGuid.
    virtual EnumerateResult enumerateInterfaces() = 0;
    /// Opens the write pipe (kWritePipeName) or the read pipe (kReadPipeName) of a device path.
    virtual PipeOpenResult openPipe(const std::string& devicePath, PipeRole role) = 0;
};

/// The protocol's pauses go through this, so that tests can record them without waiting.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleepMs(int ms) = 0;
};

/// Sleeps on the steady clock.
class SystemSleeper : public Sleeper {
public:
    void sleepMs(int ms) override;
};

/// Records each pause and advances a virtual clock instead of waiting.
class RecordingSleeper : public Sleeper {
public:
    void sleepMs(int ms) override {
        m_pauses.push_back(ms);
        m_nowMs += ms;
    }
    const std::vector<int>& pauses() const { return m_pauses; }
    int totalMs() const {
        int sum = 0;
        for (int p : m_pauses) sum += p;
        return sum;
    }
    /// Virtual time: the sum of the pauses so far, and of the waits advanced by a simulated line.
    double nowMs() const { return m_nowMs; }
    /// Moves virtual time on without a pause of the caller's: a simulated device waiting.
    void advanceMs(double ms) { m_nowMs += ms; }
    void clear() { m_pauses.clear(); }

private:
    std::vector<int> m_pauses;
    double m_nowMs = 0;
};

}  // namespace livna
