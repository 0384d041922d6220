// Without a system bus, or when it goes away, the library answers at once with failures and comes back when
// the bus does; profiles, which need no bus, keep working.
#include "nmstandin.h"
#include "simulator/simlibrary.h"

#include <chrono>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

struct Timed {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    int64_t Ms() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    }
};

class NetBusLossTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/netadapter-bus-XXXXXX";
        m_dir = mkdtemp(pattern);
        setenv("TSRWL_NET_PROFILES", m_dir.c_str(), 1);
        setenv("TSRWL_NET_SYSFS", m_dir.c_str(), 1);
        static SimLibrary lib;
        if (!lib.handle)
            lib.LoadFrom(NETADAPTER_LIBRARY);
        ASSERT_EQ(lib.found, TSRWL_FUNCTION_COUNT);
        m_lib = &lib;
    }
    void TearDown() override
    {
        const std::string command = "rm -rf '" + m_dir + "'";
        [[maybe_unused]] const int r = system(command.c_str());
    }
    bool Detect()
    {
        TSDevRecord record{};
        return m_lib->TSRWL_DevDetect(&record) == TSRWL_OK;
    }

    std::string m_dir;
    SimLibrary* m_lib = nullptr;
};

} // namespace

TEST_F(NetBusLossTest, WithoutABusEveryDeviceCallFailsAtOnce)
{
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + m_dir + "/no-bus").c_str(), 1);
    const Timed timed;
    EXPECT_FALSE(Detect());
    WLANStatus status{};
    int32_t repeat = 0;
    EXPECT_NE(m_lib->TSRWL_GetWLANStatus(&repeat, &status), TSRWL_OK);
    EXPECT_EQ(status.MediaState, 1u);
    auto buffer = std::make_unique<TSSiteSurveyBuffer>();
    uint32_t size = sizeof *buffer;
    EXPECT_EQ(m_lib->TSRWL_SiteSurveyGet(buffer.get(), &size), TSRWL_OK);
    EXPECT_EQ(buffer->Count, 0u);
    EXPECT_NE(m_lib->TSRWL_Set_WZCService(1), TSRWL_OK);
    NetworkInfo info{};
    EXPECT_NE(m_lib->TSRWL_GetNetworkInfo(&info), TSRWL_OK);
    EXPECT_LT(timed.Ms(), 2000);

    WLProfile p{};
    strcpy(p.ProfileName, "Kept");
    EXPECT_EQ(m_lib->TSRWL_SetWLProfile("Kept", &p), TSRWL_OK);
    EXPECT_EQ(m_lib->TSRWL_GetWLProfile("Kept", &p), TSRWL_OK);
}

TEST_F(NetBusLossTest, ABusThatGoesAwayIsFoundAgainWhenItComesBack)
{
    if (!NmStandin::Available())
        GTEST_SKIP() << "python3-dbusmock or dbus-daemon is not installed";
    auto nm = std::make_unique<NmStandin>(m_dir);
    ASSERT_TRUE(nm->Start());
    nm->AddDevice("wifi0", "wlan0");
    ASSERT_TRUE(Detect());

    nm->StopBus();
    const Timed timed;
    EXPECT_FALSE(Detect());
    EXPECT_FALSE(Detect());
    uint32_t media = 0, written = 0;
    EXPECT_NE(m_lib->TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &media, 4, &written), 0);
    EXPECT_LT(timed.Ms(), 4000);

    nm = std::make_unique<NmStandin>(m_dir);
    ASSERT_TRUE(nm->Start());
    nm->AddDevice("wifi0", "wlan0");
    EXPECT_TRUE(Detect() || Detect());
}

// A program that finds no adapter can say why: no system bus, or no network manager on it.
TEST_F(NetBusLossTest, TheServiceStateTellsAMissingBusFromAMissingManager)
{
    const auto state =
        reinterpret_cast<TSRWL_GetServiceState_t>(dlsym(m_lib->handle, "TSRWL_GetServiceState"));
    ASSERT_NE(state, nullptr);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + m_dir + "/no-bus").c_str(), 1);
    EXPECT_EQ(state(), TSRWL_SERVICE_NO_BUS);
    if (!NmStandin::Available())
        GTEST_SKIP() << "python3-dbusmock or dbus-daemon is not installed";
    auto nm = std::make_unique<NmStandin>(m_dir);
    ASSERT_TRUE(nm->Start());
    EXPECT_EQ(state(), TSRWL_SERVICE_READY);
    nm->StopManager();
    EXPECT_FALSE(Detect());
    EXPECT_EQ(state(), TSRWL_SERVICE_ABSENT);
    nm->StopBus();
    EXPECT_EQ(state(), TSRWL_SERVICE_NO_BUS);
}

// The program crashed at its end (abort, exit status 134) when the hand-back failed: the library's destructor
// logged the failure through a record of logged lines that had already been destroyed.
TEST_F(NetBusLossTest, AHandBackThatFailsAtTheEndIsLoggedAndTheProgramEndsNormally)
{
    if (!NmStandin::Available())
        GTEST_SKIP() << "python3-dbusmock or dbus-daemon is not installed";
    auto nm = std::make_unique<NmStandin>(m_dir);
    ASSERT_TRUE(nm->Start());
    nm->AddDevice("wifi0", "wlan0");
    // The program's end, in a process of its own: the device taken, a line logged once, then the bus gone, so
    // that the hand-back at the end fails.
    EXPECT_EXIT(
        {
            if (!(Detect() || Detect()) || m_lib->TSRWL_Set_WZCService(0) != TSRWL_OK)
                _exit(4);
            m_lib->TSRWL_IPRenew();
            nm->StopBus();
            exit(0);
        },
        testing::ExitedWithCode(0), "");
}
