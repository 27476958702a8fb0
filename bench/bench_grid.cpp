// The page grid's first screen and the Folder screen's first screen of covers, cold (an
// empty cache) and from the cache, and a page decoded for reading while covers are made.
//
//   build/bench/bench_grid [WORK_DIR] [--size WxH]... [--pdf TEXT_PDF]
//
// A screen is the grid laid out as the viewer lays it at that size in its full-screen type;
// its pictures are made by the program's own makers on the program's two threads.

#include "BenchSupport.h"

#include "images/ArchivePages.h"
#include "images/ImageEngine.h"
#include "images/PageThumbFiles.h"
#include "platform/Allocator.h"
#include "reader/ThumbMakers.h"
#include "view/GridCells.h"
#include "view/GridLayout.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>

#include <poppler-qt6.h>

#include <cstdio>

namespace
{
// The type of the full screen, and the header above the grid.
constexpr int kType = 70;
constexpr int kHeader = 136;

QByteArray Jpeg(const QSize& size, int hue)
{
    QImage page(size, QImage::Format_RGB32);
    QPainter painter(&page);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor::fromHsv(hue % 360, 80, 250));
    sky.setColorAt(1, QColor::fromHsv(hue % 360, 160, 120));
    painter.fillRect(page.rect(), sky);
    painter.setFont(QFont("sans", size.height() / 20));
    painter.drawText(page.rect(), Qt::AlignCenter, QString::number(hue));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    page.save(&buffer, "JPEG", 88);
    return bytes;
}

QByteArray le(quint64 v, int n)
{
    QByteArray b;
    for (int k = 0; k < n; ++k)
        b.append(char(v >> (8 * k)));
    return b;
}

// A stored ZIP of the pages, as comics are packed.
void WriteZip(const QString& path, const QList<QByteArray>& pages)
{
    QByteArray zip;
    QByteArray central;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QByteArray name = QString("%1.jpg").arg(i + 1, 4, 10, QChar('0')).toLatin1();
        const QByteArray& data = pages[i];
        quint32 c = 0xFFFFFFFFu;
        for (const char ch : data) {
            c ^= quint8(ch);
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        c ^= 0xFFFFFFFFu;
        const QByteArray common = le(20, 2) + le(0, 2) + le(0, 2) + le(0, 4) + le(c, 4)
            + le(quint64(data.size()), 4) + le(quint64(data.size()), 4) + le(name.size(), 2);
        const qsizetype offset = zip.size();
        zip += le(0x04034b50, 4) + common + le(0, 2) + name + data;
        central += le(0x02014b50, 4) + le(20, 2) + common + le(0, 2) + le(0, 2) + le(0, 2)
            + le(0, 2) + le(0, 4) + le(quint64(offset), 4) + name;
    }
    const qsizetype at = zip.size();
    zip += central + le(0x06054b50, 4) + le(0, 4) + le(pages.size(), 2) + le(pages.size(), 2)
        + le(quint64(central.size()), 4) + le(quint64(at), 4) + le(0, 2);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(zip);
}

QString ComicOf(const QString& work)
{
    const QString path = work + "/comic-200.cbz";
    if (!QFileInfo::exists(path)) {
        QList<QByteArray> pages;
        for (int i = 1; i <= 200; ++i)
            pages << Jpeg({ 2000, 3000 }, i * 37);
        WriteZip(path, pages);
    }
    return path;
}

QStringList ShelfOf(const QString& work)
{
    const QString dir = work + "/shelf";
    QDir().mkpath(dir);
    QStringList books;
    const QByteArray cover = Jpeg({ 1200, 1800 }, 200);
    for (int i = 1; i <= 500; ++i) {
        const QString path = QString("%1/book-%2.cbz").arg(dir).arg(i, 3, 10, QChar('0'));
        if (!QFileInfo::exists(path))
            WriteZip(path, { cover, cover });
        books << path;
    }
    return books;
}

// Until every item of the first screen has its picture (or failed); milliseconds.
double FirstScreen(const ThumbQueue::Factory& factory, const QList<int>& items)
{
    ThumbQueue queue;
    QElapsedTimer timer;
    timer.start();
    queue.Start(factory);
    queue.Want(items);
    const auto done = [&] {
        for (const int item : items) {
            if (queue.Thumb(item).isNull() && !queue.Failed(item))
                return false;
        }
        return true;
    };
    while (!done() && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    return timer.nsecsElapsed() / 1e6;
}

void Grid(const QString& name, const QSize& screen, int offset,
    const std::function<ThumbQueue::Factory(int side, ThumbMakers::Disk)>& factoryOf,
    const QString& work, int count, int labelLines)
{
    const GridLayout grid(
        screen.width(), screen.height() - kHeader, kType, count, false, labelLines);
    const int side = GridCells::SideClass(grid.PictureSide());
    QList<int> items;
    for (const int item : grid.ItemsIn(0, screen.height() - kHeader - 1))
        items << item + offset;
    const QString cache = work + "/cache-" + SizeName(screen);
    QDir(cache).removeRecursively();
    const auto disk = [&] {
        return ThumbMakers::Disk { std::make_shared<PageThumbFiles>(
                                       PageThumbFiles::DefaultFolder(cache), qint64(256) << 20),
            cache };
    };
    const double cold = FirstScreen(factoryOf(side, disk()), items);
    const double cached = FirstScreen(factoryOf(side, disk()), items);
    std::printf("%s, %s: %lld pictures of %d px, cold %.0f ms, from the cache %.0f ms\n",
        qPrintable(SizeName(screen)), qPrintable(name), items.size(), side, cold, cached);
}

// A page of the comic decoded for reading at the screen's size, with the covers of the
// shelf being made meanwhile or not; milliseconds.
double PageDecode(const QString& comic, const QSize& screen, int page)
{
    auto source = ArchivePages::Scan(comic, [](const QString&) { return true; });
    ImageEngine engine;
    engine.SetSource(source);
    const PageKey key { source->PageId(page), { screen, 1, false, 1 } };
    QElapsedTimer timer;
    timer.start();
    engine.Want({ key }, 1);
    engine.WaitFor({ key }, 60000);
    return timer.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    const QStringList args = BenchArguments(argc, argv);
    const QString work = WorkDir(args, QDir::tempPath() + "/benchgrid");
    QDir().mkpath(work);
    Allocator::Tune();
    QGuiApplication app(argc, argv);
    const QString comic = ComicOf(work);
    const QString pdf = TextPdf(args, work);
    const QStringList shelf = ShelfOf(work);
    const auto pages = ArchivePages::Scan(comic, [](const QString&) { return true; });
    int pdfPages = 0;
    if (auto document = Poppler::Document::load(pdf))
        pdfPages = document->numPages();
    for (const QSize& size : WindowSizes(args)) {
        Grid(
            "200-page CBZ of 2000 x 3000 JPEG", size, 1,
            [&pages](int side, ThumbMakers::Disk disk) {
                return ThumbMakers::ImagePages(pages, side, disk);
            },
            work, 200, 1);
        Grid(
            QString("%1-page text PDF").arg(pdfPages), size, 1,
            [&pdf](int side, ThumbMakers::Disk disk) {
                return ThumbMakers::PdfPages(pdf, {}, side, disk);
            },
            work, pdfPages, 1);
        Grid(
            "Folder screen of 500 books", size, 0,
            [&shelf](int side, ThumbMakers::Disk disk) {
                return ThumbMakers::Covers(shelf, side, 0xFF, disk.cacheHome);
            },
            work, int(shelf.size()), 2);
        const double alone = PageDecode(comic, size, 50);
        ThumbQueue covers;
        QDir(work + "/cache-busy").removeRecursively();
        covers.Start(ThumbMakers::Covers(shelf, 256, 0xFF, work + "/cache-busy"));
        QList<int> all;
        for (int i = 0; i < shelf.size(); ++i)
            all << i;
        covers.Want(all);
        const double busy = PageDecode(comic, size, 60);
        std::printf("%s: a page of the comic decoded for reading in %.0f ms alone, %.0f ms "
                    "while covers are made\n",
            qPrintable(SizeName(size)), alone, busy);
    }
    return 0;
}
