// Scans that are awaited and can fail, signal levels in the manager's own dBm scale (or the kernel's
// measure), and a manager that answers late: a slow answer is not an unplug, and a change that may wait for a
// password prompt is given the time a person needs.
#include "netfixture.h"
#include "netadapter/Netbus.h"
#include "netadapter/Netradio.h"

#include <chrono>
#include <future>
#include <map>
#include <linux/nl80211.h>
#include <netlink/genl/genl.h>
#include <thread>

namespace {

int64_t MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

// Sees every method call on the stand-in's bus, as dbus-monitor does, and keeps whether each asked to allow
// an interactive polkit prompt.
class BusMonitor {
public:
    explicit BusMonitor(const std::string& address)
    {
        if (sd_bus_new(&m_bus) < 0 || sd_bus_set_address(m_bus, address.c_str()) < 0 ||
            sd_bus_set_bus_client(m_bus, 1) < 0 || sd_bus_set_monitor(m_bus, 1) < 0 ||
            sd_bus_start(m_bus) < 0)
            return;
        m_ok = sd_bus_call_method(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                  "org.freedesktop.DBus.Monitoring", "BecomeMonitor", nullptr, nullptr, "asu",
                                  0, 0u) >= 0;
    }
    ~BusMonitor() { sd_bus_flush_close_unref(m_bus); }
    BusMonitor(const BusMonitor&) = delete;
    BusMonitor& operator=(const BusMonitor&) = delete;

    bool Ok() const { return m_ok; }
    // Method name (for Properties calls with the property's interface name left out) -> allowed interactive.
    std::map<std::string, bool> Calls()
    {
        sd_bus_message* m = nullptr;
        while (sd_bus_process(m_bus, &m) > 0 || sd_bus_wait(m_bus, 200'000) > 0) {
            uint8_t type = 0;
            if (m && sd_bus_message_get_type(m, &type) >= 0 && type == SD_BUS_MESSAGE_METHOD_CALL &&
                sd_bus_message_get_destination(m) &&
                std::string(sd_bus_message_get_destination(m)) == CNetBus::Service)
                m_calls[sd_bus_message_get_member(m)] |=
                    sd_bus_message_get_allow_interactive_authorization(m) > 0;
            m = sd_bus_message_unref(m);
        }
        return m_calls;
    }

private:
    sd_bus* m_bus = nullptr;
    bool m_ok = false;
    std::map<std::string, bool> m_calls;
};

} // namespace

class NetScanTest : public NetLibraryTest {
protected:
    void TearDown() override
    {
        if (s_nm)
            s_nm->SetScanOutcome("finish");
    }
    static int64_t LastScan()
    {
        return int64_t(s_nm->Property(s_device, CNetBus::WirelessIface, "LastScan").Number());
    }
    static std::vector<TSSiteEntry> Survey()
    {
        auto buffer = std::make_unique<TSSiteSurveyBuffer>();
        uint32_t size = sizeof *buffer;
        EXPECT_EQ(s_lib.TSRWL_SiteSurveyGet(buffer.get(), &size), TSRWL_OK);
        return {buffer->Entries, buffer->Entries + buffer->Count};
    }
};

TEST_F(NetScanTest, AScanReturnsOnceTheDeviceHasFinishedIt)
{
    const int64_t before = LastScan();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(s_lib.TSRWL_SiteSurveyScan(), TSRWL_OK);
    EXPECT_NE(LastScan(), before) << "the scan call returned before the device's scan was done";
    EXPECT_LT(MsSince(start), 5000);
}

// A scan the manager refuses (the device is unavailable) fails at once. One it accepts and holds back (it
// limits the rate of scans, or is connecting) is no failure: the networks of its last scan stand, with their
// age in the log.
TEST_F(NetScanTest, ARefusedScanFailsAndOneHeldBackLeavesTheLastList)
{
    s_nm->SetScanOutcome("refuse");
    auto start = std::chrono::steady_clock::now();
    EXPECT_NE(s_lib.TSRWL_SiteSurveyScan(), TSRWL_OK);
    EXPECT_LT(MsSince(start), 2000);

    s_nm->AddPoint(s_device, "kept", "Kept-Net", "00:1C:F0:11:44:01", 2412, 60, 0, 0, 0);
    const size_t known = Survey().size();
    ASSERT_GT(known, 0u);
    s_nm->SetScanOutcome("stall");
    start = std::chrono::steady_clock::now();
    testing::internal::CaptureStderr();
    EXPECT_EQ(s_lib.TSRWL_SiteSurveyScan(), TSRWL_OK);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_GE(MsSince(start), 9000);
    EXPECT_LT(MsSince(start), 20000);
    EXPECT_NE(log.find("held the scan back: the networks of its last scan ("), std::string::npos) << log;
    EXPECT_NE(log.find(" s ago)"), std::string::npos) << log;
    EXPECT_EQ(Survey().size(), known);
}

TEST_F(NetScanTest, SignalIsInTheManagersDbmScaleInSurveyAndStatus)
{
    struct Case {
        const char* name;
        uint8_t strength;
        int32_t low, high; // dBm
    } cases[] = {
        {"full", 100, -45, -35}, {"none", 0, -100, -100}, {"half", 50, -71, -69},
        {"good", 90, -47, -45},  {"weak", 20, -89, -87},
    };
    char bssid[] = "00:1C:F0:33:44:00";
    for (size_t i = 0; i < std::size(cases); ++i) {
        bssid[16] = char('0' + i);
        s_nm->AddPoint(s_device, std::string("signal") + cases[i].name,
                       std::string("Signal-") + cases[i].name, bssid, 2412, cases[i].strength, 0, 0, 0);
    }
    const std::vector<TSSiteEntry> entries = Survey();
    for (const Case& c : cases) {
        const std::string ssid = std::string("Signal-") + c.name;
        const auto it = std::find_if(entries.begin(), entries.end(), [&](const TSSiteEntry& e) {
            return std::string(reinterpret_cast<const char*>(e.Ssid), e.SsidLength) == ssid;
        });
        ASSERT_NE(it, entries.end()) << ssid;
        EXPECT_GE(it->Rssi, c.low) << ssid;
        EXPECT_LE(it->Rssi, c.high) << ssid;
    }

    WLProfile full{};
    strcpy(full.ProfileName, "Full");
    strcpy(full.Ssid1, "Signal-full");
    full.NetworkMode = 1;
    ASSERT_EQ(ApplyProfile(full), TSRWL_OK);
    WLANStatus status{};
    int32_t repeat = 0;
    ASSERT_EQ(s_lib.TSRWL_GetWLANStatus(&repeat, &status), TSRWL_OK);
    EXPECT_GE(status.Rssi, -45);
    EXPECT_LE(status.Rssi, -35);
    EXPECT_EQ(status.LinkQuality, status.Rssi);
}

TEST_F(NetScanTest, ALateAnswerKeepsTheDeviceAndAChangeWaitsForThePersonAsked)
{
    TSDevRecord record{};
    ASSERT_EQ(s_lib.TSRWL_DevDetect(&record), TSRWL_OK);
    s_nm->Freeze(true);
    TSDevRecord again{};
    const int32_t detected = s_lib.TSRWL_DevDetect(&again);
    // Taking the device back may need polkit's prompt, and the person takes a while to answer. The change is
    // sent once the device's own reading has timed out (3 s); the answer comes 4 s after that, later than a
    // reading would be waited for.
    auto handOver = std::async(std::launch::async, [] { return s_lib.TSRWL_Set_WZCService(0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(7000));
    s_nm->Freeze(false);
    EXPECT_EQ(detected, TSRWL_OK) << "one late answer was taken for an unplugged adapter";
    EXPECT_STREQ(reinterpret_cast<const char*>(again.libraryData),
                 reinterpret_cast<const char*>(record.libraryData));
    EXPECT_EQ(handOver.get(), TSRWL_OK);
    EXPECT_EQ(s_nm->Property(s_device, CNetBus::DeviceIface, "Autoconnect").Number(), 0u);
    EXPECT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK);
}

TEST_F(NetScanTest, ChangesAllowAPasswordPromptAndReadsDoNot)
{
    BusMonitor monitor(s_nm->Address());
    ASSERT_TRUE(monitor.Ok());
    WLANStatus status{};
    int32_t repeat = 0;
    s_lib.TSRWL_GetWLANStatus(&repeat, &status);
    EXPECT_EQ(s_lib.TSRWL_SiteSurveyScan(), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Set_WZCService(0), TSRWL_OK);
    WLProfile open{};
    strcpy(open.ProfileName, "Open");
    strcpy(open.Ssid1, "Signal-good");
    open.NetworkMode = 1;
    EXPECT_EQ(ApplyProfile(open), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Disconnect(), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK);
    const std::map<std::string, bool> calls = monitor.Calls();
    for (const char* change : {"RequestScan", "Set", "AddAndActivateConnection2", "Disconnect"}) {
        ASSERT_TRUE(calls.count(change)) << change << " was not called";
        EXPECT_TRUE(calls.at(change)) << change << " does not allow a password prompt";
    }
    for (const char* read : {"Get", "GetAll", "GetAllAccessPoints"}) {
        ASSERT_TRUE(calls.count(read)) << read << " was not called";
        EXPECT_FALSE(calls.at(read)) << read << " would let polkit ask for a mere read";
    }
}

// The first survey after the manager started listed one or two of three networks: its very first scan moves
// LastScan from -1 when it starts, and the access points it found are published after the end's stamp.
TEST_F(NetScanTest, TheFirstScanAfterTheManagerStartedListsEveryNetwork)
{
    s_nm->SetProperty(s_device, CNetBus::WirelessIface, "LastScan", "x", int64_t(-1));
    s_nm->SetScanOutcome("first");
    ASSERT_EQ(s_lib.TSRWL_SiteSurveyScan(), TSRWL_OK);
    const std::vector<TSSiteEntry> entries = Survey();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const TSSiteEntry& e) {
        return std::string(reinterpret_cast<const char*>(e.Ssid), e.SsidLength) == "Late-Arrival";
    })) << "the survey was read before the scan's networks were all there";
}

TEST(NetStationSignal, TheKernelsLevelIsReadAsSignedDbm)
{
    struct Case {
        int attribute; // 0: none
        int8_t dbm;
    } cases[] = {{NL80211_STA_INFO_SIGNAL, -52},
                 {NL80211_STA_INFO_SIGNAL_AVG, -61},
                 {NL80211_STA_INFO_SIGNAL, -1},
                 {0, 0}};
    for (const Case& c : cases) {
        nl_msg* msg = nlmsg_alloc();
        genlmsg_put(msg, 0, 0, 30, 0, 0, NL80211_CMD_NEW_STATION, 0);
        nlattr* info = nla_nest_start(msg, NL80211_ATTR_STA_INFO);
        nla_put_u32(msg, NL80211_STA_INFO_INACTIVE_TIME, 10);
        if (c.attribute)
            nla_put_u8(msg, c.attribute, uint8_t(c.dbm));
        nla_nest_end(msg, info);
        const auto signal = ParseStationSignal(msg);
        if (c.attribute) {
            ASSERT_TRUE(signal.has_value()) << int(c.dbm);
            EXPECT_EQ(*signal, c.dbm);
        } else {
            EXPECT_FALSE(signal.has_value());
        }
        nlmsg_free(msg);
    }
}
