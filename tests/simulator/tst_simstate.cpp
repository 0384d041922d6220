#include "Simadapter.h"
#include "Simstate.h"
#include "simtestutil.h"
#include "adaptercore/Corepaths.h"
#include "adaptercore/Coreprofilestore.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// A FIFO named as the scenario or state file blocked the program's start-up for good; a runaway state file
// was read, parsed and copied on every library call.
TEST(SimFiles, OnlyRegularFilesOfASaneSizeAreRead)
{
    simtest::TempDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string text = "untouched";
    EXPECT_FALSE(ReadFileText(fifo, text)) << "refused at once, not waited on";
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(ReadFileText("/dev/zero", text));
    simtest::WriteText(dir.File("huge"), std::string(size_t(kMaxFileBytes) + 1, 'x'));
    EXPECT_FALSE(ReadFileText(dir.File("huge"), text));
    simtest::WriteText(dir.File("fine"), "plugged=0\n");
    ASSERT_TRUE(ReadFileText(dir.File("fine"), text));
    EXPECT_EQ(text, "plugged=0\n");
}

TEST(SimState, SurvivesARoundTripThroughItsFile)
{
    SimState s;
    s.plugged = false;
    s.zeroConfigRunning = false;
    s.inRange["Far Away"] = true;
    s.signal["Near"] = -31;
    s.stations = {{{2, 0x77, 0, 0, 0, 9}, 12, {}}};
    s.link.kind = SimLinkKind::AccessPoint;
    s.link.ssid = "My AP";
    s.link.filterMode = 2;
    s.link.filter = {{2, 1, 2, 3, 4, 5}, {2, 6, 7, 8, 9, 10}};
    s.link.sinceMs = 1765000000123;
    s.ip.fixed = true;
    s.ip.address = {192, 168, 1, 10};
    s.ip.lease = 7;
    s.refusal = "Near refused profile Work: server certificate not trusted";
    SimState back;
    back.Deserialize(s.Serialize());
    EXPECT_EQ(back.Serialize(), s.Serialize());
}

TEST(SimState, DamagedFileKeepsWhatCannotBeRead)
{
    SimState s;
    s.Deserialize("\x01\xff junk\nplugged=maybe\nlink.kind=7\nip.address=300.1.1.1\n"
                  "link.filter=zz,02:01:02:03:04:05\nstations=bad@x,02:00:00:00:00:01@5\n=\nrange.=1\n");
    EXPECT_TRUE(s.plugged);
    EXPECT_EQ(s.link.kind, SimLinkKind::None);
    EXPECT_EQ(s.ip.address, IpAddress{});
    ASSERT_EQ(s.link.filter.size(), 1u);
    ASSERT_EQ(s.stations.size(), 1u);
    EXPECT_EQ(s.stations[0].joinAfter, 5);
}

// A write cut short (killed, power lost) left its temporary file for good.
TEST(SimFiles, LeftoversOfCutShortWritesGoAtFirstUse)
{
    simtest::TempDir dir;
    const auto exists = [&](const std::string& name) { return access(dir.File(name).c_str(), F_OK) == 0; };
    mkdir(dir.File("Tessaro").c_str(), 0700);
    const std::vector<std::string> ours = {"state.Ab3dE9", "Tessaro/Home.wlprofile.zZ09aB"};
    const std::vector<std::string> others = {"state.lock",           "state.Ab3dE",
                                             "other.state.Ab3dE9",   "Tessaro/Home.wlprofile",
                                             "Tessaro/notes.Ab3dE9", "Tessaro/x.wlprofile.a-b-c-"};
    for (const auto* names : {&ours, &others})
        for (const std::string& name : *names)
            simtest::WriteText(dir.File(name), "x");
    symlink(dir.File("other.state.Ab3dE9").c_str(), dir.File("state.LnkLnk").c_str());

    const CSimStateStore state(dir.File("state"));
    EXPECT_TRUE(state.Update(SimScenario{}, [](SimState&) { return true; }));
    EXPECT_FALSE(CCoreProfileStore(dir.Path(), "Tessaro").Names()->empty());
    for (const std::string& name : ours)
        EXPECT_FALSE(exists(name)) << name;
    for (const std::string& name : others)
        EXPECT_TRUE(exists(name)) << name;
    EXPECT_TRUE(exists("state.LnkLnk")) << "a link is no temporary file of ours";
}

TEST(SimState, StoreReadsFollowTheFileAndTheScenario)
{
    simtest::TempDir dir;
    const std::string path = dir.Path() + "/state";
    const auto write = [&](const char* text) { simtest::WriteText(path, text); };
    const CSimStateStore store(path);
    SimScenario plugged;
    SimScenario unplugged;
    unplugged.adapter.plugged = false;

    write("range.Far=0\n");
    EXPECT_TRUE(store.Read(plugged).plugged);
    EXPECT_FALSE(store.Read(unplugged).plugged) << "the same file on another scenario";
    EXPECT_FALSE(store.Read(plugged).inRange.at("Far"));
    write("range.Far=1\n");
    EXPECT_TRUE(store.Read(plugged).inRange.at("Far")) << "a changed file is read again";
}

TEST(SimState, SignalDriftsWithinItsBounds)
{
    SimNetwork n;
    n.signal = -60;
    n.drift = 5;
    n.name = "Near";
    n.bssid = {0, 1, 2, 3, 4, 5};
    SimState s;
    int low = 0, high = -100;
    for (int64_t ms = 0; ms < 60000; ms += 500) {
        const int level = CSimAdapter::SignalAt(n, s, ms);
        low = std::min(low, level);
        high = std::max(high, level);
    }
    EXPECT_GE(low, -66);
    EXPECT_LE(high, -54);
    EXPECT_GE(high - low, 6) << "the level moves";
    s.signal["Near"] = -30;
    EXPECT_NEAR(CSimAdapter::SignalAt(n, s, 1000), -30, 6);
    n.drift = 0;
    s.signal.clear();
    EXPECT_EQ(CSimAdapter::SignalAt(n, s, 1000), -60);
    EXPECT_EQ(CSimAdapter::SignalAt(n, s, 29000), -60);
}

} // namespace
