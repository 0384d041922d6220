#include "Uthrddetect.h"
#include "Ucumlib.h"
#include "Udeviceeventserver.h"
#include "Udevmonitor.h"
#include "Uthread.h"
#include "Usessionwatch.h"
#include "app/Udebug.h"
#include "app/Unotifychannel.h"
#include "app/Unotifyevent.h"
#include "app/Uutility.h"

#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <utility>
#include <cstring>

namespace {

constexpr int STOP_WAIT_MS = 2000;
constexpr int SESSION_RETRY_MS = 500;

} // namespace

class CDetectThread : public QThread {
public:
    // Set when the thread exits. Waiting for it rather than for the thread lets thread checkers see the
    // hand-over, which happens inside the toolkit where they cannot look.
    CAutoEvent Ended;

protected:
    void run() override
    {
        // The toolkit still uses the thread object after run() returns; thread-local objects go after
        // that, so the owner may free it once this one is gone.
        thread_local const CEndMark mark(Ended);
        exec();
        DebugPrint("CThrdDetect::Execute() return");
    }

private:
    class CEndMark {
    public:
        explicit CEndMark(CAutoEvent& ended) : m_Ended(ended) {}
        ~CEndMark() { m_Ended.Set(); }
        CEndMark(const CEndMark&) = delete;
        CEndMark& operator=(const CEndMark&) = delete;

    private:
        CAutoEvent& m_Ended;
    };
};

namespace {

// Threads that did not stop in time, with the objects they use: kept for the rest of the run.
std::vector<CThrdDetect*>& Abandoned()
{
    static auto* list = new std::vector<CThrdDetect*>;
    return *list;
}

TAdapterDesc MakeDesc(const TSDevRecord& record, const QByteArray& hwId)
{
    TAdapterDesc desc;
    memset(&desc, 0, sizeof desc);
    const qsizetype length = qsizetype(strnlen(record.description, sizeof record.description));
    CopyTextField(desc.Description, sizeof desc.Description, QString::fromUtf8(record.description, length));
    CopyTextField(desc.HwId, sizeof desc.HwId, QString::fromUtf8(hwId));
    memcpy(desc.Instance, "9999", sizeof desc.Instance);
    return desc;
}

// What the library wrote into the record's own part: for a library that tells them apart, a text that differs
// from one plugging in of the device to the next.
QByteArray PlugText(const TSDevRecord& record)
{
    const auto* text = reinterpret_cast<const char*>(record.libraryData);
    return QByteArray(text, qsizetype(strnlen(text, sizeof record.libraryData)));
}

} // namespace

void CThrdDetect::Deleter::operator()(CThrdDetect* detect) const
{
    detect->StopThread();
    if (detect->m_Joined)
        delete detect;
    else
        Abandoned().push_back(detect);
}

CThrdDetect::Ptr CThrdDetect::Create(QObject* mainWindow)
{
    Ptr detect(new CThrdDetect(mainWindow));
    detect->moveToThread(detect->m_Thread.get());
    connect(detect->m_Thread.get(), &QThread::started, detect.get(), &CThrdDetect::CreateWnd);
    connect(detect.get(), &CThrdDetect::DetectRequested, detect.get(), &CThrdDetect::OnDetectRequested,
            Qt::QueuedConnection);
    connect(detect.get(), &CThrdDetect::StopRequested, detect.get(), &CThrdDetect::DestroyWnd,
            Qt::QueuedConnection);
    detect->m_Thread->setObjectName(QStringLiteral("DeviceDetect"));
    detect->m_Thread->start();
    return detect;
}

CThrdDetect::CThrdDetect(QObject* mainWindow)
    : m_MainWindow(mainWindow), m_OwnerThread(QThread::currentThread()), m_Thread(new CDetectThread)
{
}

CThrdDetect::~CThrdDetect()
{
    StopThread();
    ClearDevices();
}

void CThrdDetect::CreateWnd()
{
    m_Timer1 = new QTimer(this);
    m_Timer1->setSingleShot(true);
    connect(m_Timer1, &QTimer::timeout, this, &CThrdDetect::OnTimer1);
    m_Timer2 = new QTimer(this);
    m_Timer2->setInterval(SESSION_RETRY_MS);
    connect(m_Timer2, &QTimer::timeout, this, &CThrdDetect::OnTimer2);

    m_EventServer = new CDeviceEventServer(this);
    connect(m_EventServer, &CDeviceEventServer::DeviceEvent, this, &CThrdDetect::OnDeviceEvent);
    connect(m_EventServer, &CDeviceEventServer::NodesChanged, this, &CThrdDetect::OnNodesChanged);
    // A process announcing a resume stands for the old power message, the login manager for the system's
    // power broadcast; the log tells them apart.
    connect(m_EventServer, &CDeviceEventServer::Resume, this, [this] { OnResume("WM_POWER resume"); });
    connect(m_EventServer, &CDeviceEventServer::ConsoleConnect, this, &CThrdDetect::OnConsoleConnect);
    connect(m_EventServer, &CDeviceEventServer::ConsoleDisconnect, this, &CThrdDetect::OnConsoleDisconnect);
    m_EventServer->Listen(CDeviceEventServer::SocketPath(g_Var.ProfRoot));

    if (g_Var.OsKind >= 6) {
        auto* monitor = new CUdevMonitor(this);
        if (monitor->Open()) {
            m_DevNotify = monitor;
            connect(m_DevNotify, &CUdevMonitor::DeviceEvent, this, &CThrdDetect::OnDeviceEvent);
            DebugPrint("Succ: RegisterDeviceNotification");
        } else {
            delete monitor;
            DebugPrint("Fail: RegisterDeviceNotification");
        }
    }
    if (g_Var.OsKind >= 7 && !(g_Var.StartFlags & SF_SERVICE))
        RegisterSessionNotify();
    m_WndCreated = true;
    m_Timer1->start(100);
}

void CThrdDetect::RegisterSessionNotify()
{
    m_Session = new CSessionWatch(this);
    connect(m_Session, &CSessionWatch::ConsoleConnect, this, &CThrdDetect::OnConsoleConnect);
    connect(m_Session, &CSessionWatch::ConsoleDisconnect, this, &CThrdDetect::OnConsoleDisconnect);
    connect(m_Session, &CSessionWatch::Resume, this, [this] { OnResume("WM_POWERBROADCAST resume"); });
    // The system going down ends the program as the tray menu's Close does, while its threads may still run.
    connect(m_Session, &CSessionWatch::Shutdown, this, [this] {
        DebugPrint("PrepareForShutdown");
        PostNotify(m_MainWindow, NM_CLOSE_ALL, 0);
    });
    connect(m_Session, &CSessionWatch::Lost, this, &CThrdDetect::RetrySessionLater);
    connect(m_Session, &CSessionWatch::BusChanged, this, &CThrdDetect::OnTimer2);
    if (m_Session->Register()) {
        DebugPrint("Succ: RegisterSessionNotify");
    } else {
        DebugPrint("Fail: RegisterSessionNotify");
        RetrySessionLater();
    }
}

// While the system bus does not exist there is nothing to retry: the watch waits for it to appear.
void CThrdDetect::RetrySessionLater()
{
    if (!m_Session->WaitForBus())
        m_Timer2->start();
}

void CThrdDetect::DestroyWnd()
{
    // What the loop owns is freed on this thread; the bare object then goes back to its owner's thread.
    delete m_Session;
    delete m_DevNotify;
    delete m_EventServer;
    delete m_Timer1;
    delete m_Timer2;
    m_Session = nullptr;
    m_DevNotify = nullptr;
    m_EventServer = nullptr;
    m_Timer1 = nullptr;
    m_Timer2 = nullptr;
    DebugPrint("CThrdDetect::DestroyWnd()");
    moveToThread(m_OwnerThread);
    m_Thread->quit();
}

void CThrdDetect::StopThread()
{
    if (m_Stopped)
        return;
    m_Stopped = true;
    m_Stop.Request();
    if (m_WndCreated)
        DebugPrint("Close Detect Wnd");
    // Posted even before the loop runs, so that a thread stopped right after its start still ends.
    Q_EMIT StopRequested();
    const bool ending = CThread::ProcessEnding();
    if (m_Thread->Ended.Wait(ending ? CThread::ENDING_STOP_WAIT_MS : STOP_WAIT_MS)) {
        m_Thread->wait();
        m_Joined = true;
        DebugPrint("CThrdDetect::StopThread() Thread Stop");
        return;
    }
    DebugPrint("CThrdDetect::StopThread() TerminateThread");
    QThread::msleep(ending ? 100 : 500);
    if (g_TSLib.ReleaseAbandoned(m_Stop))
        DebugPrint("CThrdDetect: release g_TSLib.SynchEvent event");
}

void CThrdDetect::GetDevices(std::vector<TAdapterDesc>& list, std::vector<QByteArray>* plugs) const
{
    std::lock_guard<std::mutex> lock(m_DevicesLock);
    list.insert(list.end(), m_Devices.begin(), m_Devices.end());
    if (plugs)
        plugs->insert(plugs->end(), m_Plugs.begin(), m_Plugs.end());
}

void CThrdDetect::ClearDevices()
{
    std::lock_guard<std::mutex> lock(m_DevicesLock);
    m_Devices.clear();
    m_Plugs.clear();
}

void CThrdDetect::SetIgnore(bool on)
{
    m_Ignore = on;
    DebugPrint(on ? "Ignore ON" : "Ignore OFF");
    if (!on)
        ScheduleDetect(1000, 3);
}

void CThrdDetect::ScheduleDetect(int delayMs, int passes)
{
    if (QThread::currentThread() != m_Thread.get()) {
        // The timer belongs to the detection thread.
        Q_EMIT DetectRequested(delayMs, passes);
        return;
    }
    if (!m_Timer1)
        return;
    m_Passes = passes;
    m_Timer1->start(delayMs);
}

// Once the detection thread has ended there is nothing to schedule.
void CThrdDetect::OnDetectRequested(int delayMs, int passes)
{
    if (QThread::currentThread() == m_Thread.get())
        ScheduleDetect(delayMs, passes);
}

void CThrdDetect::ResumeReset()
{
    ClearDevices();
    PostNotify(m_MainWindow, NM_DEVICE, DEVICE_REMOVED);
    ScheduleDetect(3000, 3);
}

bool CThrdDetect::EnumDetectDev(std::vector<TAdapterDesc>& list, std::vector<QByteArray>* plugs)
{
    DebugPrint("CThrdDetect::EnumDetectDev");
    std::array<TSDevRecord, MAX_HWIDS> records{};
    // After the accepted ids, an all-zero record asks for whatever wireless adapter the library has, so that
    // an adapter the settings do not name is used too; a named one present comes first.
    const int count = std::min(g_Var.GetHwIdList(records.data(), MAX_HWIDS) + 1, MAX_HWIDS);
    CTSLibLock lock(m_Stop);
    if (!lock)
        return false;
    try {
        for (int i = 0; i < count; ++i) {
            TSDevRecord& record = records[size_t(i)];
            // The id as asked for: the library may write into the record.
            const QByteArray hwId(record.hwId, qsizetype(strnlen(record.hwId, sizeof record.hwId)));
            const int result = g_TSLib.TSRWL_DevDetect(&record);
            DebugPrint("DevDetect Result: %s %d", hwId.constData(), result);
            if (result == TSRWL_OK) {
                list.push_back(MakeDesc(record, hwId));
                if (plugs)
                    plugs->push_back(PlugText(record));
                break;
            }
        }
    } catch (const std::exception&) {
        DebugPrint("Exception(CThrdDetect::EnumDetectDev)");
    }
    // Without an adapter, the library may know why: no system bus, or no network service on it.
    m_Service =
        list.empty() && g_TSLib.TSRWL_GetServiceState ? g_TSLib.TSRWL_GetServiceState() : TSRWL_SERVICE_READY;
    return true;
}

void CThrdDetect::DetectDev()
{
    DebugPrint("CThrdDetect::DetectDev()");
    std::vector<TAdapterDesc> found;
    std::vector<QByteArray> plugs;
    if (!EnumDetectDev(found, &plugs))
        return;
    DebugPrint("available device %d", int(found.size()));
    const int service = m_Service;
    if (std::exchange(m_ServiceShown, service) != service)
        PostNotify(m_MainWindow, NM_SERVICE, service);
    bool differ = false;
    {
        std::lock_guard<std::mutex> lock(m_DevicesLock);
        differ = found.size() != m_Devices.size();
        for (size_t i = 0; i < m_Devices.size() && !differ; ++i) {
            const int at = FindDevRecord(m_Devices[i], found.data(), int(found.size()));
            differ = at < 0 || plugs[size_t(at)] != m_Plugs[i];
        }
        if (differ) {
            m_Devices.swap(found);
            m_Plugs.swap(plugs);
        }
    }
    if (differ)
        PostNotify(m_MainWindow, NM_DEVICE, DEVICE_ARRIVED);
    // A network service that is not there yet (the program started before it) or restarts brings no device
    // event: it is looked for until it is back.
    else if ((m_Passes > 0 || service != TSRWL_SERVICE_READY) && m_Timer1)
        m_Timer1->start(2000);
}

void CThrdDetect::OnTimer1()
{
    --m_Passes;
    if (!Skipping())
        DetectDev();
}

void CThrdDetect::OnTimer2()
{
    m_Timer2->stop();
    if (m_Session->Register()) {
        DebugPrint("Succ: RegisterSessionNotify");
    } else {
        DebugPrint("Fail: RegisterSessionNotify");
        RetrySessionLater();
    }
}

bool CThrdDetect::HoldsNamedAdapter() const
{
    std::lock_guard<std::mutex> lock(m_DevicesLock);
    return !m_Devices.empty() && m_Devices.front().HwId[0] != '\0';
}

void CThrdDetect::OnDeviceEvent(bool arrival, const QString& devicePath, const QString& hwId)
{
    Q_UNUSED(devicePath);
    if (Skipping()) {
        DebugPrint("Skip DBT_DEVICEARRIVAL/DBT_DEVICEREMOVECOMPLETE");
        return;
    }
    // Another wireless adapter matters while no named one is held: a pass may take it (or see it gone).
    if (!g_Var.IsAcceptedHwId(hwId) && HoldsNamedAdapter())
        return;
    DebugPrint(arrival ? "Arrival HWID: %s" : "Remove HWID: %s", qPrintable(hwId));
    ScheduleDetect(500, 3);
}

// Without device notifications, node changes and resume are what is left to go by.
void CThrdDetect::OnNodesChanged()
{
    if (m_DevNotify)
        return;
    if (Skipping()) {
        DebugPrint("Skip DBT_DEVNODES_CHANGED");
        return;
    }
    DebugPrint("DBT_DEVNODES_CHANGED");
    ScheduleDetect(3000, 5);
}

void CThrdDetect::OnResume(const char* logLine)
{
    if (m_DevNotify || Skipping())
        return;
    DebugPrint("%s", logLine);
    ResumeReset();
}

void CThrdDetect::OnConsoleConnect()
{
    DebugPrint("WTS_CONSOLE_CONNECT");
    m_ConsoleDisconnected = false;
    SetIgnore(false);
}

void CThrdDetect::OnConsoleDisconnect()
{
    DebugPrint("WTS_CONSOLE_DISCONNECT");
    m_ConsoleDisconnected = true;
    SetIgnore(true);
    ClearDevices();
    PostNotify(m_MainWindow, NM_DEVICE, DEVICE_REMOVED);
}
