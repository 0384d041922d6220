#pragma once

#include <QObject>
#include <string>
#include <systemd/sd-bus.h>

class QFileSystemWatcher;
class QSocketNotifier;

// Console, power and shutdown events of the program's own login session, from the login manager on the system
// bus: the session turning inactive (another user's session took the console) or active again, and the end of
// a sleep. The bus is served on the thread that owns the object, from its event loop; the toolkit's own bus
// thread is not involved.
class CSessionWatch : public QObject {
    Q_OBJECT
public:
    explicit CSessionWatch(QObject* parent = nullptr);
    ~CSessionWatch() override;

    // False when there is no system bus, no login manager or no session for this process.
    bool Register();
    void Unregister();
    // After a failed Register(): true when the system bus is a local socket that does not exist. Nothing can
    // register until it does, so the watch waits for it to be created, without polling, and then says
    // BusChanged. False when trying again later is the only way (a bus that is there, or one not on a
    // local socket), or when the file system cannot be watched.
    bool WaitForBus();

Q_SIGNALS:
    void ConsoleConnect();
    void ConsoleDisconnect();
    void Resume();
    // The system is about to shut down or reboot.
    void Shutdown();
    // The bus connection broke after a registration; Register() may be tried again.
    void Lost();
    // The socket WaitForBus waited for exists now, or can no longer be watched for: time to register again.
    void BusChanged();

private:
    bool OpenBus();
    bool FindSession();
    bool ReadActive(bool& active);
    bool Subscribe();
    void SetActive(bool active);
    void Dispatch();
    void BusFolderChanged();
    static int OnPropertiesChanged(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnPrepareForSleep(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnPrepareForShutdown(sd_bus_message* message, void* self, sd_bus_error* error);

    sd_bus* m_Bus = nullptr;
    QSocketNotifier* m_Notifier = nullptr;
    QFileSystemWatcher* m_BusFolder = nullptr;
    std::string m_SessionPath;
    bool m_Active = true;
};
