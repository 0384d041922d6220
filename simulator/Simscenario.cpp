#include "Simscenario.h"

#include "Simpaths.h"
#include "adaptercore/Corechannels.h"
#include "adaptercore/Corecrypto.h"
#include "adaptercore/Corepaths.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> SplitList(const std::string& text, char separator)
{
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, separator);)
        if (!Trim(item).empty())
            items.push_back(Trim(item));
    return items;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return strncasecmp(text.c_str(), prefix, strlen(prefix)) == 0;
}

// Reads the keys of one section with the problems collected under the section's name.
class SectionReader {
public:
    SectionReader(const CSimpleIniA& ini, const char* section, std::vector<std::string>& problems)
        : m_ini(ini), m_section(section), m_problems(problems)
    {
    }

    bool Has(const char* key) const { return m_ini.GetValue(m_section, key) != nullptr; }
    std::string Text(const char* key, const std::string& fallback) const
    {
        const char* value = m_ini.GetValue(m_section, key);
        return value ? Trim(value) : fallback;
    }
    int Int(const char* key, int fallback, int low, int high) const
    {
        if (!Has(key))
            return fallback;
        const std::string text = Text(key, "");
        char* end = nullptr;
        const long value = strtol(text.c_str(), &end, 0);
        if (text.empty() || *end != '\0' || value < low || value > high) {
            Problem(key, text);
            return fallback;
        }
        return int(value);
    }
    bool Bool(const char* key, bool fallback) const { return Int(key, fallback ? 1 : 0, 0, 1) != 0; }
    void Mac(const char* key, MacAddress& mac) const
    {
        if (Has(key) && !ParseMac(Text(key, ""), mac))
            Problem(key, Text(key, ""));
    }
    void Problem(const char* key, const std::string& value) const
    {
        m_problems.push_back(std::string("[") + m_section + "] " + key + "=" + value + ": value not usable");
    }
    const char* Name() const { return m_section; }

private:
    const CSimpleIniA& m_ini;
    const char* m_section;
    std::vector<std::string>& m_problems;
};

int BandBits(const std::string& letters)
{
    int bits = 0;
    for (char c : letters) {
        const char l = char(tolower(static_cast<unsigned char>(c)));
        bits |= l == 'b' ? BandB : l == 'a' ? BandA : l == 'g' ? BandG : 0;
    }
    return bits;
}

void ReadAdapter(const SectionReader& r, SimAdapter& a)
{
    a.hardwareId = r.Text("HardwareId", a.hardwareId).substr(0, 63);
    a.description = r.Text("Description", a.description).substr(0, 127);
    r.Mac("MAC", a.mac);
    a.domain = r.Text("Domain", a.domain).substr(0, 63);
    a.driverFile = r.Text("DriverFile", a.driverFile).substr(0, 255);
    if (r.Has("Modes")) {
        const int bits = BandBits(r.Text("Modes", ""));
        if (bits != 0)
            a.bands = bits;
        else
            r.Problem("Modes", r.Text("Modes", ""));
    }
    a.softAP = r.Bool("SoftAP", a.softAP);
    a.plugged = r.Bool("Plugged", a.plugged);
    a.zeroConfigRunning = r.Bool("ZeroConfigService", a.zeroConfigRunning);
    a.scanMs = r.Int("ScanTime", a.scanMs, 0, 60000);
    a.connectMs = r.Int("ConnectTime", a.connectMs, 0, 60000);
}

void ReadSecrets(const SectionReader& r, SimNetwork& n)
{
    n.passphrase = r.Text("PassPhrase", "");
    if (r.Has("WEPKey")) {
        const auto key = ParseNetworkWepKey(r.Text("WEPKey", ""));
        if (key)
            n.wepKey = *key;
        else
            r.Problem("WEPKey", r.Text("WEPKey", ""));
    }
    if (r.Has("WEPKeyIndex"))
        n.wepKeyIndex = r.Int("WEPKeyIndex", 1, 1, 4) - 1;
    if (r.Has("WEPAuth")) {
        const auto auth = ParseWepAuth(r.Text("WEPAuth", ""));
        if (auth)
            n.wepAuth = *auth;
        else
            r.Problem("WEPAuth", r.Text("WEPAuth", ""));
    }
    std::string badMethod;
    if (!ParseEapMethods(r.Text("EAP", ""), n.eapMethods, badMethod))
        r.Problem("EAP", badMethod);
    n.serverAuthority = r.Text("ServerCA", "");
    for (const std::string& pair : SplitList(r.Text("Accounts", ""), ',')) {
        const size_t colon = pair.find(':');
        if (colon == std::string::npos || colon == 0)
            r.Problem("Accounts", pair);
        else
            n.accounts.push_back({pair.substr(0, colon), pair.substr(colon + 1)});
    }
    n.userCertificate = r.Text("Certificate", "");
}

bool ReadNetwork(const SectionReader& r, SimNetwork& n)
{
    n.name = r.Name() + strlen("Network.");
    n.ssid = r.Text("SSID", "");
    if (n.ssid.size() > 32) {
        r.Problem("SSID", n.ssid);
        n.ssid.resize(32);
    }
    if (!r.Has("BSSID") || !ParseMac(r.Text("BSSID", ""), n.bssid) || IsZeroMac(n.bssid)) {
        r.Problem("BSSID", r.Text("BSSID", ""));
        return false;
    }
    const std::string band = r.Text("Band", "g");
    n.dotMode = band == "b" || band == "B" ? 1 : band == "a" || band == "A" ? 2 : 3;
    n.channel = r.Int("Channel", n.dotMode == 2 ? 36 : 6, 1, 196);
    if (ChannelToMHz(n.channel, n.dotMode == 2 ? BandA : BandG) == 0) {
        r.Problem("Channel", std::to_string(n.channel));
        return false;
    }
    n.security = uint32_t(r.Int("Security", 0, 0, 9999));
    n.adHoc = StartsWith(r.Text("Mode", "infrastructure"), "adhoc");
    n.hidden = r.Bool("Hidden", false);
    n.reportTwice = r.Bool("ReportTwice", false);
    n.inRange = r.Bool("InRange", true);
    n.signal = r.Int("Signal", n.signal, -100, -10);
    n.drift = r.Int("Drift", n.drift, 0, 30);
    n.subnet = r.Text("Subnet", n.subnet);
    n.maxRate = r.Int("MaxRate", n.dotMode == 1 ? 22 : 108, 2, 108);
    ReadSecrets(r, n);
    return true;
}

void ReadStations(const SectionReader& r, std::vector<SimStation>& stations)
{
    for (const std::string& item : SplitList(r.Text("Stations", ""), ',')) {
        SimStation s;
        const size_t at = item.find('@');
        if (!ParseMac(Trim(item.substr(0, at)), s.mac) || IsZeroMac(s.mac)) {
            r.Problem("Stations", item);
            continue;
        }
        if (at != std::string::npos)
            s.joinAfter = std::clamp(atoi(item.c_str() + at + 1), 0, 3600);
        stations.push_back(s);
    }
}

struct CacheKey {
    std::string path;
    int64_t mtimeNs = 0;
    off_t size = -1;
    bool operator==(const CacheKey&) const = default;
};

std::shared_ptr<const SimScenario> LoadScenario(const CacheKey& key)
{
    auto scenario = std::make_shared<SimScenario>();
    std::vector<std::string> problems;
    std::string text;
    if (!ReadFileText(key.path, text)) {
        CoreLog("scenario %s cannot be read; using the built-in scenario", key.path.c_str());
    } else if (!ParseScenario(text, *scenario, problems)) {
        CoreLog("scenario %s is malformed; using the built-in scenario", key.path.c_str());
        scenario = std::make_shared<SimScenario>();
        problems.clear();
    } else {
        scenario->source = key.path;
    }
    for (const std::string& p : problems)
        CoreLog("scenario %s: %s", key.path.c_str(), p.c_str());
    if (scenario->source.empty()) {
        std::vector<std::string> ignored;
        ParseScenario(BuiltInScenarioText(), *scenario, ignored);
        scenario->source = "built-in";
    }
    return scenario;
}

} // namespace

bool ParseMac(const std::string& text, MacAddress& mac)
{
    std::string digits;
    for (char c : text)
        if (c != ':' && c != '-')
            digits += c;
    const auto bytes = HexBytes(digits);
    if (!bytes || bytes->size() != 6)
        return false;
    std::copy(bytes->begin(), bytes->end(), mac.begin());
    return true;
}

std::string MacText(const MacAddress& mac)
{
    char text[18];
    snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
             mac[5]);
    return text;
}

bool IsZeroMac(const MacAddress& mac)
{
    return std::all_of(mac.begin(), mac.end(), [](uint8_t b) { return b == 0; });
}

const SimNetwork* SimScenario::FindNetwork(const std::string& nameOrBssid) const
{
    MacAddress mac{};
    const bool isMac = ParseMac(nameOrBssid, mac);
    for (const SimNetwork& n : networks)
        if ((isMac && n.bssid == mac) || strcasecmp(n.name.c_str(), nameOrBssid.c_str()) == 0)
            return &n;
    return nullptr;
}

bool ParseScenario(const std::string& text, SimScenario& scenario, std::vector<std::string>& problems)
{
    // Binary junk is no scenario even if a few of its lines happen to look like keys.
    if (text.find('\0') != std::string::npos)
        return false;
    CSimpleIniA ini(false, false, false);
    if (ini.LoadData(text) < 0)
        return false;
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    bool hasAdapter = false;
    for (const auto& section : sections) {
        const SectionReader r(ini, section.pItem, problems);
        if (strcasecmp(section.pItem, "Adapter") == 0) {
            hasAdapter = true;
            ReadAdapter(r, scenario.adapter);
        } else if (StartsWith(section.pItem, "Network.")) {
            SimNetwork n;
            if (ReadNetwork(r, n))
                scenario.networks.push_back(n);
        } else if (StartsWith(section.pItem, "Certificate.")) {
            const std::string kind = r.Text("Kind", "user");
            scenario.certificates.push_back({StartsWith(kind, "auth") ? 3 : 1,
                                             r.Text("Name", "").substr(0, 255),
                                             r.Text("Issuer", "").substr(0, 255)});
        } else if (strcasecmp(section.pItem, "SoftAP") == 0) {
            ReadStations(r, scenario.stations);
        } else {
            problems.push_back(std::string("[") + section.pItem + "]: unknown section");
        }
    }
    return hasAdapter || !scenario.networks.empty();
}

std::shared_ptr<const SimScenario> CurrentScenario()
{
    static std::mutex lock;
    static CacheKey cachedKey;
    static std::shared_ptr<const SimScenario> cached;
    CacheKey key{ScenarioPath()};
    struct stat st {};
    if (stat(key.path.c_str(), &st) == 0) {
        key.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        key.size = st.st_size;
    }
    const std::lock_guard guard(lock);
    if (!cached || !(key == cachedKey)) {
        cached = LoadScenario(key);
        cachedKey = key;
    }
    return cached;
}
