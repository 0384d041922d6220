// Connects on the real stack: every kind of security the access points offer and the hidden network end with
// an address of the network's own range; a fixed address, a renewal that keeps the association, and the link
// status (security, authentication, 802.11 generation, rate) for a profile's link and for the manager's own
// choice.
#include "reallink.h"

#include "adaptercore/Corecodes.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdlib>
#include <fstream>

namespace {

uint32_t Ipv4(const std::string& text)
{
    in_addr a{};
    return inet_pton(AF_INET, text.c_str(), &a) == 1 ? ntohl(a.s_addr) : 0;
}

} // namespace

class RealConnectTest : public RealLinkTest {
protected:
    void TearDown() override
    {
        Run("nmcli connection delete rs-saved");
        setenv("TSRWL_NET_CA_DIR", "/nonexistent", 1);
        setenv("TSRWL_NET_USER_CERTS", "/nonexistent", 1);
    }

    // The test CA (or the one that signed nothing here) as the only trusted authority, and the TLS user's
    // certificate, in folders of their own as the program's certificate folders.
    static void TrustAuthority(const char* file)
    {
        const std::string pki = getenv("REALSTACK_PKI") ? getenv("REALSTACK_PKI") : "";
        Run("rm -rf /tmp/rs-ca /tmp/rs-user && mkdir -p /tmp/rs-ca /tmp/rs-user && cp " + pki + "/" + file +
            " /tmp/rs-ca/ && cp " + pki + "/client.pem " + pki + "/client.key /tmp/rs-user/");
        setenv("TSRWL_NET_CA_DIR", "/tmp/rs-ca", 1);
        setenv("TSRWL_NET_USER_CERTS", "/tmp/rs-user", 1);
    }

    static WLProfile Login(const char* method)
    {
        WLProfile p = Profile(Net("eap"));
        const auto [user, password] = RealNetworks::Get().Login(method);
        const std::string m = method;
        p.MS8021xAuthMode = ToCode(m == "tls"    ? TsrwlEapMethod::Tls
                                   : m == "ttls" ? TsrwlEapMethod::Ttls
                                                 : TsrwlEapMethod::Peap);
        p.PeapEap = ToCode(TsrwlPeapInner::MsChapV2);
        p.TTLSEap = ToCode(TsrwlTtlsInner::Pap);
        Put(p.LoginName, user.c_str());
        if (password != "-")
            Put(p.LoginPassword, password.c_str());
        Put(p.sCertAuthority, "Realstack Test CA");
        p.ValidateServerCert = 1;
        if (m == "tls")
            Put(p.sCertificate, "tlsuser");
        return p;
    }

    // How long the device has been associated with its access point, by the kernel (seconds; -1 without).
    static double ConnectedSeconds()
    {
        return NumberAfter(Run("iw dev wlan0 station dump"), "connected time:");
    }
    static std::string Active() { return Run("nmcli -g GENERAL.CON-PATH device show wlan0"); }

    static void ExpectAddressIn(const RealNetwork& net)
    {
        const uint32_t address = Ipv4(Address());
        EXPECT_GE(address, Ipv4(net.FirstLease())) << net.id << ": " << Address();
        EXPECT_LE(address, Ipv4(net.LastLease())) << net.id << ": " << Address();
    }
};

// WPA2-PSK has its own test among the first contacts (tst_realbasics.cpp).
TEST_F(RealConnectTest, EverySecurityKindAndTheHiddenNetworkConnectWithAnAddressOfTheirOwn)
{
    TrustAuthority("ca.pem");
    const struct {
        const char* name;
        WLProfile profile;
        const char* net;
    } cases[] = {
        {"WPA-PSK TKIP", Profile(Net("tkip")), "tkip"},
        {"open", Profile(Net("open")), "open"},
        {"hidden WPA2-PSK", Profile(Net("hidden")), "hidden"},
        {"WEP 64", Profile(Net("wep64")), "wep64"},
        {"WEP 128", Profile(Net("wep128")), "wep128"},
        {"PEAP/MSCHAPv2", Login("peap"), "eap"},
        {"TTLS/PAP", Login("ttls"), "eap"},
        {"TLS", Login("tls"), "eap"},
        {"two access points, one name", Profile(Net("twin1")), ""},
    };
    for (const auto& c : cases) {
        int64_t ms = 0;
        const int32_t r = Connect(c.profile, &ms);
        char why[200] = {};
        s_lib.TSRWL_GetLastConnectError(why, sizeof why);
        EXPECT_EQ(r, TSRWL_OK) << c.name << " after " << ms << " ms: " << why;
        if (r != TSRWL_OK)
            continue;
        const WLANStatus status = Status();
        EXPECT_EQ(Ssid(status.Ssid, status.SsidLength),
                  Ssid(reinterpret_cast<const uint8_t*>(c.profile.Ssid1), uint32_t(strlen(c.profile.Ssid1))))
            << c.name;
        if (*c.net)
            ExpectAddressIn(Net(c.net));
        else
            EXPECT_TRUE(Address().rfind(Net("twin1").subnet, 0) == 0 ||
                        Address().rfind(Net("twin2").subnet, 0) == 0)
                << c.name << ": " << Address();
    }
}

TEST_F(RealConnectTest, AProfilesFixedAddressIsTheDevicesOnANetworkWithoutDhcp)
{
    WLProfile fixed = Profile(Net("fixed"));
    fixed.ApplyNetwork = 1;
    fixed.NetInfo.wNetFlags = 1;
    const std::string subnet = Net("fixed").subnet;
    ASSERT_EQ(s_lib.TSRWL_StrToIPData((subnet + ".50").c_str(), fixed.NetInfo.IpAddr), TSRWL_OK);
    ASSERT_EQ(s_lib.TSRWL_StrToIPData("255.255.255.0", fixed.NetInfo.IpMask), TSRWL_OK);
    ASSERT_EQ(s_lib.TSRWL_StrToIPData((subnet + ".1").c_str(), fixed.NetInfo.IpGate1), TSRWL_OK);
    ASSERT_EQ(Connect(fixed), TSRWL_OK);
    EXPECT_EQ(Address(), subnet + ".50");
    EXPECT_NE(Run("ip -4 addr show wlan0").find(subnet + ".50/24"), std::string::npos);
    EXPECT_NE(Run("ip -4 route show dev wlan0").find("default via " + subnet + ".1"), std::string::npos)
        << Run("ip -4 route show dev wlan0");
}

// Link Info showed a WPA2-PSK link at 802.11n MCS 13 as "802.11g"; with the manager's own connection also as
// unencrypted with automatic authentication, the values of the profile that let the manager choose. A renewal
// of the address follows on the same link.
TEST_F(RealConnectTest, StatusGivesTheLinksFactsAndARenewalKeepsTheAssociation)
{
    const RealNetwork& net = Net("wpa2");
    Run("nmcli connection add type wifi ifname wlan0 con-name rs-saved ssid " + net.ssid +
        " wifi-sec.key-mgmt wpa-psk wifi-sec.psk " + net.secret + " connection.autoconnect no");
    WLProfile any{};
    Put(any.ProfileName, "Any");
    Put(any.Ssid1, "ANY");
    any.NetworkMode = 1;
    any.AuthenticationMode = ToCode(TsrwlAuthMode::Auto);
    const struct {
        const char* name;
        WLProfile profile;
    } cases[] = {{"a profile's connection", Profile(net)}, {"the manager's choice", any}};
    for (const auto& c : cases) {
        ASSERT_EQ(Connect(c.profile), TSRWL_OK) << c.name;
        const std::string before = Run("iw dev wlan0 link");
        const WLANStatus status = Status();
        const std::string after = Run("iw dev wlan0 link");
        EXPECT_EQ(Ssid(status.Ssid, status.SsidLength), net.ssid) << c.name;
        EXPECT_EQ(status.Encryption, uint32_t(ToCode(TsrwlSecurity::Wpa2Psk))) << c.name;
        EXPECT_EQ(status.AuthMode, uint32_t(ToCode(TsrwlAuthMode::Wpa2Psk))) << c.name;
        EXPECT_EQ(status.DotMode, 4u) << c.name << " (802.11n): " << after;
        // The record's rate byte holds at most 127.5 Mbit/s: a faster link reads as that.
        const double mbps = status.TxRate / 2.0;
        const auto near = [mbps](double iw) { return std::abs(mbps - std::min(iw, 127.5)) < 0.6; };
        EXPECT_TRUE(near(NumberAfter(before, "tx bitrate:")) || near(NumberAfter(after, "tx bitrate:")))
            << c.name << ": " << mbps << " Mbit/s against " << after;
        EXPECT_EQ(status.Rssi, -30) << c.name;
    }

    // The program renews at once after a connect and again on request; a new association would start the
    // kernel's count of connected time again.
    const std::string active = Active();
    ASSERT_TRUE(WaitFor([] { return ConnectedSeconds() >= 1; }, 10000));
    const double before = ConnectedSeconds();
    s_lib.TSRWL_IPRelease();
    s_lib.TSRWL_IPRenew();
    ASSERT_TRUE(WaitFor([&] { return ConnectedSeconds() >= before + 2; }, 10000))
        << "connected time went from " << before << " to " << ConnectedSeconds();
    EXPECT_EQ(Active(), active);
    ExpectAddressIn(net);
}
