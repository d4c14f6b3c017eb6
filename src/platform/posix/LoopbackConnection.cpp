#include "platform/posix/LoopbackConnection.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace yk {

namespace {

// Fills addr from a numeric IPv4 or IPv6 address. No name is looked up.
bool numericAddress(const QString& host, quint16 port, sockaddr_storage& addr, socklen_t& length)
{
    const QByteArray text = host == QLatin1String("localhost") ? QByteArrayLiteral("127.0.0.1")
                                                                 : host.toLatin1();
    if (text.isEmpty() || text.contains('\0'))
        return false;
    std::memset(&addr, 0, sizeof addr);

    sockaddr_in v4{};
    if (::inet_pton(AF_INET, text.constData(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        std::memcpy(&addr, &v4, sizeof v4);
        length = sizeof v4;
        return true;
    }
    sockaddr_in6 v6{};
    if (::inet_pton(AF_INET6, text.constData(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        std::memcpy(&addr, &v6, sizeof v6);
        length = sizeof v6;
        return true;
    }
    return false;
}

} // namespace

LoopbackConnection::LoopbackConnection(QObject* parent)
    : QObject(parent)
{
}

LoopbackConnection::~LoopbackConnection()
{
    releaseSocket();
}

void LoopbackConnection::connectTo(const QString& host, quint16 port)
{
    if (m_state != State::Unused)
        return;
    m_state = State::Connecting;

    sockaddr_storage addr;
    socklen_t length = 0;
    if (!numericAddress(host, port, addr, length)) {
        qWarning("yk::LoopbackConnection: not a numeric address: %s", qUtf8Printable(host));
        endLater(EINVAL);
        return;
    }
    m_fd = ::socket(addr.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        endLater(errno);
        return;
    }

    // Both start disabled: a notifier is live as soon as it exists.
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    m_readNotifier->setEnabled(false);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { onReadable(); });
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { onWritable(); });

    const int rc = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&addr), length);
    // An interrupted non-blocking connect carries on by itself, as does one
    // in progress; a loopback connect may also complete (or fail) at once.
    // All but the failure are finished by the socket turning writable.
    if (rc == 0 || errno == EINPROGRESS || errno == EINTR)
        m_writeNotifier->setEnabled(true);
    else
        endLater(errno);
}

void LoopbackConnection::write(const QByteArray& data)
{
    if (data.isEmpty() || !isOpen())
        return;
    m_out += data;
    if (m_state == State::Connected)
        sendPending();
}

QByteArray LoopbackConnection::read(qsizetype maxBytes)
{
    const qsizetype n = std::clamp<qsizetype>(maxBytes, 0, m_in.size());
    QByteArray taken = m_in.left(n);
    m_in.remove(0, n);
    // Reading was paused at the buffer limit; there is room again.
    if (m_state == State::Connected && m_in.size() < kReadBufferLimit)
        m_readNotifier->setEnabled(true);
    return taken;
}

void LoopbackConnection::close()
{
    if (m_state == State::Closed)
        return;
    m_state = State::Closed;
    m_out.clear();
    releaseSocket();
}

void LoopbackConnection::onWritable()
{
    if (m_state == State::Connecting) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0)
            error = errno;
        if (error != 0) {
            end(error);
            return;
        }
        m_state = State::Connected;
        m_writeNotifier->setEnabled(false);
        m_readNotifier->setEnabled(true);
        Q_EMIT connected();
        // The owner may have written (already sent) or closed in its slot.
        if (m_state != State::Connected)
            return;
    }
    if (m_state == State::Connected)
        sendPending();
}

void LoopbackConnection::sendPending()
{
    while (!m_out.isEmpty()) {
        // MSG_NOSIGNAL: a peer that has gone must cost an error, not SIGPIPE.
        const ssize_t sent = ::send(m_fd, m_out.constData(), size_t(m_out.size()), MSG_NOSIGNAL);
        if (sent >= 0) {
            m_out.remove(0, qsizetype(sent));
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        // Reported from the event loop: write() may be called from a slot
        // of connected() and must not end the stream under its caller.
        m_writeNotifier->setEnabled(false);
        endLater(errno);
        return;
    }
    m_writeNotifier->setEnabled(!m_out.isEmpty());
}

void LoopbackConnection::onReadable()
{
    if (m_state != State::Connected)
        return;
    bool received = false;
    bool peerClosed = false;
    int error = 0;
    char chunk[16 * 1024];
    while (m_in.size() < kReadBufferLimit) {
        const size_t room = size_t(std::min<qsizetype>(sizeof chunk, kReadBufferLimit - m_in.size()));
        const ssize_t n = ::recv(m_fd, chunk, room, 0);
        if (n > 0) {
            m_in.append(chunk, qsizetype(n));
            received = true;
            continue;
        }
        if (n == 0)
            peerClosed = true;
        else if (errno == EINTR)
            continue;
        else if (errno != EAGAIN && errno != EWOULDBLOCK)
            error = errno;
        break;
    }
    if (m_in.size() >= kReadBufferLimit)
        m_readNotifier->setEnabled(false);

    if (received) {
        Q_EMIT readyRead();
        if (m_state != State::Connected)
            return;
    }
    if (peerClosed || error != 0)
        end(error);
}

void LoopbackConnection::endLater(int error)
{
    QTimer::singleShot(0, this, [this, error] {
        if (isOpen())
            end(error);
    });
}

void LoopbackConnection::end(int error)
{
    m_error = error;
    m_state = State::Ended;
    m_out.clear();
    releaseSocket();
    Q_EMIT ended();
}

void LoopbackConnection::releaseSocket()
{
    // The notifiers may be the very senders on the stack right now: they
    // are only switched off here and go with this object.
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace yk
