#pragma once

#include "platform/Autostart.h"

namespace yk {

// A system without a login autostart the program knows of: always off,
// and turning it on fails.
class NullAutostart final : public Autostart
{
public:
    bool supported() const override { return false; }
    bool isEnabled() const override { return false; }
    bool setEnabled(bool on) override { return !on; }
    QString location() const override { return {}; }
};

} // namespace yk
