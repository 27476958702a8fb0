#include "platform/SystemMove.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace SystemMove
{

namespace
{
    // How often the button is looked at while a move may still be under way.
    constexpr int kWatchMs = 20;
    // The direction that ends a move or resize, in _NET_WM_MOVERESIZE.
    constexpr uint32_t kMoveResizeCancel = 11;

    template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

    xcb_connection_t* Connection()
    {
        auto* x11
            = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        return x11 ? x11->connection() : nullptr;
    }

    void EndMove(xcb_connection_t* c, xcb_window_t root, xcb_window_t window)
    {
        static const char kName[] = "_NET_WM_MOVERESIZE";
        const Owned<xcb_intern_atom_reply_t> atom(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, false, sizeof(kName) - 1, kName), nullptr),
            &std::free);
        if (!atom)
            return;
        xcb_client_message_event_t message = {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = atom->atom;
        message.data.data32[2] = kMoveResizeCancel;
        xcb_send_event(c, false, root,
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char*>(&message));
        xcb_flush(c);
    }
} // namespace

bool Start(QWindow* window)
{
    if (!window || !window->startSystemMove())
        return false;
    xcb_connection_t* c = Connection();
    if (!c)
        return true;
    const xcb_window_t id = xcb_window_t(window->winId());
    // Whether the watch is over: the button is up, or the display no longer answers.
    const auto ended = [c, id] {
        const Owned<xcb_query_pointer_reply_t> pointer(
            xcb_query_pointer_reply(c, xcb_query_pointer(c, id), nullptr), &std::free);
        if (pointer && (pointer->mask & XCB_BUTTON_MASK_1))
            return false;
        if (pointer)
            EndMove(c, pointer->root, id);
        return true;
    };
    if (ended())
        return true;
    auto* watch = new QTimer(window);
    QObject::connect(watch, &QTimer::timeout, window, [ended, watch] {
        if (ended())
            watch->deleteLater();
    });
    watch->start(kWatchMs);
    return true;
}

} // namespace SystemMove
