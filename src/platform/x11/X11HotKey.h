#pragma once

#include "platform/GlobalHotKey.h"

#include <QAbstractNativeEventFilter>

#include <vector>

namespace yk {

// Ctrl+Page Up on an X11 desktop: a passive grab on the root window, read
// back from the event stream through a native event filter. Every X11 call
// is guarded by the platform check, so under any other platform plugin this
// object behaves like NullHotKey.
class X11HotKey final : public GlobalHotKey, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit X11HotKey(QObject* parent = nullptr);
    ~X11HotKey() override;

    // True when the application runs on the xcb platform plugin.
    static bool platformIsX11();

    bool isSupported() const override;
    bool registerHotKey() override;
    void unregisterHotKey() override;
    bool isRegistered() const override { return m_registered; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void ungrab();

    bool m_registered = false;
    bool m_filterInstalled = false;
    unsigned int m_keycode = 0;
    unsigned long m_root = 0;
    unsigned int m_lockModifiers = 0; // Caps Lock and Num Lock bits
    std::vector<unsigned int> m_grabbedModifiers;
};

} // namespace yk
