// The settings files' system half on POSIX: reading a plain file without waiting on a FIFO, and
// the atomic writer (fsync, rename, fsync of the folder; permission bits kept).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/settings_file.h"
#include "common/settings_file_io.h"

namespace livna {

using settings_io::errnoMessage;
using settings_io::makeFileError;

FileText readFileText(const std::filesystem::path& path) {
    const std::string name = pathToUtf8(path);
    FileText result;
    auto fail = [&](FileErrorKind kind, int err) {
        return settings_io::failedRead(kind, name, errnoMessage(err));
    };
    // Non-blocking, so that opening a FIFO does not wait for a writer; the type is checked at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(FileErrorKind::Unreadable, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(FileErrorKind::Unreadable, errno);
    if (!S_ISREG(st.st_mode)) return fail(FileErrorKind::NotRegular, S_ISDIR(st.st_mode) ? EISDIR : 0);
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxValuesFileBytes)
        return fail(FileErrorKind::TooLarge, 0);
    // The file may grow while it is read (or report no size, as files in /proc do): the buffer grows
    // up to one byte past the limit, which tells.
    result.text.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == result.text.size())
            result.text.resize(std::min(2 * result.text.size() + 4096, kMaxValuesFileBytes + 1));
        const ssize_t n = ::read(fd, result.text.data() + done, result.text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(FileErrorKind::Unreadable, errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        if (done > kMaxValuesFileBytes) return fail(FileErrorKind::TooLarge, 0);
    }
    result.text.resize(done);
    return result;
}

namespace {

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

}  // namespace

int SaveSteps::syncFile(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

int SaveSteps::replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int SaveSteps::syncFolder(int folderFd) {
    if (::fsync(folderFd) == 0) return 0;
    // Some file systems cannot sync a folder; the rename is then as safe as they make it.
    return errno == EINVAL || errno == ENOTSUP ? 0 : errno;
}

SaveSteps& systemSaveSteps() {
    static SaveSteps steps;
    return steps;
}

std::optional<FileError> writeValuesFile(const std::filesystem::path& path,
                                         std::span<const std::int32_t> values, SaveSteps& steps) {
    auto error = [&](FileErrorKind kind, int err) {
        FileError e = makeFileError(kind, pathToUtf8(path));
        e.systemText = errnoMessage(err);
        return e;
    };
    int err = 0;
    const auto target = settings_io::followLinks(path, err);
    if (!target) return error(FileErrorKind::WriteFailed, err);

    // What the new file keeps of the one it replaces: its permission bits. A file nobody may write is
    // not replaced behind its owner's back, even by a user whom the system would let.
    mode_t keptMode = 0;
    struct stat old {};
    const bool replacing = ::stat(target->c_str(), &old) == 0;
    if (replacing) {
        if (S_ISDIR(old.st_mode)) return error(FileErrorKind::WriteFailed, EISDIR);
        if (!S_ISREG(old.st_mode)) return error(FileErrorKind::NotRegular, 0);
        if ((old.st_mode & 0222) == 0 || ::access(target->c_str(), W_OK) != 0)
            return error(FileErrorKind::ReadOnly, 0);
        keptMode = old.st_mode & 07777;
    }

    // A new file is made with the mode any program's new file gets (0666 less the umask).
    std::filesystem::path temp;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = settings_io::temporaryBeside(*target, attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return error(FileErrorKind::WriteFailed, errno);
    }
    if (fd < 0) return error(FileErrorKind::WriteFailed, EEXIST);
    auto failed = [&](int e) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return error(FileErrorKind::WriteFailed, e);
    };
    if (replacing && ::fchmod(fd, keptMode) != 0) return failed(errno);
    if (const int e = writeAll(fd, formatValuesText(values)); e != 0) return failed(e);
    if (const int e = steps.syncFile(fd); e != 0) return failed(e);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return failed(errno);
    if (const int e = steps.replace(temp, *target); e != 0) return failed(e);

    // The rename itself is durable only once the folder is.
    const std::filesystem::path folder = target->has_parent_path() ? target->parent_path() : ".";
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return error(FileErrorKind::WriteFailed, errno);
    const int synced = steps.syncFolder(folderFd);
    ::close(folderFd);
    if (synced != 0) return error(FileErrorKind::WriteFailed, synced);
    return std::nullopt;
}

}  // namespace livna
