#pragma once

#include "platform/MascotChannel.h"

namespace yk {

// No mascot: every message is dropped, as if none were listening.
class NullMascot final : public MascotChannel
{
    Q_OBJECT
public:
    using MascotChannel::MascotChannel;
    void sendScript(const QString&) override {}
    void sendText(const QString&) override {}
    void flush(int) override {}
};

} // namespace yk
