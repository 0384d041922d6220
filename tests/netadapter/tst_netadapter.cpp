// The real adapter library against the network manager stand-in: what the program reads (device, status,
// scan, IP settings) and what it asks (connects of every security kind, hand-over, access point), field by
// field.
#include "netfixture.h"
#include "netadapter/Netbus.h"

#include <chrono>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint32_t kPrivacy = 0x1, kTkip = 0x4, kCcmp = 0x8, kPsk = 0x100, kEap = 0x200;

WLProfile Station(const char* name, const char* ssid, int method)
{
    WLProfile p{};
    Put(p.ProfileName, name);
    Put(p.Ssid1, ssid);
    p.NetworkMode = 1;
    p.EncryptionMethod = method;
    p.AuthenticationMode = 2;
    p.WPAEncryptionType = 1;
    return p;
}

std::string UserName()
{
    const passwd* entry = getpwuid(getuid());
    return entry ? entry->pw_name : "";
}

std::string Bytes(const NetValue& v)
{
    const auto* b = v.As<NetBytes>();
    return b ? std::string(b->begin(), b->end()) : std::string("<none>");
}

} // namespace

class NetAdapterTest : public NetLibraryTest {
protected:
    static void SetUpTestSuite()
    {
        if (s_device.empty())
            return;
        s_nm->AddPoint(s_device, "cafe", "Corner-Cafe", "00:1C:F0:11:22:02", 2462, 58, 0, 0, 0);
        s_nm->AddPoint(s_device, "office", "Harbor-Office", "00:1C:F0:11:22:01", 2437, 90, kPrivacy, 0,
                       kPsk | kCcmp);
        s_nm->AddPoint(s_device, "mixed", "Mixed", "00:1C:F0:11:22:06", 5180, 40, kPrivacy, kPsk | kTkip,
                       kPsk | kTkip | kCcmp);
        s_nm->AddPoint(s_device, "corp", "Corp", "00:1C:F0:11:22:07", 5240, 70, kPrivacy, 0, kEap | kCcmp);
        s_nm->AddPoint(s_device, "printer", "PrinterNet", "00:1C:F0:11:22:04", 2422, 64, kPrivacy, 0, 0);
        s_nm->AddPoint(s_device, "hidden", "", "00:1C:F0:11:22:08", 2412, 50, kPrivacy, 0, kPsk | kCcmp);
        s_nm->AddPoint(s_device, "latin", "\xE9t\xE9", "00:1C:F0:11:22:09", 2412, 30, 0, 0, 0);
        s_nm->AddPoint(s_device, "cell", "Cell", "02:1C:F0:11:22:0A", 2412, 80, 0, 0, 0, 1);
    }

    int32_t Apply(const WLProfile& profile) { return ApplyProfile(profile); }

    std::vector<TSSiteEntry> Scan()
    {
        EXPECT_EQ(s_lib.TSRWL_SiteSurveyScan(), TSRWL_OK);
        auto buffer = std::make_unique<TSSiteSurveyBuffer>();
        uint32_t size = sizeof *buffer;
        EXPECT_EQ(s_lib.TSRWL_SiteSurveyGet(buffer.get(), &size), TSRWL_OK);
        return {buffer->Entries, buffer->Entries + buffer->Count};
    }
};

TEST_F(NetAdapterTest, DetectsTheDeviceByHardwareIdOrInterface)
{
    struct Case {
        const char* wanted;
        bool found;
    } cases[] = {{"PCI\\VEN_8086&DEV_24FD", true}, {"pci\\ven_8086", true}, {"", true}, {"wlan0", true},
                 {"USB\\VID_0BDA", false},         {"wlan1", false}};
    for (const Case& c : cases) {
        TSDevRecord record{};
        Put(record.hwId, c.wanted);
        EXPECT_EQ(s_lib.TSRWL_DevDetect(&record) == TSRWL_OK, c.found) << c.wanted;
        if (c.found) {
            EXPECT_NE(std::string(record.description).find("wlan0"), std::string::npos) << record.description;
            // Each plug of the adapter is a new device object, which tells a replug from the same plug.
            EXPECT_EQ(reinterpret_cast<const char*>(record.libraryData), s_device);
        }
    }
}

TEST_F(NetAdapterTest, ScanReportsEveryPointWithItsSecurityCodeAndRawName)
{
    const std::vector<TSSiteEntry> entries = Scan();
    ASSERT_EQ(entries.size(), 8u);
    struct Expect {
        uint8_t last;
        std::string ssid;
        uint32_t security;
        int32_t rssi;
        uint32_t type, kHz, mode;
    } expected[] = {
        {0x02, "Corner-Cafe", 0, -65, 3, 2462000, 1}, {0x01, "Harbor-Office", 123, -46, 3, 2437000, 1},
        {0x06, "Mixed", 1025, -76, 2, 5180000, 1},    {0x07, "Corp", 113, -58, 2, 5240000, 1},
        {0x04, "PrinterNet", 1, -62, 3, 2422000, 1},  {0x08, "", 123, -70, 3, 2412000, 1},
        {0x09, "\xE9t\xE9", 0, -82, 3, 2412000, 1},   {0x0A, "Cell", 0, -52, 3, 2412000, 0},
    };
    for (const Expect& x : expected) {
        const auto it = std::find_if(entries.begin(), entries.end(),
                                     [&](const TSSiteEntry& e) { return e.Bssid[5] == x.last; });
        ASSERT_NE(it, entries.end()) << x.ssid;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(it->Ssid), it->SsidLength), x.ssid);
        EXPECT_EQ(it->Security, x.security) << x.ssid;
        EXPECT_EQ(it->Rssi, x.rssi) << x.ssid;
        EXPECT_EQ(it->NetworkType, x.type) << x.ssid;
        EXPECT_EQ(it->Frequency, x.kHz) << x.ssid;
        EXPECT_EQ(it->NetworkMode, x.mode) << x.ssid;
        EXPECT_EQ(it->Length, sizeof(TSSiteEntry));
    }
}

TEST_F(NetAdapterTest, ConnectCarriesEachSecurityKindIntoTheConnectionSettings)
{
    WLProfile wep = Station("Printer", "PrinterNet", 1);
    wep.AuthenticationMode = 1;
    wep.DefaultKey = 2;
    Put(wep.WEPKey3, "1C1F9289BA0A0A0EAA111785AB");
    WLProfile psk = Station("Office", "Harbor-Office", 6);
    psk.WPAEncryptionType = 2;
    Put(psk.WPAPassphrase, "harbor-2026-office");
    WLProfile peap = Station("Corp PEAP", "Corp", 3);
    peap.MS8021xAuthMode = 3;
    peap.PeapEap = 1;
    Put(peap.LoginName, "alice");
    Put(peap.LoginPassword, "s3cret");
    Put(peap.DomainName, "CORP");
    WLProfile ttls = Station("Corp TTLS", "Corp", 7);
    ttls.WPAEncryptionType = 2;
    ttls.MS8021xAuthMode = 2;
    ttls.TTLSEap = 2;
    Put(ttls.LoginName, "CORP\\bob");
    Put(ttls.LoginPassword, "b0b-pass");
    WLProfile open = Station("Cafe", "Corner-Cafe", 0);

    struct Case {
        const WLProfile* profile;
        std::map<std::string, std::string> security; // key -> expected text (lists joined by ',')
        std::map<std::string, std::string> eap;
    } cases[] = {
        {&open, {}, {}},
        {&wep,
         {{"key-mgmt", "none"},
          {"auth-alg", "shared"},
          {"wep-tx-keyidx", "2"},
          {"wep-key2", "1C1F9289BA0A0A0EAA111785AB"},
          {"wep-key-type", "1"}},
         {}},
        {&psk, {{"key-mgmt", "wpa-psk"}, {"psk", "harbor-2026-office"}, {"proto", ""}, {"pairwise", ""}}, {}},
        {&peap,
         {{"key-mgmt", "wpa-eap"}, {"proto", ""}, {"pairwise", ""}},
         {{"eap", "peap"}, {"phase2-auth", "gtc"}, {"identity", "CORP\\alice"}, {"password", "s3cret"}}},
        {&ttls,
         {{"key-mgmt", "wpa-eap"}, {"proto", ""}, {"pairwise", ""}},
         {{"eap", "ttls"}, {"phase2-auth", "mschap"}, {"identity", "CORP\\bob"}}},
    };
    const auto text = [](const NetValue& v) {
        if (const auto* l = v.As<std::vector<std::string>>()) {
            std::string joined;
            for (const std::string& s : *l)
                joined += (joined.empty() ? "" : ",") + s;
            return joined;
        }
        return v.As<uint32_t>() ? std::to_string(*v.As<uint32_t>()) : v.Text();
    };
    for (const Case& c : cases) {
        const std::string name = c.profile->ProfileName;
        ASSERT_EQ(Apply(*c.profile), TSRWL_OK) << name;
        NetProps options;
        NetSettings s = s_nm->LastSettings(&options);
        EXPECT_EQ(options["persist"].Text(), "volatile") << name;
        EXPECT_EQ(s["connection"]["id"].Text(), name);
        EXPECT_EQ(s["connection"]["type"].Text(), "802-11-wireless");
        EXPECT_EQ(s["connection"]["interface-name"].Text(), "wlan0");
        EXPECT_EQ(s["connection"]["autoconnect"].Number(1), 0u) << name;
        EXPECT_EQ(Bytes(s["802-11-wireless"]["ssid"]), std::string(c.profile->Ssid1));
        EXPECT_EQ(s["802-11-wireless"]["mode"].Text(), "infrastructure");
        EXPECT_EQ(s["ipv4"]["method"].Text(), "auto");
        EXPECT_EQ(s["ipv6"]["method"].Text(), "auto") << name;
        EXPECT_EQ(text(s["connection"]["permissions"]), "user:" + UserName() + ":") << name;
        EXPECT_EQ(s.count("802-11-wireless-security"), c.security.empty() ? 0u : 1u) << name;
        for (const auto& [key, value] : c.security)
            EXPECT_EQ(text(s["802-11-wireless-security"][key]), value) << name << " " << key;
        EXPECT_EQ(s.count("802-1x"), c.eap.empty() ? 0u : 1u) << name;
        for (const auto& [key, value] : c.eap)
            EXPECT_EQ(text(s["802-1x"][key]), value) << name << " " << key;
    }
}

TEST_F(NetAdapterTest, StatusFollowsTheActivePointAfterAConnect)
{
    WLProfile office = Station("Office", "Harbor-Office", 6);
    office.WPAEncryptionType = 2;
    Put(office.WPAPassphrase, "harbor-2026-office");
    ASSERT_EQ(Apply(office), TSRWL_OK);
    uint32_t media = 9, written = 0;
    EXPECT_EQ(s_lib.TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &media, 4, &written), 0);
    EXPECT_EQ(media, 0u);
    WLANStatus status{};
    int32_t repeat = 1;
    ASSERT_EQ(s_lib.TSRWL_GetWLANStatus(&repeat, &status), TSRWL_OK);
    EXPECT_EQ(repeat, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(status.Ssid), status.SsidLength), "Harbor-Office");
    EXPECT_EQ(status.Bssid[5], 0x01);
    EXPECT_EQ(status.Frequency, 2437000u);
    EXPECT_EQ(status.Rssi, -46);
    EXPECT_EQ(status.MediaState, 0u);
    EXPECT_EQ(status.NetworkType, 1u);
    EXPECT_EQ(status.Encryption, 6u);
    EXPECT_EQ(status.TxRate, 5400 / 500);
    EXPECT_EQ(status.RxBytes, 123456u);
    EXPECT_EQ(status.TxBytes, 7890u);
    uint8_t mac[6] = {};
    EXPECT_EQ(s_lib.TSRWL_QueryOID(TSRWL_OID_CURRENT_ADDRESS, mac, 6, &written), 0);
    EXPECT_EQ(mac[0], 0x11);
    EXPECT_EQ(mac[5], 0x66);
}

TEST_F(NetAdapterTest, AnyNetworkJoinsOnlyWhatTheManagerKnowsAndFixedAddressesGoAlong)
{
    // Nothing known in range: "ANY" joins none, though open networks are there.
    ASSERT_EQ(s_lib.TSRWL_Disconnect(), TSRWL_OK);
    const uint32_t added = s_nm->Changes()["added"];
    EXPECT_NE(Apply(Station("Default", "ANY", 0)), TSRWL_OK);
    EXPECT_NE(Apply(Station("Default", "", 0)), TSRWL_OK);
    EXPECT_EQ(s_nm->Changes()["added"], added) << "no connection of its own";

    // The user's own network: the link it has stays, and after a disconnect the manager picks it again.
    const std::string home = s_nm->ConnectSaved(s_device, "Home", "Harbor-Office", "harbor-2026-office");
    uint32_t activated = s_nm->Changes()["activated"];
    EXPECT_EQ(Apply(Station("Default", "ANY", 0)), TSRWL_OK);
    EXPECT_EQ(s_nm->Property(s_device, CNetBus::DeviceIface, "ActiveConnection").Text(), home);
    EXPECT_EQ(s_nm->Changes()["activated"], activated);
    WLANStatus status{};
    int32_t repeat = 0;
    ASSERT_EQ(s_lib.TSRWL_GetWLANStatus(&repeat, &status), TSRWL_OK);
    EXPECT_EQ(status.Encryption, 6u) << "the network's security, not the open default profile's";
    ASSERT_EQ(s_lib.TSRWL_Disconnect(), TSRWL_OK);
    EXPECT_EQ(Apply(Station("Default", "ANY", 0)), TSRWL_OK);
    EXPECT_EQ(s_nm->Changes()["activated"], activated + 1);
    EXPECT_EQ(s_nm->Changes()["added"], added);

    WLProfile fixed = Station("Cafe", "Corner-Cafe", 0);
    fixed.ApplyNetwork = 1;
    fixed.NetInfo.wNetFlags = 1;
    const uint8_t ip[] = {192, 168, 10, 20}, mask[] = {255, 255, 255, 0}, gate[] = {192, 168, 10, 1},
                  dns[] = {9, 9, 9, 9};
    memcpy(fixed.NetInfo.IpAddr, ip, 4);
    memcpy(fixed.NetInfo.IpMask, mask, 4);
    memcpy(fixed.NetInfo.IpGate1, gate, 4);
    memcpy(fixed.NetInfo.IpDNS1, dns, 4);
    ASSERT_EQ(Apply(fixed), TSRWL_OK);
    NetSettings s = s_nm->LastSettings();
    EXPECT_EQ(Bytes(s["802-11-wireless"]["ssid"]), "Corner-Cafe");
    EXPECT_EQ(s["ipv4"]["method"].Text(), "manual");
    const auto* addresses = s["ipv4"]["address-data"].As<NetAddressList>();
    ASSERT_TRUE(addresses && addresses->size() == 1);
    EXPECT_EQ(addresses->front(), std::make_pair(std::string("192.168.10.20"), 24u));
    EXPECT_EQ(s["ipv4"]["gateway"].Text(), "192.168.10.1");
    const auto* servers = s["ipv4"]["dns"].As<std::vector<uint32_t>>();
    ASSERT_TRUE(servers && servers->size() == 1);
    EXPECT_EQ(memcmp(&servers->front(), dns, 4), 0);
}

TEST_F(NetAdapterTest, AdHocAndAccessPointProfilesStartTheirOwnCell)
{
    WLProfile adhoc = Station("Cell", "Own-Cell", 0);
    adhoc.NetworkMode = 0;
    adhoc.AdHocBand = 2;
    adhoc.Channel = 36;
    ASSERT_EQ(Apply(adhoc), TSRWL_OK);
    NetSettings s = s_nm->LastSettings();
    EXPECT_EQ(s["802-11-wireless"]["mode"].Text(), "adhoc");
    EXPECT_EQ(s["802-11-wireless"]["band"].Text(), "a");
    EXPECT_EQ(s["802-11-wireless"]["channel"].Number(), 36u);
    EXPECT_EQ(s["ipv4"]["method"].Text(), "link-local");

    WLProfile ap = Station("SoftAP", "My-AP", 6);
    ap.FuncMode = 1;
    ap.Channel = 6;
    ap.ApSSIDHide = 1;
    Put(ap.WPAPassphrase, "access-point-key");
    ASSERT_EQ(Apply(ap), TSRWL_OK);
    s = s_nm->LastSettings();
    EXPECT_EQ(s["802-11-wireless"]["mode"].Text(), "ap");
    EXPECT_EQ(s["802-11-wireless"]["band"].Text(), "bg");
    EXPECT_EQ(s["802-11-wireless"]["channel"].Number(), 6u);
    EXPECT_EQ(s["802-11-wireless"]["hidden"].Number(), 1u);
    EXPECT_EQ(s["ipv4"]["method"].Text(), "shared");
    EXPECT_EQ(s["802-11-wireless-security"]["psk"].Text(), "access-point-key");
    WLANStatus status{};
    int32_t repeat = 0;
    ASSERT_EQ(s_lib.TSRWL_GetWLANStatus(&repeat, &status), TSRWL_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(status.Ssid), status.SsidLength), "My-AP");
    EXPECT_EQ(status.Frequency, 2437000u);
    EXPECT_EQ(status.Bssid[0], 0x11); // the device's own address
    // The stand-in has no radio behind wlan0: the station list is empty, not an error.
    auto stations = std::make_unique<TSStationList>();
    EXPECT_EQ(s_lib.TSRWL_GetAPStationList(stations.get()), TSRWL_OK);
    EXPECT_EQ(stations->Mac[0][0], 0);
}

TEST_F(NetAdapterTest, WhatTheManagerCannotDoIsRefusedWithoutConnecting)
{
    const std::pair<void (*)(WLProfile&), const char*> cases[] = {
        {[](WLProfile& p) { p.FuncMode = 1, p.Channel = 6, p.APMacFilterMode = 1; }, "MAC filter"},
        {[](WLProfile& p) { p.EncryptionMethod = 7, p.MS8021xAuthMode = 1, Put(p.sCertificate, "nobody"); },
         "user certificate"},
        {[](WLProfile& p) { p.EncryptionMethod = 7, p.FuncMode = 1; }, "access point can only"},
        {[](WLProfile& p) { p.EncryptionMethod = 6, Put(p.WPAPassphrase, "1234567"); },
         "pass phrase has 7 characters"},
        {[](WLProfile& p) { p.EncryptionMethod = 6, Put(p.WPAPassphrase, std::string(64, 'x').c_str()); },
         "pass phrase has 64 characters"},
        {[](WLProfile& p) { p.EncryptionMethod = 1, Put(p.WEPKey1, "0123456789ABCDEF0123456789AB"); },
         "WEP key 1 has 28 bytes"},
        {[](WLProfile& p) { p.EncryptionMethod = 1, Put(p.WEPKey2, "not-hex-10"); },
         "WEP key 2 has 10 bytes"},
        {[](WLProfile& p) { p.EncryptionMethod = 1, Put(p.WEPKey4, "caf\xE9!"); }, "WEP key 4 has 5 bytes"},
        {[](WLProfile& p) { p.EncryptionMethod = 7, p.MS8021xAuthMode = 3; },
         "no login name, which 802.1x peap"},
        {[](WLProfile& p) { p.NetworkMode = 0, p.AdHocBand = 2, p.Channel = 6; },
         "channel 6 is not one the network manager accepts in band a"},
        {[](WLProfile& p) { p.FuncMode = 1, p.Channel = 144; }, "channel 144"},
    };
    for (const auto& [change, reason] : cases) {
        WLProfile profile = Station("Refused", "Harbor-Office", 0);
        change(profile);
        s_nm->SetOutcome("activate");
        const uint32_t added = s_nm->Changes()["added"];
        testing::internal::CaptureStderr();
        EXPECT_NE(Apply(profile), TSRWL_OK) << reason;
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(s_nm->Changes()["added"], added) << reason;
        EXPECT_NE(log.find(reason), std::string::npos) << log;
    }
    uint8_t antenna = 1;
    EXPECT_NE(s_lib.TSRWL_SetOID(TSRWL_OID_ANTENNA, &antenna, 1), 0);
}

TEST_F(NetAdapterTest, AConnectThatFailsLateIsReportedAsFailedAndTheLinkDown)
{
    WLProfile office = Station("Office", "Harbor-Office", 6);
    Put(office.WPAPassphrase, "wrong-pass-phrase");
    s_nm->SetOutcome("fail");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(Apply(office), TSRWL_OK);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(250));  // it waited for the outcome ...
    EXPECT_LT(took, std::chrono::milliseconds(4500)); // ... and not for the whole bound
    uint32_t media = 0, written = 0;
    EXPECT_EQ(s_lib.TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &media, 4, &written), 0);
    EXPECT_EQ(media, 1u);

    // A device still in the failed state of the last try is not taken for the outcome of the next one.
    s_nm->SetOutcome("slow");
    EXPECT_EQ(Apply(Station("Cafe", "Corner-Cafe", 0)), TSRWL_OK);

    setenv("TSRWL_NET_CONNECT_WAIT_MS", "800", 1);
    s_nm->SetOutcome("stall");
    EXPECT_NE(Apply(office), TSRWL_OK);
    setenv("TSRWL_NET_CONNECT_WAIT_MS", "5000", 1);
}

TEST_F(NetAdapterTest, HandOverLetsTheManagerConnectAndTakeBackStopsIt)
{
    ASSERT_EQ(Apply(Station("Cafe", "Corner-Cafe", 0)), TSRWL_OK);
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK);
    EXPECT_EQ(s_nm->Property(s_device, CNetBus::DeviceIface, "Autoconnect").Number(), 1u);
    EXPECT_EQ(s_nm->Property(s_device, CNetBus::DeviceIface, "ActiveConnection").Text(), "/");
    EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 4);
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(0), TSRWL_OK);
    EXPECT_EQ(s_nm->Property(s_device, CNetBus::DeviceIface, "Autoconnect").Number(), 0u);
    EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 1);
}

TEST_F(NetAdapterTest, NetworkInfoComesFromTheDevicesAddressConfiguration)
{
    ASSERT_EQ(Apply(Station("Cafe", "Corner-Cafe", 0)), TSRWL_OK);
    s_nm->AddIp4Config(s_device, "10.20.0.17", "10.20.0.1", 22);
    NetworkInfo info{};
    ASSERT_EQ(s_lib.TSRWL_GetNetworkInfo(&info), TSRWL_OK);
    EXPECT_STREQ(info.sz_CurProfile, "Cafe");
    EXPECT_EQ(info.wNetFlags & 1, 0);
    char text[16] = {};
    const std::pair<const uint8_t*, const char*> fields[] = {{info.IpAddr, "10.20.0.17"},
                                                             {info.IpMask, "255.255.252.0"},
                                                             {info.IpGate1, "10.20.0.1"},
                                                             {info.IpDNS1, "10.20.0.1"},
                                                             {info.IpDNS2, ""}};
    for (const auto& [field, expected] : fields) {
        memset(text, 0, sizeof text);
        s_lib.TSRWL_IPDataToStr(field, text);
        EXPECT_STREQ(text, expected);
    }
    EXPECT_STREQ(info.strDomain, "example.org");
}

TEST_F(NetAdapterTest, ProfilesAreKeptPrivatelyPerDirectory)
{
    ASSERT_EQ(s_lib.TSRWL_SetWLProfileDir("Tessaro"), TSRWL_OK);
    WLProfile p = Station("Home \xE9", "Home", 2);
    Put(p.WPAPassphrase, "home-pass-phrase");
    ASSERT_EQ(s_lib.TSRWL_SetWLProfile(p.ProfileName, &p), TSRWL_OK);
    WLProfile back{};
    ASSERT_EQ(s_lib.TSRWL_GetWLProfile(p.ProfileName, &back), TSRWL_OK);
    EXPECT_EQ(memcmp(&back, &p, sizeof p), 0);
    char name[TSRWL_PROFILE_NAME_BUFFER_SIZE] = {};
    ASSERT_EQ(s_lib.TSRWL_EnumWLProfiles(0, name), TSRWL_OK);
    EXPECT_STREQ(name, p.ProfileName);
    EXPECT_NE(s_lib.TSRWL_EnumWLProfiles(1, name), TSRWL_OK);
    struct stat st {};
    ASSERT_EQ(stat((std::string(getenv("TSRWL_NET_PROFILES")) + "/Tessaro/Home %E9.wlprofile").c_str(), &st),
              0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(s_lib.TSRWL_DeleteWLProfile(p.ProfileName), TSRWL_OK);
    EXPECT_NE(s_lib.TSRWL_GetWLProfile(p.ProfileName, &back), TSRWL_OK);
}
