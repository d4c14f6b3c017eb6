#include "platform/UserEnvironment.h"

#include <optional>

namespace yk {

namespace {
std::optional<QProcessEnvironment>& snapshot()
{
    static std::optional<QProcessEnvironment> env;
    return env;
}
} // namespace

void rememberUserEnvironment()
{
    snapshot() = QProcessEnvironment::systemEnvironment();
}

QProcessEnvironment userEnvironment()
{
    return snapshot().value_or(QProcessEnvironment::systemEnvironment());
}

} // namespace yk
