// Times reading PDFs the way a reader does: the first page of a book opened cold, against
// poppler's own pdftoppm (and mutool, when installed) rendering the same page at the same
// pixel size, then page turns and magnified steps at a fast reader's pace, and the memory
// that reading takes, in windows of the sizes readers use.
//
//   build/bench/bench_pdf [WORK_DIR] [--size WxH]...

#include "BenchSupport.h"

#include "view/CommandIds.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

namespace
{
constexpr int kRuns = 5;
constexpr int kTurns = 40;
constexpr int kPaceMs = 300;
QSize s_window;

// A scan of 3000 x 4200 pixels as a JPEG: a gradient under many shapes, and the number.
QByteArray ScanJpeg(int page)
{
    const QSize size(3000, 4200);
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor::fromHsv(page * 7 % 360, 60, 250));
    gradient.setColorAt(1, QColor::fromHsv((page * 7 + 120) % 360, 140, 110));
    p.fillRect(image.rect(), gradient);
    QRandomGenerator random(page);
    for (int k = 0; k < 1500; ++k) {
        p.setPen(QPen(QColor::fromRgb(random.generate()), 2));
        p.drawEllipse(QPoint(random.bounded(size.width()), random.bounded(size.height())),
            random.bounded(200), random.bounded(200));
    }
    p.setFont(QFont("sans", 300));
    p.setPen(Qt::black);
    p.drawText(image.rect(), Qt::AlignCenter, QString::number(page));
    p.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return jpeg;
}

// A book of scanned pages, each one JPEG of 3000 x 4200 shown at 300 dpi, as scanners
// write them: the JPEG's own bytes behind /DCTDecode.
void WriteScanBook(const QString& path, int pages)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QList<qint64> offsets;
    const auto object = [&](const QByteArray& head, const QByteArray& stream = {}) {
        offsets << file.pos();
        file.write(QByteArray::number(offsets.size()) + " 0 obj " + head);
        if (!stream.isNull())
            file.write("stream\n" + stream + "\nendstream");
        file.write(" endobj\n");
    };
    file.write("%PDF-1.4\n");
    QByteArray kids;
    for (int i = 0; i < pages; ++i)
        kids += QByteArray::number(3 + 3 * i) + " 0 R ";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>");
    const QByteArray draw = "q 720 0 0 1008 0 0 cm /I Do Q";
    for (int i = 0; i < pages; ++i) {
        const QByteArray jpeg = ScanJpeg(i + 1);
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 720 1008] /Resources << /XObject "
               "<< /I "
            + QByteArray::number(5 + 3 * i) + " 0 R >> >> /Contents "
            + QByteArray::number(4 + 3 * i) + " 0 R >>");
        object("<< /Length " + QByteArray::number(draw.size()) + " >>", draw);
        object("<< /Type /XObject /Subtype /Image /Width 3000 /Height 4200 /ColorSpace "
               "/DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode /Length "
                + QByteArray::number(jpeg.size()) + " >>",
            jpeg);
    }
    const qint64 xref = file.pos();
    file.write("xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n");
    for (const qint64 offset : offsets)
        file.write(QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n");
    file.write("trailer << /Size " + QByteArray::number(offsets.size() + 1)
        + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
}

struct PdfReader : Reader {
    explicit PdfReader(int layout)
        : Reader(s_window)
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

    // Lets the program run for a while, as a reader's pause between turns does.
    void Pause(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
};

// Presses key every 300 ms up to kTurns times until the last page, and times key to
// painted.
void TimeSteps(const QString& name, const char* what, PdfReader& reader, Qt::Key key)
{
    QList<double> times;
    int waited = 0;
    for (int i = 0; i < kTurns && reader.view->m_book.nPage < reader.view->m_book.nPageCount; ++i) {
        reader.Pause(kPaceMs);
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
                "render; peak memory %lld MB\n",
        qPrintable(name), what, Median(times), Percentile(times, 0.95), Percentile(times, 1.0),
        waited, times.size(), PeakMemoryMb());
}

void MeasureBook(const QString& name, const QString& path, const QString& work)
{
    // Cold first page, single-page layout.
    QList<double> cold;
    QSize pixels;
    for (int run = 0; run < kRuns; ++run) {
        WaitUntilQuiet();
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

    // Reading forward through spreads with a cover page, at a fast reader's pace.
    ResetPeakMemory();
    PdfReader reader(2);
    reader.Open(path);
    reader.WaitAndPaint();
    TimeSteps(name, "page turn every 300 ms to painted spread", reader, Qt::Key_PageDown);

    // Reading under the magnifier: down through the regions and on to the next page.
    reader.view->OnCommand(ID_PAGE_FIRST);
    reader.WaitAndPaint();
    QKeyEvent topLeft(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier);
    QCoreApplication::sendEvent(reader.view, &topLeft);
    reader.WaitAndPaint();
    ResetPeakMemory();
    TimeSteps(name, "magnified step every 300 ms to painted region", reader, Qt::Key_Down);
}
} // namespace

int main(int argc, char** argv)
{
    // Memory is measured as the program allocates it.
    Allocator::Tune();
    const QStringList args = BenchArguments(argc, argv);
    const QString work = WorkDir(args, QDir::tempPath() + "/benchpdf");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work + "/config"));
    QApplication app(argc, argv);
    QDir().mkpath(work);

    const QString scans = work + "/scans40.pdf";
    if (!QFile::exists(scans)) {
        std::printf("writing %s ...\n", qPrintable(scans));
        std::fflush(stdout);
        WriteScanBook(scans + ".part", 40);
        QFile::rename(scans + ".part", scans);
    }
    const QString manual = work + "/gnucobol.pdf";
    if (!QFile::exists(manual)) {
        QProcess gunzip;
        gunzip.setStandardOutputFile(manual);
        gunzip.start("gunzip", { "-c", "/usr/share/doc/gnucobol3/gnucobol.pdf.gz" });
        gunzip.waitForFinished();
    }
    for (const QSize& size : WindowSizes(args)) {
        s_window = size;
        std::printf("== window %s\n", qPrintable(SizeName(size)));
        MeasureBook("gnucobol.pdf (text, 93 pages)", manual, work);
        MeasureBook("scans40.pdf (40 pages of 3000 x 4200 JPEG)", scans, work);
    }
    // Renders left to finish in the background must not outlive the libraries.
    WaitUntilQuiet();
    return 0;
}
