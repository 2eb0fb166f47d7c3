// The panelsim program and the FIFO publisher, driven through real FIFOs by the link's Linux backend.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "common/settings_file.h"
#include "panelsim/fifo_publisher.h"
#include "panelsim/panelsim_options.h"
#include "panelsim_process.h"
#include "usblink/fifo_platform.h"
#include "usblink/usb_link.h"

extern char** environ;

namespace livna::panelsim {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Block = std::array<std::int32_t, kUsbBlockSize>;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

struct LogLine {
    double timeMs;
    std::string text;
};

std::vector<LogLine> readLog(const std::string& path) {
    std::vector<LogLine> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        LogLine l;
        s >> l.timeMs;
        std::getline(s >> std::ws, l.text);
        out.push_back(l);
    }
    return out;
}

double timeOf(const std::vector<LogLine>& log, const std::string& text) {
    for (const auto& l : log)
        if (l.text == text) return l.timeMs;
    ADD_FAILURE() << "no log line " << text;
    return 0;
}

/// A private root and the panelsim processes serving it.
class PanelsimRun : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/panelsim-test-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        base = tmpl;
        root = base + "/root";
        platform = std::make_unique<FifoUsbPlatform>(root);
        pipesOwner = std::make_unique<UsbPipes>(*platform, sleeper);
    }
    void TearDown() override {
        for (pid_t pid : m_pids) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        fs::remove_all(base);
    }

    UsbPipes& pipes() { return *pipesOwner; }

    /// Starts panelsim on the private root and waits until `expectPanels` panels are served.
    void start(std::vector<std::string> args, int expectPanels = 1) {
        spawn(std::move(args));
        const auto t = Clock::now();
        int count = 0;
        for (;;) {
            pipes().UsbCountDevices(count);
            if (count == expectPanels || msSince(t) > 5000) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_EQ(count, expectPanels) << "panelsim did not publish its panel";
    }

    /// Starts panelsim on the private root without waiting for anything.
    void spawn(std::vector<std::string> args) {
        args.insert(args.begin(), {"--root", root});
        const pid_t pid = spawnPanelsim(std::move(args));
        ASSERT_GT(pid, 0);
        m_pids.push_back(pid);
    }

    /// Sends sig to the last panelsim started and returns its exit status.
    int stop(int sig = SIGTERM) {
        const pid_t pid = m_pids.back();
        m_pids.pop_back();
        ::kill(pid, sig);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }

    std::size_t panelFolders() const {
        std::size_t n = 0;
        if (fs::exists(root))
            for ([[maybe_unused]] const auto& e : fs::directory_iterator(root)) ++n;
        return n;
    }

    std::string base, root;
    SystemSleeper sleeper;
    std::unique_ptr<FifoUsbPlatform> platform;
    std::unique_ptr<UsbPipes> pipesOwner;

private:
    std::vector<pid_t> m_pids;
};

TEST_F(PanelsimRun, kvPanel_readAndWriteAllNineBlocks_keepingThePauses) {
    const std::string log = base + "/log.txt", save = base + "/saved.cfg";
    start({"--system", "kv", "--log", log, "--save", save});

    DeviceInfo info;
    ASSERT_EQ(pipes().UsbGetDeviceInfo(kCmdIdentify, info), UsbResult::Ok);
    EXPECT_EQ(info, (DeviceInfo{31, 52}));

    SettingsImage image(kKvImageSize);
    for (std::uint8_t b = 0; b < 9; ++b)
        EXPECT_EQ(pipes().UsbReadBlock(b, image.block(b)), UsbResult::Ok) << int(b);
    EXPECT_EQ(image[0], 170) << "a fresh image carries the marker";
    // The factory settings shipped beside the program: relay 2 "Звуковой", engineer password 5836.
    EXPECT_EQ(image[25], 32);
    EXPECT_EQ((std::vector<std::int32_t>(&image[13], &image[17])),
              (std::vector<std::int32_t>{133, 136, 131, 134}));

    SettingsImage written(kKvImageSize);
    for (std::size_t i = 0; i < written.size(); ++i)
        written[i] = static_cast<std::int32_t>((i * 13 + 7) % 256);
    for (std::uint8_t b = 0; b < 9; ++b)
        EXPECT_EQ(pipes().UsbWriteBlock(b, written.block(b)), UsbResult::Ok) << int(b);
    SettingsImage back(kKvImageSize);
    for (std::uint8_t b = 0; b < 9; ++b)
        EXPECT_EQ(pipes().UsbReadBlock(b, back.block(b)), UsbResult::Ok) << int(b);
    EXPECT_EQ(back, written);

    EXPECT_EQ(stop(), 0);
    EXPECT_EQ(panelFolders(), 0u) << "the folder goes with the publisher";
    const ImageResult saved = readSettingsFile(save, kKvImageSize);
    ASSERT_TRUE(saved.ok()) << describe(*saved.error);
    EXPECT_EQ(saved.image, written);

    // The panel stamps a request when it wakes up to read it. On a loaded machine one stamp may come
    // late, which shortens the gap after it (and lengthens the one before), so single gaps are
    // checked with a tolerance for a few late wake-ups, while the sums must hold the pauses in full.
    const auto lines = readLog(log);
    constexpr double kSlackMs = 1.0;
    int gaps = 0, shortGaps = 0;
    auto gap = [&](double from, double to, double pauseMs) {
        EXPECT_GE(to - from, 0.0) << "the log runs backwards";
        ++gaps;
        if (to - from < pauseMs - kSlackMs) ++shortGaps;
    };
    double firstRead = 0, lastRead = 0;
    for (int b = 0; b < 8; ++b) {
        // The first pass of reads: the PC waits 10 ms after each request before it reads.
        double next = 0, cur = 0;
        int seen = 0;
        for (const auto& l : lines) {
            if (l.text == "read " + std::to_string(b) && seen++ == 0) cur = l.timeMs;
            if (l.text == "read " + std::to_string(b + 1) && next == 0) next = l.timeMs;
        }
        if (b == 0) firstRead = cur;
        lastRead = next;
        gap(cur, next, kBlockRequestPauseMs);
    }
    EXPECT_GE(lastRead - firstRead, 8 * kBlockRequestPauseMs - 2 * kSlackMs) << "the reads skipped pauses";

    constexpr double kWritePausesBeforeCrcHighMs =
        kBlockRequestPauseMs + 4 * kPacketPauseMs + kPacketGroupPauseMs + kCrcBytePauseMs;  // 70 ms
    double writeSpans = 0;
    for (int b = 0; b < 9; ++b) {
        SCOPED_TRACE("write " + std::to_string(b));
        const std::string w = "write " + std::to_string(b);
        const double request = timeOf(lines, w), header = timeOf(lines, w + " header");
        gap(request, header, kBlockRequestPauseMs);
        for (int p = 1; p < 4; ++p)
            gap(timeOf(lines, w + " packet " + std::to_string(p - 1)),
                timeOf(lines, w + " packet " + std::to_string(p)), kPacketPauseMs);
        gap(timeOf(lines, w + " packet 3"), timeOf(lines, w + " crc-low"),
            kPacketPauseMs + kPacketGroupPauseMs);
        gap(timeOf(lines, w + " crc-low"), timeOf(lines, w + " crc-high"), kCrcBytePauseMs);
        writeSpans += timeOf(lines, w + " crc-high") - request;
        EXPECT_LT(timeOf(lines, w + " status 0") - request, 500)
            << "a write takes its pauses, not its time limits";
    }
    // A late stamp on a request shortens only its own block's span, and only by its lateness.
    EXPECT_GE(writeSpans, 9 * kWritePausesBeforeCrcHighMs - 15.0) << "the writes skipped pauses";
    EXPECT_LE(shortGaps, gaps / 10) << shortGaps << " of " << gaps << " gaps were shorter than their pause";
}

TEST_F(PanelsimRun, imageFile_isWhatThePanelServes) {
    SettingsImage image(kKvmImageSize);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::int32_t>(255 - i % 256);
    ASSERT_FALSE(writeSettingsFile(base + "/in.cfg", image).has_value());
    start({"--image", base + "/in.cfg", "--version", "33"});
    DeviceInfo info;
    ASSERT_EQ(pipes().UsbGetDeviceInfo(kCmdIdentifyLoader, info), UsbResult::Ok);
    EXPECT_EQ(info, (DeviceInfo{31, 33}));
    SettingsImage read(kKvmImageSize);
    for (std::uint8_t b = 0; b < 8; ++b) ASSERT_EQ(pipes().UsbReadBlock(b, read.block(b)), UsbResult::Ok);
    EXPECT_EQ(read, image);
}

TEST_F(PanelsimRun, withoutImage_servesTheFactoryDefaultsBesideTheProgram) {
    start({});
    const std::string defaults = fs::path(PANELSIM_PATH).parent_path() / "Conf" / "640dkvmdef.cfg";
    const ImageResult file = readSettingsFile(defaults, kKvmImageSize);
    const SettingsImage expected = file.ok() ? file.image : SettingsImage::fresh(kKvmImageSize, 32);
    SettingsImage read(kKvmImageSize);
    for (std::uint8_t b = 0; b < 8; ++b) ASSERT_EQ(pipes().UsbReadBlock(b, read.block(b)), UsbResult::Ok);
    for (std::size_t i = 0; i < read.size(); ++i) ASSERT_EQ(read[i], expected[i] & 0xFF) << "value " << i;
}

TEST_F(PanelsimRun, silenceMidBlock_failsWithinTheTimeLimit_andTheNextExchangeWorks) {
    start({"--fault", "silent:" + std::to_string(260 + 100)});
    Block values{};
    ASSERT_EQ(pipes().UsbReadBlock(0, values), UsbResult::Ok);
    values.fill(-7);
    const auto t = Clock::now();
    EXPECT_EQ(pipes().UsbReadBlock(1, values), UsbResult::BadReply);
    const double waited = msSince(t);
    EXPECT_EQ(pipes().systemText(), "") << "a time-out is not an error of the system";
    EXPECT_GE(waited, kPacketReadTimeoutMs - 50);
    EXPECT_LT(waited, kPacketReadTimeoutMs + 500) << "one time limit, not one per remaining byte";
    EXPECT_EQ(values[0], -7);
    EXPECT_EQ(pipes().UsbReadBlock(1, values), UsbResult::Ok);
}

TEST_F(PanelsimRun, faultsFromTheCommandLine) {
    start({"--fault", "write:3", "--fault", "header:5"});
    Block values{};
    EXPECT_EQ(pipes().UsbWriteBlock(3, values), UsbResult::BadReply);
    EXPECT_EQ(pipes().UsbWriteBlock(4, values), UsbResult::Ok);
    EXPECT_EQ(pipes().UsbReadBlock(5, values), UsbResult::BadHeader);
    EXPECT_EQ(pipes().UsbReadBlock(4, values), UsbResult::Ok);
}

TEST_F(PanelsimRun, stopSignals_removeTheFolder_butAKilledPublishersFolderIsNotCounted) {
    for (int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        start({});
        const int status = stop(sig);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(panelFolders(), 0u);
    }
    start({});
    stop(SIGKILL);
    EXPECT_EQ(panelFolders(), 1u) << "a killed panelsim cannot clean up";
    const fs::path left = fs::directory_iterator(root)->path();
    int count = -1;
    EXPECT_FALSE(pipes().UsbCountDevices(count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(pipes().systemText(), "");

    start({});
    EXPECT_FALSE(fs::exists(left)) << "the next panelsim removes what the killed one left";
    EXPECT_EQ(panelFolders(), 1u);
}

// The folder appears before the panel is ready to serve; a stop signal in that moment must
// remove it all the same.
TEST_F(PanelsimRun, stopSignalRightAfterTheFolderAppears_stillRemovesIt) {
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        spawn({});
        const auto t = Clock::now();
        while (panelFolders() == 0 && msSince(t) < 5000) {
        }
        ASSERT_EQ(panelFolders(), 1u) << "panelsim did not publish its folder";
        const int status = stop(SIGTERM);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended by the signal itself";
        ASSERT_EQ(panelFolders(), 0u);
    }
}

TEST_F(PanelsimRun, twoPanels_areBothCounted_andNeitherIsKept) {
    start({});
    start({"--system", "kv"}, 2);
    int count = 0;
    EXPECT_FALSE(pipes().UsbCountDevices(count));
    EXPECT_EQ(count, 2);
    EXPECT_FALSE(pipes().isOpen());
    stop();
    EXPECT_TRUE(pipes().UsbCountDevices(count));
    DeviceInfo info;
    EXPECT_EQ(pipes().UsbGetDeviceInfo(kCmdIdentify, info), UsbResult::Ok);
    EXPECT_EQ(info.versionCode, 32u) << "the Ливна-КВ-М panel is the one left";
}

TEST_F(PanelsimRun, secondClientOfOnePanel_isRefusedAsInUse_andTheFirstWorksOn) {
    start({});
    Block first{};
    ASSERT_EQ(pipes().UsbReadBlock(0, first), UsbResult::Ok);
    const auto found = platform->enumerateInterfaces();
    ASSERT_EQ(found.devicePaths.size(), 1u);
    const std::string device = found.devicePaths.front();

    FifoUsbPlatform other(root);
    for (const PipeRole role : {PipeRole::Write, PipeRole::Read}) {
        const PipeOpenResult r = other.openPipe(device, role);
        EXPECT_EQ(r.status, PipeOpenResult::Status::InUse);
        EXPECT_EQ(r.pipe, nullptr);
        EXPECT_NE(r.systemText.find(systemErrorText(EBUSY)), std::string::npos) << r.systemText;
    }
    // The refused opener took nothing from the first client's exchanges.
    for (std::uint8_t b = 0; b < 8; ++b) {
        Block again{};
        ASSERT_EQ(pipes().UsbReadBlock(b, again), UsbResult::Ok) << int(b);
        if (b == 0) {
            EXPECT_EQ(again, first);
        }
    }
    EXPECT_EQ(pipes().systemText(), "") << "no error of the system on the first client's side";

    pipes().release();
    EXPECT_EQ(other.openPipe(device, PipeRole::Write).status, PipeOpenResult::Status::Opened)
        << "the lock goes with the pipes";
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// What panelsim prints and returns when it has nothing to serve.
TEST_F(PanelsimRun, helpAndBadCommandLines_printTheUsage_andExitWithoutPublishing) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        bool usageOnStdout;  // else on stderr, after the reason
    };
    const Case cases[] = {
        {{"--help"}, 0, true},
        {{"--system", "kv", "-h"}, 0, true},
        {{"--system", "xyz"}, 2, false},
        {{"--help", "--colour"}, 2, false},
    };
    const std::string out = base + "/out.txt", err = base + "/err.txt";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        std::vector<std::string> args = {PANELSIM_PATH, "--root", root};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, PANELSIM_PATH, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.exitCode);
        if (c.usageOnStdout) {
            EXPECT_EQ(fileText(out), kPanelsimUsage);
            EXPECT_EQ(fileText(err), "");
        } else {
            EXPECT_EQ(fileText(out), "");
            EXPECT_NE(fileText(err).find(kPanelsimUsage), std::string::npos) << fileText(err);
        }
        EXPECT_EQ(panelFolders(), 0u);
    }
}

TEST(FifoPublisher, foldersOfGonePublishers_areRemoved_othersKept) {
    char tmpl[] = "/tmp/panelsim-left-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string root = std::string(tmpl) + "/root";
    ASSERT_EQ(ensureUsbRoot(root), "");
    // A process that has surely ended: a child that was waited for.
    pid_t gone = 0;
    std::string exe = "/bin/true";
    char* argv[] = {exe.data(), nullptr};
    ASSERT_EQ(::posix_spawn(&gone, exe.c_str(), nullptr, nullptr, argv, environ), 0);
    ::waitpid(gone, nullptr, 0);

    struct Case {
        std::string name;
        bool removed;
    };
    const Case cases[] = {
        {"panel-" + std::to_string(gone) + "-0", true},
        {"panel-" + std::to_string(gone) + "-3", true},
        {"panel-" + std::to_string(::getpid()) + "-7", false},  // its publisher still runs
        {"panel-" + std::to_string(gone), false},               // not a name panelsim gives
        {"bridge", false},
    };
    for (const auto& c : cases) {
        const std::string dir = root + "/" + c.name;
        ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
        ASSERT_EQ(::mkfifo((dir + "/PIPE00").c_str(), 0600), 0);
        ASSERT_EQ(::mkfifo((dir + "/PIPE01").c_str(), 0600), 0);
    }
    PanelBoard board(PanelConfig::forSystem(PanelSystem::Kvm));
    std::string error;
    auto publisher = FifoPanelPublisher::publish(root, board, error);
    ASSERT_NE(publisher, nullptr) << error;
    for (const auto& c : cases) EXPECT_EQ(fs::exists(root + "/" + c.name), !c.removed) << c.name;
    EXPECT_TRUE(fs::exists(publisher->folder()));
    publisher.reset();
    fs::remove_all(tmpl);
}

TEST(FifoPublisher, inProcessPublisher_servesUntilStopped) {
    char tmpl[] = "/tmp/panelsim-pub-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string root = std::string(tmpl) + "/root";
    PanelBoard board(PanelConfig::forSystem(PanelSystem::Kv));
    std::string error;
    auto publisher = FifoPanelPublisher::publish(root, board, error);
    ASSERT_NE(publisher, nullptr) << error;
    std::thread server([&] { error = publisher->serve(); });

    FifoUsbPlatform platform(root);
    SystemSleeper sleeper;
    UsbPipes link(platform, sleeper);
    int count = 0;
    EXPECT_TRUE(link.UsbCountDevices(count));
    DeviceInfo info;
    EXPECT_EQ(link.UsbGetDeviceInfo(kCmdIdentify, info), UsbResult::Ok);
    EXPECT_EQ(info.versionCode, 52u);

    publisher->requestStop();
    server.join();
    EXPECT_EQ(error, "");
    const std::string folder = publisher->folder();
    publisher.reset();
    EXPECT_FALSE(fs::exists(folder));
    Block values{};
    EXPECT_NE(link.UsbReadBlock(0, values), UsbResult::Ok) << "the held pipes see the panel gone";
    fs::remove_all(tmpl);
}

}  // namespace
}  // namespace livna::panelsim
