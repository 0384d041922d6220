#include "Simstate.h"

#include "adaptercore/Corecrypto.h"
#include "adaptercore/Corefilelock.h"
#include "adaptercore/Corepaths.h"

#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <unordered_map>

namespace {

std::string MacListText(const std::vector<MacAddress>& macs)
{
    std::string text;
    for (const MacAddress& m : macs)
        text += (text.empty() ? "" : ",") + MacText(m);
    return text;
}

std::vector<MacAddress> ParseMacList(const std::string& text)
{
    std::vector<MacAddress> macs;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        MacAddress m{};
        if (ParseMac(item, m))
            macs.push_back(m);
    }
    return macs;
}

std::string StationsText(const std::vector<SimStation>& stations)
{
    std::string text;
    for (const SimStation& s : stations)
        text += (text.empty() ? "" : ",") + MacText(s.mac) + "@" + std::to_string(s.joinAfter) +
                (s.wepKey.empty() ? "" : "/" + HexText(s.wepKey));
    return text;
}

std::vector<SimStation> ParseStations(const std::string& text)
{
    std::vector<SimStation> stations;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        SimStation s;
        const size_t at = item.find('@');
        if (ParseMac(item.substr(0, at), s.mac)) {
            s.joinAfter = at == std::string::npos ? 0 : atoi(item.c_str() + at + 1);
            const size_t slash = item.find('/');
            if (slash != std::string::npos)
                s.wepKey = HexBytes(item.substr(slash + 1)).value_or(Bytes{});
            stations.push_back(s);
        }
    }
    return stations;
}

int64_t ToInt(const std::string& text, int64_t fallback)
{
    char* end = nullptr;
    const long long value = strtoll(text.c_str(), &end, 10);
    return text.empty() || *end ? fallback : value;
}

// Serialisation goes through one table so that writer and reader cannot drift apart.
struct Field {
    const char* key;
    std::function<std::string(const SimState&)> get;
    std::function<void(SimState&, const std::string&)> set;
};

template <typename T> Field IntField(const char* key, T SimState::*member)
{
    return {key, [member](const SimState& s) { return std::to_string(int64_t(s.*member)); },
            [member](SimState& s, const std::string& v) { s.*member = T(ToInt(v, int64_t(s.*member))); }};
}

template <typename T> Field LinkInt(const char* key, T SimLink::*member)
{
    return {key, [member](const SimState& s) { return std::to_string(int64_t(s.link.*member)); },
            [member](SimState& s, const std::string& v) {
                s.link.*member = T(ToInt(v, int64_t(s.link.*member)));
            }};
}

Field LinkText(const char* key, std::string SimLink::*member)
{
    return {key, [member](const SimState& s) { return s.link.*member; },
            [member](SimState& s, const std::string& v) { s.link.*member = v.substr(0, 64); }};
}

Field IpField(const char* key, IpAddress SimIpConfig::*member)
{
    return {key, [member](const SimState& s) { return IpText(s.ip.*member); },
            [member](SimState& s, const std::string& v) { ParseIp(v, s.ip.*member); }};
}

const std::vector<Field>& Fields()
{
    static const std::vector<Field> fields = {
        IntField("plugged", &SimState::plugged),
        IntField("plug.count", &SimState::plugCount),
        IntField("zeroconfig", &SimState::zeroConfigRunning),
        IntField("slow.connect", &SimState::slowConnectMs),
        IntField("slow.renew", &SimState::slowRenewMs),
        IntField("slow.scan", &SimState::slowScanMs),
        IntField("fail.late", &SimState::lateFail),
        IntField("scan.start", &SimState::scanStartMs),
        IntField("scan.previous", &SimState::previousScanMs),
        {"refusal", [](const SimState& s) { return s.refusal; },
         [](SimState& s, const std::string& v) { s.refusal = v.substr(0, 300); }},
        IntField("refusal.code", &SimState::refusalCode),
        {"stations", [](const SimState& s) { return StationsText(s.stations); },
         [](SimState& s, const std::string& v) { s.stations = ParseStations(v); }},
        {"link.kind", [](const SimState& s) { return std::to_string(int(s.link.kind)); },
         [](SimState& s, const std::string& v) {
             const int64_t k = ToInt(v, 0);
             s.link.kind = k == 1   ? SimLinkKind::Station
                           : k == 2 ? SimLinkKind::AccessPoint
                                    : SimLinkKind::None;
         }},
        LinkText("link.network", &SimLink::network),
        LinkText("link.profile", &SimLink::profile),
        LinkText("link.ssid", &SimLink::ssid),
        {"link.bssid", [](const SimState& s) { return MacText(s.link.bssid); },
         [](SimState& s, const std::string& v) { ParseMac(v, s.link.bssid); }},
        LinkInt("link.since", &SimLink::sinceMs),
        LinkInt("link.channel", &SimLink::channel),
        LinkInt("link.dotmode", &SimLink::dotMode),
        LinkInt("link.infrastructure", &SimLink::infrastructure),
        LinkInt("link.encryption", &SimLink::encryption),
        LinkInt("link.auth", &SimLink::authMode),
        LinkInt("link.txpower", &SimLink::txPower),
        LinkInt("link.filtermode", &SimLink::filterMode),
        LinkInt("link.failslate", &SimLink::failsLate),
        {"link.filter", [](const SimState& s) { return MacListText(s.link.filter); },
         [](SimState& s, const std::string& v) { s.link.filter = ParseMacList(v); }},
        LinkInt("link.hidden", &SimLink::hidden),
        LinkText("link.wepkey", &SimLink::wepKey),
        LinkInt("link.wepkeyindex", &SimLink::wepKeyIndex),
        {"ip.fixed", [](const SimState& s) { return std::to_string(int(s.ip.fixed)); },
         [](SimState& s, const std::string& v) { s.ip.fixed = ToInt(v, 0) != 0; }},
        IpField("ip.address", &SimIpConfig::address),
        IpField("ip.mask", &SimIpConfig::mask),
        IpField("ip.gateway", &SimIpConfig::gateway),
        IpField("ip.dns1", &SimIpConfig::dns1),
        IpField("ip.dns2", &SimIpConfig::dns2),
        {"ip.lease", [](const SimState& s) { return std::to_string(s.ip.lease); },
         [](SimState& s, const std::string& v) { s.ip.lease = int(ToInt(v, s.ip.lease)); }},
        {"ip.released", [](const SimState& s) { return std::to_string(int(s.ip.released)); },
         [](SimState& s, const std::string& v) { s.ip.released = ToInt(v, 0) != 0; }},
    };
    return fields;
}

// The values a state takes from the scenario before the file is applied.
bool SameStart(const SimState& a, const SimState& b)
{
    return a.plugged == b.plugged && a.zeroConfigRunning == b.zeroConfigRunning && a.stations == b.stations;
}

} // namespace

int64_t NowMs()
{
    // Monotonic and the same in every process: a step of the wall clock must not freeze or end a scan, a
    // link coming up or a station joining.
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::string IpText(const IpAddress& ip)
{
    return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
           std::to_string(ip[3]);
}

bool ParseIp(const std::string& text, IpAddress& ip)
{
    unsigned a, b, c, d;
    char tail;
    if (sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 || c > 255 ||
        d > 255)
        return false;
    ip = {uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)};
    return true;
}

SimState SimState::FromScenario(const SimScenario& scenario)
{
    SimState s;
    s.plugged = scenario.adapter.plugged;
    s.zeroConfigRunning = scenario.adapter.zeroConfigRunning;
    s.stations = scenario.stations;
    return s;
}

std::string SimState::Serialize() const
{
    std::string text = "# tsrwl-sim state; change it with tsrwl-simctl\n";
    for (const Field& f : Fields())
        text += std::string(f.key) + "=" + f.get(*this) + "\n";
    for (const auto& [name, on] : inRange)
        text += "range." + name + "=" + (on ? "1" : "0") + "\n";
    for (const auto& [name, dbm] : signal)
        text += "signal." + name + "=" + std::to_string(dbm) + "\n";
    return text;
}

void SimState::Deserialize(const std::string& text)
{
    // The adapter's every call reads the state, so the fields are found by key rather than by a walk.
    static const std::unordered_map<std::string, const Field*> byKey = [] {
        std::unordered_map<std::string, const Field*> map;
        for (const Field& f : Fields())
            map.emplace(f.key, &f);
        return map;
    }();
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const size_t eq = text.find('=', start);
        if (text[start] != '#' && eq < end) {
            const std::string key = text.substr(start, eq - start);
            const std::string value = text.substr(eq + 1, end - eq - 1);
            if (key.rfind("range.", 0) == 0)
                inRange[key.substr(6)] = ToInt(value, 1) != 0;
            else if (key.rfind("signal.", 0) == 0)
                signal[key.substr(7)] = int(ToInt(value, -60));
            else if (const auto field = byKey.find(key); field != byKey.end())
                field->second->set(*this, value);
        }
        start = end + 1;
    }
}

CSimStateStore::CSimStateStore(std::string path) : m_path(std::move(path)) {}

std::shared_ptr<const SimState> CSimStateStore::Shared(const SimScenario& scenario) const
{
    const SimState start = SimState::FromScenario(scenario);
    // Every call of the adapter reads the state, which rarely changes between two calls: the file is read
    // and parsed again only when it was replaced (every write makes a new file), and the state is shared,
    // not copied.
    struct Cached {
        std::string path;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{};
        SimState start;
        std::shared_ptr<const SimState> state;
    };
    static std::mutex lock;
    static Cached cached;
    struct stat info {};
    if (stat(m_path.c_str(), &info) != 0)
        return std::make_shared<const SimState>(start);
    const std::lock_guard guard(lock);
    if (cached.state && cached.path == m_path && cached.device == info.st_dev &&
        cached.inode == info.st_ino && cached.size == info.st_size &&
        cached.modified.tv_sec == info.st_mtim.tv_sec && cached.modified.tv_nsec == info.st_mtim.tv_nsec &&
        SameStart(start, cached.start))
        return cached.state;
    std::string text;
    if (!ReadFileText(m_path, text))
        return std::make_shared<const SimState>(start);
    auto state = std::make_shared<SimState>(start);
    state->Deserialize(text);
    cached = {m_path, info.st_dev, info.st_ino, info.st_size, info.st_mtim, start, state};
    return state;
}

SimState CSimStateStore::Read(const SimScenario& scenario) const
{
    return *Shared(scenario);
}

void CSimStateStore::RemoveLeftoversOnce() const
{
    if (!FirstTimeInProcess(m_path))
        return;
    const size_t slash = m_path.rfind('/');
    const std::string name = m_path.substr(slash + 1);
    RemoveWriteLeftovers(slash == std::string::npos ? "." : m_path.substr(0, slash),
                         [&name](const std::string& file) { return file == name; });
}

bool CSimStateStore::Update(const SimScenario& scenario, const std::function<bool(SimState&)>& change) const
{
    const size_t slash = m_path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        MakePrivateDirs(m_path.substr(0, slash));
    const CCoreFileLock lock(m_path, LOCK_EX);
    if (!lock.Held()) {
        CoreLogOnce("state file " + m_path + " cannot be locked: " + strerror(errno));
        return false;
    }
    RemoveLeftoversOnce();
    SimState state = Read(scenario);
    if (!change(state))
        return true;
    if (!WriteFileAtomic(m_path, state.Serialize())) {
        CoreLogOnce("state file " + m_path + " cannot be written: " + strerror(errno));
        return false;
    }
    return true;
}
