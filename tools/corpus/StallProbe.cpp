#include "StallProbe.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>

#include <poll.h>

namespace
{
using Clock = std::chrono::steady_clock;

// A window that has gone is no reason to end the measuring program.
int IgnoreErrors(Display*, XErrorEvent*)
{
    return 0;
}
constexpr auto kPingEvery = std::chrono::milliseconds(5);

int Ms(Clock::duration d)
{
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}
} // namespace

StallProbe::~StallProbe()
{
    Stop();
}

void StallProbe::Start(const QString& display, unsigned long window)
{
    Stop();
    m_stop = false;
    m_longestMs = 0;
    m_thread = std::thread([this, display, window] { Run(display, window); });
}

int StallProbe::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    return m_longestMs;
}

void StallProbe::Run(const QString& display, unsigned long window)
{
    Display* dpy = XOpenDisplay(display.toLatin1().constData());
    if (!dpy)
        return;
    XSetErrorHandler(IgnoreErrors);
    const Window root = DefaultRootWindow(dpy);
    // The answer comes to the root window, sent to those that watch it (Qt) or its
    // children (the protocol).
    XSelectInput(dpy, root, StructureNotifyMask | SubstructureNotifyMask);
    const Atom protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(dpy, "_NET_WM_PING", False);
    long stamp = 1;
    while (!m_stop) {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(ping);
        event.xclient.data.l[1] = ++stamp;
        event.xclient.data.l[2] = long(window);
        XSendEvent(dpy, window, False, NoEventMask, &event);
        XFlush(dpy);
        const Clock::time_point sent = Clock::now();
        bool answered = false;
        while (!answered && !m_stop) {
            while (!answered && XPending(dpy) > 0) {
                XEvent reply;
                XNextEvent(dpy, &reply);
                answered = reply.type == ClientMessage && reply.xclient.message_type == protocols
                    && reply.xclient.data.l[0] == long(ping) && reply.xclient.data.l[1] == stamp;
            }
            m_longestMs = std::max(int(m_longestMs), Ms(Clock::now() - sent));
            if (!answered) {
                pollfd fd { ConnectionNumber(dpy), POLLIN, 0 };
                poll(&fd, 1, 5);
            }
        }
        const auto rest = kPingEvery - (Clock::now() - sent);
        if (rest > Clock::duration::zero())
            std::this_thread::sleep_for(rest);
    }
    XCloseDisplay(dpy);
}
