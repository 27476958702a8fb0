#pragma once

#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "platform/Allocator.h"
#include "platform/LeftRunning.h"
#include "view/TalvexView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <algorithm>

// Small helpers the benchmarks share.

inline double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

inline double Percentile(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[std::min<qsizetype>(values.size() * p, values.size() - 1)];
}

// The peak resident memory since the last reset, in MB.
inline qint64 PeakMemoryMb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    }
    return -1;
}

inline void ResetPeakMemory()
{
    QFile refs("/proc/self/clear_refs");
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// The window sizes asked for with --size WxH (as often as wanted); by default a laptop's
// window, a full HD screen and a 4K screen, all at one device pixel per pixel.
inline QList<QSize> WindowSizes(const QStringList& args)
{
    QList<QSize> sizes;
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "--size")
            continue;
        const QStringList wh = args[i + 1].split('x');
        if (wh.size() == 2 && wh[0].toInt() > 0 && wh[1].toInt() > 0)
            sizes << QSize(wh[0].toInt(), wh[1].toInt());
    }
    return sizes.isEmpty() ? QList<QSize> { { 1280, 800 }, { 1920, 1080 }, { 3840, 2160 } } : sizes;
}

// The command line's words; the offscreen platform unless another is chosen.
inline QStringList BenchArguments(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

// The work folder: the first argument that is not an option or an option's value.
inline QString WorkDir(const QStringList& args, const QString& fallback)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == "--size" || args[i] == "--only" || args[i] == "--pdf")
            ++i;
        else if (!args[i].startsWith('-'))
            return args[i];
    }
    return fallback;
}

inline QString SizeName(const QSize& size)
{
    return QString("%1x%2").arg(size.width()).arg(size.height());
}

// Milliseconds a program takes from start to exit, or -1 when it fails.
inline double RunTool(const QString& program, const QStringList& args)
{
    QElapsedTimer timer;
    timer.start();
    QProcess tool;
    tool.start(program, args);
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

// Waits for what the book before left running (read-ahead past its end of use), so that
// a cold opening is timed on a machine as quiet as a reader's.
// The text PDF --pdf names, or the Valgrind manual unpacked into the work folder.
inline QString TextPdf(const QStringList& args, const QString& work)
{
    const int pdfAt = args.indexOf("--pdf");
    const QString pdf = pdfAt > 0 ? args.value(pdfAt + 1) : work + "/valgrind_manual.pdf";
    if (pdfAt < 0 && !QFileInfo::exists(pdf))
        QProcess::execute(
            "sh", { "-c", "zcat /usr/share/doc/valgrind/valgrind_manual.pdf.gz > '" + pdf + "'" });
    return pdf;
}

inline void WaitUntilQuiet()
{
    while (LeftRunning::Count() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The program's frame and view in a window of the given size, opening books as the
// Folder screen does.
struct Reader {
    CTalvexDoc doc;
    CMainFrame frame { &doc };
    CTalvexView* view = new CTalvexView(&doc);
    // Books open with their borders cut.
    bool crop = false;

    explicit Reader(const QSize& window)
    {
        view->OnCreate();
        frame.SetView(view);
        view->OnInitialUpdate();
        view->m_bHideCursor = false;
        frame.setGeometry(QRect(QPoint(0, 0), window));
        frame.show();
        QCoreApplication::processEvents();
    }

    // An archive opens at page, a folder book at its file.
    bool Open(const QString& path, bool images, int page = -1)
    {
        BookRecord record;
        record.strPath = path;
        record.nType = TYPE_FILE;
        record.bImages = images;
        record.nPage = page;
        record.bCrop = crop;
        view->m_strCurrentFolder = QFileInfo(path).absolutePath();
        return view->OpenBook(record);
    }
};
