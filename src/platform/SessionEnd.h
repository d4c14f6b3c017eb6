#pragma once

#include <memory>

namespace yk {

// Ending the user's session when a timer asks for it. The request is made
// without asking the user (the timer was set for exactly this), and is a
// power-off, not a log-off. Whether the system honours it is up to the
// system; a refusal leaves the program running.
class SessionEnd
{
public:
    virtual ~SessionEnd() = default;
    // Whether this system would accept the request at all, so the timer
    // window can say so before the user relies on it.
    virtual bool canEndSession() const = 0;
    // Asks for the power-off now. True when the request was accepted; the
    // program keeps running until the system ends it.
    virtual bool endSession() = 0;
};

// The service for this system; one that cannot end the session when there
// is none.
std::unique_ptr<SessionEnd> createSessionEnd();

} // namespace yk
