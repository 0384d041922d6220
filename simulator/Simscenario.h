#pragma once

#include "Simcredentials.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The world of the simulated adapter as a scenario file describes it: the adapter itself, the networks around
// it, the 802.1x certificates and the stations that join its soft access point.

using MacAddress = std::array<uint8_t, 6>;

bool ParseMac(const std::string& text, MacAddress& mac); // "02:1A:..", "02-1a-..", or 12 hex digits
std::string MacText(const MacAddress& mac);              // "02:1A:2B:3C:4D:5E"
bool IsZeroMac(const MacAddress& mac);

struct SimAccount {
    std::string login;
    std::string password;
};

struct SimNetwork {
    std::string name; // section name, for messages and control commands
    std::string ssid;
    MacAddress bssid{};
    int channel = 6;
    int dotMode = 3;       // 1 = 802.11b, 2 = 802.11a, 3 = 802.11g
    uint32_t security = 0; // site security code
    bool adHoc = false;
    bool hidden = false;
    bool reportTwice = false;
    bool inRange = true;
    int signal = -60;                     // dBm
    int drift = 3;                        // dBm either side
    std::string passphrase;               // WPA pre-shared pass phrase
    std::vector<uint8_t> wepKey;          // 5, 13, 16 or 29 bytes
    int wepKeyIndex = -1;                 // the only key index (0-3) the network knows; -1: any
    int wepAuth = -1;                     // 0 open system, 1 shared key; -1: either
    std::vector<SimAccount> accounts;     // 802.1x
    std::string userCertificate;          // accepted for certificate (TLS) logins
    std::vector<SimEapMethod> eapMethods; // 802.1x methods offered; none named: any
    std::string serverAuthority;          // authority that signed the 802.1x server's certificate
    std::string subnet = "192.168.1";     // first three parts of the addresses the network hands out
    int maxRate = 108;                    // 500 kbit/s units
};

struct SimCertificate {
    int kind = 1; // 1 = user, 3 = trusted root authority
    std::string name;
    std::string issuer;
};

struct SimStation {
    MacAddress mac{};
    int joinAfter = 0;           // seconds after the access point started
    std::vector<uint8_t> wepKey; // the key it joins a WEP access point with; empty: none
    bool operator==(const SimStation&) const = default;
};

struct SimAdapter {
    std::string hardwareId = "USB\\VID_F5E1&PID_0301";
    std::string description = "Tessaro 802.11a/b/g USB Wireless Adapter";
    MacAddress mac{0x02, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::string domain = "FCC";
    std::string driverFile = "tsrwl_sim.ko"; // relative: beside the library
    int bands = 7;                           // 1 = 802.11b, 2 = 802.11a, 4 = 802.11g
    bool softAP = true;
    bool plugged = true;
    bool zeroConfigRunning = true;
    int scanMs = 1500;
    int connectMs = 1500;
};

struct SimScenario {
    std::string source; // file read, or "built-in"
    SimAdapter adapter;
    std::vector<SimNetwork> networks;
    std::vector<SimCertificate> certificates;
    std::vector<SimStation> stations;

    const SimNetwork* FindNetwork(const std::string& nameOrBssid) const;
};

// Reads a scenario from INI text; problems are appended to `problems`. False when the text is no scenario at
// all (no adapter section and no network).
bool ParseScenario(const std::string& text, SimScenario& scenario, std::vector<std::string>& problems);
// The scenario of `path`, or the built-in default when the file is missing or malformed (logged once per file
// version). Cached per process.
std::shared_ptr<const SimScenario> CurrentScenario();
// The default scenario shipped with the library, as text.
const char* BuiltInScenarioText();
