#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

// Test-side replacement for QCoro::waitFor: runs the event loop until the task finishes or the
// timeout passes, and says which. Tests may spin an event loop; application code never does.
namespace vexa::test {

inline constexpr int kDefaultWaitMs = 10000;

namespace detail {
template <typename T>
struct AwaitState {
    std::optional<T> value;
    bool done = false;
    QEventLoop *loop = nullptr;
};

template <typename T>
QCoro::Task<> drive(QCoro::Task<T> task, std::shared_ptr<AwaitState<T>> state)
{
    state->value.emplace(co_await std::move(task));
    state->done = true;
    if (state->loop)
        state->loop->quit();
}

struct VoidAwaitState {
    bool done = false;
    QEventLoop *loop = nullptr;
};
QCoro::Task<> driveVoid(QCoro::Task<> task, std::shared_ptr<VoidAwaitState> state);
bool spinUntil(const std::function<bool()> &done, QEventLoop *loop, int timeoutMs);
} // namespace detail

// The task's result, or nothing when it did not finish within timeoutMs.
template <typename T>
std::optional<T> awaitTask(QCoro::Task<T> task, int timeoutMs = kDefaultWaitMs)
{
    auto state = std::make_shared<detail::AwaitState<T>>();
    QEventLoop loop;
    state->loop = &loop;
    auto driver = detail::drive<T>(std::move(task), state);
    detail::spinUntil([&] { return state->done; }, &loop, timeoutMs);
    state->loop = nullptr;
    return std::move(state->value);
}

// For Task<>: true when it finished within timeoutMs.
bool awaitVoid(QCoro::Task<> task, int timeoutMs = kDefaultWaitMs);
// A task whose result the caller does not need: true when it finished within timeoutMs.
template <typename T>
bool awaitVoid(QCoro::Task<T> task, int timeoutMs = kDefaultWaitMs)
{
    return awaitTask(std::move(task), timeoutMs).has_value();
}

// Spins the event loop until pred() holds or the timeout passes; returns pred().
bool waitUntil(const std::function<bool()> &pred, int timeoutMs = kDefaultWaitMs);

// Every wait above is stretched by VEXA_TIMEOUT_SCALE (a whole number, 1 when unset): the
// sanitizer build runs several times slower. Tests that time something else (a child process,
// QSignalSpy::wait) stretch their limits with this.
int scaledMs(int timeoutMs);

} // namespace vexa::test

// QVERIFY-style helpers that fail the test instead of hanging.
#define VEXA_AWAIT(var, taskExpr)                                                                  \
    auto var##_opt = ::vexa::test::awaitTask(taskExpr);                                            \
    QVERIFY2(var##_opt.has_value(), "task did not finish in time");                                \
    auto var = std::move(*var##_opt)

#define VEXA_AWAIT_VOID(taskExpr)                                                                  \
    QVERIFY2(::vexa::test::awaitVoid(taskExpr), "task did not finish in time")
