// panelsim: plays a Ливна-640 panel on the direct USB link until it is stopped (SIGINT, SIGTERM).
#include <signal.h>  // NOLINT(modernize-deprecated-headers): sigaction and sigprocmask are POSIX
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "common/settings_file.h"
#include "panelsim/fifo_publisher.h"
#include "panelsim/panelsim_options.h"
#include "panelsim/pty_publisher.h"
#include "panelsim/setka_panel_protocol.h"
#include "panelsim/tsk_maker.h"
#include "setka/link/serial_port.h"
#include "usblink/fifo_platform.h"

namespace {

using namespace livna;
using namespace livna::panelsim;

int g_stopFd = -1;

// Only write() is safe here; the serving loop wakes up and the folder is removed on the way out.
void onSignal(int) {
    const char b = 1;
    if (g_stopFd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(g_stopFd, &b, 1);
    }
}

std::string programFolder() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string p(buf, static_cast<std::size_t>(n));
    const auto slash = p.find_last_of('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

// The factory defaults of the system: beside the program, else in the current folder.
std::optional<SettingsImage> factoryImage(PanelSystem system) {
    const std::size_t size = imageBlocks(system) * kBlockSize;
    for (const std::string& base : {programFolder(), std::string(".")}) {
        ImageResult r = readSettingsFile(base + "/" + factoryDefaultFile(system), size);
        if (r.ok()) return std::move(r.image);
    }
    return std::nullopt;
}

// Records the board's requests in the file at path, if one is named.
bool keepLog(const std::string& path, std::ofstream& log, PanelBoard& board) {
    if (path.empty()) return true;
    log.open(path, std::ios::trunc);
    if (!log) {
        std::cerr << "panelsim: cannot write " << path << '\n';
        return false;
    }
    board.setLogStream(&log);
    return true;
}

// Holds SIGINT and SIGTERM back and routes them to onSignal; the caller lets them in once the
// handler has somewhere to write.
sigset_t holdStopSignals() {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    return stopSignals;
}

// A setka panel on a serial line: the pty is linked as <root>/COMn until the program ends.
int runSetkaPanel(const PanelsimOptions& options) {
    PanelBoard board(options.config);
    seedSetkaBoard(board, options.config.versionCode);
    SetkaPanelProtocol protocol(board, options.setkaFaults);
    std::ofstream log;
    if (!keepLog(options.logPath, log, board)) return 1;
    LineOptions line;
    line.paced = !options.fast;
    line.echoStop = options.setkaFaults.echoStop;

    const sigset_t stopSignals = holdStopSignals();

    std::string error;
    const std::string root = options.root.empty() ? setka::defaultComRoot() : options.root;
    auto publisher = PtyPanelPublisher::publish(root, options.comNumber, protocol, line, error);
    if (publisher) g_stopFd = publisher->stopDescriptor();
    ::sigprocmask(SIG_UNBLOCK, &stopSignals, nullptr);
    if (!publisher) {
        std::cerr << "panelsim: " << error << '\n';
        return 1;
    }
    board.record(publisher->elapsedMs(), "start setka type " + std::to_string(board.typeCode()) +
                                             " version " + std::to_string(board.versionCode()));
    std::cout << "panelsim: " << publisher->linkPath() << " -> " << publisher->slavePath() << std::endl;
    error = publisher->serve();
    g_stopFd = -1;
    publisher.reset();  // removes the link
    if (!error.empty()) {
        std::cerr << "panelsim: " << error << '\n';
        return 1;
    }
    return 0;
}

// make-tsk: a made-up firmware file for the simulated loader.
int makeTskFile(const std::vector<std::string>& args) {
    std::string error;
    const auto command = parseMakeTsk(args, error);
    if (!command) {
        std::cerr << "panelsim: " << error << '\n' << kMakeTskUsage;
        return 2;
    }
    const std::vector<std::uint8_t> bytes = makeTsk(command->plan);
    std::ofstream out(pathFromUtf8(command->out), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "panelsim: cannot write " << command->out << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "make-tsk")
        return makeTskFile(std::vector<std::string>(argv + 2, argv + argc));
    std::string error;
    const auto options = parsePanelsimOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "panelsim: " << error << '\n' << kPanelsimUsage;
        return 2;
    }
    if (options->help) {
        std::cout << kPanelsimUsage;
        return 0;
    }
    if (options->link == PanelsimOptions::Link::Com) return runSetkaPanel(*options);

    PanelBoard board(options->config);
    const std::size_t imageSize = imageBlocks(options->config.system) * kBlockSize;
    if (!options->imagePath.empty()) {
        const ImageResult r = readSettingsFile(pathFromUtf8(options->imagePath), imageSize);
        if (!r.ok()) {
            std::cerr << "panelsim: " << describe(*r.error) << '\n';
            return 1;
        }
        board.loadImage(r.image);
    } else if (auto image = factoryImage(options->config.system)) {
        board.loadImage(*image);
    } else {
        board.loadImage(SettingsImage::fresh(imageSize, static_cast<int>(options->config.versionCode)));
    }

    std::ofstream log;
    if (!keepLog(options->logPath, log, board)) return 1;
    if (!options->savePath.empty()) {
        const std::string savePath = options->savePath;
        board.setOnAcceptedWrite([savePath](const PanelBoard& b, int) {
            if (const auto e = writeSettingsFile(pathFromUtf8(savePath), b.image()))
                std::cerr << "panelsim: " << describe(*e) << '\n';
        });
    }

    // A stop signal that arrives while the folder is being published must still remove it: hold
    // the signals back until the handler has somewhere to write, then let any pending one in.
    const sigset_t stopSignals = holdStopSignals();
    ::signal(SIGPIPE, SIG_IGN);

    const std::string root = options->root.empty() ? defaultUsbRoot() : options->root;
    auto publisher = FifoPanelPublisher::publish(root, board, error);
    if (publisher) g_stopFd = publisher->stopDescriptor();
    ::sigprocmask(SIG_UNBLOCK, &stopSignals, nullptr);
    if (!publisher) {
        std::cerr << "panelsim: " << error << '\n';
        return 1;
    }

    board.record(publisher->elapsedMs(), "start type " + std::to_string(board.typeCode()) + " version " +
                                             std::to_string(board.versionCode()));
    std::cout << "panelsim: " << publisher->folder() << std::endl;
    error = publisher->serve();
    g_stopFd = -1;
    publisher.reset();  // removes the folder
    if (!error.empty()) {
        std::cerr << "panelsim: " << error << '\n';
        return 1;
    }
    return 0;
}
