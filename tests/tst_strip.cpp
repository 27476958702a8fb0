#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "browser/ResumeStore.h"
#include "pdf/AcroAXDocShim.h"
#include "platform/OpeningWait.h"
#include "reader/ImageBookReader.h"
#include "reader/PdfReader.h"
#include "reader/StripLayout.h"
#include "view/CommandIds.h"
#include "view/ContextMenus.h"
#include "view/IndicatorRules.h"

#include <QPainter>

namespace
{
// A bare window the readers paint into.
struct Host {
    QWidget widget;
    OpeningWait opening { &widget };
    Host() { widget.resize(1000, 600); }
};

QImage Painted(BookReader& reader, const QWidget& host)
{
    QImage image(host.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    reader.Paint(painter);
    return image;
}

// Whether every row of the painted strip down column x shows a page, none the grey
// around them or nothing at all.
bool NoBlankRow(const QImage& image, int x)
{
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        if (c == QColor(96, 96, 96) || c == Qt::black)
            return false;
    }
    return true;
}

// Waits for a glide to end and the bands in sight to be made.
bool Settled(PageStrip& strip, BookReader& reader, const QWidget& host)
{
    return QTest::qWaitFor(
        [&] {
            if (strip.Offset() != strip.Target())
                return false;
            strip.TakeCounts();
            Painted(reader, host);
            const PageStrip::Counts counts = strip.TakeCounts();
            return counts.standIns == 0 && counts.blanks == 0;
        },
        20000);
}
} // namespace

class TestStrip : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void rowsFillTheWidthOneUnderTheOther_data()
    {
        QTest::addColumn<QList<QList<int>>>("rows");
        QTest::addColumn<qreal>("gap");
        // page, its rectangle
        QTest::addColumn<QList<QRectF>>("placed");
        QTest::addColumn<qreal>("height");
        // Pages of 100 x 200 at a width of 400, unless said otherwise.
        QTest::newRow("pages alone, no gap")
            << QList<QList<int>> { { 1 }, { 2 }, { 3 } } << 0.0
            << QList<QRectF> { { 0, 0, 400, 800 }, { 0, 800, 400, 800 }, { 0, 1600, 400, 800 } }
            << 2400.0;
        QTest::newRow("spreads with a gap, the cover alone on the right")
            << QList<QList<int>> { { 0, 1 }, { 3, 2 } } << 10.0
            << QList<QRectF> { { 205, 0, 195, 390 }, { 0, 400, 195, 390 }, { 205, 400, 195, 390 } }
            << 790.0;
        QTest::newRow("a wide page alone among tall ones")
            << QList<QList<int>> { { 1 }, { 4 }, { 2 } } << 0.0
            << QList<QRectF> { { 0, 0, 400, 800 }, { 0, 800, 400, 100 }, { 0, 900, 400, 800 } }
            << 1700.0;
        QTest::newRow("a page without a size is square")
            << QList<QList<int>> { { 5 } } << 0.0 << QList<QRectF> { { 0, 0, 400, 400 } } << 400.0;
    }
    void rowsFillTheWidthOneUnderTheOther()
    {
        QFETCH(QList<QList<int>>, rows);
        QFETCH(qreal, gap);
        QFETCH(QList<QRectF>, placed);
        QFETCH(qreal, height);
        const auto sizeOf = [](int page) {
            return page == 4 ? QSizeF(400, 100) : page == 5 ? QSizeF() : QSizeF(100, 200);
        };
        const StripLayout layout(rows, sizeOf, 400, gap);
        QCOMPARE(layout.Height(), height);
        const QList<StripLayout::Placed> all = layout.In(0, height);
        QCOMPARE(all.size(), placed.size());
        for (qsizetype i = 0; i < all.size(); ++i)
            QCOMPARE(all[i].rect, placed[i]);
        // The lowest page of the row at a height, the row below in a gap; tops and the
        // window's limits.
        for (const StripLayout::Placed& p : all) {
            QCOMPARE(layout.TopOf(p.page), p.rect.top());
            QVERIFY(layout.PageAt(p.rect.center().y()) <= p.page);
        }
        QCOMPARE(layout.PageAt(height + 50), layout.PageAt(height - 1));
        QCOMPARE(layout.Clamp(-5, 300), 0.0);
        QCOMPARE(layout.Clamp(1e9, 300), std::max(height - 300, 0.0));
        QVERIFY(layout.In(height, height + 100).isEmpty());
    }

    void aLongStripIsToldByMostOfItsPages()
    {
        const QSize strip(800, 1600);
        const QSize page(700, 1000);
        QVERIFY(ImageBookReader::IsLongStrip({ strip, strip, page }));
        QVERIFY(!ImageBookReader::IsLongStrip({ strip, page, page, QSize() }));
        QVERIFY(!ImageBookReader::IsLongStrip({ strip, page }));
        QVERIFY(!ImageBookReader::IsLongStrip({ QSize(), QSize() }));
        QVERIFY(ImageBookReader::IsLongStrip({ QSize(800, 60000), QSize(), QSize(1, 30000) }));
    }

    void theFitIsKeptInTheEntryAndOldEntriesStayAsTheyWere()
    {
        for (const QString& old : { QString("258|5|20|258|0|100|/books/a.pdf"),
                 QString("2|3|9|1538|0|0|/books/b.pdf") }) {
            const auto record = ResumeStore::Parse(old);
            QVERIFY(record && !record->bFitWidth);
            QCOMPARE(ResumeStore::Format(*record), old);
        }
        BookRecord book = *ResumeStore::Parse("258|5|20|1281|0|100|/books/strip/01.png");
        book.bFitWidth = true;
        const auto back = ResumeStore::Parse(ResumeStore::Format(book));
        QVERIFY(back->bFitWidth && back->bCrop);
        QCOMPARE(back->nLayout, 1);
        QCOMPARE(back->nBind, int(BIND_LEFT));
    }

    void aLongStripOpensGaplessAndScrollsWithEveryPageInItsPlace()
    {
        const QString dir = env->path("webtoon");
        for (int i = 1; i <= 6; ++i)
            QVERIFY(WritePicture(dir + QString("/%1.png").arg(i), { 200, 800 }, PageColour(i)));
        Host host;
        ImageBookReader reader(&host.widget, host.opening);
        BookRecord record;
        record.bImages = true;
        record.strPath = dir + "/2.png";
        BookReader::Options options;
        options.space = 20;
        QCOMPARE(reader.Open(record, options), BookReader::Opening::Opened);
        QVERIFY(reader.LongStrip());
        QVERIFY(record.bFitWidth);
        QCOMPARE(record.nLayout, int(LAYOUT_SINGLE));
        QCOMPARE(
            IndicatorRules::Compose(record, false, reader.Pairing(record), -1, false, true).mode,
            QString("縦スクロール (隙間なし)"));
        reader.Enter(record);
        PageStrip& strip = reader.Strip();
        QVERIFY(strip.IsOn());
        // At the top of its page, 4,000 pixels down: no gap between the strips.
        QCOMPARE(strip.Offset(), 4000.0);
        QVERIFY(Settled(strip, reader, host.widget));
        QImage shown = Painted(reader, host.widget);
        QVERIFY(NoBlankRow(shown, 500));
        QVERIFY(SameColour(shown.pixelColor(500, 10), PageColour(2)));

        // A screen less a tenth: 540 pixels; across the join the next page shows below.
        QSignalSpy scrolled(&reader, &BookReader::scrolledTo);
        for (int i = 0; i < 6; ++i)
            strip.Scroll(PageStrip::Step::ScreenDown);
        QTRY_COMPARE(strip.Offset(), 4000.0 + 6 * 540);
        QCOMPARE(record.nPage, 2);
        strip.Scroll(PageStrip::Step::ScreenDown);
        QTRY_COMPARE(strip.Offset(), 7780.0);
        // The middle of the window, 8,080, lies in the third page, which starts at 220.
        QCOMPARE(record.nPage, 3);
        QCOMPARE(scrolled.last().at(0).toInt(), 3);
        QVERIFY(Settled(strip, reader, host.widget));
        shown = Painted(reader, host.widget);
        QVERIFY(NoBlankRow(shown, 500));
        QVERIFY(SameColour(shown.pixelColor(500, 219), PageColour(2)));
        QVERIFY(SameColour(shown.pixelColor(500, 220), PageColour(3)));

        strip.Scroll(PageStrip::Step::Bottom);
        QTRY_COMPARE(strip.Offset(), 24000.0 - 600);
        QCOMPARE(record.nPage, 6);
        QVERIFY(record.strPath.endsWith("/6.png"));
        // Off and on again: the spread mode takes the page, and the strip its top.
        record.bFitWidth = false;
        reader.ApplyLayout(record);
        QVERIFY(!strip.IsOn());
        record.bFitWidth = true;
        reader.ApplyLayout(record);
        QCOMPARE(strip.Offset(), 20000.0);
        reader.Close();
    }

    void aPdfScrollsAtTheWidthFromPageToPage()
    {
        const QString path = env->path("pdfs") + "/five.pdf";
        WritePdf(path, 5, { { 400, 300 } });
        Host host;
        CAcroAXDocShim control(&host.widget);
        PdfReader reader(&host.widget, host.opening, control);
        BookRecord record;
        record.strPath = path;
        record.nPage = 2;
        record.nLayout = LAYOUT_SINGLE;
        record.bFitWidth = true;
        BookReader::Options options;
        QCOMPARE(reader.Open(record, options), BookReader::Opening::Opened);
        host.widget.show();
        reader.Enter(record);
        PageStrip& strip = reader.Strip();
        QVERIFY(strip.IsOn());
        QVERIFY(!control.isVisible());
        // 400 x 300 points at 1,000 pixels: rows of 750.
        QCOMPARE(strip.Offset(), 750.0);
        QVERIFY(Settled(strip, reader, host.widget));
        QImage shown = Painted(reader, host.widget);
        QVERIFY(NoBlankRow(shown, 10));
        // The page's number, drawn in its middle, 375 pixels down.
        bool dark = false;
        for (int x = 400; x < 600 && !dark; ++x)
            dark = qGray(shown.pixel(x, 375)) < 100;
        QVERIFY(dark);
        strip.Scroll(PageStrip::Step::ScreenDown);
        strip.Scroll(PageStrip::Step::LineDown);
        QTRY_COMPARE(strip.Offset(), 750.0 + 540 + 60);
        QCOMPARE(record.nPage, 3);
        // Gone to, a page whose row is shorter than half the window stays the current one.
        host.widget.resize(1000, 2000);
        reader.Resize(record);
        record.nPage = 2;
        reader.Show(record);
        QCOMPARE(strip.Offset(), 750.0);
        QCOMPARE(record.nPage, 2);
        host.widget.resize(1000, 600);
        reader.Resize(record);
        // The magnifier's regions stay out; off again, the control shows the page.
        record.bFitWidth = false;
        reader.ApplyLayout(record);
        QVERIFY(control.isVisible());
        QTRY_VERIFY(control.IsShowingRendered());
        QCOMPARE(control.CurrentPage(), 2);
        reader.Close();
    }

    void hostileStripsStayWithinMemoryAndInPlace()
    {
        // A strip taller than any texture, a picture one pixel wide, and an ordinary page.
        const QString dir = env->path("hostile");
        QDir().mkpath(dir);
        QImage tall(800, 60000, QImage::Format_Grayscale8);
        tall.fill(200);
        QVERIFY(tall.save(dir + "/1.png"));
        QVERIFY(WritePicture(dir + "/2.png", { 1, 3000 }, Qt::white));
        QVERIFY(WritePicture(dir + "/3.png", { 700, 1000 }, PageColour(3)));
        Host host;
        ImageBookReader reader(&host.widget, host.opening);
        BookRecord record;
        record.bImages = true;
        record.strPath = dir + "/1.png";
        QCOMPARE(reader.Open(record, {}), BookReader::Opening::Opened);
        QVERIFY(reader.LongStrip());
        reader.Enter(record);
        PageStrip& strip = reader.Strip();
        // 60,000 pixels tall at 800 wide, 75,000 at 1,000.
        QCOMPARE(strip.Layout().TopOf(2), 75000.0);
        QVERIFY(Settled(strip, reader, host.widget));
        QVERIFY(NoBlankRow(Painted(reader, host.widget), 500));
        QVERIFY(reader.m_imageEngine.HeldBytes() <= 4 * ImageStripTiles::kLargestPage);

        strip.Scroll(PageStrip::Step::Bottom);
        QTRY_COMPARE(record.nPage, 3);
        QVERIFY(Settled(strip, reader, host.widget));
        const QImage bottom = Painted(reader, host.widget);
        QVERIFY(SameColour(bottom.pixelColor(500, 599), PageColour(3)));
        reader.Close();

        // A PDF page 200 inches tall renders band by band to its foot.
        const QString pdf = env->path("pdfs") + "/tall.pdf";
        WritePdf(pdf, 1, { { 612, 14400 } });
        CAcroAXDocShim control(&host.widget);
        PdfReader pdfReader(&host.widget, host.opening, control);
        BookRecord book;
        book.strPath = pdf;
        book.nLayout = LAYOUT_SINGLE;
        book.bFitWidth = true;
        QCOMPARE(pdfReader.Open(book, {}), BookReader::Opening::Opened);
        host.widget.show();
        pdfReader.Enter(book);
        pdfReader.Strip().Scroll(PageStrip::Step::Bottom);
        QVERIFY(Settled(pdfReader.Strip(), pdfReader, host.widget));
        QCOMPARE(pdfReader.Strip().Offset(), std::round(14400.0 * 1000 / 612 - 600));
        QVERIFY(NoBlankRow(Painted(pdfReader, host.widget), 500));
        pdfReader.Close();
    }

    void theViewerScrollsSavesTheMiddlePageAndReopensThere()
    {
        const QString dir = env->path("viewer");
        for (int i = 1; i <= 8; ++i)
            QVERIFY(WritePicture(dir + QString("/p%1.png").arg(i), { 300, 400 }, PageColour(i)));
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "p1.png"));
        QVERIFY(!view->m_book.bFitWidth);
        Key(view, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(view->m_book.bFitWidth);
        PageStrip& strip = view->m_pReader->Strip();
        QVERIFY(strip.IsOn());
        // The magnifier does nothing here; the page keys and arrows scroll.
        Key(view, Qt::Key_5);
        Key(view, Qt::Key_Return);
        QCOMPARE(view->m_book.nZoom, 0);
        ContextMenus::Context context;
        context.book = view->m_book;
        const auto menu = ContextMenus::Build(ContextMenus::MENU_CONTENT, context, nullptr);
        QVERIFY(FindAction(*menu, ID_FIT_WIDTH)->isChecked());
        QVERIFY(!FindAction(*menu, ID_ZOOM_MIDDLE_CENTER)->isEnabled());
        const qreal before = strip.Target();
        Key(view, Qt::Key_PageDown);
        Key(view, Qt::Key_Down);
        QCOMPARE(strip.Target(), before + view->height() * 1.0);
        Wheel(view, QPoint(10, 10), 0, -120);
        QVERIFY(strip.Target() > before + view->height());
        Key(view, Qt::Key_End);
        QTRY_COMPARE(view->m_book.nPage, 8);
        Key(view, Qt::Key_Home);
        QTRY_COMPARE(strip.Offset(), 0.0);
        QCOMPARE(view->m_book.nPage, 1);
        // Spreads of the cover alone, then 2-3, 4-5: the middle in the third row.
        const qreal row = strip.Layout().TopOf(2);
        strip.ScrollBy(row * 2.5 - view->height() / 2.0);
        QTRY_COMPARE(strip.Offset(), strip.Target());
        QCOMPARE(view->m_book.nPage, 4);
        Key(view, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!view->m_bContent);
        const BookRecord saved = view->m_resumeItems[0];
        QVERIFY(saved.bFitWidth);
        QCOMPARE(saved.nPage, 4);
        QVERIFY(view->OpenBook(view->m_resumeItems[0]));
        QVERIFY(view->m_pReader->Strip().IsOn());
        QCOMPARE(view->m_pReader->Strip().Offset(), std::round(row * 2));
        Key(view, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!view->m_pReader->Strip().IsOn());
        QCOMPARE(view->m_book.nPage, 4);
    }
};

LUMIVO_TEST_MAIN(TestStrip)
#include "tst_strip.moc"
