#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "platform/Prompt.h"

namespace
{
// Lets a turn that waits for its pages finish; false if they never come.
bool Settled(CTalvexView* view)
{
    return QTest::qWaitFor([view] { return !view->m_inputGate.IsShut(); }, 10000);
}
} // namespace

class TestNavigation : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_shelf;
    QStringList m_prompts;

    // Opens a book of the shelf at a page, layout, binding and magnifier, as a resume
    // entry would.
    bool Open(Viewer& v, const QString& name, int page, int layout, int bind, int zoom)
    {
        BookRecord record;
        record.strPath = m_shelf + "/" + name;
        record.nType = TYPE_FILE;
        record.bImages = !name.endsWith(".pdf");
        record.nPage = page;
        record.nLayout = layout;
        record.nBind = bind;
        record.nZoom = zoom;
        return v.view->OpenBook(record) && Settled(v.view);
    }

private slots:
    void initTestCase()
    {
        m_shelf = env->path("shelf");
        for (int i = 1; i <= 9; ++i)
            QVERIFY(WritePicture(m_shelf + QString("/p%1.png").arg(i), { 60, 90 }, PageColour(i)));
        WritePdf(m_shelf + "/book.pdf", 9);
    }

    void init()
    {
        StartInFolder(m_shelf);
        m_prompts.clear();
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (!request.dialog && !request.menu)
                m_prompts << request.text;
            return int(Prompt::IDOK);
        });
    }

    void readingKeysTurnPages_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("bind");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("zoomAfter");
        const auto row = [](const char* name, const char* book, int layout, int bind, int zoom,
                             Qt::Key key, bool shift, int page, int zoomAfter) {
            QTest::newRow(name) << QString(book) << layout << bind << zoom << int(key) << shift
                                << page << zoomAfter;
        };
        // Every book starts on page 3; in spreads with a cover that is the spread 2-3.
        row("right binding: Left is next", "p3.png", 2, 0, 0, Qt::Key_Left, false, 5, 0);
        row("right binding: Right goes back", "p3.png", 2, 0, 0, Qt::Key_Right, false, 1, 0);
        row("left binding: Right is next", "p3.png", 2, 1, 0, Qt::Key_Right, false, 5, 0);
        row("single pages: Right is next", "p3.png", 1, 0, 0, Qt::Key_Right, false, 4, 0);
        row("single pages: Left goes back", "p3.png", 1, 0, 0, Qt::Key_Left, false, 2, 0);
        row("PDF spreads: Right is next", "book.pdf", 2, -1, 0, Qt::Key_Right, false, 5, 0);
        row("PDF spreads: Left goes back", "book.pdf", 2, -1, 0, Qt::Key_Left, false, 1, 0);
        row("magnified: Left moves the region", "p3.png", 2, 0, 5, Qt::Key_Left, false, 3, 4);
        row("magnified PDF: Right moves the region", "book.pdf", 2, -1, 5, Qt::Key_Right, false, 3,
            6);
        row("magnified at the edge: Left stays", "p3.png", 1, 1, 4, Qt::Key_Left, false, 3, 4);
        row("Space", "p3.png", 2, 0, 0, Qt::Key_Space, false, 5, 0);
        row("Shift+Space", "book.pdf", 1, -1, 0, Qt::Key_Space, true, 2, 0);
        row("Space under the magnifier keeps the region", "p3.png", 2, 0, 7, Qt::Key_Space, false,
            5, 7);
    }
    void readingKeysTurnPages()
    {
        QFETCH(QString, book);
        QFETCH(int, layout);
        QFETCH(int, bind);
        QFETCH(int, zoom);
        QFETCH(int, key);
        QFETCH(bool, shift);
        QFETCH(int, page);
        QFETCH(int, zoomAfter);
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(Open(v, book, 3, layout, bind, zoom));
        Key(view, Qt::Key(key), shift ? Qt::ShiftModifier : Qt::NoModifier);
        QVERIFY(Settled(view));
        QCOMPARE(view->m_book.nPage, page);
        QCOMPARE(view->m_book.nZoom, zoomAfter);
        if (view->m_book.bImages)
            QCOMPARE(view->m_book.strPath, m_shelf + QString("/p%1.png").arg(page));
        else
            QCOMPARE(view->m_wndPdf.CurrentPage(), page);
        QVERIFY(m_prompts.isEmpty());
    }
};

LUMIVO_TEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
