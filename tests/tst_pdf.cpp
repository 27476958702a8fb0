#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "pdf/InqNumPagesDlg.h"
#include "pdf/InqPasswordDlg.h"
#include "pdf/TempCopy.h"
#include "platform/LeftRunning.h"
#include "platform/Prompt.h"
#include "platform/SpinButton.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>

namespace
{
// A PDF poppler reads whose page tree holds no page.
QByteArray PagelessPdf()
{
    return PdfFromObjects(
        { "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>" });
}

QString Stored(int i)
{
    return StoredSettings().value(QString("Settings/Resume%1").arg(i)).toString();
}

bool CursorHidden()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::BlankCursor;
}
} // namespace

class TestPdf : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_dir;
    QStringList m_prompts;
    QStringList m_calls;
    int m_beeps = 0;
    std::function<int(QDialog&)> m_onDialog;

    void Follow(Viewer& v)
    {
        QObject::connect(&v.view->m_wndPdf, &CAcroAXDocShim::dispatched,
            [this](const QString& method, const QVariant& argument) {
                m_calls << method + "(" + argument.toString() + ")";
            });
    }

private slots:
    void initTestCase()
    {
        m_dir = env->path("shelf");
        WritePdf(m_dir + "/ten.pdf", 10);
        WritePdf(m_dir + "/one.pdf", 1);
        WritePdf(m_dir + "/two.pdf", 2);
        WritePdf(m_dir + "/mixed.pdf", 2, { { 595, 842 }, { 842, 595 } });
        WriteFile(m_dir + "/empty.pdf");
        QFile text(m_dir + "/notes.pdf");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("These are notes, not a PDF.\n");
        text.close();
        QFile damaged(m_dir + "/damaged.pdf");
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 9 0 R >>\nxref garbage\n");
        damaged.close();
        WriteLockedPdf(m_dir + "/locked.pdf", "s3cret-pw");
        WriteLockedPdf(m_dir + "/latin.pdf", "caf\xe9");
        QVERIFY(WriteBytes(m_dir + "/pageless.pdf", PagelessPdf()));
        QVERIFY(WriteBytes(m_dir + "/treeless.pdf", PdfFromObjects({ "<< /Type /Catalog >>" })));
        Prompt::setBeeper([this] { ++m_beeps; });
    }

    void init()
    {
        PdfRenderer::setRenderHook(nullptr);
        StartInFolder(m_dir);
        m_prompts.clear();
        m_calls.clear();
        m_beeps = 0;
        m_onDialog = nullptr;
        CAcroAXDocShim::setPathFilter(nullptr);
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.dialog)
                return m_onDialog ? m_onDialog(*request.dialog) : int(QDialog::Rejected);
            if (request.menu)
                return 0;
            m_prompts << request.text;
            return int(Prompt::IDOK);
        });
    }

    void openingCallsTheControlInOrder()
    {
        Viewer v;
        Follow(v);
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        CTalvexView* view = v.view;
        QCOMPARE(m_calls,
            QStringList({ "LoadFile(" + m_dir + "/ten.pdf)", "setCurrentPage(1)",
                "setLayoutMode(TwoColumnRight)", "setView(Fit)" }));
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
        QCOMPARE(m_calls, QStringList({ "setLayoutMode(TwoColumnLeft)", "setView(Fit)" }));
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

        // Ctrl+S adds the position, on disk at once.
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
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
        // On a 4K screen an enlarged spread is too large to keep whole: the region a
        // step down shows, and from the bottom row the next page's top, come ahead.
        StoredSettings().setValue("Settings/Layout", 1);
        StoredSettings().sync();
        Viewer v;
        v.frame.setGeometry(0, 0, 3840, 2160);
        CTalvexView* view = v.view;
        QTRY_COMPARE(view->size(), QSize(3840, 2160));
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        // Each time: the region in sight, the one a step down shows, and the same
        // region of the next page.
        Key(view, Qt::Key_8);
        QTRY_COMPARE_WITH_TIMEOUT(view->m_wndPdf.RenderedSpreadCount(), 3, 10000);
        Key(view, Qt::Key_Down);
        QVERIFY(view->m_wndPdf.IsShowingRendered());
        Key(view, Qt::Key_2);
        QTRY_COMPARE_WITH_TIMEOUT(view->m_wndPdf.RenderedSpreadCount(), 3, 10000);
        Key(view, Qt::Key_Down);
        QCOMPARE(view->m_book.nPage, 2);
        QVERIFY(view->m_wndPdf.IsShowingRendered());
    }

    void pageCountDialogRoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("no page in the tree") << "pageless.pdf";
        QTest::newRow("no page tree") << "treeless.pdf";
    }
    void pageCountDialogRoad()
    {
        QFETCH(QString, name);
        Viewer v;
        QString field;
        m_onDialog = [&field](QDialog& dialog) {
            auto* ask = qobject_cast<CInqNumPagesDlg*>(&dialog);
            if (!ask)
                return int(QDialog::Rejected);
            field = ask->edit()->text();
            return int(QDialog::Rejected);
        };
        QVERIFY(!OpenFromFolder(v, name));
        QCOMPARE(field, QString("1"));
        QVERIFY(m_prompts.isEmpty());
        QCOMPARE(m_beeps, 1);

        m_onDialog = [](QDialog& dialog) {
            auto* ask = qobject_cast<CInqNumPagesDlg*>(&dialog);
            ask->edit()->setText("250");
            ask->okButton()->click();
            return dialog.result();
        };
        QVERIFY(!OpenFromFolder(v, name));
        QCOMPARE(m_prompts, QStringList({ "ファイルを開けません。" }));
        QCOMPARE(m_beeps, 2);
        QVERIFY(v.view->m_listFolder.isVisible());
        QCOMPARE(v.frame.windowTitle(), QString("Lumivo"));
        StoredSettings().sync();
        QCOMPARE(Stored(0), QString());
    }

    void unreadableFilesAreRefusedAtOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("zero bytes") << "empty.pdf";
        QTest::newRow("text named .pdf") << "notes.pdf";
        QTest::newRow("damaged") << "damaged.pdf";
    }
    void unreadableFilesAreRefusedAtOnce()
    {
        QFETCH(QString, name);
        Viewer v;
        int asked = 0;
        m_onDialog = [&asked](QDialog&) {
            ++asked;
            return int(QDialog::Accepted);
        };
        QVERIFY(!OpenFromFolder(v, name));
        QCOMPARE(asked, 0);
        QCOMPARE(m_prompts, QStringList({ "ファイルを開けません。" }));
        QCOMPARE(m_beeps, 1);
        QVERIFY(v.view->m_listFolder.isVisible());
    }

    void passwordProtected_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("answers"); // typed, or "" for Cancel
        QTest::addColumn<QStringList>("prompts");
        const QString wrong = "パスワードが違います。";
        QTest::newRow("right") << "locked.pdf" << QStringList { "s3cret-pw" } << QStringList {};
        QTest::newRow("owner's") << "locked.pdf" << QStringList { "owner" } << QStringList {};
        QTest::newRow("wrong, then right")
            << "locked.pdf" << QStringList { "secret", " ", "s3cret-pw" }
            << QStringList { wrong, wrong };
        QTest::newRow("cancel") << "locked.pdf" << QStringList { "" } << QStringList {};
        QTest::newRow("wrong, then cancel")
            << "locked.pdf" << QStringList { "S3CRET-PW", "" } << QStringList { wrong };
        QTest::newRow("older file, Latin-1 bytes")
            << "latin.pdf" << QStringList { "café" } << QStringList {};
    }
    void passwordProtected()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, prompts);
        const bool opens = !answers.last().isEmpty();
        Viewer v;
        CTalvexView* view = v.view;
        QStringList left;
        m_onDialog = [&left](QDialog& dialog) {
            auto* ask = qobject_cast<CInqPasswordDlg*>(&dialog);
            if (!ask || left.isEmpty() || ask->windowTitle() != "パスワード"
                || ask->edit()->echoMode() != QLineEdit::Password)
                return int(QDialog::Rejected);
            const QString typed = left.takeFirst();
            if (typed.isEmpty()) {
                ask->cancelButton()->click();
            } else {
                ask->edit()->setText(typed);
                ask->okButton()->click();
            }
            return dialog.result();
        };
        left = answers;
        QCOMPARE(OpenFromFolder(v, name), opens);
        QVERIFY(left.isEmpty());
        QCOMPARE(m_prompts, prompts);
        QCOMPARE(m_beeps, opens ? 0 : 1);
        if (!opens) {
            QVERIFY(v.view->m_listFolder.isVisible());
            return;
        }
        // The control and its render worker open the document with it too.
        QCOMPARE(view->m_book.nPageCount, 1);
        QTRY_VERIFY(view->m_wndPdf.IsShowingRendered());
        const QImage shot = view->m_wndPdf.grab().toImage();
        QCOMPARE(shot.pixelColor(shot.rect().center()), QColor(Qt::blue));

        // Kept nowhere: reopened from its entry, with its count stored, it asks again.
        Key(view, Qt::Key_S, Qt::ControlModifier);
        StoredSettings().sync();
        QFile stored(StoredSettings().fileName());
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray bytes = stored.readAll();
        QVERIFY(bytes.contains(name.toUtf8()));
        QVERIFY(!bytes.contains(answers.last().toUtf8()));
        QVERIFY(!bytes.contains(answers.last().toLatin1()));
        left = QStringList { answers.last() };
        Key(&view->m_listFolder, Qt::Key_Tab);
        QVERIFY(view->m_bResumeScreen);
        Key(&view->m_listResume, Qt::Key_Return);
        QVERIFY(left.isEmpty());
        QVERIFY(view->m_bContent);
    }

    void theDocumentsOwnCountWins()
    {
        // Asked of the reader while the file had no pages yet, then finished meanwhile.
        const QString path = m_dir + "/growing.pdf";
        QVERIFY(WriteBytes(path, PagelessPdf()));
        Viewer v;
        bool asked = false;
        m_onDialog = [&path, &asked](QDialog& dialog) {
            WritePdf(path, 3);
            auto* ask = qobject_cast<CInqNumPagesDlg*>(&dialog);
            ask->edit()->setText("250");
            ask->okButton()->click();
            asked = true;
            return dialog.result();
        };
        QVERIFY(OpenFromFolder(v, "growing.pdf"));
        QVERIFY(asked);
        QCOMPARE(v.view->m_book.nPageCount, 3);
        Key(v.view, Qt::Key_Escape);
        QFile::remove(path);

        // A stored count too large, and a page past the end, for a book of ten pages.
        const QString size = QString::number(QFileInfo(m_dir + "/ten.pdf").size());
        StoredSettings().setValue(
            "Settings/Resume0", "2|2147483647|500|1|0|" + size + "|" + m_dir + "/ten.pdf");
        StoredSettings().sync();
        Viewer stored;
        QVERIFY(stored.view->m_bResumeScreen);
        QCOMPARE(stored.view->m_resumeItems[0].nPage, 1000000);
        Key(&stored.view->m_listResume, Qt::Key_Return);
        QCOMPARE(stored.view->m_book.nPageCount, 10);
        QCOMPARE(stored.view->m_book.nPage, 10);
        Key(stored.view, Qt::Key_T, Qt::ControlModifier);
        Key(stored.view, Qt::Key_S, Qt::ControlModifier);
        StoredSettings().sync();
        QVERIFY(Stored(0).startsWith("2|10|10|1|"));
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

    void pageCountValidation()
    {
        CInqNumPagesDlg dlg;
        QCOMPARE(dlg.windowTitle(), QString("ページ数"));
        QCOMPARE(dlg.edit()->text(), QString("1"));
        for (const QString& bad : { QString("0"), QString("1000001"), QString() }) {
            dlg.edit()->setText(bad);
            dlg.okButton()->click();
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            QCOMPARE(dlg.m_nPages, 1);
        }
        QCOMPARE(m_prompts.size(), 3);
        QCOMPARE(m_prompts[0], QString("1 から 1000000 までの整数を入力してください。"));
        dlg.edit()->setText("12");
        dlg.edit()->end(false);
        QTest::keyClicks(dlg.edit(), "x-3");
        QCOMPARE(dlg.edit()->text(), QString("123"));
        dlg.edit()->setText("999999");
        dlg.m_spinPages->Step(5);
        QCOMPARE(dlg.edit()->text(), QString("1000000"));
        QTest::keyClick(dlg.edit(), Qt::Key_Down);
        QCOMPARE(dlg.edit()->text(), QString("999999"));
        dlg.okButton()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_nPages, 999999);
        QCOMPARE(dlg.m_spinPages->width(), dlg.cancelButton()->width() * 3 / 4);
    }

    void temporaryCopyFallback()
    {
        const QString temp = QDir::tempPath();
        CAcroAXDocShim::setPathFilter(
            [&temp](const QString& path) { return path.startsWith(temp + "/"); });
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        const QString first = view->m_strTempFile;
        QCOMPARE(QFileInfo(first).absolutePath(), temp);
        QVERIFY(QFileInfo(first).fileName().startsWith("Lu"));
        QVERIFY(first.endsWith(".tmp"));
        QCOMPARE(QFileInfo(first).size(), QFileInfo(m_dir + "/ten.pdf").size());
        QCOMPARE(view->m_book.strPath, m_dir + "/ten.pdf");
        QCOMPARE(v.frame.windowTitle(), QString("ten.pdf - Lumivo"));

        Key(view, Qt::Key_Escape);
        QVERIFY(QFile::exists(first));
        QVERIFY(OpenFromFolder(v, "two.pdf"));
        QVERIFY(!QFile::exists(first));
        const QString second = view->m_strTempFile;
        QVERIFY(QFile::exists(second));
        Key(view, Qt::Key_Escape);
        view->SaveViewState();
        QVERIFY(!QFile::exists(second));
        QVERIFY(view->m_strTempFile.isEmpty());

        CAcroAXDocShim::setPathFilter([](const QString&) { return false; });
        QVERIFY(!OpenFromFolder(v, "ten.pdf"));
        QCOMPARE(m_prompts, QStringList({ "ファイルを開けません。" }));

        // A file that does not start as a PDF is not worth a copy, however large.
        const QStringList before = QDir(temp).entryList({ "Lu*.tmp" });
        CAcroAXDocShim::setPathFilter(nullptr);
        QVERIFY(WriteBytes(m_dir + "/zeros.pdf", QByteArray(4 << 20, '\0')));
        view->FillFolderList(QString());
        QVERIFY(!OpenFromFolder(v, "zeros.pdf"));
        QCOMPARE(QDir(temp).entryList({ "Lu*.tmp" }), before);
        QFile::remove(m_dir + "/zeros.pdf");

        // Copies left behind by a killed program go at the next start; others stay.
        QVERIFY(WriteBytes(temp + "/LuAb12Cd.tmp", "%PDF-1.4"));
        QVERIFY(WriteBytes(temp + "/Lunch.tmp", "not ours"));
        TempCopy::RemoveStale();
        QVERIFY(!QFile::exists(temp + "/LuAb12Cd.tmp"));
        QVERIFY(QFile::exists(temp + "/Lunch.tmp"));
        QFile::remove(temp + "/Lunch.tmp");
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
