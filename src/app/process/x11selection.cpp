#include "app/process/x11selection.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vernalo {

namespace {

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    const Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The next event of `type` (without the sent-event bit), or null at the deadline.
Reply<xcb_generic_event_t> WaitFor(xcb_connection_t* c, uint8_t type,
                                   const QDeadlineTimer& deadline) {
    for (;;) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            Reply<xcb_generic_event_t> event(e);
            if ((event->response_type & 0x7f) == type) return event;
        }
        if (xcb_connection_has_error(c)) return nullptr;
        const qint64 left = deadline.remainingTime();
        if (left == 0) return nullptr;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left));
    }
}

}  // namespace

std::optional<QString> ReadX11Selection(X11Selection which, int timeoutMs) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return std::nullopt;
    const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(
        xcb_connect(nullptr, nullptr), xcb_disconnect);
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c)) return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return std::nullopt;

    const xcb_atom_t selection =
        which == X11Selection::Primary ? xcb_atom_t{XCB_ATOM_PRIMARY} : Atom(c, "CLIPBOARD");
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
    const xcb_atom_t incr = Atom(c, "INCR");
    const xcb_atom_t property = Atom(c, "VERNALO_SELECTION");
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    if (!owner || owner->owner == XCB_NONE) return QString();

    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &events);
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray bytes;
    bool utf8Text = true;
    for (const xcb_atom_t target : {utf8, xcb_atom_t{XCB_ATOM_STRING}}) {
        xcb_convert_selection(c, window, selection, target, property, XCB_CURRENT_TIME);
        xcb_flush(c);
        const Reply<xcb_generic_event_t> e = WaitFor(c, XCB_SELECTION_NOTIFY, deadline);
        if (!e) return std::nullopt;
        if (reinterpret_cast<xcb_selection_notify_event_t*>(e.get())->property == XCB_NONE)
            continue;  // the owner has no text of this kind
        utf8Text = target == utf8;
        const auto take = [&](xcb_atom_t* type) {
            const Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
                c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 28),
                nullptr));
            if (!r) return -1;
            if (type) *type = r->type;
            const int length = xcb_get_property_value_length(r.get());
            if (r->type != incr)
                bytes.append(static_cast<const char*>(xcb_get_property_value(r.get())), length);
            return length;
        };
        xcb_atom_t type = XCB_ATOM_NONE;
        if (take(&type) < 0) return std::nullopt;
        if (type == incr) {
            // A big text comes in pieces: each is put on the property after the last is taken.
            bytes.clear();
            xcb_flush(c);
            for (;;) {
                Reply<xcb_generic_event_t> p;
                do {
                    p = WaitFor(c, XCB_PROPERTY_NOTIFY, deadline);
                    if (!p) return std::nullopt;
                } while (reinterpret_cast<xcb_property_notify_event_t*>(p.get())->state !=
                             XCB_PROPERTY_NEW_VALUE ||
                         reinterpret_cast<xcb_property_notify_event_t*>(p.get())->atom != property);
                const int n = take(nullptr);
                xcb_flush(c);
                if (n < 0) return std::nullopt;
                if (n == 0) break;
            }
        }
        break;
    }
    xcb_destroy_window(c, window);
    xcb_flush(c);
    return utf8Text ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

}  // namespace vernalo
