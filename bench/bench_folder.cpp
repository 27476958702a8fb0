// Lists folders of 10,000 and 100,000 book files the way the Folder screen does, and
// compares with a bare directory read with sizes by find(1) on the same folder. The
// last column is the scan in natural order.
//
//   build/bench/bench_folder [WORK_DIR]
//
// Prints the median of five warm runs of each step in milliseconds.

#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "browser/FolderScan.h"
#include "view/TalvexView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace
{

void MakeFolder(const QString& dir, int count)
{
    QDir().mkpath(dir);
    static const char* const kinds[] = { "pdf", "jpg", "png", "PDF", "txt" };
    for (int i = 0; i < count; ++i) {
        const QByteArray name = QFile::encodeName(QString("%1/Book %2 第%3巻.%4")
                                                      .arg(dir)
                                                      .arg(i * 7919 % count, 6, 10, QChar('0'))
                                                      .arg(i % 40)
                                                      .arg(kinds[i % 5]));
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) {
            if (i % 3 == 0) [[maybe_unused]]
                const int r = ::ftruncate(fd, i * 37);
            ::close(fd);
        }
    }
}

double MedianMs(const std::function<void()>& step)
{
    step(); // warm the caches
    QList<double> times;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath("config")));
    QApplication app(argc, argv);
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();

    CTalvexDoc doc;
    CMainFrame frame(&doc);
    auto* view = new CTalvexView(&doc);
    view->OnCreate();
    frame.SetView(view);
    frame.resize(1280, 800);
    frame.show();
    view->m_listFolder.show();

    std::printf("%-8s %12s %12s %14s %8s %14s\n", "files", "find ms", "scan ms", "scan+fill ms",
        "ratio", "natural ms");
    for (const int count : { 10000, 100000 }) {
        const QString dir = QString("%1/folder%2").arg(root).arg(count);
        if (!QDir(dir).exists())
            MakeFolder(dir, count);
        const double find = MedianMs([&] {
            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            p.start("find", { dir, "-maxdepth", "1", "-printf", "%s %p\\n" });
            p.waitForFinished(-1);
        });
        const double scan = MedianMs([&] { FolderScan::ScanFolder(dir, 7, {}); });
        view->m_strCurrentFolder = dir;
        const double fill = MedianMs([&] {
            view->FillFolderList(QString());
            view->m_listFolder.viewport()->repaint();
        });
        const double natural = MedianMs([&] { FolderScan::ScanFolder(dir, 7, {}, true); });
        std::printf("%-8d %12.1f %12.1f %14.1f %8.2f %14.1f\n", count, find, scan, fill,
            fill / find, natural);
    }
    return 0;
}
