#pragma once

#include "Netvalue.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <systemd/sd-bus.h>

// The library's connection to the network manager on the system bus. Reading calls are bounded by a short
// timeout, so that a manager that hangs cannot hold the library lock for long; calls that change something
// may need polkit to ask the person at the desk, so they allow that and wait as long as a person needs to
// answer. A connection that broke is dropped and made again by the next call. Not thread-safe: the exported
// functions call it under their lock.

class CNetBus {
public:
    static constexpr const char* Service = "org.freedesktop.NetworkManager";
    static constexpr const char* ManagerPath = "/org/freedesktop/NetworkManager";
    static constexpr const char* ManagerIface = "org.freedesktop.NetworkManager";
    static constexpr const char* DeviceIface = "org.freedesktop.NetworkManager.Device";
    static constexpr const char* WirelessIface = "org.freedesktop.NetworkManager.Device.Wireless";
    static constexpr const char* AccessPointIface = "org.freedesktop.NetworkManager.AccessPoint";
    static constexpr const char* ActiveIface = "org.freedesktop.NetworkManager.Connection.Active";
    static constexpr const char* Ip4Iface = "org.freedesktop.NetworkManager.IP4Config";

    CNetBus() = default;
    ~CNetBus();
    CNetBus(const CNetBus&) = delete;
    CNetBus& operator=(const CNetBus&) = delete;

    // All properties of one interface of an object; nothing when the call failed.
    std::optional<NetProps> GetAll(const std::string& path, const char* iface);
    // `patient`: the read is part of a change the user asked for, so it waits as long as that change may.
    std::optional<NetValue> Get(const std::string& path, const char* iface, const char* name,
                                bool patient = false);
    bool SetBool(const std::string& path, const char* iface, const char* name, bool value);

    using Writer = std::function<int(sd_bus_message*)>;
    using Reader = std::function<int(sd_bus_message*)>;
    // Calls a method of the manager's service; `write` appends the arguments, `read` takes the reply apart.
    // False (with the error logged once) when the call failed.
    bool Call(const std::string& path, const char* iface, const char* member, const Writer& write = {},
              const Reader& read = {});
    // The same for a call that changes the device or the manager's connections, which polkit may first ask
    // the user to allow.
    bool CallAsUser(const std::string& path, const char* iface, const char* member, const Writer& write = {},
                    const Reader& read = {});
    // The error name of the last failed call (empty after a success).
    const std::string& LastError() const { return m_lastError; }
    // The last failed call got no answer in time (the manager is busy or hangs, not gone).
    bool LastTimedOut() const;
    // Asks the bus whether the manager is on it: TSRWL_SERVICE_READY, _NO_BUS or _ABSENT.
    int32_t ServiceState();

    // Signals matching `rule` go to `handler` while Wait runs, until the returned slot is dropped; nothing
    // when the bus refused the match.
    using Handler = std::function<void(sd_bus_message*)>;
    using Subscription = std::shared_ptr<sd_bus_slot>;
    // The match rule of a signal; `path` and `arg0` narrow it when given.
    static std::string SignalRule(const char* sender, const char* iface, const char* member,
                                  const std::string& path = {}, const char* arg0 = nullptr);
    Subscription Subscribe(const std::string& rule, Handler handler);
    // Hands what comes in to the subscriptions until `done` says so or the deadline passes; false at the
    // deadline or when the bus broke. Calls made meanwhile keep the signals they see for the next Wait.
    bool Wait(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline);

    // Reads one variant (the read position stands before it) into a value; unknown types are skipped.
    static int ReadVariant(sd_bus_message* m, NetValue& value);
    static int ReadProps(sd_bus_message* m, NetProps& props);
    static int WriteSettings(sd_bus_message* m, const NetSettings& settings);
    static int WriteProps(sd_bus_message* m, const NetProps& props);

private:
    sd_bus* Bus();
    void Drop();
    bool Send(const std::string& path, const char* iface, const char* member, const Writer& write,
              const Reader& read, bool asUser, bool patient);

    sd_bus* m_bus = nullptr;
    std::string m_lastError;
    int m_lastResult = 0;
};
