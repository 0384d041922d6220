#include "Netradio.h"

#include "adaptercore/Corechannels.h"
#include "adaptercore/Corepaths.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <linux/nl80211.h>
#include <memory>
#include <net/if.h>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <sys/socket.h>
#include <utility>

namespace {

// An answer that does not come within this time is taken as none.
constexpr int kReceiveTimeoutS = 2;

// What each attribute read here must be. An answer whose attribute is shorter than its type or of another
// kind is refused as a whole rather than read past the attribute's end.
template <size_t Max>
std::array<nla_policy, Max + 1> Policy(std::initializer_list<std::pair<int, nla_policy>> rules)
{
    std::array<nla_policy, Max + 1> policy{};
    for (const auto& [type, rule] : rules)
        policy[size_t(type)] = rule;
    return policy;
}

constexpr nla_policy kU32{NLA_U32, sizeof(uint32_t), 0};
constexpr nla_policy kU8{NLA_U8, sizeof(uint8_t), 0};
constexpr nla_policy kFlag{NLA_FLAG, 0, 0};
constexpr nla_policy kNested{NLA_NESTED, 0, 0};

const auto kTopPolicy = Policy<NL80211_ATTR_MAX>({
    {NL80211_ATTR_WIPHY, kU32},
    {NL80211_ATTR_WIPHY_BANDS, kNested},
    {NL80211_ATTR_MAC, {NLA_UNSPEC, sizeof(NetMac), sizeof(NetMac)}},
    {NL80211_ATTR_STA_INFO, kNested},
    {NL80211_ATTR_BSS, kNested},
    // Two letters and the end of the text.
    {NL80211_ATTR_REG_ALPHA2, {NLA_STRING, 3, 0}},
});
const auto kBandPolicy = Policy<NL80211_BAND_ATTR_MAX>({{NL80211_BAND_ATTR_FREQS, kNested}});
const auto kFrequencyPolicy = Policy<NL80211_FREQUENCY_ATTR_MAX>({
    {NL80211_FREQUENCY_ATTR_FREQ, kU32},
    {NL80211_FREQUENCY_ATTR_DISABLED, kFlag},
    {NL80211_FREQUENCY_ATTR_NO_IR, kFlag},
    {NL80211_FREQUENCY_ATTR_RADAR, kFlag},
});
const auto kStationPolicy = Policy<NL80211_STA_INFO_MAX>({
    {NL80211_STA_INFO_SIGNAL, kU8},
    {NL80211_STA_INFO_SIGNAL_AVG, kU8},
    {NL80211_STA_INFO_TX_BITRATE, kNested},
    {NL80211_STA_INFO_RX_BITRATE, kNested},
});
const auto kRatePolicy = Policy<NL80211_RATE_INFO_MAX>({
    {NL80211_RATE_INFO_BITRATE, {NLA_U16, sizeof(uint16_t), 0}},
    {NL80211_RATE_INFO_BITRATE32, kU32},
    {NL80211_RATE_INFO_MCS, kU8},
    {NL80211_RATE_INFO_VHT_MCS, kU8},
    {NL80211_RATE_INFO_HE_MCS, kU8},
});
const auto kBssPolicy = Policy<NL80211_BSS_MAX>({
    {NL80211_BSS_BSSID, {NLA_UNSPEC, sizeof(NetMac), sizeof(NetMac)}},
    {NL80211_BSS_SIGNAL_MBM, kU32},
});

// False also when the message is too short for its generic header.
bool Attributes(nl_msg* msg, nlattr** table)
{
    return genlmsg_parse(nlmsg_hdr(msg), 0, table, NL80211_ATTR_MAX, kTopPolicy.data()) >= 0;
}

void ParseBand(nlattr* band, std::vector<NetFrequency>& out)
{
    nlattr* bandTable[NL80211_BAND_ATTR_MAX + 1] = {};
    if (nla_parse_nested(bandTable, NL80211_BAND_ATTR_MAX, band, kBandPolicy.data()) < 0 ||
        !bandTable[NL80211_BAND_ATTR_FREQS])
        return;
    nlattr* freq = nullptr;
    int rem = 0;
    nla_for_each_nested(freq, bandTable[NL80211_BAND_ATTR_FREQS], rem)
    {
        nlattr* f[NL80211_FREQUENCY_ATTR_MAX + 1] = {};
        if (nla_parse_nested(f, NL80211_FREQUENCY_ATTR_MAX, freq, kFrequencyPolicy.data()) < 0 ||
            !f[NL80211_FREQUENCY_ATTR_FREQ])
            continue;
        NetFrequency entry;
        entry.mhz = nla_get_u32(f[NL80211_FREQUENCY_ATTR_FREQ]);
        entry.disabled = f[NL80211_FREQUENCY_ATTR_DISABLED] != nullptr;
        entry.noInitiate = f[NL80211_FREQUENCY_ATTR_NO_IR] != nullptr;
        entry.radar = f[NL80211_FREQUENCY_ATTR_RADAR] != nullptr;
        out.push_back(entry);
    }
}

// One rate entry of a station: its speed (in 100 kbit/s) and the kind of rate it is.
std::optional<NetLinkRate> ParseRate(nlattr* rate)
{
    nlattr* r[NL80211_RATE_INFO_MAX + 1] = {};
    if (!rate || nla_parse_nested(r, NL80211_RATE_INFO_MAX, rate, kRatePolicy.data()) < 0)
        return std::nullopt;
    NetLinkRate out;
    if (r[NL80211_RATE_INFO_BITRATE32])
        out.kbps = nla_get_u32(r[NL80211_RATE_INFO_BITRATE32]) * 100;
    else if (r[NL80211_RATE_INFO_BITRATE])
        out.kbps = nla_get_u16(r[NL80211_RATE_INFO_BITRATE]) * 100u;
    if (r[NL80211_RATE_INFO_HE_MCS])
        out.generation = NetGeneration::He;
    else if (r[NL80211_RATE_INFO_VHT_MCS])
        out.generation = NetGeneration::Vht;
    else if (r[NL80211_RATE_INFO_MCS])
        out.generation = NetGeneration::Ht;
    return out;
}

struct SocketDeleter {
    void operator()(nl_sock* s) const { nl_socket_free(s); }
};
struct MessageDeleter {
    void operator()(nl_msg* m) const { nlmsg_free(m); }
};

// Sends one nl80211 request and hands every answer to `take`. False when the kernel cannot be asked.
bool Ask(uint8_t command, int flags, const std::function<void(nl_msg*)>& fill,
         const std::function<void(nl_msg*)>& take)
{
    std::unique_ptr<nl_sock, SocketDeleter> sock(nl_socket_alloc());
    if (!sock || genl_connect(sock.get()) < 0) {
        CoreLogOnce("the kernel's wireless interface cannot be opened");
        return false;
    }
    const timeval timeout{kReceiveTimeoutS, 0};
    setsockopt(nl_socket_get_fd(sock.get()), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const int family = genl_ctrl_resolve(sock.get(), "nl80211");
    if (family < 0) {
        CoreLogOnce("the kernel has no nl80211 wireless interface");
        return false;
    }
    std::unique_ptr<nl_msg, MessageDeleter> msg(nlmsg_alloc());
    if (!msg || !genlmsg_put(msg.get(), NL_AUTO_PORT, NL_AUTO_SEQ, family, 0, flags, command, 0))
        return false;
    if (fill)
        fill(msg.get());
    auto handler = [](nl_msg* answer, void* arg) {
        (*static_cast<const std::function<void(nl_msg*)>*>(arg))(answer);
        return int(NL_OK);
    };
    nl_socket_modify_cb(sock.get(), NL_CB_VALID, NL_CB_CUSTOM, handler,
                        const_cast<std::function<void(nl_msg*)>*>(&take));
    if (nl_send_auto(sock.get(), msg.get()) < 0)
        return false;
    const int r = nl_recvmsgs_default(sock.get());
    if (r < 0) {
        CoreLogOnce(std::string("nl80211 command ") + std::to_string(command) + " failed: " + nl_geterror(r));
        return false;
    }
    return true;
}

std::optional<uint32_t> InterfaceIndex(const std::string& iface)
{
    const unsigned index = if_nametoindex(iface.c_str());
    if (index == 0)
        return std::nullopt;
    return index;
}

// Hands every station the kernel lists for the interface to `take`; false when it cannot be asked.
bool StationDump(const std::string& iface, const std::function<void(nl_msg*)>& take)
{
    const auto index = InterfaceIndex(iface);
    if (!index)
        return false;
    const auto fill = [&](nl_msg* m) { nla_put_u32(m, NL80211_ATTR_IFINDEX, *index); };
    return Ask(NL80211_CMD_GET_STATION, NLM_F_DUMP, fill, take);
}

} // namespace

void ParseWiphyFrequencies(nl_msg* msg, std::vector<NetFrequency>& out)
{
    nlattr* table[NL80211_ATTR_MAX + 1] = {};
    if (!Attributes(msg, table) || !table[NL80211_ATTR_WIPHY_BANDS])
        return;
    nlattr* band = nullptr;
    int rem = 0;
    nla_for_each_nested(band, table[NL80211_ATTR_WIPHY_BANDS], rem) ParseBand(band, out);
}

std::optional<uint32_t> ParseWiphyIndex(nl_msg* msg)
{
    nlattr* table[NL80211_ATTR_MAX + 1] = {};
    if (!Attributes(msg, table) || !table[NL80211_ATTR_WIPHY])
        return std::nullopt;
    return nla_get_u32(table[NL80211_ATTR_WIPHY]);
}

std::optional<NetMac> ParseStationMac(nl_msg* msg)
{
    nlattr* table[NL80211_ATTR_MAX + 1] = {};
    if (!Attributes(msg, table) || !table[NL80211_ATTR_MAC])
        return std::nullopt;
    NetMac mac{};
    memcpy(mac.data(), nla_data(table[NL80211_ATTR_MAC]), mac.size());
    return mac;
}

std::optional<int32_t> ParseStationSignal(nl_msg* msg)
{
    nlattr* table[NL80211_ATTR_MAX + 1] = {};
    nlattr* info[NL80211_STA_INFO_MAX + 1] = {};
    if (!Attributes(msg, table) || !table[NL80211_ATTR_STA_INFO] ||
        nla_parse_nested(info, NL80211_STA_INFO_MAX, table[NL80211_ATTR_STA_INFO], kStationPolicy.data()) < 0)
        return std::nullopt;
    // The last frame's level; the average where a driver keeps only that. Both are signed bytes.
    nlattr* signal =
        info[NL80211_STA_INFO_SIGNAL] ? info[NL80211_STA_INFO_SIGNAL] : info[NL80211_STA_INFO_SIGNAL_AVG];
    if (!signal)
        return std::nullopt;
    return int32_t(int8_t(nla_get_u8(signal)));
}

std::optional<std::string> ParseRegAlpha2(nl_msg* msg)
{
    nlattr* table[NL80211_ATTR_MAX + 1] = {};
    if (!Attributes(msg, table) || !table[NL80211_ATTR_REG_ALPHA2])
        return std::nullopt;
    const auto* text = static_cast<const char*>(nla_data(table[NL80211_ATTR_REG_ALPHA2]));
    const std::string alpha2(text,
                             strnlen(text, size_t(std::min(nla_len(table[NL80211_ATTR_REG_ALPHA2]), 3))));
    if (alpha2.empty())
        return std::nullopt;
    return alpha2;
}

std::optional<NetLinkRate> ParseStationRate(nl_msg* msg)
{
    nlattr* table[NL80211_ATTR_MAX + 1] = {};
    nlattr* info[NL80211_STA_INFO_MAX + 1] = {};
    if (!Attributes(msg, table) || !table[NL80211_ATTR_STA_INFO] ||
        nla_parse_nested(info, NL80211_STA_INFO_MAX, table[NL80211_ATTR_STA_INFO], kStationPolicy.data()) < 0)
        return std::nullopt;
    // The speed is the transmit rate, as the link's rate is always given; rate control may still send on
    // basic rates, so the generation is what either direction reached.
    const auto tx = ParseRate(info[NL80211_STA_INFO_TX_BITRATE]);
    const auto rx = ParseRate(info[NL80211_STA_INFO_RX_BITRATE]);
    if (!tx || !rx)
        return tx ? tx : rx;
    return NetLinkRate{tx->kbps, std::max(tx->generation, rx->generation)};
}

std::optional<NetHeard> ParseScanEntry(nl_msg* msg)
{
    nlattr* table[NL80211_ATTR_MAX + 1] = {};
    nlattr* bss[NL80211_BSS_MAX + 1] = {};
    if (!Attributes(msg, table) || !table[NL80211_ATTR_BSS] ||
        nla_parse_nested(bss, NL80211_BSS_MAX, table[NL80211_ATTR_BSS], kBssPolicy.data()) < 0 ||
        !bss[NL80211_BSS_BSSID] || !bss[NL80211_BSS_SIGNAL_MBM])
        return std::nullopt;
    NetHeard heard;
    memcpy(heard.bssid.data(), nla_data(bss[NL80211_BSS_BSSID]), heard.bssid.size());
    // Hundredths of a dBm, signed, rounded to the nearest dBm.
    const auto mbm = int32_t(nla_get_u32(bss[NL80211_BSS_SIGNAL_MBM]));
    heard.dbm = (mbm + (mbm < 0 ? -50 : 50)) / 100;
    return heard;
}

std::vector<int> ChannelsOf(const std::vector<NetFrequency>& frequencies, int band, bool startable)
{
    const bool band5 = band == BandA;
    std::vector<int> channels;
    for (const NetFrequency& f : frequencies) {
        const bool inBand = band5 ? f.mhz >= 4900 && f.mhz < 5900 : f.mhz >= 2400 && f.mhz < 2500;
        if (!inBand || f.disabled || (startable && (f.noInitiate || f.radar)))
            continue;
        const int channel = FrequencyToChannelNumber(f.mhz);
        if (channel > 0 && std::find(channels.begin(), channels.end(), channel) == channels.end())
            channels.push_back(channel);
    }
    std::sort(channels.begin(), channels.end());
    return channels;
}

namespace NetRadio {

std::optional<std::vector<NetFrequency>> Frequencies(const std::string& iface)
{
    const auto index = InterfaceIndex(iface);
    if (!index)
        return std::nullopt;
    std::optional<uint32_t> wiphy;
    const auto byInterface = [&](nl_msg* m) { nla_put_u32(m, NL80211_ATTR_IFINDEX, *index); };
    if (!Ask(NL80211_CMD_GET_INTERFACE, 0, byInterface, [&](nl_msg* m) { wiphy = ParseWiphyIndex(m); }) ||
        !wiphy)
        return std::nullopt;
    std::vector<NetFrequency> frequencies;
    const auto fill = [&](nl_msg* m) {
        nla_put_u32(m, NL80211_ATTR_WIPHY, *wiphy);
        nla_put_flag(m, NL80211_ATTR_SPLIT_WIPHY_DUMP);
    };
    // A split dump spreads one radio over many answers; the kernel filters by the radio index given.
    if (!Ask(NL80211_CMD_GET_WIPHY, NLM_F_DUMP, fill,
             [&](nl_msg* m) { ParseWiphyFrequencies(m, frequencies); }))
        return std::nullopt;
    return frequencies;
}

std::optional<std::string> RegDomain()
{
    std::optional<std::string> alpha2;
    if (!Ask(NL80211_CMD_GET_REG, 0, {}, [&](nl_msg* m) {
            if (!alpha2)
                alpha2 = ParseRegAlpha2(m);
        }))
        return std::nullopt;
    return alpha2;
}

std::optional<std::vector<NetMac>> Stations(const std::string& iface)
{
    std::vector<NetMac> stations;
    if (!StationDump(iface, [&](nl_msg* m) {
            if (const auto mac = ParseStationMac(m))
                stations.push_back(*mac);
        }))
        return std::nullopt;
    return stations;
}

std::optional<NetStation> Station(const std::string& iface, const NetMac& mac)
{
    NetStation station;
    if (!StationDump(iface, [&](nl_msg* m) {
            if (ParseStationMac(m) == mac)
                station = {ParseStationSignal(m), ParseStationRate(m)};
        }))
        return std::nullopt;
    return station;
}

std::optional<std::vector<NetHeard>> ScanList(const std::string& iface)
{
    const auto index = InterfaceIndex(iface);
    if (!index)
        return std::nullopt;
    std::vector<NetHeard> heard;
    const auto fill = [&](nl_msg* m) { nla_put_u32(m, NL80211_ATTR_IFINDEX, *index); };
    if (!Ask(NL80211_CMD_GET_SCAN, NLM_F_DUMP, fill, [&](nl_msg* m) {
            if (const auto entry = ParseScanEntry(m))
                heard.push_back(*entry);
        }))
        return std::nullopt;
    return heard;
}

} // namespace NetRadio
