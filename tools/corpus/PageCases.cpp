#include "PageCases.h"

#include "EncodedPages.h"
#include "ImageSupport.h"
#include "PageFixtures.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>

#include <functional>

#include <sys/stat.h>

namespace
{
const QString kLimitNote = QStringLiteral("note-address-space");
const QString kFifoNote = QStringLiteral("note-swap-for-fifo");
const QString kCacheNote = QStringLiteral("note-cache");

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}

QImage Page(const QSize& size, int hue)
{
    QImage page(size, QImage::Format_RGB32);
    QPainter painter(&page);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor::fromHsv(hue, 60, 240));
    gradient.setColorAt(1, QColor::fromHsv((hue + 120) % 360, 200, 90));
    painter.fillRect(page.rect(), gradient);
    painter.setPen(QPen(Qt::black, std::max(1, size.width() / 100)));
    painter.drawEllipse(page.rect().adjusted(
        size.width() / 10, size.height() / 10, -size.width() / 10, -size.height() / 10));
    return page;
}

// A case folder holding the page between two good ones, so that turning pages crosses it.
QString Between(const QString& dir, int& n)
{
    static const QByteArray good = Encoded(Page({ 160, 240 }, 200), "PNG");
    const QString folder = CaseFolder(dir, n);
    WriteBytes(folder + "/0-good.png", good);
    WriteBytes(folder + "/zz-good.png", good);
    return folder;
}

// The progressive JPEG of many scans, written scan by scan rather than held whole.
void WriteManyScans(const QString& path, int scans)
{
    const FirstScan first = FindFirstScan(ProgressiveJpeg(Page({ 1000, 1500 }, 30)));
    QFile file(path);
    if (first.scans == 0 || !file.open(QIODevice::WriteOnly))
        return;
    file.write(first.head);
    for (int i = first.scans; i < scans; ++i)
        file.write(first.scan);
    file.write(first.tail);
}
} // namespace

void WritePageCases(const QString& dir, int& n)
{
    // A book whose second page from the end becomes a FIFO once the book is open.
    {
        // Only the first page is opened as a book; the runner passes over "good" ones.
        const QString folder = CaseFolder(dir, n);
        const QByteArray page = Encoded(Page({ 300, 450 }, 90), "JPEG");
        WriteBytes(folder + "/page-01.jpg", page);
        for (int i = 2; i <= 12; ++i)
            WriteBytes(QString("%1/page-%2-good.jpg").arg(folder).arg(i, 2, 10, QChar('0')), page);
        WriteBytes(folder + "/" + kFifoNote, "page-11-good.jpg");
    }
    WriteManyScans(Between(dir, n) + "/scans-20000.jpg", 20000);
    const QImage text = Page({ 600, 900 }, 300);
    WritePngWithText(Between(dir, n) + "/text-400mb.png", text, qint64(400) << 20);
    {
        // The same with no more address space than the page and the program need.
        const QString folder = Between(dir, n);
        WritePngWithText(folder + "/text-400mb-low-memory.png", text, qint64(400) << 20);
        WriteBytes(folder + "/" + kLimitNote, "1500000000");
    }
    for (const QSize& size : { QSize(1, 30000), QSize(30000, 1) }) {
        QImage thin(size, QImage::Format_RGB32);
        thin.fill(QColor(20, 90, 160));
        const QString name = QString("thin-%1x%2").arg(size.width()).arg(size.height());
        WriteBytes(Between(dir, n) + "/" + name + ".png", Encoded(thin, "PNG"));
        WriteBytes(Between(dir, n) + "/" + name + ".jpg", Encoded(thin, "JPEG"));
    }
    // Pages whose borders are hard to tell from their content: the runner reads every
    // book with the borders cut and at night.
    {
        const QSize size(700, 1000);
        const auto scan = [&](const char* name, const std::function<void(QImage&)>& draw) {
            QImage page(size, QImage::Format_ARGB32);
            page.fill(Qt::white);
            draw(page);
            WriteBytes(Between(dir, n) + "/crop-" + name + ".png", Encoded(page, "PNG"));
        };
        scan("one-colour", [](QImage& page) { page.fill(QColor(240, 230, 200)); });
        scan("gradient-border", [](QImage& page) {
            QPainter painter(&page);
            QRadialGradient fade(350, 500, 600);
            fade.setColorAt(0, Qt::white);
            fade.setColorAt(1, Qt::darkGray);
            painter.fillRect(page.rect(), fade);
        });
        scan("frame-at-the-edge", [](QImage& page) {
            QPainter painter(&page);
            painter.setPen(QPen(Qt::red, 2));
            painter.drawRect(page.rect().adjusted(1, 1, -2, -2));
        });
        scan("scanner-lid", [](QImage& page) {
            QPainter painter(&page);
            painter.fillRect(QRect(0, 0, 3, 1000), Qt::black);
            painter.fillRect(QRect(100, 100, 500, 800), Qt::gray);
        });
        scan("transparent", [](QImage& page) {
            page.fill(Qt::transparent);
            QPainter(&page).fillRect(QRect(100, 100, 500, 800), QColor(200, 0, 0, 128));
        });
    }
    // Strips and pages of every width: every book is scrolled at the width too.
    {
        QImage tall(800, 60000, QImage::Format_Grayscale8);
        tall.fill(180);
        // Compressed as a real strip is (the quality of 90 would leave it 48 MB).
        tall.save(Between(dir, n) + "/strip-800x60000.png", "PNG");
        const QByteArray strip = Encoded(Page({ 80, 400 }, 20), "PNG");
        // One book of 2,000 strips: the runner opens the first and passes over the "good".
        const QString many = CaseFolder(dir, n);
        WriteBytes(many + "/strip-0001.png", strip);
        for (int i = 2; i <= 2000; ++i)
            WriteBytes(QString("%1/strip-%2-good.png").arg(many).arg(i, 4, 10, QChar('0')), strip);
        // Strips and ordinary pages mixed, and pages from one pixel wide to one pixel tall.
        const QString mixed = CaseFolder(dir, n);
        for (int i = 1; i <= 6; ++i)
            WriteBytes(QString("%1/mixed-%2.png").arg(mixed).arg(i),
                i % 3 == 0 ? Encoded(Page({ 300, 450 }, 60), "PNG") : strip);
        const QString widths = CaseFolder(dir, n);
        const QSize sizes[]
            = { { 100, 400 }, { 3000, 400 }, { 1, 5000 }, { 5000, 1 }, { 600, 900 } };
        for (const QSize& size : sizes)
            WriteBytes(
                QString("%1/width-%2x%3.png").arg(widths).arg(size.width()).arg(size.height()),
                Encoded(Page(size, 140), "PNG"));
        WritePdf(CaseFolder(dir, n) + "/200-inch-page.pdf", 2, { { 612, 14400 }, { 612, 792 } });
    }
    for (const PngKind& kind : AllPngKinds()) {
        const QString name = QString(kind.name).replace(QRegularExpression("[^a-zA-Z0-9]+"), "-");
        WriteBytes(Between(dir, n) + "/kind-" + name + ".png", PngOfKind(kind, { 160, 120 }));
    }
    // A book of photographs with as little address space as a small machine's, and with
    // less: the engine's threads and Qt's own must all still start.
    const QByteArray photo = Encoded(Page({ 6000, 4000 }, 150), "JPEG");
    for (const char* limit : { "450000000", "300000000" }) {
        const QString folder = CaseFolder(dir, n);
        WriteBytes(folder + "/photo-1.jpg", photo);
        for (int i = 2; i <= 6; ++i)
            WriteBytes(QString("%1/photo-%2-good.jpg").arg(folder).arg(i), photo);
        WriteBytes(folder + "/" + kLimitNote, limit);
    }
    // The page grid and the covers with a cache that cannot be written, and with covers
    // damaged or of another size where the book's should be.
    for (const char* cache : { "unwritable", "damaged" }) {
        const QString folder = CaseFolder(dir, n);
        for (int i = 1; i <= 4; ++i)
            WriteBytes(QString("%1/page-%2%3.jpg").arg(folder).arg(i).arg(i > 1 ? "-good" : ""),
                Encoded(Page({ 600, 900 }, 30 * i), "JPEG"));
        WritePdf(folder + "/book-good.pdf", 3);
        WriteBytes(folder + "/" + kCacheNote, cache);
    }
    {
        // Pages that take seconds and hundreds of megabytes to decode, from a few
        // kilobytes of JPEG XL and WebP whose decoders cannot stop part way, turned
        // with little address space.
        QImage flat(6000, 6000, QImage::Format_RGB32);
        flat.fill(QColor(230, 220, 200));
        const QByteArray jxl = JxlOf(flat);
        QImage wide(10000, 10000, QImage::Format_RGB32);
        wide.fill(QColor(200, 220, 230));
        const QByteArray webp = Encoded(wide, "WEBP");
        for (const char* limit : { "450000000", "300000000" }) {
            const QString folder = CaseFolder(dir, n);
            for (int i = 1; i <= 8; ++i) {
                const QString good = i > 1 ? "-good" : "";
                WriteBytes(QString("%1/slow-%2%3.jxl").arg(folder).arg(2 * i - 1).arg(good), jxl);
                WriteBytes(QString("%1/slow-%2%3.webp").arg(folder).arg(2 * i).arg(good), webp);
            }
            WriteBytes(folder + "/" + kLimitNote, limit);
        }
    }
}

bool IsCaseNote(const QString& path)
{
    return QFileInfo(path).fileName().startsWith(QLatin1String("note-"));
}

QStringList CaseCommand(const QString& binary, const QString& book)
{
    QFile note(QFileInfo(book).absolutePath() + "/" + kLimitNote);
    if (!note.open(QIODevice::ReadOnly))
        return { binary, book };
    const QString limit = "--as=" + QString::fromLatin1(note.readAll().trimmed());
    static QHash<QString, bool> starts;
    if (!starts.contains(limit)) {
        QProcess probe;
        probe.start("prlimit", { limit, "--", binary, "--version" });
        starts[limit] = probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit
            && probe.exitCode() == 0;
    }
    if (!starts[limit])
        return { binary, book };
    return { "prlimit", limit, "--", binary, book };
}

void SwapCasePages(const QString& book)
{
    const QString folder = QFileInfo(book).absolutePath();
    QFile note(folder + "/" + kFifoNote);
    if (!note.open(QIODevice::ReadOnly))
        return;
    const QString page = folder + "/" + QString::fromUtf8(note.readAll().trimmed());
    QFile::remove(page);
    ::mkfifo(QFile::encodeName(page).constData(), 0600);
}

void PrepareCaseCache(const QString& book, const QString& cacheHome)
{
    QFile note(QFileInfo(book).absolutePath() + "/" + kCacheNote);
    if (!note.open(QIODevice::ReadOnly))
        return;
    if (note.readAll().trimmed() == "unwritable") {
        WriteBytes(cacheHome, "a file where the cache's folder should be");
        return;
    }
    // Named as file managers name covers: the MD5 of the file's URI, escaped as GLib does.
    const auto coverOf = [&cacheHome](const QString& file, const char* size) {
        const QByteArray uri = "file://"
            + QFile::encodeName(QFileInfo(file).absoluteFilePath())
                  .toPercentEncoding("!$&'()*+,-./:=@_~");
        return QString("%1/thumbnails/%2/%3.png")
            .arg(cacheHome, size,
                QString::fromLatin1(
                    QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()));
    };
    const QDir folder = QFileInfo(book).absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files)) {
        const QString file = folder.filePath(name);
        QDir().mkpath(QFileInfo(coverOf(file, "large")).absolutePath());
        QDir().mkpath(QFileInfo(coverOf(file, "normal")).absolutePath());
        WriteBytes(coverOf(file, "large"), "\x89PNG\r\n\x1a\n damaged");
        QImage foreign(1000, 1000, QImage::Format_RGB32);
        foreign.fill(Qt::red);
        foreign.setText("Thumb::URI", "file://" + QFileInfo(file).absoluteFilePath());
        foreign.setText(
            "Thumb::MTime", QString::number(QFileInfo(file).lastModified().toSecsSinceEpoch()));
        foreign.save(coverOf(file, "normal"), "PNG");
    }
}
