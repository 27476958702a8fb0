#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "app/SettingDlg.h"
#include "images/PageHeader.h"
#include "images/PageShapeReader.h"
#include "platform/Prompt.h"
#include "view/CommandIds.h"

#include <QBuffer>
#include <QCheckBox>

#include <sys/stat.h>

namespace
{
const QColor kGrey(96, 96, 96);

// A book of numbered pages, p1.png to pN.png, each of its own colour.
void WriteBook(const QString& dir, int pages)
{
    for (int i = 1; i <= pages; ++i)
        QVERIFY(WritePicture(dir + QString("/p%1.png").arg(i), { 800, 1200 }, PageColour(i)));
}

QColor At(CTalvexView* view, int x, int y)
{
    if (!QTest::qWaitFor([view] { return !view->m_inputGate.IsShut(); }, 10000))
        return {};
    return view->grab().toImage().pixelColor(x, y);
}

// The colours in the middle of the left and the right half of the view.
QPair<QColor, QColor> Halves(CTalvexView* view)
{
    const int y = view->height() / 2;
    return { At(view, view->width() / 4, y), At(view, view->width() * 3 / 4, y) };
}

QStringList FolderRows(CTalvexView* view)
{
    QStringList rows;
    for (int i = 0; i < view->m_listFolder.GetItemCount(); ++i)
        rows << view->m_listFolder.GetItemText(i, 0);
    return rows;
}

void StoreSetting(const QString& name, const QString& value)
{
    StoredSettings().setValue("Settings/" + name, value);
    StoredSettings().sync();
}
} // namespace

class TestComics : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_shelf;
    QStringList m_prompts;
    std::function<int(QDialog&)> m_onDialog;

private slots:
    void initTestCase() { m_shelf = env->path("comics"); }

    void init()
    {
        m_prompts.clear();
        m_onDialog = nullptr;
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.dialog)
                return m_onDialog ? m_onDialog(*request.dialog) : int(QDialog::Rejected);
            if (!request.menu)
                m_prompts << request.text;
            return int(Prompt::IDOK);
        });
    }

    void theSettingsDialogSetsBothOptions()
    {
        const QString dir = m_shelf + "/order";
        WriteBook(dir, 10);
        ClearStoredSettings();
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        // A folder of scans reads in natural order out of the box, as an archive does.
        QCOMPARE(FolderRows(view).mid(0, 3), (QStringList { "p1.png", "p2.png", "p3.png" }));
        QCOMPARE(FolderRows(view).last(), QString("p10.png"));
        bool shownDefaults = false;
        m_onDialog = [&shownDefaults](QDialog& dialog) {
            auto& dlg = static_cast<CSettingDlg&>(dialog);
            shownDefaults
                = dlg.m_checkNaturalSort->isChecked() && !dlg.m_checkWidePageAlone->isChecked();
            dlg.m_checkNaturalSort->setChecked(false);
            dlg.m_checkWidePageAlone->setChecked(true);
            dlg.accept();
            return dlg.result();
        };
        view->OnCommand(ID_SETTINGS);
        QVERIFY(shownDefaults);
        QVERIFY(!view->m_bNaturalSort);
        QVERIFY(view->m_bWidePageAlone);
        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/NaturalSort").toInt(), 0);
        QCOMPARE(StoredSettings().value("Settings/WidePageAlone").toInt(), 1);
        // The Folder screen comes back in the new order at once.
        QCOMPARE(FolderRows(view).mid(0, 3), (QStringList { "p1.png", "p10.png", "p2.png" }));

        // Cancel changes nothing.
        m_onDialog = [](QDialog& dialog) {
            auto& dlg = static_cast<CSettingDlg&>(dialog);
            dlg.m_checkNaturalSort->setChecked(true);
            dlg.reject();
            return dlg.result();
        };
        view->OnCommand(ID_SETTINGS);
        QVERIFY(!view->m_bNaturalSort);
        QVERIFY(m_prompts.isEmpty());
    }

    void anEntryFindsItsPageInEitherOrder()
    {
        const QString dir = m_shelf + "/twelve";
        WriteBook(dir, 12);
        // An entry written before natural order existed: page 2 of the names in code
        // order (p1, p10, p11, ...) is p10.png.
        ClearStoredSettings();
        StoreSetting("Resume0", "258|2|12|2|0|0|" + dir + "/p10.png");
        StoreSetting("NaturalSort", "1");
        {
            Viewer v;
            CTalvexView* view = v.view;
            QVERIFY(view->m_bResumeScreen);
            Key(&view->m_listResume, Qt::Key_Return);
            QVERIFY(view->m_bContent);
            // In natural order p10.png is page 10: the spread [10, 11].
            QCOMPARE(view->m_book.nPage, 10);
            QCOMPARE(view->m_book.strPath, dir + "/p10.png");
            QCOMPARE(Halves(view), qMakePair(PageColour(11), PageColour(10)));
            Key(view, Qt::Key_C, Qt::ControlModifier);
            QVERIFY(!view->m_bContent);
        }
        StoredSettings().sync();
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            "258|10|12|2|0|0|" + dir + "/p10.png");
        QVERIFY(StoredSettings().value("Settings/Resume1").toString().isEmpty());

        // Turned off again, the entry written in natural order opens on the same file.
        StoreSetting("NaturalSort", "0");
        {
            Viewer v;
            CTalvexView* view = v.view;
            Key(&view->m_listResume, Qt::Key_Return);
            QVERIFY(view->m_bContent);
            QCOMPARE(view->m_book.nPage, 2);
            QCOMPARE(view->m_book.strPath, dir + "/p10.png");
            QCOMPARE(Halves(view), qMakePair(PageColour(11), PageColour(10)));
            Key(view, Qt::Key_PageDown);
            QCOMPARE(view->m_book.strPath, dir + "/p2.png");
            Key(view, Qt::Key_Escape);
        }
        QVERIFY(m_prompts.isEmpty());
    }

    void shapesFromHeaders_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        // The size the program's own header reader gives (JPEG and PNG), or none.
        QTest::addColumn<QSize>("header");
        QTest::addColumn<bool>("wide");
        const auto encoded = [](const QSize& size, const char* format) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, format);
            return bytes;
        };
        const QByteArray wideJpeg = encoded({ 1200, 800 }, "JPEG");
        const QByteArray tallJpeg = encoded({ 800, 1200 }, "JPEG");
        QTest::newRow("tall") << "tall.png" << encoded({ 800, 1200 }, "PNG") << QSize(800, 1200)
                              << false;
        QTest::newRow("wide") << "wide.png" << encoded({ 1200, 800 }, "PNG") << QSize(1200, 800)
                              << true;
        QTest::newRow("square") << "square.png" << encoded({ 500, 500 }, "PNG") << QSize(500, 500)
                                << false;
        QTest::newRow("wide JPEG") << "wide.jpg" << wideJpeg << QSize(1200, 800) << true;
        QTest::newRow("wide BMP, read by Qt")
            << "wide.bmp" << encoded({ 30, 20 }, "BMP") << QSize() << true;
        QTest::newRow("wide, turned upright by its camera")
            << "turned.jpg" << WithOrientation(wideJpeg, 6) << QSize(800, 1200) << false;
        QTest::newRow("tall, turned on its side")
            << "side.jpg" << WithOrientation(tallJpeg, 8, true) << QSize(1200, 800) << true;
        QTest::newRow("damaged PNG")
            << "damaged.png" << QByteArray("\x89PNG\r\n\x1a\nbroken") << QSize() << false;
        QTest::newRow("JPEG cut in its headers")
            << "cut.jpg" << wideJpeg.left(40) << QSize() << false;
        QTest::newRow("JPEG of endless fill bytes")
            << "fill.jpg" << QByteArray("\xff\xd8") + QByteArray(100000, '\xff') << QSize()
            << false;
        QTest::newRow("empty") << "empty.jpg" << QByteArray() << QSize() << false;
    }
    void shapesFromHeaders()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, header);
        QFETCH(bool, wide);
        const QString path = m_shelf + "/headers/" + name;
        QVERIFY(WriteBytes(path, bytes));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(PageHeader::UprightSize(file).value_or(QSize()), header);
        QCOMPARE(PageShapeReader::ShapeOf(path), wide ? PageShape::Wide : PageShape::NotWide);
    }

    void shapesOfWhatIsNoPicture()
    {
        // A pipe is never waited on, and a file gone is no wide page.
        const QString fifo = m_shelf + "/headers/pipe.png";
        QDir().mkpath(m_shelf + "/headers");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(PageShapeReader::ShapeOf(fifo), PageShape::NotWide);
        QCOMPARE(PageShapeReader::ShapeOf(m_shelf + "/headers/gone.png"), PageShape::NotWide);
        // The page opened at and a few after it first, then back to the start, then on.
        QCOMPARE(
            PageShapeReader::ReadingOrder(10, 5), (QList<int> { 4, 5, 6, 7, 3, 2, 1, 0, 8, 9 }));
        QCOMPARE(PageShapeReader::ReadingOrder(3, 3), (QList<int> { 2, 1, 0 }));
        QCOMPARE(PageShapeReader::ReadingOrder(0, 1), QList<int> {});
    }

    void aWidePageStandsAlone()
    {
        const QString dir = m_shelf + "/wide";
        for (int i = 1; i <= 6; ++i) {
            const QSize size = i == 4 ? QSize(1600, 1000) : QSize(800, 1200);
            QVERIFY(WritePicture(dir + QString("/p%1.png").arg(i), size, PageColour(i)));
        }
        StartInFolder(dir);
        StoreSetting("Layout2", "3");
        {
            // Off, the wide page pairs as any other.
            Viewer v;
            QVERIFY(OpenFromFolder(v, "p4.png"));
            QCOMPARE(Halves(v.view), qMakePair(PageColour(4), PageColour(3)));
            QVERIFY(v.view->m_imageBook.m_pageShapes.isEmpty());
            Key(v.view, Qt::Key_Escape);
        }
        StoreSetting("WidePageAlone", "1");
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "p1.png"));
        QTRY_VERIFY(view->m_imageBook.m_pageShapes.size() == 6
            && !view->m_imageBook.m_pageShapes.contains(PageShape::Unknown));
        QCOMPARE(view->m_imageBook.m_pageShapes[3], PageShape::Wide);
        QCOMPARE(Halves(view), qMakePair(PageColour(2), PageColour(1)));
        // Page 3 has no partner: alone, on the right as right binding has it.
        Key(view, Qt::Key_PageDown);
        QCOMPARE(view->m_book.nPage, 3);
        QCOMPARE(Halves(view), qMakePair(kGrey, PageColour(3)));
        // The wide page across both halves, then the pairing goes on after it.
        Key(view, Qt::Key_PageDown);
        QCOMPARE(view->m_book.nPage, 4);
        QCOMPARE(Halves(view), qMakePair(PageColour(4), PageColour(4)));
        QCOMPARE(view->m_pageIndicator.Text().pages, QString("4 / 6"));
        Key(view, Qt::Key_PageDown);
        QCOMPARE(view->m_book.nPage, 6);
        QCOMPARE(Halves(view), qMakePair(PageColour(6), PageColour(5)));
        QCOMPARE(view->m_pageIndicator.Text().pages, QString("5-6 / 6"));
        Key(view, Qt::Key_PageUp);
        QCOMPARE(view->m_book.nPage, 4);

        // The magnifier over the wide page, and down past its edge to the next spread.
        Key(view, Qt::Key_Return);
        QCOMPARE(view->m_book.nZoom, 5);
        QCOMPARE(Halves(view), qMakePair(PageColour(4), PageColour(4)));
        Key(view, Qt::Key_Down);
        Key(view, Qt::Key_Down);
        QCOMPARE(view->m_book.nPage, 6);
        QCOMPARE(view->m_book.nZoom, 2);
        Key(view, Qt::Key_Up);
        QCOMPARE(view->m_book.nPage, 4);
        QCOMPARE(view->m_book.nZoom, 8);
        Key(view, Qt::Key_Return);

        // Skips land on a page and show the spread it pairs into.
        view->m_nSkipBack = 2;
        Key(view, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(view->m_book.nPage, 2);
        QCOMPARE(Halves(view), qMakePair(PageColour(2), PageColour(1)));
        Key(view, Qt::Key_End);
        QCOMPARE(Halves(view), qMakePair(PageColour(6), PageColour(5)));
        Key(view, Qt::Key_PageUp);
        Key(view, Qt::Key_S, Qt::ControlModifier);
        StoredSettings().sync();
        const QString stored = StoredSettings().value("Settings/Resume0").toString();
        QVERIFY2(
            stored.startsWith("258|4|6|3|0|") && stored.endsWith("/p4.png"), qPrintable(stored));

        // Opened again from its entry, it shows the wide page alone at once.
        Key(&view->m_listFolder, Qt::Key_O, Qt::ControlModifier);
        Key(&view->m_listResume, Qt::Key_Return);
        QVERIFY(view->m_bContent);
        QCOMPARE(view->m_book.nPage, 4);
        // Should the shapes come late, the spread moves to the wide page once they do.
        QTRY_COMPARE(Halves(view), qMakePair(PageColour(4), PageColour(4)));
        Key(view, Qt::Key_Escape);
        QVERIFY(view->m_imageBook.m_pageShapes.isEmpty());
        QVERIFY(m_prompts.isEmpty());
    }
};

LUMIVO_TEST_MAIN(TestComics)
#include "tst_comics.moc"
