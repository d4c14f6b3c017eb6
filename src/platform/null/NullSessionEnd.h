#pragma once

#include <QObject>
#include <QTimer>

#include "platform/SessionEnd.h"

namespace yk {

// A system the program cannot power off. It answers like a real service,
// after the call, so callers see one behaviour everywhere.
class NullSessionEnd final : public QObject, public SessionEnd
{
public:
    void canEndSession(std::function<void(bool)> done) override
    {
        QTimer::singleShot(0, this, [done = std::move(done)] { done(false); });
    }
    void endSession(Done done) override
    {
        QTimer::singleShot(0, this, [done = std::move(done)] {
            done({Outcome::Unavailable, QStringLiteral("この環境では電源を切れません")});
        });
    }
};

} // namespace yk
