// Times decoding single pages the way the engine does, without the view: one page at a
// time, and two at once on two threads (the engine's two decoders), at the size a page
// of a spread takes in a 1920 x 1080 window and under the 2x magnifier. Then the scaler
// alone against QImage::scaled, which spreads over Qt's global thread pool.
//
//   build/bench/bench_decode [WORK_DIR]    (the books of bench_images, written if missing)

#include "BenchBooks.h"
#include "BenchSupport.h"

#include "images/ImageRules.h"
#include "images/PageImage.h"
#include "images/PageScaler.h"

#include <QGuiApplication>
#include <QRandomGenerator>

#include <cstdio>
#include <thread>

namespace
{
constexpr int kRuns = 11;

double TimeOne(const QString& path, const FitRequest& fit)
{
    QElapsedTimer timer;
    timer.start();
    PageImage image;
    if (image.Load(path, fit) != PageImage::kLoaded)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

double TimeTwo(const QString& a, const QString& b, const FitRequest& fit)
{
    QElapsedTimer timer;
    timer.start();
    std::thread other([&] { TimeOne(b, fit); });
    TimeOne(a, fit);
    other.join();
    return timer.nsecsElapsed() / 1e6;
}

void MeasureBook(const Book& book, const char* what, const FitRequest& fit)
{
    QList<double> one;
    QList<double> two;
    for (int run = 0; run < kRuns; ++run) {
        const int page = 1 + (2 * run) % book.pages;
        one << TimeOne(PagePath(book, page), fit);
        two << TimeTwo(PagePath(book, page), PagePath(book, page + 1), fit);
    }
    PageImage sample;
    sample.Load(PagePath(book, 1), fit);
    std::printf("%s, %s (%dx%d pixels): one page %.1f ms, two at once %.1f ms\n",
        qPrintable(book.name), what, sample.Pixels().width(), sample.Pixels().height(), Median(one),
        Median(two));
    std::fflush(stdout);
}

void MeasureScaler(const QSize& from, const QSize& to)
{
    QImage source(from, QImage::Format_RGB32);
    QRandomGenerator random(3);
    for (int y = 0; y < from.height(); ++y) {
        quint32* line = reinterpret_cast<quint32*>(source.scanLine(y));
        for (int x = 0; x < from.width(); ++x)
            line[x] = random.generate();
    }
    QList<double> ours;
    QList<double> qt;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QImage mine = PageScaler::Scaled(source, to);
        ours << timer.nsecsElapsed() / 1e6;
        timer.start();
        const QImage theirs = source.scaled(to, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        qt << timer.nsecsElapsed() / 1e6;
    }
    std::printf("scaling %dx%d to %dx%d: PageScaler %.1f ms, QImage::scaled %.1f ms\n",
        from.width(), from.height(), to.width(), to.height(), Median(ours), Median(qt));
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString work
        = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/benchimages";
    const QRect window(0, 0, 1920, 1080);
    const QSize spread = ImageRules::LayoutFrame(window, 0, 0).left.size();
    const QSize magnified = ImageRules::LayoutFrame(window, 5, 0).left.size();
    for (const Book& book : ImageBooks(work)) {
        WriteBook(book);
        MeasureBook(book, "spread", { spread, 1, false, 1 });
        MeasureBook(book, "magnified", { magnified, 2, false, 1 });
    }
    MeasureScaler({ 2000, 3000 }, { 720, 1080 });
    MeasureScaler({ 750, 1125 }, { 720, 1080 });
    MeasureScaler({ 1500, 1000 }, { 960, 640 });
    MeasureScaler({ 1000, 1500 }, { 1440, 2160 });
    return 0;
}
