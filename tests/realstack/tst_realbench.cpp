// How long the library's connect and scan take against the manager's own command-line client doing the same
// in the same boot: median of three each, printed and kept in the XML output. A ratio does not fail the test;
// a connect or scan that does not finish does.
#include "realfixture.h"

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <iostream>
#include <set>

namespace {

constexpr int kRounds = 3;
constexpr int kBoundMs = 60000;

int64_t Median(std::vector<int64_t> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename F> int64_t TimeMs(F&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

// Network names on the air that a scan must list (the hidden one is not broadcast).
std::set<std::string> Broadcast()
{
    std::set<std::string> names;
    for (const RealNetwork& net : RealNetworks::Get().All())
        if (!net.hidden)
            names.insert(net.ssid);
    return names;
}

} // namespace

class RealBenchTest : public RealStackTest {
protected:
    void Report(const char* what, const std::vector<int64_t>& library, const std::vector<int64_t>& client)
    {
        const int64_t ours = Median(library), theirs = Median(client);
        const double ratio = theirs > 0 ? double(ours) / double(theirs) : 0;
        std::cout << "benchmark " << what << ": library " << ours << " ms, nmcli " << theirs
                  << " ms (median of " << kRounds << "), ratio " << std::fixed << std::setprecision(2)
                  << ratio << std::endl;
        RecordProperty(std::string(what) + "_library_ms", std::to_string(ours));
        RecordProperty(std::string(what) + "_nmcli_ms", std::to_string(theirs));
        RecordProperty(std::string(what) + "_ratio", std::to_string(ratio));
    }
    static bool Idle()
    {
        Run("nmcli device disconnect wlan0");
        return WaitFor([] { return Run("nmcli -g GENERAL.STATE device show wlan0").find("30 ") == 0; },
                       kBoundMs);
    }
    static bool ListsAll(const std::vector<TSSiteEntry>& entries)
    {
        std::set<std::string> names;
        for (const TSSiteEntry& e : entries)
            names.insert(Ssid(e.Ssid, e.SsidLength));
        const std::set<std::string> wanted = Broadcast();
        return std::includes(names.begin(), names.end(), wanted.begin(), wanted.end());
    }
    static bool ClientListsAll(const std::string& listing)
    {
        std::set<std::string> names;
        for (size_t pos = 0, end; pos < listing.size(); pos = end + 1) {
            end = std::min(listing.find('\n', pos), listing.size());
            names.insert(listing.substr(pos, end - pos));
        }
        const std::set<std::string> wanted = Broadcast();
        return std::includes(names.begin(), names.end(), wanted.begin(), wanted.end());
    }
};

TEST_F(RealBenchTest, ConnectToAnAddressAgainstTheManagersClient)
{
    const RealNetwork& net = Net("wpa2");
    Run("nmcli connection delete bench");
    ASSERT_NE(Run("nmcli connection add type wifi ifname wlan0 con-name bench ssid " + net.ssid +
                  " wifi-sec.key-mgmt wpa-psk wifi-sec.psk " + net.secret + " connection.autoconnect no")
                  .find("successfully added"),
              std::string::npos);
    // Both start from a device that has heard the network: the first connect of a boot waits for the
    // supplicant's own first scan.
    ASSERT_TRUE(WaitFor([] { return ListsAll(Survey()); }, kBoundMs));
    std::vector<int64_t> library, client;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_TRUE(Idle());
        int64_t ms = 0;
        ASSERT_EQ(Connect(Profile(net), &ms), TSRWL_OK) << "round " << round;
        ASSERT_FALSE(Address().empty()) << "round " << round;
        library.push_back(ms);
        ASSERT_TRUE(Idle());
        std::string output;
        client.push_back(TimeMs([&] { output = Run("nmcli --wait 60 connection up bench"); }));
        ASSERT_NE(output.find("successfully activated"), std::string::npos) << output;
    }
    Run("nmcli connection delete bench");
    Report("connect", library, client);
}

TEST_F(RealBenchTest, ScanToAFullListAgainstTheManagersClient)
{
    std::vector<int64_t> library, client;
    for (int round = 0; round < kRounds; ++round) {
        bool full = false;
        library.push_back(TimeMs([&] { full = WaitFor([] { return ListsAll(Survey()); }, kBoundMs); }));
        ASSERT_TRUE(full) << "round " << round << ": the library's survey never listed every network";
        client.push_back(TimeMs([&] {
            full = WaitFor([] { return ClientListsAll(Run("nmcli -g SSID device wifi list --rescan yes")); },
                           kBoundMs);
        }));
        ASSERT_TRUE(full) << "round " << round << ": nmcli never listed every network";
    }
    Report("scan", library, client);
}
