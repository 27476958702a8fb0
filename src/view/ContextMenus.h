#pragma once

#include "browser/BookRecord.h"

#include <QMenu>

#include <memory>

// The three context menus of the viewer: their items, texts and order, and which
// items are checked or enabled at the moment they open.
namespace ContextMenus
{

enum MenuId { MENU_FOLDER = 312, MENU_RESUME = 313, MENU_CONTENT = 314 };

// What the menus look at when they open.
struct Context {
    bool fullScreen = false;
    bool resumeScreen = false;
    bool atDriveList = true; // no current folder
    const BookRecord* selected = nullptr; // the record behind the first selected row
    BookRecord book; // the open or last book
    bool hasOutline = false; // the open book is a PDF with an outline
    bool nightMode = false;
};

struct ItemState {
    bool enabled = true;
    bool checked = false;
};

ItemState StateOf(int id, const Context& context);
// The menu with every item, nested ones included, checked and enabled for the context.
// Each action carries its command id as data.
std::unique_ptr<QMenu> Build(MenuId menu, const Context& context, QWidget* parent);
// The text of the item of any menu that carries a command id, without its key
// ("２倍 - 上段左"); "" for an id no menu holds.
QString ItemText(int id);

} // namespace ContextMenus
