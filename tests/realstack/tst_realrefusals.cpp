// What the real stack refuses, in the program's words: a wrong pass phrase or 802.1x password, a server whose
// certificate is not trusted and a network that is not there each come back with their own code (the manager
// drops a failed activation within milliseconds, so a reason read afterwards was always 0); a disconnect of
// an idle device is no failure.
#include "realfixture.h"

#include "adaptercore/Corecodes.h"

#include <cstdlib>

namespace {

WLProfile PeapLogin(const WLProfile& base, const char* password)
{
    WLProfile p = base;
    p.MS8021xAuthMode = ToCode(TsrwlEapMethod::Peap);
    p.PeapEap = ToCode(TsrwlPeapInner::MsChapV2);
    Put(p.LoginName, RealNetworks::Get().Login("peap").first.c_str());
    Put(p.LoginPassword, password);
    Put(p.sCertAuthority, "Realstack Test CA");
    p.ValidateServerCert = 1;
    return p;
}

} // namespace

class RealRefusalTest : public RealStackTest {
protected:
    void TearDown() override { setenv("TSRWL_NET_CA_DIR", "/nonexistent", 1); }

    // `file` of the test PKI as the only trusted authority, named as the profile names it.
    static void TrustOnly(const char* file)
    {
        const std::string pki = getenv("REALSTACK_PKI") ? getenv("REALSTACK_PKI") : "";
        Run("rm -rf /tmp/rs-trust && mkdir -p /tmp/rs-trust && cp " + pki + "/" + file + " /tmp/rs-trust/");
        setenv("TSRWL_NET_CA_DIR", "/tmp/rs-trust", 1);
    }
};

TEST_F(RealRefusalTest, EachRefusalComesBackWithItsOwnCode)
{
    WLProfile wrongKey = Profile(Net("wpa2"));
    Put(wrongKey.WPAPassphrase, "not-the-pass-phrase");
    const WLProfile wrongLogin = PeapLogin(Profile(Net("eap")), "not-the-password");
    WLProfile untrusted = PeapLogin(Profile(Net("eap")), RealNetworks::Get().Login("peap").second.c_str());
    Put(untrusted.sCertAuthority, "Realstack Other CA");
    WLProfile gone = Profile(Net("wpa2"));
    Put(gone.Ssid1, "rs-not-on-the-air");
    const struct {
        const char* name;
        WLProfile profile;
        const char* authority;
        int32_t code;
    } cases[] = {
        {"wrong pass phrase", wrongKey, "ca.pem", TSRWL_CONNECT_ERROR_WRONG_KEY},
        {"wrong 802.1x password", wrongLogin, "ca.pem", TSRWL_CONNECT_ERROR_LOGIN_REFUSED},
        {"server not trusted", untrusted, "other-ca.pem", TSRWL_CONNECT_ERROR_SERVER_UNTRUSTED},
        {"network not there", gone, "ca.pem", TSRWL_CONNECT_ERROR_NOT_FOUND},
    };
    for (const auto& c : cases) {
        TrustOnly(c.authority);
        int64_t ms = 0;
        EXPECT_NE(Connect(c.profile, &ms), TSRWL_OK) << c.name;
        char why[200] = {};
        EXPECT_EQ(s_lib.TSRWL_GetLastConnectError(why, sizeof why), c.code)
            << c.name << " after " << ms << " ms: " << why;
        EXPECT_EQ(Status().MediaState, 1u) << c.name;
    }
}

TEST_F(RealRefusalTest, DisconnectingAnIdleDeviceSucceeds)
{
    EXPECT_EQ(s_lib.TSRWL_Disconnect(), TSRWL_OK);
    ASSERT_EQ(Connect(Profile(Net("open"))), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Disconnect(), TSRWL_OK);
    EXPECT_TRUE(
        WaitFor([] { return Run("nmcli -g GENERAL.STATE device show wlan0").find("30 ") == 0; }, 10000));
    EXPECT_EQ(s_lib.TSRWL_Disconnect(), TSRWL_OK);
}
