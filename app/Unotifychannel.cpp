#include "Unotifychannel.h"
#include "Udebug.h"
#include "Uutility.h"

#include "Ulocallistener.h"
#include "Ulocalsocket.h"

#include <QDataStream>
#include <QPointer>
#include <QVariant>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr qint64 MESSAGE_SIZE = 8;
// Messages of one client handled in one turn of the event loop; the rest wait for its next turn, so that a
// client sending without pause cannot keep the others, or a new one, waiting.
constexpr int MESSAGES_PER_TURN = 16;
const char TURN_QUEUED[] = "wlanutilTurnQueued";
constexpr int CLIENT_TIMEOUT_MS = 5000;

QString SocketPathFor(const QString& name)
{
    return RuntimeDir() + '/' + name;
}

QByteArray Encode(int a, int b)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << qint32(a) << qint32(b);
    return data;
}

} // namespace

CNotifyServer::CNotifyServer(const QString& name, Handler handler, QObject* parent)
    : QObject(parent), m_Name(name), m_Handler(std::move(handler)),
      m_Listener(new CLocalListener(QStringLiteral("CNotifyServer"), MAX_CLIENTS, this))
{
    // A client that never says anything is dropped.
    m_Listener->SetClientTimeout(CLIENT_TIMEOUT_MS);
    // A request is a few bytes sent at once: one that dribbles in must not keep a second start waiting.
    m_Listener->SetSlowClientsYield(true);
    connect(m_Listener, &CLocalListener::NewClient, this, [this](CLocalSocket* socket) {
        connect(socket, &CLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
    });
}

CNotifyServer::~CNotifyServer() = default;

QString CNotifyServer::SocketPath() const
{
    return SocketPathFor(m_Name);
}

bool CNotifyServer::Listen()
{
    if (m_Listener->Listen(SocketPath()))
        return true;
    DebugPrint("CNotifyServer::Listen %s: %s", qPrintable(SocketPath()), qPrintable(m_Listener->ErrorText()));
    return false;
}

void CNotifyServer::OnReadyRead(CLocalSocket* socket)
{
    // The handler may run a nested event loop (a message box) in which the client goes away.
    const QPointer<CLocalSocket> guard(socket);
    socket->setProperty(TURN_QUEUED, false);
    for (int handled = 0; guard && socket->bytesAvailable() >= MESSAGE_SIZE; ++handled) {
        if (handled == MESSAGES_PER_TURN) {
            if (!socket->property(TURN_QUEUED).toBool()) {
                socket->setProperty(TURN_QUEUED, true);
                QMetaObject::invokeMethod(
                    socket, [this, socket] { OnReadyRead(socket); }, Qt::QueuedConnection);
            }
            return;
        }
        QDataStream in(socket->read(MESSAGE_SIZE));
        in.setByteOrder(QDataStream::LittleEndian);
        qint32 code = 0;
        qint32 value = 0;
        in >> code >> value;
        m_Listener->MessageDone(socket);
        int result = 0;
        if (code == NM_SHOW || code == NM_CLOSE_ALL)
            result = m_Handler(code, value);
        else
            DebugPrint("CNotifyServer: code %d from another process ignored", code);
        if (guard && socket->IsConnected())
            socket->write(Encode(result, 0).left(4));
    }
}

bool SendToRunningInstance(const QString& name, int code, int value, int timeoutMs)
{
    const int fd = ConnectLocalSocket(SocketPathFor(name), timeoutMs);
    if (fd < 0)
        return false;
    const QByteArray message = Encode(code, value);
    const bool sent = send(fd, message.constData(), size_t(message.size()), MSG_NOSIGNAL) == message.size();
    // The answer comes once the running instance has handled the code; a closing instance may hang up first.
    char answer[4];
    for (size_t got = 0; sent && got < sizeof answer;) {
        const ssize_t n = recv(fd, answer + got, sizeof answer - got, 0);
        if (n > 0)
            got += size_t(n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(fd);
    return sent;
}
