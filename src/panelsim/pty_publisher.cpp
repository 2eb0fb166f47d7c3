#include "panelsim/pty_publisher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <vector>

#include "setka/link/serial_port.h"
#include "usblink/fifo_platform.h"

namespace livna::panelsim {

namespace {

std::string describe(const std::string& what, int err) {
    return what + ": " + systemErrorText(err);
}

/// A PC that leaves its port unread fills the pty; past this wait the rest is dropped.
constexpr int kWriteTimeoutMs = 200;

}  // namespace

std::unique_ptr<PtyPanelPublisher> PtyPanelPublisher::publish(const std::string& root, int comNumber,
                                                              PanelProtocol& protocol, LineOptions options,
                                                              std::string& error) {
    error = ensurePrivateRoot(root, setka::defaultComRoot());
    if (!error.empty()) return nullptr;
    std::unique_ptr<PtyPanelPublisher> p(new PtyPanelPublisher(protocol, options));
    p->m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (p->m_master < 0 || ::grantpt(p->m_master) != 0 || ::unlockpt(p->m_master) != 0) {
        error = describe("pty", errno);
        return nullptr;
    }
    char name[128];
    if (::ptsname_r(p->m_master, name, sizeof name) != 0) {
        error = describe("pty", errno);
        return nullptr;
    }
    p->m_slave = name;
    p->m_slaveHeld = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (p->m_slaveHeld < 0) {
        error = describe(p->m_slave, errno);
        return nullptr;
    }
    // Raw from the start: nothing of the terminal's own processing on the line.
    termios t{};
    if (::tcgetattr(p->m_slaveHeld, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(p->m_slaveHeld, TCSANOW, &t);
    }
    int stop[2];
    if (::pipe2(stop, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = describe("pipe", errno);
        return nullptr;
    }
    p->m_stopRead = stop[0];
    p->m_stopWrite = stop[1];

    const std::string link = root + "/COM" + std::to_string(comNumber);
    struct stat st {};
    // A link whose pty is gone was left by a publisher that did not end cleanly.
    if (::lstat(link.c_str(), &st) == 0 && ::stat(link.c_str(), &st) != 0) ::unlink(link.c_str());
    if (::symlink(name, link.c_str()) != 0) {
        error = describe(link, errno);
        return nullptr;
    }
    p->m_link = link;
    return p;
}

PtyPanelPublisher::PtyPanelPublisher(PanelProtocol& protocol, LineOptions options)
    : m_protocol(protocol), m_options(options), m_start(Clock::now()) {}

PtyPanelPublisher::~PtyPanelPublisher() {
    // The link goes first, so that no PC finds it while the line is closing.
    if (!m_link.empty()) ::unlink(m_link.c_str());
    for (int fd : {m_master, m_slaveHeld, m_stopRead, m_stopWrite})
        if (fd >= 0) ::close(fd);
}

double PtyPanelPublisher::elapsedMs() const {
    return std::chrono::duration<double, std::milli>(Clock::now() - m_start).count();
}

void PtyPanelPublisher::requestStop() {
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_stopWrite, &b, 1);
}

double PtyPanelPublisher::crossing(double& lineFreeMs, double nowMs) const {
    if (!m_options.paced) return nowMs;
    lineFreeMs = std::max(lineFreeMs, nowMs) + kByteTimeMs;
    return lineFreeMs;
}

std::string PtyPanelPublisher::writeToPc(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    while (done < bytes.size() && Clock::now() < deadline) {
        const ssize_t w = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
        } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
            return describe(m_slave, errno);
        } else {
            pollfd o{m_master, POLLOUT, 0};
            ::poll(&o, 1, 10);
        }
    }
    return {};
}

// Delivers every byte that has finished crossing by nowMs, in order of arrival.
std::string PtyPanelPublisher::flushDue(double nowMs) {
    std::vector<std::uint8_t> toPc;
    while (!m_toPanel.empty() && m_toPanel.front().atMs <= nowMs) {
        const Timed t = m_toPanel.front();
        m_toPanel.pop_front();
        // The echo: the PC hears its own byte as it leaves the line.
        if (!m_options.echoStop || m_echoed < *m_options.echoStop) {
            toPc.push_back(t.byte);
            ++m_echoed;
        }
        std::vector<std::uint8_t> reply;
        m_protocol.receive(std::span(&t.byte, 1), t.atMs, reply);
        for (std::uint8_t b : reply) m_toPc.push_back({crossing(m_outboundFreeMs, t.atMs), b});
    }
    while (!m_toPc.empty() && m_toPc.front().atMs <= nowMs) {
        toPc.push_back(m_toPc.front().byte);
        m_toPc.pop_front();
    }
    if (toPc.empty()) return {};
    return writeToPc(toPc);
}

std::string PtyPanelPublisher::serve() {
    std::uint8_t buffer[4096];
    for (;;) {
        const double now = elapsedMs();
        if (std::string e = flushDue(now); !e.empty()) return e;
        double next = -1;
        if (!m_toPanel.empty()) next = m_toPanel.front().atMs;
        if (!m_toPc.empty()) next = next < 0 ? m_toPc.front().atMs : std::min(next, m_toPc.front().atMs);
        // Sub-millisecond waits: a whole-millisecond poll would stretch every paced byte.
        timespec wait{};
        if (next >= 0) {
            const double left = std::max(0.0, next - elapsedMs());
            wait.tv_sec = static_cast<time_t>(left / 1000);
            wait.tv_nsec = static_cast<long>(std::fmod(left, 1000.0) * 1e6);
        }
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_stopRead, POLLIN, 0}};
        const int r = ::ppoll(fds, 2, next < 0 ? nullptr : &wait, nullptr);
        if (r < 0) {
            if (errno == EINTR) continue;
            return describe("poll", errno);
        }
        if (fds[1].revents != 0) return {};
        if ((fds[0].revents & POLLIN) == 0) continue;
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return describe(m_slave, errno);
        }
        const double arrival = elapsedMs();
        for (ssize_t i = 0; i < n; ++i) m_toPanel.push_back({crossing(m_inboundFreeMs, arrival), buffer[i]});
    }
}

}  // namespace livna::panelsim
