#pragma once
// The hand-over of a chain's events to the UI thread, without the toolkit: the window supplies
// how a task reaches its thread (a queued call) and what an event shows; the worker waits until
// the UI thread has run the event, or until the chain is stopped.
#include <functional>
#include <memory>
#include <stop_token>

#include "setka/link/link_worker.h"

namespace livna::setka {

class HandOverSink : public LinkEventSink {
public:
    /// Queues a task to run on the UI thread; must not run it on the caller's thread.
    using PostToUi = std::function<void(std::function<void()>)>;
    /// Shows an event; runs on the UI thread.
    using Show = std::function<void(const LinkEvent&)>;

    HandOverSink(PostToUi postToUi, Show show) : m_postToUi(std::move(postToUi)), m_show(std::move(show)) {}

    /// Queues the event and waits until the UI thread has shown it, or until stop is requested:
    /// then the event is dropped unshown even if its task runs later.
    void post(const LinkEvent& event, std::stop_token stop) override;

private:
    PostToUi m_postToUi;
    Show m_show;
};

}  // namespace livna::setka
