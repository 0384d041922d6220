#pragma once

#include "Simscenario.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// What changes while the simulated adapter runs, shared by every process that uses it (the program, the
// control command, tests) through one state file.

enum class SimLinkKind { None = 0, Station = 1, AccessPoint = 2 };

using IpAddress = std::array<uint8_t, 4>; // in the order written, 192.168.1.10 = C0 A8 01 0A

struct SimLink {
    SimLinkKind kind = SimLinkKind::None;
    std::string network; // scenario network joined; empty for a cell or access point of our own
    std::string profile;
    std::string ssid;
    MacAddress bssid{};
    int64_t sinceMs = 0; // when the association started (NowMs)
    int channel = 0;
    int dotMode = 3;
    bool infrastructure = true;
    int encryption = 0;
    int authMode = 0;
    int txPower = 0;
    int filterMode = 0;     // access point: 0 off, 1 accept listed, 2 reject listed
    bool failsLate = false; // accepted, but never comes up (a fault switched on with tsrwl-simctl)
    std::vector<MacAddress> filter;
    bool hidden = false; // access point: its SSID is not broadcast
    std::string wepKey;  // access point: the WEP transmit key in hex digits; empty without WEP
    int wepKeyIndex = 0; // 0 to 3
};

struct SimIpConfig {
    bool fixed = false; // addresses set by the user instead of leased
    IpAddress address{}, mask{}, gateway{}, dns1{}, dns2{};
    int lease = 1; // counts renewals; a renewal hands out another address
    bool released = false;
};

struct SimState {
    bool plugged = true;
    int64_t plugCount = 0; // how often the adapter was plugged in again: a new device each time
    bool zeroConfigRunning = true;
    std::map<std::string, bool> inRange; // by network name; missing = as the scenario says
    std::map<std::string, int> signal;   // dBm by network name; missing = as the scenario says
    std::vector<SimStation> stations;    // candidates for the soft access point
    SimLink link;
    SimIpConfig ip;
    // Why the last connect found no network to join, such as "CampusNorth refused profile Work: server
    // certificate not trusted"; empty once a connect was accepted.
    std::string refusal;
    int refusalCode = 0; // TSRWL_CONNECT_ERROR_* of the refusal
    // Faults switched on with tsrwl-simctl: calls that take this long, connects that fail after returning.
    int slowConnectMs = 0;
    int slowRenewMs = 0;
    int slowScanMs = 0;
    bool lateFail = false;
    int64_t scanStartMs = 0;
    int64_t previousScanMs = 0; // when the scan before the current one finished; 0 = none

    static SimState FromScenario(const SimScenario& scenario);
    std::string Serialize() const;
    // Values that cannot be read keep what `Deserialize` started from.
    void Deserialize(const std::string& text);
};

// Milliseconds of the monotonic clock, which all processes share.
int64_t NowMs();
std::string IpText(const IpAddress& ip);
bool ParseIp(const std::string& text, IpAddress& ip);

// The state file with an exclusive lock around every change; readers see whole files only (written by
// rename).
class CSimStateStore {
public:
    explicit CSimStateStore(std::string path);
    // The state, starting from the scenario when the file does not exist yet.
    SimState Read(const SimScenario& scenario) const;
    // The same, shared with other readers until the file changes.
    std::shared_ptr<const SimState> Shared(const SimScenario& scenario) const;
    // Runs `change` under the lock and writes the state back when it returns true. False when the lock or the
    // write failed (logged).
    bool Update(const SimScenario& scenario, const std::function<bool(SimState&)>& change) const;

private:
    // What writes of this file cut short in an earlier process left: removed at this process's first write,
    // under the lock every writer holds.
    void RemoveLeftoversOnce() const;

    std::string m_path;
};
