// Times decoding single pages the way the engine does, without the view: one page at a
// time, and two at once on two threads (the engine's two decoders), at the size a page
// of a spread takes in a 1920 x 1080 window and under the 2x magnifier. Then the scaler
// alone against QImage::scaled, which spreads over Qt's global thread pool. With
// --patterns, instead, the decodes that cannot stop, through the engine: 16 pages of a
// 10000 x 10000 WebP and of a 6000 x 6000 JPEG XL of a few kilobytes, turned every 250 ms,
// with the peak resident memory and how long the last page took to come.
//
//   build/bench/bench_decode [WORK_DIR] [--patterns]
//   (the books of bench_images, written if missing)

#include "BenchBooks.h"
#include "BenchSupport.h"
#include "EncodedPages.h"

#include "images/ImageEngine.h"
#include "images/ImageRules.h"
#include "images/PageImage.h"
#include "images/PageScaler.h"

#include <QGuiApplication>
#include <QRandomGenerator>

#include <QThread>

#include <atomic>
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
// A picture of that size, flat but for a square of noise that gives the file its weight.
QImage Flat(const QSize& size, int noise)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(QColor(230, 220, 200));
    QRandomGenerator random(7);
    for (int y = 0; y < noise; ++y) {
        quint32* line = reinterpret_cast<quint32*>(picture.scanLine(y));
        for (int x = 0; x < noise; ++x)
            line[x] = random.generate();
    }
    return picture;
}

// Sixteen pages, each a link to the same file, turned every 250 ms with the two after each
// read ahead, as a reader holding PageDown does.
void TurnPattern(const QString& name, const QString& file, const QString& dir)
{
    QDir().mkpath(dir);
    QList<PageKey> keys;
    const QRect window(0, 0, 1920, 1080);
    const FitRequest fit { ImageRules::LayoutFrame(window, 0, 0).left.size(), 1, false, 1 };
    for (int i = 0; i < 18; ++i) {
        const QString page = QString("%1/%2-%3")
                                 .arg(dir)
                                 .arg(i, 2, 10, QChar('0'))
                                 .arg(QFileInfo(file).fileName());
        QFile::link(file, page);
        keys << PageKey { page, fit };
    }
    ResetPeakMemory();
    ImageEngine engine(ImageEngine::BudgetFor(window.size()));
    int threads = 0;
    QElapsedTimer lastAsked;
    for (int i = 0; i < 16; ++i) {
        engine.Want(keys.mid(i, 3), 1);
        lastAsked.start();
        QElapsedTimer pace;
        pace.start();
        while (pace.elapsed() < 250) {
            threads = std::max(threads, engine.Workers() + engine.LeftBehind());
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(5);
        }
    }
    while (!engine.Held(keys[15]) && lastAsked.elapsed() < 60000) {
        threads = std::max(threads, engine.Workers() + engine.LeftBehind());
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    const std::optional<PageImage> last = engine.Held(keys[15]);
    std::printf("%s, 16 pages turned every 250 ms: last page %s after %lld ms, threads at most "
                "%d, peak memory %lld MB (budget %lld MB)\n",
        qPrintable(name),
        !last                ? "not come"
            : last->IsNull() ? "damaged"
                             : "shown",
        lastAsked.elapsed(), threads, PeakMemoryMb(), ImageEngine::BudgetFor(window.size()) >> 20);
    std::fflush(stdout);
}

void Patterns(const QString& work)
{
    QDir().mkpath(work);
    const QString webp = work + "/huge.webp";
    if (!QFile::exists(webp)) {
        std::printf("writing %s ...\n", qPrintable(webp));
        std::fflush(stdout);
        Flat({ 10000, 10000 }, 600).save(webp, "WEBP", 90);
    }
    const QString jxl = work + "/huge.jxl";
    if (!QFile::exists(jxl)) {
        QFile out(jxl);
        if (out.open(QIODevice::WriteOnly))
            out.write(JxlOf(Flat({ 6000, 6000 }, 0)));
    }
    const QRect window(0, 0, 1920, 1080);
    const FitRequest fit { ImageRules::LayoutFrame(window, 0, 0).left.size(), 1, false, 1 };
    for (const QString& file : { jxl, webp }) {
        ResetPeakMemory();
        QElapsedTimer timer;
        timer.start();
        PageImage image;
        const int result = image.Load(file, fit);
        std::printf("%s (%lld bytes) alone: %s in %lld ms, peak memory %lld MB\n",
            qPrintable(QFileInfo(file).fileName()), QFileInfo(file).size(),
            result == PageImage::kLoaded ? "decoded" : "failed", timer.elapsed(), PeakMemoryMb());
        // Given up on after 100 ms: how long until the thread is free again.
        std::atomic<bool> gone { false };
        std::thread giveUp([&gone] {
            QThread::msleep(100);
            gone = true;
        });
        timer.start();
        image.Load(file, fit, [&gone] { return gone.load(); });
        giveUp.join();
        std::printf("%s given up on after 100 ms: returned after %lld ms\n",
            qPrintable(QFileInfo(file).fileName()), timer.elapsed());
        std::fflush(stdout);
    }
    TurnPattern("JPEG XL 6000x6000", jxl, work + "/jxl16");
    TurnPattern("WebP 10000x10000", webp, work + "/webp16");
}
} // namespace

int main(int argc, char** argv)
{
    // Memory is measured as the program allocates it.
    Allocator::Tune();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString work = argc > 1 && argv[1][0] != '-' ? QString::fromLocal8Bit(argv[1])
                                                       : QDir::tempPath() + "/benchimages";
    if (QCoreApplication::arguments().contains("--patterns")) {
        Patterns(work);
        return 0;
    }
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
