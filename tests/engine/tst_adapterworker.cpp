// The adapter's worker: status collection, the to-do list, connecting, zero configuration and destruction.
#include "adapterfixture.h"
#include "app/Ulabels.h"
#include "app/Uprofile.h"
#include "app/Uinifile.h"
#include "engine/Ucumlib.h"
#include "engine/Udetectignore.h"
#include "testutil.h"

#include <QThread>

#include <QElapsedTimer>
#include <cstring>
#include <future>

using fakelib::MakeProfile;
using fakelib::With;
using testutil::WaitFor;

namespace {

class AdapterWorker : public AdapterTest {
protected:
    // An adapter whose worker is stuck applying a profile named "Busy" until holdConnect is cleared.
    CNICAdapter& BusyAdapter()
    {
        With([](FakeLibState& s) { s.holdConnect = true; });
        CNICAdapter& a = Adapter();
        a.Connect(MakeProfile("Busy"));
        EXPECT_TRUE(WaitFor([] { return fakelib::Calls("TSRWL_SetWLANStatus") == 1; }));
        return a;
    }
    WLANStatus Status() const
    {
        WLANStatus s{};
        m_Adapter->GetStatus(s);
        return s;
    }
};

class RecordingDetect : public IDetectIgnore {
public:
    void SetIgnore(bool on) override
    {
        std::lock_guard lock(m_Mutex);
        m_Calls.push_back(on);
    }
    std::vector<bool> Calls() const
    {
        std::lock_guard lock(m_Mutex);
        return m_Calls;
    }

private:
    mutable std::mutex m_Mutex;
    std::vector<bool> m_Calls;
};

} // namespace

TEST_F(AdapterWorker, ReportsDisconnectedUntilTheFirstCollection)
{
    With([](FakeLibState& s) {
        s.mediaState = 0;
        s.status.Rssi = -52;
        s.status.RxBytes = 1234;
        s.network.IpAddr[0] = 10;
    });
    Adapter();
    EXPECT_EQ(Status().MediaState, 1u);
    ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) > 0; }));
    const WLANStatus s = Status();
    EXPECT_EQ(s.MediaState, 0u);
    EXPECT_EQ(s.Rssi, -52);
    EXPECT_EQ(s.RxBytes, 1234u);
    NetworkInfo n{};
    m_Adapter->GetNetInfo(n);
    EXPECT_EQ(n.IpAddr[0], 10);
}

TEST_F(AdapterWorker, FailedReadsPublishDisconnectedAndZeroNetwork)
{
    With([](FakeLibState& s) {
        s.mediaState = 0;
        s.statusResult = 0;
        s.networkResult = 0;
        s.network.IpAddr[0] = 10;
    });
    Adapter();
    ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) > 0; }));
    EXPECT_EQ(Status().MediaState, 1u);
    NetworkInfo n{};
    n.IpAddr[0] = 99;
    m_Adapter->GetNetInfo(n);
    EXPECT_EQ(n.IpAddr[0], 0);
}

TEST_F(AdapterWorker, ChangesOnlyReadsJustTheLinkStateAndCatchesUpWhenTurnedOff)
{
    With([](FakeLibState& s) {
        s.mediaState = 0;
        s.status.Rssi = -50;
    });
    CNICAdapter& a = Adapter();
    ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) > 0; }));
    a.SetChangesOnly(true);
    const int reports = m_Recorder.Count(NM_STATUS);
    const int queries = fakelib::Calls("TSRWL_QueryOID");
    const int readings = fakelib::Calls("TSRWL_GetNetworkInfo");
    With([](FakeLibState& s) { s.status.Rssi = -60; });
    // Two periods with the link still up: only its state is asked for, and nobody is woken.
    ASSERT_TRUE(WaitFor([&] { return fakelib::Calls("TSRWL_QueryOID") >= queries + 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_Recorder.Count(NM_STATUS), reports);
    EXPECT_EQ(fakelib::Calls("TSRWL_GetNetworkInfo"), readings);
    EXPECT_EQ(Status().Rssi, -50) << "the copy keeps the last full reading";

    // Turned off, the values are read and reported without waiting for the next period.
    a.SetChangesOnly(false);
    ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) == reports + 1; }, 1500));
    EXPECT_EQ(Status().Rssi, -60);

    // The link going down is reported, with a full reading, while only changes are.
    a.SetChangesOnly(true);
    const int shown = m_Recorder.Count(NM_STATUS);
    With([](FakeLibState& s) { s.mediaState = 1; });
    EXPECT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) > shown && Status().MediaState == 1; }));
    EXPECT_EQ(Status().Rssi, 0) << "a link that is down has no values";
}

TEST_F(AdapterWorker, NoStatusWhileUnderZeroConfiguration)
{
    With([](FakeLibState& s) { s.mediaState = 0; });
    Adapter().WriteSet(QStringLiteral("EnableZeroCfg"), true);
    DestroyAdapter();
    CNICAdapter& a = Adapter();
    ASSERT_TRUE(WaitFor([] { return fakelib::Calls("TSRWL_Set_WZCService") == 1; }));
    With([](FakeLibState& s) { EXPECT_EQ(s.wzcService, 4); });
    QThread::msleep(3500); // long enough for two collections, had there been any
    QCoreApplication::processEvents();
    EXPECT_EQ(m_Recorder.Count(NM_STATUS), 0);
    EXPECT_EQ(Status().MediaState, 1u) << "the slot keeps its content";

    a.WriteUseWZC(false);
    EXPECT_EQ(m_Recorder.Count(NM_ZEROCFG), 1) << "delivered before WriteUseWZC returns";
    ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) > 0; }));
    With([](FakeLibState& s) { EXPECT_EQ(s.wzcService, 1); });
    EXPECT_FALSE(a.ReadSet(QStringLiteral("EnableZeroCfg"), true));
}

TEST_F(AdapterWorker, SwitchingZeroConfigurationTwiceToTheSameStateDoesNothing)
{
    CNICAdapter& a = Adapter();
    a.WriteUseWZC(true);
    a.WriteUseWZC(true);
    EXPECT_EQ(m_Recorder.Count(NM_ZEROCFG), 1);
    EXPECT_EQ(m_Recorder.Received().back(), std::make_pair(int(NM_ZEROCFG), 1));
    ASSERT_TRUE(WaitFor([] { return fakelib::Calls("TSRWL_Set_WZCService") == 1; }));
}

TEST_F(AdapterWorker, TwoConnectsApplyOnlyTheSecondAndSendOneCode7)
{
    CNICAdapter& a = BusyAdapter();
    a.Connect(MakeProfile("First"));
    a.Connect(MakeProfile("Second"));
    With([](FakeLibState& s) { s.holdConnect = false; });
    ASSERT_TRUE(WaitFor([&] { return a.ReadSet(QStringLiteral("LastProf"), "") == "Second"; }));
    ASSERT_TRUE(WaitFor([] { return fakelib::Calls("TSRWL_SetWLANStatus") == 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_Recorder.Count(NM_APPLYING), 2) << "one for the busy connection, one for the two requests";
    With([](FakeLibState& s) { EXPECT_EQ(s.appliedProfiles, (std::vector<std::string>{"Busy", "Second"})); });
    WLProfile applied{};
    ASSERT_TRUE(a.GetAppliedProfile(applied));
    EXPECT_STREQ(applied.ProfileName, "Second");
}

TEST_F(AdapterWorker, ConnectQueuedTwiceRunsOnce)
{
    CNICAdapter& a = BusyAdapter();
    a.Connect(MakeProfile("Default"));
    a.AddToDo(&CNICAdapter::DoConnect);
    a.AddToDo(&CNICAdapter::DoConnect);
    With([](FakeLibState& s) { s.holdConnect = false; });
    ASSERT_TRUE(WaitFor([] { return fakelib::Calls("TSRWL_SetWLANStatus") == 2; }));
    ASSERT_TRUE(
        WaitFor([&] { return testutil::CountLogged(LogSince(), "CNICAdapter::DoConnect() end") == 2; }));
    QThread::msleep(500);
    EXPECT_EQ(fakelib::Calls("TSRWL_SetWLANStatus"), 2);
    EXPECT_EQ(testutil::CountLogged(LogSince(), "CNICAdapter::DoConnect()\r\n"), 2);
}

TEST_F(AdapterWorker, SuccessRemembersTheProfileExceptTheEditorsOne)
{
    CNICAdapter& a = Adapter();
    WLProfile ap = MakeProfile("Default_SoftAP", 1, "ap");
    a.Connect(ap);
    ASSERT_TRUE(WaitFor([&] { return a.GetLastProfile(PROF_SOFTAP) == "Default_SoftAP"; }));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastProf"), "none"), "none");

    WLProfile editing = MakeProfile(EDITING_PROFILE_NAME, 1, "edited");
    a.Connect(editing);
    ASSERT_TRUE(WaitFor([&] {
        WLProfile last{};
        a.GetLastApplied(last);
        return strcmp(last.Ssid1, "edited") == 0;
    }));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastAPProf"), ""), "Default_SoftAP")
        << "the editor's profile is not remembered";
    EXPECT_EQ(QFile(g_Var.UserSettingsFile).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0)
        << "the section holds secrets";
}

TEST_F(AdapterWorker, FailedConnectRemembersNothing)
{
    With([](FakeLibState& s) { s.setStatusResult = 0; });
    CNICAdapter& a = Adapter();
    a.Connect(MakeProfile("Default"));
    ASSERT_TRUE(WaitForLog("call TSRWL_SetWLANStatus end 0"));
    ASSERT_TRUE(WaitForLog("CNICAdapter::DoConnect() end"));
    EXPECT_EQ(a.ReadSet(QStringLiteral("LastProf"), "none"), "none");
    EXPECT_FALSE(CIniFile(g_Var.SettingsFile).SectionKeys(QStringLiteral("LastApplyProf")).size() > 0);
}

TEST_F(AdapterWorker, AFailedConnectIsReportedWithTheLibrarysReason)
{
    const struct {
        const char* What;
        bool Exported;    // the library has TSRWL_GetLastConnectError
        int32_t Accepted; // result of TSRWL_SetWLANStatus
        int32_t Answer;   // what TSRWL_GetLastConnectError says
        int Reported;     // reason reported, -1 for no report
    } cases[] = {
        {"refused by a library that cannot say why", false, 0, 0, TSRWL_CONNECT_ERROR_NONE},
        {"refused, the key", true, 0, TSRWL_CONNECT_ERROR_WRONG_KEY, TSRWL_CONNECT_ERROR_WRONG_KEY},
        {"refused with a code the program does not know", true, 0, 42, TSRWL_CONNECT_ERROR_OTHER},
        {"taken, then the login failed", true, 1, TSRWL_CONNECT_ERROR_LOGIN_REFUSED,
         TSRWL_CONNECT_ERROR_LOGIN_REFUSED},
        {"taken and still coming up", true, 1, TSRWL_CONNECT_ERROR_NONE, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        fakelib::Install();
        if (c.Exported)
            fakelib::BindConnectError();
        With([&](FakeLibState& s) {
            s.setStatusResult = c.Accepted;
            s.connectError = c.Answer;
        });
        const int failed = m_Recorder.Count(NM_CONNECT_FAILED);
        const int reports = m_Recorder.Count(NM_STATUS);
        CNICAdapter& a = Adapter();
        a.Connect(MakeProfile("Office", 0, "Harbor-Office"));
        // A refusal is reported at once; a later failure by the next collection after the connect.
        if (c.Accepted == 0)
            ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_CONNECT_FAILED) > failed; }));
        else
            ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) >= reports + 2; }));
        QCoreApplication::processEvents();
        TConnectFailure failure;
        if (c.Reported < 0) {
            EXPECT_EQ(m_Recorder.Count(NM_CONNECT_FAILED), failed);
            EXPECT_FALSE(a.GetConnectFailure(failure));
        } else {
            EXPECT_EQ(m_Recorder.Count(NM_CONNECT_FAILED), failed + 1);
            ASSERT_TRUE(a.GetConnectFailure(failure));
            EXPECT_EQ(failure.Ssid, "Harbor-Office");
            EXPECT_EQ(failure.Reason, c.Reported);
        }
        m_Adapter.reset();
    }
}

TEST_F(AdapterWorker, NetworkSettingsAppliedOnlyWhenTheyDiffer)
{
    static RecordingDetect detect;
    SetDetectIgnore(&detect);
    CNICAdapter& a = Adapter();
    WLProfile p = MakeProfile("Default");
    p.ApplyNetwork = 1;
    a.Connect(p);
    ASSERT_TRUE(WaitForLog("CNICAdapter::DoConnect() end"));
    EXPECT_EQ(fakelib::Calls("TSRWL_SetNetworkInfo"), 0) << "same settings as the adapter's";
    EXPECT_EQ(fakelib::Calls("TSRWL_DevDetect"), 1) << "only Initial's";

    p.NetInfo.IpAddr[0] = 192;
    p.NetInfo.wNetFlags = 1;
    With([](FakeLibState& s) { s.devDetectFailures = 2; });
    fakelib::ResetCalls();
    QElapsedTimer timer;
    timer.start();
    a.Connect(p);
    ASSERT_TRUE(WaitFor([] { return fakelib::Calls("TSRWL_SetWLANStatus") == 1; }, 30000));
    EXPECT_EQ(fakelib::Calls("TSRWL_SetNetworkInfo"), 1);
    EXPECT_EQ(fakelib::Calls("TSRWL_DevDetect"), 3) << "waits for the restarted adapter, a second apart";
    EXPECT_GE(timer.elapsed(), 1900);
    // Zero configuration at start, then the two connections: each sets the flag and clears it again.
    ASSERT_TRUE(WaitFor([&] { return detect.Calls().size() == 6; }, 10000));
    EXPECT_EQ(detect.Calls(), (std::vector<bool>{true, false, true, false, true, false}));
}

TEST_F(AdapterWorker, AntennaOnlyWhenEnabled)
{
    Adapter().SetAntenna(2);
    EXPECT_EQ(fakelib::Calls("TSRWL_SetOID"), 0);
    DestroyAdapter();
    WriteSettings("[Setting]\nProfRoot=EngineTest\nEnableAntenna=1\n");
    Adapter().SetAntenna(2);
    With([](FakeLibState& s) { EXPECT_EQ(s.antennaValues, std::vector<uint8_t>{2}); });
}

TEST_F(AdapterWorker, DestructionEndsTheWorkerPromptly)
{
    Adapter();
    ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) > 0; }));
    QElapsedTimer timer;
    timer.start();
    DestroyAdapter();
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_TRUE(LogSince().contains("CNICAdapter::~CNICAdapter() end"));
    EXPECT_FALSE(LogSince().contains("TerminateThread"));
    EXPECT_TRUE(g_TSLib.IsFree());
}

// The abandoned worker used to release the lock once more when it came back from the library, so that the
// window's hold and the next thread's overlapped, and it went on to remember the profile of a gone adapter.
TEST_F(AdapterWorker, AnAbandonedWorkerLeavesTheLockToItsNewHolderAndAppliesNothing)
{
    With([](FakeLibState& s) { s.holdConnect = true; });
    CNICAdapter& a = Adapter();
    a.Connect(MakeProfile("Gone"));
    ASSERT_TRUE(WaitFor([] { return fakelib::Calls("TSRWL_SetWLANStatus") == 1; }));
    QElapsedTimer timer;
    timer.start();
    DestroyAdapter();
    EXPECT_GE(timer.elapsed(), 2400);
    EXPECT_LT(timer.elapsed(), 6000);
    EXPECT_TRUE(LogSince().contains("CNICAdapter::~CNICAdapter TerminateThread"));
    EXPECT_TRUE(LogSince().contains("CNICAdapter: release g_TSLib.SynchEvent event"));

    const TLibTicket window = g_TSLib.Acquire();
    ASSERT_NE(window, 0u) << "the lock was freed for others";
    fakelib::ResetCalls();
    With([](FakeLibState& s) { s.holdConnect = false; });
    ASSERT_TRUE(WaitForLog("CNICAdapter::DoConnect() end"));
    QThread::msleep(300);
    EXPECT_FALSE(g_TSLib.IsFree()) << "the returning worker's release must not free the window's hold";
    EXPECT_TRUE(g_TSLib.Holds(window));
    EXPECT_EQ(fakelib::Calls("TSRWL_SetWLANStatus"), 0) << "no library call after being given up";
    EXPECT_EQ(fakelib::Calls("TSRWL_GetWLANStatus") + fakelib::Calls("TSRWL_QueryOID"), 0);
    EXPECT_TRUE(CIniFile(g_Var.SettingsFile).SectionKeys(QStringLiteral("LastApplyProf")).isEmpty());
    EXPECT_FALSE(testutil::ReadFile(StoreFile()).contains("LastProf")) << "a gone adapter remembers nothing";
    g_TSLib.Release(window);
    EXPECT_TRUE(g_TSLib.IsFree());
}

// The worker announces the connect (code 7) and waits for the window, while the window, dropping the
// adapter, waited for the worker: the window stalled, and the profile was applied afterwards all the same.
TEST_F(AdapterWorker, DroppingTheAdapterDuringAConnectNeitherStallsNorApplies)
{
    CNICAdapter& a = Adapter();
    a.Connect(MakeProfile("Dropped"));
    // Without processing events: the window is busy and does not answer code 7.
    QElapsedTimer wait;
    wait.start();
    while (!LogSince().contains("CNICAdapter::DoConnect()") && wait.elapsed() < 10000)
        QThread::msleep(5);
    QThread::msleep(100);
    QElapsedTimer timer;
    timer.start();
    DestroyAdapter();
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_FALSE(LogSince().contains("TerminateThread"));
    EXPECT_TRUE(WaitFor([] { return false; }, 500) == false); // lets a late code 7 run, had it been queued
    EXPECT_EQ(fakelib::Calls("TSRWL_SetWLANStatus"), 0);
    EXPECT_TRUE(CIniFile(g_Var.SettingsFile).SectionKeys(QStringLiteral("LastApplyProf")).isEmpty());
    EXPECT_EQ(m_Recorder.Count(NM_APPLYING), 0) << "the announcement of a dropped connect is not delivered";
}

// The band and Soft AP pages read channel lists on the window's thread; asking the library for them there
// waited for a running connect.
TEST_F(AdapterWorker, ChannelListsAnswerWhileAConnectHoldsTheLibrary)
{
    With([](FakeLibState& s) {
        s.channels[4] = {1, 6, 11};
        s.apChannels[2] = {36, 40};
    });
    CNICAdapter& a = BusyAdapter();
    auto lists = std::async(std::launch::async, [&a] {
        std::vector<int32_t> channels(8);
        channels.resize(size_t(a.GetAllowedCh(channels.data(), 8, BAND_G)));
        std::vector<int32_t> ap(8);
        ap.resize(size_t(a.GetSoftAPAllowedCh(ap.data(), 8, BAND_A)));
        channels.insert(channels.end(), ap.begin(), ap.end());
        return channels;
    });
    const bool answered = lists.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    With([](FakeLibState& s) { s.holdConnect = false; });
    ASSERT_TRUE(answered) << "no wait for the library";
    EXPECT_EQ(lists.get(), (std::vector<int32_t>{1, 6, 11, 36, 40}));
}

TEST_F(AdapterWorker, RenewalRunsOnTheWorkerInItsOrder)
{
    CNICAdapter& a = Adapter();
    QElapsedTimer timer;
    timer.start();
    a.IPRenew(IP_RELEASE | IP_RENEW);
    EXPECT_LT(timer.elapsed(), 100) << "the caller does not wait out the pause";
    ASSERT_TRUE(WaitFor([] { return fakelib::Calls("TSRWL_IPRenew") == 1; }));
    EXPECT_GE(timer.elapsed(), 1900) << "release, a pause of two seconds, renew";
    EXPECT_EQ(fakelib::Calls("TSRWL_IPRelease"), 1);
    const QString log = LogSince();
    EXPECT_TRUE(log.contains("IPConfig 0x3"));
}

TEST_F(AdapterWorker, RequestsRunBehindARunningConnectAndAnswerOnTheCallersThread)
{
    CNICAdapter& a = BusyAdapter();
    QObject page;
    std::vector<int> answers;
    QThread* answeredOn = nullptr;
    QElapsedTimer timer;
    timer.start();
    a.Request(
        &page, [](CNICAdapter& adapter) { return adapter.GetAllowedCh(nullptr, 0, 7); },
        [&](int count) {
            answers.push_back(count);
            answeredOn = QThread::currentThread();
        });
    a.Queue([](CNICAdapter& adapter) { adapter.StartSiteSurvey(); });
    auto gone = std::make_unique<QObject>();
    bool goneAnswered = false;
    a.Request(
        gone.get(), [](CNICAdapter&) { return 1; }, [&](int) { goneAnswered = true; });
    gone.reset();
    EXPECT_LT(timer.elapsed(), 100) << "queueing does not wait for the library";
    QThread::msleep(300);
    EXPECT_EQ(fakelib::Calls("TSRWL_SiteSurveyScan"), 1) << "only Initial's scan while the connect runs";
    With([](FakeLibState& s) { s.holdConnect = false; });
    ASSERT_TRUE(WaitFor([&] { return !answers.empty(); }));
    EXPECT_EQ(answeredOn, QThread::currentThread());
    ASSERT_TRUE(WaitFor([] { return fakelib::Calls("TSRWL_SiteSurveyScan") == 2; }));
    WaitFor([] { return false; }, 300);
    EXPECT_FALSE(goneAnswered) << "no answer for a receiver that is gone";
}
