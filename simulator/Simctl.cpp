// tsrwl-simctl: changes the world of the simulated adapter while programs use it.
#include "Simadapter.h"
#include "Simap.h"
#include "Simcredentials.h"
#include "Simdevevent.h"
#include "Simpaths.h"
#include "adaptercore/Corecrypto.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: tsrwl-simctl [--prof-root NAME] COMMAND [ARGUMENTS]\n"
    "Changes the simulated wireless adapter (libtsrwl.so) while programs use it.\n"
    "\n"
    "Commands:\n"
    "  status                     the adapter, its link, the networks in range and the soft AP stations\n"
    "  networks                   every network of the scenario, in range or not\n"
    "  plug                       plug the adapter in (announced as ARRIVAL on the device-event socket)\n"
    "  unplug                     pull the adapter out (announced as REMOVAL)\n"
    "  range NETWORK on|off       move a network into or out of range\n"
    "  signal NETWORK DBM|reset   set a network's signal level (-95 to -20 dBm) or go back to the "
    "scenario's\n"
    "  station add MAC [SECONDS] [--key KEY]\n"
    "                             a station that joins the soft AP, SECONDS after it started (default 0);\n"
    "                             KEY is its WEP key (10, 26 or 58 hex digits or 5, 13 or 29 characters)\n"
    "  station remove MAC         a station that leaves the soft AP\n"
    "  disconnect                 drop the link or stop the soft AP\n"
    "  zeroconfig on|off          start or stop the system's zero-configuration service\n"
    "  slow connect|renew|scan MS make that call of the library take MS milliseconds (0: as fast as it can)\n"
    "  latefail on|off            connects are accepted but the link never comes up\n"
    "  reset                      forget every change: back to the scenario\n"
    "\n"
    "NETWORK is a scenario section name without \"Network.\" (e.g. HarborOffice) or a BSSID.\n"
    "--prof-root NAME names the program's device-event socket <runtime dir>/NAME_DeviceEvent (default: the\n"
    "TSRWL_SIM_PROFROOT environment variable, else Tessaro).\n"
    "\n"
    "Environment:\n"
    "  TSRWL_SIM_SCENARIO  scenario file (default: tsrwl-sim.ini beside this command)\n"
    "  TSRWL_SIM_STATE     shared state file (default: <runtime dir>/tsrwl-sim.state)\n";

int Fail(const char* format, const char* value)
{
    fprintf(stderr, "tsrwl-simctl: ");
    fprintf(stderr, format, value);
    fprintf(stderr, "\n");
    return 2;
}

bool ParseOnOff(const std::string& text, bool& on)
{
    on = text == "on";
    return text == "on" || text == "off";
}

void PrintStatus(const CSimAdapter& adapter)
{
    const std::shared_ptr<const SimState> state = adapter.Shared();
    const SimState& s = *state;
    const SimAdapter& a = adapter.Scenario().adapter;
    printf("scenario   %s\nstate      %s\n", adapter.Scenario().source.c_str(), StatePath().c_str());
    printf("adapter    %s (%s), %s, domain %s\n", a.description.c_str(), a.hardwareId.c_str(),
           s.plugged ? "plugged in" : "unplugged", a.domain.c_str());
    printf("zeroconfig %s\n", s.zeroConfigRunning ? "running" : "stopped");
    const char* kinds[] = {"none", "station", "soft AP"};
    printf("link       %s", kinds[int(s.link.kind)]);
    if (s.link.kind != SimLinkKind::None)
        printf(" \"%s\" %s channel %d%s", s.link.ssid.c_str(), MacText(s.link.bssid).c_str(), s.link.channel,
               adapter.MediaState() == 0 ? ", up" : ", down");
    printf("\n");
    if (s.link.kind == SimLinkKind::AccessPoint)
        printf("soft AP    %s\n", AccessPointText(s.link).c_str());
    if (!s.refusal.empty())
        printf("refused    %s\n", s.refusal.c_str());
}

void PrintNetworks(const CSimAdapter& adapter, bool onlyInRange)
{
    const std::shared_ptr<const SimState> state = adapter.Shared();
    const SimState& s = *state;
    for (const SimNetwork& n : adapter.Scenario().networks) {
        const bool in = CSimAdapter::InRange(n, s);
        if (onlyInRange && !in)
            continue;
        printf("  %-18s %-20s %s ch %3d  code %4u  %4d dBm%s%s%s\n", n.name.c_str(), n.ssid.c_str(),
               MacText(n.bssid).c_str(), n.channel, n.security, CSimAdapter::SignalAt(n, s, NowMs()),
               in ? "" : "  (out of range)", n.hidden ? "  (hidden)" : "", n.adHoc ? "  (ad hoc)" : "");
    }
}

int Status(const CSimAdapter& adapter)
{
    PrintStatus(adapter);
    printf("networks in range:\n");
    PrintNetworks(adapter, true);
    printf("soft AP stations:\n");
    const std::shared_ptr<const SimState> state = adapter.Shared();
    const SimState& s = *state;
    for (const SimStation& st : s.stations) {
        printf("  %s joins after %d s%s", MacText(st.mac).c_str(), st.joinAfter,
               st.wepKey.empty() ? "" : " with a WEP key");
        if (s.link.kind == SimLinkKind::AccessPoint && s.plugged)
            printf(": %s", VerdictText(StationVerdict(s.link, st, NowMs())));
        printf("\n");
    }
    return 0;
}

int Plug(const CSimAdapter& adapter, const std::string& profRoot, bool in)
{
    if (!adapter.Update([in](SimState& s) {
            if (in && !s.plugged)
                ++s.plugCount;
            s.plugged = in;
            if (!in)
                s.link = SimLink{};
            return true;
        }))
        return 1;
    const std::string line = std::string(in ? "ARRIVAL " : "REMOVAL ") + kSimDevicePath + " " +
                             adapter.Scenario().adapter.hardwareId;
    std::string answer;
    const Announced heard = AnnounceDeviceEvent(profRoot, line, &answer);
    printf("adapter %s%s\n", in ? "plugged in" : "unplugged",
           heard == Announced::NoListener ? " (no program listening)" : "");
    if (heard != Announced::NotTaken)
        return 0;
    fprintf(stderr, "tsrwl-simctl: the program did not take the event (%s)\n", answer.c_str());
    return 1;
}

int ChangeNetwork(const CSimAdapter& adapter, const std::vector<std::string>& args)
{
    if (args.size() != 3)
        return Fail("%s needs a network and a value", args[0].c_str());
    const SimNetwork* n = adapter.Scenario().FindNetwork(args[1]);
    if (!n)
        return Fail("no network %s in the scenario", args[1].c_str());
    const std::string name = n->name;
    if (args[0] == "range") {
        bool on = false;
        if (!ParseOnOff(args[2], on))
            return Fail("range wants on or off, not %s", args[2].c_str());
        return adapter.Update([&](SimState& s) { return s.inRange[name] = on, true; }) ? 0 : 1;
    }
    if (args[2] == "reset")
        return adapter.Update([&](SimState& s) { return s.signal.erase(name), true; }) ? 0 : 1;
    char* end = nullptr;
    const long dbm = strtol(args[2].c_str(), &end, 10);
    if (*end || dbm < -95 || dbm > -20)
        return Fail("signal wants -95 to -20 dBm, not %s", args[2].c_str());
    return adapter.Update([&](SimState& s) { return s.signal[name] = int(dbm), true; }) ? 0 : 1;
}

int ChangeStation(const CSimAdapter& adapter, std::vector<std::string> args)
{
    SimStation station;
    const auto keyOption = std::find(args.begin(), args.end(), "--key");
    if (keyOption != args.end()) {
        const std::optional<Bytes> key =
            keyOption + 1 != args.end() ? ProfileWepKey(keyOption[1], 0) : std::nullopt;
        if (!key)
            return Fail("%s", "--key wants 10, 26 or 58 hex digits or 5, 13 or 29 characters");
        station.wepKey = *key;
        args.erase(keyOption, keyOption + 2);
    }
    const bool add = args.size() >= 3 && args[1] == "add";
    if (args.size() < 3 || (!add && args[1] != "remove") || args.size() > (add ? 4u : 3u) ||
        (!add && !station.wepKey.empty()))
        return Fail("%s", "station wants: add MAC [SECONDS] [--key KEY] or remove MAC");
    if (!ParseMac(args[2], station.mac) || IsZeroMac(station.mac))
        return Fail("not a MAC address: %s", args[2].c_str());
    station.joinAfter = args.size() == 4 ? std::max(0, atoi(args[3].c_str())) : 0;
    return adapter.Update([&](SimState& s) {
        std::erase_if(s.stations, [&](const SimStation& st) { return st.mac == station.mac; });
        if (add)
            s.stations.push_back(station);
        return true;
    })
               ? 0
               : 1;
}

int SetSlow(const CSimAdapter& adapter, const std::string& call, const std::string& value)
{
    int SimState::*delay = call == "connect" ? &SimState::slowConnectMs
                           : call == "renew" ? &SimState::slowRenewMs
                           : call == "scan"  ? &SimState::slowScanMs
                                             : nullptr;
    if (!delay)
        return Fail("slow wants connect, renew or scan, not %s", call.c_str());
    char* end = nullptr;
    const long ms = strtol(value.c_str(), &end, 10);
    if (value.empty() || *end || ms < 0 || ms > 600000)
        return Fail("slow wants 0 to 600000 milliseconds, not %s", value.c_str());
    return adapter.Update([delay, ms](SimState& s) { return s.*delay = int(ms), true; }) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const char* envRoot = getenv("TSRWL_SIM_PROFROOT");
    std::string profRoot = envRoot && *envRoot ? envRoot : "Tessaro";
    if (args.size() >= 2 && args[0] == "--prof-root") {
        profRoot = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const CSimAdapter adapter(CurrentScenario(), StatePath(), NowMs());
    const std::string& command = args[0];
    if (command == "status" && args.size() == 1)
        return Status(adapter);
    if (command == "networks" && args.size() == 1)
        return PrintNetworks(adapter, false), 0;
    if ((command == "plug" || command == "unplug") && args.size() == 1)
        return Plug(adapter, profRoot, command == "plug");
    if (command == "range" || command == "signal")
        return ChangeNetwork(adapter, args);
    if (command == "station")
        return ChangeStation(adapter, args);
    if (command == "disconnect" && args.size() == 1)
        return adapter.Update([](SimState& s) { return s.link = SimLink{}, true; }) ? 0 : 1;
    bool on = false;
    if (command == "zeroconfig" && args.size() == 2 && ParseOnOff(args[1], on))
        return adapter.Update([on](SimState& s) { return s.zeroConfigRunning = on, true; }) ? 0 : 1;
    if (command == "slow" && args.size() == 3)
        return SetSlow(adapter, args[1], args[2]);
    if (command == "latefail" && args.size() == 2 && ParseOnOff(args[1], on))
        return adapter.Update([on](SimState& s) { return s.lateFail = on, true; }) ? 0 : 1;
    if (command == "reset" && args.size() == 1) {
        const std::string path = StatePath();
        return unlink(path.c_str()) == 0 || errno == ENOENT ? 0 : Fail("cannot remove %s", path.c_str());
    }
    fprintf(stderr, "tsrwl-simctl: unknown command or arguments; see tsrwl-simctl --help\n");
    return 2;
}
