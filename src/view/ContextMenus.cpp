#include "view/ContextMenus.h"

#include "view/CommandIds.h"
#include "view/InputRules.h"

#include <QAction>

#include <span>

namespace ContextMenus
{

namespace
{
    // id 0 is a separator; a submenu has children and no id.
    struct Entry {
        int id;
        const char* text;
        std::span<const Entry> children = {};
    };

    const Entry kFolderMenu[] = {
        { ID_OPEN_ITEM, "ファイルを開く\tEnter" },
        { 0, nullptr },
        { ID_SWITCH_SCREEN_KEEP, "Resume画面へ(選択継承)\tTab" },
        { ID_SWITCH_SCREEN_RESET, "Resume画面へ(選択無視)\tCtrl+O" },
        { ID_FOLDER_EXPAND, "Folderの展開\tEnter" },
        { ID_FOLDER_UP, "上位Folderへ\t←" },
        { ID_FOLDER_TOP, "最上位Folderへ\tEsc" },
        { ID_RESUME_DELETE, "Resume登録削除\tBackspace" },
        { 0, nullptr },
        { ID_FULLSCREEN_TOGGLE, "Full Screen 切替\tCtrl+F" },
        { 0, nullptr },
        { ID_SETTINGS, "設定 ..." },
        { ID_APP_ABOUT, "Lumivoについて ..." },
        { 0, nullptr },
        { ID_EXIT_VIEWER, "終了\tAlt+F4" },
    };

    const Entry kResumeMenu[] = {
        { ID_OPEN_ITEM, "ファイルを開く\tEnter" },
        { 0, nullptr },
        { ID_SWITCH_SCREEN_KEEP, "Folder画面へ(選択継承)\tTab" },
        { ID_SWITCH_SCREEN_RESET, "Folder画面へ(選択無視)\tCtrl+O" },
        { ID_RESUME_DELETE, "Resume登録削除\tBackspace" },
        { 0, nullptr },
        { ID_FULLSCREEN_TOGGLE, "Full Screen 切替\tCtrl+F" },
        { 0, nullptr },
        { ID_SETTINGS, "設定 ..." },
        { ID_APP_ABOUT, "Lumivoについて ..." },
        { 0, nullptr },
        { ID_EXIT_VIEWER, "終了\tAlt+F4" },
    };

    const Entry kLayoutMenu[]
        = { { ID_LAYOUT_SINGLE, "単一ページ" }, { ID_LAYOUT_SPREAD_COVER, "表紙あり見開き" },
              { ID_LAYOUT_SPREAD_NOCOVER, "表紙なし見開き" } };

    const Entry kBindMenu[] = { { ID_BIND_RIGHT, "右綴じ" }, { ID_BIND_LEFT, "左綴じ" } };

    const Entry kZoomMenu[] = { { ID_ZOOM_NONE, "拡大なし\t0" },
        { ID_ZOOM_TOP_LEFT, "２倍 - 上段左\t7" }, { ID_ZOOM_TOP_CENTER, "２倍 - 上段中\t8" },
        { ID_ZOOM_TOP_RIGHT, "２倍 - 上段右\t9" }, { ID_ZOOM_MIDDLE_LEFT, "２倍 - 中段左\t4" },
        { ID_ZOOM_MIDDLE_CENTER, "２倍 - 中段中\t5" }, { ID_ZOOM_MIDDLE_RIGHT, "２倍 - 中段右\t6" },
        { ID_ZOOM_BOTTOM_LEFT, "２倍 - 下段左\t1" }, { ID_ZOOM_BOTTOM_CENTER, "２倍 - 下段中\t2" },
        { ID_ZOOM_BOTTOM_RIGHT, "２倍 - 下段右\t3" } };

    const Entry kContentMenu[] = {
        { ID_FULLSCREEN_TOGGLE, "Full Screen 切替\tCtrl+F" },
        { 0, nullptr },
        { ID_CLOSE_NO_RESUME, "Resume登録せずに閉じる\tEsc" },
        { ID_CLOSE_OVERWRITE_RESUME, "Resume上書きして閉じる\tCtrl+C" },
        { ID_CLOSE_ADD_RESUME, "Resume追加して閉じる\tCtrl+S" },
        { 0, nullptr },
        { ID_PAGE_NEXT, "次のページ\tPageDown" },
        { ID_PAGE_PREV, "前のページ\tPageUp" },
        { ID_SKIP_FORWARD, "スキップ送り\tCtrl+T" },
        { ID_SKIP_BACK, "スキップ戻り\tCtrl+R" },
        { ID_PAGE_FIRST, "先頭ページ\tCtrl+B" },
        { ID_PAGE_LAST, "最終ページ\tCtrl+E" },
        { ID_GO_TO_PAGE, "ページ指定...\tCtrl+G" },
        { ID_SHOW_OUTLINE, "目次...\tCtrl+M" },
        { ID_PAGE_GRID, "ページ一覧...\tCtrl+L" },
        { 0, nullptr },
        { 0, "レイアウト", kLayoutMenu },
        { 0, "画像の見開きモード", kBindMenu },
        { 0, "拡大表示", kZoomMenu },
        { ID_FIT_WIDTH, "幅に合わせる\tCtrl+W" },
        { ID_CROP_BORDERS, "余白カット\tCtrl+K" },
        { ID_NIGHT_MODE, "夜間モード\tCtrl+N" },
        { 0, nullptr },
        { ID_EXIT_VIEWER, "終了\tAlt+F4" },
    };

    void AddEntries(QMenu& menu, std::span<const Entry> entries, const Context& context)
    {
        for (const Entry& entry : entries) {
            if (!entry.text) {
                menu.addSeparator();
            } else if (entry.children.size() > 0) {
                QMenu* sub = menu.addMenu(QString::fromUtf8(entry.text));
                AddEntries(*sub, entry.children, context);
            } else {
                QAction* action = menu.addAction(QString::fromUtf8(entry.text));
                action->setData(entry.id);
                const ItemState state = StateOf(entry.id, context);
                // Only a checked item shows a mark; unchecked items look like plain ones.
                action->setCheckable(state.checked);
                action->setChecked(state.checked);
                action->setEnabled(state.enabled);
            }
        }
    }

    const Entry* FindEntry(std::span<const Entry> entries, int id)
    {
        for (const Entry& entry : entries) {
            if (entry.text && entry.id != 0 && entry.id == id)
                return &entry;
            if (const Entry* inner = FindEntry(entry.children, id))
                return inner;
        }
        return nullptr;
    }
} // namespace

ItemState StateOf(int id, const Context& context)
{
    const BookRecord& book = context.book;
    const BookRecord* selected = context.selected;
    switch (id) {
    case ID_FULLSCREEN_TOGGLE:
        return { true, context.fullScreen };
    case ID_OPEN_ITEM:
        return { selected && selected->nType == TYPE_FILE, false };
    case ID_FOLDER_EXPAND:
        return { selected && (selected->nType == TYPE_DRIVE || selected->nType == TYPE_FOLDER),
            false };
    case ID_FOLDER_UP:
    case ID_FOLDER_TOP:
        return { !context.atDriveList, false };
    case ID_RESUME_DELETE:
        if (context.resumeScreen)
            return { selected != nullptr, false };
        return { selected && selected->nType == TYPE_FILE && selected->nPage >= 0, false };
    case ID_PAGE_FIRST:
    case ID_SKIP_BACK:
    case ID_PAGE_PREV:
        return { book.nPage > 1, false };
    case ID_PAGE_NEXT:
    case ID_SKIP_FORWARD:
    case ID_PAGE_LAST:
        return { book.nPage < book.nPageCount, false };
    case ID_GO_TO_PAGE:
    case ID_PAGE_GRID:
        return { book.nPageCount > 1, false };
    case ID_SHOW_OUTLINE:
        return { context.hasOutline, false };
    case ID_LAYOUT_SINGLE:
        return { true, book.nLayout == LAYOUT_SINGLE };
    case ID_LAYOUT_SPREAD_COVER:
        return { true, book.nLayout == LAYOUT_SPREAD_COVER };
    case ID_LAYOUT_SPREAD_NOCOVER:
        return { true, book.nLayout == LAYOUT_SPREAD_NOCOVER };
    case ID_BIND_RIGHT:
        return { book.nLayout != LAYOUT_SINGLE, book.SpreadBinding() == BIND_RIGHT };
    case ID_BIND_LEFT:
        return { book.nLayout != LAYOUT_SINGLE, book.SpreadBinding() == BIND_LEFT };
    case ID_CROP_BORDERS:
        return { true, book.bCrop };
    case ID_FIT_WIDTH:
        return { true, book.bFitWidth };
    case ID_NIGHT_MODE:
        return { true, context.nightMode };
    default:
        break;
    }
    const int zoom = InputRules::ZoomOfCommand(id);
    // The magnifier has no place among pages scrolled at the width.
    if (zoom >= 0)
        return { !book.bFitWidth, book.nZoom == zoom };
    return {};
}

std::unique_ptr<QMenu> Build(MenuId menu, const Context& context, QWidget* parent)
{
    auto result = std::make_unique<QMenu>(parent);
    switch (menu) {
    case MENU_FOLDER:
        AddEntries(*result, kFolderMenu, context);
        break;
    case MENU_RESUME:
        AddEntries(*result, kResumeMenu, context);
        break;
    case MENU_CONTENT:
        AddEntries(*result, kContentMenu, context);
        break;
    }
    return result;
}

QString ItemText(int id)
{
    for (const std::span<const Entry> menu : { std::span<const Entry>(kFolderMenu),
             std::span<const Entry>(kResumeMenu), std::span<const Entry>(kContentMenu) }) {
        if (const Entry* entry = FindEntry(menu, id))
            return QString::fromUtf8(entry->text).section(QLatin1Char('\t'), 0, 0);
    }
    return QString();
}

} // namespace ContextMenus
