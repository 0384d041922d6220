#pragma once

#include "Ufunclist.h"
#include "Ulockedslot.h"
#include "Uthread.h"
#include "Uuserstore.h"
#include "adaptercore/tsrwl.h"
#include "app/Udefine.h"
#include "app/Unotifycode.h"

#include <QPointer>
#include <QString>
#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <vector>

class QObject;
class ThreadIPAddr;

using TProfileList = std::vector<std::unique_ptr<WLProfile>>;
using TSiteList = std::vector<TSSiteEntry>;
using TMacAddress = std::array<uint8_t, TSRWL_MAC_SIZE>;
using TStationList = std::vector<TMacAddress>;
using TCertList = std::vector<TSCertEntry>;

// Kinds of profile lists.
enum ProfileKind { PROF_STATION = 0, PROF_SOFTAP = 1 };

// Why a station connect failed: the network asked for and one of the TSRWL_CONNECT_ERROR_ codes
// (TSRWL_CONNECT_ERROR_NONE when the library cannot say).
struct TConnectFailure {
    QString Ssid;
    int Reason = TSRWL_CONNECT_ERROR_NONE;
};

// Flags of IPRenew.
enum IpRenewFlag { IP_RELEASE = 1, IP_RENEW = 2 };

// The one adapter the program serves, and its worker thread. The worker collects the link status every two
// seconds and runs the slow operations queued in its to-do list; other threads read the copies it publishes.
class CNICAdapter : public CThread {
public:
    enum InitialThread { InitialOnCaller, InitialOnWorker };
    // Builds the adapter and starts its worker. Notifications go to `notifyTarget` (may be null). The
    // initialisation, which reads every stored profile from the library, runs on the calling thread before
    // Create returns, or with InitialOnWorker as the worker's first work, so that the window does not wait
    // for it: the adapter is then ready to be used once Attached() is true, which NM_ATTACHED announces.
    static TThreadPtr<CNICAdapter> Create(QObject* notifyTarget, uint32_t flags, const TAdapterDesc& desc,
                                          InitialThread initial = InitialOnCaller);
    bool Attached() const { return m_Attached; }

    // Per-adapter settings: the per-user store first, then the settings file's sections for this adapter,
    // for its hardware id and "Setting".
    int ReadSet(const QString& key, int def) const;
    bool ReadSet(const QString& key, bool def) const;
    QString ReadSet(const QString& key, const QString& def) const;
    QString ReadSet(const QString& key, const char* def) const
    {
        return ReadSet(key, QString::fromUtf8(def));
    }
    void WriteSet(const QString& key, int value);
    void WriteSet(const QString& key, bool value);
    void WriteSet(const QString& key, const QString& value);
    void WriteSet(const QString& key, const char* value) { WriteSet(key, QString::fromUtf8(value)); }
    void SetDeleteKey(const QString& key);

    void InitDefProf();
    // Channels the adapter may use as a station or as an access point on the bands of `bandFilter`, in the
    // order b, g, a. They depend only on the regulatory domain, which is fixed once the adapter is taken up,
    // so they are read from the library then and kept: a page asking for them never waits for the library.
    // The count is returned even when it exceeds `capacity`; the channels are copied only when they fit.
    int GetAllowedCh(int32_t* out, int capacity, uint32_t bandFilter) const;
    int GetSoftAPAllowedCh(int32_t* out, int capacity, uint32_t bandFilter) const;
    uint32_t GetUsableAdHocBand(int mode);
    bool IsBandEnable(const QString& key);

    // Worker, status and to-do list.
    using Operation = void (CNICAdapter::*)();
    void AddToDo(Operation operation);

    // Work for the worker thread, so that the window never waits for the library (a connect holds it for
    // seconds). `work(adapter)` runs on the worker after everything queued before it; its result is then
    // handed to `done(result)` on the GUI thread by a posted event, as notifications are. Nothing is handed
    // over when `receiver` (a page, living on the GUI thread) is destroyed first, or when the adapter is
    // being destroyed; the work itself may then not run at all. For example:
    //
    //     m_Adapter->Request(this, [](CNICAdapter& a) { TSiteList l; a.GetSiteList(l); return l; },
    //                        [this](const TSiteList& list) { ShowSites(list); });
    template <class Work, class Done> void Request(QObject* receiver, Work work, Done done);
    // The same without a result.
    template <class Work> void Queue(Work work);
    void GetStatus(WLANStatus& out) const;
    void GetNetInfo(NetworkInfo& out) const;
    // While nothing shows the link's values (the window is hidden in the tray), each period reads only
    // whether the link is up, and NM_STATUS is posted only when it comes up or goes down: the GUI thread is
    // not woken, and the copies keep the values of the last full reading. Turned off again, a full reading is
    // made at once, so that what is shown next is brought up to date without waiting for the period.
    void SetChangesOnly(bool on);
    bool GetAppliedProfile(WLProfile& out) const;
    // The last connect failure that NM_CONNECT_FAILED announced; false when there was none.
    bool GetConnectFailure(TConnectFailure& out) const { return m_FailureSlot.CopyTo(out); }
    void SetAntenna(uint8_t value);

    // Profile lists; names compare without regard to letter case. Any thread; a page changes them through
    // Request, so that it does not wait for a running connect.
    void ReadProfileList(int kind, TProfileList& target);
    void GetProfileList(int kind, TProfileList& out) const;
    bool AddProfile(const WLProfile& profile);
    bool DeleteProfile(int kind, const QString& name);
    bool UpdateProfile(const WLProfile& profile, const QString& oldName);
    bool ProfileExists(const QString& name) const;
    QString GetLastProfile(int kind) const;
    // The last used profile is one the library could not read: connecting with another one instead would
    // silently make that the last used.
    bool LastProfileDamaged(int kind) const;
    void GetLastApplied(WLProfile& out) const;
    // Connects with the last used station profile, or with the first of `listed` (profile names in the order
    // the user sees them) when that one is no longer stored. Nothing when the settings say not to connect at
    // start, under zero configuration, or when the last used profile could not be read. Returns the name
    // connected with, empty when none.
    QString ConnectLast(const QStringList& listed);

    // Connecting, zero configuration and IP configuration.
    void Connect(const WLProfile& profile);
    void DoConnect();
    void WriteUseWZC(bool on);
    void DoSetZeroCfg();
    // Any thread: queues the release and renewal on the worker, which waits out the pause between them.
    void IPRenew(int flags);
    // Worker thread: the release and renewal themselves.
    void DoIPRenew(int flags);

    // Site survey, Soft AP stations and certificates.
    void StartSiteSurvey();
    void GetSiteList(TSiteList& list);
    void GetStationList(TStationList& list);
    void GetCertificateList(TCertList& list, int kind);
    void SiteToProfile(const TSSiteEntry& entry, WLProfile& out);

    const TAdapterDesc& Descriptor() const { return m_Desc; }
    const QString& AdapterName() const { return m_AdapterName; }
    const QString& RegistryKey() const { return m_RegKey; }
    const QString& DriverVersion() const { return m_DriverVersion; }
    const QString& DriverPath() const { return m_DriverPath; }
    const QString& MacAddress() const { return m_MacAddress; }
    const QString& Domain() const { return m_Domain; }
    QString Description() const { return QString::fromUtf8(m_DevRecord.description); }
    bool EnableZeroCfg() const { return m_EnableZeroCfg; }
    bool EnableSoftAP() const { return m_EnableSoftAP; }
    bool EnableAntenna() const { return m_EnableAntenna; }
    int SupportMode() const { return m_SupportMode; }
    int DefBand() const { return m_DefBand; }
    int DefChB() const { return m_DefChB; }
    int DefChA() const { return m_DefChA; }
    int DefAPBand() const { return m_DefAPBand; }
    int DefAPChB() const { return m_DefAPChB; }
    int DefAPChA() const { return m_DefAPChA; }
    const QString& DefProfName() const { return m_DefProfName; }
    const QString& DefProfSSID() const { return m_DefProfSSID; }
    const QString& DefAPProfName() const { return m_DefAPProfName; }
    const QString& DefAPProfSSID() const { return m_DefAPProfSSID; }
    const WLProfile& DefProfile() const { return m_DefProf; }
    const WLProfile& DefAPProfile() const { return m_DefAPProf; }

protected:
    CNICAdapter(QObject* notifyTarget, uint32_t flags, const TAdapterDesc& desc, InitialThread initial);
    ~CNICAdapter() override;

    void Execute() override;
    bool StopThread() override;

private:
    void Initial();
    void CollectStatus();
    void LaunchToDoFunc();
    template <class T> T ReadSetValue(const QString& key, const T& def, const char* form) const;
    // The value from the store when it has one, else from the settings file's sections.
    template <class T>
    T ResolveSetting(const QString& key, const std::optional<QVariant>& stored, const T& def,
                     const char* form) const;
    // Texts of several keys (default empty) with one reading of the per-user store.
    QStringList ReadSetTexts(const QStringList& keys) const;
    // Writes to the per-user store; a failure is logged once until a write succeeds again.
    void StoreUpdate(const QList<QPair<QString, QVariant>>& values, const QStringList& removed);
    // Allowed channels per band, in the order b, g, a.
    using TBandChannels = std::array<std::vector<int32_t>, 3>;
    using AllowedChannelFunc = int32_t (*)(int32_t*, int32_t, const char*);
    // Reads the allowed channels of both uses from the library, for Initial.
    void ReadAllowedChannels();
    void ReadChannelTable(AllowedChannelFunc query, TBandChannels& target) const;
    static int CopyChannels(const TBandChannels& table, int32_t* out, int capacity, uint32_t bandFilter);
    void AddDefaultProfile(int kind);
    // Deletes the listed profile of that name from the library, storing `replacement` (if any) in its place;
    // its list position, or nothing when it is not listed, the library cannot be had or did not store it.
    std::optional<size_t> ReplaceInLibrary(int kind, const QString& name, const WLProfile* replacement);
    // The last used profile's name follows a rename (`newName`) or goes with a delete (empty `newName`).
    void FollowLastName(int kind, const QString& oldName, const QString& newName);
    TProfileList& List(int kind);
    const TProfileList& List(int kind) const;
    // Keeps and reports a profile the library enumerates but cannot read.
    void NoteDamaged(const QString& name);
    // Stores the order of `list`: the count, the entries from `from` on, and no entries from the count to
    // `oldCount`.
    void WriteOrder(int kind, const TProfileList& list, size_t from, int oldCount);
    // The library part of DoConnect, under the library lock.
    void ApplyProfile(const WLProfile& profile);
    void ApplyNetwork(const WLProfile& profile);
    void RememberApplied(const WLProfile& profile);
    // The library's reason for the last connect failure; TSRWL_CONNECT_ERROR_NONE when it cannot say.
    // Lock held by the caller.
    int ReadConnectError() const;
    // The reason of a watched connect that has failed by now, if it has; ends the watch once the link is up
    // or the connect failed. Lock held by the caller.
    std::optional<int> WatchedConnectFailure(bool linkUp);
    void ReportConnectFailure(const QString& ssid, int reason);
    // Sleeps, cut short when the adapter is being destroyed.
    void Pause(int ms);
    void Post(int code, int value);
    // Queues a job on the to-do list and wakes the worker.
    void QueueJob(std::function<void()> job);
    // Runs `deliver` on the GUI thread later, unless the adapter is being destroyed.
    void Deliver(std::function<void()> deliver);
    void Send(int code, int value);
    void StopIPWorker();

    bool m_InitialOnWorker = false;
    std::atomic<bool> m_Attached{false};
    CAutoEvent m_WakeEvent;
    TFuncList<CNICAdapter> m_ToDo;
    TThreadPtr<ThreadIPAddr> m_IPWorker;
    uint32_t m_Flags;
    // Cleared when the worker is abandoned, so it stops notifying a window that may be gone.
    mutable std::mutex m_NotifyMutex;
    QObject* m_NotifyTarget;
    bool m_Abandoned = false;
    TAdapterDesc m_Desc;
    TSDevRecord m_DevRecord;
    QString m_AdapterName;
    QString m_RegKey;
    CUserStore m_Store;
    // A store that cannot be written is reported once until a write succeeds again.
    std::atomic<bool> m_StoreFailing{false};
    QString m_DriverVersion;
    QString m_DriverPath;
    QString m_MacAddress;
    QString m_Domain;
    std::atomic<bool> m_EnableZeroCfg{false};
    std::atomic<bool> m_ChangesOnly{false};
    // The media state of the last NM_STATUS posted, -1 before the first (worker only).
    int64_t m_PostedMedia = -1;
    bool m_EnableSoftAP = false;
    bool m_EnableAntenna = false;
    int m_SupportMode = 0;
    int m_DefBand = 0;
    int m_DefChB = 0;
    int m_DefChA = 0;
    QString m_DefProfName;
    QString m_DefProfSSID;
    int m_DefAPBand = 0;
    int m_DefAPChB = 0;
    int m_DefAPChA = 0;
    QString m_DefAPProfName;
    QString m_DefAPProfSSID;
    // Written by Initial only, before the adapter counts as attached.
    TBandChannels m_StaChannels;
    TBandChannels m_APChannels;
    // The lists may be changed by work queued on the worker while the GUI takes copies.
    mutable std::mutex m_ListMutex;
    TProfileList m_StaProfiles;
    TProfileList m_APProfiles;
    // Names the library enumerates but cannot read.
    QStringList m_DamagedProfiles;
    WLProfile m_DefProf;
    WLProfile m_DefAPProf;
    TLockedSlot<WLANStatus> m_StatusSlot;
    TLockedSlot<NetworkInfo> m_NetworkSlot;
    TLockedSlot<WLProfile> m_PendingSlot;
    TLockedSlot<WLProfile> m_AppliedSlot;
    TLockedSlot<TConnectFailure> m_FailureSlot;
    // A station connect the library took but whose link is not up yet (worker only).
    struct TConnectWatch {
        QString Ssid;
        std::chrono::steady_clock::time_point Since;
    };
    std::optional<TConnectWatch> m_Watch;
};

template <class Work, class Done> void CNICAdapter::Request(QObject* receiver, Work work, Done done)
{
    QPointer<QObject> target(receiver);
    QueueJob([this, target, work = std::move(work), done = std::move(done)]() mutable {
        using Result = std::decay_t<decltype(work(*this))>;
        if constexpr (std::is_void_v<Result>) {
            work(*this);
            Deliver([target, done]() mutable {
                if (target)
                    done();
            });
        } else {
            auto result = std::make_shared<Result>(work(*this));
            Deliver([target, done, result]() mutable {
                if (target)
                    done(*result);
            });
        }
    });
}

template <class Work> void CNICAdapter::Queue(Work work)
{
    QueueJob([this, work = std::move(work)]() mutable { work(*this); });
}
