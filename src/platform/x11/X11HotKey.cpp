#include "platform/x11/X11HotKey.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QtGui/qguiapplication_platform.h>

// Xlib's macros (None, Bool, KeyPress, ...) clash with Qt names, so its
// headers come last and stay in this file.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace yk {
namespace {

// Set by the temporary error handler while our grabs are checked. Xlib's
// handler is process-wide, so this is only touched on the GUI thread
// between XSetErrorHandler calls.
bool g_grabRefused = false;

int grabErrorHandler(Display*, XErrorEvent* error)
{
    // BadAccess: another client holds the same key combination. Anything
    // else is a failure of the grab as well.
    g_grabRefused = true;
    (void)error;
    return 0;
}

Display* qtDisplay()
{
    if (!X11HotKey::platformIsX11())
        return nullptr;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

// The modifier bit that Num Lock sets; Mod2 on nearly every keyboard map,
// but it is looked up so an unusual map does not break the hot key.
unsigned int numLockMask(Display* dpy)
{
    unsigned int mask = 0;
    const KeyCode numLock = XKeysymToKeycode(dpy, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(dpy);
    if (map && numLock) {
        for (int mod = 0; mod < 8 && !mask; ++mod) {
            for (int k = 0; k < map->max_keypermod; ++k) {
                if (map->modifiermap[mod * map->max_keypermod + k] == numLock) {
                    mask = 1u << mod;
                    break;
                }
            }
        }
    }
    if (map)
        XFreeModifiermap(map);
    return mask ? mask : Mod2Mask;
}

constexpr unsigned int kModifierBits = ShiftMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask
                                       | Mod5Mask;

} // namespace

X11HotKey::X11HotKey(QObject* parent)
    : GlobalHotKey(parent)
{
}

X11HotKey::~X11HotKey()
{
    unregisterHotKey();
}

bool X11HotKey::platformIsX11()
{
    return QGuiApplication::platformName() == u"xcb";
}

bool X11HotKey::isSupported() const
{
    return qtDisplay() != nullptr;
}

bool X11HotKey::registerHotKey()
{
    unregisterHotKey();
    Display* dpy = qtDisplay();
    if (!dpy) {
        qInfo("Global hot key Ctrl+Page Up is not available on the \"%s\" platform",
              qPrintable(QGuiApplication::platformName()));
        return false;
    }
    const KeyCode keycode = XKeysymToKeycode(dpy, XK_Prior);
    if (!keycode) {
        qWarning("Global hot key: the keyboard map has no Page Up key");
        return false;
    }
    m_keycode = keycode;
    m_root = DefaultRootWindow(dpy);

    // The server matches modifiers exactly, so the lock keys need their own
    // grabs or the hot key would die whenever Num Lock or Caps Lock is on.
    const unsigned int numLock = numLockMask(dpy);
    m_lockModifiers = numLock | LockMask;
    const unsigned int variants[] = {0, numLock, LockMask, numLock | LockMask};

    XSync(dpy, False); // earlier errors belong to whoever caused them
    g_grabRefused = false;
    XErrorHandler previous = XSetErrorHandler(grabErrorHandler);
    for (unsigned int variant : variants) {
        XGrabKey(dpy, m_keycode, ControlMask | variant, m_root, True, GrabModeAsync, GrabModeAsync);
        m_grabbedModifiers.push_back(ControlMask | variant);
    }
    XSync(dpy, False);
    const bool refused = g_grabRefused;
    // Releasing a grab we never got is harmless, and the ones we did get must
    // not linger when another program owns part of the combination.
    if (refused)
        ungrab();
    XSync(dpy, False);
    XSetErrorHandler(previous);

    if (refused) {
        qWarning("Global hot key Ctrl+Page Up is already taken by another program");
        return false;
    }
    if (!m_filterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    m_registered = true;
    return true;
}

void X11HotKey::unregisterHotKey()
{
    if (m_filterInstalled && QCoreApplication::instance()) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    m_filterInstalled = false;
    if (!m_grabbedModifiers.empty()) {
        ungrab();
        if (Display* dpy = qtDisplay())
            XFlush(dpy);
    }
    m_registered = false;
}

void X11HotKey::ungrab()
{
    if (Display* dpy = qtDisplay()) {
        for (unsigned int modifiers : m_grabbedModifiers)
            XUngrabKey(dpy, m_keycode, modifiers, m_root);
    }
    m_grabbedModifiers.clear();
}

bool X11HotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result)
{
    Q_UNUSED(result);
    if (!m_registered || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (press->detail != m_keycode || press->event != m_root)
        return false;
    // Lock keys do not matter; any other modifier besides Ctrl makes it a
    // different combination.
    const unsigned int held = press->state & kModifierBits & ~m_lockModifiers;
    if (held != ControlMask)
        return false;
    // Listeners may open a modal message box; keep that out of the native
    // event dispatch.
    QMetaObject::invokeMethod(this, [this] { Q_EMIT activated(); }, Qt::QueuedConnection);
    return true;
}

} // namespace yk
