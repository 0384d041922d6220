#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct nl_msg;

// Radio facts read from the kernel's wireless configuration interface (nl80211): the channels of the
// adapter's radio, the regulatory domain and the stations of an access point. Only read commands that need no
// privilege.

struct NetFrequency {
    uint32_t mhz = 0;
    bool disabled = false;
    bool noInitiate = false; // no access point or ad hoc cell may be started here
    bool radar = false;
};
using NetMac = std::array<uint8_t, 6>;

// The 802.11 generation of a link's rates, numbered as the library's wireless-mode codes continue past
// 1 = 802.11b, 2 = 802.11a, 3 = 802.11g; Legacy says none beyond those.
enum class NetGeneration : uint32_t { Legacy = 0, Ht = 4, Vht = 5, He = 6 };
struct NetLinkRate {
    uint32_t kbps = 0;
    NetGeneration generation = NetGeneration::Legacy;
};
// What the kernel last measured of one station of an interface (for a client: its access point).
struct NetStation {
    std::optional<int32_t> dbm;
    std::optional<NetLinkRate> rate;
};
// One network of the kernel's scan list: its BSSID and the level last heard from it.
struct NetHeard {
    NetMac bssid{};
    int32_t dbm = 0;
};

// Parsers of single answers, public so that they can be fed messages built by hand.
// Appends the frequencies of every band an answer of a radio dump carries.
void ParseWiphyFrequencies(nl_msg* msg, std::vector<NetFrequency>& out);
std::optional<uint32_t> ParseWiphyIndex(nl_msg* msg);
std::optional<NetMac> ParseStationMac(nl_msg* msg);
// The signal in dBm the kernel last measured from a station (for a client: its access point).
std::optional<int32_t> ParseStationSignal(nl_msg* msg);
std::optional<std::string> ParseRegAlpha2(nl_msg* msg);
// A station's transmit rate, and the newest generation its transmit or receive rate uses.
std::optional<NetLinkRate> ParseStationRate(nl_msg* msg);
std::optional<NetHeard> ParseScanEntry(nl_msg* msg);

// Channels usable on one band of the frequencies: band 1 or 4 = 2.4 GHz, 2 = 5 GHz; `startable` leaves out
// those where nothing may be started.
std::vector<int> ChannelsOf(const std::vector<NetFrequency>& frequencies, int band, bool startable);

namespace NetRadio {
// Frequencies of the radio behind a network interface; nothing when the kernel cannot be asked.
std::optional<std::vector<NetFrequency>> Frequencies(const std::string& iface);
// The regulatory domain's two-letter code ("00" = world).
std::optional<std::string> RegDomain();
std::optional<std::vector<NetMac>> Stations(const std::string& iface);
// The signal in dBm and the rates of one station of the interface, from one dump; nothing when the kernel
// cannot be asked.
std::optional<NetStation> Station(const std::string& iface, const NetMac& mac);
// The networks of the kernel's last scans on the interface with their levels; nothing when it cannot be
// asked.
std::optional<std::vector<NetHeard>> ScanList(const std::string& iface);
} // namespace NetRadio
