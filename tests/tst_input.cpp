#include "InputSupport.h"
#include "TestSupport.h"

#include "browser/FolderNav.h"
#include "platform/VirtualKeys.h"
#include "view/CommandIds.h"
#include "view/ContextMenus.h"
#include "view/InputRules.h"

#include <QAction>

using namespace InputRules;
using namespace VirtualKeys;

Q_DECLARE_METATYPE(InputRules::Screen)

namespace
{
// Every item of a menu, nested ones included, as "text=enabled,checked" lines; "-"
// for a separator and "[title]" before a submenu's items.
QStringList Describe(const QMenu& menu)
{
    QStringList lines;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            lines << "-";
        } else if (action->menu()) {
            lines << "[" + action->text() + "]";
            lines << Describe(*action->menu());
        } else {
            lines << QString("%1=%2%3")
                         .arg(action->text())
                         .arg(action->isEnabled() ? "e" : "d")
                         .arg(action->isChecked() ? "c" : "");
        }
    }
    return lines;
}

} // namespace

class TestInput : public QObject
{
    Q_OBJECT
public:
    TestEnvironment* env = nullptr;

private slots:
    void keyTable_data()
    {
        QTest::addColumn<int>("vk");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<int>("content");
        QTest::addColumn<int>("folder");
        QTest::addColumn<int>("resume");
        auto row = [](const char* name, int vk, bool ctrl, bool shift, int c, int f, int r) {
            QTest::newRow(name) << vk << ctrl << shift << c << f << r;
        };
        row("Backspace", VK_BACK, false, false, ACT_NONE, ID_RESUME_DELETE, ID_RESUME_DELETE);
        row("Shift+Backspace", VK_BACK, false, true, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Tab", VK_TAB, false, false, ACT_CYCLE_LAYOUT, ID_SWITCH_SCREEN_KEEP,
            ID_SWITCH_SCREEN_KEEP);
        row("Shift+Tab", VK_TAB, false, true, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Ctrl+Tab", VK_TAB, true, false, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Enter", VK_RETURN, false, false, ACT_TOGGLE_ZOOM, ID_OPEN_ITEM, ID_OPEN_ITEM);
        row("Esc", VK_ESCAPE, false, false, ID_CLOSE_NO_RESUME, ID_FOLDER_TOP, ACT_NONE);
        row("Ctrl+PageUp", VK_PRIOR, true, false, ID_PAGE_PREV, ACT_NONE, ACT_NONE);
        row("Ctrl+PageDown", VK_NEXT, true, false, ID_PAGE_NEXT, ACT_NONE, ACT_NONE);
        row("Shift+End", VK_END, false, true, ID_PAGE_LAST, ACT_NONE, ACT_NONE);
        row("Home", VK_HOME, false, false, ID_PAGE_FIRST, ACT_NONE, ACT_NONE);
        row("Left", VK_LEFT, false, false, ACT_ZOOM_LEFT, ID_FOLDER_UP, ACT_NONE);
        row("Ctrl+Left", VK_LEFT, true, false, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Shift+Up", VK_UP, false, true, ACT_STEP_UP, ACT_NONE, ACT_NONE);
        row("Right", VK_RIGHT, false, false, ACT_ZOOM_RIGHT, ACT_NONE, ACT_NONE);
        row("Ctrl+Down", VK_DOWN, true, false, ACT_STEP_DOWN, ACT_NONE, ACT_NONE);
        row("0", '0', false, false, ID_ZOOM_NONE, ACT_NONE, ACT_NONE);
        row("1", '1', false, false, ID_ZOOM_BOTTOM_LEFT, ACT_NONE, ACT_NONE);
        row("3", '3', false, false, ID_ZOOM_BOTTOM_RIGHT, ACT_NONE, ACT_NONE);
        row("5", '5', false, false, ID_ZOOM_MIDDLE_CENTER, ACT_NONE, ACT_NONE);
        row("7", '7', false, false, ID_ZOOM_TOP_LEFT, ACT_NONE, ACT_NONE);
        row("9", '9', false, false, ID_ZOOM_TOP_RIGHT, ACT_NONE, ACT_NONE);
        row("Ctrl+1", '1', true, false, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Shift+1", '1', false, true, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Ctrl+3", '3', true, false, ACT_LEAVE_FULLSCREEN, ACT_LEAVE_FULLSCREEN,
            ACT_LEAVE_FULLSCREEN);
        row("Ctrl+Shift+3", '3', true, true, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Ctrl+C", 'C', true, false, ID_CLOSE_OVERWRITE_RESUME, ACT_NONE, ACT_NONE);
        row("Ctrl+F", 'F', true, false, ID_FULLSCREEN_TOGGLE, ID_FULLSCREEN_TOGGLE,
            ID_FULLSCREEN_TOGGLE);
        row("Ctrl+Shift+F", 'F', true, true, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Ctrl+O", 'O', true, false, ACT_TOGGLE_BINDING, ID_SWITCH_SCREEN_RESET,
            ID_SWITCH_SCREEN_RESET);
        row("Ctrl+S", 'S', true, false, ID_CLOSE_ADD_RESUME, ACT_NONE, ACT_NONE);
        row("plain S", 'S', false, false, ACT_NONE, ACT_NONE, ACT_NONE);
        row("A, not in the table", 'A', false, false, ACT_DEFAULT, ACT_DEFAULT, ACT_DEFAULT);
        row("volume up", VK_VOLUME_UP, false, false, ACT_NONE, ACT_NONE, ACT_NONE);
        row("next track", VK_MEDIA_NEXT_TRACK, false, false, ID_PAGE_LAST, ACT_NONE, ACT_NONE);
        row("previous track", VK_MEDIA_PREV_TRACK, false, false, ID_PAGE_FIRST, ACT_NONE, ACT_NONE);
        row("stop", VK_MEDIA_STOP, false, false, ID_CLOSE_OVERWRITE_RESUME, ACT_NONE, ACT_NONE);
        row("play/pause", VK_MEDIA_PLAY_PAUSE, true, true, ID_CLOSE_ADD_RESUME, ID_OPEN_ITEM,
            ID_OPEN_ITEM);
        row("menu key", VK_APPS, false, false, ACT_DEFAULT, ACT_DEFAULT, ACT_DEFAULT);
        row("F1", VK_F1, false, false, ACT_KEY_HELP, ACT_KEY_HELP, ACT_KEY_HELP);
        row("Shift+F1", VK_F1, false, true, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Space", VK_SPACE, false, false, ID_PAGE_NEXT, ACT_NONE, ACT_NONE);
        row("Shift+Space", VK_SPACE, false, true, ID_PAGE_PREV, ACT_NONE, ACT_NONE);
        row("Ctrl+Space", VK_SPACE, true, false, ACT_NONE, ACT_NONE, ACT_NONE);
        row("Ctrl+M", 'M', true, false, ID_SHOW_OUTLINE, ACT_NONE, ACT_NONE);
        row("plain M", 'M', false, false, ACT_NONE, ACT_NONE, ACT_NONE);
        row("below the range", 0, false, false, ACT_NONE, ACT_NONE, ACT_NONE);
        row("above the range", 180, false, false, ACT_NONE, ACT_NONE, ACT_NONE);
    }
    void keyTable()
    {
        QFETCH(int, vk);
        QFETCH(bool, ctrl);
        QFETCH(bool, shift);
        QFETCH(int, content);
        QFETCH(int, folder);
        QFETCH(int, resume);
        QCOMPARE(KeyAction(vk, ctrl, shift, SCREEN_CONTENT), content);
        QCOMPARE(KeyAction(vk, ctrl, shift, SCREEN_FOLDER), folder);
        QCOMPARE(KeyAction(vk, ctrl, shift, SCREEN_RESUME), resume);
    }

    void contentsScreenKeys_data()
    {
        QTest::addColumn<int>("vk");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<int>("action");
        QTest::newRow("Enter") << VK_RETURN << false << false << int(ID_OPEN_ITEM);
        QTest::newRow("Esc") << VK_ESCAPE << false << false << int(ID_OUTLINE_CLOSE);
        QTest::newRow("Ctrl+M") << int('M') << true << false << int(ID_OUTLINE_CLOSE);
        QTest::newRow("Ctrl+F") << int('F') << true << false << int(ID_FULLSCREEN_TOGGLE);
        // The list moves with its own keys; the reading and list-screen keys do nothing.
        for (const int vk : { VK_PRIOR, VK_NEXT, VK_HOME, VK_END, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT,
                 VK_SPACE, VK_TAB, VK_BACK, int('5'), VK_MEDIA_STOP })
            QTest::addRow("key %d", vk) << vk << false << false << ACT_NONE;
        QTest::newRow("A, not in the table") << int('A') << false << false << ACT_DEFAULT;
    }
    void contentsScreenKeys()
    {
        QFETCH(int, vk);
        QFETCH(bool, ctrl);
        QFETCH(bool, shift);
        QFETCH(int, action);
        QCOMPARE(KeyAction(vk, ctrl, shift, SCREEN_OUTLINE), action);
    }

    void sideKeysFollowTheReadingDirection_data()
    {
        QTest::addColumn<bool>("images");
        // nBind of an image book; for a PDF whether it reads right to left.
        QTest::addColumn<int>("bind");
        QTest::addColumn<bool>("rightToLeft");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        const int next = ID_PAGE_NEXT;
        const int prev = ID_PAGE_PREV;
        QTest::newRow("image book, right binding")
            << true << int(BIND_RIGHT) << false << 0 << next << prev;
        QTest::newRow("image book, left binding")
            << true << int(BIND_LEFT) << false << 0 << prev << next;
        QTest::newRow("PDF of an old entry, binding field 0")
            << false << int(BIND_RIGHT) << false << 0 << prev << next;
        QTest::newRow("PDF right to left") << false << int(BIND_LEFT) << true << 0 << next << prev;
        QTest::newRow("magnified: the region moves")
            << true << int(BIND_RIGHT) << false << 5 << ACT_ZOOM_LEFT << ACT_ZOOM_RIGHT;
        QTest::newRow("magnified PDF right to left: the region moves")
            << false << int(BIND_LEFT) << true << 5 << ACT_ZOOM_LEFT << ACT_ZOOM_RIGHT;
    }
    void sideKeysFollowTheReadingDirection()
    {
        QFETCH(bool, images);
        QFETCH(int, bind);
        QFETCH(bool, rightToLeft);
        QFETCH(int, zoom);
        QFETCH(int, left);
        QFETCH(int, right);
        BookRecord book;
        book.bImages = images;
        book.nBind = bind;
        book.bRightToLeft = rightToLeft;
        const bool leftIsNext = LeftIsNext(book.SpreadBinding());
        const auto side = [&](int vk, bool ctrl) {
            return SideKeyAction(KeyAction(vk, ctrl, false, SCREEN_CONTENT), zoom != 0, leftIsNext);
        };
        QCOMPARE(side(VK_LEFT, false), left);
        QCOMPARE(side(VK_RIGHT, false), right);
        // Only the plain arrows turn; Space and the other keys keep their own meaning.
        QCOMPARE(side(VK_LEFT, true), ACT_NONE);
        QCOMPARE(side(VK_SPACE, false), int(ID_PAGE_NEXT));
        QCOMPARE(side(VK_UP, false), ACT_STEP_UP);
    }

    void keypadDigitsAreNotDigitKeys()
    {
        QCOMPARE(fromQtKey(Qt::Key_7, false), int('7'));
        QCOMPARE(fromQtKey(Qt::Key_7, true), 0);
        QCOMPARE(fromQtKey(Qt::Key_Backtab, false), VK_TAB);
        QCOMPARE(fromQtKey(Qt::Key_Space, false), VK_SPACE);
        QCOMPARE(fromQtKey(Qt::Key_MediaTogglePlayPause, false), VK_MEDIA_PLAY_PAUSE);
    }

    void acceleratorsNeedCtrlAlone()
    {
        QCOMPARE(AcceleratorCommand('R', true, false, false), int(ID_SKIP_BACK));
        QCOMPARE(AcceleratorCommand('T', true, false, false), int(ID_SKIP_FORWARD));
        QCOMPARE(AcceleratorCommand('B', true, false, false), int(ID_PAGE_FIRST));
        QCOMPARE(AcceleratorCommand('E', true, false, false), int(ID_PAGE_LAST));
        QCOMPARE(AcceleratorCommand('G', true, false, false), int(ID_GO_TO_PAGE));
        QCOMPARE(AcceleratorCommand('G', true, true, false), 0);
        QCOMPARE(AcceleratorCommand('E', false, false, false), 0);
        QCOMPARE(AcceleratorCommand('E', true, true, false), 0);
        QCOMPARE(AcceleratorCommand('E', true, false, true), 0);
        QCOMPARE(AcceleratorCommand('O', true, false, false), 0);
    }

    void clickGrid_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("zoomed");
        QTest::addColumn<int>("action");
        // A 1000 x 700 view: thirds at 333 and 666, 233 and 466.
        QTest::newRow("top left") << QPoint(0, 0) << false << ACT_CYCLE_LAYOUT;
        QTest::newRow("top centre") << QPoint(333, 232) << false << ACT_STEP_UP;
        QTest::newRow("top right") << QPoint(666, 0) << false << ACT_TOGGLE_PAD;
        QTest::newRow("middle left, not zoomed") << QPoint(332, 233) << false << ACT_NONE;
        QTest::newRow("middle left, zoomed") << QPoint(332, 233) << true << ACT_ZOOM_LEFT;
        QTest::newRow("centre") << QPoint(500, 350) << false << ACT_TOGGLE_ZOOM;
        QTest::newRow("middle right, zoomed") << QPoint(999, 465) << true << ACT_ZOOM_RIGHT;
        QTest::newRow("middle right, not zoomed") << QPoint(999, 465) << false << ACT_NONE;
        QTest::newRow("bottom left") << QPoint(10, 466) << false << ACT_TOGGLE_BINDING;
        QTest::newRow("bottom centre") << QPoint(665, 699) << false << ACT_STEP_DOWN;
        QTest::newRow("bottom right") << QPoint(666, 466) << true << ACT_NONE;
    }
    void clickGrid()
    {
        QFETCH(QPoint, point);
        QFETCH(bool, zoomed);
        QFETCH(int, action);
        QCOMPARE(ClickAction(1000, 700, point.x(), point.y(), SCREEN_CONTENT, zoomed), action);
        QCOMPARE(
            ClickAction(1000, 700, point.x(), point.y(), SCREEN_FOLDER, zoomed), ACT_TOGGLE_PAD);
    }

    void scrollStepIsSignedAndDoesNotOverflow()
    {
        QCOMPARE(ScrollStep(-120, 3), qint64(3));
        QCOMPARE(ScrollStep(120, 3), qint64(-3));
        QCOMPARE(ScrollStep(-40, 1), qint64(0));
        QCOMPARE(ScrollStep(-60, 3), qint64(1));
        QCOMPARE(ScrollStep(2000000000, 100), qint64(-1666666666));
    }

    void touchpadSlicesMakeWholeSteps()
    {
        int pending = 0;
        // A notch of a mouse wheel acts at once.
        QCOMPARE(GatherWheel(pending, -120, 3), -120);
        // Slices of 15 act once they make a step of 3 lines (40).
        QCOMPARE(GatherWheel(pending, -15, 3), 0);
        QCOMPARE(GatherWheel(pending, -15, 3), 0);
        QCOMPARE(GatherWheel(pending, -15, 3), -45);
        QCOMPARE(pending, 0);
        // Turning back drops what was gathered the other way.
        QCOMPARE(GatherWheel(pending, -30, 3), 0);
        QCOMPARE(GatherWheel(pending, 30, 3), 0);
        QCOMPARE(GatherWheel(pending, 15, 3), 45);
        QCOMPARE(GatherWheel(pending, 90, 1), 0);
        QCOMPARE(GatherWheel(pending, 30, 1), 120);
    }

    void zoomCommandsFollowTheKeypad()
    {
        const int expected[10] = { 0, 7, 8, 9, 4, 5, 6, 1, 2, 3 };
        for (int digit = 0; digit <= 9; ++digit)
            QCOMPARE(ZoomOfCommand(ZoomCommandForDigit(digit)), expected[digit]);
        QCOMPARE(ZoomOfCommand(ID_PAGE_NEXT), -1);
    }

    void folderMenuLayout()
    {
        BookRecord folder;
        folder.nType = TYPE_FOLDER;
        ContextMenus::Context c;
        c.atDriveList = false;
        c.selected = &folder;
        const auto menu = ContextMenus::Build(ContextMenus::MENU_FOLDER, c, nullptr);
        QCOMPARE(Describe(*menu),
            QStringList({ "ファイルを開く\tEnter=d", "-", "Resume画面へ(選択継承)\tTab=e",
                "Resume画面へ(選択無視)\tCtrl+O=e", "Folderの展開\tEnter=e", "上位Folderへ\t←=e",
                "最上位Folderへ\tEsc=e", "Resume登録削除\tBackspace=d", "-",
                "Full Screen 切替\tCtrl+F=e", "-", "設定 ...=e", "Lumivoについて ...=e", "-",
                "終了\tAlt+F4=e" }));
        QCOMPARE(FindAction(*menu, ID_APP_ABOUT)->text(), QString("Lumivoについて ..."));
    }

    void resumeMenuLayout()
    {
        ContextMenus::Context c;
        c.resumeScreen = true;
        c.fullScreen = true;
        const auto menu = ContextMenus::Build(ContextMenus::MENU_RESUME, c, nullptr);
        QCOMPARE(Describe(*menu),
            QStringList({ "ファイルを開く\tEnter=d", "-", "Folder画面へ(選択継承)\tTab=e",
                "Folder画面へ(選択無視)\tCtrl+O=e", "Resume登録削除\tBackspace=d", "-",
                "Full Screen 切替\tCtrl+F=ec", "-", "設定 ...=e", "Lumivoについて ...=e", "-",
                "終了\tAlt+F4=e" }));
    }

    void contentMenuOnFirstPageOfTen()
    {
        ContextMenus::Context c;
        c.book.nPage = 1;
        c.book.nPageCount = 10;
        c.book.nLayout = LAYOUT_SPREAD_COVER;
        // A PDF read right to left: its binding items apply and say so.
        c.book.bRightToLeft = true;
        c.book.nZoom = 7;
        const auto menu = ContextMenus::Build(ContextMenus::MENU_CONTENT, c, nullptr);
        QCOMPARE(Describe(*menu),
            QStringList({ "Full Screen 切替\tCtrl+F=e", "-", "Resume登録せずに閉じる\tEsc=e",
                "Resume上書きして閉じる\tCtrl+C=e", "Resume追加して閉じる\tCtrl+S=e", "-",
                "次のページ\tPageDown=e", "前のページ\tPageUp=d", "スキップ送り\tCtrl+T=e",
                "スキップ戻り\tCtrl+R=d", "先頭ページ\tCtrl+B=d", "最終ページ\tCtrl+E=e",
                "ページ指定...\tCtrl+G=e", "目次...\tCtrl+M=d", "ページ一覧...\tCtrl+L=e", "-",
                "[レイアウト]", "単一ページ=e", "表紙あり見開き=ec", "表紙なし見開き=e",
                "[画像の見開きモード]", "右綴じ=ec", "左綴じ=e", "[拡大表示]", "拡大なし\t0=e",
                "２倍 - 上段左\t7=e", "２倍 - 上段中\t8=e", "２倍 - 上段右\t9=e",
                "２倍 - 中段左\t4=e", "２倍 - 中段中\t5=e", "２倍 - 中段右\t6=e",
                "２倍 - 下段左\t1=ec", "２倍 - 下段中\t2=e", "２倍 - 下段右\t3=e",
                "幅に合わせる\tCtrl+W=e", "余白カット\tCtrl+K=e", "夜間モード\tCtrl+N=e", "-",
                "終了\tAlt+F4=e" }));
    }

    void menuStates_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("resumeScreen");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("open a book file") << int(ID_OPEN_ITEM) << 2 << -1 << false << true;
        QTest::newRow("open a missing entry") << int(ID_OPEN_ITEM) << 3 << 4 << true << false;
        QTest::newRow("expand a drive") << int(ID_FOLDER_EXPAND) << 0 << -1 << false << true;
        QTest::newRow("expand a file") << int(ID_FOLDER_EXPAND) << 2 << -1 << false << false;
        QTest::newRow("delete, file with entry")
            << int(ID_RESUME_DELETE) << 2 << 0 << false << true;
        QTest::newRow("delete, file without") << int(ID_RESUME_DELETE) << 2 << -1 << false << false;
        QTest::newRow("delete, folder") << int(ID_RESUME_DELETE) << 1 << 0 << false << false;
        QTest::newRow("delete, missing entry") << int(ID_RESUME_DELETE) << 3 << 5 << true << true;
    }
    void menuStates()
    {
        QFETCH(int, id);
        QFETCH(int, type);
        QFETCH(int, page);
        QFETCH(bool, resumeScreen);
        QFETCH(bool, enabled);
        BookRecord selected;
        selected.nType = type;
        selected.nPage = page;
        ContextMenus::Context c;
        c.resumeScreen = resumeScreen;
        c.selected = &selected;
        QCOMPARE(ContextMenus::StateOf(id, c).enabled, enabled);
        c.selected = nullptr;
        QVERIFY(!ContextMenus::StateOf(id, c).enabled);
    }

    void bindingItemsFollowTheLayout()
    {
        ContextMenus::Context c;
        c.book.nLayout = LAYOUT_SINGLE;
        c.book.nBind = BIND_LEFT;
        QVERIFY(!ContextMenus::StateOf(ID_BIND_LEFT, c).enabled);
        QVERIFY(ContextMenus::StateOf(ID_BIND_LEFT, c).checked);
        c.book.nLayout = LAYOUT_SPREAD_NOCOVER;
        QVERIFY(ContextMenus::StateOf(ID_BIND_RIGHT, c).enabled);
        QVERIFY(!ContextMenus::StateOf(ID_BIND_RIGHT, c).checked);
        c.book.nPage = 10;
        c.book.nPageCount = 10;
        QVERIFY(!ContextMenus::StateOf(ID_PAGE_LAST, c).enabled);
        QVERIFY(ContextMenus::StateOf(ID_GO_TO_PAGE, c).enabled);
        c.book.nPageCount = 1;
        QVERIFY(!ContextMenus::StateOf(ID_GO_TO_PAGE, c).enabled);
        // A PDF's spreads show its own direction; the binding field of an old entry is 0.
        c.book.nBind = BIND_RIGHT;
        QVERIFY(ContextMenus::StateOf(ID_BIND_LEFT, c).checked);
        QVERIFY(!ContextMenus::StateOf(ID_BIND_RIGHT, c).checked);
        c.book.bRightToLeft = true;
        QVERIFY(ContextMenus::StateOf(ID_BIND_RIGHT, c).enabled);
        QVERIFY(ContextMenus::StateOf(ID_BIND_RIGHT, c).checked);
        QVERIFY(!ContextMenus::StateOf(ID_BIND_LEFT, c).checked);
        c.hasOutline = true;
        QVERIFY(ContextMenus::StateOf(ID_SHOW_OUTLINE, c).enabled);
        QVERIFY(ContextMenus::StateOf(ID_SKIP_BACK, c).enabled);
    }

    void folderUp_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("select");
        QTest::newRow("deep") << "/home/alice/Comics"
                              << "/home/alice"
                              << "Comics";
        QTest::newRow("trailing slash") << "/home/alice/"
                                        << "/home"
                                        << "alice";
        QTest::newRow("below the root") << "/home"
                                        << "/"
                                        << "home";
        QTest::newRow("the root") << "/"
                                  << ""
                                  << "/";
    }
    void folderUp()
    {
        QFETCH(QString, current);
        QFETCH(QString, folder);
        QFETCH(QString, select);
        const auto move = FolderNav::Up(current);
        QVERIFY(move);
        QCOMPARE(move->folder, folder);
        QCOMPARE(move->select, select);
        QVERIFY(!FolderNav::Up(QString()));
    }

    void folderTop_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("select");
        QTest::newRow("inside home") << "/home/alice/Books"
                                     << "/home/alice";
        QTest::newRow("home itself") << "/home/alice"
                                     << "/home/alice";
        QTest::newRow("case ignored") << "/HOME/Alice/x"
                                      << "/home/alice";
        QTest::newRow("a longer sibling name") << "/home/alice2/x"
                                               << "/";
        QTest::newRow("on a volume") << "/media/alice/USB/manga"
                                     << "/media/alice/USB";
        QTest::newRow("elsewhere") << "/srv/books"
                                   << "/";
        QTest::newRow("the root") << "/"
                                  << "/";
    }
    void folderTop()
    {
        QFETCH(QString, current);
        QFETCH(QString, select);
        const QStringList roots = { "/", "/home/alice", "/media/alice/USB" };
        const auto move = FolderNav::Top(current, roots);
        QVERIFY(move);
        QCOMPARE(move->folder, QString());
        QCOMPARE(move->select, select);
        QVERIFY(!FolderNav::Top(QString(), roots));
        QVERIFY(!FolderNav::Top("relative", roots));
    }
};

LUMIVO_TEST_MAIN(TestInput)
#include "tst_input.moc"
