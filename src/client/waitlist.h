#pragma once

#include <coroutine>
#include <utility>
#include <vector>

namespace vexa {

// Coroutines parked until their owner announces what they wait for (the keyring's answer, the
// end of a request already on its way). `co_await list.until(ready)` goes on at once when `ready`
// holds, else at the owner's next resumeAll(); the resumed coroutine looks again at what it
// waited for (the owner may be closing instead).
class WaitList
{
public:
    struct Awaiter {
        WaitList &list;
        bool ready;
        bool await_ready() const noexcept { return ready; }
        void await_suspend(std::coroutine_handle<> waiting) { list.m_waiting.push_back(waiting); }
        void await_resume() const noexcept {}
    };
    Awaiter until(bool ready) { return {*this, ready}; }

    void resumeAll()
    {
        // Taken first: a resumed coroutine may park here again.
        const std::vector<std::coroutine_handle<>> waiting = std::exchange(m_waiting, {});
        for (const std::coroutine_handle<> handle : waiting)
            handle.resume();
    }

private:
    std::vector<std::coroutine_handle<>> m_waiting;
};

} // namespace vexa
