// Times reading image books the way a reader does: the first spread of a book opened
// cold, against djpeg decoding the same two files one after the other, page turns at a
// fast reader's pace, and the memory that reading takes. Books in a CBZ and a CBR are
// measured against unzip -p (bsdtar -xO for RAR; unrar is not free software) piped into
// djpeg for the same two pages.
//
//   build/bench/bench_images [WORK_DIR] [--size WxH]... [--books-only] [--archives]
//                            [--only WORD]   (only the books whose names hold WORD)
//                            [--look]        (every book cut and at night)

#include "ArchiveBooks.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStandardPaths>

#include <cstdio>

namespace
{
constexpr int kRuns = 5;
constexpr int kPaceMs = 300;
constexpr int kMaxTurns = 40;
QSize s_window;
bool s_look = false;

struct ImageReader : Reader {
    explicit ImageReader(int layout)
        : Reader(s_window)
    {
        view->m_nLayoutImage = layout;
        view->m_bNightMode = s_look;
        crop = s_look;
    }

    bool Open(const QString& path, int page = -1) { return Reader::Open(path, true, page); }

    // Lets the program run for a while, as a reader's pause between turns does.
    void Pause(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }

    // Presses key; true when the turn had to wait for a decode. Returns once the new
    // spread is painted.
    bool Press(Qt::Key key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &press);
        const bool waited = view->m_inputGate.IsShut();
        while (view->m_inputGate.IsShut())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        view->repaint();
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &release);
        return waited;
    }
};

// From a new reader to its first spread painted, each time after the book before has
// finished; empty when the book does not open.
QList<double> ColdOpenings(const QString& name, const std::function<bool(ImageReader&)>& open)
{
    QList<double> cold;
    for (int run = 0; run < kRuns; ++run) {
        WaitUntilQuiet();
        ImageReader reader(2);
        QElapsedTimer timer;
        timer.start();
        if (!open(reader)) {
            std::printf("%s: cannot open\n", qPrintable(name));
            return {};
        }
        reader.view->repaint();
        cold << timer.nsecsElapsed() / 1e6;
    }
    return cold;
}

void ColdFirstSpread(const Book& book)
{
    const QList<double> cold = ColdOpenings(
        book.name, [&book](ImageReader& reader) { return reader.Open(PagePath(book, 2)); });
    if (cold.isEmpty())
        return;
    QString floor = "djpeg not installed";
    if (book.suffix == "jpg" && !QStandardPaths::findExecutable("djpeg").isEmpty()) {
        QList<double> djpeg;
        for (int run = 0; run < kRuns; ++run) {
            djpeg << RunTool("djpeg", { "-outfile", "/dev/null", PagePath(book, 2) })
                    + RunTool("djpeg", { "-outfile", "/dev/null", PagePath(book, 3) });
        }
        floor = QString("djpeg of both %1 ms (%2x)")
                    .arg(Median(djpeg), 0, 'f', 1)
                    .arg(Median(cold) / Median(djpeg), 0, 'f', 2);
    } else if (book.suffix != "jpg") {
        floor = "no floor tool";
    }
    std::printf("%s: cold first spread %.1f ms, %s\n", qPrintable(book.name), Median(cold),
        qPrintable(floor));
}

void TimeTurns(ImageReader& reader, const QString& name, const char* what, Qt::Key key)
{
    QList<double> times;
    int waited = 0;
    qint64 held = 0;
    CTalvexView* view = reader.view;
    for (int i = 0; i < kMaxTurns && view->m_book.nPage < view->m_book.nPageCount; ++i) {
        reader.Pause(kPaceMs);
        held = std::max(held, view->m_imageBook.m_imageEngine.HeldBytes());
        QElapsedTimer timer;
        timer.start();
        waited += reader.Press(key) ? 1 : 0;
        times << timer.nsecsElapsed() / 1e6;
    }
    std::printf("%s: %s: median %.2f ms, p95 %.2f ms, max %.2f ms, %d of %lld waited; "
                "held at most %lld MB, peak memory %lld MB\n",
        qPrintable(name), what, Median(times), Percentile(times, 0.95), Percentile(times, 1.0),
        waited, times.size(), held >> 20, PeakMemoryMb());
}

// The magnifier on and off, then at once a turn: the pages read ahead before are
// still held, so the turn should not wait.
void TimeTurnAfterMagnifier(ImageReader& reader, const QString& name)
{
    QList<double> times;
    int waited = 0;
    CTalvexView* view = reader.view;
    reader.Press(Qt::Key_Home);
    for (int i = 0; i < 10 && view->m_book.nPage < view->m_book.nPageCount; ++i) {
        reader.Pause(kPaceMs);
        reader.Press(Qt::Key_5);
        reader.Pause(kPaceMs);
        reader.Press(Qt::Key_0);
        QElapsedTimer timer;
        timer.start();
        waited += reader.Press(Qt::Key_PageDown) ? 1 : 0;
        times << timer.nsecsElapsed() / 1e6;
    }
    std::printf("%s: turn right after the magnifier on and off: median %.2f ms, max %.2f ms, "
                "%d of %lld waited\n",
        qPrintable(name), Median(times), Percentile(times, 1.0), waited, times.size());
}

// A book of 500 pages, every 25th of them wide, opened cold on page 480 as usual and
// with wide pages alone. The shapes of the pages are read on a thread of their own, so
// the opening waits for no more of them than settle how page 480 pairs.
void WidePagesOpening(const Book& scans, const QString& work)
{
    const QString dir = work + "/wide500";
    const QString wide = work + "/wide.jpg";
    if (!QFile::exists(wide)) {
        QImage image(3000, 2000, QImage::Format_RGB32);
        image.fill(Qt::darkGray);
        image.save(wide, "JPEG", 90);
    }
    if (!QDir(dir).exists()) {
        QDir().mkpath(dir);
        for (int i = 1; i <= 500; ++i) {
            const QString page = i % 25 == 0 ? wide : PagePath(scans, i % scans.pages + 1);
            QFile::link(page, QString("%1/%2.jpg").arg(dir).arg(i, 3, 10, QChar('0')));
        }
    }
    for (const bool alone : { false, true }) {
        QList<double> cold;
        QList<double> known;
        for (int run = 0; run < kRuns; ++run) {
            WaitUntilQuiet();
            ImageReader reader(2);
            reader.view->m_bWidePageAlone = alone;
            QElapsedTimer timer;
            timer.start();
            if (!reader.Open(dir + "/480.jpg")) {
                std::printf("%s: cannot open\n", qPrintable(dir));
                return;
            }
            reader.view->repaint();
            cold << timer.nsecsElapsed() / 1e6;
            while (alone && reader.view->m_imageBook.m_pageShapes.contains(PageShape::Unknown))
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            known << timer.nsecsElapsed() / 1e6;
        }
        std::printf("500 pages, every 25th wide, on page 480, %s: cold first spread %.1f ms",
            alone ? "wide pages alone" : "as usual", Median(cold));
        if (alone)
            std::printf(", every page's shape known after %.1f ms", Median(known));
        std::printf("\n");
    }
}

void MeasureReading(ImageReader& reader, const QString& name)
{
    TimeTurns(reader, name, "turn every 300 ms", Qt::Key_PageDown);

    // Back to the start, then down through the magnified regions and on.
    reader.Press(Qt::Key_Home);
    reader.Press(Qt::Key_8);
    ResetPeakMemory();
    TimeTurns(reader, name, "magnified step every 300 ms", Qt::Key_Down);
    reader.Press(Qt::Key_0);
    TimeTurnAfterMagnifier(reader, name);
}

void MeasureBook(const Book& book)
{
    ColdFirstSpread(book);
    ResetPeakMemory();
    ImageReader reader(2);
    reader.Open(PagePath(book, 1));
    reader.view->repaint();
    MeasureReading(reader, book.name);
}

// A book of 200 pages in one archive: its first spread (pages 2 and 3) opened cold,
// against the archive tool and djpeg for the same two pages, then read as above.
void MeasureArchive(const QString& path, const QString& name, const QString& extract)
{
    const QList<double> cold
        = ColdOpenings(name, [&path](ImageReader& reader) { return reader.Open(path, 2); });
    if (cold.isEmpty())
        return;
    QString floor = "djpeg not installed";
    if (!QStandardPaths::findExecutable("djpeg").isEmpty()) {
        const QString script = QString("%1 '%2' p002.jpg | djpeg -outfile /dev/null && "
                                       "%1 '%2' p003.jpg | djpeg -outfile /dev/null")
                                   .arg(extract, path);
        QList<double> tools;
        for (int run = 0; run < kRuns; ++run)
            tools << RunTool("sh", { "-c", script });
        floor = QString("%1 + djpeg of both %2 ms (%3x)")
                    .arg(extract.section(' ', 0, 0))
                    .arg(Median(tools), 0, 'f', 1)
                    .arg(Median(cold) / Median(tools), 0, 'f', 2);
    }
    std::printf(
        "%s: cold first spread %.1f ms, %s\n", qPrintable(name), Median(cold), qPrintable(floor));
    ResetPeakMemory();
    ImageReader reader(2);
    reader.Open(path, 1);
    reader.view->repaint();
    MeasureReading(reader, name);
}
} // namespace

int main(int argc, char** argv)
{
    // Memory is measured as the program allocates it.
    Allocator::Tune();
    const QStringList args = BenchArguments(argc, argv);
    const QString work = WorkDir(args, QDir::tempPath() + "/benchimages");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work + "/config"));
    QApplication app(argc, argv);

    const QList<Book> books = ImageBooks(work);
    for (const Book& book : books) {
        std::printf("writing %s ...\n", qPrintable(book.dir));
        std::fflush(stdout);
        WriteBook(book);
    }
    const QString cbz = work + "/archives/scans.cbz";
    const QString cbr = work + "/archives/scans.cbr";
    std::printf("writing %s and %s ...\n", qPrintable(cbz), qPrintable(cbr));
    std::fflush(stdout);
    QDir().mkpath(work + "/archives");
    if (!WriteArchiveBook(cbz, ArchiveFormat::Zip, 200, { 2000, 3000 })
        || !WriteArchiveBook(cbr, ArchiveFormat::Rar5, 200, { 2000, 3000 }))
        return 1;
    if (args.contains("--books-only"))
        return 0;
    const bool archivesOnly = args.contains("--archives");
    s_look = args.contains("--look");
    const int only = args.indexOf("--only");
    const QString word = only > 0 ? args.value(only + 1) : QString();
    const auto chosen = [&word](const QString& name) { return name.contains(word); };
    for (const QSize& size : WindowSizes(args)) {
        s_window = size;
        std::printf("== window %s\n", qPrintable(SizeName(size)));
        if (!archivesOnly) {
            if (word.isEmpty())
                WidePagesOpening(books[0], work);
            for (const Book& book : books) {
                if (chosen(book.name))
                    MeasureBook(book);
            }
        }
        if (chosen("CBZ of 200 scans 2000x3000 jpeg"))
            MeasureArchive(cbz, "CBZ of 200 scans 2000x3000 jpeg", "unzip -p");
        if (chosen("CBR of 200 scans 2000x3000 jpeg"))
            MeasureArchive(cbr, "CBR of 200 scans 2000x3000 jpeg", "bsdtar -xOf");
    }
    return 0;
}
