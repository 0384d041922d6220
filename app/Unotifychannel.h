#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;
class QLocalSocket;

// How a second instance reaches the running one: a per-user local socket on which the running instance
// takes (code, value) pairs, hands each to its handler on the GUI thread and answers with the result.
class CNotifyServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<int(int code, int value)>;

    CNotifyServer(const QString& name, Handler handler, QObject* parent = nullptr);
    ~CNotifyServer() override;
    // Starts listening; a socket left behind by a crashed instance is replaced (the caller holds the
    // instance lock, so no live instance owns it).
    bool Listen();
    QString SocketPath() const;

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QString m_Name;
    Handler m_Handler;
    QLocalServer* m_Server;
};

// Sends (code, value) to the running instance named `name` and waits for it to be handled. Returns false at
// once when no instance listens.
bool SendToRunningInstance(const QString& name, int code, int value, int timeoutMs = 10000);
