#include "Simadapter.h"

#include "Simap.h"
#include "Simsecurity.h"
#include "adaptercore/Corechannels.h"
#include "adaptercore/Corecodes.h"
#include "adaptercore/Corepaths.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kAdHocSignal = -52;

// A name as one line of the state file.
std::string Printable(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

int BandOfDotMode(int dotMode)
{
    return dotMode == 2 ? BandA : dotMode == 1 ? BandB : BandG;
}

int DotModeOfChannel(int channel)
{
    return channel > 14 ? 2 : 3;
}

uint32_t Mix(uint64_t x)
{
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return uint32_t(x);
}

uint32_t MacSeed(const MacAddress& mac)
{
    uint64_t seed = 0;
    for (uint8_t b : mac)
        seed = seed << 8 | b;
    return Mix(seed);
}

// Transmit rate in 500 kbit/s units: the best of the band's rates that the signal carries.
uint8_t RateFor(int dotMode, int signal, int maxRate)
{
    static const int rates_b[] = {2, 4, 11, 22};
    static const int rates_ag[] = {12, 18, 24, 36, 48, 72, 96, 108};
    const bool b = dotMode == 1;
    const int* rates = b ? rates_b : rates_ag;
    const int count = b ? 4 : 8;
    const double quality = std::clamp((signal + 90) / 40.0, 0.0, 1.0);
    int index = int(std::lround(quality * (count - 1)));
    while (index > 0 && rates[index] > maxRate)
        --index;
    return uint8_t(rates[index]);
}

IpAddress SubnetAddress(const std::string& subnet, int host)
{
    IpAddress ip{};
    if (!ParseIp(subnet + ".0", ip))
        ParseIp("192.168.1.0", ip);
    ip[3] = uint8_t(host);
    return ip;
}

void CopyIp(uint8_t (&to)[TSRWL_IP_SIZE], const IpAddress& from)
{
    memcpy(to, from.data(), TSRWL_IP_SIZE);
}

IpAddress ToIp(const uint8_t (&from)[TSRWL_IP_SIZE])
{
    IpAddress ip{};
    memcpy(ip.data(), from, TSRWL_IP_SIZE);
    return ip;
}

} // namespace

CSimAdapter::CSimAdapter(std::shared_ptr<const SimScenario> scenario, std::string statePath, int64_t nowMs)
    : m_scenario(std::move(scenario)), m_store(std::move(statePath)), m_now(nowMs)
{
}

bool CSimAdapter::Plugged() const
{
    return State().plugged;
}

bool CSimAdapter::Detect(const char* hardwareId) const
{
    if (!Plugged())
        return false;
    std::string wanted = hardwareId ? std::string(hardwareId, strnlen(hardwareId, 63)) : std::string();
    std::string own = Scenario().adapter.hardwareId;
    for (std::string* text : {&wanted, &own})
        std::transform(text->begin(), text->end(), text->begin(),
                       [](unsigned char c) { return char(toupper(c)); });
    return own.find(wanted) != std::string::npos;
}

bool CSimAdapter::InRange(const SimNetwork& n, const SimState& state)
{
    const auto it = state.inRange.find(n.name);
    return it == state.inRange.end() ? n.inRange : it->second;
}

int CSimAdapter::SignalAt(const SimNetwork& n, const SimState& state, int64_t ms)
{
    const auto it = state.signal.find(n.name);
    const int base = it == state.signal.end() ? n.signal : it->second;
    const uint32_t seed = MacSeed(n.bssid);
    // A slow swing over half a minute plus a small jitter that changes every two seconds.
    const double phase = (seed % 1000) / 1000.0 * 2 * M_PI;
    const double swing = n.drift * std::sin(2 * M_PI * double(ms % 30000) / 30000.0 + phase);
    const int jitter = n.drift > 0 ? int(Mix(uint64_t(ms / 2000) ^ seed) % 3) - 1 : 0;
    return std::clamp(base + int(std::lround(swing)) + jitter, -95, -20);
}

bool CSimAdapter::Visible(const SimNetwork& n, const SimState& state) const
{
    const SimAdapter& a = Scenario().adapter;
    const int band = BandOfDotMode(n.dotMode);
    const int usable = band == BandG ? (a.bands & (BandG | BandB)) : (a.bands & band);
    if (!InRange(n, state) || usable == 0)
        return false;
    const std::vector<int> allowed = AllowedChannels(a.domain, band == BandA ? BandA : BandB, false);
    return std::find(allowed.begin(), allowed.end(), n.channel) != allowed.end();
}

uint32_t CSimAdapter::MediaState() const
{
    const auto shared = Shared();
    const SimState& state = *shared;
    return state.plugged && LinkUp(state) ? 0 : 1;
}

void CSimAdapter::StartScan() const
{
    const int scanMs = Scenario().adapter.scanMs;
    const int64_t now = m_now;
    Update([scanMs, now](SimState& s) {
        if (s.scanStartMs != 0 && s.scanStartMs + scanMs <= now)
            s.previousScanMs = s.scanStartMs + scanMs;
        s.scanStartMs = now;
        return true;
    });
}

std::vector<TSSiteEntry> CSimAdapter::ScanResults() const
{
    const auto shared = Shared();
    const SimState& state = *shared;
    const int64_t finished = state.scanStartMs + Scenario().adapter.scanMs;
    const int64_t at = state.scanStartMs != 0 && finished <= m_now ? finished : state.previousScanMs;
    std::vector<TSSiteEntry> entries;
    if (at == 0 || !state.plugged)
        return entries;
    for (const SimNetwork& n : Scenario().networks) {
        if (!Visible(n, state))
            continue;
        TSSiteEntry e{};
        e.Length = sizeof e;
        memcpy(e.Bssid, n.bssid.data(), TSRWL_MAC_SIZE);
        if (!n.hidden) {
            e.SsidLength = uint32_t(n.ssid.size());
            memcpy(e.Ssid, n.ssid.data(), n.ssid.size());
        }
        e.Security = n.security;
        e.Rssi = SignalAt(n, state, at);
        e.NetworkType = uint32_t(n.dotMode);
        e.Frequency = uint32_t(ChannelToMHz(n.channel, BandOfDotMode(n.dotMode))) * 1000;
        e.NetworkMode = n.adHoc ? 0 : 1;
        entries.push_back(e);
        if (n.reportTwice)
            entries.push_back(e);
    }
    return entries;
}

bool CSimAdapter::Apply(const SimConnectRequest& request) const
{
    bool applied = false;
    Update([&](SimState& s) {
        if (!s.plugged)
            return false;
        s.refusalCode = TSRWL_CONNECT_ERROR_NONE;
        applied = request.funcMode != 0 ? StartAccessPoint(request, s) : JoinStation(request, s);
        if (!applied) {
            s.link = SimLink{};
            if (s.refusalCode == TSRWL_CONNECT_ERROR_NONE)
                s.refusalCode = TSRWL_CONNECT_ERROR_OTHER;
        }
        s.link.failsLate = applied && s.lateFail;
        return true;
    });
    return applied;
}

bool CSimAdapter::JoinStation(const SimConnectRequest& r, SimState& s) const
{
    const std::string ssid = r.ssid;
    const bool any = ssid.empty() || ssid == "ANY";
    const bool infrastructure = r.networkMode == 1;
    std::vector<const SimNetwork*> candidates;
    for (const SimNetwork& n : Scenario().networks) {
        // "Any network" means one that announces itself and needs no secret.
        const bool named = any ? !n.hidden && SecurityNeedOf(n.security).methods[0] == 0 && r.encryption == 0
                               : n.ssid == ssid;
        if (named && n.adHoc != infrastructure && Visible(n, s))
            candidates.push_back(&n);
    }
    std::sort(candidates.begin(), candidates.end(), [&](const SimNetwork* a, const SimNetwork* b) {
        return SignalAt(*a, s, m_now) > SignalAt(*b, s, m_now);
    });
    SimLink link;
    link.kind = SimLinkKind::Station;
    link.profile = r.profileName;
    link.sinceMs = m_now;
    link.infrastructure = infrastructure;
    link.encryption = r.encryption;
    link.authMode = r.authMode;
    link.txPower = r.txPower & 3;
    s.refusal.clear();
    if (candidates.empty()) {
        s.refusal = any ? "no open network in range" : "no network named " + Printable(ssid) + " in range";
        s.refusalCode = TSRWL_CONNECT_ERROR_NOT_FOUND;
    }
    const auto joined = std::find_if(candidates.begin(), candidates.end(), [&](const SimNetwork* n) {
        const SimRefusal refusal = CheckJoin(*n, r);
        if (refusal != SimRefusal::Ok) {
            CoreLog("%s refused profile %s: %s", n->name.c_str(), r.profileName, RefusalText(refusal));
            // The strongest network's answer is the one a user would see.
            if (s.refusal.empty()) {
                s.refusal =
                    n->name + " refused profile " + Printable(r.profileName) + ": " + RefusalText(refusal);
                s.refusalCode = ConnectErrorOf(refusal, IsDot1xSecurity(r.encryption));
            }
        }
        return refusal == SimRefusal::Ok;
    });
    if (joined != candidates.end()) {
        link.network = (*joined)->name;
        link.ssid = (*joined)->ssid;
        link.bssid = (*joined)->bssid;
        link.channel = (*joined)->channel;
        link.dotMode = (*joined)->dotMode;
    } else if (!infrastructure && !any && candidates.empty()) {
        // Nobody to join: start an ad hoc cell of our own, where a cell may be started.
        const int band = r.channel > 14 ? BandA : BandB;
        const std::vector<int> allowed = AllowedChannels(Scenario().adapter.domain, band, true);
        if (std::find(allowed.begin(), allowed.end(), r.channel) == allowed.end())
            return false;
        link.ssid = ssid;
        const uint32_t seed = Mix(std::hash<std::string>{}(ssid));
        link.bssid = {0x02, uint8_t(seed >> 24), uint8_t(seed >> 16), uint8_t(seed >> 8), uint8_t(seed),
                      0x01};
        link.channel = r.channel;
        link.dotMode = DotModeOfChannel(r.channel);
    } else {
        return false;
    }
    s.link = link;
    s.ip.released = false;
    s.refusal.clear();
    return true;
}

int CSimAdapter::LastConnectError(std::string& detail) const
{
    const SimState& s = State();
    // Accepted but never up: as far as the program can tell, the network did not answer.
    if (s.link.kind == SimLinkKind::Station && s.link.failsLate &&
        m_now - s.link.sinceMs >= Scenario().adapter.connectMs) {
        detail = (s.link.network.empty() ? s.link.ssid : s.link.network) + " did not answer";
        return TSRWL_CONNECT_ERROR_TIMEOUT;
    }
    detail = s.refusal;
    return s.refusalCode;
}

bool CSimAdapter::StartAccessPoint(const SimConnectRequest& r, SimState& s) const
{
    const std::optional<SimLink> link = AccessPointLink(Scenario().adapter, r, m_now);
    if (link)
        s.link = *link;
    return link.has_value();
}

const SimNetwork* CSimAdapter::LinkedNetwork(const SimState& s) const
{
    if (s.link.kind != SimLinkKind::Station || s.link.network.empty())
        return nullptr;
    const SimNetwork* n = Scenario().FindNetwork(s.link.network);
    return n && n->bssid == s.link.bssid ? n : nullptr;
}

bool CSimAdapter::LinkUp(const SimState& s) const
{
    if (s.link.failsLate)
        return false;
    if (s.link.kind == SimLinkKind::AccessPoint)
        return true;
    if (s.link.kind != SimLinkKind::Station || m_now - s.link.sinceMs < Scenario().adapter.connectMs)
        return false;
    if (s.link.network.empty())
        return true; // a cell of our own
    const SimNetwork* n = LinkedNetwork(s);
    return n && Visible(*n, s);
}

void CSimAdapter::FillStatus(WLANStatus& status) const
{
    const auto shared = Shared();
    const SimState& s = *shared;
    status.MediaState = 1;
    if (!s.plugged || !LinkUp(s))
        return;
    const SimNetwork* n = LinkedNetwork(s);
    const int signal = n ? SignalAt(*n, s, m_now) : s.link.kind == SimLinkKind::Station ? kAdHocSignal : 0;
    memcpy(status.Bssid, s.link.bssid.data(), TSRWL_MAC_SIZE);
    status.SsidLength = uint32_t(std::min<size_t>(s.link.ssid.size(), TSRWL_SSID_MAX));
    memset(status.Ssid, 0, sizeof status.Ssid);
    memcpy(status.Ssid, s.link.ssid.data(), status.SsidLength);
    status.Rssi = signal;
    status.LinkQuality = signal != 0 ? signal - 3 : 0;
    status.NetworkType = s.link.infrastructure ? 1 : 0;
    status.Frequency = uint32_t(ChannelToMHz(s.link.channel, BandOfDotMode(s.link.dotMode))) * 1000;
    status.AuthMode = uint32_t(s.link.authMode);
    status.Encryption = uint32_t(s.link.encryption);
    status.DotMode = uint32_t(s.link.dotMode);
    status.TxRate = RateFor(s.link.dotMode, signal != 0 ? signal : -40, n ? n->maxRate : 108);
    status.TxPower = uint32_t(s.link.txPower);
    // Traffic grows with time on the link; steps make the chart look like real bursts.
    const uint64_t t = uint64_t(std::max<int64_t>(0, m_now - s.link.sinceMs - Scenario().adapter.connectMs));
    status.RxBytes = 29 * t + 1800 * (t / 900);
    status.TxBytes = 8 * t + 700 * (t / 1300);
    status.TotalReceived = status.RxBytes / 1100;
    status.TotalTransmitted = status.TxBytes / 700;
    status.MediaState = 0;
}

void CSimAdapter::FillNetworkInfo(NetworkInfo& info) const
{
    const auto shared = Shared();
    const SimState& s = *shared;
    const size_t nameLength = std::min(s.link.profile.size(), sizeof info.sz_CurProfile - 1);
    memcpy(info.sz_CurProfile, s.link.profile.data(), nameLength);
    strcpy(info.strHostName, "tsrwl-sim");
    if (s.ip.fixed) {
        info.wNetFlags = 1;
        CopyIp(info.IpAddr, s.ip.address);
        CopyIp(info.IpMask, s.ip.mask);
        CopyIp(info.IpGate1, s.ip.gateway);
        CopyIp(info.IpDNS1, s.ip.dns1);
        CopyIp(info.IpDNS2, s.ip.dns2);
        return;
    }
    if (!s.plugged || !LinkUp(s) || s.ip.released)
        return;
    const IpAddress mask = {255, 255, 255, 0};
    CopyIp(info.IpMask, mask);
    if (s.link.kind == SimLinkKind::AccessPoint) {
        CopyIp(info.IpAddr, {192, 168, 123, 1});
        return;
    }
    const SimNetwork* n = LinkedNetwork(s);
    if (!n) { // a cell of our own: a link-local address
        CopyIp(info.IpAddr, {169, 254, Scenario().adapter.mac[4], uint8_t(Scenario().adapter.mac[5] | 1)});
        CopyIp(info.IpMask, {255, 255, 0, 0});
        return;
    }
    const int host = 100 + int((uint32_t(s.ip.lease) * 37u + Scenario().adapter.mac[5]) % 150u);
    CopyIp(info.IpAddr, SubnetAddress(n->subnet, host));
    CopyIp(info.IpGate1, SubnetAddress(n->subnet, 1));
    CopyIp(info.IpDNS1, SubnetAddress(n->subnet, 1));
    CopyIp(info.IpDNS2, SubnetAddress(n->subnet, 2));
    strcpy(info.strDomain, "sim.example");
}

void CSimAdapter::SetNetworkInfo(const NetworkInfo& info) const
{
    Update([&info](SimState& s) {
        s.ip.fixed = (info.wNetFlags & 1) != 0;
        s.ip.address = ToIp(info.IpAddr);
        s.ip.mask = ToIp(info.IpMask);
        s.ip.gateway = ToIp(info.IpGate1);
        s.ip.dns1 = ToIp(info.IpDNS1);
        s.ip.dns2 = ToIp(info.IpDNS2);
        return true;
    });
}

void CSimAdapter::ReleaseAddress() const
{
    Update([](SimState& s) {
        s.ip.released = true;
        return true;
    });
}

void CSimAdapter::RenewAddress() const
{
    Update([](SimState& s) {
        s.ip.released = false;
        ++s.ip.lease;
        return true;
    });
}

std::vector<MacAddress> CSimAdapter::Stations() const
{
    const auto shared = Shared();
    const SimState& s = *shared;
    std::vector<MacAddress> stations;
    if (!s.plugged || s.link.kind != SimLinkKind::AccessPoint)
        return stations;
    for (const SimStation& st : s.stations)
        if (StationVerdict(s.link, st, m_now) == SimStationVerdict::Associated &&
            stations.size() < TSRWL_STATION_MAX)
            stations.push_back(st.mac);
    return stations;
}
