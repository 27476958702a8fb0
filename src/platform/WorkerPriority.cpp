#include "platform/WorkerPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace WorkerPriority
{

void Lower()
{
    // On Linux a nice value belongs to the thread named; raising it needs no privilege,
    // and a thread that cannot be lowered simply runs as before.
    constexpr int kNotch = 3;
    const int current = getpriority(PRIO_PROCESS, 0);
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), current + kNotch);
}

} // namespace WorkerPriority
