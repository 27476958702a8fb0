// Pages fitted to the width and scrolled: a text PDF and a book of long strips, scrolled by
// wheel notches every 16 ms and by Page Down every 300 ms. Each frame is painted as the
// window paints it; the time of the paint, the frames that showed a page at another size
// or nothing where a page goes, and the peak memory are told.
//
//   build/bench/bench_strip [WORK_DIR] [--size WxH]... [--pdf TEXT_PDF] [--only pdf|strips]
//                           [--step wheel|page]
//
// The peak memory is the process's: for a figure of one book alone, run one book and one
// step in a process of its own (--only and --step).

#include "BenchSupport.h"

#include "pdf/AcroAXDocShim.h"
#include "platform/OpeningWait.h"
#include "reader/ImageBookReader.h"
#include "reader/PdfReader.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QThread>

#include <cstdio>
#include <memory>

namespace
{
constexpr int kStrips = 60;
const QSize kStrip(800, 3000);

QString WriteStrips(const QString& work)
{
    const QString dir = work + "/strips";
    QDir().mkpath(dir);
    for (int i = 1; i <= kStrips; ++i) {
        const QString path = QString("%1/%2.jpg").arg(dir).arg(i, 3, 10, QChar('0'));
        if (QFileInfo::exists(path))
            continue;
        QImage page(kStrip, QImage::Format_RGB32);
        QPainter painter(&page);
        QLinearGradient sky(0, 0, 0, kStrip.height());
        sky.setColorAt(0, QColor::fromHsv(i * 37 % 360, 80, 250));
        sky.setColorAt(1, QColor::fromHsv(i * 37 % 360, 160, 120));
        painter.fillRect(page.rect(), sky);
        painter.setFont(QFont("sans", 60));
        for (int y = 200; y < kStrip.height(); y += 700)
            painter.drawText(
                QRect(50, y, 700, 200), Qt::AlignCenter, QString("%1 / %2").arg(i).arg(y));
        painter.end();
        page.save(path, "JPEG", 88);
    }
    return dir + "/001.jpg";
}

// A book in a bare window of the given size, read through its reader, fitted to the width.
struct Window {
    BookRecord record;
    QWidget host;
    OpeningWait opening { &host };
    CAcroAXDocShim control { &host };
    std::unique_ptr<BookReader> reader;

    Window(const QString& book, const QSize& size)
    {
        host.resize(size);
        host.show();
        record.strPath = book;
        record.bImages = !book.endsWith(".pdf");
        record.nPage = 1;
        record.nLayout = LAYOUT_SINGLE;
        record.bFitWidth = true;
        if (record.bImages)
            reader = std::make_unique<ImageBookReader>(&host, opening);
        else
            reader = std::make_unique<PdfReader>(&host, opening, control);
    }
};

struct Figures {
    QList<double> paints;
    int standIns = 0;
    int blanks = 0;
    int frames = 0;
    qint64 peakMb = 0;
};

// Scrolls through the book, a step every stepMs, painting a frame every 16 ms, until
// frames have been painted.
Figures Scroll(const QString& book, const QSize& size, bool wheel, int frames)
{
    WaitUntilQuiet();
    ResetPeakMemory();
    Figures figures;
    Window window(book, size);
    if (window.reader->Open(window.record, {}) != BookReader::Opening::Opened)
        return figures;
    window.reader->Enter(window.record);
    PageStrip& strip = window.reader->Strip();
    // The first screen is waited for, as the opening does; the scroll starts from it.
    QImage frame(size, QImage::Format_RGB32);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        strip.TakeCounts();
        QPainter painter(&frame);
        window.reader->Paint(painter);
        const PageStrip::Counts counts = strip.TakeCounts();
        if (counts.standIns == 0 && counts.blanks == 0)
            break;
        QThread::msleep(5);
    }
    const int stepEvery = wheel ? 1 : 300 / 16;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < frames; ++i) {
        if (i % stepEvery == 0) {
            if (wheel)
                strip.ScrollBy(3 * size.height() / 20.0);
            else
                strip.Scroll(PageStrip::Step::ScreenDown);
        }
        // Until the frame is due, the window's thread does its other work.
        while (clock.elapsed() < (i + 1) * 16)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QElapsedTimer paint;
        paint.start();
        {
            QPainter painter(&frame);
            window.reader->Paint(painter);
        }
        figures.paints << paint.nsecsElapsed() / 1e6;
        const PageStrip::Counts counts = strip.TakeCounts();
        figures.standIns += counts.standIns;
        figures.blanks += counts.blanks;
        ++figures.frames;
    }
    figures.peakMb = PeakMemoryMb();
    window.reader->Close();
    return figures;
}

void Report(const char* what, const QString& book, const QSize& size, const Figures& f)
{
    double largest = 0;
    for (const double t : f.paints)
        largest = std::max(largest, t);
    std::printf("%dx%d, %s, %s: %d frames, paint median %.2f ms, p99 %.2f ms, max %.2f ms; "
                "stand-ins %d, blank %d; peak %lld MB\n",
        size.width(), size.height(), qPrintable(QFileInfo(book).fileName()), what, f.frames,
        Median(f.paints), Percentile(f.paints, 0.99), largest, f.standIns, f.blanks, f.peakMb);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv)
{
    const QStringList args = BenchArguments(argc, argv);
    const QString work = WorkDir(args, QDir::tempPath() + "/benchstrip");
    // As the program does.
    Allocator::Tune();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work + "/config"));
    QApplication app(argc, argv);
    const QString strips = WriteStrips(work);
    const QString pdf = TextPdf(args, work);
    const QString only = args.value(args.indexOf("--only") + 1);
    const QString step = args.value(args.indexOf("--step") + 1);
    for (const QSize& size : WindowSizes(args)) {
        for (const QString& book : { pdf, strips }) {
            const bool isPdf = book == pdf;
            if (!QFileInfo::exists(book) || (only == "pdf" && !isPdf)
                || (only == "strips" && isPdf))
                continue;
            if (step != "page")
                Report("wheel every 16 ms", book, size, Scroll(book, size, true, 600));
            if (step != "wheel")
                Report("Page Down every 300 ms", book, size, Scroll(book, size, false, 600));
        }
    }
    // Renders left to finish in the background must not outlive the libraries.
    WaitUntilQuiet();
    return 0;
}
