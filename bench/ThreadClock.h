// The calling thread's own CPU time: time spent descheduled counts for nothing, so two
// workloads measured in alternating batches see a busy machine alike.
#pragma once

#include <ctime>

namespace bench {

inline double ThreadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

}  // namespace bench
