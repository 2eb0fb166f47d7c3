#include "panelsim/fifo_publisher.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>  // NOLINT(modernize-deprecated-headers): sigaction and sigprocmask are POSIX
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "usblink/fifo_platform.h"
#include "usblink/usb_platform.h"

namespace livna::panelsim {

namespace {

std::atomic<int> g_folderCounter{0};

/// A reply the PC leaves unread fills the FIFO; past this wait the rest is dropped (the PC
/// drains its read pipe before every request anyway).
constexpr int kReplyWriteTimeoutMs = 200;

std::string describe(const std::string& what, int err) {
    return what + ": " + std::strerror(err);
}

constexpr std::string_view kFolderPrefix = "panel-";

void removePanelFolder(const std::string& folder) {
    ::unlink((folder + "/" + kWritePipeName).c_str());
    ::unlink((folder + "/" + kReadPipeName).c_str());
    ::rmdir(folder.c_str());
}

// The process that published a "panel-<pid>-<n>" folder; nothing for other names.
std::optional<pid_t> publisherOf(std::string_view name) {
    if (name.substr(0, kFolderPrefix.size()) != kFolderPrefix) return std::nullopt;
    name.remove_prefix(kFolderPrefix.size());
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (ec != std::errc() || pid <= 0 || end == name.data() + name.size() || *end != '-') return std::nullopt;
    return pid;
}

// A killed publisher leaves its folder behind; nobody else would ever remove it. A folder whose
// process still runs (or whose pid was reused) is left alone: the root is this user's own, and
// enumeration skips folders nobody serves anyway.
void removeLeftFolders(const std::string& root) {
    DIR* dir = ::opendir(root.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> left;
    while (const dirent* entry = ::readdir(dir)) {
        const auto pid = publisherOf(entry->d_name);
        if (pid && ::kill(*pid, 0) != 0 && errno == ESRCH) left.push_back(root + "/" + entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& folder : left) removePanelFolder(folder);
}

}  // namespace

std::unique_ptr<FifoPanelPublisher> FifoPanelPublisher::publish(const std::string& root, PanelBoard& board,
                                                                std::string& error, std::string folderName) {
    error = ensureUsbRoot(root);
    if (!error.empty()) return nullptr;
    removeLeftFolders(root);
    if (folderName.empty())
        folderName =
            std::string(kFolderPrefix) + std::to_string(::getpid()) + "-" + std::to_string(g_folderCounter++);
    const std::string folder = root + "/" + folderName;
    if (::mkdir(folder.c_str(), 0700) != 0) {
        error = describe(folder, errno);
        return nullptr;
    }
    std::unique_ptr<FifoPanelPublisher> p(new FifoPanelPublisher(board, folder));
    const std::string in = folder + "/" + kWritePipeName;
    const std::string out = folder + "/" + kReadPipeName;
    if (::mkfifo(in.c_str(), 0600) != 0) {
        error = describe(in, errno);
        return nullptr;
    }
    if (::mkfifo(out.c_str(), 0600) != 0) {
        error = describe(out, errno);
        return nullptr;
    }
    p->m_in = ::open(in.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    p->m_out = ::open(out.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    int stop[2];
    if (p->m_in < 0 || p->m_out < 0 || ::pipe2(stop, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = describe(folder, errno);
        return nullptr;
    }
    p->m_stopRead = stop[0];
    p->m_stopWrite = stop[1];
    return p;
}

FifoPanelPublisher::FifoPanelPublisher(PanelBoard& board, std::string folder)
    : m_board(board),
      m_protocol(board, PauseCheck::StreamDuration),
      m_folder(std::move(folder)),
      m_start(std::chrono::steady_clock::now()) {}

FifoPanelPublisher::~FifoPanelPublisher() {
    // The folder goes first, so that no PC finds it while the pipes are closing.
    removeFolder();
    for (int fd : {m_in, m_out, m_stopRead, m_stopWrite})
        if (fd >= 0) ::close(fd);
}

void FifoPanelPublisher::removeFolder() {
    removePanelFolder(m_folder);
}

double FifoPanelPublisher::elapsedMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
}

void FifoPanelPublisher::requestStop() {
    const char b = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_stopWrite, &b, 1);
}

std::string FifoPanelPublisher::serve() {
    std::vector<std::uint8_t> reply;
    std::uint8_t buffer[4096];
    for (;;) {
        pollfd fds[2] = {{m_in, POLLIN, 0}, {m_stopRead, POLLIN, 0}};
        const int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR) continue;
            return describe("poll", errno);
        }
        if (fds[1].revents != 0) return {};
        if ((fds[0].revents & POLLIN) == 0) continue;
        const ssize_t n = ::read(m_in, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return describe(m_folder, errno);
        }
        const double now = elapsedMs();
        reply.clear();
        m_protocol.receive(std::span(buffer, static_cast<std::size_t>(n)), now, reply);
        std::size_t done = 0;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyWriteTimeoutMs);
        while (done < reply.size() && std::chrono::steady_clock::now() < deadline) {
            const ssize_t w = ::write(m_out, reply.data() + done, reply.size() - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
            } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
                return describe(m_folder, errno);
            } else {
                pollfd o{m_out, POLLOUT, 0};
                ::poll(&o, 1, 10);
            }
        }
    }
}

}  // namespace livna::panelsim
