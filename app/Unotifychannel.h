#pragma once

#include "Unotifycode.h"

#include <QObject>
#include <QString>
#include <functional>

class CLocalListener;
class CLocalSocket;

// How a second instance reaches the running one: a per-user local socket on which the running instance
// takes (code, value) pairs, hands each to its handler on the GUI thread and answers with the result. Any
// process of the user can connect, so only the codes an instance sends are handled; the window's other
// codes come from its own threads and would make it wait on the adapter.
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
    // Clients served at once; the one idle longest makes room for a new one.
    static constexpr int MAX_CLIENTS = 8;

private:
    void OnReadyRead(CLocalSocket* socket);

    QString m_Name;
    Handler m_Handler;
    CLocalListener* m_Listener;
};

// Sends (code, value) to the running instance named `name` and waits for it to be handled. Returns false at
// once when no instance listens.
bool SendToRunningInstance(const QString& name, int code, int value, int timeoutMs = 10000);
