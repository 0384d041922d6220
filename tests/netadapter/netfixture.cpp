#include "netfixture.h"

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

std::string NetLibraryTest::s_dir;
std::unique_ptr<NmStandin> NetLibraryTest::s_nm;
SimLibrary NetLibraryTest::s_lib;
std::string NetLibraryTest::s_device;

std::string NetLibraryTest::MakeDir(const std::string& name)
{
    std::string path = s_dir;
    for (size_t pos = 0; pos != std::string::npos;) {
        const size_t next = name.find('/', pos);
        path += "/" + name.substr(pos, next == std::string::npos ? next : next - pos);
        mkdir(path.c_str(), 0700);
        pos = next == std::string::npos ? next : next + 1;
    }
    return path;
}

int32_t NetLibraryTest::ApplyProfile(const WLProfile& profile)
{
    return ::ApplyProfile(s_lib, profile);
}

void NetLibraryTest::WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

namespace {

// One stand-in for the whole run: starting one costs a Python start-up, which a loaded machine feels.
class StandinEnvironment : public ::testing::Environment {
public:
    void SetUp() override { NetLibraryTest::StartStandin(); }
    void TearDown() override { NetLibraryTest::StopStandin(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new StandinEnvironment);

} // namespace

void NetLibraryTest::StartStandin()
{
    char pattern[] = "/tmp/netadapter-test-XXXXXX";
    s_dir = mkdtemp(pattern);
    const std::string pci = MakeDir("sys/class/net/wlan0/device");
    WriteText(pci + "/vendor", "0x8086\n");
    WriteText(pci + "/device", "0x24fd\n");
    MakeDir("sys/class/net/wlan0/statistics");
    WriteText(s_dir + "/sys/class/net/wlan0/statistics/rx_bytes", "123456\n");
    WriteText(s_dir + "/sys/class/net/wlan0/statistics/tx_bytes", "7890\n");
    setenv("TSRWL_NET_SYSFS", (s_dir + "/sys").c_str(), 1);
    setenv("TSRWL_NET_PROFILES", MakeDir("profiles").c_str(), 1);
    setenv("TSRWL_NET_CA_DIR", MakeDir("ca").c_str(), 1);
    setenv("TSRWL_NET_USER_CERTS", MakeDir("user").c_str(), 1);
    setenv("TSRWL_NET_CONNECT_WAIT_MS", "5000", 1);
    setenv("TSRWL_NET_SCAN_WAIT_MS", "10000", 1);
    s_nm = std::make_unique<NmStandin>(s_dir);
    if (!NmStandin::Available() || !s_nm->Start())
        return;
    s_device = s_nm->AddDevice("wifi0", "wlan0");
    s_lib.LoadFrom(NETADAPTER_LIBRARY);
    s_lib.TSRWL_Initial("Tessar", 1);
}

void NetLibraryTest::StopStandin()
{
    s_nm.reset();
    std::string command = "rm -rf '" + s_dir + "'";
    [[maybe_unused]] const int r = system(command.c_str());
}

void NetLibraryTest::SetUp()
{
    if (!NmStandin::Available())
        GTEST_SKIP() << "python3-dbusmock or dbus-daemon is not installed";
    ASSERT_FALSE(s_device.empty()) << "the stand-in did not start";
    ASSERT_EQ(s_lib.found, TSRWL_FUNCTION_COUNT);
    s_nm->SetOutcome("activate");
}
