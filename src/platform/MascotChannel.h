#pragma once

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
    // Sends text taken from files (titles, artists), escaped, as "\h" + text + "\e".
    virtual void sendText(const QString& text) = 0;
    // Waits up to timeoutMs for queued messages to go out (used at shutdown only).
    virtual void flush(int timeoutMs) = 0;

Q_SIGNALS:
    // The mascot answered with an error code (never 0).
    void sendFailed(int code);
};

} // namespace yk
