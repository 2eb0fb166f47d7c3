#include "setka/link/hand_over.h"

#include <condition_variable>
#include <mutex>

namespace livna::setka {

namespace {

// Shared by the waiting worker and the queued task, which may outlive the wait.
struct HandOver {
    std::mutex mutex;
    std::condition_variable_any shown;
    bool done = false;
    bool abandoned = false;
};

}  // namespace

void HandOverSink::post(const LinkEvent& event, std::stop_token stop) {
    if (stop.stop_requested()) return;
    auto state = std::make_shared<HandOver>();
    m_postToUi([state, event, show = m_show] {
        {
            std::lock_guard lock(state->mutex);
            if (state->abandoned) return;
        }
        // Shown without the lock: the window may take its time, and the worker only waits.
        show(event);
        std::lock_guard lock(state->mutex);
        state->done = true;
        state->shown.notify_all();
    });
    std::unique_lock lock(state->mutex);
    if (!state->shown.wait(lock, stop, [&state] { return state->done; })) state->abandoned = true;
}

}  // namespace livna::setka
