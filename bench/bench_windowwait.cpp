// How long the window's thread is held up by the adapter library (a wait for the library lock included): the
// longest gap of a 1 ms timer on that thread while the adapter is made and reads 3000 stored profiles, and
// while it connects (made slow in the simulated adapter), renews its address, scans, lists
// channels, adds a profile and deletes one. The window's own work is queued on the adapter's worker and
// answered by posted events.
//
//   cmake -B build -DWLANUTIL_BENCH=ON && cmake --build build --target bench_windowwait
//   build/bin/bench_windowwait [profiles] [connect ms]        (defaults 3000 and 1500)
#include "app/Udefine.h"
#include "app/Unotifyevent.h"
#include "engine/Ucumlib.h"
#include "engine/Unicadapter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Answers the adapter's notifications as the main window does, at once.
class Window : public QObject {
public:
    bool event(QEvent* e) override { return e->type() == QEvent::Type(NotifyMsg()) || QObject::event(e); }
};

// The longest gap between two ticks of a 1 ms timer: how long the thread could not draw or answer.
class StallMeter : public QObject {
public:
    StallMeter()
    {
        m_Timer.setInterval(1);
        connect(&m_Timer, &QTimer::timeout, this,
                [this] { m_Longest = std::max(m_Longest, m_Clock.restart()); });
    }
    void Start()
    {
        m_Longest = 0;
        m_Clock.start();
        m_Timer.start();
    }
    qint64 Stop()
    {
        m_Timer.stop();
        return std::max(m_Longest, m_Clock.elapsed());
    }

private:
    QTimer m_Timer;
    QElapsedTimer m_Clock;
    qint64 m_Longest = 0;
};

void WriteFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        fprintf(stderr, "bench_windowwait: cannot write %s\n", qPrintable(path));
}

WLProfile Profile(const QByteArray& name, const char* ssid)
{
    WLProfile p{};
    p.NetworkMode = 1;
    p.TxRate = 15;
    p.AuthenticationMode = 2;
    p.WPAEncryptionType = 1;
    memcpy(p.ProfileName, name.constData(), size_t(std::min<qsizetype>(name.size(), 64)));
    strcpy(p.Ssid1, ssid);
    return p;
}

void RunEvents(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int profiles = argc > 1 ? atoi(argv[1]) : 3000;
    const int connectMs = argc > 2 ? atoi(argv[2]) : 1500;
    RegisterNotifyMsg();
    QTemporaryDir dir;
    const QString binDir = QCoreApplication::applicationDirPath();
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("TSRWL_SIM_STATE", dir.filePath(QStringLiteral("sim.state")).toUtf8());
    qputenv("TSRWL_SIM_PROFILES", dir.filePath(QStringLiteral("profiles")).toUtf8());
    WriteFile(dir.filePath(QStringLiteral("sim.state")),
              "slow.connect=" + QByteArray::number(connectMs) + "\n");
    WriteFile(dir.filePath(QStringLiteral("wlanutil.bin")), "[Setting]\nProfRoot=WindowWaitBench\n");
    g_Var.ReadFiles(dir.filePath(QStringLiteral("wlanutil")));
    if (!g_TSLib.Load((binDir + QStringLiteral("/libtsrwl.so")).toStdString())) {
        fprintf(stderr, "bench_windowwait: cannot load %s/libtsrwl.so\n", qPrintable(binDir));
        return 1;
    }
    g_TSLib.TSRWL_SetWLProfileDir("WindowWaitBench");
    for (int i = 0; i < profiles; ++i) {
        const WLProfile p = Profile("Stored " + QByteArray::number(i), "HarborOffice");
        g_TSLib.TSRWL_SetWLProfile(p.ProfileName, &p);
    }

    Window window;
    StallMeter meter;
    TAdapterDesc desc{};
    strcpy(desc.HwId, "USB\\VID_F5E1&PID_0301");
    strcpy(desc.Instance, "9999");

    QElapsedTimer clock;
    clock.start();
    meter.Start();
    TThreadPtr<CNICAdapter> adapter = CNICAdapter::Create(&window, 0, desc, CNICAdapter::InitialOnWorker);
    while (!adapter->Attached() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const qint64 attach = clock.elapsed();
    const qint64 attachStall = meter.Stop();
    TProfileList listed;
    adapter->GetProfileList(PROF_STATION, listed);

    meter.Start();
    adapter->Connect(Profile("Stored 1", "ANY"));
    RunEvents(100);
    int answers = 0;
    adapter->IPRenew(IP_RELEASE | IP_RENEW);
    adapter->Queue([](CNICAdapter& a) { a.StartSiteSurvey(); });
    adapter->Request(
        &window,
        [](CNICAdapter& a) {
            TSiteList l;
            a.GetSiteList(l);
            return l.size();
        },
        [&](size_t) { ++answers; });
    adapter->Request(
        &window, [](CNICAdapter& a) { return a.AddProfile(Profile("Added", "ANY")); },
        [&](bool) { ++answers; });
    adapter->Request(
        &window, [](CNICAdapter& a) { return a.DeleteProfile(PROF_STATION, "Stored 2"); },
        [&](bool) { ++answers; });
    // The band and Soft AP configuration pages read the channel lists on the window's thread.
    std::vector<int32_t> channels(size_t(adapter->GetAllowedCh(nullptr, 0, 7)));
    adapter->GetAllowedCh(channels.data(), int(channels.size()), 7);
    channels.resize(size_t(adapter->GetSoftAPAllowedCh(nullptr, 0, 7)));
    adapter->GetSoftAPAllowedCh(channels.data(), int(channels.size()), 7);
    clock.restart();
    while (answers < 3 && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const qint64 queued = clock.elapsed();
    const qint64 stall = meter.Stop();

    printf("profiles %d, listed %zu; simulated connect %d ms\n", profiles, listed.size(), connectMs);
    printf("attach on the worker: ready after %lld ms, longest stall of the window's thread %lld ms\n",
           attach, attachStall);
    printf("queued work answered after %lld ms (behind the connect and the renewal)\n", queued);
    printf("longest stall of the window's thread while connecting, renewing, scanning, listing channels and "
           "changing profiles: %lld ms\n",
           stall);
    adapter.reset();
    return answers == 3 ? 0 : 1;
}
