#include "TestSupport.h"

#include "browser/BrowserRules.h"
#include "browser/LastPlaces.h"
#include "browser/ResumeRules.h"
#include "browser/ResumeStore.h"
#include "platform/Paths.h"

#include <QRandomGenerator>

using namespace ResumeRules;

namespace
{
BookRecord Pdf(const QString& path, int page, int count = 100)
{
    BookRecord r;
    r.strPath = path;
    r.nType = TYPE_FILE;
    r.nPage = page;
    r.nPageCount = count;
    r.nLayout = LAYOUT_SPREAD_COVER;
    return r;
}

BookRecord Images(const QString& path, int page)
{
    BookRecord r = Pdf(path, page, 40);
    r.bImages = true;
    r.nBind = BIND_LEFT;
    return r;
}

QStringList Describe(const BookRecordList& entries)
{
    QStringList lines;
    for (const BookRecord& e : entries)
        lines << QString("%1@%2").arg(e.strPath).arg(e.nPage);
    return lines;
}
} // namespace

class TestResume : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void addingTheSamePositionReplacesIt()
    {
        BookRecordList entries;
        QCOMPARE(Register(entries, Pdf("/b/x.pdf", 40), REGISTER_ADD, QString(), -1, false), Added);
        BookRecord again = Pdf("/B/X.PDF", 40);
        again.nZoom = 5;
        QCOMPARE(Register(entries, again, REGISTER_ADD, "/b/x.pdf", 40, false), Replaced);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].nZoom, 5);
        QCOMPARE(
            Register(entries, Pdf("/b/x.pdf", 55), REGISTER_ADD, "/b/x.pdf", 40, false), Added);
        QCOMPARE(Describe(entries), QStringList({ "/B/X.PDF@40", "/b/x.pdf@55" }));
    }

    void overwriteMovesTheEntryItWasOpenedFrom()
    {
        BookRecordList entries = { Pdf("/b/x.pdf", 40), Pdf("/a/y.pdf", 3) };
        QCOMPARE(Register(entries, Pdf("/b/x.pdf", 55), REGISTER_OVERWRITE, "/b/x.pdf", 40, false),
            Added);
        // Sorted by file name, then page.
        QCOMPARE(Describe(entries), QStringList({ "/b/x.pdf@55", "/a/y.pdf@3" }));
        // Opened from the page-55 entry and closed on page 3 of the same file... an entry
        // that already holds that position is replaced, never doubled.
        entries.append(Pdf("/b/x.pdf", 3));
        QCOMPARE(Register(entries, Pdf("/b/x.pdf", 3), REGISTER_OVERWRITE, "/b/x.pdf", 55, false),
            Replaced);
        QCOMPARE(Describe(entries), QStringList({ "/b/x.pdf@3", "/a/y.pdf@3" }));
    }

    void imageBooksAreOneEntryPerPath()
    {
        BookRecordList entries;
        Register(entries, Images("/c/book/005.jpg", 5), REGISTER_ADD, QString(), -1, false);
        Register(entries, Images("/c/book/009.jpg", 9), REGISTER_ADD, QString(), -1, false);
        QCOMPARE(entries.size(), 2);
        BookRecord same = Images("/c/book/009.jpg", 9);
        same.nLayout = LAYOUT_SINGLE;
        QCOMPARE(Register(entries, same, REGISTER_ADD, QString(), -1, false), Replaced);
        QCOMPARE(entries.size(), 2);
        // Overwrite of an image book drops its old page's entry.
        QCOMPARE(Register(entries, Images("/c/book/012.jpg", 12), REGISTER_OVERWRITE,
                     "/c/book/009.jpg", 9, false),
            Added);
        QCOMPARE(Describe(entries), QStringList({ "/c/book/005.jpg@5", "/c/book/012.jpg@12" }));
    }

    void sortingByFolderName()
    {
        BookRecordList entries = { Images("/c/zeta/001.jpg", 1), Pdf("/c/m.pdf", 1) };
        Register(entries, Images("/c/alpha/100.jpg", 100), REGISTER_ADD, QString(), -1, true);
        QCOMPARE(Describe(entries),
            QStringList({ "/c/alpha/100.jpg@100", "/c/m.pdf@1", "/c/zeta/001.jpg@1" }));
    }

    void theLimitIsAHundred()
    {
        BookRecordList entries;
        for (int i = 0; i < ResumeStore::kMaxEntries; ++i)
            entries.append(Pdf(QString("/b/%1.pdf").arg(i, 3, 10, QChar('0')), 1));
        const BookRecordList before = entries;
        QCOMPARE(Register(entries, Pdf("/b/new.pdf", 1), REGISTER_ADD, QString(), -1, false), Full);
        QCOMPARE(entries, before);
        QCOMPARE(
            Register(entries, Pdf("/b/050.pdf", 1), REGISTER_ADD, QString(), -1, false), Replaced);
        QCOMPARE(entries.size(), 100);
        // Overwrite frees the entry it came from, so the new position fits.
        QCOMPARE(
            Register(entries, Pdf("/b/050.pdf", 9), REGISTER_OVERWRITE, "/b/050.pdf", 1, false),
            Added);
        QCOMPARE(entries.size(), 100);
        QVERIFY(Describe(entries).contains("/b/050.pdf@9"));
        // Overwrite from a position that has no entry, at the limit: refused, nothing lost.
        QCOMPARE(
            Register(entries, Pdf("/b/xyz.pdf", 2), REGISTER_OVERWRITE, "/b/none.pdf", 1, false),
            Full);
        QCOMPARE(entries.size(), 100);
    }

    void removingAllPagesOfAFile()
    {
        BookRecordList entries
            = { Pdf("/b/x.pdf", 1), Pdf("/b/y.pdf", 2), Pdf("/B/x.PDF", 30), Pdf("/b/x.pdfa", 4) };
        QCOMPARE(RemoveAllOfPath(entries, "/b/X.pdf"), qsizetype(2));
        QCOMPARE(Describe(entries), QStringList({ "/b/y.pdf@2", "/b/x.pdfa@4" }));
    }

    void filterAfterImageTypesChange()
    {
        BookRecordList entries = { Images("/c/a/1.jpg", 1), Images("/c/b/2.JPEG", 2),
            Images("/c/c/3.png", 3), Pdf("/c/d.jpg.pdf", 4), Images("/c/noext/page", 5),
            Images("/c/e/6.tiff", 6), Images("/c/f/7.WEBP", 7), Images("/c/g/8.avif", 8) };
        entries[4].nType = TYPE_MISSING;
        const int allButJpegTiffAndWebp
            = PICEXT_BMP | PICEXT_PNG | PICEXT_GIF | PICEXT_AVIF | PICEXT_JXL;
        QCOMPARE(FilterByPicExt(entries, allButJpegTiffAndWebp), qsizetype(4));
        QCOMPARE(Describe(entries),
            QStringList({ "/c/c/3.png@3", "/c/d.jpg.pdf@4", "/c/noext/page@5", "/c/g/8.avif@8" }));
        QCOMPARE(FilterByPicExt(entries, 0xFF), qsizetype(0));
        QCOMPARE(FilterByPicExt(entries, 0x1F), qsizetype(1));
    }

    void storedFormat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("kept");
        QTest::newRow("largest size") << "2|1|9|1|0|18446744073709551615|/x.pdf" << true;
        QTest::newRow("missing image book") << "259|1|9|257|0|5|/p/1.png" << true;
        QTest::newRow("a drive") << "0|1|9|1|0|5|/" << false;
        QTest::newRow("a folder") << "1|1|9|1|0|5|/books" << false;
        QTest::newRow("type 4") << "260|1|9|1|0|5|/x.pdf" << false;
        QTest::newRow("empty path") << "2|1|9|1|0|5|" << true;
    }
    void storedFormat()
    {
        QFETCH(QString, text);
        QFETCH(bool, kept);
        const auto record = ResumeStore::Parse(text);
        QCOMPARE(bool(record), kept);
        if (record)
            QCOMPARE(ResumeStore::Format(*record), text);
    }

    void namesThatAreNotUtf8KeepEveryByte()
    {
        // Every byte alone, and random runs, come back as they went in.
        QRandomGenerator random(5);
        QList<QByteArray> samples;
        for (int b = 1; b < 256; ++b)
            samples << QByteArray(1, char(b));
        for (int i = 0; i < 500; ++i) {
            QByteArray bytes(1 + random.bounded(12), '\0');
            for (char& c : bytes)
                c = char(1 + random.bounded(255));
            samples << bytes;
        }
        samples << "\xed\xa0\x80"
                << "\xc0\xaf"
                << "\xf4\x90\x80\x80"
                << "\xe3\x83";
        for (const QByteArray& bytes : samples)
            QCOMPARE(Paths::ToNative(Paths::FromNative(bytes)), bytes);

        // "テスト.pdf" in Shift-JIS; valid UTF-8 stays as it was.
        const QString sjis = Paths::FromNative("/books/\x83\x65\x83\x58\x83\x67.pdf");
        const QString other = Paths::FromNative("/books/\x83\x65\x83\x58\x83\x68.pdf");
        QVERIFY(Paths::HasRawBytes(sjis));
        QCOMPARE(Paths::ForDisplay(sjis), QString("/books/\uFFFDe\uFFFDX\uFFFDg.pdf"));
        QCOMPARE(Paths::FromNative("/本/a.pdf"), QString("/本/a.pdf"));
        QCOMPARE(Paths::ToStored("/本/a.pdf"), QString("/本/a.pdf"));
        QVERIFY(!Paths::ToStored(sjis).startsWith('/'));
        QCOMPARE(Paths::FromStored(Paths::ToStored(sjis)), sjis);

        // In a resume value, and not merged with a name that differs in those bytes.
        BookRecord record;
        record.nType = TYPE_FILE;
        record.nPage = 2;
        record.nPageCount = 9;
        record.strPath = sjis;
        const auto back = ResumeStore::Parse(ResumeStore::Format(record));
        QVERIFY(back);
        QCOMPARE(back->strPath, sjis);
        BookRecord neighbour = record;
        neighbour.strPath = other;
        QVERIFY(!BrowserRules::IsSameEntry(record, neighbour));
        QVERIFY(!Paths::SameName(sjis, other));
    }

    void lastPlacesSurviveWhatTheFileHolds()
    {
        const auto book = [](const QString& path, int page, quint64 size, bool images = false) {
            BookRecord record = Pdf(path, page);
            record.bImages = images;
            record.nSize = size;
            return record;
        };
        LastPlaces places;
        QVERIFY(places.Remember(book("/b/a.pdf", 50, 64000)));
        QVERIFY(!places.Remember(book("/b/a.pdf", 50, 64000)));
        QVERIFY(places.Remember(book("/b/scans/p7.jpg", 7, 100, true)));
        QVERIFY(places.Remember(book("/b/scans/p9.jpg", 9, 100, true)));
        QVERIFY(places.Remember(book("/b/line\\nbreak\n.cbz", 3, 10, true)));
        QVERIFY(!places.Remember(book("/b/never.pdf", -1, 5)));
        // Written out and read back, between lines a file may hold after a crash or an edit.
        const QByteArray stored = "garbage\n\n7|1|1|1|0|0|/b/folder-row\n" + places.Contents()
            + "2|1|2|2|0|64000|/b/a.pdf\n" + QByteArray(100000, 'x');
        const LastPlaces read = LastPlaces::Read(stored);
        QCOMPARE(read.Count(), 3);
        QCOMPARE(read.FindFile("/b/a.pdf", 64000)->nPage, 50);
        // Another file in its place starts afresh.
        QVERIFY(!read.FindFile("/b/a.pdf", 64001));
        QCOMPARE(read.FindFolder("/b/scans")->strPath, QString("/b/scans/p9.jpg"));
        QCOMPARE(read.FindFile("/b/line\\nbreak\n.cbz", 10)->nPage, 3);
        QVERIFY(!read.FindFolder("/b"));

        // The oldest go past the limit.
        for (int i = 0; i < LastPlaces::kMaxBooks + 5; ++i)
            places.Remember(book(QString("/b/%1.pdf").arg(i), 2, 1));
        QCOMPARE(LastPlaces::Read(places.Contents()).Count(), LastPlaces::kMaxBooks);
        QVERIFY(!places.FindFile("/b/a.pdf", 64000));
        QCOMPARE(places.FindFile(QString("/b/%1.pdf").arg(LastPlaces::kMaxBooks + 4), 1)->nPage, 2);
    }

    void sizeAboveTheSignedRange()
    {
        const auto record = ResumeStore::Parse("2|1|9|1|0|9223372036854775808|/x.pdf");
        QVERIFY(record);
        QCOMPARE(record->nSize, quint64(9223372036854775808ULL));
        const auto huge = ResumeStore::Parse("2|1|9|1|0|99999999999999999999999|/x.pdf");
        QVERIFY(huge);
        QCOMPARE(huge->nSize, std::numeric_limits<quint64>::max());
    }
};

LUMIVO_TEST_MAIN(TestResume)
#include "tst_resume.moc"
