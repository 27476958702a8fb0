#pragma once

#include "view/InputRules.h"

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

} // namespace PadCommands
