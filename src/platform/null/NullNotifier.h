#pragma once

#include "platform/DesktopNotifier.h"

namespace yk {

// A desktop without notices: every one is dropped.
class NullNotifier final : public DesktopNotifier
{
public:
    void notify(const QString&, const QString&, const QString& = {}) override {}
};

} // namespace yk
