#include "InputSupport.h"
#include "TestSupport.h"
#include "ViewerFixture.h"

#include "browser/InqResumeDeleteDlg.h"
#include "platform/Prompt.h"
#include "view/CommandIds.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace
{
int RowOf(const CColorListCtrl& list, const QString& name)
{
    for (int i = 0; i < list.GetItemCount(); ++i) {
        if (list.GetItemText(i, 0) == name)
            return i;
    }
    return -1;
}

QStringList Rows(const CColorListCtrl& list)
{
    QStringList rows;
    for (int i = 0; i < list.GetItemCount(); ++i)
        rows << list.GetItemText(i, 0) + " " + list.GetItemText(i, 1);
    return rows;
}

QString Stored(int i)
{
    return StoredSettings().value(QString("Settings/Resume%1").arg(i)).toString();
}

} // namespace

class TestBrowse : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QString m_novels;
    QString m_other;
    QStringList m_prompts;
    QStringList m_dialogs; // class names of the dialogs run
    int m_dialogAnswer = QDialog::Rejected;
    int m_beeps = 0;
    std::function<int(QMenu&, const QPoint&)> m_onMenu;

    void StoreEntries(const QStringList& values)
    {
        for (int i = 0; i < values.size(); ++i)
            StoredSettings().setValue(QString("Settings/Resume%1").arg(i), values[i]);
        StoredSettings().sync();
    }

private slots:
    void initTestCase()
    {
        m_novels = env->path("books/Novels");
        m_other = env->path("books/Other");
        WriteFile(m_novels + "/x.pdf", 100);
        WriteFile(m_novels + "/y.pdf", 200);
        WriteFile(m_novels + "/Sub/z.pdf", 300);
        WriteFile(m_other + "/w.pdf", 400);
        Prompt::setBeeper([this] { ++m_beeps; });
    }

    void init()
    {
        ClearStoredSettings();
        m_prompts.clear();
        m_dialogs.clear();
        m_dialogAnswer = QDialog::Rejected;
        m_beeps = 0;
        m_onMenu = nullptr;
        Prompt::setResponder([this](const Prompt::Request& request) {
            if (request.menu)
                return m_onMenu ? m_onMenu(*request.menu, request.point) : 0;
            if (request.dialog) {
                m_dialogs << request.dialog->metaObject()->className();
                return m_dialogAnswer;
            }
            m_prompts << request.text;
            return int(Prompt::IDOK);
        });
    }

    void tabCarriesTheSelectionBothWays()
    {
        StoredSettings().setValue("Settings/CurrentFolder", m_other);
        StoreEntries({ "2|4|10|1|0|100|" + m_novels + "/x.pdf",
            "2|9|10|1|0|100|" + m_novels + "/x.pdf", "2|2|10|1|0|100|" + m_other + "/w.pdf" });
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(view->m_bResumeScreen);
        view->m_listResume.SelectItem(1);

        Key(&view->m_listResume, Qt::Key_Tab);
        QVERIFY(!view->m_bResumeScreen);
        QVERIFY(view->m_listFolder.isVisible());
        QCOMPARE(view->m_strCurrentFolder, m_novels);
        QCOMPARE(view->m_listFolder.GetSelectedIndex(), RowOf(view->m_listFolder, "x.pdf"));
        QCOMPARE(view->m_book.nPage, 9);

        // The Folder screen knows x.pdf by its first entry, page 4.
        Key(&view->m_listFolder, Qt::Key_Tab);
        QVERIFY(view->m_bResumeScreen);
        QCOMPARE(view->m_listResume.GetSelectedIndex(), 0);
        QCOMPARE(view->m_book.nPage, 4);

        // A folder entry carries nothing over.
        Key(&view->m_listResume, Qt::Key_Tab);
        view->m_listFolder.SelectItem(RowOf(view->m_listFolder, "Sub"));
        const BookRecord before = view->m_book;
        Key(&view->m_listFolder, Qt::Key_Tab);
        QVERIFY(view->m_bResumeScreen);
        QCOMPARE(view->m_book, before);
        QCOMPARE(view->m_listResume.GetSelectedIndex(), 0);

        // Held keys do not repeat the switch.
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(&view->m_listResume, &repeat);
        QVERIFY(view->m_bResumeScreen);
        Key(&view->m_listResume, Qt::Key_Tab, Qt::ShiftModifier);
        Key(&view->m_listResume, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(view->m_bResumeScreen);
    }

    void ctrlOKeepsTheFolderShownBefore()
    {
        StoredSettings().setValue("Settings/CurrentFolder", m_other);
        StoreEntries({ "2|4|10|1|0|100|" + m_novels + "/x.pdf" });
        Viewer v;
        CTalvexView* view = v.view;
        Key(&view->m_listResume, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(!view->m_bResumeScreen);
        QCOMPARE(view->m_strCurrentFolder, m_other);
        WaitForLists(view);
        QCOMPARE(Rows(view->m_listFolder), QStringList({ "w.pdf 400" }));
        Key(&view->m_listFolder, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(view->m_bResumeScreen);
        Key(&view->m_listResume, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(view->m_bResumeScreen);
    }

    void deletingOnTheResumeScreen()
    {
        StoreEntries({ "2|4|10|1|0|100|" + m_novels + "/x.pdf",
            "2|9|10|1|0|100|" + m_novels + "/x.pdf", "3|1|5|1|0|0|/gone/v.pdf" });
        Viewer v;
        CTalvexView* view = v.view;
        view->m_listResume.SelectItem(2);

        Key(&view->m_listResume, Qt::Key_Backspace);
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(view->m_resumeItems.size(), 3);

        m_dialogAnswer = QDialog::Accepted;
        Key(&view->m_listResume, Qt::Key_Backspace);
        QCOMPARE(m_dialogs.size(), 2);
        QCOMPARE(view->m_resumeItems.size(), 2);
        QCOMPARE(view->m_listResume.GetItemCount(), 2);
        QCOMPARE(view->m_listResume.GetSelectedIndex(), 0);
        // On disk at once, not only at exit.
        StoredSettings().sync();
        QCOMPARE(Stored(1), "2|9|10|1|0|100|" + m_novels + "/x.pdf");
        QCOMPARE(Stored(2), QString());

        Key(&view->m_listResume, Qt::Key_Backspace, Qt::ShiftModifier);
        QCOMPARE(m_dialogs.size(), 2);
    }

    void theDeleteDialog()
    {
        CInqResumeDeleteDlg dlg;
        QCOMPARE(dlg.windowTitle(), QString("Resume Delete"));
        QCOMPARE(dlg.yesButton()->text(), QString("はい(&Y)"));
        QCOMPARE(dlg.noButton()->text(), QString("いいえ(&N)"));
        QVERIFY(dlg.yesButton()->isDefault());
        QCOMPARE(dlg.findChild<QLabel*>()->text(), QString("Resume登録を削除しますか？"));
        QVERIFY(dlg.font().bold());
        // Both buttons large and side by side, filling the dialog's width.
        QCOMPARE(dlg.yesButton()->size(), dlg.noButton()->size());
        QVERIFY(dlg.yesButton()->height() * 2 > dlg.height() * 9 / 10);
        QVERIFY(dlg.yesButton()->width() * 2 > dlg.width() * 9 / 10);
        dlg.yesButton()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        // The underlined letters answer without Alt, as in the Windows dialog.
        for (const auto& [key, answer] :
            { std::pair { Qt::Key_N, QDialog::Rejected }, { Qt::Key_Y, QDialog::Accepted } }) {
            CInqResumeDeleteDlg asked;
            asked.setResult(-1);
            QTest::keyClick(&asked, key);
            QCOMPARE(asked.result(), int(answer));
        }
    }

    void deletingOnTheFolderScreenTakesEveryPage()
    {
        StoredSettings().setValue("Settings/CurrentFolder", m_novels);
        StoreEntries({ "2|4|10|1|0|100|" + m_novels + "/x.pdf",
            "2|2|10|1|0|100|" + m_other + "/w.pdf", "2|9|10|1|0|100|" + m_novels + "/X.PDF" });
        Viewer v;
        CTalvexView* view = v.view;
        Key(&view->m_listResume, Qt::Key_Tab);
        m_dialogAnswer = QDialog::Accepted;

        // A folder and a file without entries ask nothing.
        view->m_listFolder.SelectItem(RowOf(view->m_listFolder, "Sub"));
        Key(&view->m_listFolder, Qt::Key_Backspace);
        view->m_listFolder.SelectItem(RowOf(view->m_listFolder, "y.pdf"));
        Key(&view->m_listFolder, Qt::Key_Backspace);
        QCOMPARE(m_dialogs.size(), 0);

        view->m_listFolder.SelectItem(RowOf(view->m_listFolder, "x.pdf"));
        Key(&view->m_listFolder, Qt::Key_Backspace);
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(view->m_resumeItems.size(), 1);
        QCOMPARE(view->m_resumeItems[0].strPath, m_other + "/w.pdf");
        QVERIFY(!view->m_bResumeScreen);
        QCOMPARE(view->m_listFolder.GetSelectedIndex(), 0);
        StoredSettings().sync();
        QCOMPARE(Stored(0), "2|2|10|1|0|100|" + m_other + "/w.pdf");
        QCOMPARE(Stored(1), QString());
    }

    void openingMissingEntriesOnlyBeeps()
    {
        WriteFile(env->path("vanish/v.pdf"), 10);
        StoreEntries({ "3|1|5|1|0|0|/gone/u.pdf", "2|1|5|1|0|0|" + env->path("vanish/v.pdf") });
        Viewer v;
        CTalvexView* view = v.view;
        QCOMPARE(view->m_listResume.GetItemIcon(0), 4);
        QCOMPARE(view->m_listResume.GetItemIcon(1), 3);
        Key(&view->m_listResume, Qt::Key_Return);
        QCOMPARE(m_beeps, 1);

        QFile::remove(env->path("vanish/v.pdf"));
        view->m_listResume.SelectItem(1);
        Key(&view->m_listResume, Qt::Key_Return);
        QCOMPARE(m_beeps, 2);
        QCOMPARE(view->m_listResume.GetItemIcon(1), 4);
        QCOMPARE(view->m_listResume.GetSelectedIndex(), 0);
        QVERIFY(view->m_bResumeScreen);
        QVERIFY(!view->m_bContent);
    }

    void walkingUpAndDownTheFolders()
    {
        StoredSettings().setValue("Settings/CurrentFolder", m_novels + "/Sub");
        Viewer v;
        CTalvexView* view = v.view;
        CColorListCtrl& list = view->m_listFolder;

        Key(&list, Qt::Key_Left);
        QCOMPARE(view->m_strCurrentFolder, m_novels);
        QCOMPARE(list.GetSelectedIndex(), RowOf(list, "Sub"));
        Key(&list, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(view->m_strCurrentFolder, m_novels);

        // Into a folder: its first entry is selected. A double click does the same.
        Key(&list, Qt::Key_Return);
        QCOMPARE(view->m_strCurrentFolder, m_novels + "/Sub");
        QCOMPARE(list.GetSelectedIndex(), 0);
        Key(&list, Qt::Key_Left);
        emit list.itemDoubleClicked();
        QCOMPARE(view->m_strCurrentFolder, m_novels + "/Sub");

        // Esc goes to the drive list with the drive of the folder selected.
        Key(&list, Qt::Key_Escape);
        QCOMPARE(view->m_strCurrentFolder, QString());
        QCOMPARE(list.GetItemText(list.GetSelectedIndex(), 0), QString("システム (/)"));
        Key(&list, Qt::Key_Left);
        Key(&list, Qt::Key_Escape);
        QCOMPARE(view->m_strCurrentFolder, QString());

        // Enter on "/" shows the root; Left from it comes back with "/" selected.
        list.SelectItem(0);
        Key(&list, Qt::Key_Return);
        QCOMPARE(view->m_strCurrentFolder, QString("/"));
        QCOMPARE(list.GetSelectedIndex(), 0);
        list.SelectItem(RowOf(list, "tmp"));
        Key(&list, Qt::Key_Return);
        QCOMPARE(view->m_strCurrentFolder, QString("/tmp"));
        Key(&list, Qt::Key_Left);
        QCOMPARE(view->m_strCurrentFolder, QString("/"));
        QCOMPARE(list.GetSelectedIndex(), RowOf(list, "tmp"));
        Key(&list, Qt::Key_Left);
        QCOMPARE(view->m_strCurrentFolder, QString());
        QCOMPARE(list.GetSelectedIndex(), 0);
    }

    void resumeScreenIgnoresFolderMoves()
    {
        StoredSettings().setValue("Settings/CurrentFolder", m_novels);
        StoreEntries({ "2|4|10|1|0|100|" + m_novels + "/x.pdf" });
        Viewer v;
        CTalvexView* view = v.view;
        Key(&view->m_listResume, Qt::Key_Left);
        Key(&view->m_listResume, Qt::Key_Escape);
        view->OnCommand(ID_FOLDER_UP);
        QVERIFY(view->m_bResumeScreen);
        QCOMPARE(view->m_strCurrentFolder, m_novels);
    }

    void fileThatVanishedIsDroppedQuietly()
    {
        WriteFile(env->path("brief/a.pdf"), 10);
        WriteFile(env->path("brief/b.pdf"), 10);
        StoredSettings().setValue("Settings/CurrentFolder", env->path("brief"));
        Viewer v;
        CColorListCtrl& list = v.view->m_listFolder;
        list.SelectItem(1);
        QFile::remove(env->path("brief/b.pdf"));
        Key(&list, Qt::Key_Return);
        WaitForLists(v.view);
        QCOMPARE(Rows(list), QStringList({ "a.pdf 10" }));
        QCOMPARE(m_beeps, 0);
    }

    void fullScreenKeys()
    {
        Viewer v;
        CTalvexView* view = v.view;
        QWidget* list = &view->m_listFolder;
        Key(list, Qt::Key_Return, Qt::AltModifier);
        QVERIFY(v.frame.m_bFullScreen);
        QVERIFY(view->m_bUserFullScreen);
        Key(list, Qt::Key_3, Qt::ControlModifier);
        QVERIFY(v.frame.m_bFullScreen);
        Key(list, Qt::Key_Return, Qt::AltModifier);
        QVERIFY(v.frame.m_bFullScreen);
        QVERIFY(!view->m_bUserFullScreen);
        Key(list, Qt::Key_3, Qt::ControlModifier);
        QVERIFY(!v.frame.m_bFullScreen);

        Key(list, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(v.frame.m_bFullScreen);
        QVERIFY(view->m_bUserFullScreen);
        Key(list, Qt::Key_3, Qt::ControlModifier);
        QVERIFY(v.frame.m_bFullScreen);
        Key(list, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(!v.frame.m_bFullScreen);
        QVERIFY(!view->m_bUserFullScreen);
    }

    void startingFullScreenLetsCtrl3Leave()
    {
        StoredSettings().setValue("Settings/FullScreen", 1);
        StoredSettings().sync();
        Viewer v;
        QVERIFY(v.frame.LoadFrameSettings());
        QVERIFY(v.frame.m_bFullScreen);
        Key(&v.view->m_listFolder, Qt::Key_3, Qt::ControlModifier);
        QVERIFY(!v.frame.m_bFullScreen);
    }

    void menuFromTheKeyboard()
    {
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(QTest::qWaitForWindowExposed(&v.frame));
        bool openWhileTracked = false;
        QPoint shownAt;
        QStringList disabled;
        m_onMenu = [&](QMenu& menu, const QPoint& at) {
            openWhileTracked = view->m_bMenuOpen;
            shownAt = at;
            for (int id : { ID_FOLDER_UP, ID_FOLDER_TOP, ID_OPEN_ITEM, ID_FOLDER_EXPAND })
                if (!FindAction(menu, id)->isEnabled())
                    disabled << QString::number(id);
            return int(ID_SWITCH_SCREEN_RESET);
        };
        QContextMenuEvent fromKeys(QContextMenuEvent::Keyboard, QPoint(3, 3),
            view->m_listFolder.mapToGlobal(QPoint(3, 3)));
        QCoreApplication::sendEvent(&view->m_listFolder, &fromKeys);
        QVERIFY(openWhileTracked);
        QVERIFY(!view->m_bMenuOpen);
        QCOMPARE(shownAt, view->mapToGlobal(QPoint(50, 50)));
        // At the drive list nothing is above; a drive can be expanded, not opened.
        QCOMPARE(disabled,
            QStringList({ QString::number(ID_FOLDER_UP), QString::number(ID_FOLDER_TOP),
                QString::number(ID_OPEN_ITEM) }));
        QVERIFY(view->m_bResumeScreen);

        m_onMenu = [&](QMenu& menu, const QPoint& at) {
            shownAt = at;
            return FindAction(menu, ID_FOLDER_UP) ? 0 : int(ID_SWITCH_SCREEN_RESET);
        };
        Key(&view->m_listResume, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(shownAt, view->mapToGlobal(QPoint(50, 50)));
        QVERIFY(!view->m_bResumeScreen);

        m_onMenu = [&](QMenu&, const QPoint& at) {
            shownAt = at;
            return int(ID_APP_ABOUT);
        };
        QContextMenuEvent byMouse(
            QContextMenuEvent::Mouse, QPoint(200, 20), view->mapToGlobal(QPoint(200, 20)));
        QCoreApplication::sendEvent(view, &byMouse);
        QCOMPARE(shownAt, view->mapToGlobal(QPoint(200, 20)));
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_dialogs, QStringList({ "CAboutDlg" }));
    }

    void wheelPagesTheListWhereverItTurns_data()
    {
        QTest::addColumn<bool>("resume");
        QTest::addColumn<bool>("overList");
        QTest::newRow("folder, over the header") << false << false;
        QTest::newRow("folder, over the list") << false << true;
        QTest::newRow("resume, over the list") << true << true;
    }

    void wheelPagesTheListWhereverItTurns()
    {
        QFETCH(bool, resume);
        QFETCH(bool, overList);
        QStringList entries;
        for (int i = 0; i < 60; ++i) {
            const QString book = env->path(QString("many/%1.pdf").arg(i, 2, 10, QChar('0')));
            WriteFile(book, 10);
            if (resume)
                entries << "2|1|10|1|0|100|" + book;
        }
        StoreEntries(entries);
        StoredSettings().setValue("Settings/CurrentFolder", env->path("many"));
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(QTest::qWaitForWindowExposed(&v.frame));
        QCOMPARE(view->m_bResumeScreen, resume);
        CColorListCtrl& list = resume ? view->m_listResume : view->m_listFolder;
        QWidget* target = overList ? list.viewport() : static_cast<QWidget*>(view);
        const QPoint at = overList ? QPoint(100, 100) : QPoint(100, 20);
        QCOMPARE(list.GetSelectedIndex(), 0);
        // The selection moves with the rows, so Enter opens a row in sight.
        Wheel(target, at, 0, -120);
        QTRY_VERIFY(list.GetSelectedIndex() > 5);
        const int paged = list.GetSelectedIndex();
        QVERIFY(list.viewport()->rect().intersects(list.GetRowBounds(paged)));
        Wheel(target, at, 0, 120);
        QTRY_VERIFY(list.GetSelectedIndex() < paged);
        Wheel(target, at, 0, -120);
        QTRY_VERIFY(list.GetSelectedIndex() > 5);
        Key(&list, Qt::Key_Home);
        QCOMPARE(list.GetSelectedIndex(), 0);
        QVERIFY(list.viewport()->rect().intersects(list.GetRowBounds(0)));
    }

    void contentKeysChangeTheBookState()
    {
        Viewer v;
        CTalvexView* view = v.view;
        view->m_bContent = true;
        view->m_book.bImages = true;
        view->m_book.nLayout = LAYOUT_SPREAD_COVER;
        view->m_book.nBind = BIND_RIGHT;
        view->setFocus();

        Key(view, Qt::Key_Return);
        QCOMPARE(view->m_book.nZoom, 5);
        Key(view, Qt::Key_Return);
        QCOMPARE(view->m_book.nZoom, 0);
        Key(view, Qt::Key_1);
        QCOMPARE(view->m_book.nZoom, 7);
        Key(view, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(view->m_book.nZoom, 7);
        QTest::keyClick(view, Qt::Key_9, Qt::KeypadModifier);
        QCOMPARE(view->m_book.nZoom, 7);
        Key(view, Qt::Key_0);
        QCOMPARE(view->m_book.nZoom, 0);

        Key(view, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(view->m_book.nBind, int(BIND_LEFT));
        Key(view, Qt::Key_Tab);
        QCOMPARE(view->m_book.nLayout, int(LAYOUT_SPREAD_NOCOVER));
        Key(view, Qt::Key_Tab);
        QCOMPARE(view->m_book.nLayout, int(LAYOUT_SINGLE));
        Key(view, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(view->m_book.nBind, int(BIND_LEFT));

        // The click grid: centre zooms, top left cycles the layout.
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(view->width() / 2, view->height() / 2));
        QCOMPARE(view->m_book.nZoom, 5);
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(view->m_book.nLayout, int(LAYOUT_SPREAD_COVER));

        // A PDF's spreads take the binding as their reading direction; its binding field
        // stays as it was.
        view->m_book.bImages = false;
        view->OnCommand(ID_BIND_RIGHT);
        QVERIFY(view->m_book.bRightToLeft);
        view->OnCommand(ID_BIND_LEFT);
        QVERIFY(!view->m_book.bRightToLeft);
        Key(view, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(view->m_book.bRightToLeft);
        QCOMPARE(view->m_book.nBind, int(BIND_LEFT));
        // List commands do nothing while reading.
        view->OnCommand(ID_SWITCH_SCREEN_RESET);
        QVERIFY(!view->m_bResumeScreen);
    }

    void registrationReachesTheDiskAtOnce()
    {
        Viewer v;
        CTalvexView* view = v.view;
        for (int i = 0; i < 100; ++i) {
            BookRecord r;
            r.nType = TYPE_FILE;
            r.nPage = 1;
            r.strPath = QString("/b/%1.pdf").arg(i, 3, 10, QChar('0'));
            view->m_resumeItems.append(r);
        }
        view->m_book = view->m_resumeItems[10];
        view->m_book.nPage = 2;
        view->RegisterResume(2);
        QCOMPARE(m_prompts, QStringList({ "登録最大数を超えるため、登録できません。" }));
        QCOMPARE(view->m_resumeItems.size(), 100);

        view->m_strOpenedPath = "/b/010.pdf";
        view->m_nOpenedPage = 1;
        view->RegisterResume(1);
        QCOMPARE(m_prompts.size(), 1);
        StoredSettings().sync();
        QCOMPARE(Stored(10), QString("2|2|-1|0|0|0|/b/010.pdf"));
        QCOMPARE(Stored(99), QString("2|1|-1|0|0|0|/b/099.pdf"));
    }

    void filterReachesTheDiskAtOnce()
    {
        StoreEntries({ "258|1|5|2|0|9|/p/a/1.jpg", "2|1|5|2|0|9|/p/b.pdf" });
        Viewer v;
        v.view->m_nPicExt = PICEXT_PNG;
        v.view->FilterResumeByPicExt();
        StoredSettings().sync();
        QCOMPARE(Stored(0), QString("3|1|5|2|0|9|/p/b.pdf"));
        QCOMPARE(Stored(1), QString());
    }

    void exitClosesTheFrame()
    {
        Viewer v;
        QVERIFY(QTest::qWaitForWindowExposed(&v.frame));
        Key(&v.view->m_listFolder, Qt::Key_F4, Qt::AltModifier);
        QTRY_VERIFY(!v.frame.isVisible());
    }
};

LUMIVO_TEST_MAIN(TestBrowse)
#include "tst_browse.moc"
