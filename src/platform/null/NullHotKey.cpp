#include "platform/null/NullHotKey.h"

#include <QGuiApplication>

namespace yk {

bool NullHotKey::registerHotKey()
{
    qInfo("Global hot key Ctrl+Page Up is not available on the \"%s\" platform",
          qPrintable(QGuiApplication::platformName()));
    return false;
}

} // namespace yk
