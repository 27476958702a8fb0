#include "ArchiveSupport.h"
#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "images/FreedesktopThumbnails.h"
#include "images/PageThumbFiles.h"
#include "platform/Profile.h"
#include "reader/ThumbQueue.h"
#include "view/CommandIds.h"
#include "view/GridLayout.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

namespace
{
using Move = GridLayout::Move;

QByteArray Jpeg(const QColor& colour)
{
    QImage image(600, 900, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// A book of pages of PageColour(n); page bad, when given, is no picture at all.
bool WriteBook(const QString& path, int pages, int bad = 0)
{
    QList<ArchiveMember> members;
    for (int page = 1; page <= pages; ++page)
        members.append({ QString("p%1.jpg").arg(page, 3, 10, QChar('0')),
            page == bad ? QByteArray("not a picture") : Jpeg(PageColour(page)) });
    return WriteArchive(path, ArchiveFormat::Zip, members);
}

// A PDF whose pages are filled with PageColour(n).
bool WriteColourPdf(const QString& path, int pages)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(400, 600), QPageSize::Point));
    writer.setPageMargins(QMarginsF());
    QPainter painter(&writer);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.fillRect(QRectF(0, 0, 400, 600), PageColour(page));
    }
    return painter.end();
}

QColor Middle(const QImage& image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}
} // namespace

class TestGrid : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void cellsFollowTheTypeAndTheBinding_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("rightToLeft");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("move");
        QTest::addColumn<int>("to");
        // 100 items at 1920 x 1080: six columns in 48-pixel type, four in 70.
        QTest::newRow("left to right, Right") << 48 << false << 6 << 0 << int(Move::Right) << 1;
        QTest::newRow("left to right, Left at the first")
            << 48 << false << 6 << 0 << int(Move::Left) << 0;
        QTest::newRow("right to left, Left") << 48 << true << 6 << 0 << int(Move::Left) << 1;
        QTest::newRow("right to left, Right") << 48 << true << 6 << 7 << int(Move::Right) << 6;
        QTest::newRow("Down a row") << 70 << false << 4 << 1 << int(Move::Down) << 5;
        QTest::newRow("Up at the top") << 70 << false << 4 << 2 << int(Move::Up) << 2;
        QTest::newRow("Down into a short last row")
            << 48 << false << 6 << 95 << int(Move::Down) << 99;
        QTest::newRow("Down on the last row") << 48 << false << 6 << 97 << int(Move::Down) << 97;
        QTest::newRow("a screen down") << 70 << false << 4 << 1 << int(Move::ScreenDown) << 5;
        QTest::newRow("a screen down past the end")
            << 70 << false << 4 << 94 << int(Move::ScreenDown) << 98;
        QTest::newRow("a screen up at the top")
            << 70 << false << 4 << 6 << int(Move::ScreenUp) << 2;
        QTest::newRow("End") << 48 << true << 6 << 3 << int(Move::Last) << 99;
    }
    void cellsFollowTheTypeAndTheBinding()
    {
        QFETCH(int, type);
        QFETCH(bool, rightToLeft);
        QFETCH(int, columns);
        QFETCH(int, from);
        QFETCH(int, move);
        QFETCH(int, to);
        const GridLayout grid(1920, 1080 - 120, type, 100, rightToLeft);
        QCOMPARE(grid.Columns(), columns);
        QCOMPARE(grid.Moved(from, Move(move)), to);
        // Every cell lies where a click finds it, and the first is on the binding's side.
        for (const int item : { 0, from, to, 99 }) {
            const QRect cell = grid.CellRect(item);
            QCOMPARE(grid.ItemAt(cell.center().x(), cell.center().y()), item);
            QVERIFY(grid.PictureRect(item).bottom() < grid.LabelRect(item).top());
        }
        QCOMPARE(grid.CellRect(0).left() > 960, rightToLeft);
        // Scrolled to, an item is wholly in sight, and the scroll stays in the content.
        const int scroll = grid.ScrollToShow(to, 0);
        QVERIFY(grid.CellRect(to).top() >= scroll);
        QVERIFY(grid.CellRect(to).bottom() < scroll + 960);
        QCOMPARE(grid.ClampScroll(1 << 30), grid.ContentHeight() - 960);
        const QList<int> inSight = grid.ItemsIn(scroll, scroll + 959);
        QVERIFY(inSight.contains(to));
        // Pictures wanted: those in sight first, each once, then two screens ahead and one
        // behind, the nearest first.
        const QList<int> wanted = grid.ItemsWanted(scroll, 2, 1);
        QCOMPARE(wanted.mid(0, inSight.size()), inSight);
        QCOMPARE(QSet<int>(wanted.cbegin(), wanted.cend()).size(), wanted.size());
        if (inSight.last() < 99)
            QCOMPARE(wanted.value(inSight.size()), inSight.last() + 1);
        if (inSight.first() > 0)
            QVERIFY(wanted.contains(inSight.first() - 1));
    }

    void theQueueMakesWhatIsWantedAndHoldsNothingElse()
    {
        std::atomic<int> made { 0 };
        ThumbQueue queue;
        queue.Start([&made]() -> ThumbQueue::Make {
            return [&made](int item, const ThumbQueue::Abandoned&) {
                ++made;
                if (item == 13)
                    return QImage();
                QImage image(10, 10, QImage::Format_RGB32);
                image.fill(PageColour(item));
                return image;
            };
        });
        queue.Want({ 1, 2, 13 });
        QTRY_VERIFY(!queue.Thumb(1).isNull() && !queue.Thumb(2).isNull() && queue.Failed(13));
        QCOMPARE(Middle(queue.Thumb(2)), PageColour(2));
        // Made once: wanted again, nothing is made anew.
        queue.Want({ 1, 2, 13 });
        QTest::qWait(50);
        QCOMPARE(made.load(), 3);
        // What is not wanted any more goes; a new set of items starts from nothing.
        queue.Want({ 2 });
        QVERIFY(queue.Thumb(1).isNull());
        QCOMPARE(queue.HeldBytes(), queue.Thumb(2).sizeInBytes());
        queue.Start({});
        QVERIFY(queue.Thumb(2).isNull());
    }

    void aPictureGivenUpAndWantedAgainIsMadeAnew()
    {
        std::atomic<int> calls { 0 };
        std::atomic<bool> sawGivenUp { false };
        std::atomic<bool> wantedAgain { false };
        ThumbQueue queue;
        queue.Start([&]() -> ThumbQueue::Make {
            return [&](int, const ThumbQueue::Abandoned& abandoned) {
                if (calls++ == 0) {
                    while (!abandoned())
                        QThread::msleep(1);
                    sawGivenUp = true;
                    while (!wantedAgain)
                        QThread::msleep(1);
                    return QImage();
                }
                QImage image(10, 10, QImage::Format_RGB32);
                image.fill(Qt::blue);
                return image;
            };
        });
        // Scrolled away while it is made, and back before the maker has given up.
        queue.Want({ 5 });
        QTRY_COMPARE(calls.load(), 1);
        queue.Want({});
        QTRY_VERIFY(sawGivenUp);
        queue.Want({ 5 });
        wantedAgain = true;
        QTRY_VERIFY(!queue.Thumb(5).isNull());
        QVERIFY(!queue.Failed(5));
    }

    void theGridFramesThePageReadAndJumpsWhereEnterIsPressed()
    {
        const QString dir = env->path("grid");
        QVERIFY(WriteBook(dir + "/book.cbz", 40, 7));
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "book.cbz"));
        view->JumpToPage(20);
        QTRY_COMPARE(view->m_book.nPage, 20);
        Key(view, Qt::Key_L, Qt::ControlModifier);
        PageGridOverlay& grid = view->m_pageGrid;
        // Keys wait while the spread turned to is on its way.
        QTRY_VERIFY(view->GridShown());
        QCOMPARE(grid.FramedPage(), 20);
        // Bound on the right: the grid reads right to left, and so do its arrows.
        QVERIFY(grid.Grid().CellRect(0).left() > grid.Grid().CellRect(1).left());
        QTRY_VERIFY(!grid.Thumbs().Thumb(20).isNull());
        QVERIFY(SameColour(Middle(grid.Thumbs().Thumb(20)), PageColour(20)));
        Key(&grid, Qt::Key_Left);
        QCOMPARE(grid.FramedPage(), 21);
        // Page up and down keep the pages ahead held, and no more than a few screens.
        for (int i = 0; i < 6; ++i)
            Key(&grid, Qt::Key_PageDown);
        QVERIFY(grid.FramedPage() > 30);
        QVERIFY(grid.Thumbs().Thumb(1).isNull());
        // A page that is no picture is a grey box, the others come all the same.
        Key(&grid, Qt::Key_Home);
        QTRY_VERIFY(grid.Thumbs().Failed(7));
        QTRY_VERIFY(!grid.Thumbs().Thumb(8).isNull());
        Key(&grid, Qt::Key_Escape);
        QVERIFY(!view->GridShown());
        QCOMPARE(view->m_book.nPage, 20);
        Key(view, Qt::Key_L, Qt::ControlModifier);
        Key(&grid, Qt::Key_End);
        Key(&grid, Qt::Key_Up);
        const int chosen = 40 - grid.Grid().Columns();
        QCOMPARE(grid.FramedPage(), chosen);
        Key(&grid, Qt::Key_Return);
        QVERIFY(!view->GridShown());
        QTRY_VERIFY(view->m_book.nPage == chosen || view->m_book.nPage == chosen + 1);
        QVERIFY(view->Pairing(view->m_book).SpreadOf(chosen).first <= view->m_book.nPage);

        // Kept on the disk by the book's size and time: a changed book never matches.
        const QFileInfo book(dir + "/book.cbz");
        const QString key = PageThumbFiles::BookKey(
            book.absoluteFilePath(), book.size(), book.lastModified().toMSecsSinceEpoch());
        PageThumbFiles files(PageThumbFiles::DefaultFolder(view->m_strCacheHome), 1 << 30);
        QVERIFY(QDir(PageThumbFiles::DefaultFolder(view->m_strCacheHome))
                    .entryList({ key + "-20-*" }, QDir::Files)
                    .size()
            == 1);
        QVERIFY(PageThumbFiles::BookKey(book.absoluteFilePath(), book.size() + 1,
                    book.lastModified().toMSecsSinceEpoch())
            != key);
        // The book's first page is its cover for every program that reads the shared cache.
        const QImage cover
            = FreedesktopThumbnails(view->m_strCacheHome)
                  .Read(book.absoluteFilePath(), book.lastModified().toSecsSinceEpoch(),
                      FreedesktopThumbnails::Fit::Large);
        QVERIFY(SameColour(Middle(cover), PageColour(1)));
        QCOMPARE(
            cover.text("Thumb::URI"), QString(FreedesktopThumbnails::Uri(book.absoluteFilePath())));
    }

    void aPdfGridRendersItsPages()
    {
        const QString dir = env->path("pdfgrid");
        QVERIFY(WriteColourPdf(dir + "/colours.pdf", 12));
        StartInFolder(dir);
        Viewer v;
        QVERIFY(OpenFromFolder(v, "colours.pdf"));
        Key(v.view, Qt::Key_L, Qt::ControlModifier);
        PageGridOverlay& grid = v.view->m_pageGrid;
        QTRY_VERIFY(!grid.Thumbs().Thumb(5).isNull());
        QVERIFY(SameColour(Middle(grid.Thumbs().Thumb(5)), PageColour(5)));
        // The pad's arrows and Enter work as on the list screens.
        v.view->DispatchPadCommand(19);
        QTRY_COMPARE(grid.FramedPage(), 1 + grid.Grid().Columns());
        v.view->DispatchPadCommand(16);
        QVERIFY(!v.view->GridShown());
    }

    void theFolderShowsCoversWithTheSettingOn()
    {
        const QString dir = env->path("covers");
        QVERIFY(WriteBook(dir + "/a.cbz", 3));
        QVERIFY(WritePicture(dir + "/b.png", { 300, 400 }, PageColour(9)));
        QVERIFY(QDir().mkpath(dir + "/sub"));
        // A cover a file manager made already is taken as it is.
        const QString cbz = QFileInfo(dir + "/a.cbz").absoluteFilePath();
        QImage made(100, 150, QImage::Format_RGB32);
        made.fill(Qt::green);
        QVERIFY(FreedesktopThumbnails(FreedesktopThumbnails::DefaultCacheHome())
                    .Write(cbz, QFileInfo(cbz).lastModified().toSecsSinceEpoch(),
                        QFileInfo(cbz).size(), made, FreedesktopThumbnails::Fit::Large));
        StartInFolder(dir);
        {
            Viewer off;
            QVERIFY(!off.view->CoversShown());
            QVERIFY(off.view->m_coverGrid.isHidden());
        }
        Profile().WriteProfileInt(QStringLiteral("FolderCovers"), 1);
        Viewer v;
        CTalvexView* view = v.view;
        CoverGrid& grid = view->m_coverGrid;
        QVERIFY(view->CoversShown());
        QVERIFY(grid.isVisible());
        QCOMPARE(grid.Grid().Count(), 3);
        QTRY_VERIFY(!grid.Thumbs().Thumb(1).isNull() && !grid.Thumbs().Thumb(2).isNull());
        QCOMPARE(Middle(grid.Thumbs().Thumb(1)), QColor(Qt::green));
        QVERIFY(SameColour(Middle(grid.Thumbs().Thumb(2)), PageColour(9)));
        QVERIFY(grid.Thumbs().Thumb(0).isNull());
        // Right and Left choose among the covers; Enter opens the one chosen.
        view->m_listFolder.SelectItem(0);
        QTest::keyClick(&grid, Qt::Key_Right);
        QCOMPARE(view->m_listFolder.GetSelectedIndex(), 1);
        QTest::keyClick(&grid, Qt::Key_Return);
        QVERIFY(view->m_bContent);
        QCOMPARE(QFileInfo(view->m_book.strPath).fileName(), QString("a.cbz"));
        // Back on the Folder screen the book carries its reading mark.
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(grid.isVisible());
        QCOMPARE(view->m_listFolder.GetItemIcon(1) % 2, 1);
    }
};

LUMIVO_TEST_MAIN(TestGrid)
#include "tst_grid.moc"
