#pragma once

#include <QDBusObjectPath>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QThread>
#include <atomic>

// The parts of the login manager the session watch talks to.
class FakeLoginManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public Q_SLOTS:
    QDBusObjectPath GetSessionByPID(uint pid);
};

class FakeLoginSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
    Q_PROPERTY(bool Active READ Active)
public:
    bool Active() const { return IsActive; }
    std::atomic<bool> IsActive{true};
};

// A private message bus (a dbus-daemon of its own, socket in `dir`) with a stand-in login manager on it.
// Tests point DBUS_SYSTEM_BUS_ADDRESS at Address() before the first bus use: the bus library reads it once
// per process, so every test of a program uses the same `dir`.
class FakeLogind {
public:
    explicit FakeLogind(const QString& dir);
    ~FakeLogind();

    static bool Available();
    QString Address() const { return "unix:path=" + m_Socket; }
    bool StartBus();
    bool StartService();
    // Changes the session's Active property and announces the change as the login manager does.
    void SetActive(bool active);
    void PrepareForSleep(bool start);

private:
    QString m_Dir;
    QString m_Socket;
    QProcess m_Daemon;
    QThread m_Thread;
    FakeLoginManager* m_Manager = nullptr;
    FakeLoginSession* m_Session = nullptr;
};
