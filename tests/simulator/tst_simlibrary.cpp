// The simulated adapter as the program sees it: the built libtsrwl.so behind its C interface.
#include "simlibrary.h"
#include "simtestutil.h"
#include "adaptercore/Corecrypto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <vector>

namespace {

SimLibrary& Lib()
{
    static SimLibrary lib;
    return lib;
}

class SimLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new simtest::TempDir;
        simtest::UseSimFiles(*s_dir, simtest::QuickScenario());
        ASSERT_TRUE(Lib().Load()) << dlerror();
        Lib().TSRWL_Initial("Tessar", 1);
        Lib().TSRWL_SetWLProfileDir("TestRoot");
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    // Every test starts from the scenario as written.
    void SetUp() override { unlink(s_dir->File("state").c_str()); }

    static std::unique_ptr<WLProfile> Profile(const char* ssid, int encryption = 0)
    {
        auto p = std::make_unique<WLProfile>();
        memset(p.get(), 0, sizeof *p);
        strcpy(p->ProfileName, "Test");
        strcpy(p->Ssid1, ssid);
        p->NetworkMode = 1;
        p->EncryptionMethod = encryption;
        p->WPAEncryptionType = 2;
        p->AuthenticationMode = 2;
        return p;
    }

    static bool Connect(const WLProfile& p)
    {
        auto status = std::make_unique<WLANStatus>();
        memset(status.get(), 0, sizeof *status);
        Lib().TSRWL_WLProfileToWLStatus(&p, status.get());
        int32_t out = -1;
        return Lib().TSRWL_SetWLANStatus(&out, status.get()) == 1;
    }

    static uint32_t Media()
    {
        uint32_t media = 99, count = 0;
        return Lib().TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &media, 4, &count) == 0 ? media : 99;
    }

    static WLANStatus Status()
    {
        WLANStatus s{};
        int32_t repeat = 1;
        Lib().TSRWL_GetWLANStatus(&repeat, &s);
        EXPECT_EQ(repeat, 0);
        return s;
    }

    static std::string Address()
    {
        NetworkInfo info{};
        if (Lib().TSRWL_GetNetworkInfo(&info) != 1)
            return "none";
        char text[260] = {};
        Lib().TSRWL_IPDataToStr(info.IpAddr, text);
        return text;
    }

    static std::vector<TSSiteEntry> Scan()
    {
        EXPECT_EQ(Lib().TSRWL_SiteSurveyScan(), 1);
        auto buffer = std::make_unique<TSSiteSurveyBuffer>();
        std::vector<TSSiteEntry> entries;
        simtest::WaitFor([&] {
            memset(buffer.get(), 0, sizeof *buffer);
            uint32_t size = TSRWL_SITE_SURVEY_BUFFER_SIZE;
            Lib().TSRWL_SiteSurveyGet(buffer.get(), &size);
            return buffer->Count > 0;
        });
        entries.assign(buffer->Entries, buffer->Entries + buffer->Count);
        return entries;
    }

    static simtest::TempDir* s_dir;
};

simtest::TempDir* SimLibraryTest::s_dir = nullptr;

TEST_F(SimLibraryTest, ExportsAllFunctionsAndTheAdapterIsThere)
{
    EXPECT_EQ(Lib().found, TSRWL_FUNCTION_COUNT);
    TSDevRecord device{};
    strcpy(device.hwId, "USB\\VID_F5E1&PID_0301");
    EXPECT_EQ(Lib().TSRWL_DevDetect(&device), 1);
    EXPECT_STREQ(device.description, "Test Adapter");
    TSDevRecord any{};
    EXPECT_EQ(Lib().TSRWL_DevDetect(&any), 1) << "an empty identifier finds the adapter too";
    TSDevRecord other{};
    strcpy(other.hwId, "PCI\\VEN_1234&DEV_5678");
    EXPECT_EQ(Lib().TSRWL_DevDetect(&other), 0);
    EXPECT_EQ(Media(), 1u);
    uint8_t mac[6] = {};
    EXPECT_EQ(Lib().TSRWL_QueryOID(TSRWL_OID_CURRENT_ADDRESS, mac, 6, nullptr), 0);
    EXPECT_EQ(mac[5], 0xAA);
}

TEST_F(SimLibraryTest, ScanTakesTimeAndListsTheNetworksInRange)
{
    ASSERT_EQ(Lib().TSRWL_SiteSurveyScan(), 1);
    auto buffer = std::make_unique<TSSiteSurveyBuffer>();
    uint32_t size = TSRWL_SITE_SURVEY_BUFFER_SIZE;
    Lib().TSRWL_SiteSurveyGet(buffer.get(), &size);
    EXPECT_EQ(buffer->Count, 0u) << "the first scan is still running";

    const std::vector<TSSiteEntry> entries = Scan();
    auto count = [&](const char* ssid) {
        return std::count_if(entries.begin(), entries.end(), [&](const TSSiteEntry& e) {
            return e.SsidLength == strlen(ssid) && memcmp(e.Ssid, ssid, e.SsidLength) == 0;
        });
    };
    EXPECT_EQ(count("OpenNet"), 1);
    EXPECT_EQ(count("Twice"), 2);
    EXPECT_EQ(count("Away"), 0);
    EXPECT_EQ(count(""), 1) << "the hidden network shows without a name";
    const auto wpa2 = std::find_if(entries.begin(), entries.end(), [](auto& e) { return e.Security == 123; });
    ASSERT_NE(wpa2, entries.end());
    EXPECT_EQ(Lib().TSRWL_FrequencyToChannel(int32_t(wpa2->Frequency)), 36);
    EXPECT_EQ(wpa2->NetworkType, 2u);
    EXPECT_LT(wpa2->Rssi, -20);
    EXPECT_GT(wpa2->Rssi, -95);
}

TEST_F(SimLibraryTest, ConnectRulesAskForTheRightSecret)
{
    struct Case {
        const char* what;
        const char* ssid;
        int encryption;
        std::function<void(WLProfile&)> fill;
        bool joins;
        int error; // what the library then says of the connect
    };
    auto wpa = [](const char* phrase) { return [phrase](WLProfile& p) { strcpy(p.WPAPassphrase, phrase); }; };
    auto wep = [](int index, const char* key) {
        return [index, key](WLProfile& p) {
            p.DefaultKey = index;
            strcpy((&p.WEPKey1)[index], key);
        };
    };
    auto account = [](const char* login, const char* password) {
        return [login, password](WLProfile& p) {
            p.MS8021xAuthMode = 3;
            strcpy(p.LoginName, login);
            strcpy(p.LoginPassword, password);
        };
    };
    auto none = [](WLProfile&) {};
    const std::string psk = HexText(*WpaPsk("correct horse", "Wpa2Net"));
    const std::string otherPsk = HexText(*WpaPsk("correct horse", "OtherNet"));
    const Case cases[] = {
        {"open network", "OpenNet", 0, none, true, 0},
        {"open network asked for with WPA", "OpenNet", 6, wpa("whatever1"), false,
         TSRWL_CONNECT_ERROR_WRONG_SECURITY},
        {"right pass phrase", "Wpa2Net", 6, wpa("correct horse"), true, 0},
        {"wrong pass phrase", "Wpa2Net", 6, wpa("wrong horse"), false, TSRWL_CONNECT_ERROR_WRONG_KEY},
        {"pre-shared key as 64 hex digits", "Wpa2Net", 6, wpa(psk.c_str()), true, 0},
        {"pre-shared key of another network", "Wpa2Net", 6, wpa(otherPsk.c_str()), false,
         TSRWL_CONNECT_ERROR_WRONG_KEY},
        {"WPA instead of WPA2", "Wpa2Net", 2, wpa("correct horse"), false,
         TSRWL_CONNECT_ERROR_WRONG_SECURITY},
        {"TKIP instead of AES", "Wpa2Net", 6,
         [](WLProfile& p) {
             strcpy(p.WPAPassphrase, "correct horse");
             p.WPAEncryptionType = 1;
         },
         false, TSRWL_CONNECT_ERROR_WRONG_SECURITY},
        {"WEP key as characters", "Wep64", 1, wep(0, "abcde"), true, 0},
        {"WEP key as hex digits", "Wep64", 1, wep(2, "6162636465"), true, 0},
        {"WEP key in lower-case hex", "Wep128", 1, wep(1, "1c1f9289ba0a0a0eaa111785ab"), true, 0},
        {"wrong WEP key", "Wep64", 1, wep(0, "abcdf"), false, TSRWL_CONNECT_ERROR_WRONG_KEY},
        {"128-bit WEP key", "Wep128", 1, wep(3, "1C1F9289BA0A0A0EAA111785AB"), true, 0},
        {"WEP key of the wrong size", "Wep128", 1, wep(0, "6162636465"), false,
         TSRWL_CONNECT_ERROR_WRONG_KEY},
        {"802.1x account", "Corp", 7, account("alice", "Wonder1"), true, 0},
        {"802.1x account with domain", "Corp", 3, account("CORP\\bob", "builder"), true, 0},
        {"802.1x wrong password", "Corp", 7, account("alice", "wonder1"), false,
         TSRWL_CONNECT_ERROR_LOGIN_REFUSED},
        {"802.1x unknown user", "Corp", 7, account("mallory", "Wonder1"), false,
         TSRWL_CONNECT_ERROR_LOGIN_REFUSED},
        {"802.1x certificate", "Corp", 7,
         [](WLProfile& p) {
             p.MS8021xAuthMode = 1;
             strcpy(p.sCertificate, "alice@corp");
         },
         true, 0},
        {"hidden network by name", "HiddenNet", 0, none, true, 0},
        {"network out of range", "Away", 0, none, false, TSRWL_CONNECT_ERROR_NOT_FOUND},
        {"no such network", "Nowhere", 0, none, false, TSRWL_CONNECT_ERROR_NOT_FOUND},
    };
    ASSERT_NE(Lib().TSRWL_GetLastConnectError, nullptr);
    for (const Case& c : cases) {
        auto p = Profile(c.ssid, c.encryption);
        c.fill(*p);
        EXPECT_EQ(Connect(*p), c.joins) << c.what;
        char detail[256] = {};
        EXPECT_EQ(Lib().TSRWL_GetLastConnectError(detail, sizeof detail), c.error) << c.what;
        EXPECT_EQ(detail[0] != '\0', c.error != 0) << c.what << ": " << detail;
    }
    // The detail is cut to the caller's buffer; no buffer still gives the code.
    Connect(*Profile("Nowhere"));
    char small[6];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(Lib().TSRWL_GetLastConnectError(small, 5), TSRWL_CONNECT_ERROR_NOT_FOUND);
    EXPECT_EQ(strlen(small), 4u);
    EXPECT_EQ(Lib().TSRWL_GetLastConnectError(nullptr, 0), TSRWL_CONNECT_ERROR_NOT_FOUND);
}

TEST_F(SimLibraryTest, AnyOrEmptySsidJoinsTheStrongestOpenNetwork)
{
    for (const char* ssid : {"ANY", ""}) {
        ASSERT_TRUE(Connect(*Profile(ssid))) << ssid;
        ASSERT_TRUE(simtest::WaitFor([] { return Media() == 0; })) << ssid;
        const WLANStatus s = Status();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Ssid), s.SsidLength), "OpenNet") << ssid;
    }
    EXPECT_FALSE(Connect(*Profile("ANY", 6))) << "ANY never joins a secured network";
}

TEST_F(SimLibraryTest, LinkComesUpWithAnAddressAndTrafficAndDropsOutOfRange)
{
    ASSERT_TRUE(Connect(*Profile("OpenNet")));
    EXPECT_EQ(Media(), 1u) << "association takes a moment";
    ASSERT_TRUE(simtest::WaitFor([] { return Media() == 0; }));
    const WLANStatus first = Status();
    EXPECT_EQ(first.MediaState, 0u);
    EXPECT_EQ(first.Bssid[5], 0x01);
    EXPECT_EQ(Lib().TSRWL_FrequencyToChannel(int32_t(first.Frequency)), 6);
    EXPECT_EQ(first.NetworkType, 1u);
    EXPECT_EQ(first.Rssi, -50);
    EXPECT_GT(first.TxRate, 0);
    const std::string address = Address();
    EXPECT_EQ(address.rfind("10.0.1.", 0), 0u) << address;
    ASSERT_TRUE(simtest::WaitFor([&] { return Status().RxBytes > first.RxBytes; }));

    NetworkInfo info{};
    ASSERT_EQ(Lib().TSRWL_GetNetworkInfo(&info), 1);
    EXPECT_STREQ(info.sz_CurProfile, "Test");

    Lib().TSRWL_IPRelease();
    EXPECT_EQ(Address(), "");
    Lib().TSRWL_IPRenew();
    const std::string renewed = Address();
    EXPECT_EQ(renewed.rfind("10.0.1.", 0), 0u);
    EXPECT_NE(renewed, address);

    simtest::WriteText(s_dir->File("state"),
                       "range.Open=0\n"
                       "link.kind=1\nlink.network=Open\nlink.bssid=00:11:22:00:00:01\n");
    EXPECT_EQ(Media(), 1u);
}

TEST_F(SimLibraryTest, FixedAddressesOfTheProfileAreKept)
{
    NetworkInfo info{};
    info.wNetFlags = 1;
    const uint8_t ip[4] = {0xC0, 0xA8, 0x01, 0x0A};
    memcpy(info.IpAddr, ip, 4);
    ASSERT_EQ(Lib().TSRWL_SetNetworkInfo(&info), 1);
    EXPECT_EQ(Address(), "192.168.1.10");
}

TEST_F(SimLibraryTest, SoftApStationsFollowTheScenarioAndTheFilter)
{
    auto ap = Profile("MyAP");
    ap->FuncMode = 1;
    ap->Channel = 6;
    ASSERT_TRUE(Connect(*ap));
    EXPECT_EQ(Media(), 0u);
    auto stations = std::make_unique<TSStationList>();
    auto listed = [&] {
        memset(stations.get(), 0, sizeof *stations);
        Lib().TSRWL_GetAPStationList(stations.get());
        int n = 0;
        while (n < TSRWL_STATION_MAX && stations->Mac[n][0] != 0)
            ++n;
        return n;
    };
    EXPECT_EQ(listed(), 2) << "the third station joins only after an hour";

    ap->APMacFilterMode = 2; // reject the listed ones
    const uint8_t second[6] = {0x02, 0x77, 0, 0, 0, 0x02};
    memcpy(ap->APMacFilter[5], second, 6);
    ASSERT_TRUE(Connect(*ap));
    ASSERT_EQ(listed(), 1);
    EXPECT_EQ(stations->Mac[0][5], 0x01);
    ap->APMacFilterMode = 1; // accept only the listed ones
    ASSERT_TRUE(Connect(*ap));
    ASSERT_EQ(listed(), 1);
    EXPECT_EQ(stations->Mac[0][5], 0x02);

    ap->Channel = 52; // needs radar detection: no access point there
    EXPECT_FALSE(Connect(*ap));
    ap->Channel = 13; // not in this domain
    EXPECT_FALSE(Connect(*ap));
}

TEST_F(SimLibraryTest, ZeroConfigurationServiceState)
{
    EXPECT_EQ(Lib().TSRWL_Get_WZCService(), 4);
    Lib().TSRWL_Set_WZCService(0);
    EXPECT_NE(Lib().TSRWL_Get_WZCService(), 4);
    Lib().TSRWL_Set_WZCService(1);
    EXPECT_EQ(Lib().TSRWL_Get_WZCService(), 4);
}

TEST_F(SimLibraryTest, KeysChannelsDomainCertificatesAndDriver)
{
    TSWEPKeySet keys{};
    ASSERT_EQ(Lib().TSRWL_PassphraseToWEPKey("badpw", 1, &keys), 1);
    EXPECT_STREQ(keys.Key[0], "02CB778981");
    EXPECT_STREQ(keys.Key[3], "A804571CC0");
    ASSERT_EQ(Lib().TSRWL_PassphraseToWEPKey("Openthedoor", 2, &keys), 1);
    for (const char* key : keys.Key)
        EXPECT_STREQ(key, "1C1F9289BA0A0A0EAA111785AB");
    EXPECT_EQ(Lib().TSRWL_PassphraseToWEPKey("", 1, &keys), 0);
    EXPECT_EQ(Lib().TSRWL_PassphraseToWEPKey("abc", 4, &keys), 0);

    char domain[256] = {};
    ASSERT_EQ(Lib().TSRWL_GetWLANDomain(domain), 1);
    EXPECT_STREQ(domain, "FCC");
    int32_t channels[512] = {};
    EXPECT_EQ(Lib().TSRWL_GetAllowedChannel(channels, 1, "ETSI"), 13);
    EXPECT_EQ(Lib().TSRWL_GetAPAllowedChannel(channels, 2, "FCC"), 9);

    void* entries = nullptr;
    ASSERT_EQ(Lib().TSRWL_EnumCertificates(&entries, TSRWL_CERT_KIND_USER), 1);
    EXPECT_STREQ(static_cast<TSCertEntry*>(entries)->Issuer, "Corp CA");
    ASSERT_EQ(Lib().TSRWL_EnumCertificates(&entries, TSRWL_CERT_KIND_ROOT), 1);
    EXPECT_STREQ(static_cast<TSCertEntry*>(entries)->Name, "Corp Root");

    char path[256] = {};
    ASSERT_EQ(Lib().TSRWL_GetWLANDriverPath(path), 1);
    EXPECT_EQ(access(path, R_OK), 0) << path;
}

TEST_F(SimLibraryTest, ProfilesRoundTripThroughTheLibrary)
{
    auto p = Profile("Wpa2Net", 6);
    strcpy(p->WPAPassphrase, "correct horse");
    ASSERT_EQ(Lib().TSRWL_SetWLProfile("Office", p.get()), 1);
    auto back = std::make_unique<WLProfile>();
    ASSERT_EQ(Lib().TSRWL_GetWLProfile("Office", back.get()), 1);
    EXPECT_EQ(memcmp(p.get(), back.get(), sizeof *p), 0);
    char name[TSRWL_PROFILE_NAME_BUFFER_SIZE] = {};
    ASSERT_EQ(Lib().TSRWL_EnumWLProfiles(0, name), 1);
    EXPECT_STREQ(name, "Office");
    EXPECT_NE(Lib().TSRWL_EnumWLProfiles(1, name), 1);
    Lib().TSRWL_DeleteWLProfile("Office");
    EXPECT_NE(Lib().TSRWL_GetWLProfile("Office", back.get()), 1);
}

TEST_F(SimLibraryTest, NullOverlongAndGarbageArgumentsAreRefused)
{
    const std::string overlong(5000, 'x');
    auto p = Profile("OpenNet");
    char buffer[512] = {};
    EXPECT_EQ(Lib().TSRWL_DevDetect(nullptr), 0);
    EXPECT_NE(Lib().TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, nullptr, 4, nullptr), 0);
    EXPECT_NE(Lib().TSRWL_QueryOID(TSRWL_OID_CURRENT_ADDRESS, buffer, 2, nullptr), 0);
    EXPECT_NE(Lib().TSRWL_QueryOID(0x12345678, buffer, 64, nullptr), 0);
    EXPECT_NE(Lib().TSRWL_SetOID(0x12345678, buffer, 1), 0);
    EXPECT_EQ(Lib().TSRWL_SiteSurveyGet(nullptr, nullptr), 0);
    uint32_t tiny = 2;
    EXPECT_EQ(Lib().TSRWL_SiteSurveyGet(buffer, &tiny), 0);
    uint32_t small = 4 + 120;
    EXPECT_EQ(Lib().TSRWL_SiteSurveyGet(buffer, &small), 1) << "a small buffer takes what fits";
    EXPECT_EQ(Lib().TSRWL_GetWLANStatus(nullptr, nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_SetWLANStatus(nullptr, nullptr), 0);
    auto garbage = std::make_unique<WLANStatus>();
    memset(garbage.get(), 0xA5, sizeof *garbage);
    EXPECT_EQ(Lib().TSRWL_SetWLANStatus(nullptr, garbage.get()), 0);
    EXPECT_EQ(Lib().TSRWL_WLProfileToWLStatus(nullptr, garbage.get()), 0);
    EXPECT_EQ(Lib().TSRWL_WLProfileToWLStatus(p.get(), nullptr), 0);
    // A profile without NULs in its texts still gives a well-formed request.
    memset(p.get(), 'Z', sizeof *p);
    EXPECT_EQ(Lib().TSRWL_WLProfileToWLStatus(p.get(), garbage.get()), 1);
    EXPECT_EQ(Lib().TSRWL_SetWLANStatus(nullptr, garbage.get()), 0);
    EXPECT_EQ(Lib().TSRWL_SetWLProfileDir(nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_SetWLProfileDir(overlong.c_str()), 0);
    EXPECT_EQ(Lib().TSRWL_GetWLProfile(nullptr, p.get()), 0);
    EXPECT_EQ(Lib().TSRWL_GetWLProfile("x", nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_SetWLProfile(overlong.c_str(), p.get()), 0);
    EXPECT_EQ(Lib().TSRWL_SetWLProfile("x", nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_EnumWLProfiles(0, nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_EnumWLProfiles(-1, buffer), 0);
    EXPECT_EQ(Lib().TSRWL_DeleteWLProfile(nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_DeleteWLProfile(overlong.c_str()), 0);
    EXPECT_EQ(Lib().TSRWL_GetNetworkInfo(nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_SetNetworkInfo(nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_IPDataToStr(nullptr, buffer), 0);
    EXPECT_EQ(Lib().TSRWL_IPDataToStr(buffer, nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_GetWLANDriverPath(nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_PassphraseToWEPKey(nullptr, 1, buffer), 0);
    EXPECT_EQ(Lib().TSRWL_PassphraseToWEPKey("abc", 1, nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_PassphraseToWEPKey(overlong.c_str(), 1, buffer), 0);
    EXPECT_EQ(Lib().TSRWL_GetWLANDomain(nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_EnumCertificates(nullptr, 1), 0);
    void* entries = nullptr;
    EXPECT_EQ(Lib().TSRWL_EnumCertificates(&entries, 2), 0);
    EXPECT_EQ(Lib().TSRWL_GetAllowedChannel(nullptr, 1, "FCC"), 0);
    int32_t channels[512] = {};
    EXPECT_EQ(Lib().TSRWL_GetAllowedChannel(channels, 1, nullptr), 11) << "the adapter's own domain";
    EXPECT_EQ(Lib().TSRWL_GetAllowedChannel(channels, 1, overlong.c_str()), 11);
    EXPECT_EQ(Lib().TSRWL_GetAllowedChannel(channels, 99, "FCC"), 0);
    EXPECT_EQ(Lib().TSRWL_GetAPStationList(nullptr), 0);
    EXPECT_EQ(Lib().TSRWL_FrequencyToChannel(-1), 0);
    // The functions the program never calls answer with failure.
    EXPECT_NE(Lib().TSRWL_EnumAvailableDevice(nullptr, nullptr), 1);
    EXPECT_NE(Lib().TSRWL_Disconnect(), 1);
    EXPECT_NE(Lib().TSRWL_GetCurrentProfile(nullptr), 1);
    EXPECT_NE(Lib().TSRWL_SetAPFilterList(nullptr), 1);
}

// Runs `calls` with stderr going to a file; returns what was written there.
std::string CapturedStderr(const std::string& file, const std::function<void()>& calls)
{
    fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    FILE* sink = fopen(file.c_str(), "w");
    dup2(fileno(sink), STDERR_FILENO);
    calls();
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    fclose(sink);
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(SimLibraryTest, MalformedScenarioIsReportedOnceAndTheBuiltInWorldServes)
{
    const std::string scenario = s_dir->File("scenario.ini");
    simtest::WriteText(scenario, std::string("\0\x01\x02[Adapter\nDescription", 22));
    const std::string log = CapturedStderr(s_dir->File("stderr"), [] {
        for (int i = 0; i < 3; ++i) {
            TSDevRecord device{};
            EXPECT_EQ(Lib().TSRWL_DevDetect(&device), 1);
            EXPECT_STRNE(device.description, "Test Adapter");
            char domain[256] = {};
            Lib().TSRWL_GetWLANDomain(domain);
            EXPECT_STREQ(domain, "FCC");
            EXPECT_FALSE(Scan().empty());
        }
    });
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("malformed"), std::string::npos) << log;
    simtest::WriteText(scenario, simtest::QuickScenario());
    TSDevRecord device{};
    Lib().TSRWL_DevDetect(&device);
    EXPECT_STREQ(device.description, "Test Adapter");
}

} // namespace
