#pragma once

#include "netadapter/Netvalue.h"

#include <map>
#include <string>
#include <sys/types.h>
#include <systemd/sd-bus.h>

// A private message bus with the network manager stand-in (nm_standin.py on python-dbusmock) on it, and a
// client connection through which the test builds the world: devices, access points, how connects end.
// The test process's DBUS_SYSTEM_BUS_ADDRESS points at the private bus, where the adapter library looks.
class NmStandin {
public:
    explicit NmStandin(std::string dir);
    ~NmStandin();
    NmStandin(const NmStandin&) = delete;
    NmStandin& operator=(const NmStandin&) = delete;

    static bool Available();
    bool Start();
    void StopBus();
    // The manager ends; the bus stays.
    void StopManager();
    std::string Address() const { return "unix:path=" + m_dir + "/bus"; }

    // A Wi-Fi device; `name` makes its object path (a card plugged in again comes with a new one). Its
    // permanent address is `permanent`, or 11:22:33:44:55:66.
    std::string AddDevice(const std::string& name, const std::string& iface,
                          const std::string& permanent = {});
    // The device's Disconnect, asked by another client (the user's applet).
    void DisconnectDevice(const std::string& device);
    // The card is unplugged: its activation ends, its object goes.
    void Unplug(const std::string& device);
    // An access point; `ssid` is taken as bytes. Flags as the manager has them (privacy, WPA, RSN).
    std::string AddPoint(const std::string& device, const std::string& name, const std::string& ssid,
                         const std::string& bssid, uint32_t mhz, uint8_t strength, uint32_t flags,
                         uint32_t wpa, uint32_t rsn, uint32_t mode = 2);
    void SetOutcome(const char* outcome);
    void SetScanOutcome(const char* outcome);
    void SetFailReason(uint32_t reason);
    // Stops the stand-in's process (it answers nothing) or lets it go on, as a manager busy with something.
    void Freeze(bool frozen);
    NetSettings LastSettings(NetProps* options = nullptr);
    NetValue Property(const std::string& path, const char* iface, const char* name);
    void SetProperty(const std::string& path, const char* iface, const char* name, const char* type, ...);
    std::string AddIp4Config(const std::string& device, const char* address, const char* gateway,
                             uint32_t prefix);
    // The user's own saved WPA2 connection, active on the device; returns the active connection.
    std::string ConnectSaved(const std::string& device, const char* name, const char* ssid, const char* psk);
    NetSettings SettingsOf(const std::string& connection);
    // How often connections were added or activated, deactivated, and devices disconnected (by clients).
    std::map<std::string, uint32_t> Changes();

private:
    sd_bus_message* CallMock(const char* member, const char* types, ...);

    std::string m_dir;
    pid_t m_daemon = -1;
    pid_t m_service = -1;
    sd_bus* m_bus = nullptr;
};
