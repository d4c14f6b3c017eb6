#include "platform/null/NullHotKey.h"

// Built when the program is made without X11.
namespace yk {

std::unique_ptr<GlobalHotKey> createGlobalHotKey(QObject* parent)
{
    return std::make_unique<NullHotKey>(parent);
}

} // namespace yk
