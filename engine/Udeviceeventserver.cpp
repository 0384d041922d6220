#include "Udeviceeventserver.h"
#include "app/Udebug.h"
#include "app/Ulocallistener.h"
#include "app/Ulocalsocket.h"
#include "app/Uutility.h"

#include <cstring>
#include <sys/socket.h>

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

constexpr int CLIENT_TIMEOUT_MS = 3000;

// Answers go straight to the descriptor and are dropped when they do not fit: a client that hung up after
// its lines must not make the socket fail before the rest of them is read, and one that never reads cannot
// make the answers pile up.
void Answer(CLocalSocket* socket, const char* text)
{
    [[maybe_unused]] const ssize_t n =
        send(socket->Descriptor(), text, strlen(text), MSG_NOSIGNAL | MSG_DONTWAIT);
}

} // namespace

CDeviceEventServer::CDeviceEventServer(QObject* parent)
    : QObject(parent), m_Listener(new CLocalListener(QStringLiteral("CDeviceEventServer"), MAX_CLIENTS, this))
{
    m_Listener->SetClientTimeout(CLIENT_TIMEOUT_MS);
    m_Listener->SetRefusalText("BUSY\n");
    connect(m_Listener, &CLocalListener::NewClient, this, &CDeviceEventServer::OnNewClient);
    connect(m_Listener, &CLocalListener::ClientTimedOut, this, [this](CLocalSocket* socket) {
        const auto client = m_Clients.find(socket);
        if (client != m_Clients.end())
            client->TimedOut = true;
    });
}

void CDeviceEventServer::SetClientTimeout(int ms)
{
    m_Listener->SetClientTimeout(ms);
}

CDeviceEventServer::~CDeviceEventServer() = default;

QString CDeviceEventServer::SocketPath(const QString& profRoot)
{
    const QString dir = RuntimeDir();
    return dir.isEmpty() ? QString() : dir + '/' + profRoot + "_DeviceEvent";
}

bool CDeviceEventServer::Listen(const QString& path)
{
    if (m_Listener->Listen(path))
        return true;
    DebugPrint("CDeviceEventServer::Listen %s: %s", qPrintable(path), qPrintable(m_Listener->ErrorText()));
    return false;
}

void CDeviceEventServer::OnNewClient(CLocalSocket* socket)
{
    m_Clients.insert(socket, Client());
    connect(socket, &CLocalSocket::Disconnected, this, [this, socket] { OnDisconnected(socket); });
    connect(socket, &CLocalSocket::readyRead, this, [this, socket] { ReadLines(socket); });
}

void CDeviceEventServer::ReadLines(CLocalSocket* socket)
{
    const auto found = m_Clients.find(socket);
    if (found == m_Clients.end())
        return;
    Client& client = *found;
    const QByteArray data = socket->readAll();
    for (qsizetype start = 0; start < data.size();) {
        const qsizetype end = data.indexOf('\n', start);
        const qsizetype length = (end < 0 ? data.size() : end) - start;
        // Only a bounded part of a line is ever kept, however much a client sends.
        if (!client.Skipping && client.Pending.size() + length > MAX_LINE - 1) {
            DebugPrint("CDeviceEventServer: line over %d bytes ignored", MAX_LINE);
            client.Pending.clear();
            client.Skipping = true;
        }
        if (!client.Skipping)
            client.Pending += data.mid(start, length);
        if (end < 0)
            break;
        const bool taken = !client.Skipping && HandleLine(client.Pending);
        Answer(socket, taken ? "OK\n" : "ERR\n");
        client.Pending.clear();
        client.Skipping = false;
        start = end + 1;
    }
}

void CDeviceEventServer::OnDisconnected(CLocalSocket* socket)
{
    if (!m_Clients.contains(socket))
        return;
    if (socket->bytesAvailable() > 0)
        ReadLines(socket);
    const Client client = m_Clients.take(socket);
    if (client.TimedOut)
        DebugPrint("CDeviceEventServer: client timed out");
    else if (!client.Pending.isEmpty())
        DebugPrint("CDeviceEventServer: incomplete line ignored: %s", Preview(client.Pending).constData());
}

bool CDeviceEventServer::HandleLine(const QByteArray& line)
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
    else {
        DebugPrint("CDeviceEventServer: unknown device event ignored: %s", Preview(line).constData());
        return false;
    }
    return true;
}
