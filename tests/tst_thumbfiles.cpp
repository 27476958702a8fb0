#include "TestSupport.h"

#include "images/FreedesktopThumbnails.h"
#include "images/PageThumbFiles.h"

#include <QBuffer>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
using Fit = FreedesktopThumbnails::Fit;
using Texts = QMap<QString, QString>;
constexpr qint64 kMTime = 1700000000;
constexpr QFileDevice::Permissions kShared = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
    | QFileDevice::ExeOther;

QImage Filled(QSize size, QColor colour = QColor(200, 40, 40))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray Encoded(QSize size, const char* format, const Texts& texts)
{
    QImage image = Filled(size);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        image.setText(it.key(), it.value());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}
} // namespace

class TestThumbFiles : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void coverUris_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("uri");
        QTest::newRow("spaces and Japanese") << QString::fromUtf8("/tmp/a b/本.pdf")
                                             << QByteArray("file:///tmp/a%20b/%E6%9C%AC.pdf");
        QTest::newRow("dots") << "/tmp/x/../y/./c.cbz" << QByteArray("file:///tmp/y/c.cbz");
        QTest::newRow("signs of URLs")
            << "/tmp/#1 ?%.zip" << QByteArray("file:///tmp/%231%20%3F%25.zip");
        QTest::newRow("brackets, as GLib escapes them")
            << "/tmp/[Group] Vol;1.cbz" << QByteArray("file:///tmp/%5BGroup%5D%20Vol%3B1.cbz");
    }
    void coverUris()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, uri);
        QCOMPARE(FreedesktopThumbnails::Uri(path), uri);
    }
    void coverFilesAreNamedByTheUri()
    {
        const FreedesktopThumbnails covers("/c");
        QCOMPARE(covers.FilePath("/home/jens/photos/me.png", Fit::Normal),
            "/c/thumbnails/normal/c6ee772d9e49320e97ec29a7eb5b1697.png");
        QCOMPARE(covers.FilePath("/home/jens/photos/me.png", Fit::Large),
            "/c/thumbnails/large/c6ee772d9e49320e97ec29a7eb5b1697.png");
    }

    void cacheHomeIsAbsolute()
    {
        const QByteArray before = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", "/var/cache/me");
        QCOMPARE(FreedesktopThumbnails::DefaultCacheHome(), "/var/cache/me");
        qputenv("XDG_CACHE_HOME", "cache/me");
        QCOMPARE(FreedesktopThumbnails::DefaultCacheHome(), QDir::homePath() + "/.cache");
        qunsetenv("XDG_CACHE_HOME");
        QCOMPARE(FreedesktopThumbnails::DefaultCacheHome(), QDir::homePath() + "/.cache");
        qputenv("XDG_CACHE_HOME", before);
    }

    void coverRoundTrip_data()
    {
        QTest::addColumn<QSize>("cover");
        QTest::addColumn<Fit>("fit");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("wide, large") << QSize(600, 300) << Fit::Large << QSize(256, 128);
        QTest::newRow("tall, normal") << QSize(100, 400) << Fit::Normal << QSize(32, 128);
        QTest::newRow("small, never enlarged") << QSize(50, 40) << Fit::Large << QSize(50, 40);
    }
    void coverRoundTrip()
    {
        QFETCH(QSize, cover);
        QFETCH(Fit, fit);
        QFETCH(QSize, kept);
        QTemporaryDir dir;
        const QString book = dir.filePath("a b.cbz");
        const FreedesktopThumbnails covers(dir.filePath("cache"));
        QVERIFY(covers.Write(book, kMTime, 12345, Filled(cover), fit));
        // As a file manager reads it.
        const QString file = covers.FilePath(book, fit);
        const QImage stored(file, "png");
        QCOMPARE(stored.size(), kept);
        QCOMPARE(stored.text("Thumb::URI"), "file://" + dir.path() + "/a%20b.cbz");
        QCOMPARE(stored.text("Thumb::MTime"), "1700000000");
        QCOMPARE(stored.text("Thumb::Size"), "12345");
        QCOMPARE(QFile::permissions(file) & kShared, QFileDevice::Permissions());
        QCOMPARE(QFile::permissions(dir.filePath("cache/thumbnails")) & kShared,
            QFileDevice::Permissions());
        QCOMPARE(QDir(QFileInfo(file).path()).entryList(QDir::Files).size(), 1);

        QCOMPARE(covers.Read(book, kMTime, fit).size(), kept);
        QVERIFY(covers.Read(book, kMTime + 1, fit).isNull());
        QVERIFY(covers.Read(dir.filePath("other.cbz"), kMTime, fit).isNull());
    }

    void coversOfOtherPrograms_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("used");
        const auto cover = [](const QString& uri, const QString& mtime, int width) {
            Texts texts { { "Thumb::URI", uri } };
            if (!mtime.isEmpty())
                texts.insert("Thumb::MTime", mtime);
            return Encoded({ width, 256 }, "png", texts);
        };
        const QString book = "file:///books/a.cbz";
        QByteArray damaged = cover(book, "1700000000", 200);
        damaged.replace(damaged.size() / 2, 16, QByteArray(16, '\xff'));
        QTest::newRow("right keys") << cover(book, "1700000000", 200) << true;
        QTest::newRow("another book") << cover("file:///books/b.cbz", "1700000000", 200) << false;
        QTest::newRow("no time") << cover(book, {}, 200) << false;
        QTest::newRow("too big") << cover(book, "1700000000", 512) << false;
        QTest::newRow("damaged") << damaged << false;
    }
    void coversOfOtherPrograms()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, used);
        QTemporaryDir dir;
        const FreedesktopThumbnails covers(dir.path());
        QVERIFY(WriteBytes(covers.FilePath("/books/a.cbz", Fit::Large), bytes));
        QCOMPARE(covers.Read("/books/a.cbz", kMTime, Fit::Large).isNull(), !used);
    }

    void pageRoundTrip()
    {
        QTemporaryDir dir;
        PageThumbFiles pages(dir.filePath("pages"), 1 << 20);
        const QString key = PageThumbFiles::BookKey("/books/a.cbz", 1000, 1700000000123);
        QVERIFY(pages.Write(key, 3, 384, Filled({ 384, 200 })));
        const QImage back = pages.Read(key, 3, 384);
        QCOMPARE(back.size(), QSize(384, 200));
        QVERIFY(qAbs(back.pixelColor(100, 100).red() - 200) < 10);
        QVERIFY(pages.Read(key, 4, 384).isNull());
        // The same book grown, touched or renamed.
        for (const QString& changed :
            { PageThumbFiles::BookKey("/books/a.cbz", 1001, 1700000000123),
                PageThumbFiles::BookKey("/books/a.cbz", 1000, 1700000000124),
                PageThumbFiles::BookKey("/books/b.cbz", 1000, 1700000000123) })
            QVERIFY(pages.Read(changed, 3, 384).isNull());
        QVERIFY(pages.Read(key, 3, 256).isNull());
        QVERIFY(!pages.Write(key, 6, 256, Filled({ 384, 200 })));
        // No alpha in a JPEG: a transparent page shows on white.
        QImage clear(100, 300, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        QVERIFY(pages.Write(key, 5, 384, clear));
        QVERIFY(pages.Read(key, 5, 384).pixelColor(50, 150).lightness() > 245);
    }

    void filesNotOursAreRemoved_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("damaged") << QByteArray("\xff\xd8\xff\xe0 not a picture");
        QTest::newRow("another class")
            << Encoded({ 256, 100 }, "jpeg", { { "Lumivo::Class", "256" } });
        QTest::newRow("no class") << Encoded({ 384, 100 }, "jpeg", {});
        QTest::newRow("larger than its class")
            << Encoded({ 500, 100 }, "jpeg", { { "Lumivo::Class", "384" } });
    }
    void filesNotOursAreRemoved()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        PageThumbFiles pages(dir.path(), 1 << 20);
        const QString key = PageThumbFiles::BookKey("/books/a.cbz", 1, 1);
        QVERIFY(WriteBytes(dir.filePath(key + "-1-384.jpg"), bytes));
        QVERIFY(pages.Read(key, 1, 384).isNull());
        QVERIFY(!QFile::exists(dir.filePath(key + "-1-384.jpg")));
    }

    void limitDropsTheLeastRecentlyRead()
    {
        QTemporaryDir dir;
        const QString key = PageThumbFiles::BookKey("/books/a.cbz", 1, 1);
        const auto file
            = [&](int page) { return dir.filePath(key + QString("-%1-256.jpg").arg(page)); };
        PageThumbFiles earlier(dir.path(), qint64(1) << 30);
        for (int page = 1; page <= 4; ++page) {
            QVERIFY(earlier.Write(key, page, 256, Filled({ 256, 180 })));
            QFile written(file(page));
            QVERIFY(written.open(QIODevice::ReadWrite));
            // Page 1 the oldest.
            QVERIFY(written.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * (10 - page)),
                QFileDevice::FileModificationTime));
        }
        // Room for four and a half, counted from what the folder holds: the fifth takes it over.
        PageThumbFiles pages(dir.path(), QFileInfo(file(1)).size() * 9 / 2);
        QVERIFY(!pages.Read(key, 1, 256).isNull());
        QVERIFY(pages.Write(key, 5, 256, Filled({ 256, 180 })));
        QList<bool> kept;
        for (int page = 1; page <= 5; ++page)
            kept << QFile::exists(file(page));
        QCOMPARE(kept, QList<bool>({ true, false, true, true, true }));
    }

    void severalThreadsStayUnderTheLimit()
    {
        QTemporaryDir dir;
        constexpr qint64 kLimit = 16 << 10;
        PageThumbFiles pages(dir.path(), kLimit);
        const QString key = PageThumbFiles::BookKey("/books/a.cbz", 1, 1);
        std::atomic<int> failures = 0;
        std::vector<std::thread> threads;
        for (int first = 1; first < 400; first += 100) {
            threads.emplace_back([&, first] {
                for (int page = first; page < first + 30; ++page) {
                    pages.Read(key, page - 1, 128);
                    failures += !pages.Write(key, page, 128, Filled({ 128, 96 }));
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        QCOMPARE(failures.load(), 0);
        // Nothing left half written.
        const QDir folder(dir.path());
        QCOMPARE(folder.entryList(QDir::Files), folder.entryList({ "*.jpg" }, QDir::Files));
        qint64 total = 0;
        for (const QFileInfo& file : folder.entryInfoList(QDir::Files))
            total += file.size();
        QVERIFY(total > 0 && total <= kLimit);
    }

    void unwritableFolderFailsQuietly()
    {
        QTemporaryDir dir;
        QVERIFY(WriteBytes(dir.filePath("afile"), "x"));
        PageThumbFiles pages(dir.filePath("afile/pages"), 1 << 20);
        const QString key = PageThumbFiles::BookKey("/books/a.cbz", 1, 1);
        QVERIFY(!pages.Write(key, 1, 256, Filled({ 256, 100 })));
        QVERIFY(pages.Read(key, 1, 256).isNull());
        const FreedesktopThumbnails covers(dir.filePath("afile"));
        QVERIFY(!covers.Write("/books/a.cbz", kMTime, 1, Filled({ 256, 100 }), Fit::Large));
        QVERIFY(covers.Read("/books/a.cbz", kMTime, Fit::Large).isNull());
    }
};

LUMIVO_TEST_MAIN(TestThumbFiles)
#include "tst_thumbfiles.moc"
