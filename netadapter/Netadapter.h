#pragma once

#include "Netbus.h"
#include "Netradio.h"
#include "Netreason.h"
#include "Nettaken.h"
#include "adaptercore/tsrwl.h"

class CNetScanEvents;
class CNetWatch;
struct ScanProgress;

#include <map>
#include <optional>
#include <string>
#include <vector>

// The wireless device the library works on, seen through the network manager: which device it is, its link
// status and scan results, connecting it with a profile, its IP settings, and handing it to the manager.
// The first detection names the device (interface and permanent address); from then on it is the only one the
// library touches: when it goes, every call fails as for an unplugged adapter until a detection finds that
// device again, and no other card is taken in its place.
// Taking the device from the manager switches its autoconnect off where it was on, with a record (in memory
// and in `handBackFile`, per device) so that handing back, the end of the library or, after a crash, the next
// detection switches it on again; where it was off, it is left alone and nothing is given back.

class CNetAdapter {
public:
    explicit CNetAdapter(CNetBus& bus, std::string handBackFile = {})
        : m_bus(bus), m_taken(std::move(handBackFile))
    {
    }

    // Looks for a managed wireless device whose hardware id contains `wanted` (any device when it is empty,
    // or the interface named so); it becomes the library's device.
    bool Detect(const std::string& wanted, std::string& description);
    // The library's device, if it is still there.
    bool Present();
    const std::string& Interface() const { return m_iface; }
    // The manager's object of the device: a new one for every time the adapter is plugged in.
    const std::string& DevicePath() const { return m_device; }

    uint32_t MediaState();
    bool FillStatus(WLANStatus& status);
    // Asks for a scan and waits (bounded) until the device reports it done; false when it was refused or did
    // not end in time.
    bool StartScan();
    std::vector<TSSiteEntry> ScanResults();
    // Starts a volatile connection with the profile and waits (bounded) until the device accepted it or
    // failed.
    bool Connect(const WLProfile& profile);
    bool Disconnect();
    bool FillNetworkInfo(NetworkInfo& info);
    // IP settings for the profile the record names; they go with that profile's connects only. False for a
    // record that names no profile.
    bool SetNetworkInfo(const NetworkInfo& info);
    // The profile was stored anew (or removed): what it carries now is what counts.
    void ForgetNetworkInfo(const std::string& profileName) { m_ipOf.erase(profileName); }
    // Why the last connect failed; code 0 after a success.
    const NetConnectError& LastConnectError() const { return m_lastError; }
    // true: let the manager connect the device on its own; false: take it back.
    bool HandOver(bool toManager);
    // Whether the manager has the device, that is, the library has not taken it.
    bool HandedOver();
    // Switches the autoconnect the library switched off on again, on every such device that is there; false
    // when the named device's could not be (its record stays for a later try). Records of absent devices
    // wait for them.
    bool HandBack();
    std::optional<NetMac> Mac();
    std::vector<NetMac> Stations();
    std::string DriverFile();

    // Where the device's hardware ids, byte counters and driver are read (TSRWL_NET_SYSFS, default /sys).
    static std::string SysfsRoot();
    // "USB\VID_xxxx&PID_yyyy" or "PCI\VEN_xxxx&DEV_yyyy" of a network interface; empty when unknown.
    static std::string HardwareId(const std::string& iface);

private:
    struct Device {
        std::string path, iface, driver, permanent;
    };
    // Whether a device is the named one (any device while none is named).
    bool IsNamed(const std::string& iface, const std::string& permanent) const;
    std::vector<Device> WirelessDevices();
    bool Choose();
    bool KeptThroughSlowAnswer(const std::string& wanted, std::string& description);
    uint32_t DeviceState();
    uint32_t DeviceReason();
    bool OursActive();
    std::optional<NetProps> ActivePoint();
    bool ConnectKnown(const WLProfile& profile);
    // Takes `active` as the activation of `profile` and waits for its outcome, which `watch` (subscribed
    // before the activation was asked for) follows.
    bool Follow(const WLProfile& profile, const std::string& active, bool added, CNetWatch& watch);
    bool TakeAutoconnect();
    void HandBackLeftover();
    // The device of the record whose autoconnect was switched on again; nullptr when it is not there or that
    // failed.
    const Device* GiveBack(const CNetTaken::Device& taken, const std::vector<Device>& devices);
    std::string ResolveAnySsid();
    bool WaitForScan(uint64_t before, ScanProgress& progress);
    bool WaitForKernelScan(CNetScanEvents& kernel, ScanProgress& progress);
    void WaitForPoints(ScanProgress& progress);
    std::optional<int32_t> LinkSignal(const uint8_t* bssid);
    void FillSecurity(WLANStatus& status, NetProps& point, bool ours) const;
    const NetworkInfo* FixedIpOf(const WLProfile& profile) const;
    bool Activate(const NetSettings& settings, std::string& active);
    bool WaitForOutcome(CNetWatch& watch, bool enterprise);
    void ReadOutcome(CNetWatch& watch);
    bool Fail(int32_t code, const std::string& detail);
    void ReportDown(uint32_t state);

    CNetBus& m_bus;
    std::string m_device; // object path; empty while the named device is gone
    std::string m_iface;
    std::string m_permanent; // the named device's permanent address
    std::string m_description;
    std::optional<WLProfile> m_applied;
    std::string m_active;       // our active connection
    bool m_activeAdded = false; // m_active is a connection the library added, not one the manager knew
    std::map<std::string, NetworkInfo> m_ipOf; // by profile name
    NetConnectError m_lastError;
    bool m_downReported = false;
    CNetTaken m_taken;      // the devices whose autoconnect the library switched off
    bool m_holding = false; // the named device is taken from the manager
};
