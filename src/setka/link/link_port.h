#pragma once
// The port setka talks to the panel through: a serial COM port or the Ливна-470 FTDI bridge,
// both at 1200 baud 8N1. A port reports outcomes and the system's text; the windows decide
// what the installer sees.
//
// Thread safety: one thread uses a port at a time (the link worker that owns the exchange).
// Any other thread may only call cancel() and close(), at any moment.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "setka/editor/link_context.h"
#include "usblink/usb_platform.h"

namespace livna::setka {

/// COM port numbers the main window offers.
inline constexpr int kFirstComNumber = 1;
inline constexpr int kLastComNumber = 10;

/// Time limits of one port call (the time-outs the ports are set up with).
inline constexpr int kSerialByteTimeoutMs = 110;   ///< one byte: 100 ms per byte + 10 ms
inline constexpr int kSerialBlockTimeoutMs = 410;  ///< four bytes: 4 × 100 ms + 10 ms
inline constexpr int kFtdiTimeoutMs = 100;         ///< any read or write of the bridge

/// Waits after the serial port's set-up before the first exchange.
inline constexpr int kSerialSettleMs = 300;

/// A one-byte read: the byte when status is Ok; TimedOut when nothing arrived in time.
struct ByteRead {
    IoOutcome outcome;
    std::uint8_t value = 0;
    bool ok() const { return outcome.ok(); }
};

/// A four-byte read: count bytes arrived (the rest of the caller's buffer is untouched); Ok only
/// when all four did.
struct BlockRead {
    IoOutcome outcome;
    std::size_t count = 0;
};

class LinkPort {
public:
    virtual ~LinkPort() = default;

    virtual PortKind kind() const = 0;

    virtual IoOutcome writeByte(std::uint8_t byte) = 0;
    /// One try, bounded by the kind's byte time-out.
    virtual ByteRead readByte() = 0;
    virtual IoOutcome writeBlock(std::span<const std::uint8_t, 4> bytes) = 0;
    /// One try, bounded by the kind's block time-out.
    virtual BlockRead readBlock(std::span<std::uint8_t, 4> bytes) = 0;
    /// Discards what was received and not read and what was written and not yet sent.
    virtual IoOutcome purge() = 0;

    /// Makes the call in flight and every later call return Cancelled, until rearm(). Any thread.
    virtual void cancel() = 0;
    /// Lets calls through again after cancel(); called by the owning thread before its exchange.
    virtual void rearm() = 0;
    /// Cancels the call in flight, waits until it has returned and releases the device: no thread
    /// touches it afterwards, and every later call returns Closed. Any thread; idempotent.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

/// An opened port, or the reason it did not open.
struct PortOpenResult {
    std::unique_ptr<LinkPort> port;
    std::string systemText;  ///< the system's text when port is empty
};

/// The message the installer sees when a port does not open.
std::string openFailureMessage(PortKind kind, int comNumber);

class FtdiApi;

/// What the ports are opened through; chosen where the program is assembled.
struct PortBackends {
    std::string comRoot;         ///< where COMn links are looked for (serial_port.h)
    FtdiApi* ftdi = nullptr;     ///< the bridge's library
    Sleeper* sleeper = nullptr;  ///< the serial port's settling pause
};

/// Opens the serial port COMn or the bridge (comNumber unused).
PortOpenResult openLinkPort(PortKind kind, int comNumber, const PortBackends& backends);

}  // namespace livna::setka
