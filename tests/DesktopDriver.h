#pragma once

#include "TestSupport.h"
#include "VirtualDisplay.h"

#include "platform/SingleInstance.h"

#include <QProcess>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

// Runs the real program on a virtual X display and works it from outside, as a reader's
// desktop would: the end-to-end suites share it.
class DesktopDriver
{
protected:
    VirtualDisplay m_x;
    Display* m_dpy = nullptr;

    void OpenDisplay(int first)
    {
        QVERIFY(m_x.Start(first));
        QTRY_VERIFY_WITH_TIMEOUT((m_dpy = XOpenDisplay(m_x.Name().toLatin1().constData())), 10000);
    }

    void CloseDisplay()
    {
        if (m_dpy)
            XCloseDisplay(m_dpy);
        m_dpy = nullptr;
        m_x.Stop();
    }

    // A copy from the test before may still be ending: each test starts the first copy.
    static void WaitUntilNoCopyRuns()
    {
        QTRY_VERIFY_WITH_TIMEOUT(SingleInstance(QStringLiteral("Lumivo.2016.Oberkan")).claim()
                == SingleInstance::Claim::First,
            10000);
    }

    QString Xdotool(const QStringList& args) { return m_x.Xdotool(args); }
    QProcessEnvironment DisplayEnvironment() const { return m_x.Environment(); }

    bool Launch(QProcess& viewer, const QStringList& args, const QProcessEnvironment& environment)
    {
        viewer.setProcessEnvironment(environment.isEmpty() ? DisplayEnvironment() : environment);
        viewer.start(LUMIVO_BINARY, args);
        return viewer.waitForStarted();
    }

    void StartViewer(QProcess& viewer, const QStringList& args)
    {
        QVERIFY(Launch(viewer, args, {}));
    }

    // A stored value as it is on the disk now.
    static QString Stored(const QString& name)
    {
        StoredSettings().sync();
        return StoredSettings().value(name).toString();
    }

    // Closes the window as a window manager's close button does; the program ends cleanly.
    void CloseAndCheck(QProcess& viewer, Window window)
    {
        AskToClose(window);
        QVERIFY(viewer.waitForFinished(10000));
        QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(viewer.exitCode(), 0);
    }

    // Starts the program and finds its window by title; 0 when it never shows.
    Window StartAndFind(QProcess& viewer, const QStringList& args, const QString& title,
        const QProcessEnvironment& environment = {})
    {
        return Launch(viewer, args, environment) ? FindWindow(title) : 0;
    }

    Window FindWindow(const QString& title)
    {
        const QString id
            = Xdotool({ "search", "--sync", "--onlyvisible", "--name", "^" + title + "$" });
        return id.split('\n').value(0).toULong();
    }

    // The visible top-level windows of that title and where they are on the screen.
    QList<QPair<Window, QRect>> WindowsNamed(const QString& title)
    {
        QList<QPair<Window, QRect>> found;
        const QString ids = Xdotool({ "search", "--onlyvisible", "--name", "^" + title + "$" });
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
            // A window manager puts each window in a frame of its own, so its place on the
            // screen is not its place in its parent.
            XWindowAttributes a;
            int x = 0;
            int y = 0;
            Window child = 0;
            if (XGetWindowAttributes(m_dpy, id.toULong(), &a)
                && XTranslateCoordinates(
                    m_dpy, id.toULong(), DefaultRootWindow(m_dpy), 0, 0, &x, &y, &child))
                found.append({ id.toULong(), QRect(x, y, a.width, a.height) });
        }
        return found;
    }

    // The colour of a pixel of the window as it is on the screen.
    QColor PixelOf(Window window, int x, int y)
    {
        XImage* image = XGetImage(m_dpy, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return {};
        const unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return QColor((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

    // A part of the window as it is on the screen.
    QImage Grab(Window window, const QRect& rect)
    {
        XImage* image = XGetImage(
            m_dpy, window, rect.x(), rect.y(), rect.width(), rect.height(), AllPlanes, ZPixmap);
        if (!image)
            return {};
        QImage grabbed(rect.size(), QImage::Format_RGB32);
        for (int y = 0; y < rect.height(); ++y) {
            for (int x = 0; x < rect.width(); ++x)
                grabbed.setPixel(x, y, 0xff000000u | quint32(XGetPixel(image, x, y)));
        }
        XDestroyImage(image);
        return grabbed;
    }

    bool HasColour(Window window, const QRect& rect, const QColor& colour)
    {
        XImage* image = XGetImage(
            m_dpy, window, rect.x(), rect.y(), rect.width(), rect.height(), AllPlanes, ZPixmap);
        if (!image)
            return false;
        bool found = false;
        for (int y = 0; y < rect.height() && !found; ++y) {
            for (int x = 0; x < rect.width() && !found; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                found = QColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) == colour;
            }
        }
        XDestroyImage(image);
        return found;
    }

    // What the close button of a window manager sends.
    void AskToClose(Window window)
    {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_dpy, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(m_dpy, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_dpy, window, False, NoEventMask, &event);
        XFlush(m_dpy);
    }
};
