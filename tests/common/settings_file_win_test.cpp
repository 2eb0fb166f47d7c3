// The Windows half of the settings files: read-only files, folders and devices, and the save steps
// (FlushFileBuffers, MoveFileExW) with Windows error codes and their texts.
#include <io.h>
#include <windows.h>

#include "common/settings_file.h"
#include "common/win_system_text.h"
#include "settings_file_fixture.h"

namespace livna {

namespace test {

long long descriptorSize(int fd) {
    return _filelengthi64(fd);
}

int saveStepFailureCode() {
    return ERROR_DISK_FULL;
}

std::string saveStepFailureText() {
    return windowsErrorText(ERROR_DISK_FULL);
}

}  // namespace test

namespace {

namespace fs = std::filesystem;
using test::SettingsFileTest;

TEST_F(SettingsFileTest, readOnlyFileIsRefusedAndKept) {
    const fs::path path = file("locked.cfg");
    put(path, "1\r\n2\r\n");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const auto error = writeValuesFile(path, std::vector<std::int32_t>{170});
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind, FileErrorKind::ReadOnly);
    EXPECT_EQ(contents(path), "1\r\n2\r\n");
    EXPECT_EQ(entryCount(), 1u) << "a temporary file was left";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SettingsFileTest, folderAndPipeAreNotRead) {
    fs::create_directory(file("folder.cfg"));
    // A pipe that nobody writes into: refused at once, not waited on.
    const std::string pipe = "\\\\.\\pipe\\livna-settings-test-" + std::to_string(GetCurrentProcessId());
    HANDLE server =
        CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 64, 64, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    struct Case {
        fs::path path;
        FileErrorKind kind;
    };
    for (const Case& c :
         {Case{file("folder.cfg"), FileErrorKind::NotRegular}, Case{pipe, FileErrorKind::NotRegular},
          Case{file("absent.cfg"), FileErrorKind::Unreadable}}) {
        SCOPED_TRACE(c.path.string());
        const auto r = readSettingsFile(c.path, kKvmImageSize);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error->kind, c.kind);
    }
    CloseHandle(server);
    const auto missing = readSettingsFile(file("absent.cfg"), kKvmImageSize);
    EXPECT_EQ(missing.error->systemText, windowsErrorText(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace livna
