#include "Unotifychannel.h"
#include "Udebug.h"
#include "Uutility.h"

#include "Ulocallistener.h"

#include <QDataStream>
#include <QLocalSocket>
#include <QPointer>

namespace {

constexpr qint64 MESSAGE_SIZE = 8;
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
    connect(m_Listener, &CLocalListener::NewClient, this, [this](QLocalSocket* socket) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
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

void CNotifyServer::OnReadyRead(QLocalSocket* socket)
{
    // The handler may run a nested event loop (a message box) in which the client goes away.
    const QPointer<QLocalSocket> guard(socket);
    while (guard && socket->bytesAvailable() >= MESSAGE_SIZE) {
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
        if (guard && socket->state() == QLocalSocket::ConnectedState) {
            socket->write(Encode(result, 0).left(4));
            socket->flush();
        }
    }
}

bool SendToRunningInstance(const QString& name, int code, int value, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(SocketPathFor(name));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(Encode(code, value));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The answer comes once the running instance has handled the code; a closing instance may hang up first.
    while (socket.bytesAvailable() < 4 && socket.state() == QLocalSocket::ConnectedState)
        if (!socket.waitForReadyRead(timeoutMs))
            break;
    return true;
}
