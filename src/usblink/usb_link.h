#pragma once
// The direct USB link to the panel: discovery of the one panel on the bus, its two pipes, and the
// exchanges on them (identify, block read and write, end, raw bytes and 64-byte packets).
//
// Every exchange is synchronous and runs to completion on the calling thread, paced by the
// protocol's fixed pauses. Every pipe operation has a time limit, so a panel that stops answering
// fails the exchange through its result code instead of freezing the program. The link shows
// nothing: the first text of the operating system in an operation is kept for the caller
// (systemText()), whose window tells the installer.
//
// Thread safety: none. One UsbPipes serves the whole program from its user-interface thread.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "usblink/usb_frames.h"
#include "usblink/usb_platform.h"

namespace livna {

/// Result of an exchange. Each code has one meaning.
enum class UsbResult : int {
    Ok = 0,
    WriteFailed = 1,  ///< writing a byte of the request failed
    BadHeader = 3,    ///< the reply did not start with the expected two header bytes (or none came)
    BadReply = 4,     ///< checksum mismatch, a non-zero write status, or a reply that could not be read
};

/// The two bytes of the identify reply.
struct DeviceInfo {
    unsigned typeCode = 0;
    unsigned versionCode = 0;
    bool operator==(const DeviceInfo&) const = default;
};

inline constexpr unsigned kTypeBoardD = 31;  ///< "Ливна-640, плата d"
inline constexpr unsigned kTypeBoardM = 27;  ///< the M board
inline constexpr const char* kBoardDName = "Ливна-640, плата d";

// Pauses of the protocol, in milliseconds.
inline constexpr int kBlockRequestPauseMs = 10;  ///< after each block request frame
inline constexpr int kPacketPauseMs = 10;        ///< after each written 64-byte packet
inline constexpr int kPacketGroupPauseMs = 10;   ///< further pause after each group of four packets
inline constexpr int kCrcBytePauseMs = 10;       ///< between the two CRC bytes of a written block
inline constexpr int kWriteReplyPauseMs = 10;    ///< before reading the write reply
inline constexpr int kIdentifyPauseMs = 150;     ///< between finding the panel and identifying it

// Time limits of the pipe operations, in milliseconds.
inline constexpr int kByteWriteTimeoutMs = 1000;
inline constexpr int kPacketWriteTimeoutMs = 1000;
inline constexpr int kByteReadTimeoutMs = 1000;    ///< a byte of a reply frame or block packet
inline constexpr int kPacketReadTimeoutMs = 1000;  ///< 64 bytes of a block packet
inline constexpr int kFlushTimeoutMs = 1000;       ///< until the panel has taken what was written

using UsbPacket = std::array<std::uint8_t, kPacketSize>;

class UsbPipes {
public:
    UsbPipes(UsbPlatform& platform, Sleeper& sleeper);
    ~UsbPipes();
    UsbPipes(const UsbPipes&) = delete;
    UsbPipes& operator=(const UsbPipes&) = delete;

    /// Discovery: closes the pipes held so far, opens both pipes of every present interface and
    /// counts the devices whose two pipes opened. Keeps the pipes only when exactly one was found.
    /// Returns true in that case; count receives the number found. A device whose pipes another
    /// program holds is not counted there but in devicesInUse().
    bool UsbCountDevices(int& count);
    /// Devices at the last discovery whose pipes were refused as held by another program.
    int devicesInUse() const { return m_inUse; }

    /// Identify with command kCmdIdentify or kCmdIdentifyLoader. info is set only on Ok.
    UsbResult UsbGetDeviceInfo(std::uint8_t command, DeviceInfo& info);
    /// Reads one 256-byte block. values is set only on Ok.
    UsbResult UsbReadBlock(std::uint8_t block, std::span<std::int32_t, kUsbBlockSize> values);
    /// Writes one block; the low 8 bits of each value are sent and checksummed. Ok, WriteFailed or
    /// BadReply.
    UsbResult UsbWriteBlock(std::uint8_t block, std::span<const std::int32_t, kUsbBlockSize> values);
    /// The end command. Ok, or WriteFailed. The pipes stay open.
    UsbResult UsbSendEnd();

    /// One byte in one write call.
    bool UsbWriteByte(std::uint8_t byte);
    /// 64 bytes in one write call.
    bool UsbWritePacket(std::span<const std::uint8_t, kPacketSize> packet);
    /// One byte, or nothing when the read failed or timed out (never mistaken for a byte 0).
    std::optional<std::uint8_t> UsbReadByte(int timeoutMs = kByteReadTimeoutMs);
    /// 64 bytes in one read call, or nothing when the read failed or timed out.
    std::optional<UsbPacket> UsbReadPacket(int timeoutMs = kPacketReadTimeoutMs);

    /// Flushes both pipes and sets both handles to none; the next connect starts with discovery.
    void release();

    /// Exactly one panel was found at the last discovery (and the link has not been released).
    bool present() const { return m_present; }
    /// Both pipes are held.
    bool isOpen() const { return m_write != nullptr && m_read != nullptr; }
    /// The pacing of the link, also used for the pause before identify.
    Sleeper& sleeper() const { return m_sleeper; }

    /// The first text of the operating system in the last operation (one call, or the calls of an
    /// outermost Operation), empty when there was none. A panel pulled out mid-transfer fails every
    /// later byte as well; only the first failure is kept. Cleared when the next operation starts.
    const std::string& systemText() const { return m_systemText; }

    /// Groups several calls into one operation, so that their failures leave one text (a firmware
    /// transfer made of byte and packet writes, for example). Scopes nest.
    class Operation {
    public:
        explicit Operation(UsbPipes& pipes);
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        UsbPipes& m_pipes;
    };

private:
    bool writeBytes(std::span<const std::uint8_t> bytes, int timeoutMs);
    bool readBytes(std::span<std::uint8_t> bytes, int timeoutMs);
    bool writeFrame(std::span<const std::uint8_t> frame);
    bool flushWrite();
    bool drainRead();
    void closePipes();
    bool noteOutcome(const IoOutcome& outcome);
    void keepSystemText(const std::string& text);

    UsbPlatform& m_platform;
    Sleeper& m_sleeper;
    std::unique_ptr<UsbPipe> m_write;
    std::unique_ptr<UsbPipe> m_read;
    bool m_present = false;
    int m_inUse = 0;
    int m_operationDepth = 0;
    std::string m_systemText;
};

}  // namespace livna
