#pragma once

#include <QtGlobal>

struct xkb_keymap;

// The keyboard of an X11 display, where the window system's own answers fall short.
namespace X11Keyboard
{

// Asks the X server to send a held key as repeated presses with one release at the
// end, instead of a release and a press for every repeat, which cannot always be told
// from the reader pressing again. Does nothing away from X11.
void EnableDetectableAutoRepeat();

// The Latin letter 'A'..'Z' or digit '0'..'9' of the key at an X key code, by its place
// on the keyboard: from the first layout of the keymap at any shift level, else from
// the place the key has on a US keyboard. 0 for any other key.
int LatinKeyIn(xkb_keymap* keymap, quint32 keycode);
// The same on the running X display's keyboard; 0 away from X11.
int LatinKey(quint32 keycode);

} // namespace X11Keyboard
