#pragma once

#include "view/InputRules.h"

#include <QString>

// What each of the remote pad's 21 cells does on each screen, free of any widget.
namespace PadCommands
{

// An action or command of the viewer, or a key for the list of a list screen.
struct PadAction {
    int action = InputRules::ACT_NONE;
    int listKey = 0; // a Qt::Key, or 0
    bool operator==(const PadAction&) const = default;
};
PadAction PadCommand(int code, InputRules::Screen screen);

// A cell in words for its tooltip: what it does on a screen, and the key that does the
// same. what is null for a cell that does nothing there, key for one no key does.
struct PadHint {
    const char* what = nullptr;
    const char* key = nullptr;
    // The key's virtual-key number with Ctrl, or 0 for Alt+F4, which the window takes.
    int vk = 0;
    bool ctrl = false;
};
PadHint PadHintFor(int code, InputRules::Screen screen);
// What the cell does, and on a second line its key; "" for a cell that does nothing.
QString PadToolTip(int code, InputRules::Screen screen);

} // namespace PadCommands
