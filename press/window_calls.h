// Calls that other threads make into what belongs to the window's thread:
// a port's thread hands a call over and waits, and the window's thread runs
// the calls waiting whenever its loop comes round.
#pragma once

#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <utility>

namespace bayhaul {

class WindowCalls {
public:
    // From any thread but the window's: runs `call` on the window's thread
    // and gives its result, waiting until then.
    template <typename Call>
    auto Run(Call call) -> decltype(call()) {
        using Result = decltype(call());
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(call));
        std::future<Result> result = task->get_future();
        {
            const std::lock_guard lock(mutex_);
            waiting_.emplace_back([task] { (*task)(); });
        }
        return result.get();
    }

    // On the window's thread: runs every call waiting, in the order they came.
    void RunWaiting() {
        for (;;) {
            std::function<void()> call;
            {
                const std::lock_guard lock(mutex_);
                if (waiting_.empty()) return;
                call = std::move(waiting_.front());
                waiting_.pop_front();
            }
            call();
        }
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> waiting_;
};

}  // namespace bayhaul
