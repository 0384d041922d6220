#include "nmstandin.h"

#include "netadapter/Netbus.h"

#include <chrono>
#include <functional>
#include <csignal>
#include <fcntl.h>
#include <cstdarg>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const char* const kPython = "/usr/bin/python3";
const char* const kMockPath = "/org/freedesktop";
const char* const kMockIface = "org.freedesktop.DBus.Mock";

// The stand-in logs every call on its output; only its errors are of interest.
pid_t Spawn(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int r = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return r == 0 ? pid : -1;
}

void Stop(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// The object path a stand-in call answered with; the reply is freed.
std::string TakePath(sd_bus_message* reply)
{
    const char* path = "";
    if (reply)
        sd_bus_message_read(reply, "s", &path);
    const std::string result = path;
    sd_bus_message_unref(reply);
    return result;
}

void ReadSettings(sd_bus_message* reply, NetSettings& settings)
{
    sd_bus_message_enter_container(reply, 'a', "{sa{sv}}");
    while (sd_bus_message_enter_container(reply, 'e', "sa{sv}") > 0) {
        const char* name = nullptr;
        sd_bus_message_read(reply, "s", &name);
        CNetBus::ReadProps(reply, settings[name]);
        sd_bus_message_exit_container(reply);
    }
    sd_bus_message_exit_container(reply);
}

} // namespace

NmStandin::NmStandin(std::string dir) : m_dir(std::move(dir)) {}

NmStandin::~NmStandin()
{
    StopBus();
}

bool NmStandin::Available()
{
    // The stand-in checks every connection with libnm's own verification (python3-gi, gir1.2-nm-1.0).
    return access(kPython, X_OK) == 0 &&
           system("/usr/bin/python3 -c 'import dbusmock, gi; gi.require_version(\"NM\", \"1.0\")' "
                  "2>/dev/null") == 0 &&
           system("command -v dbus-daemon >/dev/null") == 0;
}

bool NmStandin::Start()
{
    const std::string config = m_dir + "/bus.conf";
    std::ofstream(config)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><type>session</type><listen>"
        << Address()
        << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
           "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow user=\"*\"/>"
           "<allow own=\"*\"/></policy></busconfig>\n";
    unlink((m_dir + "/bus").c_str());
    m_daemon = Spawn({"dbus-daemon", "--nofork", "--config-file=" + config});
    // The socket file appears when the daemon binds it, a moment before it listens: wait for a connection.
    const auto connected = [&] {
        if (sd_bus_new(&m_bus) >= 0 && sd_bus_set_address(m_bus, Address().c_str()) >= 0 &&
            sd_bus_set_bus_client(m_bus, 1) >= 0 && sd_bus_start(m_bus) >= 0)
            return true;
        m_bus = sd_bus_unref(m_bus);
        return false;
    };
    if (m_daemon < 0 || !WaitUntil(connected, 10000))
        return false;
    setenv("DBUS_SYSTEM_BUS_ADDRESS", Address().c_str(), 1);
    m_service = Spawn({kPython, "-m", "dbusmock", "--system", "--template", NM_STANDIN_TEMPLATE});
    if (m_service < 0)
        return false;
    // Python takes its time on a loaded machine.
    return WaitUntil(
        [&] {
            sd_bus_message* reply = nullptr;
            int owned = 0;
            const int r = sd_bus_call_method(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                             "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s",
                                             CNetBus::Service);
            if (r >= 0)
                sd_bus_message_read(reply, "b", &owned);
            sd_bus_message_unref(reply);
            return owned != 0;
        },
        30000);
}

void NmStandin::StopManager()
{
    Stop(m_service);
}

void NmStandin::StopBus()
{
    if (m_bus)
        sd_bus_flush_close_unref(m_bus);
    m_bus = nullptr;
    Stop(m_service);
    Stop(m_daemon);
}

sd_bus_message* NmStandin::CallMock(const char* member, const char* types, ...)
{
    sd_bus_message* request = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message_new_method_call(m_bus, &request, CNetBus::Service, kMockPath, kMockIface, member);
    va_list args;
    va_start(args, types);
    sd_bus_message_appendv(request, types, args);
    va_end(args);
    if (sd_bus_call(m_bus, request, 10'000'000, &error, &reply) < 0)
        fprintf(stderr, "stand-in call %s failed: %s\n", member, error.message ? error.message : "?");
    sd_bus_error_free(&error);
    sd_bus_message_unref(request);
    return reply;
}

std::string NmStandin::AddDevice(const std::string& name, const std::string& iface,
                                 const std::string& permanent)
{
    sd_bus_message* reply =
        CallMock("AddStandinDevice", "sss", name.c_str(), iface.c_str(), permanent.c_str());
    return TakePath(reply);
}

void NmStandin::DisconnectDevice(const std::string& device)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (sd_bus_call_method(m_bus, CNetBus::Service, device.c_str(), CNetBus::DeviceIface, "Disconnect",
                           &error, nullptr, "") < 0)
        fprintf(stderr, "the device's Disconnect failed: %s\n", error.message ? error.message : "?");
    sd_bus_error_free(&error);
}

void NmStandin::Unplug(const std::string& device)
{
    sd_bus_message_unref(CallMock("UnplugDevice", "s", device.c_str()));
}

std::string NmStandin::AddPoint(const std::string& device, const std::string& name, const std::string& ssid,
                                const std::string& bssid, uint32_t mhz, uint8_t strength, uint32_t flags,
                                uint32_t wpa, uint32_t rsn, uint32_t mode)
{
    sd_bus_message* reply = CallMock("AddAccessPoint", "ssssuuuyu", device.c_str(), name.c_str(), "x",
                                     bssid.c_str(), mode, mhz, uint32_t(54000), strength, uint32_t(0));
    const std::string path = TakePath(reply);
    const char* iface = CNetBus::AccessPointIface;
    sd_bus_message_unref(CallMock("SetProperty", "sssv", path.c_str(), iface, "Flags", "u", flags));
    sd_bus_message_unref(CallMock("SetProperty", "sssv", path.c_str(), iface, "WpaFlags", "u", wpa));
    sd_bus_message_unref(CallMock("SetProperty", "sssv", path.c_str(), iface, "RsnFlags", "u", rsn));
    // The SSID goes in as raw bytes: names need not be text.
    sd_bus_message* request = nullptr;
    sd_bus_message_new_method_call(m_bus, &request, CNetBus::Service, kMockPath, kMockIface, "SetProperty");
    sd_bus_message_append(request, "sss", path.c_str(), iface, "Ssid");
    sd_bus_message_open_container(request, 'v', "ay");
    sd_bus_message_append_array(request, 'y', ssid.data(), ssid.size());
    sd_bus_message_close_container(request);
    sd_bus_message* done = nullptr;
    sd_bus_call(m_bus, request, 10'000'000, nullptr, &done);
    sd_bus_message_unref(done);
    sd_bus_message_unref(request);
    return path;
}

void NmStandin::SetOutcome(const char* outcome)
{
    sd_bus_message_unref(CallMock("SetConnectOutcome", "s", outcome));
}

void NmStandin::SetScanOutcome(const char* outcome)
{
    sd_bus_message_unref(CallMock("SetScanOutcome", "s", outcome));
}

void NmStandin::SetFailReason(uint32_t reason)
{
    sd_bus_message_unref(CallMock("SetFailReason", "u", reason));
}

void NmStandin::Freeze(bool frozen)
{
    if (m_service > 0)
        kill(m_service, frozen ? SIGSTOP : SIGCONT);
}

NetSettings NmStandin::LastSettings(NetProps* options)
{
    NetSettings settings;
    sd_bus_message* reply = CallMock("LastConnection", "");
    if (!reply)
        return settings;
    ReadSettings(reply, settings);
    NetProps ignored;
    CNetBus::ReadProps(reply, options ? *options : ignored);
    sd_bus_message_unref(reply);
    return settings;
}

NetValue NmStandin::Property(const std::string& path, const char* iface, const char* name)
{
    NetValue value;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(m_bus, CNetBus::Service, path.c_str(), "org.freedesktop.DBus.Properties", "Get",
                           nullptr, &reply, "ss", iface, name) >= 0)
        CNetBus::ReadVariant(reply, value);
    sd_bus_message_unref(reply);
    return value;
}

void NmStandin::SetProperty(const std::string& path, const char* iface, const char* name, const char* type,
                            ...)
{
    sd_bus_message* request = nullptr;
    sd_bus_message_new_method_call(m_bus, &request, CNetBus::Service, kMockPath, kMockIface, "SetProperty");
    sd_bus_message_append(request, "sss", path.c_str(), iface, name);
    sd_bus_message_open_container(request, 'v', type);
    va_list args;
    va_start(args, type);
    sd_bus_message_appendv(request, type, args);
    va_end(args);
    sd_bus_message_close_container(request);
    sd_bus_message* reply = nullptr;
    sd_bus_call(m_bus, request, 10'000'000, nullptr, &reply);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(request);
}

std::string NmStandin::AddIp4Config(const std::string& device, const char* address, const char* gateway,
                                    uint32_t prefix)
{
    sd_bus_message* reply = CallMock("AddIp4Config", "sssu", device.c_str(), address, gateway, prefix);
    return TakePath(reply);
}

std::string NmStandin::ConnectSaved(const std::string& device, const char* name, const char* ssid,
                                    const char* psk)
{
    return TakePath(CallMock("ConnectSaved", "ssss", device.c_str(), name, ssid, psk));
}

NetSettings NmStandin::SettingsOf(const std::string& connection)
{
    NetSettings settings;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(m_bus, CNetBus::Service, connection.c_str(),
                           "org.freedesktop.NetworkManager.Settings.Connection", "GetSettings", nullptr,
                           &reply, "") >= 0)
        ReadSettings(reply, settings);
    sd_bus_message_unref(reply);
    return settings;
}

std::map<std::string, uint32_t> NmStandin::Changes()
{
    std::map<std::string, uint32_t> changes;
    sd_bus_message* reply = CallMock("Changes", "");
    if (reply && sd_bus_message_enter_container(reply, 'a', "{su}") >= 0) {
        const char* name = nullptr;
        uint32_t count = 0;
        while (sd_bus_message_read(reply, "{su}", &name, &count) > 0)
            changes[name] = count;
    }
    sd_bus_message_unref(reply);
    return changes;
}
