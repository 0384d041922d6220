#pragma once

#include "adaptercore/tsrwl.h"

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// An adapter library living inside the test program: the binding's function pointers are set to these
// functions, whose answers the tests choose. Calls are counted by name.
struct FakeLibState {
    // Profiles in enumeration order; names compare without regard to letter case, as the library does.
    std::vector<WLProfile> profiles;
    uint32_t mediaState = 1;
    WLANStatus status{};
    int32_t statusResult = 1;
    NetworkInfo network{};
    int32_t networkResult = 1;
    int32_t setStatusResult = 1;
    int32_t wzcService = 0;
    int devDetectFailures = 0; // the next calls of TSRWL_DevDetect that find no adapter
    std::string description = "Test wireless adapter";
    std::string domain = "ETSI";
    std::string driverPath;
    uint8_t mac[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::map<int, std::vector<int32_t>> channels; // per band, station mode
    std::map<int, std::vector<int32_t>> apChannels;
    std::map<int, int32_t> channelCountOverride; // band -> count answered regardless of the table
    TSSiteSurveyBuffer scan{};
    TSStationList stations{};
    std::vector<TSCertEntry> certificates;
    int32_t certificateCountOverride = INT32_MIN; // INT32_MIN: the real count
    // Calls of TSRWL_SetWLANStatus block while this is set (tests of a worker that does not stop).
    std::atomic<bool> holdConnect{false};
    std::vector<std::string> appliedProfiles; // ProfileName of every TSRWL_WLProfileToWLStatus
    std::vector<uint8_t> antennaValues;
    std::vector<std::string> domainsAsked;
    int32_t connectError = TSRWL_CONNECT_ERROR_NONE; // answer of TSRWL_GetLastConnectError, once bound
};

namespace fakelib {

// Binds the fake functions into g_TSLib with a fresh state, and frees the library lock.
void Install();
// Takes the functions away again.
void Uninstall();
// Binds the optional TSRWL_GetLastConnectError too, which Install leaves out as an older library would.
void BindConnectError();
// The state under its lock.
void With(const std::function<void(FakeLibState&)>& change);
int Calls(const std::string& name);
void ResetCalls();
// A stored profile of the fake library with the given name, kind and SSID.
WLProfile MakeProfile(const std::string& name, int funcMode = 0, const std::string& ssid = "net");
TSSiteEntry MakeSite(const std::string& ssid, uint8_t lastMacByte, uint32_t security = 0);

} // namespace fakelib
