#pragma once

class QWindow;

// Moving a window with the mouse by the window system, the left button held down.
namespace SystemMove
{

// Asks the window system to move the window with the mouse; false where it cannot (no
// window manager, or one without the move request). Under X11 the manager takes the
// mouse only once it reads the request, and a release that comes before that never
// reaches it: it would go on moving the window, holding the keyboard and the next
// click. So the button is watched until it is up, and then the move is ended for the
// manager, which has ended it already where it saw the release.
bool Start(QWindow* window);

} // namespace SystemMove
