#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "browser/ResumeStore.h"
#include "images/BorderCrop.h"
#include "images/NightColours.h"
#include "pdf/AcroAXDocShim.h"
#include "pdf/PageCrops.h"
#include "platform/OpeningWait.h"
#include "reader/CroppedSpread.h"
#include "reader/CutPages.h"
#include "reader/ImageBookReader.h"
#include "reader/PdfReader.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>

namespace
{
// A scanned page: paper of one colour with noise, print inside the given box (in
// fractions of the page), and whatever else draw adds.
QImage Scan(QSize size, QColor paper, QRectF print, int noise = 0,
    const std::function<void(QPainter&)>& draw = {})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(paper);
    QRandomGenerator random(7);
    for (int y = 0; noise > 0 && y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int n = random.bounded(-noise, noise + 1);
            line[x] = qRgb(std::clamp(paper.red() + n, 0, 255),
                std::clamp(paper.green() + n, 0, 255), std::clamp(paper.blue() + n, 0, 255));
        }
    }
    QPainter painter(&image);
    const QRectF box(print.x() * size.width(), print.y() * size.height(),
        print.width() * size.width(), print.height() * size.height());
    painter.fillRect(box, QColor(30, 30, 30));
    if (draw)
        draw(painter);
    return image;
}

// A band of fractions: a content edge found within about a pixel of where it is.
bool Near(qreal found, qreal expected, int side)
{
    return std::abs(found - expected) <= 2.0 / side;
}

// A bare window the readers paint into.
struct Host {
    QWidget widget;
    OpeningWait opening { &widget };
    Host() { widget.resize(1000, 600); }
};

// The rectangle of the print, dark by day and light at night, in a painted image; the
// grey around the pages is neither.
QRect Print(const QImage& image, bool night = false)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(image.pixel(x, y));
            if (night ? grey > 180 : grey < 60)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}
} // namespace

class TestLook : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void bordersAreFoundAndContentIsNeverCut_data()
    {
        QTest::addColumn<QImage>("page");
        QTest::addColumn<QRectF>("expected");
        const QSize a4(700, 1000);
        const QRectF print(0.07, 0.07, 0.86, 0.86);
        QTest::newRow("white paper") << Scan(a4, Qt::white, print) << print;
        QTest::newRow("black border") << Scan(a4, Qt::black, print, 0, [](QPainter& p) {
            p.fillRect(QRectF(49, 70, 602, 860), Qt::white);
            p.fillRect(QRectF(100, 100, 500, 800), QColor(200, 0, 0));
        }) << QRectF(0.07, 0.07, 0.86, 0.86);
        QTest::newRow("yellowed paper, scanner noise")
            << Scan(a4, QColor(240, 228, 190), print, 20) << print;
        // A page number a few pixels across near the foot keeps the foot.
        QTest::newRow("page number below the print") << Scan(a4, Qt::white, print, 0,
            [](QPainter& p) { p.fillRect(QRectF(340, 960, 20, 12), Qt::black); })
                                                     << QRectF(0.07, 0.07, 0.86, 0.972 - 0.07);
        QTest::newRow("all one colour") << Scan(a4, Qt::white, QRectF()) << QRectF(0, 0, 1, 1);
        QTest::newRow("a picture 1 pixel wide")
            << Scan(QSize(1, 3000), Qt::white, QRectF()) << QRectF(0, 0, 1, 1);
        // Thin lines at the very edge are content (a frame) or a scanner's lid: kept.
        QTest::newRow("frame line at the edge") << Scan(a4, Qt::white, print, 0, [](QPainter& p) {
            p.setPen(QPen(Qt::red, 2));
            p.drawRect(QRectF(1, 1, 697, 997));
        }) << QRectF(0, 0, 1, 1);
        QTest::newRow("scanner lid along the left") << Scan(a4, Qt::white, print, 0,
            [](QPainter& p) { p.fillRect(QRectF(0, 0, 3, 1000), Qt::black); })
                                                    << QRectF(0, 0.07, 0.93, 0.86);
        QImage gradient = Scan(a4, Qt::white, print);
        {
            QPainter p(&gradient);
            QLinearGradient fade(0, 0, 0, 70);
            fade.setColorAt(0, Qt::white);
            fade.setColorAt(1, QColor(120, 120, 120));
            p.fillRect(QRectF(0, 0, 700, 70), fade);
        }
        QTest::newRow("border fading to grey") << gradient << print;
        // More than a third of a side is never cut.
        QTest::newRow("a small stamp") << Scan(a4, Qt::white, QRectF(0.45, 0.45, 0.1, 0.1))
                                       << QRectF(1.0 / 3, 1.0 / 3, 1.0 / 3, 1.0 / 3);
        QImage clear(a4, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        QPainter(&clear).fillRect(QRectF(49, 70, 602, 860), Qt::red);
        QTest::newRow("transparent PNG") << clear << print;
    }
    void bordersAreFoundAndContentIsNeverCut()
    {
        QFETCH(QImage, page);
        QFETCH(QRectF, expected);
        const QRectF found = BorderCrop::Content(page);
        // Never into the print: what is found holds all of the expected content...
        QVERIFY2(found.left() <= expected.left() + 1.0 / page.width()
                && found.top() <= expected.top() + 1.0 / page.height()
                && found.right() >= expected.right() - 1.0 / page.width()
                && found.bottom() >= expected.bottom() - 1.0 / page.height(),
            qPrintable(QString("%1,%2 %3x%4")
                           .arg(found.x())
                           .arg(found.y())
                           .arg(found.width())
                           .arg(found.height())));
        // ... and hardly any border beside it, where one can be cut.
        QVERIFY(Near(found.left(), expected.left(), page.width()) || expected.left() == 0
            || found.left() == 0);
        QVERIFY(Near(found.top(), expected.top(), page.height()) || found.top() < expected.top());
        QVERIFY(Near(found.right(), expected.right(), page.width())
            || found.right() > expected.right());
    }

    void nightTurnsLightnessOverAndKeepsHue()
    {
        QImage image(4, 1, QImage::Format_RGB32);
        image.setPixelColor(0, 0, Qt::white);
        image.setPixelColor(1, 0, Qt::black);
        image.setPixelColor(2, 0, QColor(220, 30, 30));
        image.setPixelColor(3, 0, QColor(128, 128, 128));
        NightColours::Apply(image);
        QCOMPARE(image.pixelColor(0, 0),
            QColor(NightColours::kDarkest, NightColours::kDarkest, NightColours::kDarkest));
        QCOMPARE(image.pixelColor(1, 0),
            QColor(NightColours::kLightest, NightColours::kLightest, NightColours::kLightest));
        const QColor red = image.pixelColor(2, 0);
        QVERIFY(std::abs(red.hue() - 0) <= 2 && red.red() > 2 * red.green());
        QVERIFY(std::abs(image.pixelColor(3, 0).red() - 122) <= 4);
    }

    void aSpreadStaysInLine()
    {
        const ImageRules::Frame frame = ImageRules::LayoutFrame(QRect(0, 0, 1600, 1000), 0, 10);
        const CroppedSpread::Page left { { 1400, 2000 }, QRectF(0.05, 0.10, 0.90, 0.85) };
        const CroppedSpread::Page right { { 1400, 2000 }, QRectF(0.10, 0.04, 0.80, 0.90) };
        const auto placed = CroppedSpread::Place(frame, LAYOUT_SPREAD_COVER, false, left, right);
        // The smaller cut at top and bottom for both, so both are as tall and in line.
        QCOMPARE(placed.leftSource.top(), 0.04);
        QCOMPARE(placed.rightSource.top(), 0.04);
        QCOMPARE(placed.leftSource.bottom(), 0.95);
        QCOMPARE(placed.left.top(), placed.right.top());
        QCOMPARE(placed.left.height(), placed.right.height());
        // Grown alike, larger than the uncut pages, the gap kept at the gutter.
        const ImageRules::Placement uncut = ImageRules::PlacePages(
            frame, LAYOUT_SPREAD_COVER, false, { 1400, 2000 }, { 1400, 2000 });
        QVERIFY(placed.left.height() / placed.leftSource.height() > uncut.left.height() * 1.05);
        QCOMPARE(placed.left.right(), frame.left.right());
        QCOMPARE(placed.right.left(), frame.right.left());
        QVERIFY(std::abs(qreal(placed.left.width()) / placed.right.width() - 0.90 / 0.80) < 0.01);
    }

    void cutPartsAreScaledOffTheWindowsThread()
    {
        QImage page(400, 600, QImage::Format_RGB32);
        page.fill(Qt::red);
        QPainter(&page).fillRect(QRect(100, 150, 200, 300), Qt::blue);
        CutPages pieces;
        QSignalSpy made(&pieces, &CutPages::made);
        const QRectF part(0.25, 0.25, 0.5, 0.5);
        pieces.Want({ { page, part, { 300, 450 } }, { page, { 0, 0, 1, 1 }, { 40, 60 } } });
        QTRY_COMPARE(made.size(), 2);
        const QImage cut = pieces.Finished(page, part, { 300, 450 });
        QCOMPARE(cut.size(), QSize(300, 450));
        QVERIFY(SameColour(cut.pixelColor(1, 1), Qt::blue));
        QVERIFY(SameColour(cut.pixelColor(298, 448), Qt::blue));
        // Only what is wanted now is kept.
        pieces.Want({ { page, part, { 300, 450 } } });
        QVERIFY(pieces.Finished(page, { 0, 0, 1, 1 }, { 40, 60 }).isNull());
        QVERIFY(!pieces.Finished(page, part, { 300, 450 }).isNull());
        // Let go with a piece under way, nothing is made after.
        pieces.Want({ { page, part, { 200, 300 } } });
        pieces.Clear();
        QTest::qWait(100);
        QCOMPARE(made.size(), 2);
    }

    void textKeepsItsSizeFromPageToPage()
    {
        // Full pages, a short last page and a chapter opening: each page shows the
        // measure of those around it.
        PageCrops crops;
        // Sizes not read yet are guessed as the others'.
        QMap<int, QSizeF> sizes { { 3, { 595, 842 } } };
        const auto sizeOf = [&sizes](int p) { return sizes.value(p, { 595, 842 }); };
        crops.Add({ { 1, QRectF(0.2, 0.1, 0.6, 0.8) }, { 2, QRectF(0.2, 0.1, 0.6, 0.8) },
            { 3, QRectF(0.2, 0.1, 0.6, 0.3) }, { 4, QRectF(0.2, 0.4, 0.6, 0.5) },
            { 5, QRectF(0.2, 0.1, 0.6, 0.8) } });
        QCOMPARE(crops.Shown(3, 9, sizeOf), QRectF(0.2, 0.1, 0.6, 0.8));
        QCOMPARE(crops.Shown(2, 9, sizeOf), QRectF(0.2, 0.1, 0.6, 0.8));
        // Until the pages around it are read, a page shows whole.
        QCOMPARE(crops.Missing(4, 9), QList<int>({ 6 }));
        QCOMPARE(crops.Shown(4, 9, sizeOf), QRectF(0, 0, 1, 1));
        // A page of another size goes by itself.
        sizes[3] = { 842, 595 };
        QCOMPARE(crops.Shown(3, 9, sizeOf), QRectF(0.2, 0.1, 0.6, 0.3));
    }

    void theCropIsKeptInTheEntryAndOldEntriesStayAsTheyWere()
    {
        for (const QString& old :
            { QString("258|5|20|258|0|100|/books/a.pdf"), QString("2|3|9|2|0|0|/books/b.pdf") }) {
            const auto record = ResumeStore::Parse(old);
            QVERIFY(record);
            QVERIFY(!record->bCrop);
            QCOMPARE(ResumeStore::Format(*record), old);
        }
        BookRecord book = *ResumeStore::Parse("2|5|20|514|0|100|/books/manga.pdf");
        book.bCrop = true;
        const auto back = ResumeStore::Parse(ResumeStore::Format(book));
        QVERIFY(back->bCrop && back->bRightToLeft);
        QCOMPARE(back->nLayout, 2);
    }

    void anImageBookShowsItsPagesLargerCutAndDarkAtNight()
    {
        const QString dir = env->path("scans");
        const QRectF print(0.08, 0.08, 0.84, 0.84);
        QDir().mkpath(dir);
        for (int i = 1; i <= 3; ++i)
            QVERIFY(Scan({ 700, 1000 }, Qt::white, print).save(dir + QString("/%1.png").arg(i)));
        Host host;
        ImageBookReader reader(&host.widget, host.opening);
        BookRecord record;
        record.bImages = true;
        record.strPath = dir + "/2.png";
        record.nLayout = LAYOUT_SPREAD_NOCOVER;
        record.nBind = BIND_LEFT;
        BookReader::Options options;
        QCOMPARE(reader.Open(record, options), BookReader::Opening::Opened);
        reader.Enter(record);
        const auto settled = [&] {
            return QTest::qWaitFor(
                [&] { return !reader.PagesPending() && reader.m_imageEngine.IsIdle(); }, 20000);
        };
        const auto painted = [&] {
            QImage image(host.widget.size(), QImage::Format_RGB32);
            image.fill(Qt::black);
            QPainter painter(&image);
            reader.Paint(painter);
            return image;
        };
        QVERIFY(settled());
        const QRect uncut = Print(painted());
        record.bCrop = true;
        options.cropMargin = 0;
        reader.Restyle(record, options);
        QTRY_VERIFY(reader.m_image1.Content() != QRectF(0, 0, 1, 1));
        QVERIFY(settled());
        const QRect cut = Print(painted());
        QVERIFY(cut.height() > uncut.height() * 1.15);

        options.night = true;
        reader.Restyle(record, options);
        // Drawn scaled or from its part scaled ahead, a page may differ by a pixel.
        QTRY_VERIFY_WITH_TIMEOUT(
            std::abs(Print(painted(), true).height() - cut.height()) <= 2, 20000);
        reader.Close();
    }

    void aPdfShowsItsPagesLargerCutAndDarkAtNight()
    {
        const QString path = env->path("pdfs") + "/five.pdf";
        WritePdf(path, 5);
        Host host;
        CAcroAXDocShim control(&host.widget);
        PdfReader reader(&host.widget, host.opening, control);
        BookRecord record;
        record.strPath = path;
        record.nPage = 3;
        record.nLayout = LAYOUT_SPREAD_NOCOVER;
        BookReader::Options options;
        QCOMPARE(reader.Open(record, options), BookReader::Opening::Opened);
        host.widget.show();
        reader.Enter(record);
        QTRY_VERIFY(control.IsShowingRendered());
        const QRect uncut = Print(control.grab().toImage());

        // The numbers grow as far as a third off each side allows, once what is left of
        // the pages around is read (the uncut render meanwhile); both pages in line.
        record.bCrop = true;
        reader.Restyle(record, options);
        QTRY_VERIFY_WITH_TIMEOUT(
            Print(control.grab().toImage()).height() > uncut.height() * 2, 20000);
        const QList<SpreadLayout::Placed> cut = control.PagesShown();
        QCOMPARE(cut.size(), 2);
        QCOMPARE(cut[0].rect.top(), cut[1].rect.top());
        QCOMPARE(cut[0].rect.height(), cut[1].rect.height());
        options.night = true;
        reader.Restyle(record, options);
        QTRY_VERIFY_WITH_TIMEOUT(
            Print(control.grab().toImage(), true).height() > uncut.height() * 2, 20000);
        const QImage shown = control.grab().toImage();
        QVERIFY(qGray(shown.pixel(cut[0].rect.toRect().topLeft() + QPoint(2, 2))) < 60);
        reader.Close();
    }

    void theViewerKeepsTheCropPerBookAndNightForAll()
    {
        const QString dir = env->path("viewer");
        for (int i = 1; i <= 3; ++i)
            QVERIFY(WritePicture(dir + QString("/p%1.png").arg(i), { 300, 400 }, Qt::white));
        StartInFolder(dir);
        StoredSettings().setValue("Settings/CropBorders", 1);
        StoredSettings().sync();
        {
            Viewer v;
            CTalvexView* view = v.view;
            // A book new to the reader takes the setting's crop; night is for every book.
            QVERIFY(OpenFromFolder(v, "p1.png"));
            QVERIFY(view->m_book.bCrop);
            Key(view, Qt::Key_N, Qt::ControlModifier);
            QVERIFY(view->m_bNightMode);
            StoredSettings().sync();
            QCOMPARE(StoredSettings().value("Settings/NightMode").toInt(), 1);
            Key(view, Qt::Key_S, Qt::ControlModifier);
            QVERIFY(!view->m_bContent);
            StoredSettings().sync();
            QVERIFY(
                ResumeStore::Parse(StoredSettings().value("Settings/Resume0").toString())->bCrop);
            // Its entry reopens it cut; turned off and written back, it stays off.
            QVERIFY(view->OpenBook(view->m_resumeItems[0]));
            QVERIFY(view->m_book.bCrop);
            Key(view, Qt::Key_K, Qt::ControlModifier);
            QVERIFY(!view->m_book.bCrop);
            Key(view, Qt::Key_C, Qt::ControlModifier);
            QVERIFY(!view->m_resumeItems[0].bCrop);
        }
        Viewer again;
        QVERIFY(again.view->m_bNightMode);
    }
};

LUMIVO_TEST_MAIN(TestLook)
#include "tst_look.moc"
