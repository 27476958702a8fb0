#include "view/InputRules.h"

#include "browser/BookRecord.h"
#include "platform/VirtualKeys.h"
#include "view/CommandIds.h"

#include <algorithm>
#include <climits>
#include <utility>

using namespace VirtualKeys;

namespace InputRules
{

namespace
{
    // Indexed by the digit.
    constexpr int kZoomByDigit[10] = { ID_ZOOM_NONE, ID_ZOOM_BOTTOM_LEFT, ID_ZOOM_BOTTOM_CENTER,
        ID_ZOOM_BOTTOM_RIGHT, ID_ZOOM_MIDDLE_LEFT, ID_ZOOM_MIDDLE_CENTER, ID_ZOOM_MIDDLE_RIGHT,
        ID_ZOOM_TOP_LEFT, ID_ZOOM_TOP_CENTER, ID_ZOOM_TOP_RIGHT };
    // Indexed by the zoom value.
    constexpr int kZoomCommands[10] = { ID_ZOOM_NONE, ID_ZOOM_TOP_LEFT, ID_ZOOM_TOP_CENTER,
        ID_ZOOM_TOP_RIGHT, ID_ZOOM_MIDDLE_LEFT, ID_ZOOM_MIDDLE_CENTER, ID_ZOOM_MIDDLE_RIGHT,
        ID_ZOOM_BOTTOM_LEFT, ID_ZOOM_BOTTOM_CENTER, ID_ZOOM_BOTTOM_RIGHT };

    int ByScreen(Screen screen, int content, int folder, int resume, int outline = ACT_NONE,
        int grid = ACT_NONE)
    {
        switch (screen) {
        case SCREEN_CONTENT:
            return content;
        case SCREEN_FOLDER:
            return folder;
        case SCREEN_RESUME:
            return resume;
        case SCREEN_OUTLINE:
            return outline;
        case SCREEN_GRID:
            return grid;
        }
        return ACT_NONE;
    }
} // namespace

int ZoomCommandForDigit(int digit)
{
    return digit >= 0 && digit <= 9 ? kZoomByDigit[digit] : 0;
}

int ZoomOfCommand(int id)
{
    for (int zoom = 0; zoom < 10; ++zoom) {
        if (kZoomCommands[zoom] == id)
            return zoom;
    }
    return -1;
}

int AcceleratorCommand(int vk, bool ctrl, bool shift, bool alt)
{
    if (!ctrl || shift || alt)
        return 0;
    switch (vk) {
    case 'R':
        return ID_SKIP_BACK;
    case 'T':
        return ID_SKIP_FORWARD;
    case 'B':
        return ID_PAGE_FIRST;
    case 'E':
        return ID_PAGE_LAST;
    case 'G':
        return ID_GO_TO_PAGE;
    default:
        return 0;
    }
}

int KeyAction(int vk, bool ctrl, bool shift, Screen screen)
{
    if (vk < VK_BACK || vk > VK_MEDIA_PLAY_PAUSE)
        return ACT_NONE;
    const bool noMod = !ctrl && !shift;
    const bool ctrlOnly = ctrl && !shift;
    const bool content = screen == SCREEN_CONTENT;
    const bool list = screen == SCREEN_FOLDER || screen == SCREEN_RESUME;
    switch (vk) {
    case VK_BACK:
        return noMod && list ? ID_RESUME_DELETE : ACT_NONE;
    case VK_TAB:
        return noMod
            ? ByScreen(screen, ACT_CYCLE_LAYOUT, ID_SWITCH_SCREEN_KEEP, ID_SWITCH_SCREEN_KEEP)
            : ACT_NONE;
    case VK_RETURN:
        return noMod ? ByScreen(
                   screen, ACT_TOGGLE_ZOOM, ID_OPEN_ITEM, ID_OPEN_ITEM, ID_OPEN_ITEM, ID_OPEN_ITEM)
                     : ACT_NONE;
    case VK_ESCAPE:
        return noMod ? ByScreen(screen, ID_CLOSE_NO_RESUME, ID_FOLDER_TOP, ACT_NONE,
                   ID_OUTLINE_CLOSE, ID_PAGE_GRID)
                     : ACT_NONE;
    case VK_SPACE:
        if (!content || ctrl)
            return ACT_NONE;
        return shift ? ID_PAGE_PREV : ID_PAGE_NEXT;
    case VK_PRIOR:
        return content ? ID_PAGE_PREV : ACT_NONE;
    case VK_NEXT:
        return content ? ID_PAGE_NEXT : ACT_NONE;
    case VK_END:
        return content ? ID_PAGE_LAST : ACT_NONE;
    case VK_HOME:
        return content ? ID_PAGE_FIRST : ACT_NONE;
    case VK_LEFT:
        return noMod ? ByScreen(screen, ACT_ZOOM_LEFT, ID_FOLDER_UP, ACT_NONE) : ACT_NONE;
    case VK_UP:
        return content ? ACT_STEP_UP : ACT_NONE;
    case VK_RIGHT:
        return noMod && content ? ACT_ZOOM_RIGHT : ACT_NONE;
    case VK_DOWN:
        return content ? ACT_STEP_DOWN : ACT_NONE;
    case 'C':
        return ctrlOnly && content ? ID_CLOSE_OVERWRITE_RESUME : ACT_NONE;
    case 'F':
        return ctrlOnly ? ID_FULLSCREEN_TOGGLE : ACT_NONE;
    case 'I':
        return ctrlOnly && content ? ACT_SHOW_PLATE : ACT_NONE;
    case 'K':
        return ctrlOnly && content ? ID_CROP_BORDERS : ACT_NONE;
    case 'N':
        return ctrlOnly && content ? ID_NIGHT_MODE : ACT_NONE;
    case 'W':
        return ctrlOnly && content ? ID_FIT_WIDTH : ACT_NONE;
    case 'L':
        return ctrlOnly ? ByScreen(screen, ID_PAGE_GRID, ACT_NONE, ACT_NONE, ACT_NONE, ID_PAGE_GRID)
                        : ACT_NONE;
    case 'M':
        return ctrlOnly ? ByScreen(screen, ID_SHOW_OUTLINE, ACT_NONE, ACT_NONE, ID_OUTLINE_CLOSE)
                        : ACT_NONE;
    case 'O':
        return ctrlOnly
            ? ByScreen(screen, ACT_TOGGLE_BINDING, ID_SWITCH_SCREEN_RESET, ID_SWITCH_SCREEN_RESET)
            : ACT_NONE;
    case 'S':
        return ctrlOnly && content ? ID_CLOSE_ADD_RESUME : ACT_NONE;
    case VK_VOLUME_MUTE:
    case VK_VOLUME_DOWN:
    case VK_VOLUME_UP:
        return ACT_NONE;
    case VK_MEDIA_NEXT_TRACK:
        return content ? ID_PAGE_LAST : ACT_NONE;
    case VK_MEDIA_PREV_TRACK:
        return content ? ID_PAGE_FIRST : ACT_NONE;
    case VK_MEDIA_STOP:
        return content ? ID_CLOSE_OVERWRITE_RESUME : ACT_NONE;
    case VK_MEDIA_PLAY_PAUSE:
        return ByScreen(
            screen, ID_CLOSE_ADD_RESUME, ID_OPEN_ITEM, ID_OPEN_ITEM, ID_OPEN_ITEM, ID_OPEN_ITEM);
    case VK_F1:
        return noMod ? ACT_KEY_HELP : ACT_NONE;
    default:
        break;
    }
    if (vk >= '0' && vk <= '9') {
        if (vk == '3' && ctrlOnly)
            return ACT_LEAVE_FULLSCREEN;
        return noMod && content ? ZoomCommandForDigit(vk - '0') : ACT_NONE;
    }
    return ACT_DEFAULT;
}

bool LeftIsNext(int bind)
{
    return bind == BIND_RIGHT;
}

int SideKeyAction(int action, bool zoomed, bool leftIsNext)
{
    if (zoomed || (action != ACT_ZOOM_LEFT && action != ACT_ZOOM_RIGHT))
        return action;
    return (action == ACT_ZOOM_LEFT) == leftIsNext ? ID_PAGE_NEXT : ID_PAGE_PREV;
}

int ClickCell(int width, int height, int x, int y)
{
    const int w3 = width / 3;
    const int h3 = height / 3;
    const int column = x < w3 ? 0 : (x >= 2 * w3 ? 2 : 1);
    const int row = y >= 2 * h3 ? 2 : (y >= h3 ? 1 : 0);
    return row * 3 + column;
}

int ClickAction(int width, int height, int x, int y, Screen screen, bool zoomed)
{
    if (screen != SCREEN_CONTENT)
        return ACT_TOGGLE_PAD;
    static constexpr int kCells[9] = { ACT_CYCLE_LAYOUT, ACT_STEP_UP, ACT_TOGGLE_PAD, ACT_ZOOM_LEFT,
        ACT_TOGGLE_ZOOM, ACT_ZOOM_RIGHT, ACT_TOGGLE_BINDING, ACT_STEP_DOWN, ACT_NONE };
    const int action = kCells[ClickCell(width, height, x, y)];
    if ((action == ACT_ZOOM_LEFT || action == ACT_ZOOM_RIGHT) && !zoomed)
        return ACT_NONE;
    return action;
}

qint64 ScrollStep(int delta, int lines)
{
    return -qint64(delta) * qint64(lines) / 120;
}

int GatherWheel(int& pending, int delta, int lines)
{
    if ((pending < 0) != (delta < 0))
        pending = 0;
    pending = int(std::clamp<qint64>(qint64(pending) + delta, INT_MIN, INT_MAX));
    if (ScrollStep(pending, std::max(lines, 1)) == 0)
        return 0;
    return std::exchange(pending, 0);
}

} // namespace InputRules
