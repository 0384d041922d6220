#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// The per-user local socket on which any local process (the simulated adapter's control command, tests)
// announces device events: a client connects, writes text lines ended by '\n' and closes. Every line that is
// not a well-formed announcement is logged and dropped, and a client cannot hold the listener up: overlong
// lines, too many clients and clients that never finish are dropped.
class CDeviceEventServer : public QObject {
    Q_OBJECT
public:
    // The longest line taken, its '\n' included.
    static constexpr int MAX_LINE = 1024;
    // Clients served at once; further ones are turned away until one finishes.
    static constexpr int MAX_CLIENTS = 32;

    explicit CDeviceEventServer(QObject* parent = nullptr);
    ~CDeviceEventServer() override;

    // RuntimeDir()/<profRoot>_DeviceEvent; empty when there is no runtime directory.
    static QString SocketPath(const QString& profRoot);
    // Starts listening at `path`; a socket left behind by an earlier run is replaced.
    bool Listen(const QString& path);
    // How long a client may stay connected (milliseconds).
    void SetClientTimeout(int ms) { m_ClientTimeoutMs = ms; }
    int ClientCount() const { return int(m_Clients.size()); }

Q_SIGNALS:
    void DeviceEvent(bool arrival, const QString& devicePath, const QString& hwId);
    void NodesChanged();
    void Resume();
    void ConsoleConnect();
    void ConsoleDisconnect();

private:
    void OnNewConnection();
    void ReadLines(QLocalSocket* socket);
    void OnDisconnected(QLocalSocket* socket);
    void HandleLine(const QByteArray& line);

    struct Client {
        bool TimedOut = false;
        // The start of a line whose end has not come yet.
        QByteArray Pending;
        // Inside a line that was too long: everything up to its end is dropped.
        bool Skipping = false;
    };

    QLocalServer* m_Server;
    QHash<QLocalSocket*, Client> m_Clients;
    int m_ClientTimeoutMs = 3000;
};
