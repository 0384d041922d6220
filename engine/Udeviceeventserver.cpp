#include "Udeviceeventserver.h"
#include "app/Udebug.h"
#include "app/Uutility.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace {

// What a bad line looked like, safe for the log: printable ASCII only, cut short.
QByteArray Preview(const QByteArray& line)
{
    QByteArray text = line.left(60);
    for (char& c : text)
        if (c < 0x20 || c > 0x7e)
            c = '?';
    return line.size() > 60 ? text + "..." : text;
}

} // namespace

CDeviceEventServer::CDeviceEventServer(QObject* parent) : QObject(parent), m_Server(new QLocalServer(this))
{
    m_Server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_Server, &QLocalServer::newConnection, this, &CDeviceEventServer::OnNewConnection);
}

CDeviceEventServer::~CDeviceEventServer() = default;

QString CDeviceEventServer::SocketPath(const QString& profRoot)
{
    const QString dir = RuntimeDir();
    return dir.isEmpty() ? QString() : dir + '/' + profRoot + "_DeviceEvent";
}

bool CDeviceEventServer::Listen(const QString& path)
{
    QLocalServer::removeServer(path);
    if (!path.isEmpty() && m_Server->listen(path))
        return true;
    DebugPrint("CDeviceEventServer::Listen %s: %s", qPrintable(path), qPrintable(m_Server->errorString()));
    return false;
}

void CDeviceEventServer::OnNewConnection()
{
    while (QLocalSocket* socket = m_Server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { OnDisconnected(socket); });
        if (m_TimedOut.size() >= MAX_CLIENTS) {
            DebugPrint("CDeviceEventServer: too many clients, one turned away");
            socket->abort();
            continue;
        }
        m_TimedOut.insert(socket, false);
        // Bounded, so that a client sending without line ends cannot make the buffer grow.
        socket->setReadBufferSize(4 * MAX_LINE);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadLines(socket); });
        QTimer::singleShot(m_ClientTimeoutMs, socket, [this, socket] {
            m_TimedOut[socket] = true;
            socket->abort();
        });
    }
}

void CDeviceEventServer::ReadLines(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine();
        if (line.size() > MAX_LINE)
            DebugPrint("CDeviceEventServer: line of %d bytes ignored", int(line.size()));
        else
            HandleLine(line.chopped(1));
    }
    if (socket->bytesAvailable() >= MAX_LINE) {
        DebugPrint("CDeviceEventServer: line over %d bytes, client dropped", MAX_LINE);
        socket->abort();
    }
}

void CDeviceEventServer::OnDisconnected(QLocalSocket* socket)
{
    if (socket->isOpen())
        ReadLines(socket);
    if (m_TimedOut.value(socket))
        DebugPrint("CDeviceEventServer: client timed out");
    else if (socket->bytesAvailable() > 0)
        DebugPrint("CDeviceEventServer: incomplete line ignored: %s", Preview(socket->readAll()).constData());
    m_TimedOut.remove(socket);
    socket->deleteLater();
}

void CDeviceEventServer::HandleLine(const QByteArray& line)
{
    const qsizetype blank = line.indexOf(' ');
    const QByteArray command = line.left(blank);
    const QByteArray rest = blank < 0 ? QByteArray() : line.mid(blank + 1);
    const qsizetype split = rest.indexOf(' ');
    const bool pathAndId = split > 0 && split < rest.size() - 1;
    if ((command == "ARRIVAL" || command == "REMOVAL") && pathAndId)
        Q_EMIT DeviceEvent(command == "ARRIVAL", QString::fromUtf8(rest.left(split)),
                           QString::fromUtf8(rest.mid(split + 1)));
    else if (line == "NODESCHANGED")
        Q_EMIT NodesChanged();
    else if (line == "RESUME")
        Q_EMIT Resume();
    else if (line == "CONSOLE_CONNECT")
        Q_EMIT ConsoleConnect();
    else if (line == "CONSOLE_DISCONNECT")
        Q_EMIT ConsoleDisconnect();
    else
        DebugPrint("CDeviceEventServer: unknown device event ignored: %s", Preview(line).constData());
}
