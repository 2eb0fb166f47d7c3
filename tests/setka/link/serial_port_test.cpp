// The serial backend on pseudo-terminals: where COMn is found, exclusive opening, the line
// settings, and bytes crossing unchanged.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link_test_support.h"
#include "setka/link/serial_port.h"

namespace livna::setka {
namespace {

namespace fs = std::filesystem;

/// A pty master, and the slave held open as a simulator holds it.
struct Pty {
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_GE(master, 0);
        ::grantpt(master);
        ::unlockpt(master);
        char name[128];
        ::ptsname_r(master, name, sizeof name);
        slave = name;
        held = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_GE(held, 0);
    }
    ~Pty() {
        ::close(held);
        ::close(master);
    }
    int master = -1;
    int held = -1;
    std::string slave;
};

std::size_t openDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
}

class ComRoot : public ::testing::Test {
protected:
    test::PrivateRoot m_root{"livna-com-test"};
    const fs::path& root = m_root.path();
};

TEST_F(ComRoot, comNumbersResolveToTheirLinksElseTtyS) {
    Pty pty1, pty10;
    fs::create_symlink(pty1.slave, root / "COM1");
    fs::create_symlink(pty10.slave, root / "COM10");
    struct Case {
        int number;
        std::string path;
    };
    for (const Case& c :
         {Case{1, (root / "COM1").string()}, Case{10, (root / "COM10").string()}, Case{3, "/dev/ttyS2"}}) {
        std::string error;
        EXPECT_EQ(comDevicePath(root.string(), c.number, error), c.path);
        EXPECT_EQ(error, "");
    }
    RecordingSleeper sleeper;
    std::vector<std::unique_ptr<LinkPort>> held;
    for (int n : {1, 10}) {
        auto opened = openSerialPort(root.string(), n, sleeper);
        ASSERT_NE(opened.port, nullptr) << opened.systemText;
        EXPECT_EQ(opened.port->kind(), PortKind::Com);
        held.push_back(std::move(opened.port));
    }
    PortBackends backends;
    backends.comRoot = root.string();
    backends.sleeper = &sleeper;
    auto byKind = openLinkPort(PortKind::Com, 10, backends);
    EXPECT_EQ(byKind.port, nullptr);  // COM10 is still held
    EXPECT_NE(byKind.systemText, "");
    EXPECT_EQ(sleeper.pauses(), (std::vector<int>{kSerialSettleMs, kSerialSettleMs}));
    EXPECT_EQ(openSerialPort(root.string(), 11, sleeper).port, nullptr);
    EXPECT_EQ(openFailureMessage(PortKind::Com, 10), "Порт COM10 занят другой программой или не доступен.");
    EXPECT_EQ(openFailureMessage(PortKind::Usb, 1), "Прибор Л-640 отключен от линии USB.");
}

TEST_F(ComRoot, rootThatIsNotAFolderIsRefused) {
    const fs::path file = root / "file";
    { std::ofstream(file) << "x"; }
    std::string error;
    EXPECT_EQ(comDevicePath(file.string(), 1, error), "");
    EXPECT_NE(error, "");
}

TEST(SerialPort, secondOpenIsBusyAndLeavesNoDescriptor) {
    Pty pty;
    RecordingSleeper sleeper;
    auto first = openSerialDevice(pty.slave, sleeper);
    ASSERT_NE(first.port, nullptr) << first.systemText;
    const std::size_t before = openDescriptors();
    auto second = openSerialDevice(pty.slave, sleeper);
    EXPECT_EQ(second.port, nullptr);
    EXPECT_NE(second.systemText, "");
    EXPECT_EQ(openDescriptors(), before);
    // Once the first lets go, the port opens again.
    first.port->close();
    EXPECT_NE(openSerialDevice(pty.slave, sleeper).port, nullptr);
}

TEST(SerialPort, lineIsSetRaw1200EightNoneOne) {
    Pty pty;
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.held, &t), 0);
    // A driver's usual defaults: everything that would corrupt binary frames.
    t.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    t.c_iflag |= ICRNL | IXON | IXOFF | INLCR;
    t.c_oflag |= OPOST | ONLCR;
    t.c_cflag |= PARENB | CSTOPB;
    ::cfsetspeed(&t, B9600);
    ASSERT_EQ(::tcsetattr(pty.held, TCSANOW, &t), 0);
    RecordingSleeper sleeper;
    auto opened = openSerialDevice(pty.slave, sleeper);
    ASSERT_NE(opened.port, nullptr) << opened.systemText;
    ASSERT_EQ(::tcgetattr(pty.held, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), B1200);
    EXPECT_EQ(::cfgetispeed(&t), B1200);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | INLCR), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

TEST(SerialPort, everyByteValueCrossesUnchanged) {
    Pty pty;
    RecordingSleeper sleeper;
    auto opened = openSerialDevice(pty.slave, sleeper);
    ASSERT_NE(opened.port, nullptr) << opened.systemText;
    LinkPort& port = *opened.port;
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);

    ASSERT_EQ(::write(pty.master, all.data(), all.size()), 256);
    std::vector<std::uint8_t> got;
    for (int i = 0; i < 256; ++i) {
        const ByteRead r = port.readByte();
        ASSERT_TRUE(r.ok()) << i;
        got.push_back(r.value);
    }
    EXPECT_EQ(got, all);
    EXPECT_EQ(port.readByte().outcome.status, IoStatus::TimedOut);

    for (std::uint8_t b : all) ASSERT_TRUE(port.writeByte(b).ok());
    std::vector<std::uint8_t> back(256);
    std::size_t n = 0;
    while (n < back.size()) {
        const ssize_t r = ::read(pty.master, back.data() + n, back.size() - n);
        ASSERT_GT(r, 0);
        n += static_cast<std::size_t>(r);
    }
    EXPECT_EQ(back, all);
}

TEST(SerialPort, blockReadKeepsWhatArrived) {
    Pty pty;
    RecordingSleeper sleeper;
    auto opened = openSerialDevice(pty.slave, sleeper);
    ASSERT_NE(opened.port, nullptr);
    const std::uint8_t two[2] = {0x55, 0x66};
    ASSERT_EQ(::write(pty.master, two, 2), 2);
    std::array<std::uint8_t, 4> buffer{1, 2, 3, 4};
    const BlockRead r = opened.port->readBlock(buffer);
    EXPECT_EQ(r.outcome.status, IoStatus::TimedOut);
    EXPECT_EQ(r.count, 2u);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{0x55, 0x66, 3, 4}));
}

TEST(SerialPort, cancelCloseAndPurge) {
    Pty pty;
    RecordingSleeper sleeper;
    auto opened = openSerialDevice(pty.slave, sleeper);
    ASSERT_NE(opened.port, nullptr);
    LinkPort& port = *opened.port;
    const std::uint8_t b = 7;
    ASSERT_EQ(::write(pty.master, &b, 1), 1);
    port.cancel();
    EXPECT_EQ(port.readByte().outcome.status, IoStatus::Cancelled);
    port.rearm();
    ASSERT_TRUE(port.purge().ok());
    EXPECT_EQ(port.readByte().outcome.status, IoStatus::TimedOut);  // the purge took the 7
    port.close();
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.writeByte(1).status, IoStatus::Closed);
    EXPECT_EQ(port.readByte().outcome.status, IoStatus::Closed);
}

}  // namespace
}  // namespace livna::setka
