#pragma once

#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "view/TalvexView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

// The program's frame and view in a window of the given size, opening books as the
// Folder screen does.
struct Reader {
    CTalvexDoc doc;
    CMainFrame frame { &doc };
    CTalvexView* view = new CTalvexView(&doc);

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

    bool Open(const QString& path, bool images)
    {
        BookRecord record;
        record.strPath = path;
        record.nType = TYPE_FILE;
        record.bImages = images;
        view->m_strCurrentFolder = QFileInfo(path).absolutePath();
        return view->OpenBook(record);
    }
};
