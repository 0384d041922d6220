#pragma once

#include "netadapter/netprofile.h"
#include "realnetworks.h"
#include "simulator/simtestutil.h"

#include <functional>
#include <string>
#include <vector>

// The real adapter library, loaded as the program loads it, inside the real-stack guest: NetworkManager
// manages the simulated radio "wlan0" and the access points of networks.conf are on the air. One library
// serves every test of the run, as one program would; each test starts with the device disconnected.
class RealStackTest : public ::testing::Test {
public:
    static void LoadLibrary();
    static std::string Ssid(const uint8_t* bytes, uint32_t length);

protected:
    // Checks that the library is loaded and found the device, then disconnects wlan0 and waits until it is
    // idle.
    void SetUp() override;
    // Only the checks.
    static void CheckLibrary();

    static const RealNetwork& Net(const std::string& id) { return RealNetworks::Get().Net(id); }
    // A station profile for the network as the program's editor makes it (802.1x logins left to the test).
    static WLProfile Profile(const RealNetwork& net);
    // Applies the profile as the program connects; the library's result and the time the call took.
    static int32_t Connect(const WLProfile& profile, int64_t* ms = nullptr);
    static std::vector<TSSiteEntry> Survey();
    static WLANStatus Status();
    // The device's IPv4 address as the library reports it ("" without one).
    static std::string Address();
    // The standard output of a shell command in the guest.
    static std::string Run(const std::string& command);
    // Polls the condition until it holds or `ms` pass.
    static bool WaitFor(const std::function<bool()>& condition, int ms)
    {
        return simtest::WaitFor(condition, ms);
    }

    static SimLibrary s_lib;
    static std::string s_description; // what detection found at the start
};
