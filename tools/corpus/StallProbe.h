#pragma once

#include <QString>

#include <atomic>
#include <thread>

// Measures how long a window's program leaves the window system waiting: it pings the
// window (_NET_WM_PING, which the program's event loop answers) every few milliseconds
// from a connection of its own, and keeps the longest time an answer took. A program
// whose event loop is held up answers late, however the hold-up came about.
class StallProbe
{
public:
    StallProbe() = default;
    ~StallProbe();

    // Starts pinging the window of the X display; what was measured before is dropped.
    void Start(const QString& display, unsigned long window);
    // Stops, and returns the longest wait for an answer in milliseconds, an answer still
    // outstanding counted as waited for until now.
    int Stop();

private:
    void Run(const QString& display, unsigned long window);

    std::thread m_thread;
    std::atomic<bool> m_stop { false };
    std::atomic<int> m_longestMs { 0 };
};
