#pragma once

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

// Helpers of the simulated adapter's tests: private scratch folders and polling.
namespace simtest {

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/tsrwl-test-XXXXXX";
        m_path = mkdtemp(pattern) ? pattern : "";
    }
    ~TempDir()
    {
        if (!m_path.empty())
            nftw(
                m_path.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 16,
                FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Polls `condition` until it holds or `timeoutMs` passes.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Points the simulated adapter of this process at private files.
inline void UseSimFiles(const TempDir& dir, const std::string& scenarioText)
{
    WriteText(dir.File("scenario.ini"), scenarioText);
    setenv("TSRWL_SIM_SCENARIO", dir.File("scenario.ini").c_str(), 1);
    setenv("TSRWL_SIM_STATE", dir.File("state").c_str(), 1);
    setenv("TSRWL_SIM_PROFILES", dir.File("profiles").c_str(), 1);
}

// A small world; scans and associations take a second, long enough to be seen in progress on a busy machine.
inline const char* QuickScenario()
{
    return R"([Adapter]
HardwareId=USB\VID_F5E1&PID_0301
Description=Test Adapter
MAC=02:00:00:00:00:AA
Domain=FCC
ScanTime=1000
ConnectTime=1000

[Network.Open]
SSID=OpenNet
BSSID=00:11:22:00:00:01
Channel=6
Security=0
Signal=-50
Drift=0
Subnet=10.0.1

[Network.WeakOpen]
SSID=WeakOpen
BSSID=00:11:22:00:00:02
Channel=11
Security=0
Signal=-80
Drift=0

[Network.Wpa2]
SSID=Wpa2Net
BSSID=00:11:22:00:00:03
Band=a
Channel=36
Security=123
PassPhrase=correct horse
Signal=-55

[Network.Wep64]
SSID=Wep64
BSSID=00:11:22:00:00:04
Channel=1
Security=1
WEPKey=6162636465

[Network.Wep128]
SSID=Wep128
BSSID=00:11:22:00:00:05
Channel=2
Security=1
WEPKey=1C1F9289BA0A0A0EAA111785AB

[Network.Enterprise]
SSID=Corp
BSSID=00:11:22:00:00:06
Channel=3
Security=1013
Accounts=alice:Wonder1, bob:builder
Certificate=alice@corp

[Network.Hidden]
SSID=HiddenNet
BSSID=00:11:22:00:00:07
Channel=4
Security=0
Hidden=1
Signal=-40
Drift=0

[Network.Twice]
SSID=Twice
BSSID=00:11:22:00:00:08
Channel=5
Security=0
ReportTwice=1
Signal=-85
Drift=0

[Network.Away]
SSID=Away
BSSID=00:11:22:00:00:09
Channel=7
Security=0
InRange=0

[Network.Cell]
SSID=Cell
BSSID=02:11:22:00:00:0A
Channel=10
Mode=adhoc
Security=0

[Certificate.User]
Kind=user
Name=alice@corp
Issuer=Corp CA

[Certificate.Root]
Kind=authority
Name=Corp Root
Issuer=Corp Root

[SoftAP]
Stations=02:77:00:00:00:01@0, 02:77:00:00:00:02@0, 02:77:00:00:00:03@3600
)";
}

} // namespace simtest
