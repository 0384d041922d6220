#pragma once

#include "Netvalue.h"
#include "adaptercore/tsrwl.h"

#include <string>
#include <vector>

// How the adapter library's records and the network manager's words meet: the scan's security code of an
// access point, signal and band codes, and the connection settings that carry a profile.

// Security code of a scanned network from the access point's privacy flag and its WPA and RSN flags.
uint32_t SecurityCodeOf(uint32_t flags, uint32_t wpaFlags, uint32_t rsnFlags);
// The profile's EncryptionMethod that a network with these flags runs (0 open, 1 WEP, 2/6 WPA/WPA2 with a
// pre-shared key, 3/7 WPA/WPA2 with 802.1x).
uint32_t EncryptionMethodOf(uint32_t flags, uint32_t wpaFlags, uint32_t rsnFlags);
// The authentication mode (TsrwlAuthMode) a network of this EncryptionMethod runs; open for WEP, whose
// authentication no scan shows.
uint32_t AuthModeOfMethod(uint32_t encryptionMethod);
// Network type code: 1 = 802.11b, 2 = 802.11a, 3 = 802.11g.
uint32_t DotModeOf(uint32_t mhz, uint32_t maxBitrateKbps);
// The manager's strength percentage back into dBm. The manager makes it from the level in dBm on a straight
// line from -100 dBm (0 %) to -40 dBm (100 %), cutting off the fraction; this undoes that to the nearest dBm.
int32_t SignalDbmOf(uint32_t strength);
// "a.b.c.d" of four address bytes; empty for 0.0.0.0.
std::string IpText(const uint8_t (&ip)[TSRWL_IP_SIZE]);
// Four address bytes of "a.b.c.d"; false for anything else.
bool IpBytes(const std::string& text, uint8_t (&ip)[TSRWL_IP_SIZE]);

// What the connection needs beyond the profile: where, and the files of the certificates it names.
struct NetConnectPlace {
    std::string iface;
    std::string uuid;
    std::string user;    // the only user the connection is for
    NetBytes ssid;       // the network's name bytes, as the profile names it
    bool hidden = false; // not seen by the last scan
    std::string caCertFile;
    std::string clientCertFile;
    std::string privateKeyFile;
    const NetworkInfo* ip = nullptr; // fixed IP settings to carry, or none for an automatic address
};

// The settings of a volatile connection that applies `profile`. False, with the reason, when the profile asks
// for something the manager cannot give (the caller logs it and does not connect).
bool BuildConnection(const WLProfile& profile, const NetConnectPlace& place, NetSettings& out,
                     std::string& refusal);

// What the profile asks for that the manager offers no control of, so it stays as the driver has it: a short
// name of each, for the log. Values that mean "automatic" or "off" ask for nothing.
std::vector<std::string> UnappliedSettings(const WLProfile& profile);
