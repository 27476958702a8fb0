#include "TestSupport.h"

#include "images/ZoomRules.h"
#include "pdf/SpreadLayout.h"
#include "view/PageRules.h"

using namespace PageRules;

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
        auto pages = [](int page, int count, Mode mode) {
            QList<int> result;
            for (const Slot& slot : SpreadOf(page, count, mode))
                result << slot.page;
            return result;
        };
        QCOMPARE(pages(1, 10, TwoColumnRight), QList<int>({ 0, 1 }));
        QCOMPARE(pages(3, 10, TwoColumnRight), QList<int>({ 2, 3 }));
        QCOMPARE(pages(10, 10, TwoColumnRight), QList<int>({ 10, 0 }));
        QCOMPARE(pages(2, 9, TwoColumnLeft), QList<int>({ 1, 2 }));
        QCOMPARE(pages(9, 9, TwoColumnLeft), QList<int>({ 9, 0 }));
        QCOMPARE(pages(5, 9, SinglePage), QList<int>({ 5 }));
        QCOMPARE(pages(50, 9, SinglePage), QList<int>({ 9 }));
        QCOMPARE(NeighbourSpread(1, 10, TwoColumnRight, 1), 2);
        QCOMPARE(NeighbourSpread(2, 10, TwoColumnRight, 1), 4);
        QCOMPARE(NeighbourSpread(3, 10, TwoColumnRight, -1), 1);
        QCOMPARE(NeighbourSpread(10, 10, TwoColumnRight, 1), 0);
        QCOMPARE(NeighbourSpread(1, 9, TwoColumnLeft, -1), 0);
        QCOMPARE(ModeFromName("TwoColumnLeft", SinglePage), TwoColumnLeft);
        QCOMPARE(ModeFromName("Unknown", TwoColumnRight), TwoColumnRight);
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
        // A cover alone sits in the right column, the left one kept empty.
        const auto cover = Fit({ Slot { 0 }, Slot { 1 } }, size, QRectF(0, 0, 800, 100));
        QCOMPARE(cover.size(), 1);
        QCOMPARE(cover[0].rect, QRectF(400, 0, 200, 100));
        QVERIFY(Fit({ Slot { 1 } }, size, QRectF()).isEmpty());
    }
};

LUMIVO_TEST_MAIN(TestPageRules)
#include "tst_pagerules.moc"
