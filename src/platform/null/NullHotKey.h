#pragma once

#include "platform/GlobalHotKey.h"

namespace yk {

// For desktops without a way to grab keys globally (Wayland, offscreen).
class NullHotKey final : public GlobalHotKey
{
    Q_OBJECT
public:
    using GlobalHotKey::GlobalHotKey;

    bool isSupported() const override { return false; }
    bool registerHotKey() override;
    void unregisterHotKey() override {}
    bool isRegistered() const override { return false; }
};

} // namespace yk
