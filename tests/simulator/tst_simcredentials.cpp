// How the simulated networks judge a profile's WEP key and 802.1x credentials.
#include "Simcredentials.h"
#include "Simrequest.h"
#include "Simscenario.h"
#include "Simsecurity.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace {

const char SCENARIO[] = R"([Adapter]
HardwareId=USB\VID_F5E1&PID_0399

[Network.Vault]
SSID=Vault
BSSID=00:11:22:00:00:10
Security=1
WEPKey=0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789
WEPKeyIndex=2
WEPAuth=shared

[Network.Enterprise]
SSID=Enterprise
BSSID=00:11:22:00:00:11
Security=113
EAP=peap:mschapv2, ttls:pap, tls, leap
Accounts=dave:Tunnel-42
Certificate=dave@lab
ServerCA=Lab Root

[Network.Legacy]
SSID=Legacy
BSSID=00:11:22:00:00:12
Security=1
EAP=peap:gtc
Accounts=erin:Old-School

[Network.Broken]
SSID=Broken
BSSID=00:11:22:00:00:13
Security=1
WEPKey=0123
WEPAuth=sometimes
EAP=peap:telepathy
)";

class SimCredentialsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ParseScenario(SCENARIO, m_Scenario, m_Problems)); }
    const SimNetwork& Network(const char* name) const { return *m_Scenario.FindNetwork(name); }
    static SimConnectRequest Request(int encryption, const std::function<void(WLProfile&)>& fill)
    {
        WLProfile p{};
        p.EncryptionMethod = encryption;
        p.WPAEncryptionType = 2;
        p.AuthenticationMode = 2;
        p.WEPKeyFormat = 1;
        p.PeapEap = 2;
        p.TTLSEap = 3;
        fill(p);
        SimConnectRequest r;
        RequestFromProfile(p, r);
        return r;
    }

    SimScenario m_Scenario;
    std::vector<std::string> m_Problems;
};

TEST_F(SimCredentialsTest, ScenarioNamesWhatItCannotRead)
{
    const std::string all = [&] {
        std::string text;
        for (const std::string& p : m_Problems)
            text += p + "\n";
        return text;
    }();
    for (const char* bad : {"WEPKey", "sometimes", "telepathy"})
        EXPECT_NE(all.find(bad), std::string::npos) << bad << " in:\n" << all;
    EXPECT_EQ(Network("Vault").wepKey.size(), 29u);
    EXPECT_EQ(Network("Enterprise").eapMethods.size(), 4u);
}

TEST_F(SimCredentialsTest, WepKeyIndexAuthenticationAndFormat)
{
    const std::string hex = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789";
    struct Case {
        const char* what;
        int index, auth, format;
        std::string key;
        SimRefusal expected;
    };
    const Case cases[] = {
        {"right key at the right index", 1, 1, 1, hex, SimRefusal::Ok},
        {"automatic authentication", 1, 2, 1, hex, SimRefusal::Ok},
        {"open system to a shared-key network", 1, 0, 1, hex, SimRefusal::WrongAuthentication},
        {"right key at another index", 0, 1, 1, hex, SimRefusal::WrongSecret},
        {"hex digits stored as characters", 1, 1, 2, hex, SimRefusal::WrongSecret},
        {"one digit wrong", 1, 1, 1, "1" + hex.substr(1), SimRefusal::WrongSecret},
        {"a 128-bit key", 1, 1, 1, hex.substr(0, 26), SimRefusal::WrongSecret},
    };
    for (const Case& c : cases) {
        const SimConnectRequest r = Request(1, [&](WLProfile& p) {
            p.DefaultKey = c.index;
            p.AuthenticationMode = c.auth;
            p.WEPKeyFormat = c.format;
            strcpy((&p.WEPKey1)[c.index], c.key.c_str());
        });
        EXPECT_EQ(CheckJoin(Network("Vault"), r), c.expected) << c.what;
    }
}

TEST_F(SimCredentialsTest, Dot1xMethodInnerMethodAccountAndServer)
{
    auto login = [](int method, const char* user, const char* password) {
        return [=](WLProfile& p) {
            p.MS8021xAuthMode = method;
            strcpy(p.LoginName, user);
            strcpy(p.LoginPassword, password);
        };
    };
    auto with = [](std::function<void(WLProfile&)> base, std::function<void(WLProfile&)> more) {
        return [=](WLProfile& p) {
            base(p);
            more(p);
        };
    };
    const auto peap = login(3, "dave", "Tunnel-42");
    struct Case {
        const char* what;
        const char* network;
        int encryption;
        std::function<void(WLProfile&)> fill;
        SimRefusal expected;
    };
    const Case cases[] = {
        {"PEAP trusting any server", "Enterprise", 7, peap, SimRefusal::Ok},
        {"PEAP validating with the right authority", "Enterprise", 7,
         with(peap, [](WLProfile& p) { strcpy(p.sCertAuthority, "Lab Root"); }), SimRefusal::Ok},
        {"PEAP validating with another authority", "Enterprise", 7,
         with(peap, [](WLProfile& p) { strcpy(p.sCertAuthority, "Other Root"); }),
         SimRefusal::UntrustedServer},
        {"validation on without an authority", "Enterprise", 7,
         with(peap, [](WLProfile& p) { p.ValidateServerCert = 1; }), SimRefusal::UntrustedServer},
        {"PEAP with GTC inside", "Enterprise", 7, with(peap, [](WLProfile& p) { p.PeapEap = 1; }),
         SimRefusal::WrongMethod},
        {"TTLS with PAP inside", "Enterprise", 7,
         with(login(2, "dave", "Tunnel-42"), [](WLProfile& p) { p.TTLSEap = 0; }), SimRefusal::Ok},
        {"TTLS with MS-CHAPv2 inside", "Enterprise", 7, login(2, "dave", "Tunnel-42"),
         SimRefusal::WrongMethod},
        {"LEAP", "Enterprise", 7, login(4, "dave", "Tunnel-42"), SimRefusal::Ok},
        {"LEAP with a wrong password", "Enterprise", 7, login(4, "dave", "tunnel-42"),
         SimRefusal::WrongSecret},
        {"TLS with the user certificate", "Enterprise", 7,
         [](WLProfile& p) {
             p.MS8021xAuthMode = 1;
             strcpy(p.sCertificate, "dave@lab");
         },
         SimRefusal::Ok},
        {"WPA instead of WPA2", "Enterprise", 3, peap, SimRefusal::WrongSecurity},
        {"802.1x without WPA", "Legacy", 4,
         with(login(3, "erin", "Old-School"), [](WLProfile& p) { p.PeapEap = 1; }), SimRefusal::Ok},
        {"static WEP to an 802.1x WEP network", "Legacy", 1, login(3, "erin", "Old-School"),
         SimRefusal::WrongSecurity},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckJoin(Network(c.network), Request(c.encryption, c.fill)), c.expected) << c.what;
}

} // namespace
