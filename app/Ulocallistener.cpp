#include "Ulocallistener.h"
#include "Udebug.h"
#include "Ulocalsocket.h"
#include "Usignalwatch.h"

#include <QFile>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int BACKLOG = 64;
// Connections taken per wake-up, so that a flood of them cannot starve the clients already taken.
constexpr int ACCEPTS_PER_WAKEUP = 16;
constexpr int FIRST_BACKOFF_MS = 50;
constexpr int MAX_BACKOFF_MS = 5000;
constexpr int CHECK_INTERVAL_MS = 10000;

// Counts that are worth a log line: the first few, then every power of two, so a flood cannot fill the log.
bool WorthLogging(int count)
{
    return count <= 4 || (count & (count - 1)) == 0;
}

} // namespace

CLocalListener::CLocalListener(const QString& logName, int maxClients, QObject* parent)
    : QObject(parent), m_LogName(logName), m_MaxClients(std::max(1, maxClients)), m_Retry(this), m_Check(this)
{
    m_Retry.setSingleShot(true);
    connect(&m_Retry, &QTimer::timeout, this, &CLocalListener::Resume);
    m_Check.setInterval(CHECK_INTERVAL_MS);
    connect(&m_Check, &QTimer::timeout, this, &CLocalListener::CheckSocketFile);
    m_Clock.start();
}

CLocalListener::~CLocalListener()
{
    CloseSocket();
    delete m_WatchNotifier;
    if (m_WatchFd >= 0)
        close(m_WatchFd);
}

bool CLocalListener::Listen(const QString& path)
{
    CloseSocket();
    m_Path = path;
    sockaddr_un address;
    if (!LocalSocketAddress(path, address)) {
        m_Error = QStringLiteral("socket path empty or too long");
        return false;
    }
    // The path as the file system spells it, ended by the address's zero fill.
    const char* const name = address.sun_path;
    struct stat st {};
    // What an earlier run left at the path is replaced (the folder is the user's own); a folder is not.
    if (lstat(name, &st) == 0 && !S_ISDIR(st.st_mode))
        unlink(name);
    // Known before the file exists, so that an end forced at any moment removes it.
    CSignalWatch::RemoveOnForcedEnd(QFile::encodeName(m_Path));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool ok = fd >= 0 && bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                    chmod(name, 0600) == 0 && listen(fd, BACKLOG) == 0 && lstat(name, &st) == 0;
    if (!ok) {
        CSignalWatch::Forget(QFile::encodeName(m_Path));
        m_Error = QString::fromLocal8Bit(strerror(errno));
        if (fd >= 0)
            close(fd);
        return false;
    }
    m_Fd = fd;
    m_Dev = st.st_dev;
    m_Ino = st.st_ino;
    m_Error.clear();
    m_Notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_Notifier, &QSocketNotifier::activated, this, &CLocalListener::OnReadable);
    WatchSocketFile();
    return true;
}

void CLocalListener::WatchSocketFile()
{
    // A timer that looked every few seconds woke an idle program for nothing; the kernel tells at once. One
    // watch descriptor serves every file the listener binds, and a file's watch ends with the file.
    if (m_WatchFd < 0) {
        m_WatchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_WatchFd >= 0) {
            m_WatchNotifier = new QSocketNotifier(qintptr(m_WatchFd), QSocketNotifier::Read, this);
            connect(m_WatchNotifier, &QSocketNotifier::activated, this, &CLocalListener::OnWatchEvent);
        }
    }
    m_WatchId = m_WatchFd < 0 ? -1
                              : inotify_add_watch(m_WatchFd, QFile::encodeName(m_Path).constData(),
                                                  IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF);
    if (m_WatchId < 0) {
        DebugPrintErr(errno, "%s: can't watch %s, looking at it every %d s", qPrintable(m_LogName),
                      qPrintable(m_Path), m_Check.interval() / 1000);
        m_Check.start();
    }
}

void CLocalListener::OnWatchEvent()
{
    alignas(inotify_event) char events[4096];
    while (read(m_WatchFd, events, sizeof events) > 0) {
    }
    // The removal of the file ends its watch, and so does a listener that bound a new one meanwhile.
    CheckSocketFile();
}

void CLocalListener::CloseSocket()
{
    m_Retry.stop();
    m_Check.stop();
    if (m_WatchId >= 0)
        inotify_rm_watch(m_WatchFd, m_WatchId);
    m_WatchId = -1;
    delete m_Notifier;
    m_Notifier = nullptr;
    if (m_Fd < 0)
        return;
    close(m_Fd);
    m_Fd = -1;
    // The file goes with the listener, so that a sender sees at once that nobody listens, unless another
    // listener took the path meanwhile. An end forced until then still removes it.
    struct stat st {};
    const QByteArray name = QFile::encodeName(m_Path);
    if (lstat(name.constData(), &st) == 0 && st.st_dev == m_Dev && st.st_ino == m_Ino)
        unlink(name.constData());
    CSignalWatch::Forget(name);
}

void CLocalListener::OnReadable()
{
    for (int n = 0; n < ACCEPTS_PER_WAKEUP && m_Fd >= 0; ++n)
        if (!AcceptOne())
            return;
}

bool CLocalListener::AcceptOne()
{
    if (int(m_Clients.size()) >= m_MaxClients) {
        pollfd waiting{m_Fd, POLLIN, 0};
        if (poll(&waiting, 1, 0) <= 0)
            return false;
        // With every place taken by a client that is talking, new ones wait in the kernel's queue, which
        // costs no descriptor, until a client leaves.
        if (!DropIdleClient() && !DropSlowestClient()) {
            m_Notifier->setEnabled(false);
            if (WorthLogging(++m_Waits))
                DebugPrint("%s: %d clients talking, new ones wait (%d times so far)", qPrintable(m_LogName),
                           m_MaxClients, m_Waits);
            return false;
        }
    }
    const int fd = accept4(m_Fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        if (err == EINTR || err == ECONNABORTED || err == EPROTO)
            return true;
        if (err != EAGAIN && err != EWOULDBLOCK)
            OnAcceptError(err);
        return false;
    }
    m_BackoffMs = 0;
    Adopt(fd);
    return true;
}

void CLocalListener::Adopt(int fd)
{
    auto* socket = new CLocalSocket(fd, this);
    m_Clients.append({socket, false, m_Clock.elapsed()});
    connect(socket, &CLocalSocket::readyRead, this, [this, socket] {
        const auto found = Find(socket);
        if (found != m_Clients.end())
            found->Spoke = true;
    });
    connect(socket, &CLocalSocket::Disconnected, this, [this, socket] { Forget(socket); });
    QTimer::singleShot(m_ClientTimeoutMs, socket, [this, socket] {
        if (!Holds(socket))
            return;
        Q_EMIT ClientTimedOut(socket);
        Drop(socket, "client timed out");
    });
    Q_EMIT NewClient(socket);
}

bool CLocalListener::DropIdleClient()
{
    for (const Client& client : m_Clients) {
        int waiting = 0;
        // Bytes the kernel holds that the socket has not read yet also make a client busy.
        if (client.Spoke || (ioctl(client.Socket->Descriptor(), FIONREAD, &waiting) == 0 && waiting > 0))
            continue;
        Drop(client.Socket, "too many clients, the one idle longest dropped");
        return true;
    }
    return false;
}

bool CLocalListener::DropSlowestClient()
{
    if (!m_SlowClientsYield || m_Clients.isEmpty())
        return false;
    const auto slowest =
        std::min_element(m_Clients.begin(), m_Clients.end(),
                         [](const Client& a, const Client& b) { return a.LastDoneMs < b.LastDoneMs; });
    Drop(slowest->Socket, "too many clients, the one longest without a whole message dropped");
    return true;
}

void CLocalListener::MessageDone(CLocalSocket* socket)
{
    const auto found = Find(socket);
    if (found != m_Clients.end())
        found->LastDoneMs = m_Clock.elapsed();
}

void CLocalListener::Drop(CLocalSocket* socket, const char* why)
{
    if (!m_Refusal.isEmpty() && socket->IsConnected())
        socket->write(m_Refusal);
    LogDrop(why);
    socket->Abort();
    Forget(socket);
}

QList<CLocalListener::Client>::iterator CLocalListener::Find(CLocalSocket* socket)
{
    return std::find_if(m_Clients.begin(), m_Clients.end(),
                        [socket](const Client& client) { return client.Socket == socket; });
}

bool CLocalListener::Holds(CLocalSocket* socket)
{
    return Find(socket) != m_Clients.end();
}

void CLocalListener::Forget(CLocalSocket* socket)
{
    const auto found = Find(socket);
    if (found == m_Clients.end())
        return;
    m_Clients.erase(found);
    socket->deleteLater();
    if (m_Notifier && !m_Retry.isActive())
        m_Notifier->setEnabled(true);
}

void CLocalListener::OnAcceptError(int err)
{
    // Out of descriptors the pending connection stays queued and the socket stays readable: without a pause
    // this would spin. The listener itself is kept, unlike the toolkit's server, which closes on any error.
    m_Notifier->setEnabled(false);
    m_BackoffMs = m_BackoffMs == 0 ? FIRST_BACKOFF_MS : std::min(2 * m_BackoffMs, MAX_BACKOFF_MS);
    if (WorthLogging(++m_AcceptErrors))
        DebugPrint("%s: can't accept a client (%s), listening again in %d ms (%d errors so far)",
                   qPrintable(m_LogName), strerror(err), m_BackoffMs, m_AcceptErrors);
    if ((err == EMFILE || err == ENFILE) && !m_Clients.isEmpty())
        DropIdleClient();
    m_Retry.start(m_BackoffMs);
}

void CLocalListener::Resume()
{
    CheckSocketFile();
    if (m_Notifier)
        m_Notifier->setEnabled(true);
}

void CLocalListener::CheckSocketFile()
{
    if (m_Path.isEmpty())
        return;
    struct stat st {};
    const bool ours = m_Fd >= 0 && lstat(QFile::encodeName(m_Path).constData(), &st) == 0 &&
                      st.st_dev == m_Dev && st.st_ino == m_Ino;
    // An end being forced removed it: the process is going.
    if (ours || CSignalWatch::EndForced())
        return;
    DebugPrint("%s: socket file %s is gone, listening again", qPrintable(m_LogName), qPrintable(m_Path));
    if (Listen(m_Path))
        return;
    m_BackoffMs = m_BackoffMs == 0 ? FIRST_BACKOFF_MS : std::min(2 * m_BackoffMs, MAX_BACKOFF_MS);
    DebugPrint("%s: can't listen at %s (%s), trying again in %d ms", qPrintable(m_LogName),
               qPrintable(m_Path), qPrintable(m_Error), m_BackoffMs);
    m_Retry.start(m_BackoffMs);
}

void CLocalListener::LogDrop(const char* why)
{
    if (WorthLogging(++m_Dropped))
        DebugPrint("%s: %s (%d so far)", qPrintable(m_LogName), why, m_Dropped);
}
