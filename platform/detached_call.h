#pragma once
// A call that may never return (a sound server that does not answer), made
// on a thread of its own so the caller can stop waiting for it. The thread is
// detached: one that is stuck for ever is left behind, and nothing waits for
// it, the program's exit included.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {

template <typename T>
class DetachedCall {
public:
    explicit DetachedCall(std::function<T()> work) : state_(std::make_shared<State>())
    {
        std::thread([state = state_, work = std::move(work)]() mutable {
            T result = work();
            std::lock_guard lock(state->mutex);
            state->result = std::move(result);
            state->done.notify_all();
        }).detach();
    }

    // The result once the call has returned; waits for it at most `timeout`,
    // and stops waiting early once giveUp() says so (asked every kPoll).
    std::optional<T> wait(std::chrono::milliseconds timeout, const std::function<bool()>& giveUp = {})
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::unique_lock lock(state_->mutex);
        while (!state_->result) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline || (giveUp && giveUp()))
                return std::nullopt;
            state_->done.wait_until(lock, std::min(deadline, now + kPoll));
        }
        return state_->result;
    }
    // The result when the call has returned, at once.
    std::optional<T> poll() { return wait(std::chrono::milliseconds(0)); }

    static constexpr std::chrono::milliseconds kPoll{10};

private:
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<T> result;
    };
    std::shared_ptr<State> state_;
};

} // namespace platform
