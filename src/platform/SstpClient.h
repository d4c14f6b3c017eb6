#pragma once

#include "platform/MascotChannel.h"

#include <QByteArray>
#include <QQueue>
#include <QString>
#include <QTimer>

namespace yk {

class LoopbackConnection;

// The mascot channel over SSTP: every message is one "SEND SSTP/1.4"
// request on its own TCP connection to the local baseware.
//
// Everything is asynchronous. Messages wait in a queue and go out one at a
// time, in order, so a greeting always arrives before a farewell. A mascot
// that is not there (refused connection, no answer in time, an answer that
// is not SSTP) drops that one message silently; the next message tries
// again. A request that timed out is never resent, since the mascot may
// already be speaking it.
class SstpClient final : public MascotChannel
{
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 9801;
    // Result of one exchange when no mascot took part.
    static constexpr int kNoMascot = -1;
    // Messages waiting beyond this are stale (lyric lines behind a stalled
    // mascot); the oldest waiting one is dropped to make room.
    static constexpr int kMaxQueued = 64;
    // Replies are read up to their empty line, but never more than this.
    static constexpr qsizetype kMaxReplyBytes = 64 * 1024;

    struct Limits
    {
        int connectMs = 1000;  // until the mascot accepts the connection
        int exchangeMs = 5000; // from connecting until the reply is read
    };

    // host is a numeric address or "localhost": names are never looked up.
    explicit SstpClient(const QString& host = QStringLiteral("127.0.0.1"),
                        quint16 port = kDefaultPort, QObject* parent = nullptr);
    ~SstpClient() override;

    void setLimits(Limits limits) { m_limits = limits; }
    Limits limits() const { return m_limits; }

    // A script containing CR or LF cannot be carried in a header line; it
    // is dropped with a warning and never reaches the wire.
    void sendScript(const QString& script) override;
    // Taken means the mascot answered with a success code.
    void sendScriptReported(const QString& script, Delivery delivery) override;
    void sendText(const QString& text) override;
    // Spins a local event loop until the queue is empty or timeoutMs have
    // passed. For shutdown only: it is the one place that waits.
    void flush(int timeoutMs) override;

    // Nothing queued and nothing in flight.
    bool isIdle() const;
    // Messages queued, counting the one in flight.
    int pendingCount() const;

    // The exact bytes of the request that carries a script.
    static QByteArray buildRequest(const QString& script);
    // The status code of a reply's first line, or kNoMascot when the first
    // line is not an SSTP status line.
    static int statusCode(const QByteArray& reply);
    // Whether the bytes read so far are the whole reply: its empty line has
    // come, or the most that is ever read.
    static bool isCompleteReply(const QByteArray& reply);
    // What the caller is told for a status code: 0 for any success
    // (2xx, including 210 "broken off"), otherwise the code itself.
    static int resultForStatus(int status);

Q_SIGNALS:
    // One message is done with: 0 delivered, an error code, or kNoMascot.
    void requestFinished(int result);
    // The queue has run empty.
    void drained();

private:
    struct Pending
    {
        QString script;
        Delivery delivery; // may be empty
    };

    void enqueue(const QString& script, Delivery delivery = {});
    // Tells the sender later, from the event loop, as every report is.
    void reportLater(Delivery delivery, bool taken);
    void scheduleNext();
    void startNext();
    void onConnected();
    void onReadyRead();
    void onEnded();
    void finish(int result);

    QString m_host;
    quint16 m_port;
    Limits m_limits;
    QQueue<Pending> m_queue;
    Delivery m_delivery; // of the message in flight
    LoopbackConnection* m_connection = nullptr; // the exchange in flight, if any
    QByteArray m_request;
    QByteArray m_reply;
    QTimer m_connectTimer;
    QTimer m_exchangeTimer;
    bool m_startScheduled = false;
};

} // namespace yk
