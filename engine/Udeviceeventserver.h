#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class CLocalListener;
class CLocalSocket;

// The per-user local socket on which any local process (the simulated adapter's control command, tests)
// announces device events: a client connects, writes text lines ended by '\n' and closes. Each line is
// answered, so that a sender knows whether it was heard: "OK" when it was taken, "ERR" when it was not a
// well-formed announcement (which is also logged), "BUSY" when the client is dropped before its line was
// taken. A client cannot hold the listener up: overlong lines, too many clients and clients that never
// finish are dropped.
class CDeviceEventServer : public QObject {
    Q_OBJECT
public:
    // The longest line taken, its '\n' included.
    static constexpr int MAX_LINE = 1024;
    // Clients served at once; beyond that the one idle longest makes room, and when none is idle a new
    // client is turned away.
    static constexpr int MAX_CLIENTS = 32;

    explicit CDeviceEventServer(QObject* parent = nullptr);
    ~CDeviceEventServer() override;

    // RuntimeDir()/<profRoot>_DeviceEvent; empty when there is no runtime directory.
    static QString SocketPath(const QString& profRoot);
    // Starts listening at `path`; a socket left behind by an earlier run is replaced.
    bool Listen(const QString& path);
    // How long a client may stay connected (milliseconds).
    void SetClientTimeout(int ms);
    int ClientCount() const { return int(m_Clients.size()); }

Q_SIGNALS:
    void DeviceEvent(bool arrival, const QString& devicePath, const QString& hwId);
    void NodesChanged();
    void Resume();
    void ConsoleConnect();
    void ConsoleDisconnect();

private:
    void OnNewClient(CLocalSocket* socket);
    void ReadLines(CLocalSocket* socket);
    void OnDisconnected(CLocalSocket* socket);
    bool HandleLine(const QByteArray& line);

    struct Client {
        bool TimedOut = false;
        // The start of a line whose end has not come yet.
        QByteArray Pending;
        // Inside a line that was too long: everything up to its end is dropped.
        bool Skipping = false;
    };

    CLocalListener* m_Listener;
    QHash<CLocalSocket*, Client> m_Clients;
};
