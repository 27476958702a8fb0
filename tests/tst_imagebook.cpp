#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "platform/Prompt.h"
#include "view/CommandIds.h"

#include <QSemaphore>
#include <QTimer>

#include <atomic>

namespace
{
const QColor kGrey(96, 96, 96);

QString PageName(int page)
{
    return QString("p%1.png").arg(page);
}

// A book of numbered pages, each of its own colour.
void WriteBook(const QString& dir, int pages, const QSize& size = { 800, 1200 })
{
    for (int i = 1; i <= pages; ++i)
        QVERIFY(WritePicture(dir + "/" + PageName(i), size, PageColour(i)));
}

// A book whose pages have a top half and a bottom half of their own colours.
void WriteHalvesBook(const QString& dir, int pages)
{
    QDir().mkpath(dir);
    for (int i = 1; i <= pages; ++i) {
        QImage page(800, 1200, QImage::Format_RGB32);
        page.fill(PageColour(i));
        QPainter(&page).fillRect(0, 600, 800, 600, PageColour(i + 10));
        QVERIFY(page.save(dir + "/" + PageName(i)));
    }
}

// Decodes of the page so named wait until the test releases them, while hold is set.
void HoldDecodesOf(const QString& name, QSemaphore& release, std::atomic<bool>& hold)
{
    hold = true;
    ImageEngine::setDecodeHook([name, &release, &hold](const QString& path, const auto&) {
        if (hold && path.endsWith("/" + name))
            release.acquire();
    });
}

// What the view shows once a turn waiting for its pages has them; nothing if it never
// gets them.
QImage Shot(CTalvexView* view)
{
    if (!QTest::qWaitFor([view] { return !view->m_inputGate.IsShut(); }, 10000))
        return {};
    return view->grab().toImage();
}

QColor At(CTalvexView* view, int x, int y)
{
    return Shot(view).pixelColor(x, y);
}

// The colours in the middle of the left and the right half of the view.
QPair<QColor, QColor> Halves(CTalvexView* view)
{
    const QImage shot = Shot(view);
    const int y = shot.height() / 2;
    return { shot.pixelColor(shot.width() / 4, y), shot.pixelColor(shot.width() * 3 / 4, y) };
}
} // namespace

class TestImageBook : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_shelf;
    QStringList m_prompts;
    int m_beeps = 0;

private slots:
    void initTestCase()
    {
        m_shelf = env->path("shelf");
        Prompt::setBeeper([this] { ++m_beeps; });
    }

    void init()
    {
        m_prompts.clear();
        m_beeps = 0;
        ImageEngine::setDecodeHook(nullptr);
        RecordMessages(m_prompts);
    }

    void openTurnBindCloseAndResume()
    {
        const QString dir = m_shelf + "/colours";
        WriteBook(dir, 5);
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "p1.png"));
        QCOMPARE(v.frame.windowTitle(), QString("p1.png - Lumivo"));
        QCOMPARE(view->m_book.nPageCount, 5);
        QCOMPARE(view->m_book.nLayout, 2);
        QCOMPARE(view->m_book.nBind, 0);
        // The cover alone, on the left with right binding; shown at once.
        QCOMPARE(Halves(view), qMakePair(PageColour(1), kGrey));

        Key(view, Qt::Key_PageDown);
        QCOMPARE(view->m_book.nPage, 3);
        QCOMPARE(view->m_book.strPath, dir + "/p3.png");
        QCOMPARE(Halves(view), qMakePair(PageColour(3), PageColour(2)));
        // Changes of binding and layout show at once from the pages held (page 4 was
        // read ahead), and refine when the pages at their new size arrive.
        QTRY_VERIFY(view->m_imageBook.m_imageEngine.IsIdle());
        Key(view, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(!view->m_inputGate.IsShut());
        QCOMPARE(view->m_book.nBind, 1);
        QCOMPARE(Halves(view), qMakePair(PageColour(2), PageColour(3)));
        Key(view, Qt::Key_Tab);
        QVERIFY(!view->m_inputGate.IsShut());
        QCOMPARE(view->m_book.nLayout, 3);
        QCOMPARE(Halves(view), qMakePair(PageColour(3), PageColour(4)));
        Key(view, Qt::Key_Tab);
        QVERIFY(!view->m_inputGate.IsShut());
        QCOMPARE(view->m_book.nLayout, 1);
        QCOMPARE(At(view, view->width() / 2, view->height() / 2), PageColour(3));
        QCOMPARE(At(view, 5, view->height() / 2), kGrey);
        // Binding means nothing to a single page.
        view->OnCommand(ID_BIND_RIGHT);
        QCOMPARE(view->m_book.nBind, 1);

        Key(view, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!view->m_bContent);
        QVERIFY(view->m_imageBook.m_image1.IsNull());
        QCOMPARE(view->m_imageBook.m_imageEngine.HeldBytes(), 0);
        StoredSettings().sync();
        const QString stored = StoredSettings().value("Settings/Resume0").toString();
        QVERIFY2(stored.startsWith("258|3|5|") && stored.endsWith("|" + dir + "/p3.png"),
            qPrintable(stored));

        // The Resume screen finds it again, at the page, layout and binding it was left.
        Key(&view->m_listFolder, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(view->m_bResumeScreen);
        Key(&view->m_listResume, Qt::Key_Return);
        QVERIFY(view->m_bContent);
        QCOMPARE(view->m_book.nPage, 3);
        QCOMPARE(view->m_book.nLayout, 1);
        QCOMPARE(view->m_book.nBind, 1);
        QCOMPARE(At(view, view->width() / 2, view->height() / 2), PageColour(3));
        Key(view, Qt::Key_Escape);
        QVERIFY(!view->m_bContent);
        QCOMPARE(view->m_book.strPath, dir + "/p3.png");
        QVERIFY(m_prompts.isEmpty());
    }

    void pagesLandAgainstTheGap()
    {
        const QString dir = m_shelf + "/shapes";
        QVERIFY(WritePicture(dir + "/a.png", { 3000, 1000 }, Qt::yellow));
        QVERIFY(WritePicture(dir + "/b.png", { 800, 1200 }, Qt::blue));
        QVERIFY(WritePicture(dir + "/c.png", { 800, 1200 }, Qt::red));
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        v.frame.resize(1000, 600);
        QTRY_COMPARE(view->size(), QSize(1000, 600));
        view->m_nSpace = 10;
        view->m_nLayoutImage = 3;
        QVERIFY(OpenFromFolder(v, "b.png"));
        // Pages 1 and 2 with right binding: page 1 (a) on the right, page 2 (b) on the
        // left, each against the gap of 10 between x 495 and 505.
        QCOMPARE(view->m_book.nPage, 2);
        QImage shot = Shot(view);
        const QColor a(Qt::yellow);
        const QColor b(Qt::blue);
        const QList<std::pair<QPoint, QColor>> rightBound
            = { { { 94, 300 }, kGrey }, { { 95, 300 }, b }, { { 494, 300 }, b },
                  { { 495, 300 }, kGrey }, { { 504, 300 }, kGrey }, { { 505, 300 }, a },
                  { { 999, 300 }, a }, { { 750, 216 }, kGrey }, { { 750, 217 }, a },
                  { { 750, 381 }, a }, { { 750, 382 }, kGrey } };
        for (const auto& [point, colour] : rightBound)
            QCOMPARE(shot.pixelColor(point), colour);
        Key(view, Qt::Key_O, Qt::ControlModifier);
        shot = Shot(view);
        const QList<std::pair<QPoint, QColor>> leftBound = { { { 0, 300 }, a }, { { 494, 300 }, a },
            { { 495, 300 }, kGrey }, { { 250, 216 }, kGrey }, { { 505, 300 }, b },
            { { 904, 300 }, b }, { { 905, 300 }, kGrey } };
        for (const auto& [point, colour] : leftBound)
            QCOMPARE(shot.pixelColor(point), colour);
        // The last page alone stays in its own box, against the gap.
        Key(view, Qt::Key_End);
        shot = Shot(view);
        QCOMPARE(shot.pixelColor(95, 300), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(494, 300), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(750, 300), kGrey);
    }

    void magnifiedRegionsAndStepping()
    {
        const QString dir = m_shelf + "/halves";
        WriteHalvesBook(dir, 3);
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        v.frame.resize(1000, 600);
        QTRY_COMPARE(view->size(), QSize(1000, 600));
        view->m_nLayoutImage = 1;
        QVERIFY(OpenFromFolder(v, "p1.png"));
        const QPoint centre(500, 300);
        Key(view, Qt::Key_8);
        QCOMPARE(view->m_book.nZoom, 2);
        // The page at twice its fitted size, stretched at first, then decoded at 2x.
        QCOMPARE(At(view, centre.x(), centre.y()), PageColour(1));
        QTRY_COMPARE(view->m_imageBook.m_image1.Pixels().size(), QSize(800, 1200));
        QCOMPARE(At(view, 99, 300), kGrey);
        QCOMPARE(At(view, 100, 300), PageColour(1));
        Key(view, Qt::Key_Down);
        Key(view, Qt::Key_Down);
        QCOMPARE(view->m_book.nZoom, 8);
        QCOMPARE(At(view, centre.x(), centre.y()), PageColour(11));
        // Down from the bottom row turns to the top of the next page.
        Key(view, Qt::Key_Down);
        QCOMPARE(view->m_book.nPage, 2);
        QCOMPARE(view->m_book.nZoom, 2);
        QTRY_COMPARE(At(view, centre.x(), centre.y()), PageColour(2));
        Key(view, Qt::Key_S, Qt::ControlModifier);
        Key(&view->m_listFolder, Qt::Key_O, Qt::ControlModifier);
        Key(&view->m_listResume, Qt::Key_Return);
        QCOMPARE(view->m_book.nZoom, 2);
        QCOMPARE(At(view, centre.x(), centre.y()), PageColour(2));
        Key(view, Qt::Key_Return);
        QCOMPARE(view->m_book.nZoom, 0);
        QTRY_COMPARE(view->m_imageBook.m_image1.Pixels().size(), QSize(400, 600));
        // A new size shows at once, then at its own pixels.
        v.frame.resize(1000, 500);
        QTRY_COMPARE(view->size(), QSize(1000, 500));
        QVERIFY(!view->m_inputGate.IsShut());
        QCOMPARE(At(view, 500, 100), PageColour(2));
        QTRY_COMPARE(view->m_imageBook.m_image1.Pixels().size(), QSize(333, 500));
    }

    void slowDecodeIsNeverShownEarly()
    {
        const QString dir = m_shelf + "/slow";
        WriteBook(dir, 8);
        StartInFolder(dir);
        static QSemaphore release;
        static std::atomic<bool> hold;
        HoldDecodesOf("p5.png", release, hold);
        Viewer v;
        CTalvexView* view = v.view;
        view->m_nLayoutImage = 1;
        view->m_nSkipForward = 4;
        QVERIFY(OpenFromFolder(v, "p1.png"));
        const QPoint centre(view->width() / 2, view->height() / 2);

        // Page 5 is not read ahead; the turn waits for it with page 1 in sight, and
        // the keys pressed meanwhile wait too.
        Key(view, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(view->m_book.nPage, 5);
        QCOMPARE(view->grab().toImage().pixelColor(centre), PageColour(1));
        Key(view, Qt::Key_PageDown);
        Key(view, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(view->m_bContent);
        QCOMPARE(view->m_book.nPage, 5);
        QVERIFY(view->m_inputGate.IsShut());
        QCOMPARE(view->grab().toImage().pixelColor(centre), PageColour(1));

        release.release();
        // Then page 5 shows, PageDown turns to 6 and Ctrl+S saves page 6.
        QTRY_VERIFY(!view->m_bContent);
        StoredSettings().sync();
        QVERIFY(StoredSettings().value("Settings/Resume0").toString().endsWith("/p6.png"));
        QCOMPARE(view->m_book.nPage, 6);
        ImageEngine::setDecodeHook(nullptr);
    }

    void openingWaitsWithTheWindowAlive()
    {
        const QString dir = m_shelf + "/opening";
        WriteBook(dir, 4);
        QVERIFY(WriteBytes(dir + "/p2.png", "Not a picture.\n"));
        StartInFolder(dir);
        static QSemaphore release;
        static std::atomic<bool> hold;
        HoldDecodesOf("p1.png", release, hold);
        Viewer v;
        CTalvexView* view = v.view;
        view->m_nLayoutImage = 3;
        // While the first page is on its way the window goes on, the reader's keys do
        // nothing, and Esc gives the opening up without a message.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] {
            if (++ticks == 3) {
                Key(&view->m_listFolder, Qt::Key_Tab);
                Key(&view->m_listFolder, Qt::Key_Escape);
            }
        });
        ticker.start(20);
        QVERIFY(!OpenFromFolder(v, "p1.png"));
        QVERIFY(ticks >= 3);
        QVERIFY(!view->m_bResumeScreen);
        QVERIFY(m_prompts.isEmpty());
        QCOMPARE(m_beeps, 1);
        release.release();
        QTRY_VERIFY(view->m_imageBook.m_imageEngine.IsIdle());

        // Opened: only the chosen page must decode; the one beside it shows grey.
        ticker.stop();
        release.release();
        QVERIFY(OpenFromFolder(v, "p1.png"));
        QCOMPARE(Halves(view), qMakePair(kGrey, PageColour(1)));
        QVERIFY(m_prompts.isEmpty());
        Key(view, Qt::Key_Escape);
        ImageEngine::setDecodeHook(nullptr);
    }

    void aMagnifierStepWaitsWithItsTurn()
    {
        const QString dir = m_shelf + "/waiting-step";
        WriteHalvesBook(dir, 2);
        StartInFolder(dir);
        static QSemaphore release;
        static std::atomic<bool> hold;
        HoldDecodesOf("p2.png", release, hold);
        Viewer v;
        CTalvexView* view = v.view;
        view->m_nLayoutImage = 1;
        QVERIFY(OpenFromFolder(v, "p1.png"));
        const QPoint centre(view->width() / 2, view->height() / 2);
        Key(view, Qt::Key_2);
        QCOMPARE(At(view, centre.x(), centre.y()), PageColour(11));
        // Down from the bottom row turns to the top of page 2, which is not decoded:
        // the bottom of page 1 stays as it was until page 2 comes.
        Key(view, Qt::Key_Down);
        QCOMPARE(view->m_book.nZoom, 2);
        QVERIFY(view->m_inputGate.IsShut());
        QCOMPARE(view->grab().toImage().pixelColor(centre), PageColour(11));
        hold = false;
        release.release(2);
        QCOMPARE(At(view, centre.x(), centre.y()), PageColour(2));
        ImageEngine::setDecodeHook(nullptr);
    }

    void standInsSurviveTheMagnifier()
    {
        const QString dir = m_shelf + "/stand-ins";
        WriteBook(dir, 9);
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "p1.png"));
        QTRY_VERIFY(view->m_imageBook.m_imageEngine.IsIdle());
        Key(view, Qt::Key_5);
        QTRY_VERIFY(view->m_imageBook.m_imageEngine.IsIdle());
        Key(view, Qt::Key_0);
        // The pages read ahead before the magnifier are still held: the turn waits for
        // no decode.
        Key(view, Qt::Key_PageDown);
        QVERIFY(!view->m_inputGate.IsShut());
        QCOMPARE(Halves(view), qMakePair(PageColour(3), PageColour(2)));
    }

    void damagedPagesAndVanishedFiles()
    {
        const QString dir = m_shelf + "/damaged";
        WriteBook(dir, 1);
        QVERIFY(WritePicture(dir + "/whole.jpg", { 800, 1200 }, Qt::green));
        QFile whole(dir + "/whole.jpg");
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray jpeg = whole.readAll();
        whole.close();
        QVERIFY(WriteBytes(dir + "/p2.jpg", jpeg.left(40)));
        QVERIFY(WriteBytes(dir + "/p3.png", {}));
        QVERIFY(WriteBytes(dir + "/p4.jpg", "Not a picture at all.\n"));
        QVERIFY(WriteBytes(dir + "/p5.jpg", jpeg.left(jpeg.size() * 6 / 10)));
        QVERIFY(WriteBytes(dir + "/p6.png", PngDeclaring({ 100000, 100000 }, false)));
        QVERIFY(WritePicture(dir + "/p7.png", { 800, 1200 }, PageColour(7)));
        QVERIFY(QFile::remove(dir + "/whole.jpg"));
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        view->m_nLayoutImage = 1;

        // Opened from the list, each damaged page is refused with the message.
        for (const char* name : { "p2.jpg", "p3.png", "p4.jpg", "p6.png" }) {
            QVERIFY2(!OpenFromFolder(v, name), name);
            QVERIFY(view->m_imageBook.m_image1.IsNull());
        }
        QCOMPARE(m_prompts, QStringList(4, "ファイルを開けません。"));
        QCOMPARE(m_beeps, 4);

        // Reached by turning pages, they stay grey and reading goes on.
        m_prompts.clear();
        QVERIFY(OpenFromFolder(v, "p1.png"));
        const QPoint centre(view->width() / 2, view->height() / 2);
        const QColor seen[] = { kGrey, kGrey, kGrey, QColor(Qt::green), kGrey, PageColour(7) };
        for (int page = 2; page <= 7; ++page) {
            Key(view, Qt::Key_PageDown);
            QCOMPARE(view->m_book.nPage, page);
            // A JPEG cut short shows what was decoded: its top.
            const int y = page == 5 ? view->height() / 10 : centre.y();
            QVERIFY2(SameColour(At(view, centre.x(), y), seen[page - 2]),
                qPrintable(PageName(page) + At(view, centre.x(), y).name()));
        }
        QVERIFY(m_prompts.isEmpty());
        Key(view, Qt::Key_Escape);

        // A page whose type is no longer enabled, or a folder emptied since it was listed.
        view->m_nPicExt = PICEXT_JPEG;
        QVERIFY(!OpenFromFolder(v, "p6.png"));
        QCOMPARE(m_prompts, QStringList("ファイルを開けません。"));
        for (const QString& name : QDir(dir).entryList(QDir::Files))
            QVERIFY(QFile::remove(dir + "/" + name));
        QVERIFY(!OpenFromFolder(v, "p2.jpg"));
        QCOMPARE(view->m_listFolder.GetItemCount(), 0);
    }

    void filesDeletedWhileReading()
    {
        const QString dir = m_shelf + "/vanishing";
        WriteBook(dir, 4);
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        view->m_nLayoutImage = 1;
        QVERIFY(OpenFromFolder(v, "p1.png"));
        // Pages 2 and 3 are read ahead; page 4 is not.
        QTRY_VERIFY(view->m_imageBook.m_imageEngine.IsIdle());
        QVERIFY(view->m_imageBook.m_imageEngine.Largest(dir + "/p2.png"));
        QVERIFY(!view->m_imageBook.m_imageEngine.Largest(dir + "/p4.png"));
        QVERIFY(QFile::remove(dir + "/p2.png"));
        QVERIFY(QFile::remove(dir + "/p4.png"));
        const QPoint centre(view->width() / 2, view->height() / 2);
        Key(view, Qt::Key_PageDown);
        QCOMPARE(At(view, centre.x(), centre.y()), PageColour(2));
        Key(view, Qt::Key_End);
        QCOMPARE(view->m_book.nPage, 4);
        QCOMPARE(At(view, centre.x(), centre.y()), kGrey);
        QVERIFY(m_prompts.isEmpty());
    }
};

LUMIVO_TEST_MAIN(TestImageBook)
#include "tst_imagebook.moc"
