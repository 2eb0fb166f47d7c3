#pragma once
// The hand-over of a chain's events and outcome to the Qt UI thread. The events go through
// HandOverSink (the worker waits for each); the outcome is queued unwaited. Both run on the UI
// thread through a context object of the hand-over's own, so nothing of a window is touched from
// the worker, and nothing runs after the hand-over is gone.
#include <QObject>
#include <functional>
#include <memory>

#include "setka/link/hand_over.h"
#include "setka/link/link_chain.h"

namespace livna::setka {

class QtHandOver {
public:
    /// Created on the UI thread; show runs there for every event of a chain not stopped.
    explicit QtHandOver(HandOverSink::Show show);
    ~QtHandOver();
    QtHandOver(const QtHandOver&) = delete;
    QtHandOver& operator=(const QtHandOver&) = delete;

    /// The sink to pass to LinkChain::start.
    LinkEventSink& sink() { return *m_sink; }

    /// The finish callback to pass to LinkChain::start: queues the outcome to the UI thread, where
    /// done runs unless forget() was called in between.
    LinkChain::Finish finishOnUi(std::function<void(ChainOutcome)> done);

    /// Called on the UI thread with LinkChain::stop(): outcomes already queued are dropped. The
    /// events are dropped by the stop itself.
    void forget() { ++m_generation; }

private:
    std::unique_ptr<QObject> m_context;
    std::unique_ptr<HandOverSink> m_sink;
    unsigned m_generation = 0;  ///< UI thread only
};

}  // namespace livna::setka
