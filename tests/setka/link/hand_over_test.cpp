// The hand-over of events to a UI thread, played by the test's own thread with a task queue.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <future>
#include <thread>

#include "link_test_support.h"
#include "setka/link/hand_over.h"

namespace livna::setka {
namespace {

using E = LinkEventCode;
using Clock = std::chrono::steady_clock;

/// The UI thread's queue of tasks; the test thread runs them.
class UiQueue {
public:
    void post(std::function<void()> task) {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
        m_most = std::max(m_most, m_tasks.size());
    }
    /// Runs the tasks queued so far; how many ran.
    std::size_t runPending() {
        std::deque<std::function<void()>> tasks;
        {
            std::lock_guard lock(m_mutex);
            tasks.swap(m_tasks);
        }
        for (auto& t : tasks) t();
        return tasks.size();
    }
    std::size_t most() const {
        std::lock_guard lock(m_mutex);
        return m_most;
    }

private:
    mutable std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
    std::size_t m_most = 0;
};

struct Shown {
    std::vector<LinkEvent> events;  // touched on the UI (test) thread only
};

TEST(HandOver, eventsAreShownInOrderOneAtATime) {
    test::SimulatedSetkaPanel panel;
    UiQueue ui;
    Shown shown;
    HandOverSink sink([&ui](std::function<void()> t) { ui.post(std::move(t)); },
                      [&shown](const LinkEvent& e) { shown.events.push_back(e); });
    std::promise<ChainOutcome> done;
    auto outcome = done.get_future();
    LinkChain chain;
    chain.start(
        panel.line, ChainRequest::connect(0x63, false), sink,
        [&done](ChainOutcome o) { done.set_value(std::move(o)); }, &panel.clock);
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (outcome.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready &&
           Clock::now() < deadline)
        ui.runPending();
    ASSERT_EQ(outcome.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    chain.stop();
    EXPECT_EQ(outcome.get().status, StepStatus::Done);
    EXPECT_EQ(shown.events, (std::vector<LinkEvent>{{E::Attempt, 1, 0}, {E::CheckingVersion}}));
    EXPECT_EQ(ui.most(), 1u);  // the worker waited for each event before the next
}

TEST(HandOver, stopReleasesAWaitingWorkerAndItsEventGoesUnshown) {
    test::SimulatedSetkaPanel panel;
    UiQueue ui;
    Shown shown;
    std::promise<void> posted;
    bool signalled = false;
    HandOverSink sink(
        [&](std::function<void()> t) {
            ui.post(std::move(t));
            if (!signalled) {
                signalled = true;
                posted.set_value();
            }
        },
        [&shown](const LinkEvent& e) { shown.events.push_back(e); });
    std::atomic<bool> finished{false};
    LinkChain chain;
    chain.start(
        panel.line, ChainRequest::connect(0x63, false), sink, [&finished](ChainOutcome) { finished = true; },
        &panel.clock);
    ASSERT_EQ(posted.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);

    const auto t0 = Clock::now();
    chain.stop();  // the UI thread has not run the event: only the stop can release the worker
    const double stopMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    EXPECT_LT(stopMs, 150.0);
    EXPECT_EQ(ui.runPending(), 1u);
    EXPECT_TRUE(shown.events.empty());
    EXPECT_FALSE(finished);
}

}  // namespace
}  // namespace livna::setka
