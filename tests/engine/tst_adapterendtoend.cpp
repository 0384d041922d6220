// The adapter object on the simulated adapter library, from attaching to destruction.
#include "adapterfixture.h"
#include "app/Udefine.h"
#include "engine/Ucumlib.h"
#include "testutil.h"

#include <QElapsedTimer>
#include <cstring>

using testutil::WaitFor;

namespace {

const char SCENARIO[] = R"([Adapter]
HardwareId=USB\VID_F5E1&PID_0301
Description=End To End Adapter
MAC=02:00:00:00:00:E2
Domain=FCC
Modes=abg
SoftAP=1
ZeroConfigService=0
ScanTime=300
ConnectTime=500

[Network.Secure]
SSID=Secure-Net
BSSID=00:11:22:00:00:01
Band=g
Channel=6
Security=123
PassPhrase=correct-horse-battery
Signal=-48
Drift=0
Subnet=10.0.7

[Network.Twice]
SSID=Twice-Net
BSSID=00:11:22:00:00:02
Band=g
Channel=11
Security=0
Signal=-70
ReportTwice=1
Subnet=10.0.8

[SoftAP]
Stations=02:77:00:00:00:01@1, 02:77:00:00:00:02@1
)";

class AdapterEndToEnd : public AdapterTest {
protected:
    void UseLibrary() override { UseSimulator(SCENARIO, "USB\\VID_F5E1&PID_0301"); }
    WLANStatus Status() const
    {
        WLANStatus s{};
        m_Adapter->GetStatus(s);
        return s;
    }
    // Waits for a status report that satisfies `condition`.
    bool WaitForStatus(const std::function<bool(const WLANStatus&)>& condition, int timeoutMs = 15000)
    {
        return WaitFor([&] { return condition(Status()); }, timeoutMs);
    }
    bool FindSite(const char* ssid, TSSiteEntry& found)
    {
        TSiteList list;
        m_Adapter->GetSiteList(list);
        for (const TSSiteEntry& e : list)
            if (std::string(reinterpret_cast<const char*>(e.Ssid), e.SsidLength) == ssid) {
                found = e;
                return true;
            }
        return false;
    }
};

bool IsConnectedTo(const WLANStatus& s, const char* ssid)
{
    return s.MediaState == 0 && std::string(reinterpret_cast<const char*>(s.Ssid), s.SsidLength) == ssid;
}

} // namespace

TEST_F(AdapterEndToEnd, AttachScanConnectSoftApZeroConfigurationAndDestroy)
{
    CNICAdapter& a = Adapter();
    EXPECT_EQ(a.Description(), "End To End Adapter");
    EXPECT_EQ(a.MacAddress(), "02:00:00:00:00:E2");
    EXPECT_EQ(a.Domain(), "FCC");
    EXPECT_FALSE(a.DriverVersion().isEmpty());
    EXPECT_EQ(a.GetLastProfile(PROF_STATION), "");
    int32_t channels[64];
    EXPECT_EQ(a.GetAllowedCh(channels, 64, 1), 11) << "FCC allows channels 1 to 11 on 802.11b";

    // Scan: Initial started one; the network that answers twice is listed once.
    TSSiteEntry secure{};
    ASSERT_TRUE(WaitFor([&] { return FindSite("Secure-Net", secure); }));
    TSiteList list;
    a.GetSiteList(list);
    EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const TSSiteEntry& e) { return e.Bssid[5] == 2; }),
              1);

    // A wrong pass phrase does not connect.
    WLProfile profile{};
    a.SiteToProfile(secure, profile);
    EXPECT_EQ(profile.EncryptionMethod, 6);
    EXPECT_EQ(profile.WPAEncryptionType, 2);
    EXPECT_EQ(profile.Channel, 6);
    strcpy(profile.ProfileName, "Secure");
    strcpy(profile.WPAPassphrase, "wrong-horse-battery");
    ASSERT_TRUE(a.AddProfile(profile));
    a.Connect(profile);
    ASSERT_TRUE(WaitForLog("CNICAdapter::DoConnect() end"));
    const int reports = m_Recorder.Count(NM_STATUS);
    ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) >= reports + 2; }));
    EXPECT_EQ(Status().MediaState, 1u);
    EXPECT_EQ(a.GetLastProfile(PROF_STATION), "");

    // The right one connects: reports show the network, a signal and growing counters.
    strcpy(profile.WPAPassphrase, "correct-horse-battery");
    ASSERT_TRUE(a.UpdateProfile(profile, "Secure"));
    a.Connect(profile);
    ASSERT_TRUE(
        WaitForStatus([](const WLANStatus& s) { return IsConnectedTo(s, "Secure-Net") && s.Rssi != 0; }));
    const uint64_t before = Status().RxBytes + Status().TxBytes;
    ASSERT_TRUE(WaitForStatus([&](const WLANStatus& s) { return s.RxBytes + s.TxBytes > before; }));
    EXPECT_EQ(Status().Encryption, 6u);
    EXPECT_GT(Status().Rssi, -60);
    NetworkInfo network{};
    a.GetNetInfo(network);
    EXPECT_EQ(network.IpAddr[0], 10);
    EXPECT_EQ(a.GetLastProfile(PROF_STATION), "Secure");
    WLProfile last{};
    a.GetLastApplied(last);
    EXPECT_STREQ(last.WPAPassphrase, "correct-horse-battery");

    // Soft AP: the scenario's stations join.
    a.Connect(a.DefAPProfile());
    TStationList stations;
    ASSERT_TRUE(WaitFor(
        [&] {
            stations.clear();
            a.GetStationList(stations);
            return stations.size() == 2;
        },
        15000));
    EXPECT_EQ(stations[0][0], 0x02);
    EXPECT_EQ(a.GetLastProfile(PROF_SOFTAP), "Default_SoftAP");

    // Zero configuration takes the adapter and gives it back; no status is collected meanwhile.
    a.WriteUseWZC(true);
    EXPECT_EQ(m_Recorder.Received().back(), std::make_pair(int(NM_ZEROCFG), 1));
    ASSERT_TRUE(WaitFor([] {
        CTSLibLock lock;
        return g_TSLib.TSRWL_Get_WZCService() == 4;
    }));
    QCoreApplication::processEvents();
    const int beforeHandOver = m_Recorder.Count(NM_STATUS);
    QThread::msleep(2500);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_Recorder.Count(NM_STATUS), beforeHandOver);
    a.WriteUseWZC(false);
    ASSERT_TRUE(WaitFor([] {
        CTSLibLock lock;
        return g_TSLib.TSRWL_Get_WZCService() == 1;
    }));
    ASSERT_TRUE(WaitFor([&] { return m_Recorder.Count(NM_STATUS) > beforeHandOver; }));

    // Destruction within the specified wait, without abandoning the worker.
    QElapsedTimer timer;
    timer.start();
    DestroyAdapter();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_FALSE(LogSince().contains("TerminateThread"));
    EXPECT_TRUE(LogSince().contains("CNICAdapter::~CNICAdapter() end"));
    EXPECT_TRUE(g_TSLib.IsFree());
}
