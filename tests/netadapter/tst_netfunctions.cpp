// The library's functions that the program calls seldom or only on some paths, each against the stand-in:
// IP settings that belong to one profile, disconnecting, a renewal that leaves the link alone, channel lists,
// domain and driver file, the conversions and pass phrase keys, and why the last connect failed.
#include "netfixture.h"
#include "netadapter/Netbus.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t kPrivacy = 0x1, kCcmp = 0x8, kPsk = 0x100, kEap = 0x200;

WLProfile Station(const char* name, const char* ssid, int method)
{
    WLProfile p{};
    Put(p.ProfileName, name);
    Put(p.Ssid1, ssid);
    Put(p.NetInfo.sz_CurProfile, name);
    p.NetworkMode = 1;
    p.EncryptionMethod = method;
    p.WPAEncryptionType = 2;
    Put(p.WPAPassphrase, "harbor-2026-office");
    return p;
}

// Fixed settings (address/24) for the profile `owner`, as the program's IP page fills them.
NetworkInfo FixedIp(const char* owner, const char* address)
{
    NetworkInfo info{};
    Put(info.sz_CurProfile, owner);
    info.wNetFlags = 1;
    inet_pton(AF_INET, address, info.IpAddr);
    inet_pton(AF_INET, "255.255.255.0", info.IpMask);
    return info;
}

std::string AddressSent(NetSettings s)
{
    const auto* list = s["ipv4"]["address-data"].As<NetAddressList>();
    return s["ipv4"]["method"].Text() + (list && !list->empty() ? " " + list->front().first : "");
}

} // namespace

class NetFunctionsTest : public NetLibraryTest {
protected:
    static void SetUpTestSuite()
    {
        if (s_device.empty())
            return;
        s_nm->AddPoint(s_device, "office", "Harbor-Office", "00:1C:F0:11:22:01", 2437, 90, kPrivacy, 0,
                       kPsk | kCcmp);
        s_nm->AddPoint(s_device, "cafe", "Corner-Cafe", "00:1C:F0:11:22:02", 2462, 58, 0, 0, 0);
        s_nm->AddPoint(s_device, "corp", "Corp", "00:1C:F0:11:22:07", 5240, 70, kPrivacy, 0, kEap | kCcmp);
    }
    static std::string Active()
    {
        return s_nm->Property(s_device, CNetBus::DeviceIface, "ActiveConnection").Text();
    }
    static size_t ActiveCount()
    {
        const NetValue all = s_nm->Property(CNetBus::ManagerPath, CNetBus::ManagerIface, "ActiveConnections");
        const auto* list = all.As<std::vector<std::string>>();
        return list ? list->size() : 0;
    }
};

TEST_F(NetFunctionsTest, IpSettingsGoOnlyWithTheProfileTheyNameAndAreStoredWithIt)
{
    WLProfile office = Station("Office", "Harbor-Office", 6);
    ASSERT_EQ(s_lib.TSRWL_SetWLProfile("Office", &office), TSRWL_OK);
    const WLProfile cafe = Station("Cafe", "Corner-Cafe", 0);
    // The program's own way: a profile that carries its settings has them applied before its connect.
    WLProfile lab = Station("Lab", "Corner-Cafe", 0);
    lab.ApplyNetwork = 1;
    lab.NetInfo = FixedIp("Lab", "192.168.7.20");

    const NetworkInfo forOffice = FixedIp("Office", "10.0.0.5");
    EXPECT_EQ(s_lib.TSRWL_SetNetworkInfo(&forOffice), TSRWL_OK);
    NetworkInfo unnamed = FixedIp("", "10.9.9.9");
    EXPECT_NE(s_lib.TSRWL_SetNetworkInfo(&unnamed), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_SetNetworkInfo(&lab.NetInfo), TSRWL_OK);

    struct Step {
        const WLProfile* profile;
        const char* sent;
        uint16_t fixedFlag; // what the program reads back as the link's address mode
    } steps[] = {{&lab, "manual 192.168.7.20", 1},
                 {&cafe, "auto", 0},
                 {&office, "manual 10.0.0.5", 1},
                 {&cafe, "auto", 0}};
    for (const Step& step : steps) {
        ASSERT_EQ(ApplyProfile(*step.profile), TSRWL_OK) << step.profile->ProfileName;
        EXPECT_EQ(AddressSent(s_nm->LastSettings()), step.sent) << step.profile->ProfileName;
        NetworkInfo now{};
        ASSERT_EQ(s_lib.TSRWL_GetNetworkInfo(&now), TSRWL_OK);
        EXPECT_STREQ(now.sz_CurProfile, step.profile->ProfileName);
        EXPECT_EQ(now.wNetFlags & 1, step.fixedFlag) << step.profile->ProfileName;
    }
    // The stored profile carries them, so the next start of the program connects with them too.
    WLProfile stored{};
    ASSERT_EQ(s_lib.TSRWL_GetWLProfile("Office", &stored), TSRWL_OK);
    EXPECT_EQ(stored.ApplyNetwork, 1);
    EXPECT_EQ(memcmp(stored.NetInfo.IpAddr, forOffice.IpAddr, 4), 0);
    EXPECT_STREQ(stored.WPAPassphrase, "harbor-2026-office");
    // Stored again as automatic (the user changed it), the profile's own word counts.
    ASSERT_EQ(s_lib.TSRWL_SetWLProfile("Office", &office), TSRWL_OK);
    ASSERT_EQ(ApplyProfile(office), TSRWL_OK);
    EXPECT_EQ(AddressSent(s_nm->LastSettings()), "auto");
    EXPECT_NE(s_lib.TSRWL_SetNetworkInfo(nullptr), TSRWL_OK);
}

TEST_F(NetFunctionsTest, ARenewAfterConnectLeavesTheLinkAndStartsNoActivation)
{
    ASSERT_EQ(ApplyProfile(Station("Office", "Harbor-Office", 6)), TSRWL_OK);
    const std::string active = Active();
    const size_t count = ActiveCount();
    const NetValue uuid = s_nm->LastSettings()["connection"]["uuid"];
    // What the program does once a link is up: release, then renew.
    EXPECT_NE(s_lib.TSRWL_IPRelease(), TSRWL_OK);
    EXPECT_NE(s_lib.TSRWL_IPRenew(), TSRWL_OK);
    EXPECT_EQ(Active(), active);
    EXPECT_EQ(ActiveCount(), count);
    EXPECT_EQ(s_nm->LastSettings()["connection"]["uuid"].Text(), uuid.Text());
    EXPECT_EQ(s_nm->Property(s_device, CNetBus::DeviceIface, "State").Number(), 100u);
}

TEST_F(NetFunctionsTest, DisconnectEndsTheLink)
{
    ASSERT_EQ(ApplyProfile(Station("Cafe", "Corner-Cafe", 0)), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Disconnect(), TSRWL_OK);
    EXPECT_EQ(Active(), "/");
    uint32_t media = 0, written = 0;
    EXPECT_EQ(s_lib.TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &media, 4, &written), 0);
    EXPECT_EQ(media, 1u);
    // The manager answers "not active" for a device without a link: that is what was asked for, not a
    // failure.
    EXPECT_EQ(s_lib.TSRWL_Disconnect(), TSRWL_OK);
}

TEST_F(NetFunctionsTest, WithoutTheRadiosListChannelsFollowTheDomain)
{
    const auto range = [](int from, int to) {
        std::vector<int> list;
        for (int c = from; c <= to; ++c)
            list.push_back(c);
        return list;
    };
    struct Case {
        bool accessPoint;
        int band;
        const char* domain;
        std::vector<int> has, hasNot;
        int count; // -1: not checked
    } cases[] = {
        {false, 1, "US", range(1, 11), {12, 13, 14}, 11},
        {false, 4, "DE", range(1, 13), {14}, 13},
        {true, 1, "00", range(1, 11), {12, 13, 14}, 11}, // the world's 12 and 13 are listen-only
        {false, 2, "US", {36, 48, 52, 149, 165}, {1, 14}, -1},
        {true, 2, "US", {36, 48, 149}, {52, 64, 100}, -1}, // no access point where radar must be watched
        {true, 2, "00", {}, {36, 149}, 0},
    };
    for (const Case& c : cases) {
        int32_t channels[64] = {};
        const int32_t n = c.accessPoint ? s_lib.TSRWL_GetAPAllowedChannel(channels, c.band, c.domain)
                                        : s_lib.TSRWL_GetAllowedChannel(channels, c.band, c.domain);
        const std::vector<int> got(channels, channels + std::max(n, 0));
        const std::string what = std::string(c.domain) + " band " + std::to_string(c.band) +
                                 (c.accessPoint ? " access point" : "");
        if (c.count >= 0) {
            EXPECT_EQ(n, c.count) << what;
        }
        for (int channel : c.has)
            EXPECT_NE(std::find(got.begin(), got.end(), channel), got.end()) << what << " lacks " << channel;
        for (int channel : c.hasNot)
            EXPECT_EQ(std::find(got.begin(), got.end(), channel), got.end()) << what << " has " << channel;
    }
    EXPECT_LE(s_lib.TSRWL_GetAllowedChannel(nullptr, 1, "US"), 0);
    EXPECT_LE(s_lib.TSRWL_GetAPAllowedChannel(nullptr, 1, "US"), 0);
}

TEST_F(NetFunctionsTest, DomainAndDriverFileSayWhenTheKernelCannotTell)
{
    char domain[256] = {};
    const int32_t r = s_lib.TSRWL_GetWLANDomain(domain);
    const std::string text = domain;
    if (r == TSRWL_OK) {
        EXPECT_TRUE(text == "WORLD" || (text.size() == 2 && isupper(text[0]) && isupper(text[1]))) << text;
    } else {
        EXPECT_EQ(text, "WORLD");
    }
    EXPECT_NE(s_lib.TSRWL_GetWLANDomain(nullptr), TSRWL_OK);

    // A driver module the running kernel's module list does not hold has no file to name.
    const std::string device = MakeDir("sys/class/net/wlan0/device/driver");
    MakeDir("sys/module/nosuchwifi");
    const std::string link = device + "/module";
    ASSERT_EQ(symlink((s_dir + "/sys/module/nosuchwifi").c_str(), link.c_str()), 0);
    char path[256];
    memset(path, 'x', sizeof path);
    EXPECT_NE(s_lib.TSRWL_GetWLANDriverPath(path), TSRWL_OK);
    EXPECT_STREQ(path, "");
    unlink(link.c_str());
    EXPECT_NE(s_lib.TSRWL_GetWLANDriverPath(nullptr), TSRWL_OK);
}

TEST_F(NetFunctionsTest, FrequenciesAndChannelsConvertBothWays)
{
    struct Case {
        int32_t kHz, channel;
    } cases[] = {{2412000, 1},  {2437000, 6},   {2472000, 13}, {2484000, 14},
                 {5180000, 36}, {5500000, 100}, {5825000, 165}};
    for (const Case& c : cases) {
        EXPECT_EQ(s_lib.TSRWL_FrequencyToChannel(c.kHz), c.channel) << c.kHz;
        EXPECT_EQ(s_lib.TSRWL_ChannelToFrequency(c.channel), c.kHz) << c.channel;
    }
    EXPECT_EQ(s_lib.TSRWL_FrequencyToChannel(2437), 6); // a frequency given in MHz
    EXPECT_EQ(s_lib.TSRWL_FrequencyToChannel(0), 0);
    EXPECT_EQ(s_lib.TSRWL_FrequencyToChannel(-5), 0);
}

TEST_F(NetFunctionsTest, AddressTextsBecomeFourBytesAndBack)
{
    struct Case {
        const char* text;
        bool ok;
        uint8_t bytes[4];
    } cases[] = {
        {"192.168.10.20", true, {192, 168, 10, 20}},
        {"0.0.0.1", true, {0, 0, 0, 1}},
        {"255.255.255.255", true, {255, 255, 255, 255}},
        {"256.1.1.1", false, {}},
        {"1.2.3", false, {}},
        {"1.2.3.4.5", false, {}},
        {" 1.2.3.4", false, {}},
        {"", false, {}},
        {"fe80::1", false, {}},
        {"1.2.3.4       9", false, {}},
    };
    for (const Case& c : cases) {
        uint8_t ip[4] = {7, 7, 7, 7};
        EXPECT_EQ(s_lib.TSRWL_StrToIPData(c.text, ip) == TSRWL_OK, c.ok) << c.text;
        if (!c.ok) {
            EXPECT_EQ(ip[0], 7) << "a refused text must leave the field alone: " << c.text;
            continue;
        }
        EXPECT_EQ(memcmp(ip, c.bytes, 4), 0) << c.text;
        char back[16] = {};
        ASSERT_EQ(s_lib.TSRWL_IPDataToStr(ip, back), TSRWL_OK);
        EXPECT_STREQ(back, c.text);
    }
    uint8_t ip[4] = {};
    EXPECT_NE(s_lib.TSRWL_StrToIPData(nullptr, ip), TSRWL_OK);
    EXPECT_NE(s_lib.TSRWL_StrToIPData("1.2.3.4", nullptr), TSRWL_OK);
}

TEST_F(NetFunctionsTest, PassPhrasesGiveTheUsualWepKeys)
{
    // Expected keys computed apart from the library: 64-bit keys from the pass phrase folded into a seed of a
    // linear congruential generator, 128-bit from MD5 of the phrase repeated to 64 bytes.
    struct Case {
        const char* phrase;
        int32_t size;
        const char* keys[4];
    } cases[] = {
        {"test", 1, {"1B9DDA483D", "941E4148D0", "91B3CDF063", "E38D0086C9"}},
        {"harbor-2026", 1, {"627C8DF2E6", "CE3D2C9BC9", "3C9E375C8B", "D4698CF00F"}},
        {"test",
         2,
         {"9FDF3BFDFB10AFEB0925EF9605", "9FDF3BFDFB10AFEB0925EF9605", "9FDF3BFDFB10AFEB0925EF9605",
          "9FDF3BFDFB10AFEB0925EF9605"}},
    };
    for (const Case& c : cases) {
        TSWEPKeySet set{};
        ASSERT_EQ(s_lib.TSRWL_PassphraseToWEPKey(c.phrase, c.size, &set), TSRWL_OK) << c.phrase;
        for (int i = 0; i < 4; ++i)
            EXPECT_STREQ(set.Key[i], c.keys[i]) << c.phrase << " key " << i;
    }
    TSWEPKeySet set{};
    EXPECT_NE(s_lib.TSRWL_PassphraseToWEPKey("", 1, &set), TSRWL_OK);
    EXPECT_NE(s_lib.TSRWL_PassphraseToWEPKey("test", 3, &set), TSRWL_OK);
    EXPECT_NE(s_lib.TSRWL_PassphraseToWEPKey(nullptr, 1, &set), TSRWL_OK);
    EXPECT_NE(s_lib.TSRWL_PassphraseToWEPKey("test", 1, nullptr), TSRWL_OK);
}

TEST_F(NetFunctionsTest, AFailedConnectSaysWhyInTheProgramsWords)
{
    const auto lastError =
        reinterpret_cast<TSRWL_GetLastConnectError_t>(dlsym(s_lib.handle, "TSRWL_GetLastConnectError"));
    ASSERT_NE(lastError, nullptr);
    WLProfile corp = Station("Corp", "Corp", 7);
    corp.MS8021xAuthMode = 3;
    Put(corp.LoginName, "alice");
    Put(corp.LoginPassword, "s3cret");
    const WLProfile office = Station("Office", "Harbor-Office", 6);
    struct Case {
        uint32_t reason;
        const WLProfile* profile;
        int32_t code;
    } cases[] = {
        {7, &office, TSRWL_CONNECT_ERROR_WRONG_KEY},      {10, &office, TSRWL_CONNECT_ERROR_WRONG_KEY},
        {7, &corp, TSRWL_CONNECT_ERROR_LOGIN_REFUSED},    {8, &corp, TSRWL_CONNECT_ERROR_LOGIN_REFUSED},
        {9, &office, TSRWL_CONNECT_ERROR_WRONG_SECURITY}, {11, &office, TSRWL_CONNECT_ERROR_TIMEOUT},
        {53, &office, TSRWL_CONNECT_ERROR_NOT_FOUND},     {17, &office, TSRWL_CONNECT_ERROR_TIMEOUT},
        {35, &office, TSRWL_CONNECT_ERROR_OTHER},         {999, &office, TSRWL_CONNECT_ERROR_OTHER},
    };
    s_nm->SetOutcome("fail");
    for (const Case& c : cases) {
        s_nm->SetFailReason(c.reason);
        EXPECT_NE(ApplyProfile(*c.profile), TSRWL_OK);
        char text[200] = {};
        EXPECT_EQ(lastError(text, sizeof text), c.code) << c.reason;
        EXPECT_NE(std::string(text).find("reason " + std::to_string(c.reason)), std::string::npos) << text;
    }
    s_nm->SetFailReason(7);

    // A profile refused before anything is sent names the cause; a short buffer gets a cut, ended text.
    WLProfile filtered = Station("Filtered", "Own-AP", 0);
    filtered.FuncMode = 1;
    filtered.APMacFilterMode = 1;
    EXPECT_NE(ApplyProfile(filtered), TSRWL_OK);
    char text[12];
    memset(text, 'x', sizeof text);
    EXPECT_EQ(lastError(text, sizeof text), TSRWL_CONNECT_ERROR_OTHER);
    EXPECT_EQ(strlen(text), sizeof text - 1);
    EXPECT_EQ(lastError(nullptr, 0), TSRWL_CONNECT_ERROR_OTHER);

    // Texts are cut where a character begins: a user certificate named in UTF-8 that is not there.
    WLProfile tls = Station("Tls", "Corp", 7);
    tls.MS8021xAuthMode = 1;
    Put(tls.sCertificate, "Zo\xC3\xAB \xE6\x9D\xB1");
    EXPECT_NE(ApplyProfile(tls), TSRWL_OK);
    char whole[300] = {};
    EXPECT_EQ(lastError(whole, sizeof whole), TSRWL_CONNECT_ERROR_OTHER);
    const std::string full = whole;
    ASSERT_NE(full.find("Zo\xC3\xAB"), std::string::npos) << full;
    for (size_t size = 1; size <= full.size() + 1; ++size) {
        std::vector<char> cut(size, 'x');
        lastError(cut.data(), int32_t(size));
        const std::string got = cut.data();
        EXPECT_EQ(full.compare(0, got.size(), got), 0) << size;
        EXPECT_TRUE(got.size() == full.size() || (uint8_t(full[got.size()]) & 0xC0) != 0x80)
            << "cut inside a character at " << size;
        EXPECT_GE(got.size() + 3, std::min(size - 1, full.size())) << size;
    }

    // An activation still running when the wait ends (a slow DHCP server) is a timeout.
    setenv("TSRWL_NET_CONNECT_WAIT_MS", "600", 1);
    s_nm->SetOutcome("stall");
    EXPECT_NE(ApplyProfile(office), TSRWL_OK);
    EXPECT_EQ(lastError(nullptr, 0), TSRWL_CONNECT_ERROR_TIMEOUT);
    setenv("TSRWL_NET_CONNECT_WAIT_MS", "5000", 1);

    s_nm->SetOutcome("activate");
    ASSERT_EQ(ApplyProfile(office), TSRWL_OK);
    EXPECT_EQ(lastError(text, sizeof text), TSRWL_CONNECT_ERROR_NONE);
    EXPECT_STREQ(text, "");
}
