#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "platform/Prompt.h"
#include "platform/SpinButton.h"
#include "view/CommandIds.h"
#include "view/GoToPageDlg.h"

#include <QLineEdit>
#include <QPushButton>

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
    std::function<int(QDialog&)> m_onDialog;
    std::function<int(QMenu&)> m_onMenu;

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
        m_onDialog = nullptr;
        m_onMenu = nullptr;
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.dialog)
                return m_onDialog ? m_onDialog(*request.dialog) : int(QDialog::Rejected);
            if (request.menu)
                return m_onMenu ? m_onMenu(*request.menu) : 0;
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

    void goToPage_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("page");
        QTest::newRow("PDF, Ctrl+G") << "book.pdf" << false << "7" << 7;
        QTest::newRow("PDF, back to the first") << "book.pdf" << false << "1" << 1;
        QTest::newRow("images, from the menu") << "p3.png" << true << "8" << 8;
        QTest::newRow("past the end") << "book.pdf" << false << "10" << 0;
        QTest::newRow("zero") << "p3.png" << false << "0" << 0;
        QTest::newRow("nothing typed") << "book.pdf" << true << "" << 0;
        QTest::newRow("beyond any int") << "book.pdf" << false << "99999999999" << 0;
    }
    void goToPage()
    {
        QFETCH(QString, book);
        QFETCH(bool, fromMenu);
        QFETCH(QString, typed);
        QFETCH(int, page);
        Viewer v;
        CTalvexView* view = v.view;
        // Outside a book the key asks nothing.
        int asked = 0;
        m_onDialog = [&asked](QDialog&) {
            ++asked;
            return int(QDialog::Rejected);
        };
        Key(&view->m_listFolder, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(asked, 0);

        QVERIFY(Open(v, book, 3, LAYOUT_SINGLE, BIND_RIGHT, 0));
        QString shown;
        bool stayedOpen = false;
        bool focusInField = false;
        m_onDialog = [&](QDialog& dialog) {
            auto* dlg = qobject_cast<CGoToPageDlg*>(&dialog);
            if (!dlg)
                return int(QDialog::Rejected);
            shown = dlg->windowTitle() + ":" + dlg->edit()->text();
            dlg->edit()->setText(typed);
            dlg->okButton()->click();
            stayedOpen = dlg->result() != QDialog::Accepted;
            focusInField = dlg->focusWidget() == dlg->edit();
            return dlg->result();
        };
        QString item;
        m_onMenu = [&item](QMenu& menu) {
            const QAction* action = FindAction(menu, ID_GO_TO_PAGE);
            item = action->text() + (action->isEnabled() ? "" : " (greyed)");
            return int(ID_GO_TO_PAGE);
        };
        if (fromMenu)
            view->OnContextMenu(QPoint(-1, -1));
        else
            Key(view, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(Settled(view));
        QCOMPARE(shown, QString("ページ指定:3"));
        QCOMPARE(item, fromMenu ? QString("ページ指定...\tCtrl+G") : QString());
        if (page == 0) {
            QVERIFY(stayedOpen);
            QVERIFY(focusInField);
            QCOMPARE(m_prompts, QStringList("1 から 9 までの整数を入力してください。"));
            QCOMPARE(view->m_book.nPage, 3);
            return;
        }
        QVERIFY(!stayedOpen);
        QVERIFY(m_prompts.isEmpty());
        QCOMPARE(view->m_book.nPage, page);
        if (view->m_book.bImages)
            QCOMPARE(view->grab().toImage().pixelColor(view->width() / 2, view->height() / 2),
                PageColour(page));
        else
            QCOMPARE(view->m_wndPdf.CurrentPage(), page);
        // The position saved next is the page gone to.
        Key(view, Qt::Key_S, Qt::ControlModifier);
        StoredSettings().sync();
        const QString stored = StoredSettings().value("Settings/Resume0").toString();
        QVERIFY2(
            stored.startsWith(QString("%1|%2|9|").arg(view->m_book.bImages ? 258 : 2).arg(page))
                && stored.endsWith(view->m_book.bImages ? QString("/p%1.png").arg(page) : book),
            qPrintable(stored));
    }

    void goToPageDialog()
    {
        CGoToPageDlg dlg;
        dlg.m_nPage = 5;
        dlg.m_nPageCount = 397;
        dlg.OnInitDialog();
        QCOMPARE(dlg.edit()->text(), QString("5"));
        dlg.edit()->setText("39");
        dlg.edit()->end(false);
        QTest::keyClicks(dlg.edit(), "x-7");
        QCOMPARE(dlg.edit()->text(), QString("397"));
        dlg.m_spinPage->Step(1);
        QCOMPARE(dlg.edit()->text(), QString("397"));
        QTest::keyClick(dlg.edit(), Qt::Key_Down);
        QCOMPARE(dlg.edit()->text(), QString("396"));
        dlg.okButton()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_nPage, 396);
    }
};

LUMIVO_TEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
