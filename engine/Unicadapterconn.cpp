// Connecting with a profile, the zero-configuration switch and IP address renewal.
#include "Unicadapter.h"
#include "Ucumlib.h"
#include "Udetectignore.h"
#include "Uthreadipaddr.h"
#include "app/Udebug.h"
#include "app/Uprofile.h"
#include "app/Uutility.h"

#include <cstring>
#include <exception>

namespace {

constexpr int DETECT_TRIES = 10;
constexpr int DETECT_RETRY_MS = 1000;
constexpr int SETTLE_MS = 1000;
constexpr int RELEASE_PAUSE_MS = 2000;
constexpr int WZC_RUNNING = 4;
// A connect the library took but whose link is not up by then counts as timed out.
constexpr auto CONNECT_TIMEOUT = std::chrono::seconds(30);

} // namespace

void CNICAdapter::Connect(const WLProfile& profile)
{
    // A request that has not run yet is replaced: only the newest one is applied.
    m_PendingSlot.Exchange(std::make_unique<WLProfile>(profile));
    AddToDo(&CNICAdapter::DoConnect);
}

void CNICAdapter::DoConnect()
{
    DebugPrint("CNICAdapter::DoConnect()");
    std::unique_ptr<WLProfile> taken = m_PendingSlot.Exchange(nullptr);
    if (!taken) {
        DebugPrint("CNICAdapter::DoConnect() no profile waiting");
        return;
    }
    WLProfile profile = *taken;
    profile.ProfileName[sizeof profile.ProfileName - 1] = '\0';
    m_AppliedSlot.Exchange(std::move(taken));
    m_Watch.reset();
    DetectIgnoreSet(true);
    // A window that is dropping this adapter does not answer; the stop request then ends the wait.
    Send(NM_APPLYING, profile.FuncMode);
    ApplyProfile(profile);
    // Also when the adapter is being dropped: detection must go on following the devices. The pause then
    // ends at once.
    if (DetectIgnoreExists()) {
        Pause(SETTLE_MS);
        DetectIgnoreSet(false);
    }
    DebugPrint("CNICAdapter::DoConnect() end");
}

void CNICAdapter::ApplyProfile(const WLProfile& profile)
{
    // Held across the pauses below: the adapter restarts in between and nobody else may talk to it.
    CTSLibLock lock(m_Stop);
    if (!lock)
        return;
    if (profile.ApplyNetwork)
        ApplyNetwork(profile);
    if (!lock.StillHeld() || Terminated())
        return;
    WLANStatus status{};
    DebugPrint("call TSRWL_WLProfileToWLStatus");
    g_TSLib.TSRWL_WLProfileToWLStatus(&profile, &status);
    DebugPrint("call TSRWL_SetWLANStatus");
    int32_t output = 0;
    const int result = g_TSLib.TSRWL_SetWLANStatus(&output, &status);
    DebugPrint("call TSRWL_SetWLANStatus end %d", result);
    // An adapter dropped meanwhile is gone: its profile is not remembered for whatever adapter comes next.
    if (!lock.StillHeld() || Terminated())
        return;
    const QString ssid = BytesText(profile.Ssid1, sizeof profile.Ssid1);
    if (result != 1) {
        if (profile.FuncMode == 0)
            ReportConnectFailure(ssid, ReadConnectError());
        return;
    }
    // The library may take a connect and still fail it later; the status collection watches for that.
    if (profile.FuncMode == 0)
        m_Watch = TConnectWatch{ssid, std::chrono::steady_clock::now()};
    RememberApplied(profile);
    Pause(SETTLE_MS);
}

void CNICAdapter::ApplyNetwork(const WLProfile& profile)
{
    NetworkInfo current{};
    if (g_TSLib.TSRWL_GetNetworkInfo(&current) != 1)
        current = NetworkInfo{};
    if (SameIpSettings(profile.NetInfo, current))
        return;
    DebugPrint("set IP");
    g_TSLib.TSRWL_SetNetworkInfo(&profile.NetInfo);
    for (int i = 0; i < DETECT_TRIES && !Terminated(); ++i) {
        TSDevRecord device = m_DevRecord;
        if (g_TSLib.TSRWL_DevDetect(&device) == 1)
            break;
        Pause(DETECT_RETRY_MS);
    }
}

void CNICAdapter::RememberApplied(const WLProfile& profile)
{
    const QString name = ProfileNameOf(profile);
    if (name != QLatin1String(EDITING_PROFILE_NAME))
        WriteSet(profile.FuncMode == 0 ? QStringLiteral("LastProf") : QStringLiteral("LastAPProf"), name);
    ProfToIniFile(profile, QStringLiteral("LastApplyProf"));
}

int CNICAdapter::ReadConnectError() const
{
    if (!g_TSLib.TSRWL_GetLastConnectError)
        return TSRWL_CONNECT_ERROR_NONE;
    char detail[256] = {};
    const int reason = g_TSLib.TSRWL_GetLastConnectError(detail, int32_t(sizeof detail));
    detail[sizeof detail - 1] = '\0';
    if (reason != TSRWL_CONNECT_ERROR_NONE)
        DebugPrint("CNICAdapter: connect error %d: %s", reason, detail);
    // A code this program does not know still says that the connect failed.
    if (reason < TSRWL_CONNECT_ERROR_NONE || reason > TSRWL_CONNECT_ERROR_OTHER)
        return TSRWL_CONNECT_ERROR_OTHER;
    return reason;
}

std::optional<int> CNICAdapter::WatchedConnectFailure(bool linkUp)
{
    if (!m_Watch)
        return std::nullopt;
    if (linkUp) {
        m_Watch.reset();
        return std::nullopt;
    }
    int reason = ReadConnectError();
    if (reason == TSRWL_CONNECT_ERROR_NONE) {
        if (std::chrono::steady_clock::now() - m_Watch->Since < CONNECT_TIMEOUT)
            return std::nullopt;
        reason = TSRWL_CONNECT_ERROR_TIMEOUT;
    }
    return reason;
}

void CNICAdapter::ReportConnectFailure(const QString& ssid, int reason)
{
    DebugPrint("CNICAdapter: connect to %s failed (%d)", qUtf8Printable(ssid), reason);
    m_FailureSlot.Store(TConnectFailure{ssid, reason});
    // Last: `ssid` may be the watch's own.
    m_Watch.reset();
    Post(NM_CONNECT_FAILED, reason);
}

void CNICAdapter::WriteUseWZC(bool on)
{
    DebugPrint("CNICAdapter::WriteUseWZC()");
    if (g_Var.OsKind < 7 || on == m_EnableZeroCfg)
        return;
    m_EnableZeroCfg = on;
    DebugPrint("EnableZeroCfg %d", int(on));
    AddToDo(&CNICAdapter::DoSetZeroCfg);
    WriteSet(QStringLiteral("EnableZeroCfg"), on);
    Send(NM_ZEROCFG, int(on));
}

void CNICAdapter::DoSetZeroCfg()
{
    if (g_Var.OsKind < 7)
        return;
    DebugPrint("CNICAdapter::DoSetZeroCfg()");
    const bool want = m_EnableZeroCfg;
    DetectIgnoreSet(true);
    {
        CTSLibLock lock(m_Stop);
        if (!lock) {
            DetectIgnoreSet(false);
            return;
        }
        const bool running = g_TSLib.TSRWL_Get_WZCService() == WZC_RUNNING;
        if (running != want) {
            DebugPrint("Set ZeroCfg: %d", int(want));
            g_TSLib.TSRWL_Set_WZCService(int32_t(want));
        }
    }
    DetectIgnoreSet(false);
    DebugPrint("CNICAdapter::DoSetZeroCfg() end");
}

void CNICAdapter::IPRenew(int flags)
{
    QueueJob([this, flags] { DoIPRenew(flags); });
}

void CNICAdapter::DoIPRenew(int flags)
{
    DebugPrint("IPConfig 0x%x", unsigned(flags));
    try {
        if (g_Var.OsKind >= 6) {
            CTSLibLock lock(m_Stop);
            if (!lock)
                return;
            if (flags & IP_RELEASE) {
                g_TSLib.TSRWL_IPRelease();
                Pause(RELEASE_PAUSE_MS);
            }
            if ((flags & IP_RENEW) && lock.StillHeld() && !Terminated())
                g_TSLib.TSRWL_IPRenew();
            DebugPrint("IPConfig end");
            return;
        }
        const QString desc = ReadSet(QStringLiteral("NicDesc"), Description());
        DebugPrint("IPConfig NIC: %s", qUtf8Printable(desc));
        StopIPWorker();
        m_IPWorker = ThreadIPAddr::Create(desc, flags);
    } catch (const std::exception& e) {
        DebugPrint("Exception(CNICAdapter::IPConfig): %s", e.what());
    } catch (...) {
        DebugPrint("Exception(CNICAdapter::IPConfig)");
    }
}
