#pragma once

// Work that would hold the main thread past a frame: decoding large reply bodies, reading and
// encoding attachments, encoding and decoding pictures. It runs on the client's own thread pool
// (pool() below) and the coroutine that awaits it resumes on the main thread with the value.
//
// The work is always an ordinary function called with values (records, QByteArray, QImage and
// QString are implicitly shared with atomic counts, so handing them across is safe), never a
// lambda written in a coroutine body: GCC 12 corrupts a coroutine's parameters captured by such a
// lambda. The function must not throw: QCoro 0.8 rethrows a stored exception from co_await,
// across the awaiting coroutine.
//
// Awaiting the returned QFuture (QCoro/QCoroFuture) keeps the awaiting coroutine's frame alive
// until the work ends, whoever else has gone: a member coroutine checks its QPointer to itself
// after the co_await as after any other.

#include <QAtomicInteger>
#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <QCoro/QCoroFuture>

#include <utility>

namespace vexa::offthread {

// Reply bodies up to this size are decoded where they arrived. On the shared two-core build
// machine under load a 20 MB chat list decoded in 1.5–2 s (10–13 MB/s), so 64 KiB costs at most
// about 6 ms there and far less on an ordinary desktop; handing it to the pool and back (a queued
// event and a thread switch each way) would add latency to the small replies that make up nearly
// all traffic (state, settings, answers) for no gain.
inline constexpr qsizetype kDecodeInPlaceBytes = 64 * 1024;

// Pictures up to this many pixels (512 × 512) are encoded where they are handed over: a JPEG of
// that size takes 2–4 ms; larger ones go to the pool.
inline constexpr qsizetype kEncodeInPlacePixels = 512 * 512;

// How many pieces of work have been started and not yet ended (tests, benchmarks).
int inFlight();

// The pool this work runs on: the client's own, one thread per core, whose threads run below the
// main thread's priority (nice 5 on Linux). Where the cores are shared with other programs, a
// long decode then waits for the main thread rather than the other way round.
QThreadPool *pool();

namespace detail {
QAtomicInt &counter();
// Once per pool thread: below the main thread from here on.
void lowerThisThreadsPriority();

// Calls the work on the pool and counts it as ended once it returns.
template <typename Function, typename... Args>
auto counted(Function function, Args... args)
{
    struct Ended {
        ~Ended() { counter().deref(); }
    } ended;
    lowerThisThreadsPriority();
    return function(std::move(args)...);
}
} // namespace detail

// Starts function(args...) on the global thread pool; the arguments are copied (or moved) into
// the task first, so the caller's values may go away at once.
template <typename Function, typename... Args>
auto run(Function function, Args... args)
{
    detail::counter().ref();
    return QtConcurrent::run(pool(), &detail::counted<Function, Args...>, function, std::move(args)...);
}

} // namespace vexa::offthread
