#include "Netadapter.h"

#include "Netcerts.h"
#include "Netscanevents.h"
#include "Netsettings.h"
#include "Netwatch.h"
#include "adaptercore/Corechannels.h"
#include "adaptercore/Corecodes.h"
#include "adaptercore/Corepaths.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <pwd.h>
#include <random>
#include <sys/utsname.h>
#include <ctime>
#include <unistd.h>

// What the device announces while a scan runs: its LastScan stamps and when an access point last came.
struct ScanProgress {
    std::vector<uint64_t> stamps;
    std::chrono::steady_clock::time_point lastPoint;
};

namespace {

constexpr uint32_t kTypeWifi = 2;
constexpr uint32_t kStateDisconnected = 30, kStateActivated = 100, kStateFailed = 120;
constexpr uint32_t kModeAdhoc = 1, kModeAp = 3;
constexpr uint32_t kActiveDeactivated = 4;
// LastScan of a device that never scanned (-1).
constexpr uint64_t kNeverScanned = UINT64_MAX;
// The kernel's events are looked at this often while the bus is waited on.
constexpr auto kKernelPoll = std::chrono::milliseconds(100);
// The manager takes a scan's results from the supplicant, which has them from the kernel.
constexpr auto kResultsWait = std::chrono::seconds(5);
// The access points of a finished scan are published one by one after its stamp: the list is read once none
// came for a while.
constexpr auto kPointsQuiet = std::chrono::milliseconds(700);
constexpr auto kPointsWait = std::chrono::seconds(4);
const char kEditingProfile[] = "(EditingProfile)";

// How long a connect waits for the manager's verdict. The manager ends every attempt itself: the supplicant
// is given 25 s to associate and log in (an 802.1x login on a slow machine takes most of that), and the DHCP
// client 45 s for an address. The wait only guards against a manager that never says.
int ConnectWaitMs()
{
    const char* value = getenv("TSRWL_NET_CONNECT_WAIT_MS");
    const int ms = value ? atoi(value) : 0;
    return ms > 0 ? std::min(ms, 180000) : 90000;
}
// A scan of every channel of both bands takes a few seconds, more on a slow machine, and the manager holds a
// requested scan back while it limits their rate (8 s apart while connected); a scan never reported is given
// up.
int ScanWaitMs()
{
    const char* value = getenv("TSRWL_NET_SCAN_WAIT_MS");
    const int ms = value ? atoi(value) : 0;
    return ms > 0 ? std::min(ms, 120000) : 30000;
}
// Without a signal for this long, the activation's state is read, in case one was missed.
constexpr auto kRecheck = std::chrono::seconds(1);

NetMac MacOf(const uint8_t* bytes)
{
    NetMac mac{};
    std::copy_n(bytes, mac.size(), mac.begin());
    return mac;
}

std::string ReadSysfs(const std::string& path)
{
    std::string text;
    if (!ReadFileText(path, text))
        return {};
    while (!text.empty() && isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

std::string Hex4(std::string id)
{
    if (id.rfind("0x", 0) == 0)
        id.erase(0, 2);
    if (id.empty() || id.size() > 4 || id.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return {};
    std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return char(toupper(c)); });
    return std::string(4 - id.size(), '0') + id;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(toupper(c)); });
    return text;
}

bool ParseMac(const std::string& text, uint8_t* mac)
{
    unsigned b[6] = {};
    if (sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]) != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        mac[i] = uint8_t(b[i]);
    return true;
}

uint64_t Counter(const std::string& iface, const char* name)
{
    return strtoull(
        ReadSysfs(CNetAdapter::SysfsRoot() + "/class/net/" + iface + "/statistics/" + name).c_str(), nullptr,
        10);
}

std::string NewUuid()
{
    // One result variable: g++ 12 takes the move of a second one for an overflow (-Warray-bounds).
    std::string uuid = ReadSysfs("/proc/sys/kernel/random/uuid");
    if (uuid.size() != 36) {
        std::random_device random;
        char text[40];
        snprintf(text, sizeof text, "%08x-%04x-4%03x-a%03x-%08x%04x", random(), random() & 0xffff,
                 random() & 0xfff, random() & 0xfff, random(), random() & 0xffff);
        uuid = text;
    }
    return uuid;
}

std::string Field(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

std::string CurrentUser()
{
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return {};
    return found->pw_name;
}

bool IsAnySsid(const WLProfile& profile, const std::string& ssid)
{
    return profile.FuncMode == 0 && profile.NetworkMode == 1 && (ssid.empty() || ssid == "ANY");
}

void NoteStamp(sd_bus_message* m, ScanProgress& progress)
{
    const char* iface = nullptr;
    NetProps props;
    if (sd_bus_message_read(m, "s", &iface) < 0 || CNetBus::ReadProps(m, props) < 0)
        return;
    if (const auto stamp = props.find("LastScan"); stamp != props.end())
        progress.stamps.push_back(stamp->second.Number());
}

// The kernel's level of a network of its scan list; the manager's strength is a coarse percentage of it.
std::optional<int32_t> LevelHeard(const std::vector<NetHeard>& heard, const uint8_t* bssid)
{
    const NetMac mac = MacOf(bssid);
    const auto found =
        std::find_if(heard.begin(), heard.end(), [&mac](const NetHeard& h) { return h.bssid == mac; });
    return found == heard.end() ? std::nullopt : std::optional(found->dbm);
}

size_t Moves(uint64_t before, const std::vector<uint64_t>& stamps)
{
    size_t moves = 0;
    for (const uint64_t stamp : stamps)
        if (stamp != std::exchange(before, stamp))
            ++moves;
    return moves;
}

// How long ago the manager's scan stamp was (milliseconds of the clock that counts suspended time too).
std::string ScanAge(uint64_t stamp)
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const int64_t ms = int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    if (stamp == kNeverScanned || int64_t(stamp) > ms)
        return "none yet";
    return std::to_string((ms - int64_t(stamp)) / 1000) + " s ago";
}

void MaskOfPrefix(uint32_t prefix, uint8_t (&mask)[TSRWL_IP_SIZE])
{
    for (uint32_t i = 0; i < 4; ++i) {
        const uint32_t bits = std::min<uint32_t>(8, prefix > i * 8 ? prefix - i * 8 : 0);
        mask[i] = uint8_t(0xFF00u >> bits);
    }
}

} // namespace

std::string CNetAdapter::SysfsRoot()
{
    const char* root = getenv("TSRWL_NET_SYSFS");
    return root && *root ? root : "/sys";
}

std::string CNetAdapter::HardwareId(const std::string& iface)
{
    const std::string device = SysfsRoot() + "/class/net/" + iface + "/device";
    const std::string pciVendor = Hex4(ReadSysfs(device + "/vendor")),
                      pciDevice = Hex4(ReadSysfs(device + "/device"));
    if (!pciVendor.empty() && !pciDevice.empty())
        return "PCI\\VEN_" + pciVendor + "&DEV_" + pciDevice;
    // A USB network interface sits on an interface of the USB device, which holds the ids.
    const std::string usbVendor = Hex4(ReadSysfs(device + "/../idVendor"));
    const std::string usbProduct = Hex4(ReadSysfs(device + "/../idProduct"));
    if (!usbVendor.empty() && !usbProduct.empty())
        return "USB\\VID_" + usbVendor + "&PID_" + usbProduct;
    return {};
}

std::vector<CNetAdapter::Device> CNetAdapter::WirelessDevices()
{
    std::vector<Device> devices;
    const auto all = m_bus.Get(CNetBus::ManagerPath, CNetBus::ManagerIface, "Devices");
    const auto* paths = all ? all->As<std::vector<std::string>>() : nullptr;
    for (size_t i = 0; paths && i < paths->size(); ++i) {
        const auto props = m_bus.GetAll((*paths)[i], CNetBus::DeviceIface);
        if (!props)
            continue;
        NetProps p = *props;
        if (p["DeviceType"].Number() != kTypeWifi || p["Managed"].Number(1) == 0)
            continue;
        const auto permanent = m_bus.Get((*paths)[i], CNetBus::WirelessIface, "PermHwAddress");
        devices.push_back({(*paths)[i], p["Interface"].Text(), p["Driver"].Text(),
                           Upper(permanent ? permanent->Text() : "")});
    }
    return devices;
}

bool CNetAdapter::Detect(const std::string& wanted, std::string& description)
{
    HandBackLeftover();
    const std::string want = Upper(wanted);
    for (const Device& d : WirelessDevices()) {
        const std::string id = HardwareId(d.iface);
        if (!IsNamed(d.iface, d.permanent) ||
            (!want.empty() && Upper(id).find(want) == std::string::npos && d.iface != wanted))
            continue;
        m_device = d.path;
        m_iface = d.iface;
        m_permanent = d.permanent;
        m_description = "Wireless adapter " + d.iface + (d.driver.empty() ? "" : " (" + d.driver + ")");
        description = m_description;
        return true;
    }
    return KeptThroughSlowAnswer(wanted, description);
}

// A manager that answers late (busy, or waiting for a password prompt of another client) has not lost the
// device: the one we have stays, so that one slow answer is not taken for an unplug.
bool CNetAdapter::KeptThroughSlowAnswer(const std::string& wanted, std::string& description)
{
    if (m_device.empty() || !m_bus.LastTimedOut())
        return false;
    const std::string want = Upper(wanted);
    if (!want.empty() && Upper(HardwareId(m_iface)).find(want) == std::string::npos && m_iface != wanted)
        return false;
    CoreLog("the network manager did not answer in time; the device %s is kept", m_iface.c_str());
    description = m_description;
    return true;
}

bool CNetAdapter::IsNamed(const std::string& iface, const std::string& permanent) const
{
    return m_iface.empty() || CNetTaken::Same({m_iface, m_permanent}, iface, permanent);
}

// Before any detection the first device is named; once one is named, a device that went is gone until a
// detection finds it again.
bool CNetAdapter::Choose()
{
    std::string description;
    return Present() || (m_iface.empty() && Detect("", description));
}

bool CNetAdapter::Present()
{
    if (m_device.empty())
        return false;
    const auto type = m_bus.Get(m_device, CNetBus::DeviceIface, "DeviceType");
    if ((type && type->Number() == kTypeWifi) || (!type && m_bus.LastTimedOut()))
        return true;
    m_device.clear();
    return false;
}

uint32_t CNetAdapter::DeviceState()
{
    const auto state = m_bus.Get(m_device, CNetBus::DeviceIface, "State");
    return state ? uint32_t(state->Number()) : 0;
}

uint32_t CNetAdapter::DeviceReason()
{
    const auto reason = m_bus.Get(m_device, CNetBus::DeviceIface, "StateReason");
    const auto* pair = reason ? reason->As<std::vector<uint32_t>>() : nullptr;
    return pair && pair->size() == 2 ? (*pair)[1] : 0;
}

bool CNetAdapter::OursActive()
{
    if (m_active.empty())
        return false;
    const auto active = m_bus.Get(m_device, CNetBus::DeviceIface, "ActiveConnection");
    return active && active->Text() == m_active;
}

void CNetAdapter::ReportDown(uint32_t state)
{
    if (m_downReported || !m_applied)
        return;
    m_downReported = true;
    CoreLog("the link of profile \"%s\" is down: device state %u, reason %u",
            Field(m_applied->ProfileName, sizeof m_applied->ProfileName).c_str(), state, DeviceReason());
}

uint32_t CNetAdapter::MediaState()
{
    if (!Choose())
        return 1;
    const uint32_t state = DeviceState();
    if (state == kStateActivated) {
        m_downReported = false;
        return 0;
    }
    if (state == kStateFailed || state <= kStateDisconnected)
        ReportDown(state);
    return 1;
}

std::optional<NetProps> CNetAdapter::ActivePoint()
{
    const auto ap = m_bus.Get(m_device, CNetBus::WirelessIface, "ActiveAccessPoint");
    if (!ap || ap->Text().empty() || ap->Text() == "/")
        return std::nullopt;
    return m_bus.GetAll(ap->Text(), CNetBus::AccessPointIface);
}

bool CNetAdapter::FillStatus(WLANStatus& status)
{
    status.MediaState = 1;
    if (MediaState() != 0)
        return Present();
    auto wireless = m_bus.GetAll(m_device, CNetBus::WirelessIface).value_or(NetProps{});
    const bool ours = OursActive() && m_applied;
    const bool accessPoint = wireless["Mode"].Number() == kModeAp;
    NetBytes ssid;
    uint32_t mhz = 0, maxRate = 0;
    std::optional<NetLinkRate> rate;
    if (auto ap = ActivePoint(); ap && !accessPoint) {
        NetProps& p = *ap;
        if (const auto* bytes = p["Ssid"].As<NetBytes>())
            ssid = *bytes;
        ParseMac(p["HwAddress"].Text(), status.Bssid);
        mhz = uint32_t(p["Frequency"].Number());
        maxRate = uint32_t(p["MaxBitrate"].Number());
        const NetStation station = NetRadio::Station(m_iface, MacOf(status.Bssid)).value_or(NetStation{});
        status.Rssi = station.dbm.value_or(SignalDbmOf(uint32_t(p["Strength"].Number())));
        rate = station.rate;
        FillSecurity(status, p, ours);
    } else if (ours) { // our own cell or access point: its facts are the profile's
        const std::string name = Field(m_applied->Ssid1, sizeof m_applied->Ssid1);
        ssid.assign(name.begin(), name.end());
        ParseMac(wireless["HwAddress"].Text(), status.Bssid);
        mhz = uint32_t(ChannelToMHz(m_applied->Channel, m_applied->Channel > 14 ? BandA : BandB));
        status.Encryption = uint32_t(m_applied->EncryptionMethod);
        status.AuthMode = uint32_t(m_applied->AuthenticationMode);
    }
    status.SsidLength = uint32_t(std::min<size_t>(ssid.size(), TSRWL_SSID_MAX));
    std::copy_n(ssid.begin(), status.SsidLength, status.Ssid);
    status.LinkQuality = status.Rssi;
    status.NetworkType = wireless["Mode"].Number() == kModeAdhoc ? 0 : 1;
    status.Frequency = mhz * 1000;
    // The kernel's rates say what the link runs (802.11n, ac); the band and the fastest legacy rate only what
    // it might.
    const bool beyondLegacy = rate && rate->generation != NetGeneration::Legacy;
    status.DotMode = beyondLegacy ? uint32_t(rate->generation) : DotModeOf(mhz, maxRate);
    const uint64_t kbps = rate && rate->kbps ? rate->kbps : wireless["Bitrate"].Number();
    status.TxRate = uint8_t(std::min<uint64_t>(kbps / 500, 255));
    status.TxPower = 0; // the radio's own level (0 = the highest): the manager does not change it
    status.RxBytes = Counter(m_iface, "rx_bytes");
    status.TxBytes = Counter(m_iface, "tx_bytes");
    status.TotalReceived = Counter(m_iface, "rx_packets");
    status.TotalTransmitted = Counter(m_iface, "tx_packets");
    status.MediaState = 0;
    return true;
}

// A profile that names its network says what the link runs; without one (the manager's own connection, or a
// profile that lets the manager choose) the network's flags do.
void CNetAdapter::FillSecurity(WLANStatus& status, NetProps& point, bool ours) const
{
    if (ours && !IsAnySsid(*m_applied, Field(m_applied->Ssid1, sizeof m_applied->Ssid1))) {
        status.Encryption = uint32_t(m_applied->EncryptionMethod);
        status.AuthMode = uint32_t(m_applied->AuthenticationMode);
        return;
    }
    status.Encryption =
        EncryptionMethodOf(uint32_t(point["Flags"].Number()), uint32_t(point["WpaFlags"].Number()),
                           uint32_t(point["RsnFlags"].Number()));
    status.AuthMode = AuthModeOfMethod(status.Encryption);
}

// The kernel's own measure of the access point we are associated with; the manager's percentage is coarser.
std::optional<int32_t> CNetAdapter::LinkSignal(const uint8_t* bssid)
{
    const auto station = NetRadio::Station(m_iface, MacOf(bssid));
    return station ? station->dbm : std::nullopt;
}

bool CNetAdapter::StartScan()
{
    if (!Choose())
        return false;
    ScanProgress progress;
    const auto stamps =
        m_bus.Subscribe(CNetBus::SignalRule(CNetBus::Service, "org.freedesktop.DBus.Properties",
                                            "PropertiesChanged", m_device, CNetBus::WirelessIface),
                        [&progress](sd_bus_message* m) { NoteStamp(m, progress); });
    const auto points = m_bus.Subscribe(
        CNetBus::SignalRule(CNetBus::Service, CNetBus::WirelessIface, "AccessPointAdded", m_device),
        [&progress](sd_bus_message*) { progress.lastPoint = std::chrono::steady_clock::now(); });
    CNetScanEvents kernel;
    const bool followed = kernel.Open(m_iface);
    const auto before = m_bus.Get(m_device, CNetBus::WirelessIface, "LastScan");
    if (!m_bus.CallAsUser(m_device, CNetBus::WirelessIface, "RequestScan",
                          [](sd_bus_message* m) { return sd_bus_message_append(m, "a{sv}", 0); })) {
        CoreLog("the network manager refused the scan: %s", m_bus.LastError().c_str());
        return false;
    }
    if (!before) {
        CoreLogOnce(
            "the network manager does not say when a scan is done (no LastScan): its list is read as is");
        return true;
    }
    if (!(followed ? WaitForKernelScan(kernel, progress) : WaitForScan(before->Number(), progress))) {
        // Accepted but not done: the manager holds a requested scan back while it limits their rate, or does
        // not scan while it connects. The list of its last scan stands; that is no failure.
        CoreLog("the network manager held the scan back: the networks of its last scan (%s) are shown",
                ScanAge(before->Number()).c_str());
        return true;
    }
    WaitForPoints(progress);
    return true;
}

// The manager stamps the device with the time every scan ends; until the stamp moves, its list may be the old
// one or half of a new one. Its very first scan is stamped when it starts as well: from "never", the stamp
// moves twice.
bool CNetAdapter::WaitForScan(uint64_t before, ScanProgress& progress)
{
    using Clock = std::chrono::steady_clock;
    const size_t wanted = before == kNeverScanned ? 2 : 1;
    const auto done = [&] { return Moves(before, progress.stamps) >= wanted; };
    const auto deadline = Clock::now() + std::chrono::milliseconds(ScanWaitMs());
    while (!done() && Clock::now() < deadline) {
        if (m_bus.Wait(done, std::min(deadline, Clock::now() + kRecheck)))
            break;
        // A stamp read now and then, for a signal missed.
        const auto last = m_bus.Get(m_device, CNetBus::WirelessIface, "LastScan");
        if (last && last->Number() != (progress.stamps.empty() ? before : progress.stamps.back()))
            progress.stamps.push_back(last->Number());
    }
    if (done())
        return true;
    CoreLog("the scan was not done within %d ms", ScanWaitMs());
    return false;
}

// Only a scan that the kernel started after the request has seen every network on the air now: one already
// running is finished first, and the manager stamps its end too. Once the kernel has ended one, the manager
// takes its results in and stamps the device.
bool CNetAdapter::WaitForKernelScan(CNetScanEvents& kernel, ScanProgress& progress)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ScanWaitMs());
    const auto ended = [&kernel] {
        kernel.Take();
        return kernel.Ended();
    };
    while (!ended() && Clock::now() < deadline)
        m_bus.Wait(ended, std::min(deadline, Clock::now() + kKernelPoll));
    if (!kernel.Ended()) {
        CoreLog("the scan was not done within %d ms", ScanWaitMs());
        return false;
    }
    const auto stamped = [&] {
        return std::any_of(progress.stamps.begin(), progress.stamps.end(), [&kernel](uint64_t stamp) {
            return int64_t(stamp) >= kernel.EndedAtMs() - kKernelPoll.count() * 2;
        });
    };
    m_bus.Wait(stamped, Clock::now() + kResultsWait);
    return true;
}

void CNetAdapter::WaitForPoints(ScanProgress& progress)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + kPointsWait;
    progress.lastPoint = std::max(progress.lastPoint, Clock::now());
    for (;;) {
        const auto until = std::min(deadline, progress.lastPoint + kPointsQuiet);
        if (Clock::now() >= until || (!m_bus.Wait([] { return false; }, until) && Clock::now() < until))
            return; // quiet, or a bus that broke
    }
}

std::vector<TSSiteEntry> CNetAdapter::ScanResults()
{
    std::vector<TSSiteEntry> entries;
    if (!Choose())
        return entries;
    std::vector<std::string> points;
    m_bus.Call(m_device, CNetBus::WirelessIface, "GetAllAccessPoints", {}, [&](sd_bus_message* m) {
        char** list = nullptr;
        const int r = sd_bus_message_read_strv(m, &list);
        for (char** p = list; p && *p; ++p) {
            points.emplace_back(*p);
            free(*p);
        }
        free(list);
        return r;
    });
    const auto active = m_bus.Get(m_device, CNetBus::WirelessIface, "ActiveAccessPoint");
    const std::string activePoint = active ? active->Text() : "";
    const std::vector<NetHeard> heard = NetRadio::ScanList(m_iface).value_or(std::vector<NetHeard>{});
    for (const std::string& path : points) {
        auto props = m_bus.GetAll(path, CNetBus::AccessPointIface);
        if (!props || entries.size() >= TSRWL_SITE_ENTRY_MAX)
            continue;
        NetProps& p = *props;
        TSSiteEntry e{};
        e.Length = sizeof e;
        if (!ParseMac(p["HwAddress"].Text(), e.Bssid))
            continue;
        if (const auto* ssid = p["Ssid"].As<NetBytes>()) {
            e.SsidLength = uint32_t(std::min<size_t>(ssid->size(), TSRWL_SSID_MAX));
            std::copy_n(ssid->begin(), e.SsidLength,
                        e.Ssid); // a hidden network's name is empty, without data
        }
        e.Security = SecurityCodeOf(uint32_t(p["Flags"].Number()), uint32_t(p["WpaFlags"].Number()),
                                    uint32_t(p["RsnFlags"].Number()));
        const int32_t level =
            LevelHeard(heard, e.Bssid).value_or(SignalDbmOf(uint32_t(p["Strength"].Number())));
        e.Rssi = path == activePoint ? LinkSignal(e.Bssid).value_or(level) : level;
        const uint32_t mhz = uint32_t(p["Frequency"].Number());
        e.NetworkType = DotModeOf(mhz, uint32_t(p["MaxBitrate"].Number()));
        e.Frequency = mhz * 1000;
        e.NetworkMode = p["Mode"].Number() == kModeAdhoc ? 0 : 1;
        entries.push_back(e);
    }
    return entries;
}

// "ANY" joins no network the manager does not know: the manager picks among its own connections (a
// connection object "/"), or the link the device already has stays.
bool CNetAdapter::ConnectKnown(const WLProfile& profile)
{
    if (profile.ApplyNetwork)
        CoreLogOnce(
            "fixed IP settings of a profile without a network name are not applied: the network manager's "
            "own connection keeps its settings");
    CNetWatch watch(m_bus, m_device);
    const auto current = m_bus.Get(m_device, CNetBus::DeviceIface, "ActiveConnection");
    std::string active = current ? current->Text() : "";
    const bool linked = !active.empty() && active != "/" && DeviceState() == kStateActivated;
    const bool ok = linked || m_bus.Call(
                                  CNetBus::ManagerPath, CNetBus::ManagerIface, "ActivateConnection",
                                  [&](sd_bus_message* m) {
                                      return sd_bus_message_append(m, "ooo", "/", m_device.c_str(), "/");
                                  },
                                  [&](sd_bus_message* m) {
                                      const char* path = nullptr;
                                      const int r = sd_bus_message_read(m, "o", &path);
                                      active = path ? path : "";
                                      return r;
                                  });
    if (!ok) {
        CoreLog("no network the manager knows is in range for profile \"%s\" (%s)",
                Field(profile.ProfileName, sizeof profile.ProfileName).c_str(), m_bus.LastError().c_str());
        return false;
    }
    return Follow(profile, active, false, watch);
}

bool CNetAdapter::Activate(const NetSettings& settings, std::string& active)
{
    const auto read = [&active](sd_bus_message* m) {
        const char* connection = nullptr;
        const char* path = nullptr;
        const int r = sd_bus_message_read(m, "oo", &connection, &path);
        active = path ? path : "";
        return r;
    };
    const bool ok = m_bus.CallAsUser(
        CNetBus::ManagerPath, CNetBus::ManagerIface, "AddAndActivateConnection2",
        [&](sd_bus_message* m) {
            int r = CNetBus::WriteSettings(m, settings);
            if (r >= 0)
                r = sd_bus_message_append(m, "oo", m_device.c_str(), "/");
            // Volatile: the manager forgets the connection when it ends, so nothing of ours stays behind.
            return r < 0 ? r : sd_bus_message_append(m, "a{sv}", 1, "persist", "s", "volatile");
        },
        read);
    if (ok || m_bus.LastError() != "org.freedesktop.DBus.Error.UnknownMethod")
        return ok;
    CoreLogOnce("the network manager is older than 1.16: connections are added as kept ones");
    return m_bus.CallAsUser(
        CNetBus::ManagerPath, CNetBus::ManagerIface, "AddAndActivateConnection",
        [&](sd_bus_message* m) {
            const int r = CNetBus::WriteSettings(m, settings);
            return r < 0 ? r : sd_bus_message_append(m, "oo", m_device.c_str(), "/");
        },
        read);
}

bool CNetAdapter::Fail(int32_t code, const std::string& detail)
{
    m_lastError = {code, detail};
    return false;
}

// The activation's own state, read: for a signal the watch missed, or a bus that sends none.
void CNetAdapter::ReadOutcome(CNetWatch& watch)
{
    const auto state = m_bus.Get(m_active, CNetBus::ActiveIface, "State");
    // The manager drops the object of a failed activation soon after it failed.
    watch.NoteActiveState(state ? uint32_t(state->Number()) : kActiveDeactivated, 0);
}

bool CNetAdapter::WaitForOutcome(CNetWatch& watch, bool enterprise)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ConnectWaitMs());
    const auto ended = [&watch] { return watch.Result() != CNetWatch::Outcome::Running; };
    if (!watch.Listening())
        CoreLogOnce("the network manager's signals cannot be followed: a connect reads the state instead");
    ReadOutcome(watch); // it may be over already: a link that was up, or a refusal at once
    while (!ended() && Clock::now() < deadline)
        if (!m_bus.Wait(ended, std::min(deadline, Clock::now() + kRecheck)) && !ended())
            ReadOutcome(watch);
    m_bus.Wait([] { return true; }, Clock::now()); // what came with the last read
    if (watch.Result() == CNetWatch::Outcome::Activated)
        return true;
    if (watch.Result() == CNetWatch::Outcome::Failed) {
        ReportDown(DeviceState());
        m_lastError = ConnectErrorOfReason(watch.FailReason(), enterprise, watch.ServerUntrusted());
        CoreLog("the connection was not made: %s", m_lastError.detail.c_str());
        return false;
    }
    CoreLog("the connection was not made within %d ms (no address yet?); it is not reported as made",
            ConnectWaitMs());
    return Fail(TSRWL_CONNECT_ERROR_TIMEOUT,
                "the connection was not made within " + std::to_string(ConnectWaitMs()) + " ms");
}

const NetworkInfo* CNetAdapter::FixedIpOf(const WLProfile& profile) const
{
    if (profile.ApplyNetwork)
        return &profile.NetInfo;
    const auto kept = m_ipOf.find(Field(profile.ProfileName, sizeof profile.ProfileName));
    return kept == m_ipOf.end() ? nullptr : &kept->second;
}

bool CNetAdapter::SetNetworkInfo(const NetworkInfo& info)
{
    const std::string name = Field(info.sz_CurProfile, sizeof info.sz_CurProfile);
    if (name.empty() || name == kEditingProfile) {
        CoreLog("IP settings that name no saved profile are not kept (\"%s\")", name.c_str());
        return false;
    }
    m_ipOf[name] = info;
    return true;
}

bool CNetAdapter::Connect(const WLProfile& profile)
{
    m_lastError = {};
    if (!Choose())
        return Fail(TSRWL_CONNECT_ERROR_OTHER, "the adapter is not there");
    for (const std::string& name : UnappliedSettings(profile))
        CoreLogOnce(name +
                    " is not supported on this system's network manager: the profile's value is not applied");
    const std::string ssid = Field(profile.Ssid1, sizeof profile.Ssid1);
    if (IsAnySsid(profile, ssid))
        return ConnectKnown(profile);
    NetConnectPlace place;
    place.iface = m_iface;
    place.uuid = NewUuid();
    place.user = CurrentUser();
    place.ssid.assign(ssid.begin(), ssid.end());
    if (profile.FuncMode == 0 && profile.NetworkMode == 1) {
        const std::vector<TSSiteEntry> seen = ScanResults();
        place.hidden = std::none_of(seen.begin(), seen.end(), [&](const TSSiteEntry& e) {
            return std::string(reinterpret_cast<const char*>(e.Ssid), e.SsidLength) == ssid;
        });
    }
    if (IsDot1xSecurity(profile.EncryptionMethod)) {
        place.caCertFile = FindCertificateFile(AuthorityCertDir(), Field(profile.sCertAuthority, 260),
                                               Field(profile.sCertAuthority_Issuer, 260));
        place.clientCertFile = FindCertificateFile(UserCertDir(), Field(profile.sCertificate, 260),
                                                   Field(profile.sCertificate_Issuer, 260));
        if (!place.clientCertFile.empty())
            place.privateKeyFile = PrivateKeyFile(place.clientCertFile);
    }
    place.ip = FixedIpOf(profile);
    NetSettings settings;
    std::string refusal;
    if (!BuildConnection(profile, place, settings, refusal)) {
        CoreLog("profile \"%s\" is not applied: %s", Field(profile.ProfileName, 65).c_str(), refusal.c_str());
        return Fail(TSRWL_CONNECT_ERROR_OTHER, refusal);
    }
    std::string active;
    CNetWatch watch(m_bus, m_device); // before the request: its first signals may come before the answer
    if (!Activate(settings, active))
        return Fail(m_bus.LastTimedOut() ? TSRWL_CONNECT_ERROR_TIMEOUT : TSRWL_CONNECT_ERROR_OTHER,
                    "the network manager did not take the connection: " + m_bus.LastError());
    return Follow(profile, active, true, watch);
}

bool CNetAdapter::Follow(const WLProfile& profile, const std::string& active, bool added, CNetWatch& watch)
{
    m_applied = profile;
    m_active = active;
    m_activeAdded = added;
    m_downReported = false;
    watch.Follow(active);
    return WaitForOutcome(watch, IsDot1xSecurity(profile.EncryptionMethod));
}

bool CNetAdapter::Disconnect()
{
    if (!Choose())
        return false;
    // A device without a link is what was asked for: the manager's "not active" is no failure.
    return m_bus.CallAsUser(m_device, CNetBus::DeviceIface, "Disconnect") ||
           m_bus.LastError() == "org.freedesktop.NetworkManager.Device.NotActive";
}

bool CNetAdapter::FillNetworkInfo(NetworkInfo& info)
{
    if (!Choose())
        return false;
    gethostname(info.strHostName, sizeof info.strHostName - 1);
    const bool ours = OursActive() && m_applied;
    if (ours) {
        const std::string name = Field(m_applied->ProfileName, sizeof m_applied->ProfileName);
        memcpy(info.sz_CurProfile, name.data(), std::min(name.size(), sizeof info.sz_CurProfile - 1));
        const NetworkInfo* fixed = FixedIpOf(*m_applied);
        info.wNetFlags = fixed ? uint16_t(fixed->wNetFlags & 1) : 0;
    }
    const auto config = m_bus.Get(m_device, CNetBus::DeviceIface, "Ip4Config");
    if (!config || config->Text().empty() || config->Text() == "/" || MediaState() != 0)
        return true;
    NetProps p = m_bus.GetAll(config->Text(), CNetBus::Ip4Iface).value_or(NetProps{});
    if (const auto* addresses = p["AddressData"].As<NetAddressList>(); addresses && !addresses->empty()) {
        IpBytes(addresses->front().first, info.IpAddr);
        MaskOfPrefix(addresses->front().second, info.IpMask);
    }
    IpBytes(p["Gateway"].Text(), info.IpGate1);
    if (const auto* servers = p["NameserverData"].As<NetAddressList>()) {
        if (!servers->empty())
            IpBytes((*servers)[0].first, info.IpDNS1);
        if (servers->size() > 1)
            IpBytes((*servers)[1].first, info.IpDNS2);
    } else if (const auto* raw = p["Nameservers"].As<std::vector<uint32_t>>()) {
        if (!raw->empty())
            memcpy(info.IpDNS1, &(*raw)[0], 4);
        if (raw->size() > 1)
            memcpy(info.IpDNS2, &(*raw)[1], 4);
    }
    const auto* domains = p["Domains"].As<std::vector<std::string>>();
    if (domains && !domains->empty())
        memcpy(info.strDomain, domains->front().data(),
               std::min(domains->front().size(), sizeof info.strDomain - 1));
    return true;
}

bool CNetAdapter::HandOver(bool toManager)
{
    if (!Choose() || !(toManager ? HandBack() : TakeAutoconnect()))
        return false;
    const auto active = m_bus.Get(m_device, CNetBus::DeviceIface, "ActiveConnection");
    const std::string current = active ? active->Text() : "";
    const bool connected = !current.empty() && current != "/";
    if (toManager && connected && current == m_active) {
        // Our connection goes, so that the manager picks one of its own; one of the manager's own stays.
        if (m_activeAdded)
            m_bus.CallAsUser(
                CNetBus::ManagerPath, CNetBus::ManagerIface, "DeactivateConnection",
                [&](sd_bus_message* m) { return sd_bus_message_append(m, "o", current.c_str()); });
        m_applied.reset();
        m_active.clear();
    }
    // Taking the device leaves the manager's connection up until the program connects with something, which
    // replaces it. Ending it here was a request of the user's in the manager's eyes: it blocked that
    // connection's autoconnect, so after the hand-back the manager never brought it back.
    return true;
}

bool CNetAdapter::TakeAutoconnect()
{
    if (!m_taken.Find(m_iface, m_permanent)) {
        const auto autoconnect = m_bus.Get(m_device, CNetBus::DeviceIface, "Autoconnect", true);
        if (!autoconnect)
            return false;
        m_holding = true;
        // Off already: the user's own setting, or the manager's block after a disconnect of the user's, which
        // its next activation lifts. Writing "off" would turn that block into the user's setting, which
        // nothing lifts; there is nothing to change and nothing to give back.
        if (autoconnect->Number() == 0)
            return true;
        // On disk before it changes: a program killed while it holds the device has it given back at the next
        // start.
        m_taken.Add({m_iface, m_permanent});
    }
    m_holding = true;
    return m_bus.SetBool(m_device, CNetBus::DeviceIface, "Autoconnect", false);
}

// Found by permanent address: the device may have been plugged in again (a new object, perhaps a new
// interface name) since it was taken.
const CNetAdapter::Device* CNetAdapter::GiveBack(const CNetTaken::Device& taken,
                                                 const std::vector<Device>& devices)
{
    const auto device = std::find_if(devices.begin(), devices.end(), [&](const Device& d) {
        return CNetTaken::Same(taken, d.iface, d.permanent);
    });
    if (device == devices.end() || !m_bus.SetBool(device->path, CNetBus::DeviceIface, "Autoconnect", true))
        return nullptr;
    m_taken.Remove(taken);
    return &*device;
}

bool CNetAdapter::HandBack()
{
    if (!m_taken.Devices().empty()) {
        const std::vector<Device> devices = WirelessDevices();
        const std::vector<CNetTaken::Device> records = m_taken.Devices(); // a record given back goes
        for (const CNetTaken::Device& taken : records)
            GiveBack(taken, devices);
    }
    m_holding = m_holding && m_taken.Find(m_iface, m_permanent);
    return !m_taken.Find(m_iface, m_permanent);
}

// The records of a program that ended holding devices: each is given back when its device is there, at this
// or a later detection (the named device's only while this program does not hold it).
void CNetAdapter::HandBackLeftover()
{
    m_taken.ReadLeftover();
    if (m_taken.Devices().empty())
        return;
    const std::vector<Device> devices = WirelessDevices();
    const std::vector<CNetTaken::Device> records = m_taken.Devices();
    for (const CNetTaken::Device& taken : records)
        if (const Device* device =
                m_holding && IsNamed(taken.iface, taken.permanent) ? nullptr : GiveBack(taken, devices))
            CoreLog("the autoconnect of %s is switched on again: the program that had taken the device ended "
                    "without giving it back",
                    device->iface.c_str());
}

bool CNetAdapter::HandedOver()
{
    return Choose() && !m_holding;
}

std::optional<NetMac> CNetAdapter::Mac()
{
    if (!Choose())
        return std::nullopt;
    const auto address = m_bus.Get(m_device, CNetBus::WirelessIface, "HwAddress");
    NetMac mac{};
    if (!address || !ParseMac(address->Text(), mac.data()))
        return std::nullopt;
    return mac;
}

std::vector<NetMac> CNetAdapter::Stations()
{
    if (!Choose() || !m_applied || m_applied->FuncMode == 0 || !OursActive())
        return {};
    return NetRadio::Stations(m_iface).value_or(std::vector<NetMac>{});
}

std::string CNetAdapter::DriverFile()
{
    if (!Choose())
        return {};
    char module[4096] = {};
    const std::string link = SysfsRoot() + "/class/net/" + m_iface + "/device/driver/module";
    const ssize_t n = readlink(link.c_str(), module, sizeof module - 1);
    if (n <= 0)
        return {};
    std::string name = module;
    name = name.substr(name.rfind('/') + 1);
    utsname system{};
    uname(&system);
    const std::string base = std::string("/lib/modules/") + system.release + "/";
    std::string dependencies;
    ReadFileText(base + "modules.dep", dependencies);
    // Module names treat '-' and '_' alike; file names keep either.
    std::replace(name.begin(), name.end(), '-', '_');
    for (size_t start = 0; start < dependencies.size();) {
        const size_t end = std::min(dependencies.find('\n', start), dependencies.size());
        const std::string line = dependencies.substr(start, end - start);
        start = end + 1;
        std::string file = line.substr(0, line.find(':'));
        std::string stem = file.substr(file.rfind('/') + 1);
        stem = stem.substr(0, stem.find(".ko"));
        std::replace(stem.begin(), stem.end(), '-', '_');
        if (stem == name)
            return base + file;
    }
    return {};
}
