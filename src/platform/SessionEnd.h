#pragma once

#include <functional>
#include <memory>

#include <QString>

namespace yk {

// Ending the user's session when a timer asks for it. The request is made
// without asking the user (the timer was set for exactly this), and is a
// power-off, not a log-off. Whether the system honours it is up to the
// system; a refusal leaves the program running, and the caller is told.
//
// Both questions go to another process that may be slow or hung, so the
// answers come later, through the callback, always after the call has
// returned (never inside it). A callback whose service is destroyed first
// is never called.
class SessionEnd
{
public:
    enum class Outcome {
        Accepted,    // the system took the request; the session is ending
        Refused,     // the system said no (not allowed, or it failed)
        Unavailable, // nobody to ask: no login manager, no bus
    };
    struct Result
    {
        Outcome outcome = Outcome::Unavailable;
        QString detail; // the system's own words, for a message; may be empty
    };
    using Done = std::function<void(const Result&)>;

    virtual ~SessionEnd() = default;
    // Whether this system would accept a power-off now, so the timer window
    // can say so before the user relies on it.
    virtual void canEndSession(std::function<void(bool)> done) = 0;
    // Asks for the power-off now.
    virtual void endSession(Done done) = 0;
};

// The service for this system; one that cannot end the session when there
// is none.
std::unique_ptr<SessionEnd> createSessionEnd();

} // namespace yk
