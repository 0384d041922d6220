// The real adapter library leaves what belongs to the user as it found it: the device's autoconnect across
// taking and handing back (and a crash in between), no connections of its own left with the manager, and no
// claim to have set what the manager cannot set.
#include "netfixture.h"
#include "netadapter/Netbus.h"

#include <cstring>
#include <sys/stat.h>

namespace {

template <size_t N> void Put(char (&field)[N], const char* text)
{
    strncpy(field, text, N - 1);
}

WLProfile Open(const char* name, const char* ssid)
{
    WLProfile p{};
    Put(p.ProfileName, name);
    Put(p.Ssid1, ssid);
    p.NetworkMode = 1;
    p.PreambleMode = 2;
    return p;
}

} // namespace

class NetConnectionTest : public NetLibraryTest {
protected:
    void SetUp() override
    {
        NetLibraryTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        static bool pointsAdded = false;
        if (!pointsAdded)
            s_nm->AddPoint(s_device, "quay", "Quay-Open", "00:1C:F0:11:33:01", 2412, 70, 0, 0, 0);
        pointsAdded = true;
        ASSERT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK) << "a test starts with the device given back";
    }

    static std::string RecordFile()
    {
        return std::string(getenv("TSRWL_NET_PROFILES")) + "/autoconnect.taken";
    }
    static bool RecordExists()
    {
        struct stat st {};
        return stat(RecordFile().c_str(), &st) == 0;
    }
    void SetAutoconnect(bool on)
    {
        s_nm->SetProperty(s_device, CNetBus::DeviceIface, "Autoconnect", "b", int(on));
    }
    uint64_t Autoconnect() { return s_nm->Property(s_device, CNetBus::DeviceIface, "Autoconnect").Number(9); }

    int32_t Apply(const WLProfile& profile)
    {
        WLANStatus status{};
        s_lib.TSRWL_WLProfileToWLStatus(&profile, &status);
        int32_t result = -1;
        return s_lib.TSRWL_SetWLANStatus(&result, &status);
    }
};

TEST_F(NetConnectionTest, HandingBackSetsTheAutoconnectTheDeviceHadBeforeItWasTaken)
{
    for (const bool original : {true, false}) {
        SetAutoconnect(original);
        EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 4) << original;
        ASSERT_EQ(s_lib.TSRWL_Set_WZCService(0), TSRWL_OK);
        EXPECT_EQ(Autoconnect(), 0u);
        EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 1);
        struct stat st {};
        ASSERT_EQ(stat(RecordFile().c_str(), &st) == 0, original) << "kept on disk while switched off by us";
        EXPECT_EQ(st.st_mode & 0777, original ? 0600u : 0u);
        // Taking it again must not record our own "off" as the user's value.
        ASSERT_EQ(s_lib.TSRWL_Set_WZCService(0), TSRWL_OK);
        ASSERT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK);
        EXPECT_EQ(Autoconnect(), uint64_t(original));
        EXPECT_FALSE(RecordExists());
        EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 4);
    }
    SetAutoconnect(true);
}

TEST_F(NetConnectionTest, AutoconnectLeftOffByAProgramThatDiedIsGivenBackAtTheNextDetection)
{
    struct Case {
        const char* record;
        uint64_t after; // the device's autoconnect after the detection (it starts off)
        const char* log;
    } cases[] = {
        {"wlan0 11:22:33:44:55:66\n", 1, "switched on again"},
        {"wlan0 -\n", 1, "switched on again"}, // a device without a permanent address: by interface
        {"wlan0 11:22:33:44:55:66 1\n", 0, "is not a record"},
        {"wlan0\n", 0, "is not a record"},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        SetAutoconnect(false);
        WriteText(RecordFile(), c.record);
        TSDevRecord device{};
        testing::internal::CaptureStderr();
        EXPECT_EQ(s_lib.TSRWL_DevDetect(&device), TSRWL_OK);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Autoconnect(), c.after) << c.record;
        EXPECT_FALSE(RecordExists()) << c.record;
        EXPECT_NE(log.find(c.log), std::string::npos) << log;
        EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 4) << c.record;
    }
    // A record of a device that is not there waits for it.
    WriteText(RecordFile(), "wlan7 02:00:00:00:07:07\n");
    TSDevRecord device{};
    EXPECT_EQ(s_lib.TSRWL_DevDetect(&device), TSRWL_OK);
    EXPECT_TRUE(RecordExists());
    unlink(RecordFile().c_str());
    SetAutoconnect(true);
}

// The user ended their link in their own applet (the manager then blocks autoconnect until the device's next
// activation) before the program took the device: the block stays the manager's, not turned into the user's
// "off", which nothing lifts.
TEST_F(NetConnectionTest, ADisconnectOfTheUsersIsLeftToTheManager)
{
    SetAutoconnect(true);
    ASSERT_EQ(Apply(Open("Quay", "Quay-Open")), TSRWL_OK);
    s_nm->DisconnectDevice(s_device);
    ASSERT_EQ(Autoconnect(), 0u);
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(0), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 1);
    EXPECT_FALSE(RecordExists()) << "nothing was changed";
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 4);
    ASSERT_EQ(Apply(Open("Quay", "Quay-Open")), TSRWL_OK);
    EXPECT_EQ(Autoconnect(), 1u) << "the next activation lifts the manager's block";
}

TEST_F(NetConnectionTest, OurConnectionsLeaveNothingBehindWithTheManager)
{
    const auto known = [&] {
        const NetValue list = s_nm->Property("/org/freedesktop/NetworkManager/Settings",
                                             "org.freedesktop.NetworkManager.Settings", "Connections");
        const auto* paths = list.As<std::vector<std::string>>();
        return paths ? paths->size() : size_t(999);
    };
    ASSERT_EQ(s_lib.TSRWL_Disconnect(), TSRWL_OK);
    const size_t before = known();
    ASSERT_LT(before, 999u);
    for (const char* ssid : {"Quay-Open", "Corner-Cafe", "Quay-Open"}) {
        ASSERT_EQ(Apply(Open("Quay", ssid)), TSRWL_OK) << ssid;
        EXPECT_EQ(known(), before + 1) << "one connection of ours at a time";
    }
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK);
    EXPECT_EQ(known(), before) << "handing back ends ours, and the manager forgets it";
}

TEST_F(NetConnectionTest, WhatTheManagerCannotSetIsLoggedOnceAndNotReportedAsApplied)
{
    WLProfile tuned = Open("Tuned", "Quay-Open");
    tuned.txPwrLevel = 2;
    tuned.TxRate = 108;
    tuned.FragThreshold = 1000;
    tuned.RTSThreshold = 500;
    tuned.PowerMode = 1;
    const char* const unapplied[] = {"transmit power", "a fixed transmit rate", "the fragmentation threshold",
                                     "the RTS threshold", "power saving"};
    WLProfile plain = Open("Plain", "Quay-Open"); // automatic rate, thresholds off: nothing to say
    plain.TxRate = 15;
    plain.FragThreshold = 2346;
    plain.RTSThreshold = 2347;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Apply(plain), TSRWL_OK);
    std::string log = testing::internal::GetCapturedStderr();
    for (const char* what : unapplied)
        EXPECT_EQ(log.find(what), std::string::npos) << what << "\n" << log;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Apply(tuned), TSRWL_OK);
    log = testing::internal::GetCapturedStderr();
    for (const char* what : unapplied)
        EXPECT_NE(log.find(std::string(what) + " is not supported"), std::string::npos) << what << "\n"
                                                                                        << log;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Apply(tuned), TSRWL_OK);
    log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("is not supported"), std::string::npos) << "once per run:\n" << log;
    WLANStatus status{};
    int32_t repeat = 0;
    ASSERT_EQ(s_lib.TSRWL_GetWLANStatus(&repeat, &status), TSRWL_OK);
    EXPECT_EQ(status.TxPower, 0u) << "the radio's own level, not the profile's";
}

TEST_F(NetConnectionTest, HandingBackKeepsALinkTheManagerChoseItself)
{
    s_nm->ConnectSaved(s_device, "Quay", "Quay-Open", "quay-pass-2026");
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(0), TSRWL_OK);
    ASSERT_EQ(Apply(Open("Default", "ANY")), TSRWL_OK);
    const std::string active = s_nm->Property(s_device, CNetBus::DeviceIface, "ActiveConnection").Text();
    const uint32_t deactivated = s_nm->Changes()["deactivated"];
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK);
    EXPECT_EQ(s_nm->Property(s_device, CNetBus::DeviceIface, "ActiveConnection").Text(), active);
    EXPECT_EQ(s_nm->Changes()["deactivated"], deactivated);
}
