#include "ImageSupport.h"
#include "PageFixtures.h"
#include "TestSupport.h"

#include "images/JpegDecoder.h"
#include "images/Orientation.h"
#include "images/PageImage.h"
#include "images/PageScaler.h"
#include "images/PngStream.h"
#include "platform/Paths.h"

#include <QImageReader>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QThreadPool>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <thread>

namespace
{
FitRequest Box(const QSize& box)
{
    return { box, 1, false, 1 };
}

QImage LoadedPixels(const QString& path, const QSize& box)
{
    PageImage image;
    return image.Load(path, Box(box)) == PageImage::kLoaded ? image.Pixels() : QImage();
}

// The largest difference of any channel between two RGB32 pixels.
int Difference(QRgb a, QRgb b)
{
    return std::max(
        { qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b)) });
}

// Everything written to the standard error stream (Qt's warnings included) while it
// lives.
class StderrCapture
{
public:
    explicit StderrCapture(const QString& path)
        : m_path(path)
    {
        std::fflush(stderr);
        m_saved = ::dup(2);
        const int fd
            = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    QByteArray Finish()
    {
        std::fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
    }

private:
    QString m_path;
    int m_saved = -1;
};

// An abandoned() that turns true after a number of polls, counting the polls made after.
struct GivenUp {
    int after;
    std::shared_ptr<int> polls = std::make_shared<int>(0);
    std::function<bool()> Poll() const
    {
        return [after = after, polls = polls] { return ++*polls > after; };
    }
    int PollsAfter() const { return std::max(0, *polls - after); }
};
} // namespace

class TestPageImages : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_dir;

    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir + "/" + name;
        return WriteBytes(path, bytes) ? path : QString();
    }

private slots:
    void initTestCase()
    {
        m_dir = env->path("pages");
        QDir().mkpath(m_dir);
    }

    void pngKindsMatchAnUnscaledRead_data()
    {
        QTest::addColumn<int>("kind");
        const QList<PngKind> kinds = AllPngKinds();
        for (int i = 0; i < kinds.size(); ++i)
            QTest::newRow(kinds[i].name) << i;
    }
    void pngKindsMatchAnUnscaledRead()
    {
        QFETCH(int, kind);
        const PngKind png = AllPngKinds()[kind];
        const QString path = Write(QString("kind-%1.png").arg(kind), PngOfKind(png));
        // Qt's unscaled read, turned into RGB32 keeping the colour of transparent pixels.
        const QImage read(path);
        QImage reference = read.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(reference.size(), QSize(64, 48));
        // But Qt reads the grey that tRNS marks transparent as transparent black; those
        // pixels carry their grey (90, the second level).
        if (png.colourType == PNG_COLOR_TYPE_GRAY && png.transparency) {
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 64; ++x)
                    if (qAlpha(read.pixel(x, y)) == 0)
                        reference.setPixel(x, y, qRgb(90, 90, 90));
        }
        for (const QSize& box : { QSize(64, 48), QSize(32, 24), QSize(16, 12) }) {
            const QImage pixels = LoadedPixels(path, box);
            QCOMPARE(pixels.size(), box);
            // Each shown pixel lies inside one block of the picture.
            const int step = 64 / box.width();
            for (int y = 0; y < box.height(); ++y) {
                for (int x = 0; x < box.width(); ++x) {
                    const QRgb want = reference.pixel(x * step + step / 2, y * step + step / 2);
                    const QRgb got = pixels.pixel(x, y);
                    if (Difference(got, want) > 1 || qAlpha(got) != 255)
                        QFAIL(qPrintable(QString("%1 x %2 at (%3, %4): %5, not %6")
                                             .arg(box.width())
                                             .arg(box.height())
                                             .arg(x)
                                             .arg(y)
                                             .arg(got, 8, 16)
                                             .arg(want, 8, 16)));
                }
            }
        }
    }

    void photographsTurnUpright_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("bigEndian");
        for (int orientation = 1; orientation <= 8; ++orientation) {
            QTest::addRow("%d, Intel order", orientation) << orientation << false;
            QTest::addRow("%d, Motorola order", orientation) << orientation << true;
        }
    }
    void photographsTurnUpright()
    {
        QFETCH(int, orientation);
        QFETCH(bool, bigEndian);
        // Four quadrants of their own colours on a 64 x 32 photograph.
        QImage picture(64, 32, QImage::Format_RGB32);
        const QColor colours[4] = { Qt::red, Qt::green, Qt::blue, Qt::yellow };
        for (int q = 0; q < 4; ++q)
            QPainter(&picture).fillRect(QRect((q % 2) * 32, (q / 2) * 16, 32, 16), colours[q]);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "JPEG", 95);
        const QString path = Write(QString("turned-%1-%2.jpg").arg(orientation).arg(bigEndian),
            WithOrientation(jpeg, quint8(orientation), bigEndian));
        QImageReader qt(path);
        qt.setAutoTransform(true);
        const QImage upright = qt.read().convertToFormat(QImage::Format_RGB32);

        PageImage image;
        QCOMPARE(image.Load(path, Box({ 32, 32 })), int(PageImage::kLoaded));
        QCOMPARE(image.Size(), upright.size());
        QCOMPARE(image.GetWidth(), orientation >= 5 ? 32 : 64);
        // Shown at half size: the middle of each quadrant has its colour.
        const QImage& pixels = image.Pixels();
        QCOMPARE(pixels.size(), upright.size() / 2);
        for (const QPoint& at : { QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3) }) {
            const QPoint mine(at.x() * pixels.width() / 4, at.y() * pixels.height() / 4);
            const QPoint theirs(at.x() * upright.width() / 4, at.y() * upright.height() / 4);
            QVERIFY2(Difference(pixels.pixel(mine), upright.pixel(theirs)) <= 12,
                qPrintable(QString("quadrant (%1, %2)").arg(at.x()).arg(at.y())));
        }
    }

    void cmykJpegIsLeftToQt()
    {
        const uchar cmyk[4] = { 40, 200, 120, 30 };
        const QString path = Write("cmyk.jpg", CmykJpeg({ 48, 32 }, cmyk));
        const QImage theirs = QImage(path).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!theirs.isNull());
        const QImage pixels = LoadedPixels(path, { 24, 16 });
        QCOMPARE(pixels.size(), QSize(24, 16));
        QVERIFY(Difference(pixels.pixel(12, 8), theirs.pixel(24, 16)) <= 2);
    }

    void exifOrientationIsReadSafely()
    {
        using Orientation::FromExif;
        const auto read = [](const QByteArray& bytes) {
            return FromExif(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
        };
        QCOMPARE(read(ExifOrientation(6)), QImageIOHandler::TransformationRotate90);
        QCOMPARE(read(ExifOrientation(8, true)), QImageIOHandler::TransformationRotate270);
        QCOMPARE(read(ExifOrientation(2)), QImageIOHandler::TransformationMirror);
        // Cut anywhere before the tag's value, it says nothing; it never reads past the end.
        const QByteArray whole = ExifOrientation(3, true);
        for (int size = 0; size < 26; ++size)
            QCOMPARE(read(whole.left(size)), QImageIOHandler::TransformationNone);
        const auto damaged = [&whole](int at, char value) {
            QByteArray bytes = whole;
            bytes[at] = value;
            return bytes;
        };
        QByteArray endless = damaged(15, char(0xff));
        endless[17] = 0x13;
        for (const QByteArray& bytes : {
                 damaged(0, 'e'), // not Exif
                 damaged(6, 'X'), // neither byte order
                 damaged(9, 43), // not TIFF
                 damaged(13, 4), // the directory inside its own header
                 damaged(13, char(0xf0)), // the directory past the end
                 endless, // more entries than there are bytes, none of them the tag
                 damaged(19, 4), // the tag of another type
                 damaged(23, 2), // two values
                 damaged(25, 9), // no orientation that exists
                 damaged(25, 0),
             })
            QCOMPARE(read(bytes), QImageIOHandler::TransformationNone);
    }

    void scalerAveragesAreas_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::newRow("halved") << QSize(40, 30) << QSize(20, 15);
        QTest::newRow("odd ratio") << QSize(37, 53) << QSize(11, 17);
        QTest::newRow("just smaller") << QSize(100, 90) << QSize(97, 89);
        QTest::newRow("one line tall") << QSize(1, 3000) << QSize(1, 7);
        QTest::newRow("one line wide") << QSize(3000, 1) << QSize(13, 1);
        QTest::newRow("to one pixel") << QSize(23, 19) << QSize(1, 1);
        QTest::newRow("narrower, taller") << QSize(30, 10) << QSize(7, 25);
        QTest::newRow("enlarged") << QSize(7, 5) << QSize(40, 31);
        QTest::newRow("same") << QSize(9, 4) << QSize(9, 4);
    }
    void scalerAveragesAreas()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        // One colour stays exactly that colour, whatever the sizes.
        QImage plain(from, QImage::Format_RGB32);
        plain.fill(qRgb(201, 99, 3));
        const QImage flat = PageScaler::Scaled(plain, to);
        QCOMPARE(flat.size(), to);
        for (int y = 0; y < to.height(); ++y)
            for (int x = 0; x < to.width(); ++x)
                QCOMPARE(flat.pixel(x, y), qRgb(201, 99, 3));
        if (to.width() > from.width() || to.height() > from.height())
            return;
        // Shrinking: each pixel is the average of the area it covers, computed exactly.
        QImage noise(from, QImage::Format_ARGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < from.height(); ++y)
            for (int x = 0; x < from.width(); ++x)
                noise.setPixel(x, y, random.generate());
        const QImage shrunk = PageScaler::Scaled(noise, to);
        const double sx = double(from.width()) / to.width();
        const double sy = double(from.height()) / to.height();
        const auto overlap = [](double lo, double hi, int i) {
            return std::max(0.0, std::min(hi, i + 1.0) - std::max(lo, double(i)));
        };
        for (int y = 0; y < to.height(); ++y) {
            for (int x = 0; x < to.width(); ++x) {
                double sum[3] = {};
                for (int j = int(y * sy); j < std::min(from.height(), int((y + 1) * sy) + 1); ++j) {
                    const double wy = overlap(y * sy, (y + 1) * sy, j);
                    for (int i = int(x * sx); i < std::min(from.width(), int((x + 1) * sx) + 1);
                         ++i) {
                        const double w = wy * overlap(x * sx, (x + 1) * sx, i);
                        const QRgb p = noise.pixel(i, j);
                        sum[0] += w * qRed(p);
                        sum[1] += w * qGreen(p);
                        sum[2] += w * qBlue(p);
                    }
                }
                const QRgb exact = qRgb(qRound(sum[0] / (sx * sy)), qRound(sum[1] / (sx * sy)),
                    qRound(sum[2] / (sx * sy)));
                QVERIFY2(Difference(shrunk.pixel(x, y), exact) <= 1,
                    qPrintable(QString("(%1, %2)").arg(x).arg(y)));
                QCOMPARE(qAlpha(shrunk.pixel(x, y)), 255);
            }
        }
    }

    void scalerEnlargesBetweenPixels()
    {
        QImage two(2, 1, QImage::Format_RGB32);
        two.setPixel(0, 0, qRgb(0, 0, 0));
        two.setPixel(1, 0, qRgb(255, 255, 255));
        const QImage four = PageScaler::Scaled(two, QSize(4, 1));
        QList<int> greys;
        for (int x = 0; x < 4; ++x)
            greys << qGreen(four.pixel(x, 0));
        QCOMPARE(greys, QList<int>({ 0, 64, 191, 255 }));
    }

    void pngChunksAheadOfThePixelsArePassedOver_data()
    {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QByteArrayList>("shown");
        const QByteArray sig("\x89PNG\r\n\x1a\n", 8);
        const QByteArray ihdr = PngChunk("IHDR", QByteArray(13, '\1'));
        const QByteArray plte = PngChunk("PLTE", QByteArray(6, '\2'));
        const QByteArray trns = PngChunk("tRNS", QByteArray(2, '\3'));
        const QByteArray idat = PngChunk("IDAT", QByteArray(100, '\4'));
        const QByteArray iend = PngChunk("IEND", {});
        const QByteArray text = PngChunk("tEXt", "Comment\0" + QByteArray(5000, 'x'));
        QTest::newRow("text, profile and private chunks left out") << QByteArrayList { sig, ihdr,
            text, PngChunk("iCCP", QByteArray(900, 'p')), plte, PngChunk("prVt", "mine"), trns,
            idat, idat, iend } << QByteArrayList { sig, ihdr, plte, trns, idat, idat, iend };
        QTest::newRow("after the pixels, nothing is walked") << QByteArrayList { sig, ihdr, idat,
            text, iend } << QByteArrayList { sig, ihdr, idat, text, iend };
        QTest::newRow("cut inside a chunk header") << QByteArrayList { sig, ihdr, text,
            QByteArray("\0\0\0", 3) } << QByteArrayList { sig, ihdr, QByteArray("\0\0\0", 3) };
        QTest::newRow("not a PNG") << QByteArrayList { "GIF89a", ihdr } << QByteArrayList {};
        QTest::newRow("a critical chunk too large")
            << QByteArrayList { sig, ihdr, PngChunk("PLTE", QByteArray(70000, 'p')), idat }
            << QByteArrayList {};
        QTest::newRow("a length past 2 GB")
            << QByteArrayList { sig, ihdr, QByteArray("\x80\0\0\0tEXt", 8) } << QByteArrayList {};
        QByteArrayList many = { sig, ihdr };
        for (int i = 0; i < PngStream::kMaxChunks; ++i)
            many << PngChunk("tIME", QByteArray(7, '\0'));
        QTest::newRow("too many chunks") << (many << idat) << QByteArrayList {};
    }
    void pngChunksAheadOfThePixelsArePassedOver()
    {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QByteArrayList, shown);
        QByteArray file = chunks.join();
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        PngStream stream(buffer);
        QCOMPARE(stream.Open(), !shown.isEmpty());
        if (shown.isEmpty())
            return;
        // Read in small, uneven pieces, as a decoder does.
        QByteArray read;
        char piece[7];
        for (qint64 got = 0; (got = stream.Read(piece, sizeof piece)) > 0;)
            read.append(piece, got);
        QCOMPARE(read, shown.join());
    }

    void aHugeTextChunkCostsNothing()
    {
        QImage page(60, 90, QImage::Format_RGB32);
        page.fill(QColor(30, 140, 220));
        const QString path = m_dir + "/text-400mb.png";
        QVERIFY(WritePngWithText(path, page, qint64(400) << 20));
        const QImage pixels = LoadedPixels(path, { 200, 200 });
        QCOMPARE(pixels.size(), QSize(60, 90));
        QVERIFY(SameColour(pixels.pixelColor(30, 45), QColor(30, 140, 220), 0));
    }

    void progressiveScansAreBounded()
    {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(QColor(250, 120, 20));
        const QByteArray progressive = ProgressiveJpeg(picture);
        const QByteArray most = WithScans(progressive, JpegDecoder::kMaxScans);
        QVERIFY(!most.isEmpty());
        const QImage pixels = LoadedPixels(Write("most-scans.jpg", most), { 64, 48 });
        QVERIFY(SameColour(pixels.pixelColor(32, 24), QColor(250, 120, 20)));
        PageImage image;
        const QString tooMany
            = Write("too-many-scans.jpg", WithScans(progressive, JpegDecoder::kMaxScans + 1));
        QCOMPARE(image.Load(tooMany, Box({ 64, 48 })), int(PageImage::kFailed));
    }

    void decodingStopsAtOnceAndSilently_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("loads");
        QTest::newRow("baseline jpeg, abandoned") << "scan.jpg" << 40 << false;
        QTest::newRow("progressive jpeg, abandoned") << "progressive.jpg" << 40 << false;
        QTest::newRow("png, abandoned") << "scan.png" << 40 << false;
        QTest::newRow("interlaced png, abandoned") << "interlaced.png" << 40 << false;
        QTest::newRow("jpeg cut short") << "cut.jpg" << -1 << true;
        QTest::newRow("png cut short") << "cut.png" << -1 << false;
        QTest::newRow("png pixels damaged") << "damaged.png" << -1 << false;
        QTest::newRow("too many scans") << "scans.jpg" << -1 << false;
    }
    void decodingStopsAtOnceAndSilently()
    {
        QFETCH(QString, name);
        QFETCH(int, after);
        QFETCH(bool, loads);
        if (!QFile::exists(m_dir + "/scan.jpg")) {
            QImage scan(1200, 1600, QImage::Format_RGB32);
            scan.fill(QColor(240, 230, 200));
            QPainter(&scan).drawEllipse(100, 100, 1000, 1400);
            QVERIFY(scan.save(m_dir + "/scan.jpg", "JPEG", 90));
            QVERIFY(scan.save(m_dir + "/scan.png"));
            Write("progressive.jpg", ProgressiveJpeg(scan));
            PngKind kind = AllPngKinds().last();
            Write("interlaced.png", PngOfKind(kind, QSize(800, 600)));
            QFile jpeg(m_dir + "/scan.jpg");
            QFile png(m_dir + "/scan.png");
            QVERIFY(jpeg.open(QIODevice::ReadOnly) && png.open(QIODevice::ReadOnly));
            const QByteArray jpegBytes = jpeg.readAll();
            QByteArray pngBytes = png.readAll();
            Write("cut.jpg", jpegBytes.left(jpegBytes.size() / 2));
            Write("cut.png", pngBytes.left(pngBytes.size() / 2));
            pngBytes[pngBytes.size() / 2] = char(pngBytes[pngBytes.size() / 2] ^ 0x55);
            Write("damaged.png", pngBytes);
            Write("scans.jpg", WithScans(ProgressiveJpeg(scan), JpegDecoder::kMaxScans + 10));
        }
        const GivenUp givenUp { after < 0 ? std::numeric_limits<int>::max() : after };
        StderrCapture capture(env->path("stderr.txt"));
        PageImage image;
        const int result = image.Load(m_dir + "/" + name, Box({ 300, 400 }), givenUp.Poll());
        const QByteArray printed = capture.Finish();
        QCOMPARE(result, int(loads ? PageImage::kLoaded : PageImage::kFailed));
        QCOMPARE(printed, QByteArray());
        // Asked between rows; once nobody wants the page, it asks no more.
        if (after >= 0)
            QCOMPARE(givenUp.PollsAfter(), 1);
    }

    void decodingNeverWaitsForQtsThreadPool()
    {
        // Qt's global pool kept busy, as when it cannot start threads in low memory:
        // anything that hands work to it waits.
        QVERIFY(WritePicture(m_dir + "/pool.jpg", { 2000, 3000 }, Qt::darkCyan));
        QVERIFY(WritePicture(m_dir + "/pool.png", { 2000, 3000 }, Qt::darkCyan));
        QVERIFY(WritePicture(m_dir + "/pool.bmp", { 2000, 3000 }, Qt::darkCyan));
        QImage indexed(2000, 3000, QImage::Format_Indexed8);
        indexed.setColorTable({ QColor(Qt::darkCyan).rgb() });
        indexed.fill(0);
        QVERIFY(indexed.save(m_dir + "/pool-indexed.bmp"));
        QThreadPool* pool = QThreadPool::globalInstance();
        const int threads = pool->maxThreadCount();
        pool->setMaxThreadCount(1);
        QSemaphore started;
        QSemaphore release;
        pool->start([&] {
            started.release();
            release.acquire();
        });
        started.acquire();
        QSemaphore done;
        std::vector<int> results;
        std::thread decoder([&] {
            for (const char* name : { "pool.jpg", "pool.png", "pool.bmp", "pool-indexed.bmp" }) {
                PageImage image;
                results.push_back(image.Load(m_dir + "/" + name, Box({ 700, 700 })));
            }
            done.release();
        });
        const bool finished = done.tryAcquire(1, 60000);
        release.release();
        decoder.join();
        pool->waitForDone();
        pool->setMaxThreadCount(threads);
        QVERIFY(finished);
        QCOMPARE(results, std::vector<int>(4, PageImage::kLoaded));
    }

    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("read");
        QTest::newRow("a page") << "page.png" << true;
        QTest::newRow("a link to a page") << "link.png" << true;
        QTest::newRow("a FIFO nobody writes to") << "fifo.png" << false;
        QTest::newRow("a folder") << "folder.png" << false;
        QTest::newRow("a device") << "/dev/zero" << false;
    }
    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, name);
        QFETCH(bool, read);
        const QString kinds = env->path("kinds");
        if (!QFile::exists(kinds + "/page.png")) {
            QVERIFY(WritePicture(kinds + "/page.png", { 10, 10 }, Qt::red));
            QVERIFY(QFile::link(kinds + "/page.png", kinds + "/link.png"));
            QCOMPARE(::mkfifo(QFile::encodeName(kinds + "/fifo.png").constData(), 0600), 0);
            QVERIFY(QDir().mkpath(kinds + "/folder.png"));
        }
        const QString path = name.startsWith('/') ? name : kinds + "/" + name;
        QFile file;
        QCOMPARE(Paths::OpenForReading(file, path), read);
        PageImage image;
        QCOMPARE(
            image.Load(path, Box({ 10, 10 })), int(read ? PageImage::kLoaded : PageImage::kFailed));
    }
};

LUMIVO_TEST_MAIN(TestPageImages)
#include "tst_pageimages.moc"
