#include "TestSupport.h"

#include "browser/BookRecord.h"

#include "images/ImageRules.h"
#include "images/ZoomRules.h"
#include "pdf/SpreadLayout.h"
#include "reader/PageRules.h"
#include "reader/SpreadPairing.h"

using namespace PageRules;

namespace
{
// One letter a page: w wide, n not wide, ? not known yet.
PageShapes Shapes(const QString& letters)
{
    PageShapes shapes;
    for (const QChar c : letters)
        shapes << (c == 'w' ? PageShape::Wide : c == 'n' ? PageShape::NotWide : PageShape::Unknown);
    return shapes;
}

// A number outside the book shows nothing, whichever it is.
ImageRules::Sides InBook(ImageRules::Sides sides, int count)
{
    for (int* side : { &sides.left, &sides.right }) {
        if (*side < 1 || *side > count)
            *side = 0;
    }
    return sides;
}
} // namespace

class TestPageRules : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void pageMoves_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("next");
        QTest::addColumn<int>("prev");
        QTest::newRow("cover spread, first") << 2 << 10 << 1 << 3 << 1;
        QTest::newRow("cover spread, 3") << 2 << 10 << 3 << 5 << 1;
        QTest::newRow("cover spread, 9") << 2 << 10 << 9 << 10 << 7;
        QTest::newRow("cover spread, last alone") << 2 << 10 << 10 << 10 << 9;
        QTest::newRow("cover spread, 4 after a skip") << 2 << 10 << 4 << 7 << 3;
        QTest::newRow("plain spread, first") << 3 << 9 << 1 << 4 << 1;
        QTest::newRow("plain spread, 2") << 3 << 9 << 2 << 4 << 1;
        QTest::newRow("plain spread, 8") << 3 << 9 << 8 << 9 << 6;
        QTest::newRow("plain spread, last alone") << 3 << 9 << 9 << 9 << 8;
        QTest::newRow("single") << 1 << 5 << 3 << 4 << 2;
        QTest::newRow("single, ends") << 1 << 1 << 1 << 1 << 1;
    }
    void pageMoves()
    {
        QFETCH(int, layout);
        QFETCH(int, count);
        QFETCH(int, from);
        QFETCH(int, next);
        QFETCH(int, prev);
        QCOMPARE(NextPage(from, count, layout), next);
        QCOMPARE(PrevPage(from, count, layout), prev);
    }

    void spreadStarts()
    {
        // Cover spreads: [1], [2,3], [4,5] ...; plain spreads: [1,2], [3,4] ...
        const int cover[] = { 1, 2, 2, 4, 4, 6 };
        const int plain[] = { 1, 1, 3, 3, 5, 5 };
        for (int p = 1; p <= 6; ++p) {
            QCOMPARE(SpreadStart(p, 2), cover[p - 1]);
            QCOMPARE(SpreadStart(p, 3), plain[p - 1]);
            QCOMPARE(SpreadStart(p, 1), p);
        }
    }

    void widePagesStandAlone_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<QString>("shapes");
        QTest::addColumn<int>("bind");
        QTest::addColumn<int>("page");
        // The spread as lower and higher page, where next and previous go, the pages
        // on the left and right, the layout it is drawn in, and whether it is settled.
        QTest::addColumn<QList<int>>("spread");
        QTest::addColumn<QList<int>>("moves");
        QTest::addColumn<QList<int>>("sides");
        QTest::addColumn<int>("drawn");
        QTest::addColumn<bool>("settled");
        const auto row = [](const char* name) { return &QTest::newRow(name); };
        using L = QList<int>;
        // Plain spreads, page 4 wide: [1,2] [3] [4] [5,6].
        *row("plain, before the wide page's partner")
            << 3 << "nnnwnn" << 0 << 1 << L { 1, 2 } << L { 3, 1 } << L { 2, 1 } << 3 << true;
        *row("plain, left alone before it")
            << 3 << "nnnwnn" << 0 << 3 << L { 3, 3 } << L { 4, 2 } << L { 0, 3 } << 3 << true;
        *row("plain, left alone, left binding")
            << 3 << "nnnwnn" << 1 << 3 << L { 3, 3 } << L { 4, 2 } << L { 3, 0 } << 3 << true;
        *row("plain, the wide page across both halves")
            << 3 << "nnnwnn" << 0 << 4 << L { 4, 4 } << L { 6, 3 } << L { 4, 0 } << 1 << true;
        *row("plain, pairing again after it")
            << 3 << "nnnwnn" << 0 << 5 << L { 5, 6 } << L { 6, 4 } << L { 6, 5 } << 3 << true;
        *row("plain, last spread")
            << 3 << "nnnwnn" << 1 << 6 << L { 5, 6 } << L { 6, 4 } << L { 5, 6 } << 3 << true;
        // Cover spreads, page 4 wide: [1] [2,3] [4] [5,6] [7].
        *row("cover alone") << 2 << "nnnwnnn" << 0 << 1 << L { 1, 1 } << L { 3, 1 } << L { 1, 0 }
                            << 2 << true;
        *row("cover alone, left binding")
            << 2 << "nnnwnnn" << 1 << 1 << L { 1, 1 } << L { 3, 1 } << L { 0, 1 } << 2 << true;
        *row("cover spreads, before the wide page")
            << 2 << "nnnwnnn" << 0 << 2 << L { 2, 3 } << L { 4, 1 } << L { 3, 2 } << 2 << true;
        *row("cover spreads, the wide page")
            << 2 << "nnnwnnn" << 0 << 4 << L { 4, 4 } << L { 6, 3 } << L { 4, 0 } << 1 << true;
        *row("cover spreads, last page alone")
            << 2 << "nnnwnnn" << 0 << 7 << L { 7, 7 } << L { 7, 6 } << L { 0, 7 } << 2 << true;
        *row("a wide cover") << 2 << "wnn" << 0 << 1 << L { 1, 1 } << L { 3, 1 } << L { 1, 0 } << 1
                             << true;
        // Two wide pages running: [1] [2] [3] [4].
        *row("two wide, the page before")
            << 3 << "nwwn" << 0 << 1 << L { 1, 1 } << L { 2, 1 } << L { 0, 1 } << 3 << true;
        *row("two wide, the second")
            << 3 << "nwwn" << 0 << 3 << L { 3, 3 } << L { 4, 2 } << L { 3, 0 } << 1 << true;
        *row("wide first page, plain spreads")
            << 3 << "wnnn" << 0 << 4 << L { 4, 4 } << L { 4, 3 } << L { 0, 4 } << 3 << true;
        // Pages not read yet pair as usual; the spread may still change.
        *row("unknown partner") << 3 << "nn?n" << 0 << 4 << L { 3, 4 } << L { 4, 2 } << L { 4, 3 }
                                << 3 << false;
        *row("unknown page before")
            << 3 << "w?nn" << 0 << 3 << L { 2, 3 } << L { 4, 1 } << L { 3, 2 } << 3 << false;
        *row("settled by a wide page before")
            << 3 << "?wnn" << 0 << 4 << L { 3, 4 } << L { 4, 2 } << L { 4, 3 } << 3 << true;
        *row("settled, the unknown ones later")
            << 3 << "nnnn??" << 0 << 2 << L { 1, 2 } << L { 4, 1 } << L { 2, 1 } << 3 << true;
        // A single page knows nothing of wide pages.
        *row("single page") << 1 << "nwn" << 0 << 2 << L { 2, 2 } << L { 3, 1 } << L { 2, 0 } << 1
                            << true;
    }
    void widePagesStandAlone()
    {
        QFETCH(int, layout);
        QFETCH(QString, shapes);
        QFETCH(int, bind);
        QFETCH(int, page);
        QFETCH(QList<int>, spread);
        QFETCH(QList<int>, moves);
        QFETCH(QList<int>, sides);
        QFETCH(int, drawn);
        QFETCH(bool, settled);
        const SpreadPairing pairing(layout, int(shapes.size()), Shapes(shapes));
        QCOMPARE(pairing.SpreadOf(page), (SpreadPairing::Range { spread[0], spread[1] }));
        QCOMPARE(pairing.SpreadStart(page), spread[0]);
        QCOMPARE(pairing.NextPage(page), moves[0]);
        QCOMPARE(pairing.PrevPage(page), moves[1]);
        const SpreadPairing::Shown shown = pairing.ShownAt(page, bind);
        QCOMPARE(
            InBook(shown.sides, int(shapes.size())), (ImageRules::Sides { sides[0], sides[1] }));
        QCOMPARE(shown.layout, drawn);
        QCOMPARE(pairing.Columns(page, bind).size(), drawn == LAYOUT_SINGLE ? 1 : 2);
        QCOMPARE(pairing.Settled(page), settled);
    }

    void withoutWidePagesThePairingIsTheUsualOne()
    {
        for (int layout = 1; layout <= 3; ++layout) {
            for (int count = 1; count <= 9; ++count) {
                const SpreadPairing plain(layout, count);
                const SpreadPairing known(layout, count, Shapes(QString(count, 'n')));
                const SpreadPairing unknown(layout, count, Shapes(QString(count, '?')));
                for (int page = 1; page <= count; ++page) {
                    const QString at
                        = QString("layout %1, %2 pages, page %3").arg(layout).arg(count).arg(page);
                    for (const SpreadPairing* pairing : { &plain, &known, &unknown }) {
                        QVERIFY2(pairing->SpreadStart(page) == SpreadStart(page, layout),
                            qPrintable(at));
                        QVERIFY2(pairing->NextPage(page) == NextPage(page, count, layout),
                            qPrintable(at));
                        QVERIFY2(pairing->PrevPage(page) == PrevPage(page, count, layout),
                            qPrintable(at));
                        for (int bind = 0; bind <= 1; ++bind) {
                            const SpreadPairing::Shown shown = pairing->ShownAt(page, bind);
                            QVERIFY2(InBook(shown.sides, count)
                                    == InBook(ImageRules::PagesOf(page, layout, bind), count),
                                qPrintable(at));
                            QCOMPARE(shown.layout, layout);
                        }
                    }
                    QVERIFY(plain.Settled(page));
                    QVERIFY(known.Settled(page));
                    QCOMPARE(unknown.Settled(page), layout == 1);
                }
            }
        }
    }

    void zoomCanvas_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QRect>("canvas");
        const QRect client(0, 0, 400, 300);
        QTest::newRow("none") << 0 << client;
        QTest::newRow("top left") << 1 << QRect(0, 0, 800, 600);
        QTest::newRow("centre") << 5 << QRect(-200, -150, 800, 600);
        QTest::newRow("bottom right") << 9 << QRect(-400, -300, 800, 600);
        QTest::newRow("top right") << 3 << QRect(-400, 0, 800, 600);
        QTest::newRow("bad value") << 12 << client;
    }
    void zoomCanvas()
    {
        QFETCH(int, zoom);
        QFETCH(QRect, canvas);
        QCOMPARE(ZoomRules::ZoomCanvas(QRect(0, 0, 400, 300), zoom), canvas);
    }

    void pdfGeometry_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("pane");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("none") << 0 << 0 << QRect(0, 0, 400, 300);
        QTest::newRow("bottom right") << 9 << 0 << QRect(-400, -300, 800, 600);
        QTest::newRow("centre") << 5 << 0 << QRect(-200, -150, 800, 600);
        QTest::newRow("middle left") << 4 << 0 << QRect(0, -150, 800, 600);
        QTest::newRow("top centre") << 2 << 0 << QRect(-200, 0, 800, 600);
        QTest::newRow("side pane") << 9 << 300 << QRect(-400, -300, 1100, 600);
        QTest::newRow("bad value shows top left") << 12 << 0 << QRect(0, 0, 800, 600);
    }
    void pdfGeometry()
    {
        QFETCH(int, zoom);
        QFETCH(int, pane);
        QFETCH(QRect, geometry);
        QCOMPARE(ZoomRules::PdfGeometry(QSize(400, 300), zoom, pane), geometry);
        QVERIFY(ZoomRules::PdfGeometry(QSize(0, 300), zoom, pane).isEmpty());
    }

    void sidewaysMoves()
    {
        const int left[10] = { 0, 1, 1, 2, 4, 4, 5, 7, 7, 8 };
        const int right[10] = { 0, 2, 3, 3, 5, 6, 6, 8, 9, 9 };
        for (int zoom = 0; zoom <= 9; ++zoom) {
            QCOMPARE(ZoomRules::MoveLeft(zoom), left[zoom]);
            QCOMPARE(ZoomRules::MoveRight(zoom), right[zoom]);
        }
        QCOMPARE(ZoomRules::MoveLeft(12), 12);
    }

    void spreadsOfTheControl()
    {
        using namespace SpreadLayout;
        // The control steps by the columns the reader's pairing hands it.
        const auto neighbour = [](int page, int count, int layout, int direction) {
            QList<Slot> spread;
            for (const int column : SpreadPairing(layout, count).Columns(page, BIND_RIGHT))
                spread.append(Slot { column });
            return Neighbour(spread, count, direction);
        };
        QCOMPARE(neighbour(1, 10, LAYOUT_SPREAD_COVER, 1), 2);
        QCOMPARE(neighbour(2, 10, LAYOUT_SPREAD_COVER, 1), 4);
        QCOMPARE(neighbour(3, 10, LAYOUT_SPREAD_COVER, -1), 1);
        QCOMPARE(neighbour(10, 10, LAYOUT_SPREAD_COVER, 1), 0);
        QCOMPARE(neighbour(1, 9, LAYOUT_SPREAD_NOCOVER, -1), 0);
        // A page alone across the spread, and a spread of nothing.
        QCOMPARE(Neighbour({ Slot { 5 } }, 10, 1), 6);
        QCOMPARE(Neighbour({ Slot { 5 } }, 10, -1), 4);
        QCOMPARE(Neighbour({ Slot {}, Slot {} }, 10, 1), 0);
    }

    void spreadColumnsBySide_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("page");
        QTest::addColumn<QList<int>>("leftToRight");
        QTest::addColumn<QList<int>>("rightToLeft");
        const auto row
            = [](const char* name, int layout, int count, int page, QList<int> ltr,
                  QList<int> rtl) { QTest::newRow(name) << layout << count << page << ltr << rtl; };
        // Right to left, the lower page goes on the right: a manga's cover stands alone on
        // the left.
        row("cover alone", LAYOUT_SPREAD_COVER, 10, 1, { 0, 1 }, { 1, 0 });
        row("cover layout, odd page", LAYOUT_SPREAD_COVER, 10, 3, { 2, 3 }, { 3, 2 });
        row("cover layout, even page", LAYOUT_SPREAD_COVER, 10, 4, { 4, 5 }, { 5, 4 });
        row("cover layout, last page alone", LAYOUT_SPREAD_COVER, 10, 10, { 10, 0 }, { 0, 10 });
        row("plain, first pair", LAYOUT_SPREAD_NOCOVER, 9, 2, { 1, 2 }, { 2, 1 });
        row("plain, last page alone", LAYOUT_SPREAD_NOCOVER, 9, 9, { 9, 0 }, { 0, 9 });
        row("single page", LAYOUT_SINGLE, 9, 5, { 5 }, { 5 });
        row("single page past the end", LAYOUT_SINGLE, 9, 50, { 9 }, { 9 });
        row("a page before the first", LAYOUT_SPREAD_NOCOVER, 9, -3, { 1, 2 }, { 2, 1 });
    }
    void spreadColumnsBySide()
    {
        QFETCH(int, layout);
        QFETCH(int, count);
        QFETCH(int, page);
        QFETCH(QList<int>, leftToRight);
        QFETCH(QList<int>, rightToLeft);
        const SpreadPairing pairing(layout, count);
        QCOMPARE(pairing.Columns(page, BIND_LEFT), leftToRight);
        QCOMPARE(pairing.Columns(page, BIND_RIGHT), rightToLeft);
    }

    void imagePagesOfASpread_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("bind");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("single") << 1 << 0 << 4 << 4 << 0;
        QTest::newRow("single, left binding") << 1 << 1 << 3 << 3 << 0;
        QTest::newRow("cover, right, cover page") << 2 << 0 << 1 << 1 << 0;
        QTest::newRow("cover, right, odd") << 2 << 0 << 3 << 3 << 2;
        QTest::newRow("cover, right, even") << 2 << 0 << 4 << 5 << 4;
        QTest::newRow("cover, left, cover page") << 2 << 1 << 1 << 0 << 1;
        QTest::newRow("cover, left, odd") << 2 << 1 << 3 << 2 << 3;
        QTest::newRow("cover, left, even") << 2 << 1 << 4 << 4 << 5;
        QTest::newRow("plain, right, odd") << 3 << 0 << 5 << 6 << 5;
        QTest::newRow("plain, right, even") << 3 << 0 << 2 << 2 << 1;
        QTest::newRow("plain, left, odd") << 3 << 1 << 5 << 5 << 6;
        QTest::newRow("plain, left, even") << 3 << 1 << 2 << 1 << 2;
        QTest::newRow("any binding but 0 is left") << 3 << 7 << 1 << 1 << 2;
        QTest::newRow("no layout") << 0 << 0 << 3 << 0 << 0;
    }
    void imagePagesOfASpread()
    {
        QFETCH(int, layout);
        QFETCH(int, bind);
        QFETCH(int, page);
        QFETCH(int, left);
        QFETCH(int, right);
        QCOMPARE(ImageRules::PagesOf(page, layout, bind), (ImageRules::Sides { left, right }));
    }

    void pagePaths()
    {
        const QStringList names = { "1.jpg", "2.jpg", "3.jpg" };
        QCOMPARE(ImageRules::PagePath("/books/a", names, 1), QString("/books/a/1.jpg"));
        QCOMPARE(ImageRules::PagePath("/books/a/", names, 3), QString("/books/a/3.jpg"));
        QCOMPARE(ImageRules::PagePath("/", names, 2), QString("/2.jpg"));
        QCOMPARE(ImageRules::PagePath("/books/a", names, 0), QString());
        QCOMPARE(ImageRules::PagePath("/books/a", names, 4), QString());
    }

    void fittingPictures_data()
    {
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("align");
        QTest::addColumn<bool>("enlarge");
        QTest::addColumn<QRect>("placed");
        const QRect client(0, 0, 1000, 600);
        // Rectangles as left, top, right, bottom.
        const auto edges = [](int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); };
        QTest::newRow("small, kept")
            << client << QSize(300, 150) << 0 << false << edges(350, 225, 650, 375);
        QTest::newRow("small, enlarged")
            << client << QSize(300, 150) << 0 << true << edges(0, 50, 1000, 550);
        QTest::newRow("wide, always fitted")
            << client << QSize(3000, 1000) << 0 << false << edges(0, 133, 1000, 466);
        QTest::newRow("tall, against the gap on the left")
            << edges(0, 0, 495, 600) << QSize(800, 1200) << 2 << false << edges(95, 0, 495, 600);
        QTest::newRow("tall, against the gap on the right") << edges(505, 0, 1000,
            600) << QSize(800, 1200) << 1 << false << edges(505, 0, 905, 600);
        QTest::newRow("small tall, natural size against the gap") << edges(
            505, 0, 1000, 600) << QSize(100, 200) << 1 << false << edges(505, 200, 605, 400);
        QTest::newRow("doubled under the magnifier") << edges(-200, -150, 600,
            450) << QSize(200, 100) << 0 << false << edges(100, 100, 300, 200);
        QTest::newRow("one pixel wide, 30,000 tall: still a line")
            << client << QSize(1, 30000) << 0 << false << edges(499, 0, 500, 600);
        QTest::newRow("30,000 wide, one pixel tall: still a line")
            << client << QSize(30000, 1) << 0 << false << edges(0, 299, 1000, 300);
        QTest::newRow("thin and enlarged, against the gap")
            << edges(505, 0, 1000, 600) << QSize(2, 20000) << 1 << true << edges(505, 0, 506, 600);
        QTest::newRow("empty picture") << client << QSize(0, 10) << 0 << true << QRect();
        QTest::newRow("empty box") << QRect(0, 0, 0, 600) << QSize(10, 10) << 0 << true << QRect();
    }
    void fittingPictures()
    {
        QFETCH(QRect, box);
        QFETCH(QSize, picture);
        QFETCH(int, align);
        QFETCH(bool, enlarge);
        QFETCH(QRect, placed);
        QCOMPARE(ImageRules::FitImageRect(
                     box, picture.width(), picture.height(), ImageRules::FitAlign(align), enlarge),
            placed);
    }

    void spreadFrames()
    {
        const ImageRules::Frame even = ImageRules::LayoutFrame(QRect(0, 0, 1000, 600), 0, 10);
        QCOMPARE(even.left, QRect(0, 0, 495, 600));
        QCOMPARE(even.right, QRect(505, 0, 495, 600));
        // An odd width left by the gap goes to the right box.
        const ImageRules::Frame odd = ImageRules::LayoutFrame(QRect(0, 0, 1000, 600), 0, 5);
        QCOMPARE(odd.left.width() + 1, odd.right.width());
        // The magnifier doubles the canvas and the gap.
        const ImageRules::Frame zoomed = ImageRules::LayoutFrame(QRect(0, 0, 400, 300), 9, 10);
        QCOMPARE(zoomed.zoomFactor, 2);
        QCOMPARE(zoomed.left, QRect(-400, -300, 390, 600));
        QCOMPARE(zoomed.right, QRect(10, -300, 390, 600));
        // A damaged region lays out in the client area, yet doubles the pages.
        const ImageRules::Frame damaged = ImageRules::LayoutFrame(QRect(0, 0, 400, 300), 12, 0);
        QCOMPARE(damaged.layout, QRect(0, 0, 400, 300));
        QCOMPARE(damaged.zoomFactor, 2);
        const auto placed
            = ImageRules::PlacePages(damaged, 1, false, QSize(100, 50), QSize(100, 50));
        QCOMPARE(placed.left, QRect(100, 100, 200, 100));
        QCOMPARE(placed.right, QRect());
    }

    void fittingPagesOfDifferentSizes()
    {
        using namespace SpreadLayout;
        const auto size = [](int page) { return page == 2 ? QSizeF(100, 200) : QSizeF(200, 100); };
        // A portrait page beside a landscape one: the spread is 300 x 200 points.
        const auto placed = Fit({ Slot { 2 }, Slot { 3 } }, size, QRectF(0, 0, 600, 600));
        QCOMPARE(placed.size(), 2);
        QCOMPARE(placed[0].rect, QRectF(0, 100, 200, 400));
        QCOMPARE(placed[1].rect, QRectF(200, 200, 400, 200));
        // A cover alone sits in the right column, the left one kept empty; read right to
        // left, in the left column.
        const auto cover = Fit({ Slot { 0 }, Slot { 1 } }, size, QRectF(0, 0, 800, 100));
        QCOMPARE(cover.size(), 1);
        QCOMPARE(cover[0].rect, QRectF(400, 0, 200, 100));
        const auto mirrored = Fit({ Slot { 1 }, Slot { 0 } }, size, QRectF(0, 0, 800, 100));
        QCOMPARE(mirrored.size(), 1);
        QCOMPARE(mirrored[0].rect, QRectF(200, 0, 200, 100));
        // The portrait page 2 read right to left goes to the right of the landscape 3.
        const auto pair = Fit({ Slot { 3 }, Slot { 2 } }, size, QRectF(0, 0, 600, 600));
        QCOMPARE(pair.size(), 2);
        QCOMPARE(pair[0].page, 3);
        QCOMPARE(pair[0].rect, QRectF(0, 200, 400, 200));
        QCOMPARE(pair[1].page, 2);
        QCOMPARE(pair[1].rect, QRectF(400, 100, 200, 400));
        QVERIFY(Fit({ Slot { 1 } }, size, QRectF()).isEmpty());
    }
};

LUMIVO_TEST_MAIN(TestPageRules)
#include "tst_pagerules.moc"
