#pragma once

#include <QTimer>

#include "platform/MascotChannel.h"

namespace yk {

// No mascot: every message is dropped, as if none were listening.
class NullMascot final : public MascotChannel
{
    Q_OBJECT
public:
    using MascotChannel::MascotChannel;
    void sendScript(const QString&) override {}
    void sendScriptReported(const QString&, Delivery delivery) override
    {
        if (delivery)
            QTimer::singleShot(0, this, [delivery = std::move(delivery)] { delivery(false); });
    }
    void sendText(const QString&) override {}
    void flush(int) override {}
};

} // namespace yk
