#include "ArchiveSupport.h"
#include "ImageSupport.h"
#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "app/SettingDlg.h"
#include "platform/Prompt.h"
#include "view/CommandIds.h"
#include "view/IndicatorRules.h"

#include <QComboBox>
#include <QSemaphore>

#include <atomic>

namespace
{
// A key as written in the tables below: "PgDown", "Ctrl+O", "7".
void Press(QWidget* target, const QString& key)
{
    const QKeyCombination combination = QKeySequence::fromString(key)[0];
    QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
}

// What the indicator says once the pages a turn waits for are on the screen.
QString Said(CTalvexView* view)
{
    if (!QTest::qWaitFor([view] { return !view->m_inputGate.IsShut(); }, 10000))
        return "still waiting";
    if (!QTest::qWaitFor([view] { return view->m_pageIndicator.isVisible(); }, 10000))
        return "hidden";
    const IndicatorRules::Text& text = view->m_pageIndicator.Text();
    return text.pages + "|" + text.mode;
}

int Lightness(const QImage& image, const QPoint& at)
{
    return image.pixelColor(at).lightness();
}
} // namespace

class TestIndicator : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_shelf;
    std::function<int(QDialog&)> m_onDialog;

private slots:
    void initTestCase()
    {
        m_shelf = env->path("shelf");
        WritePdf(m_shelf + "/ten.pdf", 10);
        for (int i = 1; i <= 5; ++i)
            QVERIFY(WritePicture(
                m_shelf + QString("/colours/p%1.png").arg(i), { 800, 1200 }, PageColour(i)));
        for (int i = 1; i <= 8; ++i)
            QVERIFY(WritePicture(
                m_shelf + QString("/slow/p%1.png").arg(i), { 800, 1200 }, PageColour(i)));
    }

    void init()
    {
        ClearStoredSettings();
        ImageEngine::setDecodeHook(nullptr);
        m_onDialog = nullptr;
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.dialog)
                return m_onDialog ? m_onDialog(*request.dialog) : int(QDialog::Rejected);
            return int(Prompt::IDOK);
        });
    }

    void composedText_data()
    {
        QTest::addColumn<bool>("images");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("bind");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QString>("pages");
        QTest::addColumn<QString>("mode");
        const auto row = [](const char* name, bool images, int page, int count, int layout,
                             int bind, int zoom, const char* pages, const char* mode) {
            QTest::newRow(name) << images << page << count << layout << bind << zoom
                                << QString(pages) << QString::fromUtf8(mode);
        };
        row("pdf single", false, 12, 397, 1, 0, 0, "12 / 397", "単一ページ");
        row("pdf cover alone", false, 1, 397, 2, 1, 0, "1 / 397", "表紙あり見開き・左綴じ");
        row("pdf cover spread", false, 13, 397, 2, 1, 0, "12-13 / 397", "表紙あり見開き・左綴じ");
        row("pdf cover, even count ends alone", false, 10, 10, 2, 1, 0, "10 / 10",
            "表紙あり見開き・左綴じ");
        row("pdf cover, odd count ends in a pair", false, 9, 9, 2, 1, 0, "8-9 / 9",
            "表紙あり見開き・左綴じ");
        row("pdf plain first", false, 1, 397, 3, 1, 0, "1-2 / 397", "表紙なし見開き・左綴じ");
        row("pdf plain, odd count ends alone", false, 397, 397, 3, 1, 0, "397 / 397",
            "表紙なし見開き・左綴じ");
        row("pdf right to left", false, 4, 9, 3, 0, 0, "3-4 / 9", "表紙なし見開き・右綴じ");
        row("pdf cover alone, right to left", false, 1, 397, 2, 0, 0, "1 / 397",
            "表紙あり見開き・右綴じ");
        row("pdf magnified", false, 5, 9, 1, 0, 1, "5 / 9", "単一ページ・２倍 - 上段左");
        row("pdf magnified spread", false, 5, 9, 2, 0, 9, "4-5 / 9",
            "表紙あり見開き・右綴じ・２倍 - 下段右");
        row("images cover, right", true, 1, 25, 2, 0, 0, "1 / 25", "表紙あり見開き・右綴じ");
        row("images cover, left", true, 3, 25, 2, 1, 0, "2-3 / 25", "表紙あり見開き・左綴じ");
        row("images plain, odd count ends alone", true, 25, 25, 3, 0, 0, "25 / 25",
            "表紙なし見開き・右綴じ");
        row("images plain, left", true, 24, 25, 3, 1, 0, "23-24 / 25", "表紙なし見開き・左綴じ");
        row("images single has no binding", true, 7, 25, 1, 1, 0, "7 / 25", "単一ページ");
        row("images magnified", true, 6, 25, 3, 0, 7, "5-6 / 25",
            "表紙なし見開き・右綴じ・２倍 - 下段左");
        row("images middle region", true, 6, 25, 1, 0, 5, "6 / 25", "単一ページ・２倍 - 中段中");
        row("a damaged zoom names no region", false, 2, 9, 1, 0, 12, "2 / 9", "単一ページ");
    }
    void composedText()
    {
        QFETCH(bool, images);
        QFETCH(int, page);
        QFETCH(int, count);
        QFETCH(int, layout);
        QFETCH(int, bind);
        QFETCH(int, zoom);
        QFETCH(QString, pages);
        QFETCH(QString, mode);
        BookRecord book;
        book.bImages = images;
        book.strPath = images ? "/books/Manga Vol 1/p007.png" : "/books/小説 上巻.pdf";
        book.nPage = page;
        book.nPageCount = count;
        book.nLayout = layout;
        book.SetSpreadBinding(bind);
        book.nZoom = zoom;
        const IndicatorRules::Text later
            = IndicatorRules::Compose(book, false, SpreadPairing(book.nLayout, book.nPageCount));
        QCOMPARE(later, (IndicatorRules::Text { QString(), pages, mode }));
        // At opening the book is named: a PDF by its file, an image book by its folder,
        // an archive by its file.
        QCOMPARE(
            IndicatorRules::Compose(book, true, SpreadPairing(book.nLayout, book.nPageCount)).title,
            images ? QString("Manga Vol 1") : QString("小説 上巻.pdf"));
        book.strPath = "/books/Manga Vol 2.cbz";
        QCOMPARE(
            IndicatorRules::Compose(book, true, SpreadPairing(book.nLayout, book.nPageCount)).title,
            QString("Manga Vol 2.cbz"));
        // A book cut short says how far it reads, at opening only.
        QCOMPARE(
            IndicatorRules::Compose(book, true, SpreadPairing(book.nLayout, book.nPageCount), 1)
                .notice,
            QString("1 / %1 ページまで読めます").arg(count));
        QCOMPARE(
            IndicatorRules::Compose(book, true, SpreadPairing(book.nLayout, book.nPageCount), count)
                .notice,
            QString("%1 ページまで読めます").arg(count));
        QCOMPARE(
            IndicatorRules::Compose(book, false, SpreadPairing(book.nLayout, book.nPageCount), 1)
                .notice,
            QString());
    }

    void aBookCutShortSaysHowFarItReads()
    {
        // A download that stopped half way: the pages after the cut show grey.
        const QString dir = m_shelf + "/cut";
        QList<ArchiveMember> members;
        for (int i = 1; i <= 6; ++i) {
            QImage page(400, 600, QImage::Format_RGB32);
            page.fill(PageColour(i));
            QByteArray png;
            QBuffer buffer(&png);
            QVERIFY(buffer.open(QIODevice::WriteOnly) && page.save(&buffer, "PNG"));
            members.append({ QString("p%1.png").arg(i), png });
        }
        QVERIFY(WriteArchive(dir + "/whole.cbz", ArchiveFormat::Zip, members));
        QFile whole(dir + "/whole.cbz");
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QVERIFY(WriteBytes(dir + "/cut.cbz", whole.read(whole.size() * 6 / 10)));
        QFile::remove(dir + "/whole.cbz");
        StartInFolder(dir);
        Viewer v;
        CTalvexView* view = v.view;
        view->m_nLayoutImage = 1;
        QVERIFY(OpenFromFolder(v, "cut.cbz"));
        const int count = view->m_book.nPageCount;
        const int readable = view->m_imageBook.m_nReadablePages;
        QVERIFY(readable >= 1 && readable < count);
        QCOMPARE(view->m_pageIndicator.Text().notice,
            QString("%1 / %2 ページまで読めます").arg(readable).arg(count));
        Key(view, Qt::Key_End);
        QTRY_COMPARE(view->grab().toImage().pixelColor(view->rect().center()), QColor(96, 96, 96));
        QCOMPARE(view->m_pageIndicator.Text().notice, QString());
    }

    void followsTheReader_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("keys");
        // What it says at opening, then after each key.
        QTest::addColumn<QStringList>("said");
        QTest::newRow("pdf")
            << "ten.pdf"
            << "ten.pdf"
            << QStringList { "PgDown", "Ctrl+O", "End", "Tab", "Tab", "7", "Down", "Home", "0",
                   "Ctrl+K", "Ctrl+W" }
            << QStringList { "1 / 10|表紙あり見開き・左綴じ", "2-3 / 10|表紙あり見開き・左綴じ",
                   "2-3 / 10|表紙あり見開き・右綴じ", "10 / 10|表紙あり見開き・右綴じ",
                   "9-10 / 10|表紙なし見開き・右綴じ", "10 / 10|単一ページ",
                   "10 / 10|単一ページ・２倍 - 上段左", "10 / 10|単一ページ・２倍 - 中段左",
                   "1 / 10|単一ページ・２倍 - 中段左", "1 / 10|単一ページ",
                   "1 / 10|単一ページ・余白カット", "1 / 10|単一ページ・幅に合わせる・余白カット" };
        QTest::newRow("images") << "colours/p1.png"
                                << "colours"
                                << QStringList { "PgDown", "Ctrl+O", "End", "Tab", "Tab", "5",
                                       "Return", "PgUp", "Ctrl+K", "Ctrl+W" }
                                << QStringList { "1 / 5|表紙あり見開き・右綴じ",
                                       "2-3 / 5|表紙あり見開き・右綴じ",
                                       "2-3 / 5|表紙あり見開き・左綴じ",
                                       "4-5 / 5|表紙あり見開き・左綴じ",
                                       "5 / 5|表紙なし見開き・左綴じ", "5 / 5|単一ページ",
                                       "5 / 5|単一ページ・２倍 - 中段中", "5 / 5|単一ページ",
                                       "4 / 5|単一ページ", "4 / 5|単一ページ・余白カット",
                                       "4 / 5|単一ページ・幅に合わせる・余白カット" };
    }
    void followsTheReader()
    {
        QFETCH(QString, book);
        QFETCH(QString, title);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, said);
        StartInFolder(m_shelf + "/" + QFileInfo(book).path());
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(QTest::qWaitForWindowExposed(&v.frame));
        QVERIFY(OpenFromFolder(v, QFileInfo(book).fileName()));
        PageIndicator& indicator = view->m_pageIndicator;
        QCOMPARE(Said(view), said[0]);
        QCOMPARE(indicator.Text().title, title);

        // In the bottom-left corner, over the pages; clicks go through it to the cover.
        const QRect plate = indicator.geometry();
        QCOMPARE(plate.bottom(), view->height() - plate.left() - 1);
        QVERIFY(plate.left() < view->width() / 3);
        QCOMPARE(view->childAt(plate.center()), &view->m_dlgCover);
        // Beside the text, on the plate alone.
        const QPoint inside = plate.topLeft() + QPoint(plate.left() / 2, plate.height() / 2);
        const QImage over = view->grab().toImage();
        indicator.SetOpacity(0);
        QVERIFY(Lightness(over, inside) + 40 < Lightness(view->grab().toImage(), inside));

        for (qsizetype i = 0; i < keys.size(); ++i) {
            Press(view, keys[i]);
            QVERIFY2(Said(view) == said[i + 1],
                qPrintable(keys[i] + ": " + Said(view) + " instead of " + said[i + 1]));
            QCOMPARE(indicator.Text().title, QString());
        }
        // The keys still reach the view: the indicator never took the focus.
        QVERIFY(indicator.focusPolicy() == Qt::NoFocus && !indicator.hasFocus());
        Key(view, Qt::Key_Escape);
        QVERIFY(!view->m_bContent);
        QVERIFY(!indicator.isVisible());
    }

    void aWaitingTurnTellsOnceItsSpreadIsShown()
    {
        StartInFolder(m_shelf + "/slow");
        static QSemaphore release;
        static std::atomic<bool> hold { true };
        ImageEngine::setDecodeHook([](const QString& path, const auto&) {
            if (hold && path.endsWith("/p5.png"))
                release.acquire();
        });
        Viewer v;
        CTalvexView* view = v.view;
        view->m_nLayoutImage = 1;
        view->m_nSkipForward = 4;
        QVERIFY(OpenFromFolder(v, "p1.png"));
        QCOMPARE(Said(view), QString("1 / 8|単一ページ"));
        // Page 5 is not read ahead: page 1 stays in sight, and so does what is said of it.
        Key(view, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(view->m_book.nPage, 5);
        QVERIFY(view->m_inputGate.IsShut());
        QCOMPARE(view->m_pageIndicator.Text().pages, QString("1 / 8"));
        hold = false;
        release.release();
        QCOMPARE(Said(view), QString("5 / 8|単一ページ"));
        ImageEngine::setDecodeHook(nullptr);
    }

    void theSettingChoosesWhenItShows()
    {
        StartInFolder(m_shelf);
        const auto setInDialog = [this](int choice, bool ok) {
            m_onDialog = [choice, ok](QDialog& dialog) {
                auto& dlg = static_cast<CSettingDlg&>(dialog);
                dlg.m_cbPageIndicator->setCurrentIndex(choice);
                if (ok)
                    dlg.accept();
                else
                    dlg.reject();
                return dlg.result();
            };
        };
        const QStringList choices { "一時表示", "常に表示", "表示しない" };
        {
            Viewer v;
            CTalvexView* view = v.view;
            QStringList shown;
            m_onDialog = [&shown](QDialog& dialog) {
                auto& dlg = static_cast<CSettingDlg&>(dialog);
                for (int i = 0; i < dlg.m_cbPageIndicator->count(); ++i)
                    shown.append(dlg.m_cbPageIndicator->itemText(i));
                shown.append(dlg.m_cbPageIndicator->currentText());
                dlg.m_cbPageIndicator->setCurrentIndex(2);
                dlg.accept();
                return dlg.result();
            };
            view->OnCommand(ID_SETTINGS);
            QCOMPARE(shown, choices + QStringList { "一時表示" });
            QCOMPARE(view->m_nPageIndicator, int(IndicatorRules::SHOWN_NEVER));
            StoredSettings().sync();
            QCOMPARE(StoredSettings().value("Settings/PageIndicator").toInt(), 0);

            QVERIFY(OpenFromFolder(v, "ten.pdf"));
            Key(view, Qt::Key_PageDown);
            Key(view, Qt::Key_5);
            QCOMPARE(view->m_pageIndicator.Text(), IndicatorRules::Text {});
            // Asked for, it shows all the same, and the page stays.
            const BookRecord before = view->m_book;
            Key(view, Qt::Key_I, Qt::ControlModifier);
            QCOMPARE(Said(view), QString("2-3 / 10|表紙あり見開き・左綴じ・２倍 - 中段中"));
            QCOMPARE(view->m_book, before);
            QTRY_VERIFY_WITH_TIMEOUT(!view->m_pageIndicator.isVisible(), 5000);
            Key(view, Qt::Key_Escape);

            // Cancel keeps it off.
            setInDialog(1, false);
            view->OnCommand(ID_SETTINGS);
            QCOMPARE(view->m_nPageIndicator, int(IndicatorRules::SHOWN_NEVER));
        }
        {
            // The next start reads it, and OK chooses it always in sight.
            Viewer v;
            CTalvexView* view = v.view;
            QCOMPARE(view->m_nPageIndicator, int(IndicatorRules::SHOWN_NEVER));
            setInDialog(1, true);
            view->OnCommand(ID_SETTINGS);
            StoredSettings().sync();
            QCOMPARE(StoredSettings().value("Settings/PageIndicator").toInt(), 2);
            // Where Esc left it in the last start, magnified.
            QVERIFY(OpenFromFolder(v, "ten.pdf"));
            PageIndicator& indicator = view->m_pageIndicator;
            QCOMPARE(Said(view), QString("2-3 / 10|表紙あり見開き・左綴じ・２倍 - 中段中"));
            const QSize whole = indicator.size();
            // After its moment the pages line stays, on a smaller plate.
            QTRY_VERIFY_WITH_TIMEOUT(indicator.IsSettled(), 5000);
            QVERIFY(indicator.isVisible());
            QVERIFY(indicator.height() < whole.height());
            QTest::qWait(600);
            QVERIFY(indicator.isVisible() && indicator.Opacity() == 1);
            Key(view, Qt::Key_PageDown);
            QCOMPARE(Said(view), QString("4-5 / 10|表紙あり見開き・左綴じ・２倍 - 中段中"));
            QVERIFY(!indicator.IsSettled());
            QTRY_VERIFY_WITH_TIMEOUT(indicator.IsSettled(), 5000);
            Key(view, Qt::Key_Escape);
            QVERIFY(!indicator.isVisible());
        }
    }
};

LUMIVO_TEST_MAIN(TestIndicator)
#include "tst_indicator.moc"
