// panelsim --link com: the program publishes a setka panel as COMn, the link's serial backend
// reaches it, the faults act, the log names each request's configuration byte, and the link
// goes when the program is stopped.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "panelsim/tsk_maker.h"
#include "panelsim_process.h"
#include "setka/link/link_chain.h"
#include "setka/link/serial_port.h"

namespace livna::panelsim {
namespace {

namespace fs = std::filesystem;
using namespace livna::setka;

class Collect : public LinkEventSink {
public:
    void post(const LinkEvent& e, std::stop_token) override { events.push_back(e); }
    std::vector<LinkEvent> events;
};

class SetkaLineRun : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/panelsim-com-test-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        base = tmpl;
        root = base + "/root";
    }
    void TearDown() override {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        fs::remove_all(base);
    }

    void start(std::vector<std::string> args) {
        args.insert(args.begin(), {"--link", "com", "--fast", "--root", root, "--log", base + "/log"});
        m_pid = spawnPanelsim(std::move(args));
        ASSERT_GT(m_pid, 0);
        for (int i = 0; i < 500 && !fs::is_symlink(root + "/COM1"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(fs::is_symlink(root + "/COM1")) << "panelsim did not publish COM1";
    }
    int stop() {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }
    std::string log() const {
        std::ifstream in(base + "/log");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    ChainOutcome run(const ChainRequest& request, Collect& sink) {
        RecordingSleeper pauses;
        auto opened = openSerialPort(root, 1, pauses);
        EXPECT_NE(opened.port, nullptr) << opened.systemText;
        if (!opened.port) return {};
        return runChain(*opened.port, pauses, sink, {}, request);
    }

    /// The loader and the stream with the protocol's real pauses: the panel judges them on its clock.
    ChainOutcome changeFirmware(const std::vector<std::uint8_t>& file, std::size_t sent, Collect& sink) {
        RecordingSleeper portClock;
        auto opened = openSerialPort(root, 1, portClock);
        EXPECT_NE(opened.port, nullptr) << opened.systemText;
        if (!opened.port) return {};
        ChainRequest request;
        request.steps = {LinkCommand::EnterLoader, LinkCommand::FirmwareStream};
        request.deviceType = 9;
        request.firmware.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(sent));
        std::stop_source never;
        StoppableSleeper pauses(never.get_token());
        return runChain(*opened.port, pauses, sink, {}, request);
    }

    std::string base, root;

private:
    pid_t m_pid = -1;
};

TEST_F(SetkaLineRun, connectsOnTheSecondAttemptThenReadsTheVersion) {
    start({"--type", "10", "--version", "17", "--fault", "answer-from:2"});
    Collect sink;
    const ChainOutcome out = run(ChainRequest::connect(0, false), sink);
    EXPECT_EQ(out.status, StepStatus::Done);
    EXPECT_EQ(out.deviceType, 10);
    ASSERT_EQ(out.settings.size(), 256u);
    EXPECT_EQ(out.settings[1], 17);
    EXPECT_EQ(sink.events[1], (LinkEvent{LinkEventCode::Attempt, 2, 0}));
    EXPECT_EQ(stop(), 0);
    EXPECT_FALSE(fs::is_symlink(root + "/COM1"));
    EXPECT_NE(log().find("request 91 config 00"), std::string::npos);
}

TEST_F(SetkaLineRun, refusedCodesWriteIsAnExchangeError) {
    start({"--fault", "write:codes"});
    Collect sink;
    const ChainOutcome out =
        run(ChainRequest::write(0x63, std::vector<int>(1024, 1), std::vector<int>(1024, 2)), sink);
    EXPECT_EQ(out.status, StepStatus::Failed);
    EXPECT_EQ(out.event, LinkEventCode::ExchangeError);
    stop();
    EXPECT_NE(log().find("request 94 config 63"), std::string::npos);
    EXPECT_NE(log().find("write codes status 01"), std::string::npos);
}

TEST_F(SetkaLineRun, firmwareChangeOnTheLineLoadsOrIsRefused) {
    TskPlan plan;
    plan.typeCode = 9;
    plan.versionCode = 32;
    plan.packets = 2;
    plan.trailing = 6;
    const auto file = makeTsk(plan);
    const std::size_t sent = file.size() - plan.trailing;
    for (const bool refuse : {false, true}) {
        SCOPED_TRACE(refuse);
        std::vector<std::string> args{"--version", "17"};
        if (refuse) args.insert(args.end(), {"--fault", "fw-refuse"});
        start(args);
        Collect sink;
        const ChainOutcome out = changeFirmware(file, sent, sink);
        EXPECT_EQ(out.status, refuse ? StepStatus::Failed : StepStatus::Done);
        ASSERT_FALSE(sink.events.empty());
        EXPECT_EQ(sink.events.back().code,
                  refuse ? LinkEventCode::ExchangeError : LinkEventCode::FirmwareLoaded);
        stop();
        const std::string text = log();
        EXPECT_NE(text.find("firmware stream of " + std::to_string(sent)), std::string::npos);
        EXPECT_NE(text.find(refuse ? "firmware status 01 refused (fault)" : "firmware status 00"),
                  std::string::npos)
            << text;
        fs::remove(base + "/log");
    }
}

}  // namespace
}  // namespace livna::panelsim
