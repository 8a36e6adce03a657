#include "awaittask.h"

#include <QtGlobal>

namespace vexa::test {

int scaledMs(int timeoutMs)
{
    static const int scale = [] {
        bool ok = false;
        const int value = qEnvironmentVariableIntValue("VEXA_TIMEOUT_SCALE", &ok);
        return ok && value > 0 ? value : 1;
    }();
    return timeoutMs * scale;
}

namespace detail {

QCoro::Task<> driveVoid(QCoro::Task<> task, std::shared_ptr<VoidAwaitState> state)
{
    co_await std::move(task);
    state->done = true;
    if (state->loop)
        state->loop->quit();
}

bool spinUntil(const std::function<bool()> &done, QEventLoop *loop, int timeoutMs)
{
    QDeadlineTimer deadline(scaledMs(timeoutMs));
    QTimer tick;
    tick.setInterval(20);
    QObject::connect(&tick, &QTimer::timeout, loop, [&] {
        if (done() || deadline.hasExpired())
            loop->quit();
    });
    while (!done() && !deadline.hasExpired()) {
        tick.start();
        loop->exec();
    }
    return done();
}

} // namespace detail

bool awaitVoid(QCoro::Task<> task, int timeoutMs)
{
    auto state = std::make_shared<detail::VoidAwaitState>();
    QEventLoop loop;
    state->loop = &loop;
    auto driver = detail::driveVoid(std::move(task), state);
    detail::spinUntil([&] { return state->done; }, &loop, timeoutMs);
    state->loop = nullptr;
    return state->done;
}

bool waitUntil(const std::function<bool()> &pred, int timeoutMs)
{
    QEventLoop loop;
    return detail::spinUntil(pred, &loop, timeoutMs);
}

} // namespace vexa::test
