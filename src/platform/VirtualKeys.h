#pragma once

class QKeyEvent;

// Windows virtual-key numbers, so the key tables of the viewer keep their familiar codes.
namespace VirtualKeys
{
constexpr int VK_BACK = 8;
constexpr int VK_TAB = 9;
constexpr int VK_RETURN = 13;
constexpr int VK_ESCAPE = 27;
constexpr int VK_SPACE = 32;
constexpr int VK_PRIOR = 33;
constexpr int VK_NEXT = 34;
constexpr int VK_END = 35;
constexpr int VK_HOME = 36;
constexpr int VK_LEFT = 37;
constexpr int VK_UP = 38;
constexpr int VK_RIGHT = 39;
constexpr int VK_DOWN = 40;
constexpr int VK_APPS = 93;
constexpr int VK_F1 = 112;
constexpr int VK_F4 = 115;
constexpr int VK_F10 = 121;
constexpr int VK_VOLUME_MUTE = 173;
constexpr int VK_VOLUME_DOWN = 174;
constexpr int VK_VOLUME_UP = 175;
constexpr int VK_MEDIA_NEXT_TRACK = 176;
constexpr int VK_MEDIA_PREV_TRACK = 177;
constexpr int VK_MEDIA_STOP = 178;
constexpr int VK_MEDIA_PLAY_PAUSE = 179;

// The virtual-key number of a Qt key, or 0 when it has none we use.
// Keypad digits are deliberately not mapped to 48-57.
int fromQtKey(int qtKey, bool keypad);
int fromEvent(const QKeyEvent& event);
} // namespace VirtualKeys
