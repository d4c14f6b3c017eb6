#include "platform/GlobalHotKey.h"

#include "platform/X11HotKey.h"

#include <QGuiApplication>

namespace yk {

bool NullHotKey::registerHotKey()
{
    qInfo("Global hot key Ctrl+Page Up is not available on the \"%s\" platform",
          qPrintable(QGuiApplication::platformName()));
    return false;
}

std::unique_ptr<GlobalHotKey> createGlobalHotKey(QObject* parent)
{
    if (X11HotKey::platformIsX11())
        return std::make_unique<X11HotKey>(parent);
    return std::make_unique<NullHotKey>(parent);
}

} // namespace yk
