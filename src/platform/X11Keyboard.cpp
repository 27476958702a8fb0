#include "platform/X11Keyboard.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace X11Keyboard
{

namespace
{
    xcb_connection_t* Connection()
    {
        auto* x11
            = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        return x11 ? x11->connection() : nullptr;
    }

    int LatinOf(xkb_keysym_t sym)
    {
        if (sym >= XKB_KEY_a && sym <= XKB_KEY_z)
            return int('A' + (sym - XKB_KEY_a));
        if (sym >= XKB_KEY_A && sym <= XKB_KEY_Z)
            return int(sym);
        if (sym >= XKB_KEY_0 && sym <= XKB_KEY_9)
            return int(sym);
        return 0;
    }

    // The letters and digits of a US keyboard by evdev key code (X key code - 8).
    int UsPlace(quint32 keycode)
    {
        static const char kRows[][16] = {
            { 2, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0' },
            { 16, 'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P' },
            { 30, 'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L' },
            { 44, 'Z', 'X', 'C', 'V', 'B', 'N', 'M' },
        };
        const int code = int(keycode) - 8;
        for (const auto& row : kRows) {
            const int index = code - row[0];
            if (index >= 0 && index < 15 && row[index + 1] != 0)
                return row[index + 1];
        }
        return 0;
    }

    struct Free {
        void operator()(xkb_context* c) const { xkb_context_unref(c); }
        void operator()(xkb_keymap* k) const { xkb_keymap_unref(k); }
    };
} // namespace

void EnableDetectableAutoRepeat()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return;
    Bool supported = False;
    XkbSetDetectableAutoRepeat(x11->display(), True, &supported);
}

int LatinKeyIn(xkb_keymap* keymap, quint32 keycode)
{
    const auto firstLayout = [keymap](quint32 code) {
        if (!keymap || xkb_keymap_num_layouts_for_key(keymap, code) == 0)
            return 0;
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, code, 0);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            const xkb_keysym_t* syms = nullptr;
            const int count = xkb_keymap_key_get_syms_by_level(keymap, code, 0, level, &syms);
            for (int i = 0; i < count; ++i) {
                if (const int latin = LatinOf(syms[i]))
                    return latin;
            }
        }
        return 0;
    };
    if (const int latin = firstLayout(keycode))
        return latin;
    // A first layout without Latin letters (Russian alone, say): the key's US place.
    constexpr quint32 kUsLetterA = 38;
    return firstLayout(kUsLetterA) == 0 ? UsPlace(keycode) : 0;
}

int LatinKey(quint32 keycode)
{
    xcb_connection_t* c = Connection();
    if (!c || keycode == 0)
        return 0;
    const std::unique_ptr<xkb_context, Free> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return UsPlace(keycode);
    const int32_t device = xkb_x11_get_core_keyboard_device_id(c);
    const std::unique_ptr<xkb_keymap, Free> keymap(device < 0
            ? nullptr
            : xkb_x11_keymap_new_from_device(
                context.get(), c, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    return LatinKeyIn(keymap.get(), keycode);
}

} // namespace X11Keyboard
