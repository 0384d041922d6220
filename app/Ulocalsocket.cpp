#include "Ulocalsocket.h"

#include <QFile>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Read per wake-up at most, so that a client that sends without pause cannot starve the others.
constexpr qsizetype READ_PER_WAKEUP = 256 * 1024;
constexpr qsizetype READ_CHUNK = 16 * 1024;
// Received and not read yet at most: beyond it the peer waits (the kernel's buffer fills and its sends
// block) until the reader has caught up, instead of this buffer growing without end.
constexpr qsizetype MAX_UNREAD = 64 * 1024;

} // namespace

CLocalSocket::CLocalSocket(int fd, QObject* parent)
    : QIODevice(parent), m_Fd(fd),
      m_ReadNotifier(new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this)),
      m_WriteNotifier(new QSocketNotifier(qintptr(fd), QSocketNotifier::Write, this))
{
    m_WriteNotifier->setEnabled(false);
    connect(m_ReadNotifier, &QSocketNotifier::activated, this, &CLocalSocket::OnReadable);
    connect(m_WriteNotifier, &QSocketNotifier::activated, this, &CLocalSocket::Flush);
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

CLocalSocket::~CLocalSocket()
{
    if (m_Fd >= 0)
        ::close(m_Fd);
}

qint64 CLocalSocket::bytesAvailable() const
{
    return m_In.size() + QIODevice::bytesAvailable();
}

bool CLocalSocket::canReadLine() const
{
    return m_In.contains('\n') || QIODevice::canReadLine();
}

qint64 CLocalSocket::readData(char* data, qint64 maxSize)
{
    const qsizetype n = qsizetype(std::min<qint64>(maxSize, m_In.size()));
    memcpy(data, m_In.constData(), size_t(n));
    m_In.remove(0, n);
    if (m_Fd >= 0 && m_In.size() < MAX_UNREAD)
        m_ReadNotifier->setEnabled(true);
    return n;
}

qint64 CLocalSocket::readLineData(char* data, qint64 maxSize)
{
    const qsizetype end = m_In.indexOf('\n');
    return readData(data, std::min<qint64>(maxSize, end < 0 ? m_In.size() : end + 1));
}

qint64 CLocalSocket::writeData(const char* data, qint64 size)
{
    if (m_Fd < 0)
        return -1;
    m_Out.append(data, qsizetype(size));
    Flush();
    return size;
}

void CLocalSocket::Flush()
{
    while (m_Fd >= 0 && !m_Out.isEmpty()) {
        const ssize_t n = send(m_Fd, m_Out.constData(), size_t(m_Out.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0)
            m_Out.remove(0, qsizetype(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        else
            // The peer is gone; reading sees that too, and reports it from the event loop.
            m_Out.clear();
    }
    if (m_Fd >= 0)
        m_WriteNotifier->setEnabled(!m_Out.isEmpty());
}

void CLocalSocket::OnReadable()
{
    qsizetype got = 0;
    bool ended = false;
    while (got < READ_PER_WAKEUP && m_In.size() < MAX_UNREAD) {
        const qsizetype at = m_In.size();
        m_In.resize(at + READ_CHUNK);
        const ssize_t n = recv(m_Fd, m_In.data() + at, size_t(READ_CHUNK), MSG_DONTWAIT);
        m_In.resize(at + std::max<qsizetype>(0, qsizetype(n)));
        if (n > 0) {
            got += qsizetype(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // End of stream, or an error such as a reset: either way the peer is gone.
        ended = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    if (!ended && m_In.size() >= MAX_UNREAD)
        m_ReadNotifier->setEnabled(false);
    if (got > 0)
        Q_EMIT readyRead();
    if (ended)
        HangUp();
}

void CLocalSocket::HangUp()
{
    if (m_Fd < 0)
        return;
    // Not deleted: this may run in the slot of one of them.
    m_ReadNotifier->setEnabled(false);
    m_WriteNotifier->setEnabled(false);
    ::close(m_Fd);
    m_Fd = -1;
    m_Out.clear();
    Q_EMIT Disconnected();
}

void CLocalSocket::Abort()
{
    m_In.clear();
    HangUp();
}

bool LocalSocketAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray name = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path)
        return false;
    memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return true;
}

int ConnectLocalSocket(const QString& path, int timeoutMs)
{
    sockaddr_un address;
    if (!LocalSocketAddress(path, address))
        return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    // The send time-out also bounds the wait of connect for room in a full queue. No time-out at all would
    // be a zero; the shortest one is a millisecond.
    const int ms = std::max(timeoutMs, 1);
    const timeval limit{ms / 1000, (ms % 1000) * 1000};
    const bool ok = setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) == 0 &&
                    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) == 0 &&
                    connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (ok)
        return fd;
    close(fd);
    return -1;
}
