#pragma once

// Include last: the X headers define macros (None, Bool, Status, ...) that
// clash with Qt names.

// Window lookup through Xlib, kept apart from the Qt code.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace yk::bench {

namespace detail {

// Windows may vanish between listing and querying them; that must not end
// the driver.
inline int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace detail

inline bool hasViewableWindow(const QByteArray& displayName, qint64 pid)
{
    static Display* display = nullptr;
    if (!display) {
        display = XOpenDisplay(displayName.constData());
        if (!display)
            return false;
        XSetErrorHandler(detail::ignoreXErrors);
    }
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                               &after, &data)
                == Success
            && data) {
            if (format == 32 && items == 1)
                found = static_cast<qint64>(*reinterpret_cast<unsigned long*>(data)) == pid;
            XFree(data);
        }
    }
    if (children)
        XFree(children);
    return found;
}

} // namespace yk::bench
