#pragma once

// Timing helpers shared by the benchmarks that measure work rather than waiting.

#include <algorithm>
#include <ctime>
#include <vector>

namespace vexa::bench {

// The calling thread's processor time in milliseconds, its system time included (page faults
// count): on a machine whose cores are shared with builds, the wall clock also counts the time
// another process held the core.
inline double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace vexa::bench
