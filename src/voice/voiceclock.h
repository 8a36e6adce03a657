#pragma once

#include <QCoro/QCoroTask>

#include <chrono>

namespace vexa::voice {

// Time as the silence detector sees it: timestamps and the monitor's sleep. Tests replace it with
// a clock they advance by hand, so phrase-end timing is checked without waiting.
class VoiceClock
{
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~VoiceClock() = default;
    virtual TimePoint now() const = 0;
    // Resumes on the main thread after `duration`.
    virtual QCoro::Task<> sleep(std::chrono::milliseconds duration) = 0;
};

// The monotonic system clock and a precise single-shot timer.
class SteadyVoiceClock final : public VoiceClock
{
public:
    TimePoint now() const override;
    QCoro::Task<> sleep(std::chrono::milliseconds duration) override;
};

} // namespace vexa::voice
