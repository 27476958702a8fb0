#include "InputSupport.h"
#include "PdfFixture.h"

#include "platform/LeftRunning.h"

#include <QSemaphore>

namespace
{
// Writes a PDF whose pages are portrait (P) or landscape (W), in that order.
void WriteShapedPdf(const QString& path, const QString& shapes)
{
    QList<QSizeF> sizes;
    for (const QChar shape : shapes)
        sizes << (shape == 'W' ? QSizeF(842, 595) : QSizeF(595, 842));
    WritePdf(path, int(sizes.size()), sizes);
}

// The spread in sight, left to right: "4 5" for a pair, "2 _" and "_ 1" for a page alone
// in its half, "[3]" for a page across both.
QString SpreadInSight(const CAcroAXDocShim& pdf)
{
    const QList<SpreadLayout::Placed> shown = pdf.PagesShown();
    const qreal middle = pdf.width() / 2.0;
    if (shown.size() == 2)
        return QString("%1 %2").arg(shown[0].page).arg(shown[1].page);
    if (shown.size() != 1)
        return "?";
    const QRectF rect = shown[0].rect;
    const QString page = QString::number(shown[0].page);
    if (rect.left() < middle - 1 && rect.right() > middle + 1)
        return "[" + page + "]";
    return rect.right() <= middle + 1 ? page + " _" : "_ " + page;
}

// What the plate says of that spread: "4-5 / 9", "3 / 9".
QString PlateFor(const QString& spread, int count)
{
    QStringList pages
        = QString(spread).remove('[').remove(']').remove('_').split(' ', Qt::SkipEmptyParts);
    std::sort(pages.begin(), pages.end(),
        [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return pages.join('-') + " / " + QString::number(count);
}

bool CursorHidden()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::BlankCursor;
}
} // namespace

class TestPdf : public PdfShelf
{
    Q_OBJECT

private slots:
    void initTestCase() { WriteShelf(); }
    void init() { Reset(); }

    void openingCallsTheControlInOrder()
    {
        Viewer v;
        Follow(v);
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        CTalvexView* view = v.view;
        QCOMPARE(m_calls,
            QStringList({ "LoadFile(" + m_dir + "/ten.pdf)", "setCurrentPage(1)",
                "setLayoutMode(TwoColumnRight)", "setRightToLeft(false)", "setView(Fit)" }));
        QCOMPARE(v.frame.windowTitle(), QString("ten.pdf - Lumivo"));
        QCOMPARE(view->m_book.nPageCount, 10);
        QCOMPARE(view->m_book.nLayout, 2);
        QCOMPARE(view->m_book.nPage, 1);
        QCOMPARE(view->m_nOpenedPage, -1);
        QVERIFY(v.frame.m_bContentShown);
        QVERIFY(!view->m_listFolder.isVisible());
        QVERIFY(view->m_wndPdf.isVisible());
        QVERIFY(view->m_dlgCover.isVisible());
        QCOMPARE(view->m_dlgCover.geometry(), view->rect());
        QCOMPARE(view->m_wndPdf.geometry(), view->rect());
        QCOMPARE(view->childAt(view->width() / 2, view->height() / 2), &view->m_dlgCover);
        QTRY_VERIFY(view->m_wndPdf.IsShowingRendered());

        m_calls.clear();
        Key(view, Qt::Key_Tab);
        QCOMPARE(m_calls,
            QStringList(
                { "setLayoutMode(TwoColumnLeft)", "setRightToLeft(false)", "setView(Fit)" }));
        Key(view, Qt::Key_Tab);
        Key(view, Qt::Key_Tab);
        QCOMPARE(view->m_book.nLayout, 2);
        QCOMPARE(m_calls.filter("setCurrentPage").size(), 0);
    }

    void pagesAndClosing()
    {
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        for (int i = 0; i < 3; ++i)
            Key(view, Qt::Key_PageDown);
        QCOMPARE(view->m_book.nPage, 7);
        QCOMPARE(view->m_wndPdf.CurrentPage(), 7);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(view, &held);
        QCOMPARE(view->m_book.nPage, 7);
        Key(view, Qt::Key_End);
        QCOMPARE(view->m_book.nPage, 10);
        Key(view, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(view->m_book.nPage, 10);
        Key(view, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(view->m_book.nPage, 1);
        Key(view, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(view->m_book.nPage, 10);
        Key(view, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(view->m_book.nPage, 1);
        Key(view, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(view->m_book.nPage, 10);
        Key(view, Qt::Key_PageUp);
        QCOMPARE(view->m_book.nPage, 9);

        // Esc: no entry, and the list selects the book as it was opened.
        Key(view, Qt::Key_Escape);
        QVERIFY(!view->m_bContent);
        QCOMPARE(v.frame.windowTitle(), QString("Lumivo"));
        QVERIFY(!view->m_wndPdf.isVisible());
        QVERIFY(!view->m_wndPdf.IsLoaded());
        QVERIFY(!view->m_dlgCover.isVisible());
        QCOMPARE(view->m_book.nPage, -1);
        QVERIFY(view->m_resumeItems.isEmpty());
        QCOMPARE(view->m_listFolder.GetItemText(view->m_listFolder.GetSelectedIndex(), 0),
            QString("ten.pdf"));
        StoredSettings().sync();
        QCOMPARE(Stored(0), QString());

        // Ctrl+S adds the position, on disk at once. The book opens where Esc left it.
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        QCOMPARE(view->m_wndPdf.CurrentPage(), 9);
        Key(view, Qt::Key_Home);
        Key(view, Qt::Key_PageDown);
        Key(view, Qt::Key_S, Qt::ControlModifier);
        StoredSettings().sync();
        const QString size = QString::number(QFileInfo(m_dir + "/ten.pdf").size());
        QCOMPARE(Stored(0), "2|3|10|2|0|" + size + "|" + m_dir + "/ten.pdf");
        QCOMPARE(view->m_listFolder.GetItemIcon(view->m_listFolder.GetSelectedIndex()), 3);

        // Reopened from its entry, read on and overwritten: one entry, at the new page.
        Key(&view->m_listFolder, Qt::Key_Tab);
        QVERIFY(view->m_bResumeScreen);
        Key(&view->m_listResume, Qt::Key_Return);
        QVERIFY(view->m_bContent);
        QCOMPARE(view->m_wndPdf.CurrentPage(), 3);
        Key(view, Qt::Key_PageDown);
        Key(view, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(view->m_bResumeScreen);
        QCOMPARE(view->m_resumeItems.size(), 1);
        QCOMPARE(view->m_resumeItems[0].nPage, 5);
        StoredSettings().sync();
        QCOMPARE(Stored(0), "2|5|10|2|0|" + size + "|" + m_dir + "/ten.pdf");

        // Adding the same position again replaces it; another page adds a second entry.
        Key(&view->m_listResume, Qt::Key_Return);
        Key(view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(view->m_resumeItems.size(), 1);
        Key(&view->m_listResume, Qt::Key_Return);
        Key(view, Qt::Key_Home);
        QKeyEvent playPause(QEvent::KeyPress, Qt::Key_MediaTogglePlayPause, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &playPause);
        QCOMPARE(view->m_resumeItems.size(), 2);
        QCOMPARE(view->m_listResume.GetSelectedIndex(), 0);
        QCOMPARE(view->m_resumeItems[0].nPage, 1);
    }

    void fullListRefusesANewPosition()
    {
        for (int i = 0; i < 100; ++i)
            StoredSettings().setValue(
                QString("Settings/Resume%1").arg(i), QString("2|1|5|1|0|9|/b/%1.pdf").arg(i));
        StoredSettings().sync();
        Viewer v;
        Key(&v.view->m_listResume, Qt::Key_Tab);
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        Key(v.view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_prompts, QStringList({ "登録最大数を超えるため、登録できません。" }));
        QVERIFY(!v.view->m_bContent);
        QCOMPARE(v.view->m_resumeItems.size(), 100);
    }

    void layoutChoice_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("layoutPdf");
        QTest::addColumn<int>("layout");
        QTest::newRow("one page") << "one.pdf" << 3 << 1;
        QTest::newRow("two pages") << "two.pdf" << 2 << 3;
        QTest::newRow("two pages, single wanted") << "two.pdf" << 1 << 1;
        QTest::newRow("ten pages") << "ten.pdf" << 3 << 3;
    }
    void layoutChoice()
    {
        QFETCH(QString, name);
        QFETCH(int, layoutPdf);
        QFETCH(int, layout);
        StoredSettings().setValue("Settings/Layout", layoutPdf);
        StoredSettings().sync();
        Viewer v;
        QVERIFY(OpenFromFolder(v, name));
        QCOMPARE(v.view->m_book.nLayout, layout);
    }

    void storedLayoutIsKept()
    {
        StoredSettings().setValue("Settings/Resume0", "2|1|1|2|0|9|" + m_dir + "/one.pdf");
        StoredSettings().sync();
        Viewer v;
        Follow(v);
        Key(&v.view->m_listResume, Qt::Key_Return);
        QVERIFY(v.view->m_bContent);
        QCOMPARE(v.view->m_book.nLayout, 2);
        QCOMPARE(v.view->m_book.nPageCount, 1);
        QCOMPARE(m_calls.filter("setLayoutMode"), QStringList({ "setLayoutMode(TwoColumnRight)" }));
    }

    void zoomRegions()
    {
        StoredSettings().setValue("Settings/Layout", 1);
        StoredSettings().sync();
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        const int w = view->width();
        const int h = view->height();
        Key(view, Qt::Key_3);
        QCOMPARE(view->m_wndPdf.geometry(), QRect(-w, -h, 2 * w, 2 * h));
        Key(view, Qt::Key_9);
        QCOMPARE(view->m_wndPdf.geometry(), QRect(-w, 0, 2 * w, 2 * h));
        Key(view, Qt::Key_5);
        QCOMPARE(view->m_wndPdf.geometry(), QRect(-(w / 2), -(h / 2), 2 * w, 2 * h));
        QTRY_VERIFY(view->m_wndPdf.IsShowingRendered());
        // Once the whole enlarged page is there, moving to another region only paints.
        const auto movedAndShown = [view] {
            Key(view, Qt::Key_Right);
            const bool shown = view->m_wndPdf.IsShowingRendered();
            Key(view, Qt::Key_Left);
            return shown;
        };
        QTRY_VERIFY(movedAndShown());
        Key(view, Qt::Key_Left);
        QCOMPARE(view->m_book.nZoom, 4);
        Key(view, Qt::Key_Left);
        QCOMPARE(view->m_book.nZoom, 4);
        Key(view, Qt::Key_Up);
        QCOMPARE(view->m_book.nZoom, 1);
        QCOMPARE(view->m_book.nPage, 1);
        Key(view, Qt::Key_Up);
        QCOMPARE(view->m_book.nZoom, 1);
        Key(view, Qt::Key_Down);
        Key(view, Qt::Key_Down);
        Key(view, Qt::Key_Down);
        QCOMPARE(view->m_book.nZoom, 1);
        QCOMPARE(view->m_book.nPage, 2);
        Key(view, Qt::Key_Up);
        QCOMPARE(view->m_book.nZoom, 7);
        QCOMPARE(view->m_book.nPage, 1);
        QCOMPARE(view->m_wndPdf.geometry(), QRect(0, -h, 2 * w, 2 * h));
        Key(view, Qt::Key_PageDown);
        QCOMPARE(view->m_book.nZoom, 7);
        QCOMPARE(view->m_book.nPage, 2);

        // The wheel over the content and the click grid arrive through the cover.
        Wheel(&view->m_dlgCover, QPoint(10, 10), 0, -120);
        QCOMPARE(view->m_book.nPage, 3);
        QCOMPARE(view->m_book.nZoom, 1);
        // Qt reports a tilt to the right as a negative x, to the left as a positive one.
        Wheel(&view->m_dlgCover, QPoint(10, 10), -120, 0);
        QCOMPARE(view->m_book.nZoom, 2);
        Wheel(&view->m_dlgCover, QPoint(10, 10), 120, 0);
        QCOMPARE(view->m_book.nZoom, 1);
        Wheel(view, QPoint(10, 10), -120, 0);
        QCOMPARE(view->m_book.nZoom, 2);
        Wheel(view, QPoint(10, 10), 120, 0);
        QCOMPARE(view->m_book.nZoom, 1);
        Wheel(view, QPoint(10, 10), -120, 0);
        QTest::mouseClick(&view->m_dlgCover, Qt::LeftButton, {}, QPoint(w / 2, h / 2));
        QCOMPARE(view->m_book.nZoom, 0);
        QCOMPARE(view->m_wndPdf.geometry(), view->rect());

        // The zoom goes with the entry.
        Key(view, Qt::Key_8);
        Key(view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(view->m_resumeItems[0].nZoom, 2);
    }

    void magnifiedOnALargeScreenTheNextRegionIsReadAhead()
    {
        // On a 4K screen an enlarged spread is too large to keep whole: the regions the
        // next two steps down show, from the bottom row on the next page, come ahead.
        StoredSettings().setValue("Settings/Layout", 1);
        StoredSettings().sync();
        Viewer v;
        v.frame.setGeometry(0, 0, 3840, 2160);
        CTalvexView* view = v.view;
        QTRY_COMPARE(view->size(), QSize(3840, 2160));
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        // Each time: the region in sight, the two the next steps down show, and the
        // same region of the next page.
        Key(view, Qt::Key_8);
        QTRY_COMPARE_WITH_TIMEOUT(view->m_wndPdf.RenderedSpreadCount(), 4, 10000);
        Key(view, Qt::Key_Down);
        QVERIFY(view->m_wndPdf.IsShowingRendered());
        Key(view, Qt::Key_Down);
        QVERIFY(view->m_wndPdf.IsShowingRendered());
        // On the bottom row: once asked for, the next page's top and middle come ahead.
        QCoreApplication::processEvents();
        QTRY_COMPARE_WITH_TIMEOUT(view->m_wndPdf.RenderedSpreadCount(), 4, 10000);
        Key(view, Qt::Key_Down);
        QCOMPARE(view->m_book.nPage, 2);
        QVERIFY(view->m_wndPdf.IsShowingRendered());
        Key(view, Qt::Key_Down);
        QVERIFY(view->m_wndPdf.IsShowingRendered());
    }

    void settingsThatCannotBeWrittenAreTold()
    {
        Viewer v;
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        // A folder where the settings file should be: no write can succeed.
        const QString file = StoredSettings().fileName();
        QFile::remove(file);
        QVERIFY(QDir().mkpath(file));
        Key(v.view, Qt::Key_PageDown);
        Key(v.view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_prompts, QStringList("設定を保存できません。\n" + file));
        QVERIFY(!v.view->m_bContent);
        QCOMPARE(v.view->m_resumeItems.size(), 1);
        // Once the file can be written again, the position is kept.
        QVERIFY(QDir(file).removeRecursively());
        QVERIFY(OpenFromFolder(v, "one.pdf"));
        Key(v.view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_prompts.size(), 1);
        StoredSettings().sync();
        QVERIFY(Stored(0).endsWith("/one.pdf") || Stored(1).endsWith("/one.pdf"));
        QVERIFY(Stored(0).endsWith("/ten.pdf") || Stored(1).endsWith("/ten.pdf"));
    }

    void aRenderUnderWayNeverHoldsUpClosing()
    {
        // Poppler takes seconds over a page like this, and cannot be stopped inside it.
        QVERIFY(WriteBytes(m_dir + "/heavy.pdf", HeavyPdf(4000)));
        static QSemaphore entered;
        static QSemaphore release;
        PdfRenderer::setRenderHook([] {
            entered.release();
            release.acquire();
        });
        // Renders of the tests before may still be finishing.
        QTRY_COMPARE_WITH_TIMEOUT(LeftRunning::Count(), 0, 30000);
        Viewer v;
        const int idle = LeftRunning::Count();
        QVERIFY(OpenFromFolder(v, "heavy.pdf"));
        QTRY_VERIFY_WITH_TIMEOUT(entered.available() > 0, 10000);
        entered.acquire();
        // Closed while the render is under way: it goes on, and nobody waits for it.
        Key(v.view, Qt::Key_Escape);
        QVERIFY(!v.view->m_bContent);
        // The render under way goes on; a thread with nothing to do ends at once.
        QTRY_COMPARE_WITH_TIMEOUT(LeftRunning::Count(), idle + 1, 10000);
        PdfRenderer::setRenderHook(nullptr);
        release.release();
        QTRY_COMPARE_WITH_TIMEOUT(LeftRunning::Count(), idle, 30000);
        QFile::remove(m_dir + "/heavy.pdf");
    }

    void pagesOfDifferentSizes()
    {
        StoredSettings().setValue("Settings/Layout", 1);
        StoredSettings().sync();
        Viewer v;
        QVERIFY(OpenFromFolder(v, "mixed.pdf"));
        const QRectF portrait = v.view->m_wndPdf.PagesShown().value(0).rect;
        QVERIFY(portrait.height() > portrait.width());
        QCOMPARE(qRound(portrait.height()), v.view->height());
        QTRY_VERIFY(v.view->m_wndPdf.IsShowingRendered());
        const QImage shot = v.view->m_wndPdf.grab().toImage();
        const int y = shot.height() / 4;
        QCOMPARE(shot.pixelColor(qRound(portrait.left()) + 4, y), QColor(Qt::white));
        QCOMPARE(shot.pixelColor(qRound(portrait.left()) - 4, y), QColor(96, 96, 96));
        QCOMPARE(shot.pixelColor(qRound(portrait.right()) + 4, y), QColor(96, 96, 96));

        Key(v.view, Qt::Key_PageDown);
        const QRectF landscape = v.view->m_wndPdf.PagesShown().value(0).rect;
        QVERIFY(landscape.width() > landscape.height());
        QCOMPARE(qRound(landscape.width() * 595 / 842), qRound(landscape.height()));
    }

    void rightToLeftSpreads()
    {
        // Page 1 is portrait and page 2 landscape: whichever side the portrait page is on
        // shows paper at the top, the other the background above the landscape page.
        StoredSettings().setValue("Settings/Layout", 3);
        StoredSettings().sync();
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "mixed.pdf"));
        const auto topOfEachSide = [view] {
            const QImage shot = view->m_wndPdf.grab().toImage();
            const int y = shot.height() / 10;
            QString sides;
            for (const int x : { shot.width() / 4, shot.width() * 3 / 4 })
                sides += shot.pixelColor(x, y) == QColor(Qt::white) ? "P" : "-";
            return sides;
        };
        const auto pageOnTheRight = [view] {
            const auto shown = view->m_wndPdf.PagesShown();
            return shown.size() == 2 && shown[0].rect.right() <= shown[1].rect.left()
                ? shown[1].page
                : 0;
        };
        QTRY_VERIFY(view->m_wndPdf.IsShowingRendered());
        QCOMPARE(topOfEachSide(), QString("P-"));
        QCOMPARE(pageOnTheRight(), 2);

        // Ctrl+O: the lower page on the right, and rendered so.
        Key(view, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(view->m_book.bRightToLeft);
        QCOMPARE(pageOnTheRight(), 1);
        QTRY_VERIFY(view->m_wndPdf.IsShowingRendered());
        QCOMPARE(topOfEachSide(), QString("-P"));
        // The top-right region under the magnifier is the lower page's.
        Key(view, Qt::Key_9);
        const QRect inSight = QRect(-view->m_wndPdf.pos(), view->size());
        QVERIFY(view->m_wndPdf.PagesShown().value(1).rect.contains(QRectF(inSight).center()));
        Key(view, Qt::Key_0);

        // The position is kept with its direction, and opens that way again.
        Key(view, Qt::Key_S, Qt::ControlModifier);
        StoredSettings().sync();
        const QString size = QString::number(QFileInfo(m_dir + "/mixed.pdf").size());
        QCOMPARE(Stored(0), "2|1|2|515|0|" + size + "|" + m_dir + "/mixed.pdf");
        Key(&view->m_listFolder, Qt::Key_Tab);
        Key(&view->m_listResume, Qt::Key_Return);
        QVERIFY(view->m_bContent);
        QCOMPARE(pageOnTheRight(), 1);
        QTRY_VERIFY(view->m_wndPdf.IsShowingRendered());
        QCOMPARE(topOfEachSide(), QString("-P"));
    }

    void widePagesStandAlone_data()
    {
        QTest::addColumn<bool>("alone");
        QTest::addColumn<int>("layout");
        QTest::addColumn<bool>("rightToLeft");
        QTest::addColumn<QString>("spreads");
        // Of nine pages, 3 and 8 are wider than tall.
        QTest::newRow("cover") << true << 2 << false << "_ 1|2 _|[3]|4 5|6 7|[8]|9 _";
        QTest::newRow("cover, right to left") << true << 2 << true << "1 _|_ 2|[3]|5 4|7 6|[8]|_ 9";
        QTest::newRow("no cover") << true << 3 << false << "1 2|[3]|4 5|6 7|[8]|9 _";
        QTest::newRow("single pages")
            << true << 1 << false << "[1]|[2]|[3]|[4]|[5]|[6]|[7]|[8]|[9]";
        QTest::newRow("setting off") << false << 2 << false << "_ 1|2 3|4 5|6 7|8 9";
    }
    void widePagesStandAlone()
    {
        QFETCH(bool, alone);
        QFETCH(int, layout);
        QFETCH(bool, rightToLeft);
        QFETCH(QString, spreads);
        WriteShapedPdf(m_dir + "/scans.pdf", "PPWPPPPWP");
        StoredSettings().setValue("Settings/WidePageAlone", alone ? 1 : 0);
        StoredSettings().setValue("Settings/Layout", layout);
        StoredSettings().sync();
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "scans.pdf"));
        if (rightToLeft)
            Key(view, Qt::Key_O, Qt::ControlModifier);
        const QStringList expected = spreads.split('|');
        const auto inSight = [view] {
            const QString spread = SpreadInSight(view->m_wndPdf);
            // The plate names the same pages.
            return view->m_pageIndicator.Text().pages == PlateFor(spread, 9)
                ? spread
                : "plate " + view->m_pageIndicator.Text().pages + " for " + spread;
        };
        const auto walk = [&](Qt::Key key) {
            QStringList seen { inSight() };
            for (int page = 0; page != view->m_book.nPage;) {
                page = view->m_book.nPage;
                Key(view, key);
                // Back from the higher page of the first spread goes to its lower page.
                if (inSight() != seen.last())
                    seen << inSight();
            }
            return seen;
        };
        QCOMPARE(walk(Qt::Key_PageDown), expected);
        QStringList backwards = walk(Qt::Key_PageUp);
        std::reverse(backwards.begin(), backwards.end());
        QCOMPARE(backwards, expected);
        Key(view, Qt::Key_End);
        QCOMPARE(inSight(), expected.last());
        view->JumpToPage(5);
        const auto holdsFive = [](const QString& spread) {
            return PlateFor(spread, 9).split(' ').first().split('-').contains("5");
        };
        QCOMPARE(inSight(), *std::find_if(expected.cbegin(), expected.cend(), holdsFive));
        Key(view, Qt::Key_Home);
        QCOMPARE(inSight(), expected.first());
        QTRY_VERIFY(view->m_wndPdf.IsShowingRendered());
        // Down from the bottom row of the magnifier shows the next spread's top row.
        QStringList magnified { inSight() };
        for (int i = 1; i < expected.size(); ++i) {
            view->ApplyZoom(7);
            view->StepDown();
            QCOMPARE(view->m_book.nZoom, 1);
            magnified << inSight();
        }
        QCOMPARE(magnified, expected);
    }

    void pagesFarFromTheOpeningPairOnceTheirSizesAreRead()
    {
        // Pages 2 and 30 stand alone. Page 12 pairs with 11 from the first sight, not
        // with 13 as the layout alone pairs it; page 30, far ahead, is known soon after.
        const QString path = m_dir + "/resumed.pdf";
        WriteShapedPdf(path, "PW" + QString(27, 'P') + "W" + QString(10, 'P'));
        const QString size = QString::number(QFileInfo(path).size());
        StoredSettings().setValue("Settings/WidePageAlone", 1);
        StoredSettings().setValue("Settings/Resume0", "2|12|40|2|0|" + size + "|" + path);
        StoredSettings().sync();
        Viewer v;
        QVERIFY(v.view->m_bResumeScreen);
        Key(&v.view->m_listResume, Qt::Key_Return);
        QVERIFY(v.view->m_bContent);
        QCOMPARE(v.view->m_pageIndicator.Text().title, QString("resumed.pdf"));
        QCOMPARE(v.view->m_pageIndicator.Text().pages, QString("11-12 / 40"));
        QCOMPARE(SpreadInSight(v.view->m_wndPdf), QString("11 12"));
        QTRY_COMPARE(v.view->m_wndPdf.PageSizes().size(), 40);
        v.view->JumpToPage(33);
        QCOMPARE(SpreadInSight(v.view->m_wndPdf), QString("33 34"));
        QCOMPARE(v.view->m_pageIndicator.Text().pages, QString("33-34 / 40"));
        Key(v.view, Qt::Key_PageUp);
        QCOMPARE(SpreadInSight(v.view->m_wndPdf), QString("31 32"));
        Key(v.view, Qt::Key_PageUp);
        QCOMPARE(SpreadInSight(v.view->m_wndPdf), QString("[30]"));
        QFile::remove(path);
    }

    void absurdPageSizesPairSafely()
    {
        // Boxes poppler cannot size, or sizes past any page, read with wide pages alone.
        const QList<QByteArray> boxes { "[0 0 0 0]", "[0 0 " + QByteArray(400, '9') + " 10]",
            "[0 0 10 " + QByteArray(400, '9') + "]", "[0 0 -500 -800]", "[(a) 0 1 1]", "5",
            "[0 0 1e9 1]", "[0 0 0.00001 1]" };
        QList<QByteArray> objects { "<< /Type /Catalog /Pages 2 0 R >>", "" };
        QByteArray kids;
        for (qsizetype i = 0; i < boxes.size(); ++i) {
            kids += QByteArray::number(3 + i) + " 0 R ";
            objects << "<< /Type /Page /Parent 2 0 R /MediaBox " + boxes[i] + " >>";
        }
        objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count "
            + QByteArray::number(boxes.size()) + " >>";
        QVERIFY(WriteBytes(m_dir + "/absurd.pdf", PdfFromObjects(objects)));
        StoredSettings().setValue("Settings/WidePageAlone", 1);
        StoredSettings().sync();
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "absurd.pdf"));
        QCOMPARE(view->m_book.nPageCount, int(boxes.size()));
        QTRY_COMPARE(view->m_wndPdf.PageSizes().size(), boxes.size());
        QStringList unusable;
        for (const QSizeF& size : view->m_wndPdf.PageSizes()) {
            if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || size.isEmpty())
                unusable << QString("%1x%2").arg(size.width()).arg(size.height());
        }
        QCOMPARE(unusable, QStringList());
        for (int i = 0; i < boxes.size() && view->m_book.nPage < boxes.size(); ++i) {
            Key(view, Qt::Key_PageDown);
            QVERIFY(SpreadInSight(view->m_wndPdf) != "?");
        }
        QCOMPARE(view->m_book.nPage, int(boxes.size()));
        QTRY_VERIFY(view->m_wndPdf.IsShowingRendered());
        QFile::remove(m_dir + "/absurd.pdf");
    }

    void tenThousandPagesRenderOnlyWhatShows()
    {
        const QString path = env->path("big/thick.pdf");
        WritePdf(path, 10000);
        StoredSettings().setValue("Settings/CurrentFolder", env->path("big"));
        StoredSettings().sync();
        Viewer v;
        QVERIFY(OpenFromFolder(v, "thick.pdf"));
        QCOMPARE(v.view->m_book.nPageCount, 10000);
        QTRY_VERIFY(v.view->m_wndPdf.IsShowingRendered());
        // The cover, then the next two spreads read ahead; nothing behind page 1.
        QTRY_COMPARE(v.view->m_wndPdf.RenderedSpreadCount(), 3);
        QTest::qWait(200);
        QCOMPARE(v.view->m_wndPdf.RenderedSpreadCount(), 3);
        Key(v.view, Qt::Key_E, Qt::ControlModifier);
        QTRY_VERIFY(v.view->m_wndPdf.IsShowingRendered());
        QTRY_COMPARE(v.view->m_wndPdf.RenderedSpreadCount(), 2);
    }

    void restingCursorHides()
    {
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(QTest::qWaitForWindowExposed(&v.frame));
        const QPoint inside = view->mapToGlobal(QPoint(100, 100));
        QCursor::setPos(inside);
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        QVERIFY(CursorHidden());
        QCursor::setPos(inside + QPoint(6, 0));
        QTRY_VERIFY(!CursorHidden());
        QTRY_VERIFY_WITH_TIMEOUT(CursorHidden(), 3000);
        QCursor::setPos(inside + QPoint(10, 4));
        QTest::qWait(150);
        QVERIFY(CursorHidden());

        // With the menu open the cursor shows and nothing counts as rest.
        bool shownInMenu = false;
        Prompt::setResponder([&](const Prompt::Request& request) {
            QTest::qWait(1300);
            shownInMenu = request.menu && !CursorHidden() && view->m_nIdleTicks == 0;
            return 0;
        });
        Key(view, Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(shownInMenu);
        Key(view, Qt::Key_Escape);
        QVERIFY(!CursorHidden());
    }
};

LUMIVO_TEST_MAIN(TestPdf)
#include "tst_pdf.moc"
