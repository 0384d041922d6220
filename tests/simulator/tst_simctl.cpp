// The control command changes the world that another process sees through the library.
#include "Simscenario.h"
#include "simlibrary.h"
#include "simtestutil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>

namespace {

std::string SimctlPath()
{
    const char* dir = getenv("WLANUTIL_BIN_DIR");
    return std::string(dir ? dir : ".") + "/tsrwl-simctl";
}

// Runs the command with the arguments; returns its exit code and what it printed.
int Simctl(const std::string& args, std::string* output = nullptr)
{
    FILE* pipe = popen((SimctlPath() + " " + args + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, n);
    const int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SimctlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new simtest::TempDir;
        simtest::UseSimFiles(*s_dir, simtest::QuickScenario());
        // A runtime directory of the test's own, so the device-event socket cannot meet a real program.
        setenv("XDG_RUNTIME_DIR", s_dir->Path().c_str(), 1);
        ASSERT_TRUE(s_lib.Load()) << dlerror();
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override { ASSERT_EQ(Simctl("reset"), 0); }

    static bool Present()
    {
        TSDevRecord device{};
        return s_lib.TSRWL_DevDetect(&device) == 1;
    }

    static std::vector<TSSiteEntry> Scan()
    {
        s_lib.TSRWL_SiteSurveyScan();
        auto buffer = std::make_unique<TSSiteSurveyBuffer>();
        simtest::WaitFor([&] {
            uint32_t size = TSRWL_SITE_SURVEY_BUFFER_SIZE;
            memset(buffer.get(), 0, sizeof *buffer);
            s_lib.TSRWL_SiteSurveyGet(buffer.get(), &size);
            return buffer->Count > 0;
        });
        return {buffer->Entries, buffer->Entries + buffer->Count};
    }

    static const TSSiteEntry* Find(const std::vector<TSSiteEntry>& entries, uint8_t lastBssidByte)
    {
        for (const TSSiteEntry& e : entries)
            if (e.Bssid[5] == lastBssidByte)
                return &e;
        return nullptr;
    }

    static simtest::TempDir* s_dir;
    static SimLibrary s_lib;
};

simtest::TempDir* SimctlTest::s_dir = nullptr;
SimLibrary SimctlTest::s_lib;

TEST_F(SimctlTest, HelpListsTheCommands)
{
    std::string help;
    EXPECT_EQ(Simctl("--help", &help), 0);
    for (const char* word : {"plug", "unplug", "range", "signal", "station", "status", "TSRWL_SIM_STATE"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    EXPECT_EQ(Simctl("frobnicate"), 2);
    EXPECT_EQ(Simctl("range NoSuchNetwork on"), 2);
    EXPECT_EQ(Simctl("signal Open -5"), 2);
    EXPECT_EQ(Simctl("station add not-a-mac"), 2);
}

// A program's device-event socket that answers each announcement with `answers`, in turn.
class FakeListener {
public:
    FakeListener(const std::string& path, std::vector<std::string> answers) : m_Path(path)
    {
        m_Fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        strcpy(address.sun_path, path.c_str());
        Ready =
            bind(m_Fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(m_Fd, 4) == 0;
        m_Thread = std::thread([this, answers] {
            for (const std::string& answer : answers) {
                const int client = accept(m_Fd, nullptr, nullptr);
                if (client < 0)
                    return;
                char c = 0;
                while (read(client, &c, 1) == 1 && c != '\n')
                    Lines += c;
                Lines += '\n';
                [[maybe_unused]] const ssize_t n = write(client, answer.data(), answer.size());
                close(client);
            }
        });
    }
    ~FakeListener()
    {
        m_Thread.join();
        close(m_Fd);
        unlink(m_Path.c_str());
    }
    bool Ready = false;
    std::string Lines;

private:
    std::string m_Path;
    int m_Fd = -1;
    std::thread m_Thread;
};

TEST_F(SimctlTest, UnplugAndPlugAreSeenByAnotherProcessAndAnnounced)
{
    const std::string root = "SimTest" + std::to_string(getpid());
    const std::string socketPath = s_dir->Path() + "/" + root + "_DeviceEvent";
    std::string lines;
    {
        FakeListener program(socketPath, {"OK\n", "OK\n"});
        ASSERT_TRUE(program.Ready);
        EXPECT_TRUE(Present());
        ASSERT_EQ(Simctl("--prof-root " + root + " unplug"), 0);
        EXPECT_FALSE(Present());
        uint32_t media = 0;
        EXPECT_NE(s_lib.TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &media, 4, nullptr), 0);
        ASSERT_EQ(Simctl("--prof-root " + root + " plug"), 0);
        EXPECT_TRUE(Present());
        lines = program.Lines;
    }
    EXPECT_EQ(lines, "REMOVAL /devices/virtual/tsrwl-sim/wlan-sim0 USB\\VID_F5E1&PID_0301\n"
                     "ARRIVAL /devices/virtual/tsrwl-sim/wlan-sim0 USB\\VID_F5E1&PID_0301\n");

    // A program that turns the event away or hangs up unanswered is reported, not taken for a listener.
    for (const std::string answer : {"BUSY\n", ""}) {
        std::string output;
        {
            FakeListener program(socketPath, {answer});
            ASSERT_TRUE(program.Ready);
            EXPECT_EQ(Simctl("--prof-root " + root + " plug", &output), 1) << answer;
        }
        EXPECT_NE(output.find("did not take the event"), std::string::npos) << output;
    }

    // With nobody listening the command still works.
    std::string output;
    EXPECT_EQ(Simctl("--prof-root " + root + " unplug", &output), 0);
    EXPECT_NE(output.find("no program listening"), std::string::npos);
}

TEST_F(SimctlTest, RangeAndSignalChangeTheScan)
{
    ASSERT_EQ(Simctl("range Away on"), 0);
    ASSERT_EQ(Simctl("range 00:11:22:00:00:01 off"), 0);
    ASSERT_EQ(Simctl("signal WeakOpen -33"), 0);
    const std::vector<TSSiteEntry> entries = Scan();
    EXPECT_NE(Find(entries, 0x09), nullptr);
    EXPECT_EQ(Find(entries, 0x01), nullptr);
    ASSERT_NE(Find(entries, 0x02), nullptr);
    EXPECT_EQ(Find(entries, 0x02)->Rssi, -33);
}

TEST_F(SimctlTest, StationsJoinAndLeaveTheSoftAp)
{
    auto ap = std::make_unique<WLProfile>();
    memset(ap.get(), 0, sizeof *ap);
    ap->FuncMode = 1;
    ap->Channel = 1;
    strcpy(ap->Ssid1, "AP");
    WLANStatus status{};
    s_lib.TSRWL_WLProfileToWLStatus(ap.get(), &status);
    ASSERT_EQ(s_lib.TSRWL_SetWLANStatus(nullptr, &status), 1);
    auto count = [] {
        auto list = std::make_unique<TSStationList>();
        s_lib.TSRWL_GetAPStationList(list.get());
        int n = 0;
        while (n < TSRWL_STATION_MAX && list->Mac[n][0] != 0)
            ++n;
        return n;
    };
    EXPECT_EQ(count(), 2);
    ASSERT_EQ(Simctl("station add 02:88:00:00:00:01"), 0);
    EXPECT_EQ(count(), 3);
    ASSERT_EQ(Simctl("station remove 02:77:00:00:00:01"), 0);
    EXPECT_EQ(count(), 2);
    std::string output;
    ASSERT_EQ(Simctl("status", &output), 0);
    EXPECT_NE(output.find("soft AP \"AP\""), std::string::npos) << output;
    ASSERT_EQ(Simctl("disconnect"), 0);
    EXPECT_EQ(count(), 0);
}

TEST_F(SimctlTest, StationsNeedTheWepKeyOfTheAccessPointAndStatusTellsWhy)
{
    auto ap = std::make_unique<WLProfile>();
    memset(ap.get(), 0, sizeof *ap);
    ap->FuncMode = 1;
    ap->Channel = 11;
    ap->ApSSIDHide = 1;
    ap->APtxPwrLevel = 2;
    ap->EncryptionMethod = 1;
    ap->DefaultKey = 2;
    strcpy(ap->WEPKey3, "A1B2C3D4E5");
    strcpy(ap->Ssid1, "Quiet AP");
    WLANStatus status{};
    s_lib.TSRWL_WLProfileToWLStatus(ap.get(), &status);
    ASSERT_EQ(s_lib.TSRWL_SetWLANStatus(nullptr, &status), 1);
    EXPECT_EQ(Simctl("station add 02:88:00:00:00:01 --key 1234"), 2) << "a key of no WEP length";
    EXPECT_EQ(Simctl("station remove 02:88:00:00:00:01 --key a1b2c3d4e5"), 2);
    ASSERT_EQ(Simctl("station add 02:88:00:00:00:01 --key a1b2c3d4e5"), 0);
    ASSERT_EQ(Simctl("station add 02:88:00:00:00:02 0 --key A1B2C3D4E6"), 0);
    auto list = std::make_unique<TSStationList>();
    s_lib.TSRWL_GetAPStationList(list.get());
    EXPECT_EQ(list->Mac[0][5], 0x01);
    EXPECT_EQ(list->Mac[1][0], 0) << "only the station with the right key joins";
    std::string output;
    ASSERT_EQ(Simctl("status", &output), 0);
    for (const char* text :
         {"channel 11", "hidden SSID", "power level 2", "WEP 64 bit, transmit key 3",
          "02:88:00:00:00:01 joins after 0 s with a WEP key: associated",
          "02:88:00:00:00:02 joins after 0 s with a WEP key: refused: WEP key does not match",
          "02:77:00:00:00:01 joins after 0 s: refused: WEP key does not match"})
        EXPECT_NE(output.find(text), std::string::npos) << text << "\n" << output;
}

} // namespace

namespace {

int64_t MsOf(const std::function<void()>& call)
{
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

std::string PlugOf(SimLibrary& lib)
{
    TSDevRecord device{};
    EXPECT_EQ(lib.TSRWL_DevDetect(&device), 1);
    return reinterpret_cast<const char*>(device.libraryData);
}

} // namespace

// A device unplugged and plugged in again looked the same in every byte the program saw, so the program kept
// serving the one that was gone.
TEST_F(SimctlTest, EachPluggingInIsANewDevice)
{
    const std::string first = PlugOf(s_lib);
    EXPECT_EQ(PlugOf(s_lib), first) << "the same device while it stays plugged in";
    ASSERT_EQ(Simctl("unplug"), 0);
    ASSERT_EQ(Simctl("plug"), 0);
    const std::string second = PlugOf(s_lib);
    EXPECT_NE(second, first);
    ASSERT_EQ(Simctl("plug"), 0);
    EXPECT_EQ(PlugOf(s_lib), second) << "plugging in a plugged adapter changes nothing";
}

TEST_F(SimctlTest, FaultSwitchesMakeCallsSlowAndConnectsFailLate)
{
    ASSERT_EQ(Simctl("slow scan 400"), 0);
    ASSERT_EQ(Simctl("slow renew 300"), 0);
    EXPECT_GE(MsOf([] { s_lib.TSRWL_SiteSurveyScan(); }), 390);
    EXPECT_GE(MsOf([] { s_lib.TSRWL_IPRenew(); }), 290);
    ASSERT_EQ(Simctl("slow scan 0"), 0);
    EXPECT_LT(MsOf([] { s_lib.TSRWL_SiteSurveyScan(); }), 300);
    for (const char* bad : {"slow dance 3", "slow scan -1", "slow scan 10x", "latefail maybe"})
        EXPECT_EQ(Simctl(bad), 2) << bad;

    ASSERT_EQ(Simctl("slow connect 300"), 0);
    ASSERT_EQ(Simctl("latefail on"), 0);
    WLProfile profile{};
    strcpy(profile.ProfileName, "Late");
    strcpy(profile.Ssid1, "OpenNet");
    profile.NetworkMode = 1;
    profile.AuthenticationMode = 2;
    auto status = std::make_unique<WLANStatus>();
    s_lib.TSRWL_WLProfileToWLStatus(&profile, status.get());
    int32_t out = -1;
    int32_t result = 0;
    EXPECT_GE(MsOf([&] { result = s_lib.TSRWL_SetWLANStatus(&out, status.get()); }), 290);
    EXPECT_EQ(result, 1) << "the connect itself is accepted";
    ASSERT_NE(s_lib.TSRWL_GetLastConnectError, nullptr);
    EXPECT_EQ(s_lib.TSRWL_GetLastConnectError(nullptr, 0), TSRWL_CONNECT_ERROR_NONE) << "still coming up";
    usleep(1500 * 1000); // past the scenario's association time
    uint32_t media = 0;
    ASSERT_EQ(s_lib.TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &media, 4, nullptr), 0);
    EXPECT_EQ(media, 1u) << "but the link never comes up";
    EXPECT_EQ(s_lib.TSRWL_GetLastConnectError(nullptr, 0), TSRWL_CONNECT_ERROR_TIMEOUT);
}
