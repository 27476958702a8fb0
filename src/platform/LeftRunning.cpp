#include "platform/LeftRunning.h"

#include <atomic>

namespace
{
std::atomic<int> s_count { 0 };
}

namespace LeftRunning
{

void Started()
{
    ++s_count;
}

void Ended()
{
    --s_count;
}

int Count()
{
    return s_count;
}

} // namespace LeftRunning
