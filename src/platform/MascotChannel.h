#pragma once

#include <functional>

#include <QObject>
#include <QString>

namespace yk {

// The channel to a desktop mascot. Sends never block: they are queued and
// delivered in order. A mascot that is not there drops the message silently;
// a mascot that refuses it reports the code through sendFailed().
class MascotChannel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~MascotChannel() override = default;

    // Sends the caller's own script unchanged (callers end it with "\e").
    virtual void sendScript(const QString& script) = 0;
    // Whether the mascot took a message: true once it accepted it; false
    // when none was there, it refused, or the message was dropped unsent.
    using Delivery = std::function<void(bool taken)>;
    // sendScript() that also says how it went, exactly once and always after
    // this call has returned (never inside it), so a caller can fall back on
    // another way to tell the user. A channel destroyed first never reports.
    virtual void sendScriptReported(const QString& script, Delivery delivery) = 0;
    // Sends text taken from files (titles, artists), escaped, as "\h" + text + "\e".
    virtual void sendText(const QString& text) = 0;
    // Waits up to timeoutMs for queued messages to go out (used at shutdown only).
    virtual void flush(int timeoutMs) = 0;

Q_SIGNALS:
    // The mascot answered with an error code (never 0).
    void sendFailed(int code);
};

} // namespace yk
