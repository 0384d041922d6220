#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QElapsedTimer>
#include <QTimer>
#include <sys/types.h>

class CLocalSocket;
class QSocketNotifier;

// A per-user local socket that keeps listening whatever its clients do. Any process of the user can connect
// to it, so it must not be silenced by one that opens many connections: it serves a bounded number of
// clients, drops those that stay too long, makes room by dropping the client that has been idle longest
// (when all are talking, new ones wait in the kernel's queue), backs off when the process runs out of
// descriptors instead of closing, and binds its socket file again when it vanished. Every client it drops is
// told (the refusal text, then a hang-up) and logged.
class CLocalListener : public QObject {
    Q_OBJECT
public:
    CLocalListener(const QString& logName, int maxClients, QObject* parent = nullptr);
    ~CLocalListener() override;

    // Binds `path`, replacing whatever socket file an earlier run left there.
    bool Listen(const QString& path);
    bool IsListening() const { return m_Fd >= 0; }
    QString Path() const { return m_Path; }
    QString ErrorText() const { return m_Error; }
    // How long a client may stay connected (milliseconds).
    void SetClientTimeout(int ms) { m_ClientTimeoutMs = ms; }
    // Written to a client that is dropped, before the hang-up.
    void SetRefusalText(const QByteArray& text) { m_Refusal = text; }
    // With this set, a full listener also makes room by dropping the talking client that has waited longest
    // since its last whole message (see MessageDone): a client that trickles a few bytes then holds a place
    // only until a newcomer needs it.
    void SetSlowClientsYield(bool yield) { m_SlowClientsYield = yield; }
    // The owner read a whole message of `socket`.
    void MessageDone(CLocalSocket* socket);
    // How often the socket file is checked for being still ours where the kernel cannot report its removal.
    void SetCheckInterval(int ms) { m_Check.setInterval(ms); }
    // True while the kernel reports what happens to the socket file, so that no timer needs to look.
    bool WatchesSocketFile() const { return m_WatchId >= 0; }
    int ClientCount() const { return int(m_Clients.size()); }
    // Clients dropped since the start.
    int DroppedCount() const { return m_Dropped; }

Q_SIGNALS:
    // A client was taken; it belongs to the listener, which deletes it after it disconnected.
    void NewClient(CLocalSocket* socket);
    // A client timed out and is about to be dropped.
    void ClientTimedOut(CLocalSocket* socket);

private:
    struct Client {
        CLocalSocket* Socket;
        bool Spoke;
        // When it connected or last finished a message.
        qint64 LastDoneMs;
    };

    void OnReadable();
    bool AcceptOne();
    void Adopt(int fd);
    void OnAcceptError(int err);
    void Resume();
    void CheckSocketFile();
    // Asks the kernel to report the removal of the socket file just bound; looks now and then without it.
    void WatchSocketFile();
    void OnWatchEvent();
    // Makes room for one more client: the oldest client that never sent anything goes.
    bool DropIdleClient();
    bool DropSlowestClient();
    void Drop(CLocalSocket* socket, const char* why);
    void Forget(CLocalSocket* socket);
    QList<Client>::iterator Find(CLocalSocket* socket);
    bool Holds(CLocalSocket* socket);
    void CloseSocket();
    void LogDrop(const char* why);

    QString m_LogName;
    int m_MaxClients;
    QString m_Path;
    QString m_Error;
    int m_Fd = -1;
    dev_t m_Dev = 0;
    ino_t m_Ino = 0;
    QSocketNotifier* m_Notifier = nullptr;
    int m_WatchFd = -1;
    int m_WatchId = -1;
    QSocketNotifier* m_WatchNotifier = nullptr;
    QList<Client> m_Clients;
    QByteArray m_Refusal;
    int m_ClientTimeoutMs = 5000;
    bool m_SlowClientsYield = false;
    int m_BackoffMs = 0;
    int m_Dropped = 0;
    int m_AcceptErrors = 0;
    int m_Waits = 0;
    QTimer m_Retry;
    QTimer m_Check;
    QElapsedTimer m_Clock;
};
