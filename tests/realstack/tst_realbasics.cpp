// The real adapter library on the real stack, first contact: it finds the radio the manager manages, a scan
// lists every network on the air with the kernel's signal, and a WPA2-PSK connect ends with a DHCP address.
#include "realfixture.h"

#include <arpa/inet.h>

namespace {

// The code the library gives a network's security in a survey.
uint32_t SurveySecurity(const std::string& security)
{
    if (security == "wep")
        return 1;
    if (security == "wpa")
        return 20; // WPA, TKIP
    if (security == "wpa2")
        return 123; // WPA2, AES
    if (security == "eap")
        return 113; // WPA2-Enterprise, AES
    return 0;
}

uint32_t Ipv4(const std::string& text)
{
    in_addr a{};
    return inet_pton(AF_INET, text.c_str(), &a) == 1 ? ntohl(a.s_addr) : 0;
}

const TSSiteEntry* Find(const std::vector<TSSiteEntry>& entries, const RealNetwork& net,
                        const SimLibrary& lib)
{
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const TSSiteEntry& e) {
        return RealStackTest::Ssid(e.Ssid, e.SsidLength) == net.ssid &&
               lib.TSRWL_FrequencyToChannel(int32_t(e.Frequency)) == net.channel;
    });
    return found == entries.end() ? nullptr : &*found;
}

// The broadcast networks of the table a survey does not list (by name and channel).
std::vector<std::string> Missing(const std::vector<TSSiteEntry>& entries, const SimLibrary& lib)
{
    std::vector<std::string> missing;
    for (const RealNetwork& net : RealNetworks::Get().All())
        if (!net.hidden && !Find(entries, net, lib))
            missing.push_back(net.ssid + " on channel " + std::to_string(net.channel));
    return missing;
}

// Every broadcast network listed, each with its security as an infrastructure network.
void ExpectEveryBroadcastNetwork(const std::vector<TSSiteEntry>& entries, const SimLibrary& lib)
{
    for (const std::string& network : Missing(entries, lib))
        ADD_FAILURE() << network << " is missing from the survey of " << entries.size() << " networks";
    for (const RealNetwork& net : RealNetworks::Get().All()) {
        const TSSiteEntry* found = net.hidden ? nullptr : Find(entries, net, lib);
        if (!found)
            continue;
        EXPECT_EQ(found->Security, SurveySecurity(net.security)) << net.ssid;
        EXPECT_EQ(found->NetworkMode, 1u) << net.ssid;
    }
}

} // namespace

TEST_F(RealStackTest, DetectionFindsTheRadioTheManagerManagesByAnyIdOrItsName)
{
    EXPECT_NE(s_description.find("wlan0"), std::string::npos) << s_description;
    const struct {
        const char* wanted;
        bool found;
    } cases[] = {{"", true}, {"wlan0", true}, {"wlan1", false}, {"PCI\\VEN_8086", false}};
    for (const auto& c : cases) {
        TSDevRecord device{};
        Put(device.hwId, c.wanted);
        EXPECT_EQ(s_lib.TSRWL_DevDetect(&device) == TSRWL_OK, c.found) << "asked for '" << c.wanted << "'";
    }
}

// The first survey after the start: every network on the air once the scan is done. The library used to
// report the scan done while the manager's list held only some of them.
TEST_F(RealStackTest, TheFirstSurveyListsEveryBroadcastNetwork)
{
    ExpectEveryBroadcastNetwork(Survey(), s_lib);
}

TEST_F(RealStackTest, ASurveyListsEveryBroadcastNetworkWithItsChannelAndSecurity)
{
    // Surveys are repeated until the manager has heard every network: this test is about the entries.
    std::vector<TSSiteEntry> entries;
    WaitFor([&] { return Missing(entries = Survey(), s_lib).empty(); }, 60000);
    ExpectEveryBroadcastNetwork(entries, s_lib);
}

// The simulated radios are heard at -30 dBm; the library gave the manager's percentage on its own scale
// (-40 dBm) for every network but the one it was connected to.
TEST_F(RealStackTest, ASurveyGivesEveryNetworksSignalAsTheKernelMeasuresIt)
{
    for (const TSSiteEntry& e : Survey())
        EXPECT_EQ(e.Rssi, -30) << Ssid(e.Ssid, e.SsidLength);
}

// A connect under TCG takes 5 to 27 s (the supplicant scans first); the library gave up after a fixed 12 s.
TEST_F(RealStackTest, AConnectWithTheLibrarysOwnWaitOutlastsTheAssociation)
{
    int64_t ms = 0;
    EXPECT_EQ(Connect(Profile(Net("wpa2")), &ms), TSRWL_OK) << "after " << ms << " ms";
}

TEST_F(RealStackTest, AWpa2PskConnectEndsConnectedWithADhcpAddress)
{
    const RealNetwork& net = Net("wpa2");
    int64_t ms = 0;
    ASSERT_EQ(Connect(Profile(net), &ms), TSRWL_OK) << "after " << ms << " ms";
    const WLANStatus status = Status();
    EXPECT_EQ(status.MediaState, 0u);
    EXPECT_EQ(Ssid(status.Ssid, status.SsidLength), net.ssid);
    EXPECT_EQ(status.Rssi, -30);
    const uint32_t address = Ipv4(Address());
    EXPECT_GE(address, Ipv4(net.FirstLease())) << Address();
    EXPECT_LE(address, Ipv4(net.LastLease())) << Address();
    EXPECT_NE(Run("ip -4 addr show wlan0").find(Address() + "/24"), std::string::npos)
        << Run("ip -4 addr show wlan0");
}
