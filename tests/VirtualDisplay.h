#pragma once

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QThread>

// A virtual X display of its own for the programs a test starts, and xdotool to work
// them from outside as a reader's desktop would.
class VirtualDisplay
{
public:
    ~VirtualDisplay() { Stop(); }

    // Starts Xvfb on a free display and returns once it answers a client. -noreset keeps
    // it, and its X resources (Xft.dpi), between clients: without it the server starts
    // afresh whenever the last client leaves, and refuses the next one meanwhile.
    bool Start(int first, const QString& screen = QStringLiteral("1280x800x24"))
    {
        int n = first;
        while (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n))
            || QFile::exists(QString("/tmp/.X%1-lock").arg(n)))
            ++n;
        m_name = QString(":%1").arg(n);
        m_xvfb.start("Xvfb", { m_name, "-screen", "0", screen, "-nolisten", "tcp", "-noreset" });
        if (!m_xvfb.waitForStarted())
            return false;
        for (int i = 0; i < 100; ++i) {
            if (!Xdotool({ "getdisplaygeometry" }).isEmpty())
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    void Stop()
    {
        if (m_xvfb.state() == QProcess::NotRunning)
            return;
        m_xvfb.terminate();
        m_xvfb.waitForFinished();
    }

    QString Name() const { return m_name; }

    // The environment of a program on this display.
    QProcessEnvironment Environment() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("DISPLAY", m_name);
        e.insert("QT_QPA_PLATFORM", "xcb");
        return e;
    }

    QString Xdotool(const QStringList& args, int timeoutMs = 15000) const
    {
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.start("xdotool", args);
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            return {};
        }
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // The ids of the visible windows whose titles match the pattern.
    QStringList Windows(const QString& pattern) const
    {
        return Xdotool({ "search", "--onlyvisible", "--name", pattern })
            .split('\n', Qt::SkipEmptyParts);
    }

private:
    QString m_name;
    QProcess m_xvfb;
};
