#include "Simscenario.h"
#include "Simsecurity.h"
#include "simtestutil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace {

TEST(SimScenario, ShippedScenarioCoversTheWorldTheProgramNeeds)
{
    SimScenario s;
    std::vector<std::string> problems;
    ASSERT_TRUE(ParseScenario(BuiltInScenarioText(), s, problems));
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(s.adapter.hardwareId, "USB\\VID_F5E1&PID_0301");
    EXPECT_TRUE(s.adapter.plugged);
    EXPECT_TRUE(s.adapter.softAP);
    EXPECT_GE(s.networks.size(), 14u);

    std::set<uint32_t> codes;
    std::set<std::string> ssids;
    std::set<size_t> wepSizes;
    bool adHoc = false, hidden = false, twice = false, fiveGHz = false, sharedSsid = false;
    for (const SimNetwork& n : s.networks) {
        codes.insert(n.security);
        sharedSsid |= !ssids.insert(n.ssid).second;
        adHoc |= n.adHoc;
        hidden |= n.hidden;
        twice |= n.reportTwice;
        fiveGHz |= n.dotMode == 2;
        // A WEP network with 802.1x methods has no static key.
        if (n.security == 1 && n.eapMethods.empty())
            wepSizes.insert(n.wepKey.size());
    }
    for (uint32_t code : {0u, 1u, 20u, 23u, 120u, 123u, 10u, 113u})
        EXPECT_TRUE(codes.count(code)) << code;
    EXPECT_TRUE(std::any_of(codes.begin(), codes.end(), [](uint32_t c) { return c >= 1010 && c <= 1025; }));
    EXPECT_EQ(wepSizes, (std::set<size_t>{5, 13, 29}));
    EXPECT_TRUE(adHoc && hidden && twice && fiveGHz && sharedSsid);
    EXPECT_TRUE(
        std::any_of(s.certificates.begin(), s.certificates.end(), [](auto& c) { return c.kind == 1; }));
    EXPECT_TRUE(
        std::any_of(s.certificates.begin(), s.certificates.end(), [](auto& c) { return c.kind == 3; }));
    EXPECT_FALSE(s.stations.empty());
}

TEST(SimScenario, BuiltInWorldIsTheShippedFile)
{
    const std::string path =
        std::string(getenv("WLANUTIL_BIN_DIR") ? getenv("WLANUTIL_BIN_DIR") : ".") + "/tsrwl-sim.ini";
    std::ifstream file(path);
    ASSERT_TRUE(file) << path;
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), BuiltInScenarioText());
}

TEST(SimScenario, BadValuesAreReportedAndSkipped)
{
    SimScenario s;
    std::vector<std::string> problems;
    ASSERT_TRUE(ParseScenario("[Adapter]\nMAC=zz\nScanTime=-5\nModes=xyz\n"
                              "[Network.NoBssid]\nSSID=a\n"
                              "[Network.BadChannel]\nSSID=b\nBSSID=00:11:22:33:44:55\nChannel=99\n"
                              "[Network.LongName]\nSSID=" +
                                  std::string(40, 'x') +
                                  "\nBSSID=00:11:22:33:44:56\nWEPKey=123\nAccounts=nocolon\n"
                                  "[Unknown]\n",
                              s, problems));
    ASSERT_EQ(s.networks.size(), 1u);
    EXPECT_EQ(s.networks[0].ssid.size(), 32u);
    EXPECT_TRUE(s.networks[0].wepKey.empty());
    EXPECT_EQ(s.adapter.scanMs, SimAdapter{}.scanMs);
    EXPECT_EQ(s.adapter.mac, SimAdapter{}.mac);
    EXPECT_EQ(s.adapter.bands, 7);
    EXPECT_GE(problems.size(), 8u);
}

TEST(SimScenario, MalformedOrMissingFileFallsBackToTheBuiltInWorld)
{
    simtest::TempDir dir;
    const std::string bad = dir.File("bad.ini");
    simtest::WriteText(bad, std::string("\x7f"
                                        "ELF\0\0garbage=1\n",
                                        17));
    for (const std::string& path : {bad, dir.File("missing.ini")}) {
        setenv("TSRWL_SIM_SCENARIO", path.c_str(), 1);
        const auto s = CurrentScenario();
        EXPECT_EQ(s->source, "built-in") << path;
        EXPECT_GE(s->networks.size(), 14u);
    }
    // A usable file replaces the built-in world as soon as it appears.
    simtest::WriteText(dir.File("missing.ini"), "[Adapter]\nDescription=Replaced\n");
    EXPECT_EQ(CurrentScenario()->adapter.description, "Replaced");
}

TEST(SimScenario, SecurityCodesMapToWhatAProfileMustSay)
{
    struct Case {
        uint32_t code;
        int method0, method1, ciphers;
    };
    const Case cases[] = {{0, 0, 0, 0},    {2, 0, 0, 0},    {1, 1, 0, 0},    {10, 3, 0, 1},
                          {13, 3, 0, 2},   {15, 3, 0, 3},   {20, 2, 0, 1},   {24, 2, 0, 2},
                          {99, 2, 0, 3},   {113, 7, 0, 2},  {120, 6, 0, 1},  {199, 6, 0, 3},
                          {1013, 3, 7, 2}, {1020, 2, 6, 1}, {1025, 2, 6, 3}, {1099, 2, 6, 3}};
    for (const Case& c : cases) {
        const SimSecurityNeed need = SecurityNeedOf(c.code);
        EXPECT_EQ(need.methods[0], c.method0) << c.code;
        EXPECT_EQ(need.methods[1], c.method1) << c.code;
        EXPECT_EQ(need.ciphers, c.ciphers) << c.code;
    }
}

} // namespace
