#include "images/ReadWatch.h"

#include <chrono>

namespace
{
thread_local ReadWatch::Mark* t_mark = nullptr;
} // namespace

void ReadWatch::Attach(Mark* mark)
{
    t_mark = mark;
}

qint64 ReadWatch::Now()
{
    // Never 0, which means no read.
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
               .count()
        + 1;
}

ReadWatch::Scope::Scope()
{
    qint64 idle = 0;
    if (t_mark && t_mark->compare_exchange_strong(idle, Now()))
        m_mark = t_mark;
}

ReadWatch::Scope::~Scope()
{
    if (m_mark)
        m_mark->store(0);
}
