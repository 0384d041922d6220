// The user's own connection and the program on the real stack: at the program's start the library leaves the
// manager's saved connection alone (same activation, same association, autoconnect on); taking the adapter
// stops the manager's autoconnect, the program's first connect replaces the user's link, and handing the
// adapter back lets the manager bring that link back.
#include "reallink.h"

#include <chrono>
#include <thread>

class RealStartTest : public RealLinkTest {
protected:
    void SetUp() override
    {
        RealStackTest::SetUp();
        const RealNetwork& net = Net("wpa2");
        Run("nmcli connection add type wifi ifname wlan0 con-name rs-own ssid " + net.ssid +
            " wifi-sec.key-mgmt wpa-psk wifi-sec.psk " + net.secret);
        ASSERT_NE(Run("nmcli connection up rs-own").find("successfully"), std::string::npos);
    }
    void TearDown() override
    {
        s_lib.TSRWL_Set_WZCService(1);
        Run("nmcli connection delete rs-own");
    }

    static std::string Device()
    {
        TSDevRecord device{};
        s_lib.TSRWL_DevDetect(&device);
        return reinterpret_cast<const char*>(device.libraryData);
    }
    static bool Autoconnect()
    {
        return Run("busctl get-property org.freedesktop.NetworkManager " + Device() +
                   " org.freedesktop.NetworkManager.Device Autoconnect")
                   .find("true") != std::string::npos;
    }
    static std::string Active()
    {
        return Run("nmcli -g GENERAL.CONNECTION,GENERAL.CON-PATH device show wlan0");
    }
};

// What the program asks at its start and then once a second while it shows Link Info under the manager: a
// change would show in the activation or in the kernel's association time, which counts the whole span. Then
// the program takes the adapter, connects and hands the adapter back.
TEST_F(RealStartTest, TheUsersConnectionStaysAtTheStartAndUntilTheProgramConnectsAndComesBackAfter)
{
    const std::string active = Active();
    ASSERT_TRUE(WaitFor([] { return ConnectedSeconds() >= 1; }, 10000));
    const double associated = ConnectedSeconds();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Device().empty());
    EXPECT_EQ(s_lib.TSRWL_Get_ZeroConfig(), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 4) << "the manager does not have the device";
    const int seconds = 8;
    for (int i = 0; i < seconds; ++i) {
        const WLANStatus status = Status();
        EXPECT_EQ(status.MediaState, 0u);
        NetworkInfo info{};
        s_lib.TSRWL_GetNetworkInfo(&info);
        std::this_thread::sleep_for(std::chrono::seconds(1)); // the program's own pace
    }
    const double span = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(Active(), active);
    EXPECT_GE(ConnectedSeconds(), associated + span - 1) << "the device associated anew";
    EXPECT_TRUE(Autoconnect());
    EXPECT_NE(Run("nmcli -g connection.autoconnect connection show rs-own").find("yes"), std::string::npos);

    // Taking the adapter ended the user's connection with the manager's Disconnect, a request of the user's
    // in its eyes: the connection's autoconnect stayed blocked and after the hand-back it never came back.
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(0), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 1);
    EXPECT_FALSE(Autoconnect());
    EXPECT_EQ(Active(), active);

    ASSERT_EQ(Connect(Profile(Net("open"))), TSRWL_OK);
    EXPECT_EQ(Active().find("rs-own"), std::string::npos) << "the program's connection did not replace it";
    ASSERT_EQ(s_lib.TSRWL_Set_WZCService(1), TSRWL_OK);
    EXPECT_EQ(s_lib.TSRWL_Get_WZCService(), 4);
    EXPECT_TRUE(Autoconnect());
    EXPECT_TRUE(WaitFor([] { return Active().find("rs-own") == 0; }, 90000))
        << "the manager did not connect on its own: " << Active();
}
