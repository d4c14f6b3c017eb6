#pragma once

#include "platform/SessionEnd.h"

namespace yk {

// A system the program cannot power off.
class NullSessionEnd final : public SessionEnd
{
public:
    bool canEndSession() const override { return false; }
    bool endSession() override { return false; }
};

} // namespace yk
