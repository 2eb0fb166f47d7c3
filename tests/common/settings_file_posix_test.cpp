// The POSIX half of the settings files: files that are not plain (FIFOs, devices), permission
// bits, symbolic links.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <system_error>
#include <vector>

#include "common/settings_file.h"
#include "settings_file_fixture.h"

namespace livna {

namespace test {

long long descriptorSize(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

int saveStepFailureCode() {
    return EIO;
}

std::string saveStepFailureText() {
    return std::generic_category().message(EIO);
}

}  // namespace test

namespace {

namespace fs = std::filesystem;
using test::numberedLines;

class SettingsFilePosixTest : public test::SettingsFileTest {
protected:
    static unsigned modeOf(const fs::path& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }
};

// Every case of reading a file: what it is, and what the reader makes of it.
TEST_F(SettingsFilePosixTest, readingFileCases) {
    const std::string lines = numberedLines(2048, "\r\n");
    std::string utf16;
    for (char c : std::string("\xFF\xFE") + lines.substr(0, 40)) utf16 += std::string{c, '\0'};
    std::string utf16NoMark;
    for (char c : lines.substr(0, 40)) utf16NoMark += std::string{c, '\0'};
    std::string withNul = lines;
    withNul.replace(withNul.find("\r\n3\r\n") + 2, 1,
                    std::string("3\0"
                                "4",
                                3));
    // Lines 5, 7, 8 and 10 (values 4, 6, 7, 9).
    std::string unusual = lines;
    unusual.replace(unusual.find("\r\n4\r\n") + 2, 1, "999");
    unusual.replace(unusual.find("\r\n6\r\n") + 2, 1, "+00300");
    unusual.replace(unusual.find("\r\n7\r\n") + 2, 1, "-1");
    unusual.replace(unusual.find("\r\n9\r\n") + 2, 1, "256");

    // A file of that name and text.
    auto holding = [this](std::string name, std::string text) {
        return [this, name, text] {
            put(file(name), text);
            return file(name);
        };
    };

    struct Case {
        std::string name;
        std::function<fs::path()> make;
        std::optional<FileErrorKind> kind;  // nothing: read
        std::string inMessage;              // a part of the message (besides the file's name)
        std::string asked = {};             // read: what the installer is asked about
    };
    const std::vector<Case> cases = {
        {"folder",
         [&] {
             fs::create_directory(file("folder.cfg"));
             return file("folder.cfg");
         },
         FileErrorKind::NotRegular, "папка"},
        {"fifo",
         [&] {
             ::mkfifo(file("fifo.cfg").c_str(), 0600);
             return file("fifo.cfg");
         },
         FileErrorKind::NotRegular, "устройство"},
        {"device", [] { return fs::path("/dev/zero"); }, FileErrorKind::NotRegular, ""},
        {"2 MiB", holding("big.cfg", lines + std::string(2 << 20, '7')), FileErrorKind::TooLarge, "1 МБ"},
        {"1 MiB exactly", holding("full.cfg", lines + std::string(kMaxValuesFileBytes - lines.size(), '\n')),
         std::nullopt, ""},
        {"missing", [&] { return file("absent.cfg"); }, FileErrorKind::Unreadable, "No such file"},
        {"UTF-8 mark", holding("bom.cfg", "\xEF\xBB\xBF" + lines), std::nullopt, ""},
        {"UTF-16", holding("u16.cfg", utf16), FileErrorKind::Utf16, "UTF-16"},
        {"UTF-16 without mark", holding("u16n.cfg", utf16NoMark), FileErrorKind::Utf16, "UTF-16"},
        {"NUL in a line", holding("nul.cfg", withNul), FileErrorKind::BadLine, "\"3\\04\""},
        {"999, +00300 and 256 asked about, -1 silent", holding("odd.cfg", unusual), std::nullopt, "",
         "строка 5: 999\nстрока 7: 300 (\"+00300\")\nстрока 10: 256"},
        {"link to a file",
         [&] {
             put(file("real.cfg"), lines);
             fs::create_symlink("real.cfg", file("link.cfg"));
             return file("link.cfg");
         },
         std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = c.make();
        const auto start = std::chrono::steady_clock::now();
        const auto r = readSettingsFile(path, kKvmImageSize);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "the reader waited";
        if (!c.kind) {
            ASSERT_TRUE(r.ok()) << describe(*r.error);
            EXPECT_EQ(r.image.size(), kKvmImageSize);
            EXPECT_EQ(r.image[0], 0);
            EXPECT_EQ(r.image[300], 300 % 256);
            EXPECT_EQ(describeOutOfRange(r.outOfRange), c.asked);
            continue;
        }
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error->kind, *c.kind);
        EXPECT_EQ(r.image.size(), 0u);
        const std::string message = describe(*r.error);
        EXPECT_NE(message.find(path.filename().string()), std::string::npos) << message;
        EXPECT_NE(message.find(c.inMessage), std::string::npos) << message;
    }
}

// Saving over what is there: what the new file keeps, and what is refused.
TEST_F(SettingsFilePosixTest, savingFileCases) {
    const std::vector<std::int32_t> values{170, 32, 7};
    const std::string written = "170\r\n32\r\n7\r\n";
    const std::string old = "1\r\n2\r\n3\r\n";
    const mode_t mask = ::umask(0);
    ::umask(mask);

    struct Case {
        std::string name;
        std::function<fs::path()> make;                   // the path saved to
        std::optional<FileErrorKind> kind;                // nothing: saved
        std::function<void(const fs::path&)> checkAfter;  // what the folder holds afterwards
    };
    const std::vector<Case> cases = {
        {"new file", [&] { return file("new.cfg"); }, std::nullopt,
         [&](const fs::path& p) { EXPECT_EQ(modeOf(p), 0666u & ~mask); }},
        {"0600 kept",
         [&] {
             put(file("secret.cfg"), old);
             fs::permissions(file("secret.cfg"), fs::perms::owner_read | fs::perms::owner_write);
             return file("secret.cfg");
         },
         std::nullopt, [&](const fs::path& p) { EXPECT_EQ(modeOf(p), 0600u); }},
        {"link written through",
         [&] {
             put(file("real.cfg"), old);
             fs::permissions(file("real.cfg"), fs::perms::owner_read | fs::perms::owner_write);
             fs::create_symlink("real.cfg", file("link.cfg"));
             return file("link.cfg");
         },
         std::nullopt,
         [&](const fs::path& p) {
             EXPECT_TRUE(fs::is_symlink(p)) << "the link stays a link";
             EXPECT_EQ(contents(file("real.cfg")), written);
             EXPECT_EQ(modeOf(file("real.cfg")), 0600u);
         }},
        {"dangling link makes its file",
         [&] {
             fs::create_symlink("made.cfg", file("ahead.cfg"));
             return file("ahead.cfg");
         },
         std::nullopt,
         [&](const fs::path& p) {
             EXPECT_TRUE(fs::is_symlink(p));
             EXPECT_EQ(contents(file("made.cfg")), written);
         }},
        {"250-byte name", [&] { return file(std::string(246, 'n') + ".cfg"); }, std::nullopt, {}},
        {"read-only refused",
         [&] {
             put(file("locked.cfg"), old);
             fs::permissions(file("locked.cfg"), fs::perms::owner_read | fs::perms::group_read);
             return file("locked.cfg");
         },
         FileErrorKind::ReadOnly,
         [&](const fs::path& p) {
             EXPECT_EQ(contents(p), old);
             EXPECT_EQ(modeOf(p), 0440u);
         }},
        {"link loop refused",
         [&] {
             fs::create_symlink("b.cfg", file("a.cfg"));
             fs::create_symlink("a.cfg", file("b.cfg"));
             return file("a.cfg");
         },
         FileErrorKind::WriteFailed,
         {}},
        {"FIFO refused",
         [&] {
             ::mkfifo(file("fifo.cfg").c_str(), 0600);
             return file("fifo.cfg");
         },
         FileErrorKind::NotRegular,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        const fs::path path = c.make();
        const std::size_t before = entryCount();
        std::error_code loop;
        const bool targetExisted = fs::exists(path, loop);  // through links
        const auto error = writeValuesFile(path, values);
        if (!c.kind) {
            ASSERT_EQ(error, std::nullopt) << describe(*error);
            EXPECT_EQ(contents(path), written);
            EXPECT_EQ(entryCount(), before + (targetExisted ? 0 : 1)) << "a temporary file was left";
        } else {
            ASSERT_TRUE(error.has_value());
            EXPECT_EQ(error->kind, *c.kind);
            EXPECT_NE(describe(*error).find(path.filename().string()), std::string::npos) << describe(*error);
            EXPECT_EQ(entryCount(), before) << "a temporary file was left";
        }
        if (c.checkAfter) c.checkAfter(path);
    }
}

}  // namespace
}  // namespace livna
