#include "TestSupport.h"

#include "browser/BrowserRules.h"
#include "browser/FolderScan.h"
#include "browser/NameOrder.h"
#include "browser/ResumeLookup.h"
#include "platform/Drives.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <unistd.h>

namespace
{
QStringList Names(const BookRecordList& records)
{
    QStringList names;
    for (const BookRecord& r : records)
        names << Paths::FileNamePart(r.strPath);
    return names;
}

BookRecord Record(const QString& path, int page = -1, bool images = false)
{
    BookRecord r;
    r.nType = TYPE_FILE;
    r.strPath = path;
    r.nPage = page;
    r.bImages = images;
    return r;
}
} // namespace

class TestFolderScan : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void classification_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("picExt");
        QTest::addColumn<bool>("book");
        QTest::addColumn<bool>("images");
        QTest::newRow("pdf") << "a.pdf" << 0 << true << false;
        QTest::newRow("PDF capitals") << "A.PDF" << 7 << true << false;
        QTest::newRow("only dot first") << ".pdf" << 7 << true << false;
        QTest::newRow("no dot") << "pdf" << 7 << false << false;
        QTest::newRow("jpeg default") << "x.JPEG" << 7 << true << true;
        QTest::newRow("jpg off") << "x.jpg" << 0x05 << false << false;
        QTest::newRow("gif off by default") << "x.gif" << 7 << false << false;
        QTest::newRow("gif on") << "x.gif" << 0x08 << true << true;
        QTest::newRow("TIFF on") << "x.TIFF" << 0x10 << true << true;
        QTest::newRow("tif on") << "x.tif" << 0x10 << true << true;
        QTest::newRow("bmp") << "x.bmp" << 1 << true << true;
        QTest::newRow("text") << "x.txt" << 31 << false << false;
        QTest::newRow("last dot counts") << "x.pdf.txt" << 31 << false << false;
    }
    void classification()
    {
        QFETCH(QString, name);
        QFETCH(int, picExt);
        QFETCH(bool, book);
        QFETCH(bool, images);
        const BrowserRules::FileClass c = BrowserRules::ClassifyName(name, picExt);
        QCOMPARE(c.isBook, book);
        QCOMPARE(c.bImages, images);
    }

    void sizeTexts_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << quint64(0) << "0";
        QTest::newRow("10239") << quint64(10239) << "10239";
        QTest::newRow("10240") << quint64(10240) << "10 K";
        QTest::newRow("10 MiB - 1") << quint64(10485759) << "10239 K";
        QTest::newRow("10 MiB") << quint64(10485760) << "10 M";
        QTest::newRow("1023 MiB") << quint64(1023) * 1048576 << "1023 M";
        QTest::newRow("10 GiB") << quint64(10737418240) << "10 G";
        QTest::newRow("max") << ~quint64(0) << "17179869183 G";
    }
    void sizeTexts()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(BrowserRules::FormatSize(bytes), text);
    }

    void pathHelpers()
    {
        QCOMPARE(Paths::FileNamePart("/books/a.pdf"), QString("a.pdf"));
        QCOMPARE(Paths::FileNamePart("a.pdf"), QString());
        QCOMPARE(Paths::FolderPart("/books/a.pdf"), QString("/books"));
        QCOMPARE(Paths::FolderPart("/a.pdf"), QString("/"));
        QCOMPARE(Paths::FolderPart("a.pdf"), QString());
        QCOMPARE(Paths::Join("/", "a"), QString("/a"));
        QCOMPARE(Paths::Join("/b", "a"), QString("/b/a"));
        QVERIFY(Paths::IsDotEntry(".."));
        QVERIFY(!Paths::IsDotEntry("..."));
        QVERIFY(Paths::IsExistingFolder(QDir::tempPath()));
        QVERIFY(!Paths::IsExistingFolder(QString()));
    }

    void sortOrderIsByNameThenPageAndStable()
    {
        BookRecordList records { Record("/x/b.pdf", 3), Record("/x/B.pdf", -1),
            Record("/y/a.pdf", 5), Record("/x/b.PDF", 3), Record("/z/Book/1.jpg", 2, true),
            Record("/q/ant/9.jpg", 1, true) };
        BrowserRules::SortRecords(records, false);
        QCOMPARE(
            Names(records), (QStringList { "1.jpg", "9.jpg", "a.pdf", "B.pdf", "b.pdf", "b.PDF" }));
        BrowserRules::SortRecords(records, true);
        QCOMPARE(
            Names(records), (QStringList { "a.pdf", "9.jpg", "B.pdf", "b.pdf", "b.PDF", "1.jpg" }));
        // An image in the root has no folder name to sort by.
        QCOMPARE(BrowserRules::SortKey(Record("/1.jpg", 1, true), true), QString("1.jpg"));
    }

    void sameEntryRule()
    {
        QVERIFY(BrowserRules::IsSameEntry(Record("/A.pdf", 4), Record("/a.PDF", 4)));
        QVERIFY(!BrowserRules::IsSameEntry(Record("/a.pdf", 4), Record("/a.pdf", 5)));
        QVERIFY(BrowserRules::IsSameEntry(Record("/c/1.jpg", 1, true), Record("/c/1.JPG", 7)));
    }

    void folderListing()
    {
        const QString dir = env->path("listing");
        WriteFile(dir + "/b.pdf", 10240);
        WriteFile(dir + "/A.PDF", 10239);
        WriteFile(dir + "/.hidden.pdf");
        WriteFile(dir + "/notes.txt");
        WriteFile(dir + "/scan.TIFF");
        WriteFile(dir + "/photo.jpg", 100);
        WriteFile(dir + "/z/inner.pdf");
        WriteFile(dir + "/.secret/inner.pdf");
        QVERIFY(QFile::link(dir + "/z", dir + "/link to z"));
        QVERIFY(QFile::link(dir + "/gone", dir + "/dangling.pdf"));

        BookRecordList items = FolderScan::ScanFolder(dir, 7, {});
        QCOMPARE(Names(items), (QStringList { "link to z", "z", "A.PDF", "b.pdf", "photo.jpg" }));
        QCOMPARE(items[0].nType, int(TYPE_FOLDER));
        QCOMPARE(items[2].nType, int(TYPE_FILE));
        QCOMPARE(items[2].nSize, quint64(10239));
        QCOMPARE(items[3].nSize, quint64(10240));
        QVERIFY(items[4].bImages);
        QCOMPARE(items[3].nBind, -1);

        QCOMPARE(Names(FolderScan::ScanFolder(dir, 0, {})),
            (QStringList { "link to z", "z", "A.PDF", "b.pdf" }));
        QVERIFY(Names(FolderScan::ScanFolder(dir, 0x10, {})).contains("scan.TIFF"));
        QVERIFY(FolderScan::ScanFolder(env->path("missing"), 7, {}).isEmpty());
        // The folder's root is joined without doubling the slash.
        QVERIFY(FolderScan::ScanFolder(dir + "/", 7, {})[0].strPath == dir + "/link to z");
    }

    void awkwardNamesAreListed()
    {
        const QByteArray dir = QFile::encodeName(env->path("awkward"));
        QDir().mkpath(QString::fromUtf8(dir));
        for (const QByteArray name : { QByteArray("a|b.pdf"), QByteArray("line\nbreak.pdf"),
                 QByteArray("bad\xff\xfe.pdf"), QByteArray("日本語.pdf") }) {
            const int fd = ::open((dir + "/" + name).constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        const BookRecordList items = FolderScan::ScanFolder(QString::fromUtf8(dir), 7, {});
        QCOMPARE(items.size(), 4);
        QVERIFY(Names(items).contains("a|b.pdf"));
        QVERIFY(Names(items).contains("line\nbreak.pdf"));
        QVERIFY(Names(items).contains("日本語.pdf"));
    }

    void readingStateComesFromResumeEntries()
    {
        const QString dir = env->path("resume");
        WriteFile(dir + "/book.pdf");
        WriteFile(dir + "/other.pdf");
        BookRecord entry = Record(dir + "/BOOK.pdf", 40);
        entry.nPageCount = 200;
        entry.nLayout = 3;
        entry.nZoom = 5;
        entry.nBind = 1;
        entry.bRightToLeft = true;
        const BookRecordList items
            = FolderScan::ScanFolder(dir, 7, { entry, Record(dir + "/book.pdf", 9) });
        QCOMPARE(items[0].nPage, 40);
        QCOMPARE(items[0].nPageCount, 200);
        QCOMPARE(items[0].nLayout, 3);
        QCOMPARE(items[0].nZoom, 5);
        QCOMPARE(items[0].nBind, -1);
        // A manga PDF opened from the Folder screen reads right to left again.
        QVERIFY(items[0].bRightToLeft);
        QCOMPARE(items[1].nPage, -1);
        QCOMPARE(items[1].nPageCount, -1);
        QVERIFY(!items[1].bRightToLeft);
    }

    void imageBookPages()
    {
        const QString dir = env->path("imagebook");
        for (const char* name : { "1.jpg", "2.JPG", "3.png", "a.pdf", "0.gif", ".h.jpg" })
            WriteFile(dir + "/" + name);
        QStringList pages;
        QCOMPARE(FolderScan::ScanImageBook(dir + "/2.jpg", 7, pages), 2);
        QCOMPARE(pages, (QStringList { "1.jpg", "2.JPG", "3.png" }));
        QCOMPARE(FolderScan::ScanImageBook(dir + "/0.gif", 7, pages), -1);
        QCOMPARE(FolderScan::ScanImageBook(dir + "/0.gif", 0x0F, pages), 1);
        QCOMPARE(FolderScan::ScanImageBook(env->path("nowhere/1.jpg"), 7, pages), -1);
        QVERIFY(pages.isEmpty());
    }

    void nameOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("plain");
        QTest::addColumn<int>("natural");
        QTest::newRow("numbers by value") << "img2.jpg"
                                          << "img10.jpg" << 1 << -1;
        QTest::newRow("bare numbers") << "9.png"
                                      << "10.png" << 1 << -1;
        QTest::newRow("leading zeros") << "page 010.png"
                                       << "page 9.png" << -1 << 1;
        QTest::newRow("case ignored") << "Img2.jpg"
                                      << "img10.jpg" << 1 << -1;
        QTest::newRow("second number") << "v1-2.jpg"
                                       << "v1-10.jpg" << 1 << -1;
        QTest::newRow("letters first") << "a10.jpg"
                                       << "b2.jpg" << -1 << -1;
        QTest::newRow("shorter name first") << "cover.jpg"
                                            << "cover2.jpg" << -1 << -1;
        QTest::newRow("letters without regard to case") << "B.jpg"
                                                        << "a.jpg" << 1 << 1;
        QTest::newRow("same number") << "x07.png"
                                     << "x7.png" << -1 << 0;
    }
    void nameOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, plain);
        QFETCH(int, natural);
        // 1 when b sorts before a, -1 when a before b, 0 when they keep their order.
        const auto sign = [&a, &b](bool inNaturalOrder) {
            const QList<qsizetype> swapped { 1, 0 };
            if (NameOrder::Order({ a, b }, inNaturalOrder) == swapped)
                return 1;
            return NameOrder::Order({ b, a }, inNaturalOrder) == swapped ? -1 : 0;
        };
        QCOMPARE(sign(false), plain);
        QCOMPARE(sign(true), natural);
    }

    void naturalOrderOfFoldersAndPages()
    {
        const QString dir = env->path("natural");
        for (const char* name : { "img10.jpg", "img2.jpg", "Img1.png", "img11.png", "notes.pdf" })
            WriteFile(dir + "/" + name);
        QDir().mkpath(dir + "/vol 10");
        QDir().mkpath(dir + "/vol 9");
        QCOMPARE(Names(FolderScan::ScanFolder(dir, 7, {})),
            (QStringList { "vol 10", "vol 9", "Img1.png", "img10.jpg", "img11.png", "img2.jpg",
                "notes.pdf" }));
        QCOMPARE(Names(FolderScan::ScanFolder(dir, 7, {}, true)),
            (QStringList { "vol 9", "vol 10", "Img1.png", "img2.jpg", "img10.jpg", "img11.png",
                "notes.pdf" }));
        // The page of a file is its place in the order asked for.
        QStringList pages;
        QCOMPARE(FolderScan::ScanImageBook(dir + "/img10.jpg", 7, pages), 2);
        QCOMPARE(FolderScan::ScanImageBook(dir + "/img10.jpg", 7, pages, true), 3);
        QCOMPARE(pages, (QStringList { "Img1.png", "img2.jpg", "img10.jpg", "img11.png" }));
    }

    void driveList()
    {
        const QString mounts = "sysfs /sys sysfs rw 0 0\n"
                               "/dev/sda1 / ext4 rw 0 0\n"
                               "/dev/sdb1 /media/alice/MY\\040USB vfat rw 0 0\n"
                               "tmpfs /run tmpfs rw 0 0\n"
                               "server:/books /srv/books nfs4 rw 0 0\n"
                               "/dev/sdc1 /mnt/archive ext4 rw 0 0\n"
                               "/dev/sdd1 /mnt/archive ext4 rw 0 0\n"
                               "/dev/sde1 /data ext4 rw 0 0\n"
                               "/dev/sdf1 /media/odd|name ext4 rw 0 0\n"
                               "proc /mnt/proc proc rw 0 0\n";
        const QList<Drives::Drive> drives = Drives::FromMounts(mounts, "/home/alice");
        const QList<Drives::Drive> expected {
            { "/", "システム (/)" },
            { "/home/alice", "ホーム (/home/alice)" },
            { "/media/alice/MY USB", "MY USB (/media/alice/MY USB)" },
            { "/mnt/archive", "archive (/mnt/archive)" },
            { "/srv/books", "books (/srv/books)" },
        };
        QCOMPARE(drives, expected);

        const BookRecordList records = FolderScan::ScanDrives();
        QVERIFY(!records.isEmpty());
        QCOMPARE(records[0].nType, int(TYPE_DRIVE));
        QVERIFY(records[0].strPath.startsWith("/|"));
    }

    void resumeLookupMatchesCaseInsensitively()
    {
        const ResumeLookup lookup({ Record("/b/Ä.pdf", 3), Record("/b/ä.pdf", 8) });
        BookRecord r = Record("/B/ä.PDF");
        lookup.Apply(r);
        QCOMPARE(r.nPage, 3);
    }
};

LUMIVO_TEST_MAIN(TestFolderScan)
#include "tst_folderscan.moc"
