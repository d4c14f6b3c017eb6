#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace yk {

// One TCP stream to a service on this machine, on plain non-blocking
// sockets: the program then needs no network library at start-up.
//
// Nothing here waits. Connecting, sending and receiving are driven by the
// event loop and every outcome arrives as a signal, never from inside the
// call that caused it. A connection is used once: connect, exchange, close.
//
// Only numeric addresses and "localhost" are accepted; a host name would
// need a resolver, and resolvers block.
class LoopbackConnection final : public QObject
{
    Q_OBJECT
public:
    // Received bytes held before reading pauses until the owner reads.
    static constexpr qsizetype kReadBufferLimit = 64 * 1024;

    explicit LoopbackConnection(QObject* parent = nullptr);
    ~LoopbackConnection() override;

    // Starts connecting. Any failure, even an immediate one, is reported
    // through ended() from the event loop. Ignored on a used connection.
    void connectTo(const QString& host, quint16 port);

    bool isConnected() const { return m_state == State::Connected; }

    // Sends as much as the socket takes now, in one call, and the rest as
    // soon as the peer makes room. Data written before connected() waits
    // for it. Ignored once the stream has ended or been closed.
    void write(const QByteArray& data);
    qsizetype bytesToWrite() const { return m_out.size(); }

    // Takes up to maxBytes of what has arrived. Still works after ended().
    QByteArray read(qsizetype maxBytes);
    QByteArray readAll() { return read(m_in.size()); }
    qsizetype bytesAvailable() const { return m_in.size(); }

    // Closes at once: unsent data is dropped and no more signals come.
    void close();

    // The errno that ended the stream; 0 when the peer closed it.
    int error() const { return m_error; }

Q_SIGNALS:
    void connected();
    void readyRead();
    // The stream is over: refused, reset, failed, or closed by the peer.
    // Emitted once; data that had arrived can still be read.
    void ended();

private:
    enum class State { Unused, Connecting, Connected, Ended, Closed };

    void onWritable();
    void onReadable();
    void sendPending();
    void endLater(int error);
    void end(int error);
    void releaseSocket();
    bool isOpen() const { return m_state == State::Connecting || m_state == State::Connected; }

    State m_state = State::Unused;
    int m_fd = -1;
    int m_error = 0;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_out;
    QByteArray m_in;
};

} // namespace yk
