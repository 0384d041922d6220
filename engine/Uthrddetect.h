#pragma once

#include "Udetectignore.h"
#include "Uevent.h"
#include "app/Udefine.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class QThread;
class QTimer;
class CDetectThread;
class CDeviceEventServer;
class CSessionWatch;
class CUdevMonitor;

// Device detection: one thread with its own event loop that learns of adapter arrival and removal, console
// session changes and resume, and then asks the adapter library which accepted adapter is present. A change
// of the present adapters is posted to the main window as notify code 2 (value 4; value 3 when the adapter
// must be given up at once).
//
// The object lives in its thread. Its owner releases it through Ptr: a thread that does not stop in time is
// abandoned together with the object, which is then kept, so nothing the thread still uses is ever freed.
class CThrdDetect : public QObject, public IDetectIgnore {
    Q_OBJECT
public:
    struct Deleter {
        void operator()(CThrdDetect* detect) const;
    };
    using Ptr = std::unique_ptr<CThrdDetect, Deleter>;

    // Starts the thread; `mainWindow` receives the notifications.
    static Ptr Create(QObject* mainWindow);

    void StopThread();
    // Appends copies of the adapters found by the last pass that changed the list, and with `plugs` what the
    // library tells of each one's plugging in: a device unplugged and plugged in again looks the same in
    // every byte of its descriptor, but not there.
    void GetDevices(std::vector<TAdapterDesc>& list, std::vector<QByteArray>* plugs = nullptr) const;
    // Any thread: while on, device events are skipped; turning it off schedules a pass.
    void SetIgnore(bool on) override;

    // One detection pass; on the detection thread.
    void DetectDev();
    // The library part of a pass: at most one adapter, the first accepted one present. False when the library
    // lock was not had (stop requested).
    bool EnumDetectDev(std::vector<TAdapterDesc>& list, std::vector<QByteArray>* plugs = nullptr);
    // Any thread: (re)starts the pass timer; never adds a second pending pass.
    void ScheduleDetect(int delayMs, int passes);
    // Forgets the adapters, tells the main window to give its adapter up and schedules detection.
    void ResumeReset();

Q_SIGNALS:
    // Requests from other threads, taken by the detection thread in turn. Queued signals rather than queued
    // functors: a functor is freed by whichever thread lets it go last, through a count that thread checkers
    // cannot see.
    void DetectRequested(int delayMs, int passes);
    void StopRequested();

private:
    explicit CThrdDetect(QObject* mainWindow);
    ~CThrdDetect() override;

    void CreateWnd();
    void DestroyWnd();
    void OnDetectRequested(int delayMs, int passes);
    void RegisterSessionNotify();
    void RetrySessionLater();
    void OnTimer1();
    void OnTimer2();
    void OnDeviceEvent(bool arrival, const QString& devicePath, const QString& hwId);
    // A device list holding an adapter found by an accepted id (not one taken as "any adapter").
    bool HoldsNamedAdapter() const;
    void OnNodesChanged();
    // `logLine` names the kind of resume message.
    void OnResume(const char* logLine);
    void OnConsoleConnect();
    void OnConsoleDisconnect();
    bool Skipping() const { return m_Ignore || m_ConsoleDisconnected; }
    void ClearDevices();

    QObject* const m_MainWindow;
    QThread* const m_OwnerThread;
    std::unique_ptr<CDetectThread> m_Thread;
    CStopSignal m_Stop;
    bool m_Stopped = false;
    bool m_Joined = false;
    std::atomic<bool> m_WndCreated{false};

    mutable std::mutex m_DevicesLock;
    std::vector<TAdapterDesc> m_Devices;
    std::vector<QByteArray> m_Plugs;

    std::atomic<bool> m_Ignore{false};
    // The fields below belong to the detection thread.
    bool m_ConsoleDisconnected = false;
    int m_Passes = 1;
    // TSRWL_SERVICE_* of the last pass (READY while an adapter is found); a pass may also be run by a caller.
    std::atomic<int> m_Service{0};
    int m_ServiceShown = 0; // the last one told to the main window
    QTimer* m_Timer1 = nullptr;
    QTimer* m_Timer2 = nullptr;
    CUdevMonitor* m_DevNotify = nullptr;
    CSessionWatch* m_Session = nullptr;
    CDeviceEventServer* m_EventServer = nullptr;
};
