#include "setka/link/link_chain.h"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace livna::setka {

ChainRequest ChainRequest::connect(int configByte, bool firmwareChanged) {
    ChainRequest r;
    r.steps = {LinkCommand::Connect, LinkCommand::ReadSettings};
    r.configByte = configByte;
    r.firmwareChanged = firmwareChanged;
    r.versionCheckPending = true;
    return r;
}

ChainRequest ChainRequest::read(int configByte) {
    ChainRequest r;
    r.steps = {LinkCommand::ReadCodes, LinkCommand::ReadSettings};
    r.configByte = configByte;
    return r;
}

ChainRequest ChainRequest::write(int configByte, std::vector<int> codes, std::vector<int> settings) {
    ChainRequest r;
    r.steps = {LinkCommand::WriteCodes, LinkCommand::WriteSettings};
    r.configByte = configByte;
    r.codes = std::move(codes);
    r.settings = std::move(settings);
    return r;
}

void StoppableSleeper::sleepMs(int ms) {
    std::mutex m;
    std::condition_variable_any cv;
    std::unique_lock lock(m);
    cv.wait_for(lock, m_stop, std::chrono::milliseconds(ms), [] { return false; });
}

ChainOutcome runChain(LinkPort& port, Sleeper& sleeper, LinkEventSink& sink, std::stop_token stop,
                      const ChainRequest& request) {
    ChainOutcome outcome;
    LinkWorker worker(port, sleeper, sink, std::move(stop));
    int deviceType = request.deviceType;
    for (LinkCommand step : request.steps) {
        outcome.lastStep = step;
        StepInputs in;
        in.configByte = request.configByte;
        in.deviceType = deviceType;
        in.firmwareChanged = request.firmwareChanged;
        in.versionCheckPending = request.versionCheckPending;
        if (step == LinkCommand::WriteCodes) in.data = request.codes;
        if (step == LinkCommand::WriteSettings) in.data = request.settings;
        if (step == LinkCommand::FirmwareStream) in.data = request.firmware;

        // Purged at the start of each step and at its end, before the next step begins: no byte
        // of the next exchange is in flight yet to be eaten.
        port.purge();
        StepResult r = worker.run(step, in);
        if (!r.portClosed) port.purge();

        outcome.status = r.status;
        outcome.event = r.event;
        outcome.portClosed = outcome.portClosed || r.portClosed;
        outcome.systemText = r.systemText;
        if (step == LinkCommand::Connect) outcome.deviceType = deviceType = r.deviceType;
        if (step == LinkCommand::ReadSettings) outcome.settings = std::move(r.image);
        if (step == LinkCommand::ReadCodes) outcome.codes = std::move(r.image);
        if (r.status != StepStatus::Done) break;
    }
    return outcome;
}

void LinkChain::start(LinkPort& port, ChainRequest request, LinkEventSink& sink, Finish finish,
                      Sleeper* pauses) {
    stop();
    m_thread = std::jthread([&port, &sink, pauses, request = std::move(request),
                             finish = std::move(finish)](const std::stop_token& stop) {
        port.rearm();
        // Registered after rearm(): a stop that comes at any moment from now on cancels the port.
        std::stop_callback cancelPort(stop, [&port] { port.cancel(); });
        StoppableSleeper realPauses(stop);
        ChainOutcome outcome = runChain(port, pauses != nullptr ? *pauses : realPauses, sink, stop, request);
        if (!stop.stop_requested() && finish) finish(std::move(outcome));
    });
}

void LinkChain::stop() {
    if (!m_thread.joinable()) return;
    m_thread.request_stop();
    m_thread.join();
}

}  // namespace livna::setka
