#include "platform/null/NullHotKey.h"
#include "platform/x11/X11HotKey.h"

namespace yk {

std::unique_ptr<GlobalHotKey> createGlobalHotKey(QObject* parent)
{
    // A Wayland session may still have an X server, but grabbing a key
    // there would only catch presses in X windows: use X only when Qt does.
    if (X11HotKey::platformIsX11())
        return std::make_unique<X11HotKey>(parent);
    return std::make_unique<NullHotKey>(parent);
}

} // namespace yk
