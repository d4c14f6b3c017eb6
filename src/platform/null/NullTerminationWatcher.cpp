#include "platform/TerminationWatcher.h"

// Built for systems without POSIX signals: nothing is ever reported.
namespace yk {

TerminationWatcher::TerminationWatcher(QObject* parent)
    : QObject(parent)
{
}

TerminationWatcher::~TerminationWatcher() = default;

} // namespace yk
