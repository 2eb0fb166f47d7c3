#include "usblink/fifo_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "discovery_cases.h"
#include "usblink/usb_link.h"

namespace livna {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

/// A private root per test, so parallel tests never see each other's panels.
class FifoRootTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/livna-usb-test-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_base = tmpl;
        root = m_base + "/root";
        ASSERT_EQ(ensureUsbRoot(root), "");
    }
    void TearDown() override {
        for (int fd : m_fds) ::close(fd);
        fs::remove_all(m_base);
    }

    /// A panel folder with both FIFOs; served = held open as a publisher holds them.
    std::string makePanel(const std::string& name, bool served) {
        const std::string dir = root + "/" + name;
        EXPECT_EQ(::mkdir(dir.c_str(), 0700), 0);
        EXPECT_EQ(::mkfifo((dir + "/PIPE00").c_str(), 0600), 0);
        EXPECT_EQ(::mkfifo((dir + "/PIPE01").c_str(), 0600), 0);
        if (served) {
            m_in = ::open((dir + "/PIPE00").c_str(), O_RDWR | O_NONBLOCK);
            m_out = ::open((dir + "/PIPE01").c_str(), O_RDWR | O_NONBLOCK);
            m_fds.push_back(m_in);
            m_fds.push_back(m_out);
        }
        return dir;
    }
    void stopServing() {
        for (int fd : m_fds) ::close(fd);
        m_fds.clear();
    }

    std::string root;
    int m_in = -1;   // the publisher's end of PIPE00
    int m_out = -1;  // the publisher's end of PIPE01

private:
    std::string m_base;
    std::vector<int> m_fds;
};

TEST_F(FifoRootTest, enumeration_countsOnlyFoldersSomebodyServes) {
    FifoUsbPlatform platform(root);
    RecordingSleeper sleeper;
    UsbPipes pipes(platform, sleeper);
    int count = -1;
    EXPECT_FALSE(pipes.UsbCountDevices(count));
    EXPECT_EQ(count, 0);

    makePanel("dead", false);
    EXPECT_FALSE(pipes.UsbCountDevices(count));
    EXPECT_EQ(count, 0) << "a dead publisher's folder is not a panel";

    makePanel("live", true);
    EXPECT_TRUE(pipes.UsbCountDevices(count));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(pipes.systemText(), "");
}

TEST_F(FifoRootTest, discovery_findsTheServedPanels) {
    const std::string base = root;
    int index = 0;
    for (const test::DiscoveryCase& c : test::kDiscoveryCases) {
        SCOPED_TRACE(c.name);
        root = base + "/case" + std::to_string(index++);
        ASSERT_EQ(ensureUsbRoot(root), "");
        for (int i = 0; i < c.served; ++i) makePanel("served" + std::to_string(i), true);
        for (int i = 0; i < c.unserved; ++i) makePanel("unserved" + std::to_string(i), false);
        FifoUsbPlatform platform(root);
        test::expectDiscovery(platform, c);
        stopServing();
    }
}

TEST_F(FifoRootTest, missingRoot_isNoPanel_withoutAnError) {
    FifoUsbPlatform platform(root + "/absent");
    const EnumerateResult r = platform.enumerateInterfaces();
    EXPECT_TRUE(r.devicePaths.empty());
    EXPECT_EQ(r.systemText, "");
}

TEST_F(FifoRootTest, pipesCarryBytes_withTimeLimits) {
    const std::string dir = makePanel("p", true);
    FifoUsbPlatform platform(root);
    auto w = platform.openPipe(dir, PipeRole::Write);
    auto r = platform.openPipe(dir, PipeRole::Read);
    ASSERT_EQ(w.status, PipeOpenResult::Status::Opened);
    ASSERT_EQ(r.status, PipeOpenResult::Status::Opened);

    const std::uint8_t out[3] = {1, 2, 3};
    ASSERT_TRUE(w.pipe->write(out, 100).ok());
    auto t = Clock::now();
    EXPECT_EQ(w.pipe->flush(50).status, IoStatus::TimedOut) << "nobody took the bytes yet";
    EXPECT_GE(msSince(t), 45);
    std::uint8_t got[3] = {};
    ASSERT_EQ(::read(m_in, got, 3), 3);
    EXPECT_EQ(got[2], 3);
    EXPECT_TRUE(w.pipe->flush(50).ok());

    std::uint8_t in[2] = {};
    t = Clock::now();
    EXPECT_EQ(r.pipe->read(in, 80).status, IoStatus::TimedOut);
    const double waited = msSince(t);
    EXPECT_GE(waited, 75);
    EXPECT_LT(waited, 500);

    const std::uint8_t reply[4] = {9, 8, 7, 6};
    ASSERT_EQ(::write(m_out, reply, 4), 4);
    ASSERT_TRUE(r.pipe->read(in, 100).ok());
    EXPECT_EQ(in[0], 9);
    EXPECT_TRUE(r.pipe->flush(100).ok());
    EXPECT_EQ(r.pipe->read(in, 20).status, IoStatus::TimedOut) << "flush discarded the unread bytes";
}

TEST_F(FifoRootTest, publisherGone_failsAtOnce) {
    const std::string dir = makePanel("p", true);
    FifoUsbPlatform platform(root);
    auto w = platform.openPipe(dir, PipeRole::Write);
    auto r = platform.openPipe(dir, PipeRole::Read);
    ASSERT_EQ(r.status, PipeOpenResult::Status::Opened);
    stopServing();
    std::uint8_t b = 0;
    const auto t = Clock::now();
    const IoOutcome readOutcome = r.pipe->read(std::span(&b, 1), 1000);
    EXPECT_EQ(readOutcome.status, IoStatus::Closed);
    EXPECT_FALSE(readOutcome.systemText.empty());
    EXPECT_EQ(w.pipe->write(std::span(&b, 1), 1000).status, IoStatus::Closed);
    EXPECT_LT(msSince(t), 500) << "end of file is not waited out";
    EXPECT_EQ(platform.openPipe(dir, PipeRole::Write).status, PipeOpenResult::Status::NotPresent);
}

TEST_F(FifoRootTest, unsafeRoot_isRefused) {
    const std::string file = root + "/../file";
    {
        std::FILE* f = std::fopen(file.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    const std::string link = root + "/../link";
    ASSERT_EQ(::symlink(root.c_str(), link.c_str()), 0);
    for (const std::string& bad : {file, link}) {
        SCOPED_TRACE(bad);
        EXPECT_NE(checkUsbRoot(bad, true), "");
        FifoUsbPlatform platform(bad);
        RecordingSleeper sleeper;
        UsbPipes pipes(platform, sleeper);
        int count = -1;
        EXPECT_FALSE(pipes.UsbCountDevices(count));
        EXPECT_NE(pipes.systemText(), "");
    }
}

TEST_F(FifoRootTest, rootOfAnotherUser_isRefused) {
    if (::getuid() != 0) GTEST_SKIP() << "needs to give a folder away to another user";
    ASSERT_EQ(::chown(root.c_str(), 4242, 4242), 0);
    EXPECT_NE(checkUsbRoot(root, true), "");
    EXPECT_NE(ensureUsbRoot(root), "");
    FifoUsbPlatform platform(root);
    EXPECT_FALSE(platform.enumerateInterfaces().systemText.empty());
}

TEST_F(FifoRootTest, ensureUsbRoot_createsPrivateFolders) {
    const std::string nested = root + "/a/b";
    ASSERT_EQ(ensureUsbRoot(nested), "");
    struct stat st {};
    ASSERT_EQ(::stat(nested.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(ensureUsbRoot(nested), "") << "an existing root of ours is fine";
}

TEST(FifoDefaultRoot, followsTheRuntimeFolder) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    const std::string guid = "{E6EF7DCD-1795-4A08-9FBF-AA78423C26F0}";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/1234", 1);
    EXPECT_EQ(defaultUsbRoot(), "/run/user/1234/livna-usb/" + guid);
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(defaultUsbRoot(), "/tmp/livna-usb-" + std::to_string(::getuid()) + "/" + guid);
    ::setenv("XDG_RUNTIME_DIR", "", 1);
    EXPECT_EQ(defaultUsbRoot(), "/tmp/livna-usb-" + std::to_string(::getuid()) + "/" + guid);
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace livna
