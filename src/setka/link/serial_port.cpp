#include "setka/link/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>

#include "usblink/fifo_platform.h"

namespace livna::setka {

namespace {

using Clock = std::chrono::steady_clock;

IoOutcome systemFailure(int err) {
    // A pty whose other side has gone answers EIO; a serial adapter pulled out, ENXIO or ENODEV.
    const bool gone = err == EIO || err == ENXIO || err == ENODEV;
    return {gone ? IoStatus::Closed : IoStatus::Failed, systemErrorText(err)};
}

class SerialLinkPort : public LinkPort {
public:
    SerialLinkPort(int fd, int wakeRead, int wakeWrite)
        : m_fd(fd), m_wakeRead(wakeRead), m_wakeWrite(wakeWrite) {}
    ~SerialLinkPort() override {
        close();
        ::close(m_wakeRead);
        ::close(m_wakeWrite);
    }

    PortKind kind() const override { return PortKind::Com; }

    IoOutcome writeByte(std::uint8_t byte) override {
        return write(std::span<const std::uint8_t>(&byte, 1), kSerialByteTimeoutMs);
    }
    ByteRead readByte() override {
        ByteRead r;
        std::size_t count = 0;
        r.outcome = read(std::span<std::uint8_t>(&r.value, 1), kSerialByteTimeoutMs, count);
        return r;
    }
    IoOutcome writeBlock(std::span<const std::uint8_t, 4> bytes) override {
        return write(bytes, kSerialBlockTimeoutMs);
    }
    BlockRead readBlock(std::span<std::uint8_t, 4> bytes) override {
        BlockRead r;
        r.outcome = read(bytes, kSerialBlockTimeoutMs, r.count);
        return r;
    }
    IoOutcome purge() override {
        std::lock_guard lock(m_io);
        if (IoOutcome o = usable(); !o.ok()) return o;
        if (::tcflush(m_fd, TCIOFLUSH) != 0) return systemFailure(errno);
        return IoOutcome::success();
    }

    void cancel() override {
        m_cancelled = true;
        const std::uint8_t b = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeWrite, &b, 1);
    }
    void rearm() override {
        m_cancelled = false;
        std::uint8_t sink[64];
        while (::read(m_wakeRead, sink, sizeof sink) > 0) {
        }
    }
    void close() override {
        m_closed = true;
        cancel();
        // The call in flight wakes up and returns; after that the descriptor is ours alone.
        std::lock_guard lock(m_io);
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
            m_fd = -1;
        }
    }
    bool isOpen() const override { return !m_closed; }

private:
    IoOutcome usable() const {
        if (m_closed || m_fd < 0) return {IoStatus::Closed, systemErrorText(EBADF)};
        if (m_cancelled) return {IoStatus::Cancelled, {}};
        return IoOutcome::success();
    }

    // Waits until the device is ready for events, the deadline passes or the port is cancelled.
    IoOutcome waitFor(short events, Clock::time_point deadline) {
        for (;;) {
            if (IoOutcome o = usable(); !o.ok()) return o;
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return {IoStatus::TimedOut, {}};
            pollfd fds[2] = {{m_fd, events, 0}, {m_wakeRead, POLLIN, 0}};
            const int r = ::poll(fds, 2, static_cast<int>(left));
            if (r < 0) {
                if (errno == EINTR) continue;
                return systemFailure(errno);
            }
            if (fds[1].revents != 0) continue;  // usable() tells cancel from close
            if ((fds[0].revents & POLLNVAL) != 0) return {IoStatus::Closed, systemErrorText(EBADF)};
            if ((fds[0].revents & (events | POLLHUP | POLLERR)) != 0) return IoOutcome::success();
        }
    }

    IoOutcome read(std::span<std::uint8_t> bytes, int timeoutMs, std::size_t& count) {
        std::lock_guard lock(m_io);
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        count = 0;
        while (count < bytes.size()) {
            if (IoOutcome o = waitFor(POLLIN, deadline); !o.ok()) return o;
            const ssize_t n = ::read(m_fd, bytes.data() + count, bytes.size() - count);
            if (n > 0) {
                count += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return systemFailure(errno);
            } else if (n == 0) {
                return {IoStatus::Closed, systemErrorText(EIO)};
            }
        }
        return IoOutcome::success();
    }

    IoOutcome write(std::span<const std::uint8_t> bytes, int timeoutMs) {
        std::lock_guard lock(m_io);
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t done = 0;
        while (done < bytes.size()) {
            if (IoOutcome o = usable(); !o.ok()) return o;
            const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return systemFailure(errno);
            } else if (IoOutcome o = waitFor(POLLOUT, deadline); !o.ok()) {
                return o;
            }
        }
        return IoOutcome::success();
    }

    std::mutex m_io;  // held by the one call in flight; close() takes it to release the device
    int m_fd;
    const int m_wakeRead;
    const int m_wakeWrite;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_closed{false};
};

// Raw 8N1 at 1200 baud, set field by field: a driver's defaults (canonical mode, echo, CR/LF
// translation, XON/XOFF eating 0x11 and 0x13) would corrupt the binary frames.
bool setLine(int fd, std::string& error) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        error = systemErrorText(errno);
        return false;
    }
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                        IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, B1200) != 0 || ::cfsetospeed(&t, B1200) != 0 || ::tcsetattr(fd, TCSANOW, &t) != 0) {
        error = systemErrorText(errno);
        return false;
    }
    // tcsetattr succeeds when any one change took; read back what the driver kept.
    termios got{};
    if (::tcgetattr(fd, &got) != 0) {
        error = systemErrorText(errno);
        return false;
    }
    const tcflag_t cflagMask = CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL;
    if ((got.c_cflag & cflagMask) != (t.c_cflag & cflagMask) || ::cfgetospeed(&got) != B1200 ||
        (got.c_lflag & (ICANON | ECHO)) != 0 || (got.c_iflag & (IXON | IXOFF | ICRNL)) != 0) {
        error = systemErrorText(EINVAL);
        return false;
    }
    return true;
}

}  // namespace

std::string defaultComRoot() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') return std::string(runtime) + "/livna-com";
    return "/tmp/livna-com-" + std::to_string(::getuid());
}

std::string comDevicePath(const std::string& root, int comNumber, std::string& error) {
    error = checkPrivateRoot(root, defaultComRoot(), true);
    if (!error.empty()) return {};
    std::string link = root + "/COM" + std::to_string(comNumber);
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) return link;
    return "/dev/ttyS" + std::to_string(comNumber - 1);
}

PortOpenResult openSerialPort(const std::string& root, int comNumber, Sleeper& sleeper) {
    if (comNumber < kFirstComNumber || comNumber > kLastComNumber) return {nullptr, systemErrorText(ENODEV)};
    std::string error;
    const std::string path = comDevicePath(root, comNumber, error);
    if (path.empty()) return {nullptr, error};
    return openSerialDevice(path, sleeper);
}

PortOpenResult openSerialDevice(const std::string& path, Sleeper& sleeper) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {nullptr, systemErrorText(errno)};
    auto fail = [fd](int err) {
        ::close(fd);
        return PortOpenResult{nullptr, systemErrorText(err)};
    };
    // TIOCEXCL keeps other programs out, but not root; the lock keeps out every setka.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    if (::ioctl(fd, TIOCEXCL) != 0) return fail(errno);
    std::string error;
    if (!setLine(fd, error)) {
        ::close(fd);
        return {nullptr, error};
    }
    // A pty has no modem lines: failing to raise them is no reason to refuse the port.
    int lines = TIOCM_DTR | TIOCM_RTS;
    [[maybe_unused]] const int r = ::ioctl(fd, TIOCMBIS, &lines);
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return fail(errno);
    auto port = std::make_unique<SerialLinkPort>(fd, wake[0], wake[1]);
    sleeper.sleepMs(kSerialSettleMs);
    return {std::move(port), {}};
}

}  // namespace livna::setka
