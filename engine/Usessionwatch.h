#pragma once

#include <QObject>
#include <string>
#include <systemd/sd-bus.h>

class QSocketNotifier;

// Console and power events of the program's own login session, from the login manager on the system bus: the
// session turning inactive (another user's session took the console) or active again, and the end of a sleep.
// The bus is served on the thread that owns the object, from its event loop; the toolkit's own bus thread is
// not involved.
class CSessionWatch : public QObject {
    Q_OBJECT
public:
    explicit CSessionWatch(QObject* parent = nullptr);
    ~CSessionWatch() override;

    // False when there is no system bus, no login manager or no session for this process.
    bool Register();
    void Unregister();

Q_SIGNALS:
    void ConsoleConnect();
    void ConsoleDisconnect();
    void Resume();
    // The bus connection broke after a registration; Register() may be tried again.
    void Lost();

private:
    bool OpenBus();
    bool FindSession();
    bool ReadActive(bool& active);
    bool Subscribe();
    void SetActive(bool active);
    void Dispatch();
    static int OnPropertiesChanged(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnPrepareForSleep(sd_bus_message* message, void* self, sd_bus_error* error);

    sd_bus* m_Bus = nullptr;
    QSocketNotifier* m_Notifier = nullptr;
    std::string m_SessionPath;
    bool m_Active = true;
};
