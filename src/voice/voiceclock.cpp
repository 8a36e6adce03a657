#include "voiceclock.h"

#include <QCoro/QCoroTimer>
#include <QTimer>

namespace vexa::voice {

VoiceClock::TimePoint SteadyVoiceClock::now() const
{
    return std::chrono::steady_clock::now();
}

QCoro::Task<> SteadyVoiceClock::sleep(std::chrono::milliseconds duration)
{
    // The timer lives in the coroutine frame, so the wait needs nothing from the clock object.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(duration);
    co_await timer;
}

} // namespace vexa::voice
