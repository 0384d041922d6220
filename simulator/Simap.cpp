#include "Simap.h"

#include "Simcredentials.h"
#include "adaptercore/Corechannels.h"
#include "adaptercore/Corecrypto.h"

#include <algorithm>
#include <cstring>

namespace {

enum FilterMode { FilterOff = 0, FilterAccept = 1, FilterReject = 2 };
constexpr int kWep = 1;

int DotModeOfChannel(int channel)
{
    return channel > 14 ? 2 : 3;
}

// The band an access point on `channel` uses; channel 0 (automatic) prefers 2.4 GHz when the adapter has it.
int BandOfRequest(const SimAdapter& adapter, int channel)
{
    if (channel > 14 || (channel == 0 && (adapter.bands & (BandB | BandG)) == 0))
        return BandA;
    return BandB;
}

} // namespace

std::optional<SimLink> AccessPointLink(const SimAdapter& adapter, const SimConnectRequest& r, int64_t nowMs)
{
    const int band = BandOfRequest(adapter, r.channel);
    const int bands = band == BandA ? BandA : BandB | BandG;
    const std::vector<int> allowed = AllowedChannels(adapter.domain, band, true);
    const int channel = r.channel == 0 && !allowed.empty() ? allowed.front() : r.channel;
    if (!adapter.softAP || r.ssid[0] == '\0' || (adapter.bands & bands) == 0 ||
        std::find(allowed.begin(), allowed.end(), channel) == allowed.end())
        return std::nullopt;
    SimLink link;
    if (r.encryption == kWep) {
        const auto key = r.defaultKey >= 0 && r.defaultKey < 4
                             ? ProfileWepKey(r.wepKey[r.defaultKey], r.wepFormat)
                             : std::nullopt;
        if (!key)
            return std::nullopt;
        link.wepKey = HexText(*key);
        link.wepKeyIndex = r.defaultKey;
    }
    link.kind = SimLinkKind::AccessPoint;
    link.profile = r.profileName;
    link.ssid = r.ssid;
    link.bssid = adapter.mac;
    link.sinceMs = nowMs;
    link.channel = channel;
    link.dotMode = DotModeOfChannel(channel);
    link.encryption = r.encryption;
    link.authMode = r.authMode;
    link.txPower = r.txPower & 3;
    link.hidden = r.apHideSsid == 1;
    link.filterMode = r.apFilterMode;
    for (const auto& entry : r.apFilter) {
        MacAddress mac{};
        memcpy(mac.data(), entry, TSRWL_MAC_SIZE);
        if (!IsZeroMac(mac))
            link.filter.push_back(mac);
    }
    return link;
}

SimStationVerdict StationVerdict(const SimLink& link, const SimStation& station, int64_t nowMs)
{
    const bool listed = std::find(link.filter.begin(), link.filter.end(), station.mac) != link.filter.end();
    if (link.filterMode == FilterAccept && !listed)
        return SimStationVerdict::NotAccepted;
    if (link.filterMode == FilterReject && listed)
        return SimStationVerdict::Rejected;
    if (link.encryption == kWep && HexText(station.wepKey) != link.wepKey)
        return SimStationVerdict::WrongKey;
    if (nowMs - link.sinceMs < int64_t(station.joinAfter) * 1000)
        return SimStationVerdict::Waiting;
    return SimStationVerdict::Associated;
}

const char* VerdictText(SimStationVerdict verdict)
{
    switch (verdict) {
    case SimStationVerdict::Associated:
        return "associated";
    case SimStationVerdict::Waiting:
        return "waiting to join";
    case SimStationVerdict::NotAccepted:
        return "refused: not on the accept list";
    case SimStationVerdict::Rejected:
        return "refused: on the reject list";
    case SimStationVerdict::WrongKey:
        return "refused: WEP key does not match";
    }
    return "";
}

std::string AccessPointText(const SimLink& link)
{
    std::string text = std::string(link.hidden ? "hidden SSID" : "SSID broadcast") + ", power level " +
                       std::to_string(link.txPower);
    if (link.encryption == kWep)
        text += ", WEP " + std::to_string(link.wepKey.size() * 4 + 24) + " bit, transmit key " +
                std::to_string(link.wepKeyIndex + 1) +
                (link.authMode == 1 ? ", shared key" : ", open system");
    else
        text += ", no encryption";
    const char* modes[] = {"filter off", "filter accepts only", "filter rejects"};
    text += std::string(", ") + modes[std::clamp(link.filterMode, 0, 2)];
    for (const MacAddress& mac : link.filter)
        if (link.filterMode != FilterOff)
            text += " " + MacText(mac);
    return text;
}
