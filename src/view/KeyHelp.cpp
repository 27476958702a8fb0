#include "view/KeyHelp.h"

#include "platform/VirtualKeys.h"
#include "view/CommandIds.h"

namespace KeyHelp
{

using namespace InputRules;
using namespace VirtualKeys;

namespace
{
    Stroke Ctrl(int vk, int action)
    {
        return { vk, true, false, action };
    }

    // The keys the list moves by itself, on both list screens.
    Row ListMoves()
    {
        return { QStringLiteral("↑ ↓ PageUp PageDown Home End"), QStringLiteral("一覧の中で選ぶ"),
            { { VK_UP }, { VK_DOWN }, { VK_PRIOR }, { VK_NEXT }, { VK_HOME }, { VK_END } } };
    }

    QList<Row> FolderRows(bool covers)
    {
        const Row left = covers ? Row { QStringLiteral("← →"),
            QStringLiteral("一つ左右を選ぶ（先頭で ← は上位Folderへ）"),
            { { VK_LEFT }, { VK_RIGHT } } }
                                : Row { QStringLiteral("←"), QStringLiteral("上位Folderへ"),
                                      { { VK_LEFT, false, false, ID_FOLDER_UP } } };
        return {
            { QStringLiteral("Enter, 再生"), QStringLiteral("ファイルを開く、Folderの展開"),
                { { VK_RETURN, false, false, ID_OPEN_ITEM },
                    { VK_MEDIA_PLAY_PAUSE, false, false, ID_OPEN_ITEM } } },
            ListMoves(),
            left,
            { QStringLiteral("Esc"), QStringLiteral("ドライブの一覧へ"),
                { { VK_ESCAPE, false, false, ID_FOLDER_TOP } } },
            { QStringLiteral("Tab"), QStringLiteral("Resume画面へ（選んだ本を引き継ぐ）"),
                { { VK_TAB, false, false, ID_SWITCH_SCREEN_KEEP } } },
            { QStringLiteral("Ctrl+O"), QStringLiteral("Resume画面へ（前に見ていたまま）"),
                { Ctrl('O', ID_SWITCH_SCREEN_RESET) } },
            { QStringLiteral("Backspace"), QStringLiteral("選んだ本のResume登録を削除"),
                { { VK_BACK, false, false, ID_RESUME_DELETE } } },
        };
    }

    QList<Row> ResumeRows()
    {
        return {
            { QStringLiteral("Enter, 再生"), QStringLiteral("読んでいた位置から開く"),
                { { VK_RETURN, false, false, ID_OPEN_ITEM },
                    { VK_MEDIA_PLAY_PAUSE, false, false, ID_OPEN_ITEM } } },
            ListMoves(),
            { QStringLiteral("Tab"), QStringLiteral("選んだ本のFolder画面へ"),
                { { VK_TAB, false, false, ID_SWITCH_SCREEN_KEEP } } },
            { QStringLiteral("Ctrl+O"), QStringLiteral("Folder画面へ（前に見ていたまま）"),
                { Ctrl('O', ID_SWITCH_SCREEN_RESET) } },
            { QStringLiteral("Backspace"), QStringLiteral("選んだResume登録を削除"),
                { { VK_BACK, false, false, ID_RESUME_DELETE } } },
        };
    }

    QList<Row> ContentRows()
    {
        QList<Stroke> digits;
        for (int digit = 1; digit <= 10; ++digit)
            digits.append({ '0' + digit % 10, false, false, ZoomCommandForDigit(digit % 10) });
        return {
            { QStringLiteral("PageDown, Space / PageUp, Shift+Space"),
                QStringLiteral("次 / 前のページ"),
                { { VK_NEXT, false, false, ID_PAGE_NEXT }, { VK_SPACE, false, false, ID_PAGE_NEXT },
                    { VK_PRIOR, false, false, ID_PAGE_PREV },
                    { VK_SPACE, false, true, ID_PAGE_PREV } } },
            { QStringLiteral("Ctrl+G / Ctrl+L"), QStringLiteral("ページ指定 / ページ一覧"),
                { Ctrl('G', ID_GO_TO_PAGE), Ctrl('L', ID_PAGE_GRID) } },
            { QStringLiteral("Ctrl+M"), QStringLiteral("目次（PDFの目次を一覧で）"),
                { Ctrl('M', ID_SHOW_OUTLINE) } },
            { QStringLiteral("Ctrl+I"), QStringLiteral("ページ番号とレイアウトを表示"),
                { Ctrl('I', ACT_SHOW_PLATE) } },
            { QStringLiteral("Ctrl+W"), QStringLiteral("幅に合わせてスクロール 入 / 切"),
                { Ctrl('W', ID_FIT_WIDTH) } },
            { QStringLiteral("Ctrl+K / Ctrl+N"), QStringLiteral("余白カット / 夜間モード 入・切"),
                { Ctrl('K', ID_CROP_BORDERS), Ctrl('N', ID_NIGHT_MODE) } },
            { QStringLiteral("Ctrl+T / Ctrl+R"), QStringLiteral("スキップ送り / 戻り"),
                { Ctrl('T', ID_SKIP_FORWARD), Ctrl('R', ID_SKIP_BACK) } },
            { QStringLiteral("Home, Ctrl+B, 前の曲 / End, Ctrl+E, 次の曲"),
                QStringLiteral("先頭 / 最終ページ"),
                { { VK_HOME, false, false, ID_PAGE_FIRST }, Ctrl('B', ID_PAGE_FIRST),
                    { VK_MEDIA_PREV_TRACK, false, false, ID_PAGE_FIRST },
                    { VK_END, false, false, ID_PAGE_LAST }, Ctrl('E', ID_PAGE_LAST),
                    { VK_MEDIA_NEXT_TRACK, false, false, ID_PAGE_LAST } } },
            { QStringLiteral("Tab"), QStringLiteral("単一ページ → 表紙あり見開き → 表紙なし見開き"),
                { { VK_TAB, false, false, ACT_CYCLE_LAYOUT } } },
            { QStringLiteral("Ctrl+O"), QStringLiteral("見開きを右綴じ / 左綴じに"),
                { Ctrl('O', ACT_TOGGLE_BINDING) } },
            { QStringLiteral("Enter"), QStringLiteral("ページの中央を２倍に拡大 / 拡大をやめる"),
                { { VK_RETURN, false, false, ACT_TOGGLE_ZOOM } } },
            { QStringLiteral("1〜9, 0"),
                QStringLiteral("９分割の一つを２倍に（テンキーの並び）、0で拡大なし"), digits },
            { QStringLiteral("← ↑ → ↓"),
                QStringLiteral("拡大する所を動かす。端と拡大なしではページをめくる"),
                { { VK_LEFT, false, false, ACT_ZOOM_LEFT }, { VK_UP, false, false, ACT_STEP_UP },
                    { VK_RIGHT, false, false, ACT_ZOOM_RIGHT },
                    { VK_DOWN, false, false, ACT_STEP_DOWN } } },
            { QStringLiteral("Esc"), QStringLiteral("Resume登録せずに閉じる"),
                { { VK_ESCAPE, false, false, ID_CLOSE_NO_RESUME } } },
            { QStringLiteral("Ctrl+C, 停止"), QStringLiteral("Resume上書きして閉じる"),
                { Ctrl('C', ID_CLOSE_OVERWRITE_RESUME),
                    { VK_MEDIA_STOP, false, false, ID_CLOSE_OVERWRITE_RESUME } } },
            { QStringLiteral("Ctrl+S, 再生"), QStringLiteral("Resume追加して閉じる"),
                { Ctrl('S', ID_CLOSE_ADD_RESUME),
                    { VK_MEDIA_PLAY_PAUSE, false, false, ID_CLOSE_ADD_RESUME } } },
        };
    }

    QList<Row> OutlineRows()
    {
        return {
            { QStringLiteral("Enter, 再生"), QStringLiteral("選んだ項目のページへ"),
                { { VK_RETURN, false, false, ID_OPEN_ITEM },
                    { VK_MEDIA_PLAY_PAUSE, false, false, ID_OPEN_ITEM } } },
            ListMoves(),
            { QStringLiteral("Esc, Ctrl+M"), QStringLiteral("目次を閉じてページに戻る"),
                { { VK_ESCAPE, false, false, ID_OUTLINE_CLOSE }, Ctrl('M', ID_OUTLINE_CLOSE) } },
        };
    }

    // The grid moves its frame itself, as a list moves its choice.
    QList<Row> GridRows()
    {
        return {
            { QStringLiteral("Enter, 再生, クリック"), QStringLiteral("選んだページを開く"),
                { { VK_RETURN, false, false, ID_OPEN_ITEM },
                    { VK_MEDIA_PLAY_PAUSE, false, false, ID_OPEN_ITEM } } },
            { QStringLiteral("← ↑ → ↓"), QStringLiteral("ページを選ぶ"),
                { { VK_LEFT }, { VK_UP }, { VK_RIGHT }, { VK_DOWN } } },
            { QStringLiteral("PageUp PageDown Home End, ホイール"),
                QStringLiteral("一画面ずつ / 先頭 / 最後へ"),
                { { VK_PRIOR }, { VK_NEXT }, { VK_HOME }, { VK_END } } },
            { QStringLiteral("Esc, Ctrl+L"), QStringLiteral("一覧を閉じて読んでいたページに戻る"),
                { { VK_ESCAPE, false, false, ID_PAGE_GRID }, Ctrl('L', ID_PAGE_GRID) } },
        };
    }

    QList<Row> EverywhereRows()
    {
        return {
            { QStringLiteral("Ctrl+F"), QStringLiteral("Full Screen 切替"),
                { Ctrl('F', ID_FULLSCREEN_TOGGLE) } },
            { QStringLiteral("Alt+Enter"), QStringLiteral("Full Screen にする"), {} },
            { QStringLiteral("メニューキー, Shift+F10"),
                QStringLiteral("メニューを出す（右クリックでも）"),
                { { VK_APPS, false, false, ACT_DEFAULT }, { VK_F10, false, true, ACT_DEFAULT } } },
            { QStringLiteral("F1"), QStringLiteral("このキーの一覧"),
                { { VK_F1, false, false, ACT_KEY_HELP } } },
            { QStringLiteral("Alt+F4"), QStringLiteral("終了"), {} },
        };
    }

    // Words short enough for a ninth of a small picture, broken where they read well.
    QString ClickWord(int action, bool zoomed)
    {
        switch (action) {
        case ACT_CYCLE_LAYOUT:
            return QStringLiteral("レイアウト\n切替");
        case ACT_STEP_UP:
            return zoomed ? QStringLiteral("上へ") : QStringLiteral("前のページ");
        case ACT_STEP_DOWN:
            return zoomed ? QStringLiteral("下へ") : QStringLiteral("次のページ");
        case ACT_ZOOM_LEFT:
            return QStringLiteral("左へ");
        case ACT_ZOOM_RIGHT:
            return QStringLiteral("右へ");
        case ACT_TOGGLE_ZOOM:
            return zoomed ? QStringLiteral("戻す") : QStringLiteral("２倍に拡大");
        case ACT_TOGGLE_BINDING:
            return QStringLiteral("綴じ方向\n切替");
        case ACT_TOGGLE_PAD:
            return QStringLiteral("リモコン\nパッド");
        default:
            return {};
        }
    }

    // Asked of the click rules at the middle of each ninth of a 3 x 3 area, so that the
    // picture changes with them.
    QList<Ninth> ReadingNinths()
    {
        QList<Ninth> ninths;
        for (int cell = 0; cell < 9; ++cell) {
            const int x = cell % 3;
            const int y = cell / 3;
            const int plain = ClickAction(3, 3, x, y, SCREEN_CONTENT, false);
            const int zoomed = ClickAction(3, 3, x, y, SCREEN_CONTENT, true);
            Ninth ninth { ClickWord(plain, false), {} };
            const QString magnified = ClickWord(zoomed, true);
            if (magnified != ninth.plain && !magnified.isEmpty())
                ninth.zoomed = QStringLiteral("拡大中:") + magnified;
            ninths.append(ninth);
        }
        return ninths;
    }
} // namespace

Sheet ForScreen(Screen screen, bool covers)
{
    // Each screen brings its own title and rows; the keys of every screen follow.
    switch (screen) {
    case SCREEN_CONTENT:
        return { QStringLiteral("読書中のキー"), ContentRows(), EverywhereRows(), ReadingNinths() };
    case SCREEN_FOLDER:
        return { QStringLiteral("Folder画面のキー"), FolderRows(covers), EverywhereRows() };
    case SCREEN_RESUME:
        return { QStringLiteral("Resume画面のキー"), ResumeRows(), EverywhereRows() };
    case SCREEN_OUTLINE:
        return { QStringLiteral("目次のキー"), OutlineRows(), EverywhereRows() };
    case SCREEN_GRID:
        return { QStringLiteral("ページ一覧のキー"), GridRows(), EverywhereRows() };
    }
    return {};
}

} // namespace KeyHelp
