#include "EncodedPages.h"
#include "ImageSupport.h"
#include "TestSupport.h"

#include "browser/FolderScan.h"
#include "images/PageImage.h"
#include "images/PageShapeReader.h"
#include "platform/Paths.h"

#include <sys/resource.h>
#include <unistd.h>

namespace
{
const QColor kLeft(200, 40, 40);
const QColor kRight(40, 90, 200);

// The left third in one colour and the rest in another, so that a turn shows.
QImage Page(const QSize& size)
{
    QImage page(size, QImage::Format_RGB32);
    page.fill(kRight);
    QPainter(&page).fillRect(0, 0, size.width() / 3, size.height(), kLeft);
    return page;
}
} // namespace

class TestImageTypes : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void pagesDecodeUpright_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("own");
        QTest::addColumn<QColor>("first");
        QTest::addColumn<QColor>("last");
        const QImage page = Page({ 150, 90 });
        QImage other(page.size(), QImage::Format_RGB32);
        other.fill(Qt::green);
        QTest::newRow("webp") << WebpOf(page) << QSize(150, 90) << kLeft << kRight;
        QTest::newRow("webp animated")
            << AnimatedWebp({ page, other }) << QSize(150, 90) << kLeft << kRight;
        QTest::newRow("avif") << AvifOf(page) << QSize(150, 90) << kLeft << kRight;
        // Turned a quarter anticlockwise, the left third ends at the bottom.
        QTest::newRow("avif irot") << AvifOf(page, 1) << QSize(90, 150) << kRight << kLeft;
        QTest::newRow("jxl") << JxlOf(page) << QSize(150, 90) << kLeft << kRight;
        // Orientation 6 turns a quarter clockwise: the left third ends at the top.
        QTest::newRow("jxl container turned")
            << JxlOf(page, 6, true) << QSize(90, 150) << kLeft << kRight;
    }
    void pagesDecodeUpright()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, own);
        QFETCH(QColor, first);
        QFETCH(QColor, last);
        QVERIFY(!bytes.isEmpty());
        const QString path = env->path(QString("pages/%1.page").arg(QTest::currentDataTag()));
        QDir().mkpath(env->path("pages"));
        QVERIFY(WriteBytes(path, bytes));

        PageImage image;
        QCOMPARE(image.Load(path, { own / 2, 1, false, 1 }), int(PageImage::kLoaded));
        QCOMPARE(image.Size(), own);
        const QImage& pixels = image.Pixels();
        QCOMPARE(pixels.size(), own / 2);
        QVERIFY(SameColour(pixels.pixel(3, 3), first));
        QVERIFY(SameColour(pixels.pixel(pixels.width() - 4, pixels.height() - 4), last));
        const bool wide = own.width() > own.height();
        QCOMPARE(PageShapeReader::ShapeOf(path), wide ? PageShape::Wide : PageShape::NotWide);
    }

    void damagedPagesFail_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QImage page = Page({ 150, 90 });
        const QByteArray webp = WebpOf(page);
        const QByteArray avif = AvifOf(page);
        const QByteArray jxl = JxlOf(page);
        QTest::newRow("webp cut") << webp.left(webp.size() / 2);
        QTest::newRow("avif cut") << avif.left(avif.size() * 3 / 4);
        QTest::newRow("jxl cut") << jxl.left(jxl.size() / 2);
        QTest::newRow("webp huge") << "RIFF\x16\0\0\0WEBPVP8X\x0a\0\0\0" + QByteArray(4, '\0')
                + Little24(16383) + Little24(16383);
        QTest::newRow("avif huge") << AvifDeclaring({ 100000, 100000 });
        QTest::newRow("jxl huge") << JxlDeclaring({ 100000, 100000 });
    }
    void damagedPagesFail()
    {
        QFETCH(QByteArray, bytes);
        const QString path = env->path(QString("damaged/%1.page").arg(QTest::currentDataTag()));
        QDir().mkpath(env->path("damaged"));
        QVERIFY(WriteBytes(path, bytes));
        PageImage image;
        QCOMPARE(image.Load(path, { { 400, 300 }, 1, false, 1 }), int(PageImage::kFailed));
        QVERIFY(image.IsNull());
    }

    void pagesTooLargeForTheAddressSpaceLeftFail_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QImage flat(3000, 3000, QImage::Format_RGB32);
        flat.fill(kLeft);
        QTest::newRow("avif") << AvifOf(flat);
        QTest::newRow("jxl") << JxlOf(flat);
    }
    void pagesTooLargeForTheAddressSpaceLeftFail()
    {
        // libavif and libjxl end the process when an allocation fails: with little address
        // space left, such a page fails as a damaged one, and loads once there is room.
        QFETCH(QByteArray, bytes);
        QVERIFY(!bytes.isEmpty());
        const QString path = env->path(QString("tight/%1.page").arg(QTest::currentDataTag()));
        QDir().mkpath(env->path("tight"));
        QVERIFY(WriteBytes(path, bytes));
        const FitRequest fit { { 300, 300 }, 1, false, 1 };
        QFile statm("/proc/self/statm");
        QVERIFY(statm.open(QIODevice::ReadOnly));
        const qint64 used
            = statm.readLine().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
        rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_AS, &saved), 0);
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(used + (qint64(24) << 20));
        PageImage image;
        QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
        const int result = image.Load(path, fit);
        QCOMPARE(setrlimit(RLIMIT_AS, &saved), 0);
        QCOMPARE(result, int(PageImage::kFailed));
        QCOMPARE(image.Load(path, fit), int(PageImage::kLoaded));
    }

    void typesAreListedOnlyWhenEnabled_data()
    {
        QTest::addColumn<int>("picExt");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("all") << 0xFF << QStringList { "a.webp", "b.AVIF", "c.jxl", "d.png" };
        QTest::newRow("avif and png")
            << (PICEXT_AVIF | PICEXT_PNG) << QStringList { "b.AVIF", "d.png" };
        QTest::newRow("webp and jxl")
            << (PICEXT_WEBP | PICEXT_JXL) << QStringList { "a.webp", "c.jxl" };
        QTest::newRow("the first five") << 0x1F << QStringList { "d.png" };
    }
    void typesAreListedOnlyWhenEnabled()
    {
        QFETCH(int, picExt);
        QFETCH(QStringList, listed);
        const QString dir = env->path("listing");
        for (const char* name : { "a.webp", "b.AVIF", "c.jxl", "d.png" })
            WriteFile(dir + "/" + name);
        QStringList names;
        for (const BookRecord& record : FolderScan::ScanFolder(dir, picExt, {}))
            names << Paths::FileNamePart(record.strPath);
        QCOMPARE(names, listed);
        QStringList pages;
        FolderScan::ScanImageBook(dir + "/d.png", picExt, pages);
        QCOMPARE(pages.size(), listed.size());
    }
};

LUMIVO_TEST_MAIN(TestImageTypes)
#include "tst_imagetypes.moc"
