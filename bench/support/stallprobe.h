#pragma once

// The event-loop latency probe of the benchmarks that guard the main thread.

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace vexa::bench {

// Measures how long the main thread's event loop goes without turning: a 1 ms timer notes the
// longest gap between its ticks.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_worst = std::max(m_worst, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_worst = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    void stop()
    {
        m_timer.stop();
        // The time since the last tick counts too: a stall that lasted until stop().
        m_worst = std::max(m_worst, m_clock.nsecsElapsed() - m_last);
    }
    double worstMs() const { return double(m_worst) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worst = 0;
};

} // namespace vexa::bench
