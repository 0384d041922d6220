#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <sys/types.h>
#include <systemd/sd-bus.h>
#include <thread>
#include <vector>

// A private message bus (a dbus-daemon of its own, socket in `dir`) with a stand-in login manager on it that
// answers the calls the session watch makes. Tests point DBUS_SYSTEM_BUS_ADDRESS at Address(), where the
// program looks for the system bus.
class FakeLogind {
public:
    explicit FakeLogind(const QString& dir);
    ~FakeLogind();
    FakeLogind(const FakeLogind&) = delete;
    FakeLogind& operator=(const FakeLogind&) = delete;

    static bool Available();
    QString Address() const { return "unix:path=" + m_Socket; }
    bool StartBus();
    // Takes the login manager's name; it answers on a thread of its own, since the watch under test makes
    // blocking calls from the test's.
    bool StartService();
    // Changes the session's Active property and announces the change as the login manager does.
    void SetActive(bool active);
    void PrepareForSleep(bool start);
    void PrepareForShutdown(bool start);

    std::atomic<bool> Active{true};

private:
    bool Listening() const;
    void StopDaemon();
    bool Connect();
    void Serve();
    void Post(std::function<void(sd_bus*)> job);
    void RunPosted();

    QString m_Dir;
    QString m_Socket;
    // Started with fork and exec rather than the toolkit's process class, whose way of starting a child the
    // thread sanitizer cannot follow: its view of this process's locks goes wrong after it.
    pid_t m_Daemon = -1;
    sd_bus* m_Bus = nullptr;
    std::thread m_Thread;
    std::atomic<bool> m_Stop{false};
    int m_Wake[2] = {-1, -1};
    std::mutex m_Lock;
    std::vector<std::function<void(sd_bus*)>> m_Posted;
};
