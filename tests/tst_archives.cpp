#include "ArchiveSupport.h"
#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "images/ArchivePages.h"

#include <QBuffer>

namespace
{
const QString kCannotOpen = QStringLiteral("ファイルを開けません。");
const QColor kGrey(96, 96, 96);

QByteArray Png(int page, const QSize& size = { 300, 450 })
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(PageColour(page));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Pages 1, 2, 10 and 11 in the archive's order, which is not the reading order, with
// what is no page around them: a resource fork, a hidden file, a text, a folder.
QList<ArchiveMember> ShuffledBook()
{
    return { { "p10.png", Png(3) }, { "__MACOSX/._p1.png", Png(9) }, { "p2.png", Png(2) },
        { ".hidden.png", Png(9) }, { "notes.txt", "not a page" },
        { "vol2/", {}, ArchiveMember::Directory }, { "vol2/p11.png", Png(4) },
        { "p1.png", Png(1) } };
}

QColor Centre(CTalvexView* view)
{
    if (!QTest::qWaitFor([view] { return !view->m_inputGate.IsShut(); }, 10000))
        return {};
    return view->grab().toImage().pixelColor(view->width() / 2, view->height() / 2);
}

// Starts in dir with single pages, so each page fills the middle of the view.
void StartIn(const QString& dir)
{
    StartInFolder(dir);
    StoredSettings().setValue("Settings/Layout2", 1);
    StoredSettings().sync();
}

QString Stored(const QString& name)
{
    StoredSettings().sync();
    return StoredSettings().value("Settings/" + name).toString();
}
} // namespace

class TestArchives : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_shelf;
    QStringList m_prompts;

private slots:
    void initTestCase() { m_shelf = env->path("archives"); }

    void init()
    {
        m_prompts.clear();
        RecordMessages(m_prompts);
    }

    void everyFormatReadsAsABook_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("store");
        QTest::newRow("CBZ, deflated") << "book.cbz" << int(ArchiveFormat::Zip) << false;
        QTest::newRow("ZIP, stored") << "book.zip" << int(ArchiveFormat::Zip) << true;
        QTest::newRow("CB7, solid") << "book.cb7" << int(ArchiveFormat::SevenZip) << false;
        QTest::newRow("CBT") << "book.cbt" << int(ArchiveFormat::Tar) << false;
        QTest::newRow("CBR, RAR 4") << "book.cbr" << int(ArchiveFormat::Rar4) << false;
        QTest::newRow("RAR 5") << "book.rar" << int(ArchiveFormat::Rar5) << false;
    }
    void everyFormatReadsAsABook()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QFETCH(bool, store);
        const QString dir = m_shelf + "/" + QTest::currentDataTag();
        const QString path = dir + "/" + name;
        QVERIFY(WriteArchive(path, ArchiveFormat(format), ShuffledBook(), { store }));
        StartIn(dir);
        {
            Viewer v;
            CTalvexView* view = v.view;
            QCOMPARE(view->m_listFolder.GetItemCount(), 1);
            QVERIFY(OpenFromFolder(v, name));
            QCOMPARE(view->m_book.nPageCount, 4);
            QCOMPARE(view->m_book.strPath, path);
            for (int page = 1; page <= 4; ++page) {
                QCOMPARE(view->m_book.nPage, page);
                QVERIFY(SameColour(Centre(view), PageColour(page)));
                Key(view, Qt::Key_PageDown);
            }
            // Back to the first page, as the reader would turn back through the book.
            Key(view, Qt::Key_Home);
            QVERIFY(SameColour(Centre(view), PageColour(1)));
            Key(view, Qt::Key_PageDown);
            Key(view, Qt::Key_PageDown);
            Key(view, Qt::Key_C, Qt::ControlModifier);
            QVERIFY(!view->m_bContent);
        }
        // One entry holds the archive with the image-book bit and the page.
        const QString entry = Stored("Resume0");
        QVERIFY2(entry.startsWith("258|3|4|1|0|") && entry.endsWith("|" + path), qPrintable(entry));
        // Named by the archive, which is the book, even where folder books show their folders.
        StoredSettings().setValue("Settings/FolderOnResume", 1);
        StoredSettings().sync();
        {
            Viewer v;
            CTalvexView* view = v.view;
            QVERIFY(view->m_bResumeScreen);
            QCOMPARE(view->m_listResume.GetItemText(0, 0), name);
            Key(&view->m_listResume, Qt::Key_Return);
            QVERIFY(view->m_bContent);
            QCOMPARE(view->m_book.nPage, 3);
            QVERIFY(SameColour(Centre(view), PageColour(3)));
            Key(view, Qt::Key_PageDown);
            QVERIFY(SameColour(Centre(view), PageColour(4)));
            Key(view, Qt::Key_C, Qt::ControlModifier);
        }
        QVERIFY(Stored("Resume0").startsWith("258|4|4|"));
        QVERIFY(Stored("Resume1").isEmpty());
        QVERIFY(m_prompts.isEmpty());
    }

    void refusedOrPartlyRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        // The pages read, or 0 for an archive refused with the message.
        QTest::addColumn<int>("pages");
        const auto zip = [](const QList<ArchiveMember>& members) {
            return ArchiveBytes(ArchiveFormat::Zip, members);
        };
        const auto locked = [](const QString& name, const QByteArray& bytes) {
            ArchiveMember member { name, bytes };
            member.password = "secret";
            return member;
        };
        const QByteArray good = zip({ { "p1.png", Png(1) }, { "p2.png", Png(2) } });
        QTest::newRow("not an archive") << QByteArray("PK\x03\x04 but nothing else") << 0;
        QTest::newRow("empty file") << QByteArray() << 0;
        QTest::newRow("no member") << zip({}) << 0;
        QTest::newRow("no picture")
            << zip({ { "readme.txt", "text" }, { "d/", {}, ArchiveMember::Directory } }) << 0;
        QTest::newRow("every member encrypted") << zip({ locked("p1.png", Png(1)) }) << 0;
        QTest::newRow("one member encrypted")
            << zip({ { "p1.png", Png(1) }, locked("p2.png", Png(2)), { "p3.png", Png(3) } }) << 2;
        QTest::newRow("links and a FIFO named as pages") << ArchiveBytes(ArchiveFormat::Tar,
            { { "p1.png", Png(1) }, { "p2.png", {}, ArchiveMember::Symlink, "/etc/passwd" },
                { "p3.png", {}, ArchiveMember::HardLink, "p1.png" },
                { "p4.png", {}, ArchiveMember::Fifo } }) << 1;
        // libarchive reads no member of a solid RAR 4 but the first.
        QTest::newRow("solid RAR 4") << ArchiveBytes(
            ArchiveFormat::Rar4, { { "p1.png", Png(1) }, { "p2.png", Png(2) } }, { false, true })
                                     << 0;
        // Cut in the second member's header: the first still reads.
        QTest::newRow("cut short") << good.left(good.indexOf("PK\x03\x04", 4) + 20) << 1;
    }
    void refusedOrPartlyRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, pages);
        const QString dir = m_shelf + "/refused/" + QTest::currentDataTag();
        QVERIFY(WriteBytes(dir + "/book.cbz", bytes));
        StartIn(dir);
        Viewer v;
        QCOMPARE(OpenFromFolder(v, "book.cbz"), pages > 0);
        QCOMPARE(m_prompts, pages > 0 ? QStringList() : QStringList { kCannotOpen });
        if (pages > 0)
            QCOMPARE(v.view->m_book.nPageCount, pages);
    }

    // A page too large to be a page and a page that is no picture leave their sides
    // grey; a name that climbs out of any folder is no page; nothing is written anywhere.
    void hostileMembersHarmNothing()
    {
        const QString dir = m_shelf + "/hostile";
        const QString escaped = m_shelf + "/escaped.png";
        const QString escapedFurther = QFileInfo(m_shelf).path() + "/escaped.png";
        QVERIFY(WriteArchive(dir + "/bomb.cbz", ArchiveFormat::Zip,
            { { "p1.png", Png(1) },
                { "p2.png", Png(9), ArchiveMember::File, {}, ArchivePages::kMaxMemberBytes },
                { "p3.png", "damaged" }, { "z/../../escaped.png", Png(4) } }));
        StartIn(dir);
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "bomb.cbz"));
        QCOMPARE(view->m_book.nPageCount, 3);
        QVERIFY(SameColour(Centre(view), PageColour(1)));
        for (const int page : { 2, 3 }) {
            Key(view, Qt::Key_PageDown);
            QCOMPARE(view->m_book.nPage, page);
            QVERIFY(SameColour(Centre(view), kGrey));
        }
        QVERIFY(!QFile::exists(escaped));
        QVERIFY(!QFile::exists(escapedFurther));
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList { "bomb.cbz" });
        QVERIFY(m_prompts.isEmpty());
    }

    void theSettingHidesArchives()
    {
        const QString dir = m_shelf + "/setting";
        QVERIFY(WriteArchive(dir + "/book.cbz", ArchiveFormat::Zip, { { "p1.png", Png(1) } }));
        QVERIFY(WriteBytes(dir + "/page.png", Png(2)));
        StartIn(dir);
        StoredSettings().setValue("Settings/Archives", 0);
        Viewer v;
        QCOMPARE(v.view->m_listFolder.GetItemCount(), 1);
        QCOMPARE(v.view->m_listFolder.GetItemText(0, 0), QString("page.png"));
    }
};

LUMIVO_TEST_MAIN(TestArchives)
#include "tst_archives.moc"
