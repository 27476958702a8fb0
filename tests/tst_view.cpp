#include "TestSupport.h"
#include "ViewerFixture.h"

#include "app/AboutDlg.h"
#include "browser/ListColours.h"
#include "pdf/InqNumPagesDlg.h"
#include "pdf/InqPasswordDlg.h"
#include "platform/CursorCounter.h"
#include "platform/DialogUnits.h"
#include "platform/Prompt.h"
#include "platform/QtJapanese.h"
#include "platform/VirtualKeys.h"
#include "platform/WaitCursor.h"
#include "platform/X11Keyboard.h"
#include "view/GoToPageDlg.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

#include <xkbcommon/xkbcommon.h>

namespace
{
const QColor kFolderLabel(111, 160, 192);
const QColor kResumeLabel(192, 160, 111);

bool HasColourIn(const QImage& image, const QRect& rect, const QColor& colour)
{
    for (int y = rect.top(); y <= rect.bottom() && y < image.height(); ++y) {
        for (int x = rect.left(); x <= rect.right() && x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour)
                return true;
        }
    }
    return false;
}
} // namespace

class TestView : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private:
    QStringList m_prompts;

private slots:
    void init()
    {
        ClearStoredSettings();
        m_prompts.clear();
        Prompt::setResponder([this](const Prompt::Request& request) {
            m_prompts << request.text;
            return int(Prompt::IDCANCEL);
        });
    }

    void firstStartShowsTheDriveList()
    {
        Viewer v;
        QVERIFY(QTest::qWaitForWindowExposed(&v.frame));
        QVERIFY(!v.view->m_bResumeScreen);
        QVERIFY(v.view->m_listFolder.isVisible());
        QVERIFY(!v.view->m_listResume.isVisible());
        QCOMPARE(v.view->m_listFolder.geometry().top(), 68);
        QCOMPARE(v.view->m_listFolder.GetItemText(0, 0), QString("システム (/)"));
        QCOMPARE(v.view->m_listFolder.GetSelectedIndex(), 0);
        QVERIFY(v.view->m_listFolder.hasFocus());

        const QImage image = v.view->grab().toImage();
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::black));
        QVERIFY(HasColourIn(image, QRect(6, 0, 150, 40), kFolderLabel));
        QVERIFY(HasColourIn(image, QRect(6, 40, 250, 28), kFolderLabel)); // "<Drive Select>"
        QVERIFY(m_prompts.isEmpty());
    }

    void storedSettingsReachTheView()
    {
        const QList<QPair<QString, QString>> stored { { "FontSize", "1:3:64" },
            { "SkipForward", "5" }, { "SkipBack", "700" }, { "Layout", "1" }, { "Layout2", "3" },
            { "Bind", "1" }, { "PicEnlarge", "1" }, { "PicExt", "24" }, { "PicExtMore", "4" },
            { "Space", "12" }, { "HideCursor", "0" }, { "FolderOnResume", "1" } };
        for (const auto& [name, value] : stored)
            StoredSettings().setValue("Settings/" + name, value);
        StoredSettings().sync();
        Viewer v;
        const CTalvexView& view = *v.view;
        QCOMPARE(view.m_nFontSizeNormal, 1);
        QCOMPARE(view.m_nFontSizeFull, 3);
        QCOMPARE(view.m_nPadSize, 64);
        QCOMPARE(view.m_nSkipForward, 5);
        QCOMPARE(view.m_nSkipBack, 600);
        QCOMPARE(view.m_nLayoutPdf, 1);
        QCOMPARE(view.m_nLayoutImage, 3);
        QCOMPARE(view.m_nBind, 1);
        QVERIFY(view.m_bPicEnlarge);
        QCOMPARE(view.m_nPicExt, PICEXT_GIF | PICEXT_TIFF | PICEXT_JXL);
        QCOMPARE(view.m_nSpace, 12);
        QVERIFY(!view.m_bHideCursor);
        QVERIFY(view.m_bFolderOnResume);
        QCOMPARE(view.m_listFolder.geometry().top(), 48);
    }

    void geometryForEverySizeIndex_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("listTop");
        QTest::addColumn<int>("listFont");
        QTest::addColumn<int>("headerFont");
        QTest::addColumn<int>("icons");
        QTest::addColumn<int>("minSize");
        QTest::newRow("0") << 0 << 37 << 16 << 12 << 20 << 80;
        QTest::newRow("1") << 1 << 48 << 23 << 16 << 28 << 112;
        QTest::newRow("2") << 2 << 68 << 34 << 23 << 40 << 160;
        QTest::newRow("3") << 3 << 96 << 48 << 34 << 56 << 224;
        QTest::newRow("4") << 4 << 136 << 70 << 48 << 80 << 320;
    }
    void geometryForEverySizeIndex()
    {
        QFETCH(int, index);
        QFETCH(int, listTop);
        QFETCH(int, listFont);
        QFETCH(int, headerFont);
        QFETCH(int, icons);
        QFETCH(int, minSize);
        StoredSettings().setValue("Settings/FontSize", QString("%1:4:40").arg(index));
        StoredSettings().sync();
        Viewer v;
        QVERIFY(QTest::qWaitForWindowExposed(&v.frame));
        CColorListCtrl& list = v.view->m_listFolder;
        QCOMPARE(list.geometry(), QRect(0, listTop, v.view->width(), v.view->height() - listTop));
        QCOMPARE(list.font().pixelSize(), listFont);
        QCOMPARE(list.header()->font().pixelSize(), headerFont);
        QCOMPARE(list.GetStateImageList()->size(), icons);
        const int scrollBar = list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
        const int expected = std::max((v.view->width() - scrollBar) / 6, minSize);
        QCOMPARE(list.columnWidth(1), expected);
        QCOMPARE(list.columnWidth(0), v.view->width() - scrollBar - expected - 3);

        // A narrow window keeps the Size column at its minimum and shrinks the name column.
        v.frame.resize(640, 480);
        QCOMPARE(list.columnWidth(1), std::max((v.view->width() - scrollBar) / 6, minSize));
    }

    void fullScreenUsesItsOwnSizeIndex()
    {
        StoredSettings().setValue("Settings/FullScreen", 1);
        StoredSettings().sync();
        CTalvexDoc doc;
        CMainFrame frame(&doc);
        auto* view = new CTalvexView(&doc);
        view->OnCreate();
        frame.SetView(view);
        view->OnInitialUpdate();
        QVERIFY(frame.LoadFrameSettings());
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(view->SizeIndex(), 4);
        QCOMPARE(view->m_listFolder.geometry().top(), 136);
        QVERIFY(view->m_listFolder.columnWidth(1) >= 320);
    }

    void resumeEntriesOpenTheResumeScreen()
    {
        const QString book = env->path("resume/Book One.pdf");
        WriteFile(book);
        StoredSettings().setValue("Settings/Resume0", "2|7|90|2|0|100|" + book);
        StoredSettings().setValue("Settings/Resume1", "2|1|5|1|0|100|" + env->path("gone.pdf"));
        StoredSettings().sync();
        Viewer v;
        QVERIFY(QTest::qWaitForWindowExposed(&v.frame));
        QVERIFY(v.view->m_bResumeScreen);
        CColorListCtrl& list = v.view->m_listResume;
        QVERIFY(list.isVisible());
        QCOMPARE(list.GetItemCount(), 2);
        QCOMPARE(list.GetItemText(0, 0), QString("Book One.pdf"));
        QCOMPARE(list.GetItemText(0, 1), QString("7/90"));
        QCOMPARE(list.GetItemIcon(0), 3);
        QCOMPARE(list.GetItemIcon(1), 4);
        QCOMPARE(v.view->m_resumeItems[1].nType, int(TYPE_MISSING));
        const QImage image = v.view->grab().toImage();
        QVERIFY(HasColourIn(image, QRect(6, 0, 150, 40), kResumeLabel));
    }

    void emptyResumeScreenTellsHowToFillIt()
    {
        const QString dir = env->path("hint");
        WritePdf(dir + "/ten.pdf", 10);
        QDir().mkpath(dir + "/empty");
        const auto hintIn = [](CColorListCtrl& list) {
            const QImage image = list.viewport()->grab().toImage();
            return HasColourIn(image, image.rect(), kListRowText);
        };
        StartInFolder(dir + "/empty");
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(QTest::qWaitForWindowExposed(&v.frame));
        // An empty folder is only empty.
        QCOMPARE(view->m_listFolder.GetItemCount(), 0);
        QVERIFY(!hintIn(view->m_listFolder));
        QTest::keyClick(&view->m_listFolder, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(view->m_listResume.isVisible());
        QVERIFY(hintIn(view->m_listResume));

        // Gone once a position is added.
        QTest::keyClick(&view->m_listResume, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(&view->m_listFolder, Qt::Key_Left);
        QCOMPARE(view->m_strCurrentFolder, dir);
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(&view->m_listFolder, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(view->m_listResume.GetItemCount(), 1);
        QVERIFY(!hintIn(view->m_listResume));
    }

    void folderOfTheCommandLineFileIsShown()
    {
        const QString dir = env->path("cmdline");
        WriteFile(dir + "/a.pdf");
        WriteFile(dir + "/b.pdf");
        WriteFile(dir + "/c.pdf");
        StoredSettings().setValue("Settings/CurrentFolder", "/somewhere/else");
        StoredSettings().setValue("Settings/Resume0", "2|3|9|2|0|1|" + dir + "/c.pdf");
        StoredSettings().sync();
        {
            Viewer v(dir + "/b.pdf");
            QCOMPARE(v.view->m_strCurrentFolder, dir);
            QCOMPARE(v.view->m_listFolder.GetSelectedIndex(), 1);
            QVERIFY(!v.view->m_bResumeScreen);
            QCOMPARE(v.view->m_listFolder.GetItemCount(), 3);
            QCOMPARE(v.view->m_listFolder.GetItemIcon(2), 3); // c.pdf has a resume entry
            QCOMPARE(v.view->m_listFolder.GetItemIcon(0), 2);
        }
        QCOMPARE(StoredSettings().value("Settings/CurrentFolder").toString(), dir);

        // A FOLDER shows that folder; a picture of a type not enabled is refused.
        WriteFile(dir + "/picture.gif", 10);
        m_prompts.clear();
        {
            Viewer folder(dir);
            QCOMPARE(folder.view->m_strCurrentFolder, dir);
            QVERIFY(!folder.view->m_bContent);
            QVERIFY(m_prompts.isEmpty());
        }
        {
            Viewer disabled(dir + "/picture.gif");
            QVERIFY(!disabled.view->m_bContent);
            QCOMPARE(m_prompts, QStringList("ファイルを開けません。"));
        }
    }

    void vanishedFolderAsksToRetry()
    {
        const QString dir = env->path("vanishing");
        StoredSettings().setValue("Settings/CurrentFolder", dir);
        StoredSettings().sync();
        int asked = 0;
        Prompt::setResponder([&](const Prompt::Request& request) {
            m_prompts << request.text;
            ++asked;
            if (asked == 2)
                QDir().mkpath(dir); // the drive came back
            return int(Prompt::IDRETRY);
        });
        {
            Viewer v;
            QCOMPARE(asked, 2);
            QCOMPARE(m_prompts.first(), QString("フォルダーが見つかりません。"));
            QCOMPARE(v.view->m_strCurrentFolder, dir);
            QCOMPARE(v.view->m_listFolder.GetItemCount(), 0);
            QCOMPARE(v.view->m_listFolder.GetSelectedIndex(), -1);
            QVERIFY(QDir(dir).removeRecursively());
        }
        Prompt::setResponder([&](const Prompt::Request&) { return int(Prompt::IDCANCEL); });
        Viewer v;
        QCOMPARE(v.view->m_strCurrentFolder, QString());
        QVERIFY(v.view->m_listFolder.GetItemCount() > 0);
        v.frame.close();
        v.view->OnDestroy();
        QCOMPARE(StoredSettings().value("Settings/CurrentFolder").toString(), QString());
    }

    void viewThatDiesEarlyKeepsTheStoredValues()
    {
        StoredSettings().setValue("Settings/CurrentFolder", "/books");
        StoredSettings().setValue("Settings/Resume0", "2|7|90|2|0|100|/books/a.pdf");
        StoredSettings().sync();
        {
            CTalvexDoc doc;
            CTalvexView view(&doc);
            view.OnCreate();
        }
        QCOMPARE(StoredSettings().value("Settings/CurrentFolder").toString(), QString("/books"));
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            QString("2|7|90|2|0|100|/books/a.pdf"));
    }

    void destroyingTheViewSavesItsValues()
    {
        const QString dir = env->path("saved");
        QDir().mkpath(dir);
        StoredSettings().setValue("Settings/CurrentFolder", dir);
        StoredSettings().setValue("Settings/Resume4", "258|2|9|3|0|100|/pics/002.jpg");
        StoredSettings().sync();
        {
            Viewer v;
            v.frame.close();
        }
        QCOMPARE(StoredSettings().value("Settings/CurrentFolder").toString(), dir);
        // The file is gone, so the entry is kept as a missing one.
        QCOMPARE(StoredSettings().value("Settings/Resume0").toString(),
            QString("259|2|9|3|0|100|/pics/002.jpg"));
        QCOMPARE(StoredSettings().value("Settings/Resume4").toString(), QString());
    }

    void dialogsSpeakJapanese()
    {
        // Our own dialogs' buttons, and Qt's standard texts once its translation is in.
        CInqPasswordDlg password(nullptr);
        CInqNumPagesDlg pages(nullptr);
        CGoToPageDlg goTo(nullptr);
        for (QDialog* dialog : std::initializer_list<QDialog*> { &password, &pages, &goTo }) {
            for (const QPushButton* button : dialog->findChildren<QPushButton*>())
                QVERIFY2(QStringList({ "OK", "キャンセル" }).contains(button->text()),
                    qPrintable(button->text()));
        }
        QVERIFY(QtJapanese::Install(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("キャンセル"));
    }

    void dialogsReadInTheListsType()
    {
        // The lists' type wherever it fits, else the largest that does: the small dialogs
        // and the settings, on a laptop, a television and a 4K screen.
        for (const QSize& screen : { QSize(1280, 800), QSize(1920, 1080), QSize(3840, 2160) }) {
            for (const int type : ListGeometry::kFontHeights) {
                DialogUnits::SetTypeSize(type);
                for (const QSize& units : { QSize(135, 156), QSize(134, 77), QSize(504, 236) }) {
                    const QFont font = DialogUnits::FittingFont(units, screen);
                    const DialogUnits du(font);
                    const QString what = QString("%1 px, %2 x %3 units on %4 x %5")
                                             .arg(type)
                                             .arg(units.width())
                                             .arg(units.height())
                                             .arg(screen.width())
                                             .arg(screen.height());
                    QVERIFY2(du.X(units.width()) <= screen.width()
                            && du.Y(units.height()) <= screen.height(),
                        qPrintable(what));
                    QVERIFY2(font.pixelSize() <= std::max(type, 12), qPrintable(what));
                    const DialogUnits larger(DialogUnits::FittingFont(units, screen * 4));
                    QVERIFY2(font.pixelSize() == std::max(type, 12)
                            || larger.Y(units.height()) > screen.height()
                            || larger.X(units.width()) > screen.width(),
                        qPrintable(what));
                }
            }
        }
        // From the sofa, at 1920 x 1080 the number dialogs read larger than they used to.
        DialogUnits::SetTypeSize(34);
        QVERIFY(DialogUnits::FittingFont({ 135, 156 }, QSize(1920, 1080)).pixelSize() > 20);

        // The window hands its lists' type on as its size changes; on this 800 x 600 screen
        // the small lists' type fits as it is, the middle one does not.
        Viewer v;
        for (const int index : { 0, 2 }) {
            v.view->m_nFontSizeNormal = index;
            v.view->LayoutList(v.view->m_listFolder, v.view->width(), v.view->height());
            const int type = ListGeometry::kFontHeights[ListGeometry::ForIndex(index).listFont];
            QCOMPARE(DialogUnits::DialogFont().pixelSize(), type);
            CGoToPageDlg goTo(v.view);
            QVERIFY(goTo.font().bold());
            if (index == 0)
                QCOMPARE(goTo.font().pixelSize(), type);
            QVERIFY(goTo.font().pixelSize() <= type);
            QVERIFY(goTo.height() <= goTo.screen()->availableGeometry().height());
        }
    }

    void cursorCounter()
    {
        QCOMPARE(CursorCounter::HideCursorNow(), -2);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
        QCOMPARE(CursorCounter::HideCursorNow(), -2);
        QCOMPARE(CursorCounter::ShowCursorNow(), 1);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(CursorCounter::ShowCursorNow(), 1);
        {
            const WaitCursor busy;
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void virtualKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<int>("vk");
        QTest::newRow("digit") << int(Qt::Key_5) << false << 53;
        QTest::newRow("keypad digit") << int(Qt::Key_5) << true << 0;
        QTest::newRow("letter") << int(Qt::Key_R) << false << 82;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << false << 8;
        QTest::newRow("page down") << int(Qt::Key_PageDown) << false << 34;
        QTest::newRow("down") << int(Qt::Key_Down) << false << 40;
        QTest::newRow("enter") << int(Qt::Key_Enter) << true << 13;
        QTest::newRow("play") << int(Qt::Key_MediaTogglePlayPause) << false << 179;
        QTest::newRow("volume up") << int(Qt::Key_VolumeUp) << false << 175;
        QTest::newRow("F1") << int(Qt::Key_F1) << false << 112;
        QTest::newRow("F5") << int(Qt::Key_F5) << false << 0;
    }
    void virtualKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, keypad);
        QFETCH(int, vk);
        QCOMPARE(VirtualKeys::fromQtKey(key, keypad), vk);
    }

    void nothingScrollsSideways()
    {
        for (int i = 0; i < 30; ++i)
            WriteFile(env->path(QString("wide/book %1 with a long name.pdf").arg(i)), 10);
        StartInFolder(env->path("wide"));
        Viewer v;
        for (const QSize size : { QSize(640, 480), QSize(1920, 1080) }) {
            v.frame.resize(size);
            QTRY_COMPARE(v.frame.size(), size);
            QVERIFY(v.view->m_listFolder.verticalScrollBar()->isVisible() || size.height() > 1000);
            QVERIFY(!v.view->m_listFolder.horizontalScrollBar()->isVisible());
        }
    }

    void keysByTheirPlace_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("keycode");
        QTest::addColumn<int>("vk");
        // X key codes: 10 is the key of 1, 27 that of R on a US keyboard.
        QTest::newRow("us, R") << "us" << 27 << int('R');
        QTest::newRow("jp, 1") << "jp" << 10 << int('1');
        QTest::newRow("ru alone, R") << "ru" << 27 << int('R');
        QTest::newRow("us and ru, R") << "us,ru" << 27 << int('R');
        QTest::newRow("fr, the 1 of the top row") << "fr" << 10 << int('1');
        QTest::newRow("fr, A where US has Q") << "fr" << 24 << int('A');
        QTest::newRow("fr, comma is no letter") << "fr" << 58 << 0;
        QTest::newRow("us, space") << "us" << 65 << 0;
    }
    void keysByTheirPlace()
    {
        QFETCH(QString, layout);
        QFETCH(int, keycode);
        QFETCH(int, vk);
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const QByteArray layouts = layout.toLatin1();
        const xkb_rule_names names { "evdev", "pc105", layouts.constData(), nullptr, nullptr };
        xkb_keymap* keymap
            = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        QVERIFY(keymap);
        QCOMPARE(X11Keyboard::LatinKeyIn(keymap, quint32(keycode)), vk);
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
    }

    void heldKeysActOnce()
    {
        WritePdf(env->path("held/ten.pdf"), 10);
        StartInFolder(env->path("held"));
        Viewer v;
        CTalvexView* view = v.view;
        QVERIFY(OpenFromFolder(v, "ten.pdf"));
        quint64 time = 1000;
        const auto send
            = [&](QWidget* to, QEvent::Type type, Qt::Key key, quint32 code, bool repeat = false) {
                  QKeyEvent event(type, key, Qt::NoModifier, code, 0, 0, QString(), repeat);
                  event.setTimestamp(time += 10);
                  QCoreApplication::sendEvent(to, &event);
              };
        // Repeats of a held key that the window system reports as fresh presses.
        send(view, QEvent::KeyPress, Qt::Key_PageDown, 117);
        send(view, QEvent::KeyPress, Qt::Key_PageDown, 117);
        send(view, QEvent::KeyPress, Qt::Key_PageDown, 117, true);
        QCOMPARE(view->m_book.nPage, 3);
        send(view, QEvent::KeyRelease, Qt::Key_PageDown, 117);
        send(view, QEvent::KeyPress, Qt::Key_PageDown, 117);
        QCOMPARE(view->m_book.nPage, 5);
        send(view, QEvent::KeyRelease, Qt::Key_PageDown, 117);
        // Keys the program makes itself have no place on the keyboard: each one acts.
        send(view, QEvent::KeyPress, Qt::Key_PageDown, 0);
        send(view, QEvent::KeyPress, Qt::Key_PageDown, 0);
        QCOMPARE(view->m_book.nPage, 9);
        // A release that reached a window while a dialog blocked it never arrives.
        send(view, QEvent::KeyPress, Qt::Key_PageUp, 112);
        QCOMPARE(view->m_book.nPage, 7);
        for (const QEvent::Type type : { QEvent::WindowBlocked, QEvent::WindowUnblocked }) {
            QEvent modality(type);
            QCoreApplication::sendEvent(&v.frame, &modality);
        }
        send(view, QEvent::KeyPress, Qt::Key_PageUp, 112);
        QCOMPARE(view->m_book.nPage, 5);
        // An Esc that closed something else first: its repeats do not close the book.
        QWidget menu;
        send(&menu, QEvent::KeyPress, Qt::Key_Escape, 9);
        send(view, QEvent::KeyPress, Qt::Key_Escape, 9);
        QVERIFY(view->m_bContent);
        send(view, QEvent::KeyRelease, Qt::Key_Escape, 9);
        send(view, QEvent::KeyPress, Qt::Key_Escape, 9);
        QVERIFY(!view->m_bContent);
    }

    void aboutBoxShowsTheVersion()
    {
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(), QString("バージョン情報"));
        QVERIFY(QRegularExpression("^ \\d+\\.\\d+\\.\\d+\\.\\d+$")
                    .match(dlg.versionShown())
                    .hasMatch());
        QCOMPARE(CAboutDlg::VersionText(0x00020001, 0x00020000), QString(" 2.1.2.0"));
        QCOMPARE(CAboutDlg::VersionText(0, 0), QString(" 0.0.0.0"));
    }
};

LUMIVO_TEST_MAIN(TestView)
#include "tst_view.moc"
