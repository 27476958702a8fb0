#include "ImageSupport.h"
#include "TestSupport.h"

#include "images/DecodeCost.h"
#include "images/FolderPages.h"
#include "images/ImageEngine.h"
#include "images/PageCache.h"
#include "images/PageImage.h"
#include "images/ReadWatch.h"

#include <QDeadlineTimer>
#include <QImageReader>
#include <QImageWriter>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>

#include <atomic>

namespace
{
PageKey KeyFor(const QString& path, const QSize& box = QSize(200, 200))
{
    return { path, { box, 1, false, 1 } };
}

// The files of a folder, but a page whose name holds "boom" cannot be given the memory
// its bytes need, as reading an archive's member into memory can fail.
class ShortOfMemory : public FolderPages
{
public:
    std::unique_ptr<QIODevice> Open(
        const QString& pageId, const std::function<bool()>& abandoned) const override
    {
        if (pageId.contains("boom"))
            throw std::bad_alloc();
        return FolderPages::Open(pageId, abandoned);
    }
};

// Decodes of pages whose names hold a word wait for the test to let them go, paying no
// heed to the reader giving up, as Qt's readers do; the test learns when one starts.
struct HeldDecodes {
    QSemaphore entered;
    QSemaphore letGo;
    void Hold(const QString& word)
    {
        ImageEngine::setDecodeHook([this, word](const QString& path, const auto&) {
            if (path.contains(word)) {
                entered.release();
                letGo.tryAcquire(1, 60000);
            }
        });
    }
};

QColor CentreOf(const PageImage& image)
{
    const QImage& pixels = image.Pixels();
    return pixels.pixelColor(pixels.width() / 2, pixels.height() / 2);
}
} // namespace

class TestImages : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_dir;

private slots:
    void initTestCase()
    {
        m_dir = env->path("pictures");
        QVERIFY(WritePicture(m_dir + "/page.bmp", { 40, 20 }, Qt::red));
        QVERIFY(WritePicture(m_dir + "/page.jpg", { 40, 20 }, Qt::green));
        QVERIFY(WritePicture(m_dir + "/page.png", { 40, 20 }, Qt::blue));
        QVERIFY(WritePicture(m_dir + "/page.tif", { 40, 20 }, Qt::cyan));
        QVERIFY(WriteBytes(m_dir + "/animated.gif", TwoFrameGif()));
        QFile upright(m_dir + "/page.jpg");
        QVERIFY(upright.open(QIODevice::ReadOnly));
        QVERIFY(WriteBytes(m_dir + "/turned.jpg", WithOrientation(upright.readAll(), 6)));
        QVERIFY(WriteBytes(m_dir + "/pages.tif", TwoPageTiff()));
        QImage palette(40, 20, QImage::Format_Indexed8);
        palette.setColorTable({ qRgb(200, 100, 0) });
        palette.fill(0);
        QVERIFY(palette.save(m_dir + "/palette.png"));
        QImage deep(40, 20, QImage::Format_RGBA64);
        deep.fill(QColor(10, 200, 100));
        QVERIFY(deep.save(m_dir + "/deep.png"));
        QImage grey(40, 20, QImage::Format_Grayscale8);
        grey.fill(QColor(128, 128, 128));
        QVERIFY(grey.save(m_dir + "/grey.jpg"));
        // A transparent picture that still carries a colour in its pixels.
        QImage clear(40, 20, QImage::Format_ARGB32);
        clear.fill(qRgba(255, 0, 255, 0));
        QVERIFY(clear.save(m_dir + "/clear.png"));
        QVERIFY(WritePicture(m_dir + "/big.jpg", { 2000, 3000 }, Qt::darkGreen));
        QVERIFY(WritePicture(m_dir + "/small.png", { 100, 100 }, Qt::darkBlue));
    }

    void formatsShowTheirFirstFrame_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("bmp") << "page.bmp" << QSize(40, 20) << QColor(Qt::red);
        QTest::newRow("jpeg") << "page.jpg" << QSize(40, 20) << QColor(Qt::green);
        QTest::newRow("png") << "page.png" << QSize(40, 20) << QColor(Qt::blue);
        QTest::newRow("tiff") << "page.tif" << QSize(40, 20) << QColor(Qt::cyan);
        QTest::newRow("turned by its tag") << "turned.jpg" << QSize(20, 40) << QColor(Qt::green);
        QTest::newRow("animated gif") << "animated.gif" << QSize(1, 1) << QColor(Qt::red);
        QTest::newRow("two-page tiff") << "pages.tif" << QSize(1, 1) << QColor(Qt::white);
        QTest::newRow("palette") << "palette.png" << QSize(40, 20) << QColor(200, 100, 0);
        QTest::newRow("16 bits") << "deep.png" << QSize(40, 20) << QColor(10, 200, 100);
        QTest::newRow("grey jpeg") << "grey.jpg" << QSize(40, 20) << QColor(128, 128, 128);
        QTest::newRow("alpha") << "clear.png" << QSize(40, 20) << QColor(255, 0, 255);
    }
    void formatsShowTheirFirstFrame()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(QColor, colour);
        PageImage image;
        QCOMPARE(image.Load(m_dir + "/" + name, KeyFor({}).fit), int(PageImage::kLoaded));
        QCOMPARE(image.Size(), size);
        QVERIFY2(SameColour(CentreOf(image), colour), qPrintable(CentreOf(image).name()));
        image.Destroy();
        QVERIFY(image.IsNull());
        QCOMPARE(image.GetWidth(), 0);
    }

    void decodedAtTheSizeShown_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<int>("zoomFactor");
        QTest::addColumn<bool>("enlarge");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("fitted") << "big.jpg" << QSize(400, 300) << 1 << false << 1.0
                                << QSize(200, 300);
        QTest::newRow("high density")
            << "big.jpg" << QSize(400, 300) << 1 << false << 2.0 << QSize(400, 600);
        QTest::newRow("magnified")
            << "big.jpg" << QSize(800, 600) << 2 << false << 1.0 << QSize(400, 600);
        QTest::newRow("small, own size")
            << "small.png" << QSize(400, 300) << 1 << false << 1.0 << QSize(100, 100);
        QTest::newRow("small, enlarged")
            << "small.png" << QSize(400, 300) << 1 << true << 1.0 << QSize(300, 300);
    }
    void decodedAtTheSizeShown()
    {
        QFETCH(QString, name);
        QFETCH(QSize, box);
        QFETCH(int, zoomFactor);
        QFETCH(bool, enlarge);
        QFETCH(qreal, ratio);
        QFETCH(QSize, pixels);
        PageImage image;
        QCOMPARE(image.Load(m_dir + "/" + name, { box, zoomFactor, enlarge, ratio }),
            int(PageImage::kLoaded));
        QCOMPARE(image.Pixels().size(), pixels);
        QVERIFY(image.Size() == QSize(2000, 3000) || image.Size() == QSize(100, 100));
    }

    void damagedAndHostileFilesFail()
    {
        QFile good(m_dir + "/page.jpg");
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QByteArray jpeg = good.readAll();
        QVERIFY(WriteBytes(m_dir + "/cut-header.jpg", jpeg.left(40)));
        QVERIFY(WriteBytes(m_dir + "/empty.png", {}));
        QVERIFY(WriteBytes(m_dir + "/text.jpg", "This is a letter, not a picture.\n"));
        QVERIFY(WriteBytes(m_dir + "/huge.png", PngDeclaring({ 100000, 100000 }, false)));
        // Small on the disk and perfectly decodable, but 400 megapixels.
        QVERIFY(WriteBytes(m_dir + "/bomb.png", PngDeclaring({ 20000, 20000 }, true)));
        QImageReader bomb(m_dir + "/bomb.png");
        QVERIFY(bomb.canRead());
        QCOMPARE(bomb.size(), QSize(20000, 20000));
        for (const char* name : { "cut-header.jpg", "empty.png", "text.jpg", "huge.png", "bomb.png",
                 "no-such-file.png" }) {
            PageImage image;
            QCOMPARE(image.Load(m_dir + "/" + name, KeyFor({}).fit), int(PageImage::kFailed));
            QVERIFY(image.IsNull());
        }
        QVERIFY(!PageImage::AcceptableSize({ 65536, 10 }));
        QVERIFY(PageImage::AcceptableSize({ 800, 60000 }));
        // A genuine large scan is no bomb.
        QVERIFY(WriteBytes(m_dir + "/scan.png", PngDeclaring({ 12000, 9000 }, true)));
        PageImage scan;
        QCOMPARE(scan.Load(m_dir + "/scan.png", KeyFor({}).fit), int(PageImage::kLoaded));
        QCOMPARE(scan.Size(), QSize(12000, 9000));
        QCOMPARE(scan.Pixels().size(), QSize(200, 150));
        // A file that goes away part way through stops at its next read.
        PageImage abandoned;
        QCOMPARE(abandoned.Load(m_dir + "/big.jpg", KeyFor({}).fit, [] { return true; }),
            int(PageImage::kFailed));
    }

    void budgetKeepsWhatIsInSight()
    {
        // Each estimate is (100 + 1) x (100 + 1) x 4 bytes.
        const qint64 one = PageCache::Estimate(KeyFor("a", { 100, 100 }));
        PageCache cache(3 * one);
        const QList<PageKey> wanted = { KeyFor("a", { 100, 100 }), KeyFor("b", { 100, 100 }),
            KeyFor("c", { 100, 100 }), KeyFor("d", { 100, 100 }) };
        QCOMPARE(cache.Admit(wanted, 2), wanted.mid(0, 3));
        cache.SetBudget(4 * one);
        QCOMPARE(cache.Admit(wanted, 2), wanted);
        // A 4K screen gets room for two magnified spreads and four plain ones; no screen
        // gets less than the default or more than the largest budget.
        const qint64 screen4k = qint64(3840) * 2160 * 4;
        QVERIFY(ImageEngine::BudgetFor({ 3840, 2160 }) >= 2 * 4 * screen4k + 4 * screen4k);
        QCOMPARE(ImageEngine::BudgetFor({ 1280, 800 }), ImageEngine::kDefaultBudget);
        QCOMPARE(ImageEngine::BudgetFor({ -1, 0 }), ImageEngine::kDefaultBudget);
        QCOMPARE(ImageEngine::BudgetFor({ 15360, 8640 }), ImageEngine::kLargestBudget);
        // What is in sight comes in even over the budget; read-ahead does not.
        QCOMPARE(cache.Admit(wanted, 4), wanted);
        PageCache tiny(10);
        QCOMPARE(tiny.Admit(wanted, 1), wanted.mid(0, 1));
        // Held pages count what they really take, not their estimate.
        PageCache roomy(2 * one + 4000);
        const QList<PageKey> three = wanted.mid(1);
        QCOMPARE(roomy.Admit(three, 1).size(), 2);
        PageImage small;
        QCOMPARE(small.Load(m_dir + "/page.png", KeyFor({}).fit), int(PageImage::kLoaded));
        roomy.Insert(three[0], small);
        QCOMPARE(roomy.Bytes(), small.Bytes());
        QCOMPARE(roomy.Admit(three, 1).size(), 3);
        QCOMPARE(roomy.Largest("b")->Bytes(), small.Bytes());
        // A box of no size holds what the budget counts for it, not the whole picture.
        const PageKey nowhere = KeyFor(m_dir + "/big.jpg", QSize(0, 0));
        PageImage unseen;
        QCOMPARE(unseen.Load(nowhere.path, nowhere.fit), int(PageImage::kLoaded));
        QVERIFY(unseen.Bytes() <= PageCache::Estimate(nowhere));

        // Pages nobody wants any more stay as stand-ins while they fit in half the
        // budget, the least recently wanted going first; what is wanted stays even over
        // the budget.
        const QList<PageKey> p
            = { KeyFor("1"), KeyFor("2"), KeyFor("3"), KeyFor("4"), KeyFor("5") };
        PageCache lru(4 * small.Bytes());
        for (int i = 0; i < 3; ++i) {
            lru.Want({ p[i] });
            lru.Insert(p[i], small);
        }
        lru.Want({ p[0], p[3] });
        lru.Insert(p[3], small);
        QCOMPARE(lru.Bytes(), 4 * small.Bytes());
        lru.Want({ p[4] });
        QVERIFY(lru.Find(p[0]) && !lru.Find(p[1]) && !lru.Find(p[2]) && lru.Find(p[3]));
        lru.Want(p);
        for (const PageKey& key : p)
            lru.Insert(key, small);
        QCOMPARE(lru.Bytes(), 5 * small.Bytes());
        // Decodes under way count against the budget: stand-ins give way to them.
        lru.Want({ p[0] });
        lru.SetInFlight(2 * small.Bytes());
        QCOMPARE(lru.Bytes(), 2 * small.Bytes());
        QCOMPARE(lru.WantedBytes(), small.Bytes());
        lru.SetInFlight(0);

        // A magnified copy nobody wants goes at once, the plain pages stay.
        PageKey magnified = p[1];
        magnified.fit.zoomFactor = 2;
        PageCache roomier(100 * small.Bytes());
        roomier.Want({ p[1], magnified });
        roomier.Insert(p[1], small);
        roomier.Insert(magnified, small);
        roomier.Want({ p[2] });
        QVERIFY(roomier.Find(p[1]) && !roomier.Find(magnified));
    }

    void engineDropsWhatNobodyWants()
    {
        static QSemaphore entered;
        static QSemaphore release;
        static std::atomic<bool> blockOnce { true };
        ImageEngine::setDecodeHook([](const QString& path, const auto&) {
            if (path.endsWith("big.jpg") && blockOnce.exchange(false)) {
                entered.release();
                release.acquire();
            }
        });
        ImageEngine engine;
        QSignalSpy decoded(&engine, &ImageEngine::pageDecoded);
        const PageKey big = KeyFor(m_dir + "/big.jpg");
        const PageKey png = KeyFor(m_dir + "/page.png");

        // Asked for, then not wanted any more while it decodes.
        engine.Want({ big }, 1);
        entered.acquire();
        engine.Want({ png }, 1);
        QVERIFY(engine.WaitFor({ png }, 10000));
        release.release();
        QTRY_VERIFY(engine.IsIdle());
        QVERIFY(!engine.Held(big));
        QTRY_COMPARE(decoded.count(), 1);
        QCOMPARE(decoded.at(0).at(0).toString(), png.path);

        // Closing the book: a decode under way is thrown away, and the same page asked
        // for afresh is decoded again.
        blockOnce = true;
        engine.Want({ big }, 1);
        entered.acquire();
        engine.Close();
        QVERIFY(!engine.Held(png));
        release.release();
        engine.Want({ big }, 1);
        QVERIFY(engine.WaitFor({ big }, 10000));
        QTRY_VERIFY(engine.IsIdle());
        QCOMPARE(engine.Held(big)->Pixels().size(), QSize(133, 200));
        QTRY_COMPARE(decoded.count(), 2);
        QVERIFY(engine.HeldBytes() > 0);
        ImageEngine::setDecodeHook(nullptr);

        // A page that cannot be decoded is held as a failure, not asked for forever.
        const PageKey text = KeyFor(m_dir + "/text.jpg");
        engine.Want({ text }, 1);
        QVERIFY(engine.WaitFor({ text }, 10000));
        QVERIFY(engine.Held(text)->IsNull());
    }

    void abandonedAndStuckDecodesFreeTheirThreads()
    {
        // Slow decodes that stop once nobody wants them, reads that never return (a pipe,
        // a dead drive) until the test lets them go, and decodes that cannot stop.
        static QSemaphore entered;
        static QSemaphore letGo;
        ImageEngine::setDecodeHook([](const QString& path, const std::function<bool()>& gone) {
            if (path.contains("/slow")) {
                entered.release();
                QDeadlineTimer patience(60000);
                while (!gone() && !patience.hasExpired())
                    QThread::msleep(5);
            } else if (path.contains("/stuck")) {
                entered.release();
                const ReadWatch::Scope reading;
                letGo.tryAcquire(1, 60000);
            } else if (path.contains("/stubborn")) {
                entered.release();
                letGo.tryAcquire(1, 60000);
            }
        });
        for (const char* name : { "slow1", "slow2", "stuck1", "stuck2", "stubborn1", "stubborn2" })
            QVERIFY(QFile::copy(m_dir + "/page.png", m_dir + "/" + name + ".png"));
        ImageEngine engine;
        const PageKey png = KeyFor(m_dir + "/page.png");
        engine.Want({ KeyFor(m_dir + "/slow1.png"), KeyFor(m_dir + "/slow2.png") }, 2);
        QVERIFY(entered.tryAcquire(2, 10000));
        engine.Want({ png }, 1);
        QVERIFY(engine.WaitFor({ png }, 30000));
        QTRY_VERIFY(engine.IsIdle());

        engine.Want({ KeyFor(m_dir + "/stuck1.png"), KeyFor(m_dir + "/stuck2.png") }, 2);
        QVERIFY(entered.tryAcquire(2, 10000));
        const PageKey jpg = KeyFor(m_dir + "/page.jpg");
        engine.Want({ jpg }, 1);
        QTRY_VERIFY_WITH_TIMEOUT(engine.Held(jpg).has_value(), 30000);
        QCOMPARE(engine.LeftBehind(), 2);
        QCOMPARE(engine.Workers(), 2);
        letGo.release(2);
        QTRY_COMPARE_WITH_TIMEOUT(engine.LeftBehind(), 0, 10000);

        // Decodes that cannot stop but read nothing are slow, not stuck: their threads
        // are waited for, never doubled, and what they decode is kept.
        engine.Want({ KeyFor(m_dir + "/stubborn1.png"), KeyFor(m_dir + "/stubborn2.png") }, 2);
        QVERIFY(entered.tryAcquire(2, 10000));
        const PageKey bmp = KeyFor(m_dir + "/page.bmp");
        engine.Want({ bmp }, 1);
        QTest::qWait(1500);
        QCOMPARE(engine.LeftBehind(), 0);
        QCOMPARE(engine.Workers(), 2);
        QVERIFY(!engine.Held(bmp));
        letGo.release(2);
        QVERIFY(engine.WaitFor({ bmp }, 10000));
        QCOMPARE(engine.LeftBehind(), 0);
        ImageEngine::setDecodeHook(nullptr);
    }

    void aPageInSightNeverWaitsForReadAhead()
    {
        // Read-ahead that cannot stop (Qt reads a TIFF whole) keeps to one thread; the
        // page turned to takes the other at once, and read-ahead goes on once it is done.
        static HeldDecodes held;
        held.Hold("/slow");
        QVERIFY(WritePicture(m_dir + "/slow1.tif", { 300, 200 }, Qt::yellow));
        QVERIFY(WritePicture(m_dir + "/slow2.tif", { 300, 200 }, Qt::yellow));
        ImageEngine engine;
        const PageKey png = KeyFor(m_dir + "/page.png");
        const PageKey ahead1 = KeyFor(m_dir + "/slow1.tif");
        const PageKey ahead2 = KeyFor(m_dir + "/slow2.tif");
        engine.Want({ png, ahead1, ahead2 }, 1);
        QVERIFY(engine.WaitFor({ png }, 10000));
        QVERIFY(held.entered.tryAcquire(1, 10000));
        QVERIFY(!held.entered.tryAcquire(1, 300));
        const PageKey jpg = KeyFor(m_dir + "/page.jpg");
        engine.Want({ jpg, ahead1, ahead2 }, 1);
        QVERIFY(engine.WaitFor({ jpg }, 10000));
        held.letGo.release(2);
        QVERIFY(held.entered.tryAcquire(1, 10000));
        QTRY_VERIFY(engine.IsIdle());
        QVERIFY(!engine.Held(ahead1)->IsNull() && !engine.Held(ahead2)->IsNull());

        // Read-ahead that stops takes both threads, and gives one up for the page turned
        // to; what it gave up is decoded afterwards.
        static std::atomic<bool> stubborn { true };
        ImageEngine::setDecodeHook([](const QString& path, const std::function<bool()>& gone) {
            if (!path.contains("/slow"))
                return;
            held.entered.release();
            QDeadlineTimer patience(60000);
            while (stubborn && !gone() && !patience.hasExpired())
                QThread::msleep(5);
        });
        ImageEngine second;
        const PageKey stops1 = KeyFor(m_dir + "/slow1.png");
        const PageKey stops2 = KeyFor(m_dir + "/slow2.png");
        second.Want({ png, stops1, stops2 }, 1);
        QVERIFY(held.entered.tryAcquire(2, 10000));
        second.Want({ jpg, stops1, stops2 }, 1);
        QVERIFY(second.WaitFor({ jpg }, 10000));
        stubborn = false;
        QVERIFY(second.WaitFor({ stops1, stops2 }, 10000));
        QVERIFY(!second.Held(stops1)->IsNull() && !second.Held(stops2)->IsNull());
        ImageEngine::setDecodeHook(nullptr);
    }

    void decodesKeepWithinTheBudget()
    {
        // A page whose decode holds its whole picture: Qt reads a TIFF whole.
        const QString tiff = m_dir + "/whole.tif";
        QVERIFY(WritePicture(tiff, { 1000, 1000 }, Qt::magenta));
        const PageKey whole = KeyFor(tiff);
        const PageKey png = KeyFor(m_dir + "/page.png");
        QFile file(tiff);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const qint64 cost = DecodeCost::Of(file, whole.fit);
        QVERIFY(cost >= 1000 * 1000 * 4);

        // Read ahead, it waits while its decode would take the engine over its budget.
        ImageEngine engine(cost - 1);
        engine.Want({ png, whole }, 1);
        QVERIFY(engine.WaitFor({ png }, 10000));
        QTRY_VERIFY(engine.IsIdle());
        QVERIFY(!engine.Held(whole));
        // In sight, it decodes alone.
        engine.Want({ whole, png }, 1);
        QVERIFY(engine.WaitFor({ whole }, 10000));
        QVERIFY(!engine.Held(whole)->IsNull());
        // Given the room, read-ahead comes too.
        engine.Close();
        engine.SetBudget(2 * cost);
        engine.Want({ png, whole }, 1);
        QVERIFY(engine.WaitFor({ png, whole }, 10000));
    }

    void aPageShortOfMemoryIsDamaged()
    {
        ImageEngine engine;
        engine.SetSource(std::make_shared<ShortOfMemory>());
        QSignalSpy decoded(&engine, &ImageEngine::pageDecoded);
        const PageKey boom = KeyFor(m_dir + "/boom.png");
        const PageKey png = KeyFor(m_dir + "/page.png");
        engine.Want({ boom, png }, 2);
        QVERIFY(engine.WaitFor({ boom, png }, 10000));
        QVERIFY(engine.Held(boom)->IsNull());
        QVERIFY(!engine.Held(png)->IsNull());
        QTRY_COMPARE(decoded.count(), 2);
        // The engine goes on.
        const PageKey jpg = KeyFor(m_dir + "/page.jpg");
        engine.Want({ jpg }, 1);
        QVERIFY(engine.WaitFor({ jpg }, 10000));
        QVERIFY(!engine.Held(jpg)->IsNull());
        QCOMPARE(engine.Workers(), 2);
    }

    void decodeCostsFollowTheDecoders_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("box");
        // Bytes a pixel of the picture's own size costs at least and at most, beyond the
        // result.
        QTest::addColumn<int>("least");
        QTest::addColumn<int>("most");
        QTest::newRow("baseline jpeg streams") << "big.jpg" << QSize(200, 200) << 0 << 1;
        QTest::newRow("progressive jpeg keeps coefficients")
            << "progressive.jpg" << QSize(200, 200) << 2 << 4;
        QTest::newRow("png streams") << "small.png" << QSize(20, 20) << 0 << 3;
        QTest::newRow("interlaced png keeps its rows")
            << "interlaced.png" << QSize(200, 200) << 4 << 5;
        QTest::newRow("tiff read whole by qt") << "page.tif" << QSize(10, 10) << 4 << 5;
        QTest::newRow("not a picture") << "text.jpg" << QSize(200, 200) << 0 << 0;
    }
    void decodeCostsFollowTheDecoders()
    {
        QFETCH(QString, name);
        QFETCH(QSize, box);
        QFETCH(int, least);
        QFETCH(int, most);
        if (!QFile::exists(m_dir + "/interlaced.png")) {
            QImage big(QImage(m_dir + "/big.jpg").scaled(400, 600));
            QImageWriter progressive(m_dir + "/progressive.jpg");
            progressive.setProgressiveScanWrite(true);
            QVERIFY(progressive.write(big));
            // Qt writes no interlaced PNG: the header's interlace byte is set by hand.
            QFile png(m_dir + "/small.png");
            QVERIFY(png.open(QIODevice::ReadOnly));
            QByteArray bytes = png.readAll();
            bytes[28] = 1;
            bytes.replace(29, 4, BigEndian32(Crc32(bytes.mid(12, 17))));
            QVERIFY(WriteBytes(m_dir + "/interlaced.png", bytes));
        }
        QFile file(m_dir + "/" + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QImageReader reader(m_dir + "/" + name);
        const QSize own = reader.size().isValid() ? reader.size() : QSize(0, 0);
        const FitRequest fit { box, 1, false, 1 };
        const qint64 shown = qint64(box.width() + 1) * (box.height() + 1) * 4;
        const qint64 pixels = qint64(own.width()) * own.height();
        const qint64 cost = DecodeCost::Of(file, fit);
        QCOMPARE(file.pos(), qint64(0));
        QVERIFY2(cost >= pixels * least, qPrintable(QString::number(cost)));
        QVERIFY2(cost <= shown + pixels * most + file.size() + own.width() * 4 * 64,
            qPrintable(QString::number(cost)));
    }
};

LUMIVO_TEST_MAIN(TestImages)
#include "tst_images.moc"
