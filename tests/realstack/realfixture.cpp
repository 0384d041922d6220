#include "realfixture.h"

#include "adaptercore/Corecodes.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>

SimLibrary RealStackTest::s_lib;
std::string RealStackTest::s_description;

namespace {

bool InGuest()
{
    return getenv("REALSTACK_RESULTS") != nullptr;
}

class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RealStackTest::LoadLibrary(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);

} // namespace

void RealStackTest::LoadLibrary()
{
    if (!InGuest())
        return;
    setenv("TSRWL_NET_PROFILES", "/tmp/realstack-profiles", 1);
    s_lib.LoadFrom(NETADAPTER_LIBRARY);
    if (s_lib.found != TSRWL_FUNCTION_COUNT)
        return;
    s_lib.TSRWL_Initial("Tessar", 1);
    TSDevRecord device{};
    if (s_lib.TSRWL_DevDetect(&device) == TSRWL_OK)
        s_description = device.description;
}

void RealStackTest::CheckLibrary()
{
    ASSERT_TRUE(InGuest()) << "these tests run inside the real-stack guest: bash tests/realstack/run.sh";
    ASSERT_EQ(s_lib.found, TSRWL_FUNCTION_COUNT) << NETADAPTER_LIBRARY << ": " << dlerror();
    ASSERT_FALSE(s_description.empty()) << "the library found no device at the start";
}

void RealStackTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(CheckLibrary());
    // Each test starts from an idle device, whatever the one before left.
    Run("nmcli device disconnect wlan0");
    ASSERT_TRUE(
        WaitFor([] { return Run("nmcli -g GENERAL.STATE device show wlan0").find("30 ") == 0; }, 30000))
        << "wlan0 did not become idle: " << Run("nmcli -g GENERAL.STATE device show wlan0");
}

WLProfile RealStackTest::Profile(const RealNetwork& net)
{
    WLProfile p{};
    Put(p.ProfileName, net.id.c_str());
    Put(p.Ssid1, net.ssid.c_str());
    Put(p.NetInfo.sz_CurProfile, net.id.c_str());
    p.NetworkMode = 1;
    p.TxRate = 15;
    if (net.security == "wpa2" || net.security == "wpa") {
        const bool rsn = net.security == "wpa2";
        p.EncryptionMethod = ToCode(rsn ? TsrwlSecurity::Wpa2Psk : TsrwlSecurity::WpaPsk);
        p.AuthenticationMode = ToCode(rsn ? TsrwlAuthMode::Wpa2Psk : TsrwlAuthMode::WpaPsk);
        p.WPAEncryptionType = ToCode(rsn ? TsrwlCipher::Aes : TsrwlCipher::Tkip);
        Put(p.WPAPassphrase, net.secret.c_str());
    } else if (net.security == "wep") {
        p.EncryptionMethod = ToCode(TsrwlSecurity::Wep);
        p.WEPEncryptionLevel = net.secret.size() == 10 ? 1 : 2;
        p.WEPKeyFormat = 1;
        Put(p.WEPKey1, net.secret.c_str());
    } else if (net.security == "eap") {
        p.EncryptionMethod = ToCode(TsrwlSecurity::Wpa2);
        p.AuthenticationMode = ToCode(TsrwlAuthMode::Wpa2);
        p.WPAEncryptionType = ToCode(TsrwlCipher::Aes);
    }
    return p;
}

int32_t RealStackTest::Connect(const WLProfile& profile, int64_t* ms)
{
    const auto start = std::chrono::steady_clock::now();
    const int32_t r = ApplyProfile(s_lib, profile);
    if (ms)
        *ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                  .count();
    return r;
}

std::vector<TSSiteEntry> RealStackTest::Survey()
{
    EXPECT_EQ(s_lib.TSRWL_SiteSurveyScan(), TSRWL_OK);
    auto buffer = std::make_unique<TSSiteSurveyBuffer>();
    uint32_t size = sizeof *buffer;
    EXPECT_EQ(s_lib.TSRWL_SiteSurveyGet(buffer.get(), &size), TSRWL_OK);
    return {buffer->Entries, buffer->Entries + std::min<uint32_t>(buffer->Count, TSRWL_SITE_ENTRY_MAX)};
}

WLANStatus RealStackTest::Status()
{
    WLANStatus status{};
    int32_t repeat = 0;
    EXPECT_EQ(s_lib.TSRWL_GetWLANStatus(&repeat, &status), TSRWL_OK);
    return status;
}

std::string RealStackTest::Address()
{
    NetworkInfo info{};
    if (s_lib.TSRWL_GetNetworkInfo(&info) != TSRWL_OK || !(info.IpAddr[0] | info.IpAddr[1] | info.IpAddr[2]))
        return {};
    char text[32] = {};
    s_lib.TSRWL_IPDataToStr(info.IpAddr, text);
    return text;
}

std::string RealStackTest::Run(const std::string& command)
{
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
    std::array<char, 4096> chunk;
    for (size_t n; pipe && (n = fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0;)
        output.append(chunk.data(), n);
    return output;
}

std::string RealStackTest::Ssid(const uint8_t* bytes, uint32_t length)
{
    return std::string(reinterpret_cast<const char*>(bytes), std::min<uint32_t>(length, TSRWL_SSID_MAX));
}
