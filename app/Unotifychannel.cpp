#include "Unotifychannel.h"
#include "Udebug.h"
#include "Uutility.h"

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

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
    : QObject(parent), m_Name(name), m_Handler(std::move(handler)), m_Server(new QLocalServer(this))
{
    m_Server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_Server, &QLocalServer::newConnection, this, &CNotifyServer::OnNewConnection);
}

CNotifyServer::~CNotifyServer() = default;

QString CNotifyServer::SocketPath() const
{
    return SocketPathFor(m_Name);
}

bool CNotifyServer::Listen()
{
    QLocalServer::removeServer(SocketPath());
    if (m_Server->listen(SocketPath()))
        return true;
    DebugPrint("CNotifyServer::Listen %s: %s", qPrintable(SocketPath()), qPrintable(m_Server->errorString()));
    return false;
}

void CNotifyServer::OnNewConnection()
{
    while (QLocalSocket* socket = m_Server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        // A client that never says anything is dropped.
        QTimer::singleShot(CLIENT_TIMEOUT_MS, socket, [socket] { socket->abort(); });
    }
}

void CNotifyServer::OnReadyRead(QLocalSocket* socket)
{
    while (socket->bytesAvailable() >= MESSAGE_SIZE) {
        QDataStream in(socket->read(MESSAGE_SIZE));
        in.setByteOrder(QDataStream::LittleEndian);
        qint32 code = 0;
        qint32 value = 0;
        in >> code >> value;
        const int result = m_Handler(code, value);
        if (socket->state() == QLocalSocket::ConnectedState) {
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
