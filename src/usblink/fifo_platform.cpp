#include "usblink/fifo_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>  // NOLINT(modernize-deprecated-headers): sigaction and sigprocmask are POSIX
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "usblink/system_platform.h"

namespace livna {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kFlushPollInterval = std::chrono::microseconds(200);

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

IoOutcome failure(int err) {
    if (err == EPIPE) return {IoStatus::Closed, systemErrorText(err)};
    return {IoStatus::Failed, systemErrorText(err)};
}

class FifoPipe : public UsbPipe {
public:
    FifoPipe(int fd, PipeRole role) : m_fd(fd), m_role(role) {}
    ~FifoPipe() override { ::close(m_fd); }
    FifoPipe(const FifoPipe&) = delete;
    FifoPipe& operator=(const FifoPipe&) = delete;

    IoOutcome write(std::span<const std::uint8_t> bytes, int timeoutMs) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) return failure(errno);
            if (auto o = waitFor(POLLOUT, deadline); !o.ok()) return o;
        }
        return IoOutcome::success();
    }

    IoOutcome read(std::span<std::uint8_t> bytes, int timeoutMs) override {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            // End of file: the publisher has closed its end, the panel is gone.
            if (n == 0) return {IoStatus::Closed, systemErrorText(ENODEV)};
            if (errno == EINTR) continue;
            if (errno != EAGAIN) return failure(errno);
            if (auto o = waitFor(POLLIN, deadline); !o.ok()) return o;
        }
        return IoOutcome::success();
    }

    IoOutcome flush(int timeoutMs) override {
        return m_role == PipeRole::Write ? waitUntilTaken(timeoutMs) : discardUnread();
    }

private:
    IoOutcome waitFor(short events, Clock::time_point deadline) {
        for (;;) {
            const int left = remainingMs(deadline);
            if (left == 0) return {IoStatus::TimedOut, {}};
            pollfd p{m_fd, events, 0};
            const int r = ::poll(&p, 1, left);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) return failure(errno);
            if (r == 0) return {IoStatus::TimedOut, {}};
            // POLLHUP / POLLERR: the next read or write reports the cause.
            return IoOutcome::success();
        }
    }

    IoOutcome waitUntilTaken(int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int pending = 0;
            if (::ioctl(m_fd, FIONREAD, &pending) < 0) return failure(errno);
            if (pending == 0) return IoOutcome::success();
            if (Clock::now() >= deadline) return {IoStatus::TimedOut, {}};
            std::this_thread::sleep_for(kFlushPollInterval);
        }
    }

    IoOutcome discardUnread() {
        std::uint8_t sink[512];
        for (;;) {
            const ssize_t n = ::read(m_fd, sink, sizeof sink);
            if (n > 0) continue;
            if (n == 0) return {IoStatus::Closed, systemErrorText(ENODEV)};
            if (errno == EINTR) continue;
            if (errno == EAGAIN) return IoOutcome::success();
            return failure(errno);
        }
    }

    int m_fd;
    PipeRole m_role;
};

std::string checkOwnedFolder(const std::string& path, bool mayBeMissing) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT && mayBeMissing) return {};
        return path + ": " + systemErrorText(errno);
    }
    if (!S_ISDIR(st.st_mode)) return path + ": " + systemErrorText(ENOTDIR);
    // Another user's folder could hold pipes that impersonate a panel.
    if (st.st_uid != ::getuid()) return path + ": " + systemErrorText(EACCES);
    return {};
}

std::string parentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return {};
    return path.substr(0, slash);
}

}  // namespace

std::string systemErrorText(int errnoValue) {
    return std::strerror(errnoValue);
}

std::string defaultUsbRoot() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base;
    if (runtime != nullptr && runtime[0] != '\0')
        base = std::string(runtime) + "/livna-usb";
    else
        base = "/tmp/livna-usb-" + std::to_string(::getuid());
    return base + "/" + kUsbInterfaceGuid;
}

std::string checkPrivateRoot(const std::string& root, const std::string& defaultRoot, bool mayBeMissing) {
    if (std::string e = checkOwnedFolder(root, mayBeMissing); !e.empty()) return e;
    // The default root's parent is this program's own folder too: in a shared /tmp someone else
    // could create it first and swap the root beneath it.
    if (root == defaultRoot) return checkOwnedFolder(parentOf(root), mayBeMissing);
    return {};
}

std::string ensurePrivateRoot(const std::string& root, const std::string& defaultRoot) {
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = root.find('/', pos + 1);
        partial = root.substr(0, pos);
        if (partial.empty()) continue;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return partial + ": " + systemErrorText(errno);
    }
    return checkPrivateRoot(root, defaultRoot, false);
}

std::string checkUsbRoot(const std::string& root, bool mayBeMissing) {
    return checkPrivateRoot(root, defaultUsbRoot(), mayBeMissing);
}

std::string ensureUsbRoot(const std::string& root) {
    return ensurePrivateRoot(root, defaultUsbRoot());
}

FifoUsbPlatform::FifoUsbPlatform(std::string root) : m_root(std::move(root)) {
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        ::signal(SIGPIPE, SIG_IGN);
}

EnumerateResult FifoUsbPlatform::enumerateInterfaces() {
    EnumerateResult result;
    if (std::string e = checkUsbRoot(m_root, true); !e.empty()) {
        result.systemText = e;
        return result;
    }
    DIR* dir = ::opendir(m_root.c_str());
    if (dir == nullptr) {
        if (errno != ENOENT) result.systemText = m_root + ": " + systemErrorText(errno);
        return result;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = m_root + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) result.devicePaths.push_back(path);
    }
    ::closedir(dir);
    std::sort(result.devicePaths.begin(), result.devicePaths.end());
    return result;
}

PipeOpenResult FifoUsbPlatform::openPipe(const std::string& devicePath, PipeRole role) {
    const bool write = role == PipeRole::Write;
    const std::string path = devicePath + "/" + (write ? kWritePipeName : kReadPipeName);
    const int flags = (write ? O_WRONLY : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        // ENXIO: no reader on PIPE00, nobody serves the folder. ENOENT: a folder being set up or
        // removed. Neither is a present panel.
        if (errno == ENXIO || errno == ENOENT) return {PipeOpenResult::Status::NotPresent, nullptr, {}};
        return {PipeOpenResult::Status::Failed, nullptr, path + ": " + systemErrorText(errno)};
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
        ::close(fd);
        return {PipeOpenResult::Status::NotPresent, nullptr, {}};
    }
    // Held until the pipe closes; the publisher's own ends take no lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK)
            return {PipeOpenResult::Status::InUse, nullptr, path + ": " + systemErrorText(EBUSY)};
        return {PipeOpenResult::Status::Failed, nullptr, path + ": " + systemErrorText(err)};
    }
    return {PipeOpenResult::Status::Opened, std::make_unique<FifoPipe>(fd, role), {}};
}

std::unique_ptr<UsbPlatform> makeSystemUsbPlatform() {
    return std::make_unique<FifoUsbPlatform>(defaultUsbRoot());
}

}  // namespace livna
