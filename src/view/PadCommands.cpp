#include "view/PadCommands.h"

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

} // namespace PadCommands
