// The hostile-input corpus: writes a thousand and more damaged and hostile books, then
// opens each in the real program on a virtual display, turns a few pages, closes it, and
// counts what happened.
//
//   lumivo_corpus generate DIR
//   lumivo_corpus run DIR --binary PATH [--sample N] [--timeout SECONDS]
//                         [--slow-read-us N] [--slow-stat-us N]
//   lumivo_corpus handover --binary PATH [--timeout SECONDS]
//
// run prints the counts of books shown, refused with the program's message, crashed and
// hung, the sanitizer reports found, and the longest time the program's window kept the
// window system waiting (and every book that kept it waiting over 100 ms); it exits 1
// when anything crashed, hung or was reported. --slow-read-us and --slow-stat-us put the
// program on a slow drive (SlowDrive.cpp): each read of a file, and each look at a path,
// waits so many microseconds. handover throws hostile clients at the running program's hand-over
// socket (see HandoverProbe.h) and exits 1 when the program did not hold through all of them.

#include "ArchiveCases.h"
#include "CorpusRunner.h"
#include "DriveCases.h"
#include "EncodedPages.h"
#include "HandoverProbe.h"
#include "ImageSupport.h"
#include "PageCases.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDirIterator>
#include <QRandomGenerator>

#include <cstdio>

QString CaseFolder(const QString& dir, int& n)
{
    const QString folder = QString("%1/case-%2").arg(dir).arg(n++, 4, 10, QChar('0'));
    QDir().mkpath(folder);
    return folder;
}

namespace
{
QImage Picture(bool alpha = false)
{
    QImage image(160, 240, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200, alpha ? 128 : 255));
    QPainter(&image).drawEllipse(10, 10, 140, 220);
    return image;
}
} // namespace

QByteArray ImageBytes(const char* format, bool alpha)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Picture(alpha).save(&buffer, format);
    return bytes;
}

namespace
{
// The longest the window may keep the window system waiting before the run names the book.
constexpr int kStallMs = 100;

struct Base {
    QString suffix;
    QByteArray bytes;
};

void Put(const QString& dir, int& n, const QString& name, const QByteArray& bytes, bool withPages)
{
    static const QByteArray good = ImageBytes("PNG");
    const QString folder = CaseFolder(dir, n);
    WriteBytes(folder + "/" + name, bytes);
    // Image pages sit between good ones, so that turning pages crosses them.
    if (withPages) {
        WriteBytes(folder + "/0-good.png", good);
        WriteBytes(folder + "/zz-good.png", good);
    }
}

QByteArray PdfBook(int pages)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        painter.setFont(QFont("sans", 40));
        painter.drawText(QRect(0, 0, 4000, 4000), Qt::AlignCenter, QString::number(i + 1));
        painter.drawImage(QRect(200, 200, 1200, 1800), QImage::fromData(ImageBytes("PNG")));
    }
    painter.end();
    return bytes;
}

// A JPEG that declares a picture of 65,500 x 65,500 and holds almost nothing.
QByteArray JpegDeclaringHuge()
{
    QByteArray jpeg = ImageBytes("JPEG");
    const qsizetype sof = jpeg.indexOf("\xff\xc0");
    if (sof > 0) {
        jpeg[sof + 5] = char(0xff);
        jpeg[sof + 6] = char(0xdc);
        jpeg[sof + 7] = char(0xff);
        jpeg[sof + 8] = char(0xdc);
    }
    return jpeg.left(jpeg.size() / 2);
}

QByteArray PdfOfPages(const QByteArray& mediaBox, int count)
{
    QList<QByteArray> objects
        = { "<< /Type /Catalog /Pages 2 0 R >>", "", "<< /Length 0 >>stream\n\nendstream" };
    QByteArray kids;
    for (int i = 0; i < count; ++i) {
        kids += QByteArray::number(4 + i) + " 0 R ";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox " + mediaBox + " /Contents 3 0 R >>";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(count) + " >>";
    return PdfFromObjects(objects);
}

// A page with an outline of count chapters, each the next one's sibling or, nested, its
// parent; the last leads back to the first.
QByteArray PdfWithOutline(int count, bool nested)
{
    QList<QByteArray> objects = { "<< /Type /Catalog /Pages 2 0 R /Outlines 4 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>",
        "<< /Type /Outlines /First 5 0 R >>" };
    const QByteArray link = nested ? " /First " : " /Next ";
    for (int i = 0; i < count; ++i) {
        const QByteArray next = QByteArray::number(i + 1 < count ? 6 + i : 5);
        objects << "<< /Title (Chapter) /Dest [3 0 R /Fit]" + link + next + " 0 R >>";
    }
    return PdfFromObjects(objects);
}

QString SmallSystemPdf()
{
    QStringList found;
    QDirIterator it("/usr/share/doc", { "*.pdf" }, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (QFileInfo(path).size() < (1 << 20))
            found << path;
    }
    found.sort();
    return found.value(0);
}

int Generate(const QString& dir)
{
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    QRandomGenerator random(2026);
    int n = 0;
    QList<Base> pdfs = { { "pdf", PdfBook(6) } };
    // A real PDF made elsewhere, the first small one the system's documentation holds.
    if (const QString real = SmallSystemPdf(); !real.isEmpty()) {
        QFile file(real);
        if (file.open(QIODevice::ReadOnly))
            pdfs << Base { "pdf", file.readAll() };
    }
    const QList<Base> images = { { "png", ImageBytes("PNG", true) }, { "jpg", ImageBytes("JPEG") },
        { "bmp", ImageBytes("BMP") }, { "tif", ImageBytes("TIFF") }, { "gif", TwoFrameGif() },
        { "webp", ImageBytes("WEBP") }, { "avif", AvifOf(Picture()) },
        { "jxl", JxlOf(Picture()) } };

    for (const QString& suffix :
        { "pdf", "jpg", "png", "gif", "tif", "bmp", "webp", "avif", "jxl" })
        Put(dir, n, "empty." + suffix, {}, suffix != "pdf");
    for (const QList<Base>* group : { &std::as_const(pdfs), &images }) {
        for (const Base& base : *group) {
            const bool pages = base.suffix != "pdf";
            for (int i = 1; i <= 40; ++i)
                Put(dir, n, "cut." + base.suffix, base.bytes.left(base.bytes.size() * i / 41),
                    pages);
            for (int i = 0; i < 100; ++i) {
                QByteArray bytes = base.bytes;
                const int flips = 1 + random.bounded(24);
                for (int k = 0; k < flips; ++k)
                    bytes[random.bounded(bytes.size())] = char(random.bounded(256));
                Put(dir, n, "mutated." + base.suffix, bytes, pages);
            }
        }
    }
    Put(dir, n, "locked.pdf", LockedPdf(), false);
    Put(dir, n, "wide-14400pt.pdf", PdfOfPages("[0 0 14400 14400]", 2), false);
    Put(dir, n, "wide-200000pt.pdf", PdfOfPages("[0 0 200000 200000]", 2), false);
    Put(dir, n, "inverted-box.pdf", PdfOfPages("[0 0 -500 -800]", 3), false);
    Put(dir, n, "hundred-thousand.pdf", PdfOfPages("[0 0 300 400]", 100000), false);
    // Poppler reads this box as infinitely wide.
    Put(dir, n, "infinite-box.pdf", PdfOfPages("[0 0 " + QByteArray(400, '9') + " 10]", 3), false);
    Put(dir, n, "preferences-are-the-catalog.pdf",
        PdfFromObjects(
            { "<< /Type /Catalog /Pages 2 0 R /ViewerPreferences 1 0 R /Direction /R2L >>",
                "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>" }),
        false);
    Put(dir, n, "circular.pdf",
        PdfFromObjects({ "<< /Type /Catalog /Pages 2 0 R >>",
            "<< /Type /Pages /Kids [2 0 R 3 0 R] /Count 2 >>",
            "<< /Type /Pages /Kids [2 0 R] /Parent 2 0 R /Count 1 >>" }),
        false);
    Put(dir, n, "lying-count.pdf",
        PdfFromObjects({ "<< /Type /Catalog /Pages 2 0 R >>",
            "<< /Type /Pages /Kids [3 0 R] /Count 2000000000 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>" }),
        false);
    Put(dir, n, "bomb.pdf", HeavyPdf(20000), false);
    Put(dir, n, "outline-50000-chapters.pdf", PdfWithOutline(50000, false), false);
    Put(dir, n, "outline-50000-deep.pdf", PdfWithOutline(50000, true), false);
    Put(dir, n, "png-named.pdf", images[0].bytes, false);
    Put(dir, n, "pdf-named.jpg", pdfs[0].bytes, true);
    Put(dir, n, "text-named.tif", "Not a picture.\n", true);
    Put(dir, n, "jpeg-named.png", images[1].bytes, true);
    Put(dir, n, "bomb-header.png", PngDeclaring({ 100000, 100000 }, false), true);
    Put(dir, n, "bomb-data.png", PngDeclaring({ 20000, 20000 }, true), true);
    Put(dir, n, "huge-declared.jpg", JpegDeclaringHuge(), true);
    Put(dir, n, "huge-declared.avif", AvifDeclaring({ 100000, 100000 }), true);
    Put(dir, n, "huge-declared.jxl", JxlDeclaring({ 100000, 100000 }), true);
    Put(dir, n, "animated.webp", AnimatedWebp({ Picture(), Picture(true) }), true);
    Put(dir, n, "container.jxl", JxlOf(Picture(), 6, true), true);
    Put(dir, n, "turned.avif", AvifOf(Picture(), 1), true);
    WritePageCases(dir, n);
    WriteArchiveCases(dir, n);
    WriteDriveCases(dir, n);
    std::printf("%d books written to %s\n", n, qPrintable(dir));
    return 0;
}

int RunCorpus(const QString& dir, const CorpusRunner::Options& options, int sample)
{
    QStringList books;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QFileInfo(path).fileName();
        if ((!name.contains("good") && !IsCaseNote(path)) || name == "note-resume")
            books << path;
    }
    std::sort(books.begin(), books.end());
    if (sample > 0 && sample < books.size()) {
        QStringList picked;
        for (int i = 0; i < sample; ++i)
            picked << books[qsizetype(i) * books.size() / sample];
        books = picked;
    }
    CorpusRunner::Options onDrive = options;
    onDrive.slowDrive = QFileInfo(dir).absoluteFilePath();
    CorpusRunner runner(onDrive);
    if (!runner.StartDisplay()) {
        std::fprintf(stderr, "lumivo_corpus: cannot start Xvfb\n");
        return 2;
    }
    int counts[4] = {};
    int reported = 0;
    int longestStall = 0;
    QString stalledMost;
    const QString work = QDir::tempPath() + "/lumivo-corpus-run";
    for (const QString& book : books) {
        const CorpusRunner::Result result = runner.Run(book, work);
        ++counts[result.outcome];
        if (result.report.contains("ERROR: ") || result.report.contains("runtime error"))
            ++reported;
        if (result.longestStallMs > longestStall) {
            longestStall = result.longestStallMs;
            stalledMost = book;
        }
        if (result.outcome >= CorpusRunner::Crashed || !result.report.isEmpty()) {
            std::printf("%s: %s\n%s", qPrintable(book),
                result.outcome == CorpusRunner::Hung
                    ? "hung"
                    : (result.outcome == CorpusRunner::Crashed ? "crashed" : "reported"),
                qPrintable(result.report));
        }
        if (result.longestStallMs > kStallMs)
            std::printf("%s: the window waited %d ms\n", qPrintable(book), result.longestStallMs);
        std::fflush(stdout);
    }
    runner.StopDisplay();
    QDir(work).removeRecursively();
    std::printf("%lld books: %d shown, %d refused with the program's message, %d crashed, %d hung, "
                "%d with sanitizer reports\n",
        books.size(), counts[CorpusRunner::Shown], counts[CorpusRunner::Refused],
        counts[CorpusRunner::Crashed], counts[CorpusRunner::Hung], reported);
    std::printf("longest wait of the window: %d ms (%s)\n", longestStall, qPrintable(stalledMost));
    return counts[CorpusRunner::Crashed] + counts[CorpusRunner::Hung] + reported > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The driver draws its books off screen; the program it runs gets its own display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == "generate")
        return Generate(args[2]);
    CorpusRunner::Options options;
    int sample = 0;
    const bool handover = args.value(1) == "handover";
    for (qsizetype i = handover ? 2 : 3; i + 1 < args.size(); i += 2) {
        if (args[i] == "--binary")
            options.binary = args[i + 1];
        else if (args[i] == "--sample")
            sample = args[i + 1].toInt();
        else if (args[i] == "--timeout")
            options.timeoutS = args[i + 1].toInt();
        else if (args[i] == "--slow-read-us")
            options.slowReadUs = args[i + 1].toInt();
        else if (args[i] == "--slow-stat-us")
            options.slowStatUs = args[i + 1].toInt();
    }
    if (handover && !options.binary.isEmpty())
        return HandoverProbe(options.binary, options.timeoutS).Run();
    if (args.size() >= 3 && args[1] == "run" && !options.binary.isEmpty())
        return RunCorpus(args[2], options, sample);
    std::fprintf(stderr,
        "usage: lumivo_corpus generate DIR\n"
        "       lumivo_corpus run DIR --binary PATH [--sample N] [--timeout SECONDS]\n"
        "                         [--slow-read-us N] [--slow-stat-us N]\n"
        "       lumivo_corpus handover --binary PATH [--timeout SECONDS]\n");
    return 2;
}
