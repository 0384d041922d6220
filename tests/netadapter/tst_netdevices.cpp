// Two wireless cards: the one the library named at its first detection is the only one it touches, an
// unplugged card is gone rather than replaced by the other, and what taking a card changed is recorded per
// card, on disk, until it is given back (at the hand-back, the end of the program, or its next start).
#include "netfixture.h"
#include "netadapter/Netbus.h"

#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace {

const char kUsbAddress[] = "02:0B:DA:81:79:01";

std::string ReadText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Taken()
{
    return std::string(getenv("TSRWL_NET_PROFILES")) + "/autoconnect.taken";
}

} // namespace

class NetDevicesTest : public NetLibraryTest {
protected:
    static void SetUpTestSuite()
    {
        if (s_device.empty())
            return;
        MakeDir("sys/class/net/wlan1/device");
        WriteText(s_dir + "/sys/class/net/wlan1/idVendor", "0bda\n");
        WriteText(s_dir + "/sys/class/net/wlan1/idProduct", "8179\n");
        s_nm->AddPoint(s_device, "office", "Harbor-Office", "00:1C:F0:11:22:01", 2437, 90, 0x1, 0, 0x108);
        s_nm->AddPoint(s_device, "cafe", "Corner-Cafe", "00:1C:F0:11:22:02", 2462, 58, 0, 0, 0);
    }

    static bool Detect(const char* wanted, std::string* path = nullptr)
    {
        TSDevRecord record{};
        Put(record.hwId, wanted);
        if (s_lib.TSRWL_DevDetect(&record) != TSRWL_OK)
            return false;
        if (path)
            *path = reinterpret_cast<const char*>(record.libraryData);
        return true;
    }
    static uint64_t Autoconnect(const std::string& device)
    {
        return s_nm->Property(device, CNetBus::DeviceIface, "Autoconnect").Number();
    }
    static void SetAutoconnect(const std::string& device, bool on)
    {
        s_nm->SetProperty(device, CNetBus::DeviceIface, "Autoconnect", "b", int(on));
    }
};

// The first detection of this library: it runs in a process of its own, as a new start of the program after
// one that held two cards ended without giving them back.
TEST_F(NetDevicesTest, TheNextStartGivesBackEveryCardARecordNamesWhenItIsThere)
{
    const std::string permanent = s_nm->Property(s_device, CNetBus::WirelessIface, "PermHwAddress").Text();
    WriteText(Taken(), "wlan0 " + permanent + "\nnot a record\nwlan7 02:00:00:00:07:07\n");
    SetAutoconnect(s_device, false);
    EXPECT_EXIT(_exit(Detect("") ? 0 : 3), testing::ExitedWithCode(0), "not a record");
    EXPECT_EQ(Autoconnect(s_device), 1u);
    EXPECT_EQ(ReadText(Taken()), "wlan7 02:00:00:00:07:07\n") << "an absent card's record stays";

    // Plugged in later, under another name: it is the same card, found by its permanent address.
    const std::string late = s_nm->AddDevice("late", "wlan9", "02:00:00:00:07:07");
    SetAutoconnect(late, false);
    EXPECT_EXIT(_exit(Detect("") ? 0 : 3), testing::ExitedWithCode(0), "wlan9 is switched on again");
    EXPECT_EQ(Autoconnect(late), 1u);
    EXPECT_NE(access(Taken().c_str(), F_OK), 0);
    s_nm->Unplug(late);
}

TEST_F(NetDevicesTest, AnUnpluggedCardIsGoneAndTheOtherCardIsNeverTouched)
{
    const std::string home = s_nm->ConnectSaved(s_device, "Home", "Harbor-Office", "harbor-2026-office");
    SetAutoconnect(s_device, true);
    const std::string usb = s_nm->AddDevice("usb", "wlan1", kUsbAddress);
    s_nm->AddPoint(usb, "cafe_usb", "Corner-Cafe", "00:1C:F0:11:22:02", 2462, 58, 0, 0, 0);
    std::string path;
    ASSERT_TRUE(Detect("USB\\VID_0BDA&PID_8179", &path));
    EXPECT_EQ(path, usb);
    EXPECT_FALSE(Detect("PCI\\VEN_8086")) << "the other card is not taken in its place";
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(0), TSRWL_OK);
    EXPECT_EQ(Autoconnect(usb), 0u);
    EXPECT_EQ(ReadText(Taken()), std::string("wlan1 ") + kUsbAddress + "\n");

    s_nm->Unplug(usb);
    const auto changes = s_nm->Changes();
    WLANStatus status{};
    int32_t repeat = 0;
    uint32_t media = 0, written = 0;
    WLProfile cafe{};
    Put(cafe.ProfileName, "Cafe");
    Put(cafe.Ssid1, "Corner-Cafe");
    cafe.NetworkMode = 1;
    const std::pair<const char*, std::function<int32_t()>> calls[] = {
        {"detect any", [] { return Detect("") ? TSRWL_OK : -1; }},
        {"link status", [&] { return s_lib.TSRWL_GetWLANStatus(&repeat, &status); }},
        {"media", [&] { return s_lib.TSRWL_QueryOID(TSRWL_OID_MEDIA_CONNECT_STATUS, &media, 4, &written); }},
        {"connect", [&] { return ApplyProfile(cafe); }},
        {"take", [] { return s_lib.TSRWL_Set_WZCService(0); }},
        {"scan", [] { return s_lib.TSRWL_SiteSurveyScan(); }},
        {"disconnect", [] { return s_lib.TSRWL_Disconnect(); }},
    };
    for (const auto& [name, call] : calls)
        EXPECT_NE(call(), TSRWL_OK) << name;
    EXPECT_EQ(s_nm->Changes(), changes) << "nothing was asked of the manager";
    EXPECT_EQ(s_nm->Property(s_device, CNetBus::DeviceIface, "ActiveConnection").Text(), home);
    EXPECT_EQ(Autoconnect(s_device), 1u);
    EXPECT_NE(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK) << "the card's record cannot be given back yet";
    EXPECT_EQ(ReadText(Taken()), std::string("wlan1 ") + kUsbAddress + "\n");

    // Plugged in again (a new object, another interface name): found again, taken again, and given back.
    const std::string again = s_nm->AddDevice("usb_again", "wlan2", kUsbAddress);
    ASSERT_TRUE(Detect("", &path));
    EXPECT_EQ(path, again);
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(0), TSRWL_OK);
    EXPECT_EQ(Autoconnect(again), 0u);
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK);
    EXPECT_EQ(Autoconnect(again), 1u);
    EXPECT_NE(access(Taken().c_str(), F_OK), 0);
    EXPECT_EQ(Autoconnect(s_device), 1u);
}
