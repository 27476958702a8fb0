#include "view/PadCommands.h"

#include "platform/VirtualKeys.h"
#include "view/CommandIds.h"

#include <Qt>

namespace PadCommands
{

using namespace InputRules;

PadAction PadCommand(int code, Screen screen)
{
    const bool content = screen == SCREEN_CONTENT;
    const bool folder = screen == SCREEN_FOLDER;
    const auto either = [content](int reading, int listing) {
        return PadAction { content ? reading : listing, 0 };
    };
    const auto key = [content](int reading, Qt::Key listKey) {
        return content ? PadAction { reading, 0 } : PadAction { ACT_NONE, listKey };
    };
    if (screen == SCREEN_GRID) {
        // The page grid moves its frame as the list screens move their choice.
        switch (code) {
        case 3:
            return { ACT_NONE, Qt::Key_Home };
        case 4:
            return { ACT_NONE, Qt::Key_End };
        case 15:
            return { ACT_NONE, Qt::Key_Left };
        case 17:
            return { ACT_NONE, Qt::Key_Right };
        case 20:
            return { ID_PAGE_GRID, 0 };
        case 0:
        case 2:
        case 5:
        case 8:
        case 9:
        case 11:
        case 13:
        case 16:
        case 19:
            break;
        default:
            return {};
        }
    }
    switch (code) {
    case 0:
        return { ID_EXIT_VIEWER, 0 };
    case 2:
        return { ACT_HIDE_PAD, 0 };
    case 3:
        return either(ID_PAGE_FIRST, ACT_NONE);
    case 4:
        return either(ID_PAGE_LAST, ACT_NONE);
    case 5:
        return { ID_FULLSCREEN_TOGGLE, 0 };
    case 6:
        return either(ID_SKIP_BACK, folder ? ID_FOLDER_UP : ACT_NONE);
    case 7:
        return either(ID_SKIP_FORWARD, ACT_NONE);
    case 8:
        return key(ID_PAGE_PREV, Qt::Key_PageUp);
    case 9:
        return either(ID_CLOSE_ADD_RESUME, ID_OPEN_ITEM);
    case 10:
        return either(ID_CLOSE_OVERWRITE_RESUME, ACT_NONE);
    case 11:
        return key(ID_PAGE_NEXT, Qt::Key_PageDown);
    case 12:
        return either(ACT_CYCLE_LAYOUT, ID_SWITCH_SCREEN_KEEP);
    case 13:
        return key(ACT_STEP_UP, Qt::Key_Up);
    case 14:
        return either(ACT_NONE, ID_RESUME_DELETE);
    case 15:
        return either(ACT_ZOOM_LEFT, folder ? ID_FOLDER_UP : ACT_NONE);
    case 16:
        return either(ACT_TOGGLE_ZOOM, ID_OPEN_ITEM);
    case 17:
        return either(ACT_ZOOM_RIGHT, ACT_NONE);
    case 18:
        return either(ACT_TOGGLE_BINDING, ID_SWITCH_SCREEN_RESET);
    case 19:
        return key(ACT_STEP_DOWN, Qt::Key_Down);
    case 20:
        if (screen == SCREEN_OUTLINE)
            return { ID_OUTLINE_CLOSE, 0 };
        return either(ID_CLOSE_NO_RESUME, folder ? ID_FOLDER_TOP : ACT_NONE);
    default:
        return {};
    }
}

PadHint PadHintFor(int code, Screen screen)
{
    using namespace VirtualKeys;
    const bool content = screen == SCREEN_CONTENT;
    const bool folder = screen == SCREEN_FOLDER;
    const auto either = [content](const PadHint& reading, const PadHint& listing) {
        return content ? reading : listing;
    };
    const auto inFolder = [folder](const PadHint& hint) { return folder ? hint : PadHint {}; };
    if (screen == SCREEN_GRID) {
        switch (code) {
        case 3:
            return { "先頭ページを選ぶ", "Home", VK_HOME };
        case 4:
            return { "最終ページを選ぶ", "End", VK_END };
        case 8:
            return { "一画面前へ", "PageUp", VK_PRIOR };
        case 11:
            return { "一画面次へ", "PageDown", VK_NEXT };
        case 13:
            return { "一つ上を選ぶ", "↑", VK_UP };
        case 19:
            return { "一つ下を選ぶ", "↓", VK_DOWN };
        case 15:
            return { "一つ左を選ぶ", "←", VK_LEFT };
        case 17:
            return { "一つ右を選ぶ", "→", VK_RIGHT };
        case 9:
        case 16:
            return { "選んだページを開く", "Enter", VK_RETURN };
        case 20:
            return { "ページ一覧を閉じる", "Esc", VK_ESCAPE };
        case 0:
        case 1:
        case 2:
        case 5:
            break;
        default:
            return {};
        }
    }
    switch (code) {
    case 0:
        return { "Lumivoを終了", "Alt+F4" };
    case 1:
        return { "ドラッグしてパッドを動かす" };
    case 2:
        return { "パッドを隠す" };
    case 3:
        return either({ "先頭ページ", "Home", VK_HOME }, {});
    case 4:
        return either({ "最終ページ", "End", VK_END }, {});
    case 5:
        return { "Full Screen 切替", "Ctrl+F", 'F', true };
    case 6:
        return either(
            { "スキップ戻り", "Ctrl+R", 'R', true }, inFolder({ "上位Folderへ", "←", VK_LEFT }));
    case 7:
        return either({ "スキップ送り", "Ctrl+T", 'T', true }, {});
    case 8:
        return either(
            { "前のページ", "PageUp", VK_PRIOR }, { "一覧を前へ送る", "PageUp", VK_PRIOR });
    case 9:
        return either({ "Resume追加して閉じる", "Ctrl+S", 'S', true },
            { "ファイルを開く", "Enter", VK_RETURN });
    case 10:
        return either({ "Resume上書きして閉じる", "Ctrl+C", 'C', true }, {});
    case 11:
        return either(
            { "次のページ", "PageDown", VK_NEXT }, { "一覧を次へ送る", "PageDown", VK_NEXT });
    case 12:
        return either({ "単一ページ・表紙あり見開き・表紙なし見開きの切替", "Tab", VK_TAB },
            { folder ? "Resume画面へ（選んだ本を引き継ぐ）" : "選んだ本のFolder画面へ", "Tab",
                VK_TAB });
    case 13:
        return either({ "前のページ（拡大中は上へ）", "↑", VK_UP }, { "一つ上を選ぶ", "↑", VK_UP });
    case 14:
        return either({},
            { folder ? "選んだ本のResume登録を削除" : "選んだResume登録を削除", "Backspace",
                VK_BACK });
    case 15:
        return either({ "左のページへ（拡大中は拡大する所を左へ）", "←", VK_LEFT },
            inFolder({ "上位Folderへ", "←", VK_LEFT }));
    case 16:
        return either({ "ページの中央を２倍に拡大 / 拡大をやめる", "Enter", VK_RETURN },
            { "ファイルを開く", "Enter", VK_RETURN });
    case 17:
        return either({ "右のページへ（拡大中は拡大する所を右へ）", "→", VK_RIGHT }, {});
    case 18:
        return either({ "見開きを右綴じ / 左綴じに", "Ctrl+O", 'O', true },
            { folder ? "Resume画面へ（前に見ていたまま）" : "Folder画面へ（前に見ていたまま）",
                "Ctrl+O", 'O', true });
    case 19:
        return either(
            { "次のページ（拡大中は下へ）", "↓", VK_DOWN }, { "一つ下を選ぶ", "↓", VK_DOWN });
    case 20:
        return either({ "Resume登録せずに閉じる", "Esc", VK_ESCAPE },
            inFolder({ "ドライブの一覧へ", "Esc", VK_ESCAPE }));
    default:
        return {};
    }
}

QString PadToolTip(int code, Screen screen)
{
    const PadHint hint = PadHintFor(code, screen);
    if (!hint.what)
        return {};
    QString tip = QString::fromUtf8(hint.what);
    if (hint.key)
        tip += QStringLiteral("\nキー: ") + QString::fromUtf8(hint.key);
    return tip;
}

} // namespace PadCommands
