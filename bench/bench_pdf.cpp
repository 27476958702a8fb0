// Times reading PDFs the way a reader does: the first page of a book opened cold, and
// page turns while reading forward with read-ahead, against poppler's own pdftoppm
// (and mutool, when installed) rendering the same page at the same pixel size.
//
//   build/bench/bench_pdf [WORK_DIR]

#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace
{
constexpr int kRuns = 5;
constexpr int kTurns = 40;
const QSize kWindow(1280, 800);

// A book of full-page pictures, like a scanned comic.
void WriteImageBook(const QString& path, int pages)
{
    QPdfWriter writer(path);
    writer.setResolution(150);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF());
    QPainter painter(&writer);
    QRandomGenerator random(7);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        QImage image(1240, 1754, QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient gradient(0, 0, 1240, 1754);
        gradient.setColorAt(0, QColor::fromHsv(i * 7 % 360, 80, 250));
        gradient.setColorAt(1, QColor::fromHsv((i * 7 + 120) % 360, 160, 90));
        p.fillRect(image.rect(), gradient);
        for (int k = 0; k < 400; ++k) {
            p.setPen(QColor::fromRgb(random.generate()));
            p.drawEllipse(QPoint(random.bounded(1240), random.bounded(1754)), random.bounded(80),
                random.bounded(80));
        }
        p.setFont(QFont("sans", 120));
        p.setPen(Qt::black);
        p.drawText(image.rect(), Qt::AlignCenter, QString::number(i + 1));
        p.end();
        painter.drawImage(
            QRect(QPoint(0, 0), writer.pageLayout().paintRectPixels(150).size()), image);
    }
}

struct PdfReader : Reader {
    explicit PdfReader(int layout)
        : Reader(kWindow)
    {
        view->m_nLayoutPdf = layout;
    }

    bool Open(const QString& path) { return Reader::Open(path, false); }

    // Runs the event loop until the spread in sight is rendered, then paints it.
    void WaitAndPaint()
    {
        while (!view->m_wndPdf.IsShowingRendered())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        view->m_wndPdf.repaint();
    }

    void WaitForReadAhead(int spreads, int limitMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (view->m_wndPdf.RenderedSpreadCount() < spreads && timer.elapsed() < limitMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
};

// Presses key up to kTurns times until the last page, each time after the read-ahead of
// renders spreads (at most 3 s, a reader's pause), and times key to painted.
void TimeSteps(const QString& name, const char* what, PdfReader& reader, Qt::Key key, int renders)
{
    QList<double> times;
    int waited = 0;
    for (int i = 0; i < kTurns && reader.view->m_book.nPage < reader.view->m_book.nPageCount; ++i) {
        reader.WaitForReadAhead(renders, 3000);
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(reader.view, &press);
        if (!reader.view->m_wndPdf.IsShowingRendered())
            ++waited;
        reader.WaitAndPaint();
        times << timer.nsecsElapsed() / 1e6;
    }
    std::printf("%s: %s: median %.2f ms, p95 %.2f ms, max %.2f ms, %d of %lld waited for a "
                "render\n",
        qPrintable(name), what, Median(times), Percentile(times, 0.95), Percentile(times, 1.0),
        waited, times.size());
}

void MeasureBook(const QString& name, const QString& path, const QString& work)
{
    // Cold first page, single-page layout.
    QList<double> cold;
    QSize pixels;
    for (int run = 0; run < kRuns; ++run) {
        PdfReader reader(1);
        QElapsedTimer timer;
        timer.start();
        if (!reader.Open(path)) {
            std::printf("%s: cannot open\n", qPrintable(name));
            return;
        }
        reader.WaitAndPaint();
        cold << timer.nsecsElapsed() / 1e6;
        pixels = reader.view->m_wndPdf.PagesShown().value(0).rect.size().toSize();
    }
    QList<double> floor;
    QList<double> mupdf;
    const QString out = work + "/bench_out";
    const bool haveMutool = !QStandardPaths::findExecutable("mutool").isEmpty();
    for (int run = 0; run < kRuns; ++run) {
        floor << RunTool("pdftoppm",
            { "-f", "1", "-l", "1", "-scale-to-x", QString::number(pixels.width()), "-scale-to-y",
                QString::number(pixels.height()), "-aa", "yes", "-aaVector", "yes", "-singlefile",
                path, out });
        if (haveMutool)
            mupdf << RunTool("mutool",
                { "draw", "-q", "-w", QString::number(pixels.width()), "-h",
                    QString::number(pixels.height()), "-o", out + ".ppm", path, "1" });
    }
    std::printf("%s: first page %dx%d cold %.1f ms, pdftoppm %.1f ms (%.2fx), mutool draw %s\n",
        qPrintable(name), pixels.width(), pixels.height(), Median(cold), Median(floor),
        Median(cold) / Median(floor),
        haveMutool ? qPrintable(QString("%1 ms").arg(Median(mupdf), 0, 'f', 1)) : "not installed");

    // Reading forward through spreads with a cover page, pausing as a reader does.
    PdfReader reader(2);
    reader.Open(path);
    reader.WaitAndPaint();
    TimeSteps(name, "page turn to painted spread", reader, Qt::Key_PageDown, 4);

    // Reading under the magnifier: down through the regions and on to the next page.
    QKeyEvent topLeft(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier);
    QCoreApplication::sendEvent(reader.view, &topLeft);
    reader.WaitAndPaint();
    TimeSteps(name, "magnified step down to painted region", reader, Qt::Key_Down, 3);
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString work
        = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/benchpdf";
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work + "/config"));
    QApplication app(argc, argv);
    QDir().mkpath(work);

    const QString images = work + "/images500.pdf";
    if (!QFile::exists(images)) {
        std::printf("writing %s ...\n", qPrintable(images));
        WriteImageBook(images, 500);
    }
    const QString manual = work + "/gnucobol.pdf";
    if (!QFile::exists(manual)) {
        QProcess gunzip;
        gunzip.setStandardOutputFile(manual);
        gunzip.start("gunzip", { "-c", "/usr/share/doc/gnucobol3/gnucobol.pdf.gz" });
        gunzip.waitForFinished();
    }
    MeasureBook("gnucobol.pdf (text, 93 pages)", manual, work);
    MeasureBook("images500.pdf (500 full-page pictures)", images, work);

    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %ld MB\n", usage.ru_maxrss / 1024);
    return 0;
}
