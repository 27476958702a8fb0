#include "ArchiveSupport.h"
#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "images/ArchivePages.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <thread>

namespace
{
std::atomic<size_t> g_largestAllocation { SIZE_MAX };
} // namespace

// A sanitizer build has an allocator of its own, which this one would go around.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LUMIVO_OWN_ALLOCATOR 0
#else
#define LUMIVO_OWN_ALLOCATOR 1
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_realloc(void* data, size_t size);

// Allocations larger than a test allows fail, as they do once memory runs out; Qt's
// containers then throw std::bad_alloc.
extern "C" void* malloc(size_t size)
{
    if (size > g_largestAllocation) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_malloc(size);
}

extern "C" void* realloc(void* data, size_t size)
{
    if (size > g_largestAllocation) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_realloc(data, size);
}
#endif

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

// Bytes that do not compress, the same for the same seed; size a multiple of 4.
QByteArray Noise(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QString PageName(int page)
{
    return QString("p%1.png").arg(page, 2, 10, QChar('0'));
}

// Pages 1 to count of noise, stored last to first, as a folder whose files were
// written in that order is stored by zip -r and tar -c.
QList<ArchiveMember> Backwards(int count, int size)
{
    QList<ArchiveMember> members;
    for (int page = count; page >= 1; --page)
        members << ArchiveMember { PageName(page), Noise(size, page) };
    return members;
}

std::shared_ptr<ArchivePages> ScanPages(
    const QString& path, const std::function<bool()>& abandoned = {})
{
    return ArchivePages::Scan(
        path, [](const QString& name) { return name.endsWith(".png"); }, abandoned);
}

QByteArray PageBytes(
    const ArchivePages& pages, int page, const std::function<bool()>& abandoned = {})
{
    const std::unique_ptr<QIODevice> device = pages.Open(pages.PageId(page), abandoned);
    return device ? device->readAll() : QByteArray();
}

// How many files this process holds open at path.
int OpenCount(const QString& path)
{
    int count = 0;
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files))
        count += fd.symLinkTarget() == path;
    return count;
}

class AllocationLimit
{
public:
    explicit AllocationLimit(qint64 largest)
        : m_previous(g_largestAllocation.exchange(size_t(largest)))
    {
    }
    ~AllocationLimit() { g_largestAllocation = m_previous; }

private:
    size_t m_previous;
};

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

    // Pages read in page order or backwards from a book stored in neither: each read
    // starts at its member's own header, so the book is read about once in all.
    void pagesAreReachedWithoutGoingBack_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("store");
        QTest::addColumn<bool>("backwards");
        const int zip = int(ArchiveFormat::Zip);
        const int tar = int(ArchiveFormat::Tar);
        QTest::newRow("CBZ, stored, page order") << zip << true << false;
        QTest::newRow("CBZ, stored, backwards") << zip << true << true;
        QTest::newRow("CBZ, deflated, page order") << zip << false << false;
        QTest::newRow("CBT, page order") << tar << false << false;
        QTest::newRow("CBT, backwards") << tar << false << true;
    }
    void pagesAreReachedWithoutGoingBack()
    {
        QFETCH(int, format);
        QFETCH(bool, store);
        QFETCH(bool, backwards);
        constexpr int kPages = 40;
        constexpr int kSize = 64 * 1024;
        const QString path = m_shelf + "/order/" + QTest::currentDataTag() + ".cbz";
        QVERIFY(WriteArchive(path, ArchiveFormat(format), Backwards(kPages, kSize), { store }));
        const std::shared_ptr<ArchivePages> pages = ScanPages(path);
        QVERIFY(pages);
        QCOMPARE(pages->Count(), kPages);
        const qint64 before = BytesRead();
        for (int i = 1; i <= kPages; ++i) {
            const int page = backwards ? kPages + 1 - i : i;
            QCOMPARE(PageBytes(*pages, page), Noise(kSize, page));
        }
        const qint64 read = BytesRead() - before;
        const qint64 size = QFileInfo(path).size();
        QVERIFY2(read < size * 3 / 2,
            qPrintable(QString("%1 bytes read from an archive of %2").arg(read).arg(size)));
    }

    // A listing given up stops, even in the middle of one long skip through zeros that
    // compress to almost nothing; a page read given up there stops too.
    void givingUpStopsTheListing_data()
    {
        QTest::addColumn<int>("filter");
        QTest::newRow("tar.gz") << int(ArchiveOptions::Gzip);
        QTest::newRow("tar.bz2") << int(ArchiveOptions::Bzip2);
    }
    void givingUpStopsTheListing()
    {
        QFETCH(int, filter);
        const QString path = m_shelf + "/given-up/" + QTest::currentDataTag();
        ArchiveMember zeros { "zeros.bin" };
        zeros.zeros = qint64(256) << 20;
        ArchiveOptions options;
        options.filter = ArchiveOptions::Filter(filter);
        QVERIFY(WriteArchive(path, ArchiveFormat::Tar,
            { { "p1.png", Noise(4096, 1) }, zeros, { "p2.png", Noise(4096, 2) } }, options));
        int asked = 0;
        const std::shared_ptr<ArchivePages> pages = ScanPages(path, [&asked] {
            ++asked;
            return false;
        });
        QVERIFY(pages);
        QCOMPARE(pages->Count(), 2);
        QVERIFY(!pages->Incomplete());
        // Between the four headers alone it would be asked five times.
        QVERIFY2(asked > 10, qPrintable(QString::number(asked)));
        int again = 0;
        QVERIFY(!ScanPages(path, [&again, asked] { return ++again > asked / 2; }));
        int opened = 0;
        QVERIFY(!pages->Open(pages->PageId(2), [&opened, asked] { return ++opened > asked / 2; }));
        QCOMPARE(PageBytes(*pages, 2), Noise(4096, 2));
    }

    // Members too large for a page, or longer than they declare, are damaged pages; the
    // pages beside them read.
    void oversizedMembersAreDamaged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        // Larger than any compressed picture of a page, though smaller than a decoder takes.
        ArchiveMember large { "p2.png", "\x89PNG" };
        large.zeros = qint64(100) << 20;
        QTest::newRow("inflates past the limit")
            << ArchiveBytes(ArchiveFormat::Zip, { { "p1.png", Noise(64, 1) }, large });
        ArchiveMember longer { "p2.png", Noise(4096, 2) };
        longer.declared = 100;
        QTest::newRow("longer than it declares")
            << ArchiveBytes(ArchiveFormat::Rar4, { { "p1.png", Noise(64, 1) }, longer });
        const QByteArray stored = ArchiveBytes(ArchiveFormat::Zip,
            { { "p1.png", Noise(64, 1) }, { "p2.png", Noise(100, 2) } }, { true });
        QTest::newRow("directory declares 1 GB") << ZipDeclaring(stored, "p2.png", 1u << 30, false);
    }
    void oversizedMembersAreDamaged()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_shelf + "/oversized/" + QTest::currentDataTag();
        QVERIFY(WriteBytes(path, bytes));
        const std::shared_ptr<ArchivePages> pages = ScanPages(path);
        QVERIFY(pages);
        QCOMPARE(pages->Count(), 2);
        QCOMPARE(PageBytes(*pages, 1), Noise(64, 1));
        QVERIFY(!pages->Open(pages->PageId(2), nullptr));
        QCOMPARE(MemberBudget::Held(), 0);
    }

    // Three large members at once do not fit the budget: the third gives up when nobody
    // wants it any more, and otherwise waits until one of the others is let go.
    void membersInMemoryShareOneBudget()
    {
        const qint64 size = MemberBudget::kBytes * 2 / 5;
        QList<ArchiveMember> members;
        for (int page = 1; page <= 3; ++page) {
            members << ArchiveMember { PageName(page), "\x89PNG" };
            members.last().zeros = size;
        }
        const QString path = m_shelf + "/budget.cbz";
        QVERIFY(WriteArchive(path, ArchiveFormat::Zip, members));
        const std::shared_ptr<ArchivePages> pages = ScanPages(path);
        QVERIFY(pages);
        std::unique_ptr<QIODevice> first = pages->Open(pages->PageId(1), nullptr);
        const std::unique_ptr<QIODevice> second = pages->Open(pages->PageId(2), nullptr);
        QVERIFY(first && second);
        int asked = 0;
        QVERIFY(!pages->Open(pages->PageId(3), [&asked] { return ++asked > 3; }));
        std::atomic<bool> letGo { false };
        bool readBeforeLetGo = false;
        std::unique_ptr<QIODevice> third;
        std::thread reader([&] {
            third = pages->Open(pages->PageId(3), nullptr);
            readBeforeLetGo = !letGo;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const qint64 held = MemberBudget::Held();
        letGo = true;
        first.reset();
        reader.join();
        QVERIFY(held <= MemberBudget::kBytes);
        QVERIFY(!readBeforeLetGo);
        QVERIFY(third);
        QCOMPARE(third->size(), size + 4);
    }

    // A member or a listing that cannot be allocated is a damaged page or a refused book,
    // never the end of the program.
    void failedAllocationsAreDamagedPages()
    {
        QFile maps("/proc/self/maps");
        if (!LUMIVO_OWN_ALLOCATOR
            || (maps.open(QIODevice::ReadOnly) && maps.readAll().contains("vgpreload")))
            QSKIP("A sanitizer or valgrind puts its own allocator in place of the failing one.");
        QList<ArchiveMember> members;
        for (int page = 1; page <= 2; ++page) {
            members << ArchiveMember { PageName(page), "\x89PNG" };
            members.last().zeros = qint64(40) << 20;
        }
        const QString path = m_shelf + "/low-memory.cbz";
        QVERIFY(WriteArchive(path, ArchiveFormat::Zip, members));
        QList<ArchiveMember> many;
        for (int i = 0; i < 20000; ++i)
            many << ArchiveMember { QString("p%1.png").arg(i, 5, 10, QChar('0')), "p" };
        const QString manyPath = m_shelf + "/low-memory-many.cbz";
        QVERIFY(WriteArchive(manyPath, ArchiveFormat::Zip, many, { true }));
        const std::shared_ptr<ArchivePages> pages = ScanPages(path);
        QVERIFY(pages);
        {
            const AllocationLimit limit(qint64(16) << 20);
            QVERIFY(!pages->Open(pages->PageId(1), nullptr));
            const AllocationLimit smaller(256 * 1024);
            QVERIFY(!ScanPages(manyPath));
        }
        QCOMPARE(MemberBudget::Held(), 0);
        const std::unique_ptr<QIODevice> page = pages->Open(pages->PageId(1), nullptr);
        QVERIFY(page);
        QCOMPARE(page->size(), (qint64(40) << 20) + 4);
        QVERIFY(ScanPages(manyPath));
    }

    // A solid archive read by three threads at once decompresses on one handle, so one
    // dictionary is held however many threads want its pages.
    void aSolidArchiveHoldsOneHandle()
    {
        const QString path = m_shelf + "/solid.cb7";
        QVERIFY(WriteArchive(path, ArchiveFormat::SevenZip, Backwards(24, 256 * 1024)));
        const std::shared_ptr<ArchivePages> pages = ScanPages(path);
        QVERIFY(pages);
        QList<QByteArray> read(3);
        std::vector<std::thread> threads;
        for (int i = 0; i < 3; ++i)
            threads.emplace_back([&pages, &read, i] { read[i] = PageBytes(*pages, 1 + i * 8); });
        for (std::thread& thread : threads)
            thread.join();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(read[i], Noise(256 * 1024, 1 + i * 8));
        QCOMPARE(OpenCount(path), 1);
        QCOMPARE(PageBytes(*pages, 24), Noise(256 * 1024, 24));
        QCOMPARE(OpenCount(path), 1);
    }

    // A page after members that are no pages, in a solid archive: they are passed, not
    // kept, and the page still reads.
    void aSolidArchivePassesWhatItKeepsNot()
    {
        const QString path = m_shelf + "/solid-after-others.cb7";
        QVERIFY(WriteArchive(path, ArchiveFormat::SevenZip,
            { { "a.bin", Noise(256 * 1024, 7) }, { "b.bin", Noise(256 * 1024, 8) },
                { "c.bin", Noise(256 * 1024, 9) }, { "p1.png", Noise(4096, 1) } }));
        const std::shared_ptr<ArchivePages> pages = ScanPages(path);
        QVERIFY(pages);
        QCOMPARE(PageBytes(*pages, 1), Noise(4096, 1));
    }

    // A book cut short tells how many pages it still has whole; a whole one has them all.
    void cutBooksSayHowFarTheyRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("readable");
        QTest::addColumn<bool>("incomplete");
        QList<ArchiveMember> inOrder;
        for (int page = 1; page <= 6; ++page)
            inOrder << ArchiveMember { PageName(page), Noise(8192, page) };
        const QByteArray zip = ArchiveBytes(ArchiveFormat::Zip, inOrder, { true });
        // Where the members' local headers begin.
        const auto headers = [](const QByteArray& bytes) {
            QList<qsizetype> found;
            for (qsizetype at = bytes.indexOf("PK\x03\x04"); at >= 0;
                 at = bytes.indexOf("PK\x03\x04", at + 1))
                found << at;
            return found;
        };
        QCOMPARE(headers(zip).size(), 6);
        QTest::newRow("CBZ, whole") << zip << 6 << 6 << false;
        QTest::newRow("CBZ, cut in the header of page 4")
            << zip.left(headers(zip)[3] + 10) << 3 << 3 << true;
        QTest::newRow("CBZ, cut in page 4") << zip.left(headers(zip)[3] + 4000) << 4 << 3 << true;
        // Pages 6, 5 and 4 listed, 4 cut: not one page from the first on is whole.
        const QByteArray backwards = ArchiveBytes(ArchiveFormat::Zip, Backwards(6, 8192));
        QTest::newRow("CBZ stored backwards, cut in page 4")
            << backwards.left(headers(backwards)[2] + 4000) << 3 << 0 << true;
        QTest::newRow("CBZ whose page 2 runs past the end")
            << ZipDeclaring(zip, PageName(2).toUtf8(), 1u << 20, true) << 6 << 1 << true;
        const QByteArray tar = ArchiveBytes(ArchiveFormat::Tar, inOrder);
        QTest::newRow("CBT, whole") << tar << 6 << 6 << false;
        QTest::newRow("CBT, cut in page 4")
            << tar.left(tar.indexOf(Noise(8192, 4)) + 4000) << 4 << 3 << true;
        const QByteArray rar = ArchiveBytes(ArchiveFormat::Rar5, inOrder);
        QTest::newRow("CBR, cut in page 4")
            << rar.left(rar.indexOf(Noise(8192, 4)) + 4000) << 4 << 3 << true;
    }
    void cutBooksSayHowFarTheyRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(int, readable);
        QFETCH(bool, incomplete);
        const QString path = m_shelf + "/cut/" + QTest::currentDataTag();
        QVERIFY(WriteBytes(path, bytes));
        const std::shared_ptr<ArchivePages> pages = ScanPages(path);
        QVERIFY(pages);
        QCOMPARE(pages->Count(), count);
        QCOMPARE(pages->ReadableCount(), readable);
        QCOMPARE(pages->Incomplete(), incomplete);
        for (int page = 1; page <= readable; ++page)
            QCOMPARE(PageBytes(*pages, page), Noise(8192, page));
    }
};

LUMIVO_TEST_MAIN(TestArchives)
#include "tst_archives.moc"
