// The Windows backend of the direct USB link: discovery through a fake in front of the four
// SetupAPI calls, and the pipes against the test's own named-pipe server standing for the panel's
// driver (\\.\pipe\livna-test-<pid>-<n>\PIPE00 and \PIPE01), with a simulated board behind it.
#include "usblink/win_usb_platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "common/utf8.h"
#include "discovery_cases.h"
#include "panelsim/panel_board.h"
#include "panelsim/panel_protocol.h"
#include "usblink/system_platform.h"
#include "usblink/usb_link.h"

namespace livna {
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

/// A device path no other test process uses.
std::string uniqueDevicePath() {
    static std::atomic<int> next{0};
    return "\\\\.\\pipe\\livna-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(next++);
}

/// SetupAPI as the panel's driver would have it: the listed device paths under the panel's class.
/// It checks the detail record's size field as SetupAPI does, and can fail calls.
class FakeSetupApi : public SetupApi {
public:
    std::vector<std::string> paths;
    std::optional<DWORD> failDetailAt;  ///< the index whose detail call fails
    bool failClassDevs = false;
    int setsOpen = 0;
    std::vector<DWORD> detailSizesSeen;

    HDEVINFO getClassDevs(const GUID& interfaceClass) override {
        if (failClassDevs || !IsEqualGUID(interfaceClass, usbInterfaceClass())) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        ++setsOpen;
        return reinterpret_cast<HDEVINFO>(this);
    }
    BOOL enumDeviceInterfaces(HDEVINFO set, const GUID&, DWORD index,
                              SP_DEVICE_INTERFACE_DATA* data) override {
        if (!ours(set) || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
            return fail(ERROR_INVALID_PARAMETER);
        if (index >= paths.size()) return fail(ERROR_NO_MORE_ITEMS);
        data->Reserved = index;
        return TRUE;
    }
    BOOL getDeviceInterfaceDetail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                  SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD detailSize,
                                  DWORD* requiredSize) override {
        if (!ours(set)) return fail(ERROR_INVALID_HANDLE);
        const std::size_t index = data->Reserved;
        if (failDetailAt == index) return fail(ERROR_GEN_FAILURE);
        const std::string& path = paths.at(index);
        const DWORD need =
            static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
        if (requiredSize != nullptr) *requiredSize = need;
        if (detail == nullptr) return fail(ERROR_INSUFFICIENT_BUFFER);
        detailSizesSeen.push_back(detail->cbSize);
        if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
            return fail(ERROR_INVALID_USER_BUFFER);
        if (detailSize < need) return fail(ERROR_INSUFFICIENT_BUFFER);
        std::memcpy(detail->DevicePath, path.c_str(), path.size() + 1);
        return TRUE;
    }
    BOOL destroyDeviceInfoList(HDEVINFO set) override {
        if (!ours(set)) return fail(ERROR_INVALID_HANDLE);
        --setsOpen;
        return TRUE;
    }

private:
    bool ours(HDEVINFO set) const {
        return set == reinterpret_cast<HDEVINFO>(const_cast<FakeSetupApi*>(this));
    }
    static BOOL fail(DWORD error) {
        SetLastError(error);
        return FALSE;
    }
};

/// Both pipes of one panel, served by a thread of the test: what the PC writes into PIPE00 goes to
/// a simulated board, whose answers come out of PIPE01.
class PipePanel {
public:
    enum class Mode {
        Answer,     ///< the board answers
        Silent,     ///< connects, then neither reads nor answers
        StopAfter,  ///< answers, and closes both pipes after stopAfter bytes of answers
    };

    explicit PipePanel(Mode mode = Mode::Answer, std::size_t stopAfter = 0)
        : devicePath(uniqueDevicePath()),
          board(panelsim::PanelConfig{}),
          m_protocol(board),
          m_mode(mode),
          m_stopAfter(stopAfter) {
        m_in = CreateNamedPipeA(
            (devicePath + "\\" + kWritePipeName).c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, kBufferBytes, kBufferBytes, 0, nullptr);
        m_out = CreateNamedPipeA(
            (devicePath + "\\" + kReadPipeName).c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED,
            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, kBufferBytes, kBufferBytes, 0, nullptr);
        EXPECT_NE(m_in, INVALID_HANDLE_VALUE) << GetLastError();
        EXPECT_NE(m_out, INVALID_HANDLE_VALUE) << GetLastError();
        m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this] { serve(); });
    }
    ~PipePanel() {
        SetEvent(m_stop);
        m_thread.join();
        closePipes();
        CloseHandle(m_stop);
    }
    PipePanel(const PipePanel&) = delete;
    PipePanel& operator=(const PipePanel&) = delete;

    const std::string devicePath;
    panelsim::PanelBoard board;

private:
    static constexpr DWORD kBufferBytes = 512;

    // Waits for an overlapped call on handle; false when the panel is told to stop.
    bool wait(HANDLE handle, OVERLAPPED& ov, DWORD& bytes) {
        HANDLE events[2] = {ov.hEvent, m_stop};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIoEx(handle, &ov);
            GetOverlappedResult(handle, &ov, &bytes, TRUE);
            return false;
        }
        return GetOverlappedResult(handle, &ov, &bytes, FALSE) != FALSE;
    }

    bool call(HANDLE handle, bool write, void* buffer, DWORD size, DWORD& bytes) {
        OVERLAPPED ov{};
        ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        bytes = 0;
        const BOOL started = write ? WriteFile(handle, buffer, size, nullptr, &ov)
                                   : ReadFile(handle, buffer, size, nullptr, &ov);
        bool ok = started || GetLastError() == ERROR_IO_PENDING;
        if (ok) ok = wait(handle, ov, bytes);
        CloseHandle(ov.hEvent);
        return ok;
    }

    bool connect(HANDLE handle) {
        OVERLAPPED ov{};
        ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        bool ok = ConnectNamedPipe(handle, &ov) != FALSE;
        if (!ok && GetLastError() == ERROR_PIPE_CONNECTED) ok = true;
        DWORD unused = 0;
        if (!ok && GetLastError() == ERROR_IO_PENDING) ok = wait(handle, ov, unused);
        CloseHandle(ov.hEvent);
        return ok;
    }

    void serve() {
        if (!connect(m_in) || !connect(m_out)) return;
        if (m_mode == Mode::Silent) {
            WaitForSingleObject(m_stop, INFINITE);
            return;
        }
        const auto start = Clock::now();
        std::uint8_t buffer[kBufferBytes];
        std::size_t answered = 0;
        for (;;) {
            DWORD got = 0;
            if (!call(m_in, false, buffer, sizeof buffer, got) || got == 0)
                return;  // stopped, or the PC let go
            std::vector<std::uint8_t> reply;
            m_protocol.receive(std::span(buffer, got), msSince(start), reply);
            if (m_mode == Mode::StopAfter && answered + reply.size() >= m_stopAfter) {
                reply.resize(m_stopAfter - answered);
                DWORD sent = 0;
                if (!reply.empty()) call(m_out, true, reply.data(), static_cast<DWORD>(reply.size()), sent);
                closePipes();  // the panel goes away in the middle of its answer
                return;
            }
            answered += reply.size();
            DWORD sent = 0;
            if (!reply.empty() && !call(m_out, true, reply.data(), static_cast<DWORD>(reply.size()), sent))
                return;
        }
    }

    void closePipes() {
        for (HANDLE* h : {&m_in, &m_out}) {
            if (*h != INVALID_HANDLE_VALUE) {
                FlushFileBuffers(*h);
                DisconnectNamedPipe(*h);
                CloseHandle(*h);
                *h = INVALID_HANDLE_VALUE;
            }
        }
    }

    panelsim::UsbPanelProtocol m_protocol;
    Mode m_mode;
    std::size_t m_stopAfter;
    HANDLE m_in = INVALID_HANDLE_VALUE;   // PIPE00, the server's end
    HANDLE m_out = INVALID_HANDLE_VALUE;  // PIPE01, the server's end
    HANDLE m_stop = nullptr;
    std::thread m_thread;
};

TEST(WinDiscovery, findsTheServedPanels) {
    for (const test::DiscoveryCase& c : test::kDiscoveryCases) {
        SCOPED_TRACE(c.name);
        std::vector<std::unique_ptr<PipePanel>> panels;
        FakeSetupApi api;
        for (int i = 0; i < c.served; ++i) {
            panels.push_back(std::make_unique<PipePanel>());
            api.paths.push_back(panels.back()->devicePath);
        }
        for (int i = 0; i < c.unserved; ++i) api.paths.push_back(uniqueDevicePath());
        WinUsbPlatform platform(api);
        test::expectDiscovery(platform, c);
        EXPECT_EQ(api.setsOpen, 0) << "the device set is destroyed";
    }
}

TEST(WinDiscovery, failedCallsAreToldAndTheSetIsDestroyed) {
    struct Case {
        const char* name;
        std::size_t interfaces;
        std::optional<DWORD> failDetailAt;
        bool failClassDevs;
        std::size_t found;
    };
    for (const Case& c : {Case{"detail of the second of two fails", 2, 1, false, 1},
                          Case{"detail of the only one fails", 1, 0, false, 0},
                          Case{"no device set", 1, std::nullopt, true, 0}}) {
        SCOPED_TRACE(c.name);
        FakeSetupApi api;
        for (std::size_t i = 0; i < c.interfaces; ++i)
            api.paths.push_back("\\\\?\\usb#panel#" + std::to_string(i));
        api.failDetailAt = c.failDetailAt;
        api.failClassDevs = c.failClassDevs;
        WinUsbPlatform platform(api);
        const EnumerateResult r = platform.enumerateInterfaces();
        EXPECT_EQ(r.devicePaths.size(), c.found);
        EXPECT_NE(r.systemText, "");
        EXPECT_EQ(api.setsOpen, 0);
    }
}

TEST(WinDiscovery, detailRecordSizeIsTheFixedPartOfThisWordSize) {
    FakeSetupApi api;
    api.paths = {"\\\\?\\usb#vid_0000&pid_0000#1#{e6ef7dcd-1795-4a08-9fbf-aa78423c26f0}"};
    WinUsbPlatform platform(api);
    const EnumerateResult r = platform.enumerateInterfaces();
    ASSERT_EQ(r.devicePaths, api.paths) << r.systemText;
    // 5 is right only for a 32-bit program; SetupAPI refuses it in a 64-bit one.
    EXPECT_EQ(api.detailSizesSeen, std::vector<DWORD>{sizeof(void*) == 8 ? 8u : 5u});
}

// setupapi.dll itself: a machine without the panel's driver lists no interface of its class, and
// that is no error.
TEST(WinDiscovery, systemSetupApiListsNoPanelWithoutItsDriver) {
    const auto platform = makeSystemUsbPlatform();
    const EnumerateResult r = platform->enumerateInterfaces();
    if (!r.devicePaths.empty()) GTEST_SKIP() << "a panel is attached to this machine";
    EXPECT_EQ(r.systemText, "");
    RecordingSleeper sleeper;
    UsbPipes pipes(*platform, sleeper);
    int count = -1;
    EXPECT_FALSE(pipes.UsbCountDevices(count));
    EXPECT_EQ(count, 0);
}

class WinPipesTest : public ::testing::Test {
protected:
    /// The link on one panel, found through discovery.
    void connect(PipePanel& panel) {
        m_api.paths = {panel.devicePath};
        int count = 0;
        ASSERT_TRUE(pipes.UsbCountDevices(count)) << pipes.systemText();
    }

    FakeSetupApi m_api;
    WinUsbPlatform platform{m_api};
    RecordingSleeper sleeper;
    UsbPipes pipes{platform, sleeper};
};

TEST_F(WinPipesTest, identifyReadAndWriteABlock) {
    PipePanel panel;
    connect(panel);
    DeviceInfo info;
    ASSERT_EQ(pipes.UsbGetDeviceInfo(kCmdIdentify, info), UsbResult::Ok) << pipes.systemText();
    EXPECT_EQ(info, (DeviceInfo{31, panelsim::kKvmVersionCode}));

    std::array<std::int32_t, kUsbBlockSize> values{};
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::int32_t>(255 - i);
    ASSERT_EQ(pipes.UsbWriteBlock(3, values), UsbResult::Ok) << pipes.systemText();
    std::array<std::int32_t, kUsbBlockSize> back{};
    ASSERT_EQ(pipes.UsbReadBlock(3, back), UsbResult::Ok) << pipes.systemText();
    EXPECT_EQ(back, values);
    EXPECT_EQ(pipes.UsbSendEnd(), UsbResult::Ok);
}

TEST_F(WinPipesTest, secondProgramIsRefusedAsInUse) {
    PipePanel panel;
    connect(panel);
    UsbPipes second(platform, sleeper);
    int count = -1;
    EXPECT_FALSE(second.UsbCountDevices(count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(second.devicesInUse(), 1);
    const PipeOpenResult direct = platform.openPipe(panel.devicePath, PipeRole::Read);
    EXPECT_EQ(direct.status, PipeOpenResult::Status::InUse);
    EXPECT_NE(direct.systemText, "");
}

TEST_F(WinPipesTest, silentPanel_readAndFlushFailWithinTheirLimits) {
    PipePanel panel(PipePanel::Mode::Silent);
    const PipeOpenResult w = platform.openPipe(panel.devicePath, PipeRole::Write);
    const PipeOpenResult r = platform.openPipe(panel.devicePath, PipeRole::Read);
    ASSERT_EQ(w.status, PipeOpenResult::Status::Opened) << w.systemText;
    ASSERT_EQ(r.status, PipeOpenResult::Status::Opened) << r.systemText;

    std::uint8_t byte = 0;
    auto t = Clock::now();
    EXPECT_EQ(r.pipe->read(std::span(&byte, 1), kByteReadTimeoutMs).status, IoStatus::TimedOut);
    double waited = msSince(t);
    EXPECT_GE(waited, kByteReadTimeoutMs - 20);
    EXPECT_LT(waited, kByteReadTimeoutMs + 700);

    const std::uint8_t frame[8] = {0x55, 0x55, 0xAA, 0xAA, 0, 0, 0x01, 0xF1};
    ASSERT_TRUE(w.pipe->write(frame, kByteWriteTimeoutMs).ok());
    t = Clock::now();
    EXPECT_EQ(w.pipe->flush(kFlushTimeoutMs).status, IoStatus::TimedOut) << "the panel never took the frame";
    waited = msSince(t);
    EXPECT_GE(waited, kFlushTimeoutMs - 20);
    EXPECT_LT(waited, kFlushTimeoutMs + 700);
    EXPECT_TRUE(r.pipe->flush(kFlushTimeoutMs).ok()) << "nothing to discard";
}

// A panel that falls silent mid-block fails the read at its limit, without a text of the system's;
// one that goes away fails it at once, with the system's text.
TEST_F(WinPipesTest, panelLostMidBlock_failsTheBlockWithinItsLimit) {
    struct Case {
        const char* name;
        PipePanel::Mode mode;
        bool gone;
    };
    constexpr std::size_t kCutAfter = 8 + 2 + 100;  // the identify reply, the header, part of the data
    for (const Case& c : {Case{"falls silent", PipePanel::Mode::Answer, false},
                          Case{"goes away", PipePanel::Mode::StopAfter, true}}) {
        SCOPED_TRACE(c.name);
        PipePanel panel(c.mode, kCutAfter);
        if (!c.gone) panel.board.addFault({panelsim::PanelFault::Kind::SilentAfter, std::nullopt, kCutAfter});
        connect(panel);
        DeviceInfo info;
        ASSERT_EQ(pipes.UsbGetDeviceInfo(kCmdIdentify, info), UsbResult::Ok);
        std::array<std::int32_t, kUsbBlockSize> values{};
        values.fill(-7);
        const auto t = Clock::now();
        EXPECT_EQ(pipes.UsbReadBlock(0, values), UsbResult::BadReply);
        const double waited = msSince(t);
        EXPECT_EQ(values[0], -7) << "the caller's values are left as they were";
        const std::string text = pipes.systemText();
        if (c.gone) {
            EXPECT_LT(waited, kPacketReadTimeoutMs) << "a broken pipe is not waited out";
            EXPECT_NE(text, "");
            EXPECT_EQ(u32ToUtf8(utf8ToU32(text)), text) << "UTF-8 for the window's box";
        } else {
            EXPECT_GE(waited, kPacketReadTimeoutMs - 20);
            EXPECT_LT(waited, kPacketReadTimeoutMs + kFlushTimeoutMs + 700);
            EXPECT_EQ(text, "") << "a time-out is no error of the system";
        }
        pipes.release();
    }
}

TEST(WindowsErrorText, isTheSystemsUtf8TextWithoutLineEnd) {
    for (DWORD code :
         {DWORD{ERROR_FILE_NOT_FOUND}, DWORD{ERROR_SHARING_VIOLATION}, DWORD{ERROR_BROKEN_PIPE}}) {
        SCOPED_TRACE(code);
        const std::string text = windowsErrorText(code);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(u32ToUtf8(utf8ToU32(text)), text);
        EXPECT_NE(text.back(), '\n');
        EXPECT_NE(text.back(), '\r');
        EXPECT_NE(text, windowsErrorText(ERROR_ACCESS_DENIED));
    }
}

}  // namespace
}  // namespace livna
