#include "ui/usb_connect.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "scripted_device.h"
#include "usblink/fifo_platform.h"
#include "usblink/memory_platform.h"

namespace livna {
namespace {

using test::ScriptedDevice;
using Bytes = std::vector<std::uint8_t>;

/// Records what UsbConnect does to a window; the acceptance rule is the Ливна-КВ-М editor's
/// unless a test sets another.
class FakeWindow : public UsbConnectWindow {
public:
    void setStatusText(const std::string& text) override {
        statuses.push_back(text);
        if (onStatus) onStatus();
    }
    void setProgress(int percent) override { progress.push_back(percent); }
    std::uint8_t identifyCommand() const override { return command; }
    bool accepts(const DeviceInfo& info) const override { return info.versionCode / 10 == acceptedMajor; }
    std::string refusalMessage() const override { return kTextWrongSystem; }
    void disconnectAction() override { ++disconnects; }
    void acceptanceAction(const DeviceInfo& info) override {
        accepted.push_back(info);
        statusAtAcceptance = statuses.empty() ? "" : statuses.back();
    }

    std::uint8_t command = kCmdIdentify;
    unsigned acceptedMajor = 3;
    std::vector<std::string> statuses;
    std::vector<int> progress;
    int disconnects = 0;
    std::vector<DeviceInfo> accepted;
    std::string statusAtAcceptance;
    std::function<void()> onStatus;  ///< runs after each status (a panel failing between steps)
};

Bytes identifyReply(unsigned type, unsigned version) {
    const CommandFrame f = makeFrame(static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(version), 0);
    return Bytes(f.begin(), f.end());
}

class UsbConnectTest : public ::testing::Test {
protected:
    ConnectOutcome connect() { return UsbConnect(pipes, window, dialogs); }

    MemoryUsbPlatform platform;
    RecordingSleeper sleeper;
    ScriptedDialogService dialogs;
    UsbPipes pipes{platform, sleeper};
    FakeWindow window;
    ScriptedDevice first, second;
};

TEST_F(UsbConnectTest, discoveryFailures_showTheirTextInStatusAndBox) {
    struct Case {
        const char* name;
        int panels;
        ConnectOutcome outcome;
        const char* text;
    };
    const Case cases[] = {
        {"no panel", 0, ConnectOutcome::NoPanel, "Приборы марки Ливна отключены от линии USB!"},
        {"two panels", 2, ConnectOutcome::SeveralPanels,
         "Подключено более одного прибора марки Ливна! Оставьте только один прибор на линии USB!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryUsbPlatform platform;
        if (c.panels > 0) platform.addDevice("a", first);
        if (c.panels > 1) platform.addDevice("b", second);
        UsbPipes pipes(platform, sleeper);
        FakeWindow window;
        dialogs.clear();
        EXPECT_EQ(UsbConnect(pipes, window, dialogs), c.outcome);
        EXPECT_EQ(window.statuses, std::vector<std::string>{c.text});
        ASSERT_EQ(dialogs.messages().size(), 1u);
        EXPECT_EQ(dialogs.messages()[0].caption, "Сообщение системы");
        EXPECT_EQ(dialogs.messages()[0].text, c.text);
        EXPECT_EQ(dialogs.messages()[0].icon, MsgIcon::Error);
        EXPECT_TRUE(first.writes.empty() && second.writes.empty()) << "no identify";
        EXPECT_EQ(window.disconnects, 0);
    }
}

TEST_F(UsbConnectTest, onePanelAccepted_narratesPausesAndIdentifiesWithTheWindowsCommand) {
    platform.addDevice("a", first);
    first.replyAfter(8, identifyReply(31, 32));
    EXPECT_EQ(connect(), ConnectOutcome::Accepted);
    const std::vector<std::string> statuses = {"Обнаружен прибор марки Ливна на линии USB!",
                                               "Устанавливается связь с прибором ...",
                                               "Связь успешно установлена!"};
    EXPECT_EQ(window.statuses, statuses);
    EXPECT_EQ(window.statusAtAcceptance, "Связь успешно установлена!");
    EXPECT_EQ(window.progress, std::vector<int>{0});
    EXPECT_EQ(sleeper.pauses(), std::vector<int>{150});
    ASSERT_EQ(window.accepted.size(), 1u);
    EXPECT_EQ(window.accepted[0], (DeviceInfo{31, 32}));
    const CommandFrame request = makeIdentifyRequest(kCmdIdentify);
    EXPECT_EQ(first.allWritten(), Bytes(request.begin(), request.end()));
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(UsbConnectTest, firmwareWindow_identifiesWithA0) {
    platform.addDevice("a", first);
    first.replyAfter(8, identifyReply(31, 52));
    window.command = kCmdIdentifyLoader;
    window.acceptedMajor = 5;
    EXPECT_EQ(connect(), ConnectOutcome::Accepted);
    ASSERT_GE(first.allWritten().size(), 3u);
    EXPECT_EQ(first.allWritten()[2], 0xA0);
}

TEST_F(UsbConnectTest, kvmEditorRule_refusesAVersion52Panel) {
    platform.addDevice("a", first);
    first.replyAfter(8, identifyReply(31, 52));
    EXPECT_EQ(connect(), ConnectOutcome::Refused);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].caption, "Сообщение системы");
    EXPECT_EQ(dialogs.messages()[0].text, "Подключенный прибор не соответствует выбранному типу системы!");
    EXPECT_EQ(dialogs.messages()[0].icon, MsgIcon::Error);
    EXPECT_EQ(window.disconnects, 1);
    EXPECT_TRUE(window.accepted.empty());
    EXPECT_NE(window.statuses.back(), "Связь успешно установлена!");
}

TEST_F(UsbConnectTest, panelThatDoesNotAnswer_isReportedPlainly) {
    struct Case {
        const char* name;
        Bytes reply;
    };
    Bytes badCrc = identifyReply(31, 32);
    badCrc[7] ^= 0xFF;
    const Case cases[] = {{"silent", {}}, {"half a reply", {0x55, 0x55, 31}}, {"bad CRC", badCrc}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryUsbPlatform platform;
        ScriptedDevice device;
        device.replyAfter(8, c.reply);
        platform.addDevice("a", device);
        UsbPipes pipes(platform, sleeper);
        FakeWindow window;
        dialogs.clear();
        EXPECT_EQ(UsbConnect(pipes, window, dialogs), ConnectOutcome::NoAnswer);
        EXPECT_EQ(window.statuses.back(), "Нет ответа от прибора");
        ASSERT_EQ(dialogs.messages().size(), 1u);
        EXPECT_EQ(dialogs.messages()[0].caption, "Сообщение системы");
        EXPECT_EQ(dialogs.messages()[0].text, "Нет ответа от прибора");
        EXPECT_EQ(dialogs.messages()[0].icon, MsgIcon::Error);
        EXPECT_TRUE(window.accepted.empty());
        EXPECT_EQ(window.disconnects, 0);
    }
}

TEST_F(UsbConnectTest, systemErrors_areShownInTheErrorBoxBeforeTheOutcome) {
    struct Case {
        const char* name;
        bool enumerationFails;
        ConnectOutcome outcome;
        const char* systemText;
        const char* told;
    };
    const Case cases[] = {
        {"discovery", true, ConnectOutcome::NoPanel, "root: Permission denied",
         "Приборы марки Ливна отключены от линии USB!"},
        {"identify", false, ConnectOutcome::NoAnswer, "Input/output error", "Нет ответа от прибора"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryUsbPlatform platform;
        ScriptedDevice device;
        platform.addDevice("a", device);
        if (c.enumerationFails) platform.failEnumeration(c.systemText);
        UsbPipes pipes(platform, sleeper);
        FakeWindow window;
        if (!c.enumerationFails)  // fails once discovery has kept the panel
            window.onStatus = [&] { platform.failIo("a", PipeRole::Write, IoStatus::Failed, c.systemText); };
        dialogs.clear();
        EXPECT_EQ(UsbConnect(pipes, window, dialogs), c.outcome);
        const auto shown = dialogs.messages();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0].caption, "Error");
        EXPECT_EQ(shown[0].text, std::string("Нет связи с прибором: ") + c.systemText);
        EXPECT_EQ(shown[0].icon, MsgIcon::Error);
        EXPECT_EQ(shown[1].text, c.told);
    }
}

// Two programs on one panel, through the FIFO backend: the second is refused with a message of its
// own (no "Error" box, and not "no panel"), and the first keeps its pipes and goes on.
TEST(UsbConnectTwoClients, secondRefusedAsInUse_firstUnharmed) {
    char base[] = "/tmp/livna-connect-test-XXXXXX";
    ASSERT_NE(::mkdtemp(base), nullptr);
    const std::string root = std::string(base) + "/root";
    ASSERT_EQ(ensureUsbRoot(root), "");
    const std::string panel = root + "/panel";
    ASSERT_EQ(::mkdir(panel.c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo((panel + "/" + kWritePipeName).c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((panel + "/" + kReadPipeName).c_str(), 0600), 0);
    // The publisher's ends, held as a panel holds them.
    const int fromPc = ::open((panel + "/" + kWritePipeName).c_str(), O_RDWR | O_NONBLOCK);
    const int toPc = ::open((panel + "/" + kReadPipeName).c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fromPc, 0);
    ASSERT_GE(toPc, 0);

    FifoUsbPlatform platform(root);
    RecordingSleeper sleeper;
    UsbPipes first(platform, sleeper), second(platform, sleeper);
    int count = 0;
    ASSERT_TRUE(first.UsbCountDevices(count));

    ScriptedDialogService dialogs;
    FakeWindow window;
    EXPECT_EQ(UsbConnect(second, window, dialogs), ConnectOutcome::InUse);
    const std::string told = "Прибор занят другой программой. Закройте её и повторите подключение.";
    EXPECT_EQ(window.statuses, std::vector<std::string>{told});
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].caption, "Сообщение системы");
    EXPECT_EQ(dialogs.messages()[0].text, told);
    EXPECT_FALSE(second.isOpen());

    EXPECT_TRUE(first.isOpen());
    EXPECT_TRUE(first.UsbWriteByte(0x5A));
    std::uint8_t got = 0;
    EXPECT_EQ(::read(fromPc, &got, 1), 1);
    EXPECT_EQ(got, 0x5A);

    // Once the first lets go, the second finds the panel.
    first.release();
    EXPECT_TRUE(second.UsbCountDevices(count));
    EXPECT_EQ(second.devicesInUse(), 0);
    second.release();

    ::close(fromPc);
    ::close(toPc);
    std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace livna
