// Construction, initialisation, default profiles, the worker thread and destruction of the adapter object.
#include "Unicadapter.h"
#include "Ucumlib.h"
#include "Uthreadipaddr.h"
#include "adaptercore/Corecodes.h"
#include "app/Udebug.h"
#include "app/Uprofile.h"
#include "app/Unotifyevent.h"
#include "app/Uutility.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QObject>
#include <QThread>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr int FIRST_COLLECT_MS = 1000;
constexpr int COLLECT_MS = 2000;
constexpr int STOP_WAIT_MS = 2000;
constexpr int AFTER_ABANDON_MS = 500;
constexpr int PROFILE_NAME_MAX = 64;

QString MacText(const uint8_t* mac)
{
    return QString::asprintf("%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

// The text of a fixed, possibly unterminated record field.
QString FieldText(const char* field, size_t size)
{
    return QString::fromUtf8(field, qsizetype(strnlen(field, size)));
}

// A text cut to `max` characters (UTF-8 bytes, at a character boundary).
QString Cut(const QString& text, int max)
{
    return QString::fromUtf8(Utf8Left(text, max));
}

} // namespace

TThreadPtr<CNICAdapter> CNICAdapter::Create(QObject* notifyTarget, uint32_t flags, const TAdapterDesc& desc,
                                            InitialThread initial)
{
    TThreadPtr<CNICAdapter> adapter(new CNICAdapter(notifyTarget, flags, desc, initial));
    adapter->Start("AdapterWorker");
    return adapter;
}

CNICAdapter::CNICAdapter(QObject* notifyTarget, uint32_t flags, const TAdapterDesc& desc,
                         InitialThread initial)
    : m_InitialOnWorker(initial == InitialOnWorker), m_Flags(flags), m_NotifyTarget(notifyTarget),
      m_Desc(desc), m_DevRecord{}, m_AdapterName(FieldText(desc.HwId, sizeof desc.HwId) + '-' +
                                                 FieldText(desc.Instance, sizeof desc.Instance)),
      m_RegKey(QStringLiteral("Software\\%1\\WLAdapter\\%2").arg(g_Var.ProfRoot, m_AdapterName)),
      m_Store(g_Var.ProfRoot, m_RegKey), m_DefProf{}, m_DefAPProf{}
{
    DebugPrint("CNICAdapter::CNICAdapter()");
    CopyTextField(m_DevRecord.hwId, sizeof m_DevRecord.hwId, FieldText(desc.HwId, sizeof desc.HwId));
    WLANStatus status{};
    status.MediaState = 1;
    m_StatusSlot.Store(status);
    m_NetworkSlot.Store(NetworkInfo{});
    if (m_InitialOnWorker)
        return;
    Initial();
    m_Attached = true;
}

void CNICAdapter::Initial()
{
    DebugPrint("CNICAdapter::Initial()");
    char domain[256] = {};
    char driver[256] = {};
    bool startHandedOver = false;
    {
        CTSLibLock lock(m_Stop);
        if (!lock)
            return;
        g_TSLib.TSRWL_DevDetect(&m_DevRecord);
        m_DevRecord.description[sizeof m_DevRecord.description - 1] = '\0';
        uint8_t mac[TSRWL_MAC_SIZE] = {};
        uint32_t written = 0;
        g_TSLib.TSRWL_QueryOID(TSRWL_OID_CURRENT_ADDRESS, mac, sizeof mac, &written);
        m_MacAddress = MacText(mac);
        g_TSLib.TSRWL_GetWLANDomain(domain);
        g_TSLib.TSRWL_GetWLANDriverPath(driver);
        // A library for adapters that the system's manager already serves answers 1: the adapter stays with
        // the manager until the user agrees to take it (then the setting below holds that choice).
        startHandedOver = g_TSLib.TSRWL_Get_ZeroConfig && g_TSLib.TSRWL_Get_ZeroConfig() == TSRWL_OK;
    }
    domain[sizeof domain - 1] = '\0';
    driver[sizeof driver - 1] = '\0';
    DebugPrint("Domain = [%s]", domain);
    m_Domain = ReadSet(QStringLiteral("Domain"), QString::fromUtf8(domain));
    m_DriverPath = DriverFilePath(QString::fromUtf8(driver));
    if (!m_DriverPath.isEmpty())
        m_DriverVersion = FileVersionText(m_DriverPath, 4);

    m_SupportMode = ReadSet(QStringLiteral("SupportMode"), 34);
    m_DefBand = ReadSet(QStringLiteral("DefBand"), 1);
    m_DefChB = ReadSet(QStringLiteral("DefChB"), 6);
    m_DefChA = ReadSet(QStringLiteral("DefChA"), 36);
    m_DefProfName = Cut(ReadSet(QStringLiteral("DefProfName"), "Default"), PROFILE_NAME_MAX);
    if (m_DefProfName.isEmpty())
        m_DefProfName = QStringLiteral("Default");
    m_DefProfSSID = Cut(ReadSet(QStringLiteral("DefProfSSID"), "ANY"), TSRWL_SSID_MAX);
    m_DefAPBand = ReadSet(QStringLiteral("DefAPBand"), 11);
    m_DefAPChB = ReadSet(QStringLiteral("DefAPChB"), 6);
    m_DefAPChA = ReadSet(QStringLiteral("DefAPChA"), 36);
    m_DefAPProfName = Cut(ReadSet(QStringLiteral("DefAPProfName"), "Default_SoftAP"), PROFILE_NAME_MAX);
    if (m_DefAPProfName.isEmpty())
        m_DefAPProfName = QStringLiteral("Default_SoftAP");
    m_DefAPProfSSID = Cut(ReadSet(QStringLiteral("DefAPProfSSID"), "WLAN_AP"), TSRWL_SSID_MAX);
    InitDefProf();
    ReadAllowedChannels();

    const bool service = m_Flags & SF_SERVICE;
    if (!service)
        AddDefaultProfile(PROF_STATION);
    m_EnableSoftAP = ReadSet(QStringLiteral("EnableSoftAP"), false);
    if (!service)
        AddDefaultProfile(PROF_SOFTAP);
    m_EnableAntenna = ReadSet(QStringLiteral("EnableAntenna"), false);
    if (!service)
        StartSiteSurvey();
    if (g_Var.OsKind >= 7) {
        m_EnableZeroCfg = ReadSet(QStringLiteral("EnableZeroCfg"), startHandedOver);
        AddToDo(&CNICAdapter::DoSetZeroCfg);
    } else {
        m_EnableZeroCfg = false;
    }
    DebugPrint("CNICAdapter::Initial() end");
}

void CNICAdapter::AddDefaultProfile(int kind)
{
    TProfileList& list = List(kind);
    ReadProfileList(kind, list);
    if (!list.empty())
        return;
    WLProfile profile = kind == PROF_STATION ? m_DefProf : m_DefAPProf;
    const QString& name = kind == PROF_STATION ? m_DefProfName : m_DefAPProfName;
    CopyTextField(profile.ProfileName, sizeof profile.ProfileName, name);
    CopyTextField(profile.NetInfo.sz_CurProfile, sizeof profile.NetInfo.sz_CurProfile, name);
    CopyTextField(profile.Ssid1, sizeof profile.Ssid1,
                  kind == PROF_STATION ? m_DefProfSSID : m_DefAPProfSSID);
    AddProfile(profile);
}

void CNICAdapter::InitDefProf()
{
    DebugPrint("CNICAdapter::InitDefProf()");
    WLProfile& sta = m_DefProf;
    sta = WLProfile{};
    // A new profile starts from the security a new choice of security type starts from.
    ResetSecurity(sta);
    sta.FuncMode = 0;
    sta.QosEnabled = 1;
    sta.ABGMode = m_SupportMode;
    sta.AdHocBand = m_DefBand;
    sta.Channel = m_DefBand == 2 ? m_DefChA : m_DefChB;
    sta.TxRate = 15;
    sta.NetworkMode = 1;
    const QString name = ReadSet(QStringLiteral("ProfName"), m_DefProfName);
    CopyTextField(sta.ProfileName, sizeof sta.ProfileName, name);
    CopyTextField(sta.NetInfo.sz_CurProfile, sizeof sta.NetInfo.sz_CurProfile, name);
    CopyTextField(sta.Ssid1, sizeof sta.Ssid1, ReadSet(QStringLiteral("ProfSSID"), m_DefProfSSID));
    sta.FragThreshold = 2346;
    sta.RTSThreshold = 2347;
    sta.PreambleMode = 2;
    sta.PowerMode = 0;
    sta.ApplyNetwork = 0;

    WLProfile& ap = m_DefAPProf;
    ap = sta;
    ap.FuncMode = 1;
    ap.ABGMode = m_DefAPBand;
    ap.Channel = (m_DefAPBand == 1 || m_DefAPBand == 3 || m_DefAPBand == 11) ? m_DefAPChB : m_DefAPChA;
    const QString apName = ReadSet(QStringLiteral("APProfName"), m_DefAPProfName);
    CopyTextField(ap.ProfileName, sizeof ap.ProfileName, apName);
    CopyTextField(ap.NetInfo.sz_CurProfile, sizeof ap.NetInfo.sz_CurProfile, apName);
    CopyTextField(ap.Ssid1, sizeof ap.Ssid1, ReadSet(QStringLiteral("APProfSSID"), m_DefAPProfSSID));
    ap.AuthenticationMode = ToCode(TsrwlAuthMode::Open);
    ap.PreambleMode = 0;
}

bool CNICAdapter::StopThread()
{
    DebugPrint("CNICAdapter::~CNICAdapter()");
    if (RequestStopAndWait(STOP_WAIT_MS))
        return true;
    DebugPrint("CNICAdapter::~CNICAdapter TerminateThread");
    {
        std::lock_guard lock(m_NotifyMutex);
        m_NotifyTarget = nullptr;
        m_Abandoned = true;
    }
    if (!Abandon())
        return true;
    // From here on the object belongs to its thread. The lock is freed only when that thread holds it: a
    // lock another thread holds is not ours to free.
    std::this_thread::sleep_for(
        std::chrono::milliseconds(ProcessEnding() ? AFTER_ABANDON_MS / 5 : AFTER_ABANDON_MS));
    if (g_TSLib.ReleaseAbandoned(m_Stop))
        DebugPrint("CNICAdapter: release g_TSLib.SynchEvent event");
    DebugPrint("CNICAdapter::~CNICAdapter() end");
    return false;
}

CNICAdapter::~CNICAdapter()
{
    try {
        StopIPWorker();
    } catch (...) {
        DebugPrint("Exception");
    }
    // An abandoned adapter ends here on its own thread, long after its owner logged the end.
    std::lock_guard lock(m_NotifyMutex);
    if (!m_Abandoned)
        DebugPrint("CNICAdapter::~CNICAdapter() end");
}

void CNICAdapter::Execute()
{
    DebugPrint("CNICAdapter::Execute()");
    if (m_InitialOnWorker) {
        Initial();
        if (Terminated())
            return;
        m_Attached = true;
        Post(NM_ATTACHED, 0);
    }
    int timeout = FIRST_COLLECT_MS;
    while (!Terminated()) {
        const int signalled = WaitForAny({&m_Stop.Event, &m_WakeEvent}, timeout);
        if (Terminated())
            break;
        if (signalled == 1) {
            LaunchToDoFunc();
        } else if (signalled < 0) {
            CollectStatus();
            timeout = COLLECT_MS;
        } else {
            break;
        }
    }
}

void CNICAdapter::CollectStatus()
{
    if (m_EnableZeroCfg) {
        // The system's manager has the adapter now; a connect of ours no longer comes up.
        m_Watch.reset();
        return;
    }
    WLANStatus status{};
    NetworkInfo network{};
    std::optional<int> failure;
    bool full;
    {
        CTSLibLock lock(m_Stop);
        if (!lock)
            return;
        // While only changes are reported nobody looks at the values: with the link as it was, they stay
        // unread.
        full = !m_ChangesOnly;
        if (!full) {
            uint32_t media = 1;
            const bool linkUp = g_TSLib.ReadMediaState(media) && media == 0;
            full = int64_t(linkUp ? 0 : 1) != m_PostedMedia;
            if (!full)
                failure = WatchedConnectFailure(linkUp);
        }
        if (full) {
            if (g_TSLib.ReadWLANStatus(&status) != 1)
                status.MediaState = 1;
            if (g_TSLib.TSRWL_GetNetworkInfo(&network) != 1)
                network = NetworkInfo{};
            failure = WatchedConnectFailure(status.MediaState == 0);
        }
    }
    if (full) {
        m_StatusSlot.Store(status);
        m_NetworkSlot.Store(network);
        if (int64_t(status.MediaState) != m_PostedMedia || !m_ChangesOnly) {
            m_PostedMedia = status.MediaState;
            Post(NM_STATUS, 0);
        }
    }
    if (failure)
        ReportConnectFailure(m_Watch->Ssid, *failure);
}

void CNICAdapter::SetChangesOnly(bool on)
{
    // Read while only changes were reported, the copies may be old: they are brought up to date now.
    if (m_ChangesOnly.exchange(on) && !on)
        AddToDo(&CNICAdapter::CollectStatus);
}

void CNICAdapter::LaunchToDoFunc()
{
    DebugPrint("CNICAdapter::LaunchToDoFunc()");
    // A thread that is being stopped starts nothing more.
    while (!Terminated()) {
        const auto item = m_ToDo.TakeFirst();
        if (!item)
            break;
        (*item)();
    }
}

void CNICAdapter::AddToDo(Operation operation)
{
    m_ToDo.Add({operation, this, {}});
    m_WakeEvent.Set();
}

void CNICAdapter::QueueJob(std::function<void()> job)
{
    m_ToDo.Add({nullptr, nullptr, std::move(job)});
    m_WakeEvent.Set();
}

void CNICAdapter::Deliver(std::function<void()> deliver)
{
    // Checked under the notify lock, which the owner takes when it gives the thread up.
    std::lock_guard lock(m_NotifyMutex);
    if (!m_Abandoned && !Terminated())
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(deliver), Qt::QueuedConnection);
}

void CNICAdapter::GetStatus(WLANStatus& out) const
{
    m_StatusSlot.CopyTo(out);
}

void CNICAdapter::GetNetInfo(NetworkInfo& out) const
{
    m_NetworkSlot.CopyTo(out);
}

bool CNICAdapter::GetAppliedProfile(WLProfile& out) const
{
    return m_AppliedSlot.CopyTo(out);
}

void CNICAdapter::SetAntenna(uint8_t value)
{
    if (!m_EnableAntenna)
        return;
    CTSLibLock lock(m_Stop);
    if (lock)
        g_TSLib.TSRWL_SetOID(TSRWL_OID_ANTENNA, &value, 1);
}

void CNICAdapter::Pause(int ms)
{
    // The stop event is given back so that the thread's loop sees it too.
    if (m_Stop.Event.Wait(ms))
        m_Stop.Event.Set();
}

void CNICAdapter::Post(int code, int value)
{
    std::lock_guard lock(m_NotifyMutex);
    if (m_NotifyTarget)
        PostNotify(m_NotifyTarget, code, value);
}

void CNICAdapter::Send(int code, int value)
{
    QObject* target;
    {
        std::lock_guard lock(m_NotifyMutex);
        target = m_NotifyTarget;
    }
    if (!target)
        return;
    if (target->thread() == QThread::currentThread()) {
        SendNotify(target, code, value);
        return;
    }
    // The window may be destroying this adapter and waiting for this thread: the wait then ends with the
    // stop request, and the call, should it still run, does nothing.
    struct Call {
        CAutoEvent Done;
        std::atomic<bool> GivenUp{false};
    };
    auto call = std::make_shared<Call>();
    // Raised when the call has run, and also when the toolkit drops it unrun because the window went away.
    std::shared_ptr<void> raise(nullptr, [call](void*) { call->Done.Set(); });
    QMetaObject::invokeMethod(
        target,
        [target, code, value, call, raise = std::move(raise)] {
            if (!call->GivenUp)
                SendNotify(target, code, value);
        },
        Qt::QueuedConnection);
    if (WaitForAny({&call->Done, &m_Stop.Event}) != 0) {
        call->GivenUp = true;
        m_Stop.Event.Set();
    }
}

void CNICAdapter::StopIPWorker()
{
    m_IPWorker.reset();
}
