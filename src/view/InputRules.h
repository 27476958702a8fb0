#pragma once

#include <QtGlobal>

// What a key, a click or a wheel turn means on each screen, free of any widget.
// The answers are command ids, or one of the actions below for the operations that
// have no command of their own.
namespace InputRules
{

// The contents screen lists a PDF's outline over the book being read; the page grid shows
// its pages.
enum Screen { SCREEN_CONTENT, SCREEN_FOLDER, SCREEN_RESUME, SCREEN_OUTLINE, SCREEN_GRID };

// A known key whose condition failed, or one with nothing to do here.
constexpr int ACT_NONE = 0;
// Not a key of the table: the window's own handling applies.
constexpr int ACT_DEFAULT = 1;
constexpr int ACT_CYCLE_LAYOUT = 2;
constexpr int ACT_TOGGLE_ZOOM = 3;
constexpr int ACT_TOGGLE_BINDING = 4;
constexpr int ACT_STEP_UP = 5;
constexpr int ACT_STEP_DOWN = 6;
constexpr int ACT_ZOOM_LEFT = 7;
constexpr int ACT_ZOOM_RIGHT = 8;
constexpr int ACT_TOGGLE_PAD = 9;
// Ctrl+3: leave a full screen the reader did not ask for with Alt+Enter.
constexpr int ACT_LEAVE_FULLSCREEN = 10;
constexpr int ACT_HIDE_PAD = 11;
constexpr int ACT_KEY_HELP = 12;
// Ctrl+I: the page plate for its moment, without moving.
constexpr int ACT_SHOW_PLATE = 13;

// The zoom command for a digit 0..9 on the numeric-keypad plan (7 8 9 the top row).
int ZoomCommandForDigit(int digit);
// The zoom value 0..9 of a zoom command, or -1 for any other command.
int ZoomOfCommand(int id);

// The accelerators Ctrl+R, T, B, E and G, which apply before the key table.
int AcceleratorCommand(int vk, bool ctrl, bool shift, bool alt);
// A key-down that is not an auto-repeat. Keys outside 8..179 are ignored.
int KeyAction(int vk, bool ctrl, bool shift, Screen screen);

// Whether Left turns to the next page while reading: in a book bound on the right, read
// right to left, whichever kind of book it is and in every layout.
bool LeftIsNext(int bind);
// Left and Right of the key table turn pages in the reading direction when nothing is
// magnified; with the magnifier on, and for every other action, the action stands.
int SideKeyAction(int action, bool zoomed, bool leftIsNext);

// The cell of the 3 x 3 grid of a client area: 0..2 in the top row, 3..5, 6..8.
int ClickCell(int width, int height, int x, int y);
int ClickAction(int width, int height, int x, int y, Screen screen, bool zoomed);

// Pages to scroll for a wheel delta: -delta x lines / 120, without overflow.
qint64 ScrollStep(int delta, int lines);
// Touchpads turn the wheel in small slices. They are gathered in pending until they
// make at least one step; the gathered delta is returned then, and 0 before. A turn
// the other way starts afresh.
int GatherWheel(int& pending, int delta, int lines);

} // namespace InputRules
