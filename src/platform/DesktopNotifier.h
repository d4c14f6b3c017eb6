#pragma once

#include <memory>

#include <QString>

namespace yk {

// The desktop's own notices (the bubble a notification daemon shows), for
// the few messages the user must not miss when no mascot is there to say
// them. Sending never waits for the desktop and never fails loudly: a
// desktop without a notification service simply shows nothing.
class DesktopNotifier
{
public:
    virtual ~DesktopNotifier() = default;
    // One notice: a short summary line, an optional body (plain text,
    // lines separated by '\n') and an optional picture file shown in place
    // of the program's icon (a track's cover).
    virtual void notify(const QString& summary, const QString& body, const QString& imagePath = {}) = 0;
};

// The notification service of this desktop, or one that shows nothing.
std::unique_ptr<DesktopNotifier> createDesktopNotifier();

} // namespace yk
