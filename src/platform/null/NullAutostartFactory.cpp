#include "platform/null/NullAutostart.h"

namespace yk {

std::unique_ptr<Autostart> createAutostart(const QString&)
{
    return std::make_unique<NullAutostart>();
}

} // namespace yk
