#pragma once

#include <QDateTime>

namespace yk {

// The one source of "now" for the program, so tests can run a day in seconds.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace yk
