#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "pad/PadEvent.h"
#include "pdf/PdfOutline.h"
#include "pdf/PopplerDocuments.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "platform/SpinButton.h"
#include "view/CommandIds.h"
#include "view/GoToPageDlg.h"

#include <QLineEdit>
#include <QPushButton>

#include <poppler-qt6.h>

namespace
{
// A book of nine blank pages with an outline (each entry's depth, title and page):
//   0 Cover 1 / 0 Chapter 1 3 / 1 1.1 First steps 3 / 1 1.2 Further, over two lines 5 /
//   2 1.2.1 Deeper 6 (a GoTo action) / 0 Web site (a web address: no page) /
//   0 第2章 8 (a named destination, in UTF-16) / 0 Broken (leads to no page)
QByteArray OutlinedPdf()
{
    const auto page = [](int n) { return "[" + QByteArray::number(10 + n) + " 0 R /Fit]"; };
    QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R /Outlines 3 0 R /Names << /Dests 20 0 R >> >>",
        "<< /Type /Pages /Kids [11 0 R 12 0 R 13 0 R 14 0 R 15 0 R 16 0 R 17 0 R 18 0 R 19 0 "
        "R] /Count 9 >>",
        "<< /Type /Outlines /First 4 0 R /Last 21 0 R /Count 8 >>",
        "<< /Title (Cover) /Parent 3 0 R /Next 5 0 R /Dest " + page(1) + " >>",
        "<< /Title (Chapter 1) /Parent 3 0 R /Prev 4 0 R /Next 9 0 R /First 6 0 R /Last 7 0 R "
        "/Count 3 /Dest "
            + page(3) + " >>",
        "<< /Title (1.1 First steps) /Parent 5 0 R /Next 7 0 R /Dest " + page(3) + " >>",
        "<< /Title (1.2 Further,\\nover two lines) /Parent 5 0 R /Prev 6 0 R /First 8 0 R /Last "
        "8 0 R /Count 1 /Dest "
            + page(5) + " >>",
        "<< /Title (1.2.1 Deeper) /Parent 7 0 R /A << /S /GoTo /D " + page(6) + " >> >>",
        "<< /Title (Web site) /Parent 3 0 R /Prev 5 0 R /Next 10 0 R /A << /S /URI /URI "
        "(https://example.org/) >> >>",
        "<< /Title <FEFF7B2C00327AE0> /Parent 3 0 R /Prev 9 0 R /Next 21 0 R /Dest (ch2) >>",
    };
    for (int n = 1; n <= 9; ++n)
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 300] >>";
    objects << "<< /Names [(ch2) " + page(8) + "] >>";
    objects << "<< /Title (Broken) /Parent 3 0 R /Prev 10 0 R /Dest [99 0 R /Fit] >>";
    return PdfFromObjects(objects);
}

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
    int m_beeps = 0;
    int m_dialogs = 0;
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
        // A PDF's outline comes after its first page.
        QSignalSpy outline(&v.view->m_wndPdf, &CAcroAXDocShim::outlineRead);
        return v.view->OpenBook(record) && Settled(v.view)
            && (record.bImages || outline.count() > 0 || outline.wait(10000));
    }

private slots:
    void initTestCase()
    {
        m_shelf = env->path("shelf");
        for (int i = 1; i <= 9; ++i)
            QVERIFY(WritePicture(m_shelf + QString("/p%1.png").arg(i), { 60, 90 }, PageColour(i)));
        WritePdf(m_shelf + "/book.pdf", 9);
        QVERIFY(WriteBytes(m_shelf + "/outlined.pdf", OutlinedPdf()));
        Prompt::setBeeper([this] { ++m_beeps; });
    }

    void init()
    {
        StartInFolder(m_shelf);
        m_prompts.clear();
        m_beeps = 0;
        m_dialogs = 0;
        m_onDialog = nullptr;
        m_onMenu = nullptr;
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.dialog) {
                ++m_dialogs;
                return m_onDialog ? m_onDialog(*request.dialog) : int(QDialog::Rejected);
            }
            if (request.menu)
                return m_onMenu ? m_onMenu(*request.menu) : 0;
            m_prompts << request.text;
            return int(Prompt::IDOK);
        });
    }

    void readingKeysTurnPages()
    {
        // The reading direction itself is the key rules' (tst_input); here, that the
        // reader's keys reach it.
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(Open(v, "p3.png", 3, LAYOUT_SPREAD_COVER, BIND_RIGHT, 0));
        const auto press = [view](Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            Key(view, key, mods);
            return Settled(view) ? view->m_book.nPage * 10 + view->m_book.nZoom : -1;
        };
        QCOMPARE(press(Qt::Key_Left), 50);
        QCOMPARE(press(Qt::Key_Right), 30);
        QCOMPARE(press(Qt::Key_Space), 50);
        QCOMPARE(press(Qt::Key_Space, Qt::ShiftModifier), 30);
        QCOMPARE(press(Qt::Key_5), 35);
        QCOMPARE(press(Qt::Key_Left), 34);
        QCOMPARE(press(Qt::Key_Space), 54);
        QCOMPARE(view->m_book.strPath, m_shelf + "/p5.png");
        // The pad's ◀ ▶ do what Left and Right do: move the region, then turn.
        const auto pad = [view](int cell) {
            QCoreApplication::postEvent(view, new PadEvent(WM_PAD_COMMAND, cell));
            QCoreApplication::processEvents();
            return Settled(view) ? view->m_book.nPage * 10 + view->m_book.nZoom : -1;
        };
        QCOMPARE(pad(17), 55);
        QCOMPARE(press(Qt::Key_0), 50);
        QCOMPARE(pad(15), 70);
        QCOMPARE(pad(17), 50);
        // A book bound on the right reads right to left in single pages too.
        Key(view, Qt::Key_Tab);
        Key(view, Qt::Key_Tab);
        QVERIFY(Settled(view));
        QCOMPARE(view->m_book.nLayout, int(LAYOUT_SINGLE));
        QCOMPARE(press(Qt::Key_Left), 60);
        QCOMPARE(pad(15), 70);
        QCOMPARE(pad(17), 60);

        Viewer pdf;
        QVERIFY(Open(pdf, "book.pdf", 3, LAYOUT_SPREAD_COVER, BIND_RIGHT, 0));
        Key(pdf.view, Qt::Key_Right);
        QCOMPARE(pdf.view->m_wndPdf.CurrentPage(), 5);
    }

    void booksOpenWhereTheyWereLeft()
    {
        // A PDF opened from the Folder screen opens at its last place, and the plate says so.
        {
            Viewer v;
            QVERIFY(OpenFromFolder(v, "book.pdf"));
            Key(v.view, Qt::Key_End);
            Key(v.view, Qt::Key_Escape);
            QVERIFY(OpenFromFolder(v, "book.pdf"));
            QCOMPARE(v.view->m_book.nPage, 9);
            QCOMPARE(v.view->m_pageIndicator.Text().resumed, QString("前回の続き: 9 / 9"));
            Key(v.view, Qt::Key_Escape);
            // A folder of pictures chooses the picture it was left at, once entered.
            QVERIFY(OpenFromFolder(v, "p2.png"));
            Key(v.view, Qt::Key_PageDown);
            Key(v.view, Qt::Key_PageDown);
            QVERIFY(Settled(v.view));
            const QString left = Paths::FileNamePart(v.view->m_book.strPath);
            Key(v.view, Qt::Key_Escape);
            Key(&v.view->m_listFolder, Qt::Key_Left);
            Key(&v.view->m_listFolder, Qt::Key_Return);
            CColorListCtrl& list = v.view->m_listFolder;
            QCOMPARE(list.GetItemText(list.GetSelectedIndex(), 0), left);
            QVERIFY(left != "p2.png");
        }
        // Turned off, a book opens at its start, as it did before.
        StoredSettings().setValue("Settings/LastPlace", 0);
        StoredSettings().sync();
        Viewer v;
        QVERIFY(OpenFromFolder(v, "book.pdf"));
        QCOMPARE(v.view->m_book.nPage, 1);
        QCOMPARE(v.view->m_pageIndicator.Text().resumed, QString());
    }

    void stepsAtTheEndsChangeNothing()
    {
        // The magnifier's step past the last or the first spread has nowhere to go.
        for (const QString& name : { QString("p8.png"), QString("book.pdf") }) {
            Viewer v;
            QVERIFY(Open(v, name, 8, LAYOUT_SPREAD_COVER, BIND_LEFT, 8));
            const int page = v.view->m_book.nPage;
            Key(v.view, Qt::Key_Down);
            QVERIFY(Settled(v.view));
            QCOMPARE(v.view->m_book.nPage, page);
            QCOMPARE(v.view->m_book.nZoom, 8);
            Key(v.view, Qt::Key_Home);
            Key(v.view, Qt::Key_8);
            Key(v.view, Qt::Key_Up);
            QVERIFY(Settled(v.view));
            QCOMPARE(v.view->m_book.nPage, 1);
            QCOMPARE(v.view->m_book.nZoom, 2);
        }
    }

    void aBookWithoutContentsSaysSo()
    {
        Viewer v;
        QVERIFY(Open(v, "p3.png", 3, LAYOUT_SPREAD_COVER, BIND_LEFT, 0));
        Key(v.view, Qt::Key_M, Qt::ControlModifier);
        QVERIFY(!v.view->OutlineShown());
        QCOMPARE(v.view->m_pageIndicator.Text().notice, QString("目次がありません"));
        Viewer pdf;
        QVERIFY(Open(pdf, "book.pdf", 3, LAYOUT_SPREAD_COVER, BIND_LEFT, 0));
        Key(pdf.view, Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(pdf.view->m_pageIndicator.Text().notice, QString("目次がありません"));
    }

    void goToPage_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("page");
        QTest::newRow("PDF, Ctrl+G") << "book.pdf" << false << "7" << 7;
        QTest::newRow("images, from the menu") << "p3.png" << true << "8" << 8;
        QTest::newRow("past the end") << "book.pdf" << false << "10" << 0;
        QTest::newRow("zero") << "p3.png" << false << "0" << 0;
        QTest::newRow("nothing typed") << "book.pdf" << true << "" << 0;
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
        Key(&view->m_listFolder, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(m_dialogs, 0);

        QVERIFY(Open(v, book, 3, LAYOUT_SINGLE, BIND_RIGHT, 0));
        QString shown;
        bool stayedOpen = false;
        bool focusInField = false;
        m_onDialog = [&](QDialog& dialog) {
            auto* dlg = qobject_cast<CGoToPageDlg*>(&dialog);
            dlg->m_spinPage->Step(100);
            shown = dlg->windowTitle() + ":" + dlg->edit()->text();
            dlg->edit()->setText(typed);
            dlg->okButton()->click();
            stayedOpen = dlg->result() != QDialog::Accepted;
            focusInField = dlg->focusWidget() == dlg->edit();
            return dlg->result();
        };
        QString item;
        m_onMenu = [&item](QMenu& menu) {
            item = FindAction(menu, ID_GO_TO_PAGE)->text();
            return int(ID_GO_TO_PAGE);
        };
        if (fromMenu)
            view->OnContextMenu(QPoint(-1, -1));
        else
            Key(view, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(Settled(view));
        // The spin button stops at the last page.
        QCOMPARE(shown, QString("ページ指定:9"));
        QCOMPARE(item, fromMenu ? QString("ページ指定...\tCtrl+G") : QString());
        if (page == 0) {
            QVERIFY(stayedOpen);
            QVERIFY(focusInField);
            QCOMPARE(m_prompts, QStringList("1 から 9 までの整数を入力してください。"));
            QCOMPARE(view->m_book.nPage, 3);
            return;
        }
        QVERIFY(!stayedOpen);
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

    void outlineAsPlainData()
    {
        PopplerDocuments::Document document = PopplerDocuments::Load(m_shelf + "/outlined.pdf");
        QVERIFY(document);
        const QList<OutlineEntry> entries = PdfOutline::Read(*document);
        document.reset();
        const QList<OutlineEntry> expected = { { "Cover", 1, 0 }, { "Chapter 1", 3, 0 },
            { "1.1 First steps", 3, 1 }, { "1.2 Further, over two lines", 5, 1 },
            { "1.2.1 Deeper", 6, 2 }, { "Web site", 0, 0 }, { "第2章", 8, 0 }, { "Broken", 0, 0 } };
        QCOMPARE(entries, expected);

        // Entries each nested in the one before, the last leading back to the first: cut
        // at 32 levels.
        QList<QByteArray> objects = { "<< /Type /Catalog /Pages 2 0 R /Outlines 4 0 R >>",
            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>",
            "<< /Type /Outlines /First 5 0 R >>" };
        // The first title is far too long for a line: it is cut.
        for (int i = 0; i < 40; ++i)
            objects << "<< /Title (" + (i == 0 ? QByteArray(100000, 'A') : "Deeper")
                    + ") /Dest [3 0 R /Fit] /First " + QByteArray::number(i < 39 ? 6 + i : 5)
                    + " 0 R >>";
        QVERIFY(WriteBytes(env->path("deep.pdf"), PdfFromObjects(objects)));
        document = PopplerDocuments::Load(env->path("deep.pdf"));
        QVERIFY(document);
        const QList<OutlineEntry> deep = PdfOutline::Read(*document);
        document.reset();
        QCOMPARE(deep.size(), 32);
        QCOMPARE(deep.first().title, QString(400, 'A'));
        QCOMPARE(deep.last(), OutlineEntry({ "Deeper", 1, 31 }));
    }

    void entryHoldingThePage_data()
    {
        QTest::addColumn<QList<int>>("starts");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("row");
        const QList<int> book = { 1, 3, 3, 5, 6, 0, 8, 0 };
        QTest::newRow("the first page") << book << 1 << 0;
        QTest::newRow("two start together: the later listed") << book << 3 << 2;
        QTest::newRow("inside a nested entry") << book << 7 << 4;
        QTest::newRow("entries without a page are passed over") << book << 9 << 6;
        QTest::newRow("out of page order: the latest start") << QList<int> { 10, 20, 3 } << 15 << 0;
        QTest::newRow("before every entry: the first") << QList<int> { 5, 9 } << 2 << 0;
        QTest::newRow("no entries") << QList<int>() << 4 << -1;
    }
    void entryHoldingThePage()
    {
        QFETCH(QList<int>, starts);
        QFETCH(int, page);
        QFETCH(int, row);
        QList<OutlineEntry> entries;
        for (const int start : starts)
            entries.append({ QString::number(start), start, 0 });
        QCOMPARE(PdfOutline::EntryHolding(entries, page), row);
    }

    void contentsScreen()
    {
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(Open(v, "outlined.pdf", 6, LAYOUT_SINGLE, BIND_RIGHT, 0));
        CColorListCtrl& list = view->m_outline.List();

        // The menu offers it; it covers the page and opens on the entry being read.
        QString item;
        m_onMenu = [&item](QMenu& menu) {
            item = FindAction(menu, ID_SHOW_OUTLINE)->text();
            return int(ID_SHOW_OUTLINE);
        };
        view->OnContextMenu(QPoint(-1, -1));
        QCOMPARE(item, QString("目次...\tCtrl+M"));
        QCOMPARE(view->childAt(view->width() / 2, view->height() / 2), list.viewport());
        QCOMPARE(list.GetItemCount(), 8);
        QCOMPARE(list.GetSelectedIndex(), 4);
        QCOMPARE(list.GetItemText(4, 0) + "|" + list.GetItemText(4, 1), QString("1.2.1 Deeper|6"));
        QCOMPARE(list.GetItemText(5, 1), QString());
        QCOMPARE(list.font().pixelSize(), view->m_listFolder.font().pixelSize());
        // Nested entries are moved in, a level at a time: where each row's text begins.
        const QImage shot = list.viewport()->grab().toImage();
        const auto textLeft = [&](int row) {
            const QRect cell = list.GetCellRect(row, 0, false);
            int x = cell.left();
            while (x < cell.right()
                && shot.pixel(x, cell.center().y()) == shot.pixel(cell.left(), cell.center().y()))
                ++x;
            return x;
        };
        QVERIFY(textLeft(1) < textLeft(2) && textLeft(2) < textLeft(4));

        // Reading keys do nothing here; the list moves with its own.
        Key(&list, Qt::Key_G, Qt::ControlModifier);
        Key(&list, Qt::Key_Up);
        QCOMPARE(list.GetSelectedIndex(), 3);
        QCOMPARE(m_dialogs, 0);
        QCOMPARE(view->m_book.nPage, 6);

        // An entry that leads nowhere beeps and stays; one that leads on jumps.
        for (const Qt::Key key : { Qt::Key_Down, Qt::Key_Down, Qt::Key_Return })
            Key(&list, key);
        QCOMPARE(m_beeps, 1);
        QVERIFY(view->m_outline.isVisible());
        Key(&list, Qt::Key_Down);
        Key(&list, Qt::Key_Return);
        QVERIFY(!view->m_outline.isVisible());
        QCOMPARE(view->m_wndPdf.CurrentPage(), 8);
        QCOMPARE(v.frame.focusWidget(), view);

        // Esc goes back to the page.
        Key(view, Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(list.GetSelectedIndex(), 6);
        Key(&list, Qt::Key_Home);
        Key(&list, Qt::Key_Escape);
        QVERIFY(!view->m_outline.isVisible());
        QCOMPARE(view->m_book.nPage, 8);

        // The pad's arrows, Enter and Esc, and the wheel, work it as a list screen; a click
        // on its header shows the pad.
        Key(view, Qt::Key_M, Qt::ControlModifier);
        QTest::mouseClick(&view->m_outline, Qt::LeftButton, {}, QPoint(view->width() / 2, 5));
        QVERIFY(view->m_dlgControl.isVisible());
        const auto pad = [view](int cell) {
            QCoreApplication::postEvent(view, new PadEvent(WM_PAD_COMMAND, cell));
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        };
        pad(13);
        QCOMPARE(list.GetSelectedIndex(), 5);
        pad(20);
        QVERIFY(!view->m_outline.isVisible());
        Key(view, Qt::Key_M, Qt::ControlModifier);
        Wheel(list.viewport(), QPoint(10, 10), 0, 120);
        QCoreApplication::processEvents();
        QCOMPARE(list.GetSelectedIndex(), 0);
        pad(19);
        pad(16);
        QVERIFY(!view->m_outline.isVisible());
        QCOMPARE(view->m_book.nPage, 3);

        // A double click jumps too.
        Key(view, Qt::Key_M, Qt::ControlModifier);
        const QPoint deeper = list.GetCellRect(4, 0, false).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, deeper);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, deeper);
        QVERIFY(!view->m_outline.isVisible());
        QCOMPARE(view->m_book.nPage, 6);
        QVERIFY(m_prompts.isEmpty());
    }

    void contentsNeedAnOutline_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<bool>("offered");
        QTest::newRow("PDF with an outline") << "outlined.pdf" << true;
        QTest::newRow("PDF without") << "book.pdf" << false;
        QTest::newRow("image book") << "p3.png" << false;
    }
    void contentsNeedAnOutline()
    {
        QFETCH(QString, book);
        QFETCH(bool, offered);
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(Open(v, book, 3, LAYOUT_SPREAD_COVER, BIND_RIGHT, 0));
        bool enabled = !offered;
        m_onMenu = [&enabled](QMenu& menu) {
            enabled = FindAction(menu, ID_SHOW_OUTLINE)->isEnabled();
            return 0;
        };
        view->OnContextMenu(QPoint(-1, -1));
        QCOMPARE(enabled, offered);
        Key(view, Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(view->m_outline.isVisible(), offered);
        // A book closed from outside, as a later start does, takes its contents along.
        view->OpenFromOutside(m_shelf);
        QVERIFY(!view->m_outline.isVisible());
        QVERIFY(view->m_listFolder.isVisible());
    }
};

LUMIVO_TEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
