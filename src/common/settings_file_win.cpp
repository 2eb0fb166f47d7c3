// The settings files' system half on Windows: reading a plain file, and the atomic writer
// (FlushFileBuffers on the temporary file, then MoveFileExW with MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH, which makes the rename durable; paths as UTF-16). Errors are Windows
// codes and their texts.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "common/settings_file.h"
#include "common/settings_file_io.h"
#include "common/win_system_text.h"

namespace livna {

using settings_io::makeFileError;

namespace {

std::string windowsMessage(int err) {
    return err != 0 ? windowsErrorText(static_cast<DWORD>(err)) : std::string();
}

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

int writeAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(h, bytes.data(), chunk, &n, nullptr)) return static_cast<int>(GetLastError());
        bytes.remove_prefix(n);
    }
    return 0;
}

}  // namespace

FileText readFileText(const std::filesystem::path& path) {
    const std::string name = pathToUtf8(path);
    FileText result;
    auto fail = [&](FileErrorKind kind, DWORD err) {
        return settings_io::failedRead(kind, name, windowsMessage(static_cast<int>(err)));
    };
    Handle file;
    file.h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file.h == INVALID_HANDLE_VALUE) return fail(FileErrorKind::Unreadable, GetLastError());
    // A pipe or a device is refused before anything is asked of it that it might wait on.
    if (GetFileType(file.h) != FILE_TYPE_DISK) return fail(FileErrorKind::NotRegular, 0);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.h, &info)) return fail(FileErrorKind::Unreadable, GetLastError());
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return fail(FileErrorKind::NotRegular, ERROR_DIRECTORY);
    const ULONGLONG size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > kMaxValuesFileBytes) return fail(FileErrorKind::TooLarge, 0);
    // The file may grow while it is read: the buffer grows up to one byte past the limit, which tells.
    result.text.resize(static_cast<std::size_t>(size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == result.text.size())
            result.text.resize(std::min(2 * result.text.size() + 4096, kMaxValuesFileBytes + 1));
        DWORD n = 0;
        if (!ReadFile(file.h, result.text.data() + done, static_cast<DWORD>(result.text.size() - done), &n,
                      nullptr))
            return fail(FileErrorKind::Unreadable, GetLastError());
        if (n == 0) break;
        done += n;
        if (done > kMaxValuesFileBytes) return fail(FileErrorKind::TooLarge, 0);
    }
    result.text.resize(done);
    return result;
}

int SaveSteps::syncFile(int fd) {
    const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));  // NOLINT(performance-no-int-to-ptr)
    return FlushFileBuffers(h) ? 0 : static_cast<int>(GetLastError());
}

int SaveSteps::replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : static_cast<int>(GetLastError());
}

// MOVEFILE_WRITE_THROUGH has made the rename durable; a folder has nothing left to sync.
int SaveSteps::syncFolder(int) {
    return 0;
}

SaveSteps& systemSaveSteps() {
    static SaveSteps steps;
    return steps;
}

std::optional<FileError> writeValuesFile(const std::filesystem::path& path,
                                         std::span<const std::int32_t> values, SaveSteps& steps) {
    auto error = [&](FileErrorKind kind, int err, bool windowsCode = true) {
        FileError e = makeFileError(kind, pathToUtf8(path));
        e.systemText = windowsCode ? windowsMessage(err) : settings_io::errnoMessage(err);
        return e;
    };
    int err = 0;
    const auto target = settings_io::followLinks(path, err);
    if (!target) return error(FileErrorKind::WriteFailed, err, false);

    // A read-only file is not replaced behind its owner's back.
    const DWORD attributes = GetFileAttributesW(target->c_str());
    const bool replacing = attributes != INVALID_FILE_ATTRIBUTES;
    if (replacing) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return error(FileErrorKind::WriteFailed, ERROR_DIRECTORY);
        if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return error(FileErrorKind::NotRegular, 0);
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return error(FileErrorKind::ReadOnly, 0);
    }

    std::filesystem::path temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; h == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
        temp = settings_io::temporaryBeside(*target, attempt);
        h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return error(FileErrorKind::WriteFailed, static_cast<int>(GetLastError()));
    }
    if (h == INVALID_HANDLE_VALUE) return error(FileErrorKind::WriteFailed, ERROR_FILE_EXISTS);
    // The steps take a descriptor, as on every system; it owns the handle from here on.
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY);
    if (fd < 0) {
        const int e = static_cast<int>(GetLastError());
        CloseHandle(h);
        DeleteFileW(temp.c_str());
        return error(FileErrorKind::WriteFailed, e);
    }
    auto failed = [&](int e) {
        if (fd >= 0) _close(fd);
        DeleteFileW(temp.c_str());
        return error(FileErrorKind::WriteFailed, e);
    };
    if (const int e = writeAll(h, formatValuesText(values)); e != 0) return failed(e);
    if (const int e = steps.syncFile(fd); e != 0) return failed(e);
    _close(fd);
    fd = -1;
    if (const int e = steps.replace(temp, *target); e != 0) return failed(e);
    if (const int e = steps.syncFolder(-1); e != 0) return error(FileErrorKind::WriteFailed, e);
    return std::nullopt;
}

}  // namespace livna
