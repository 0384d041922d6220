// A user already online starts the program on the real adapter library: the program attaches, reads the
// link and keeps reporting it, and the user's connection, its autoconnect and its IPv6 stay exactly as they
// were, until the user agrees to let the program run the adapter.
#include "programfixture.h"

#include "netadapter/Netbus.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// Long enough for start-up, attaching and several status rounds; NETSTARTUP_WATCH_S watches longer by hand.
int WatchSeconds()
{
    const char* value = getenv("NETSTARTUP_WATCH_S");
    return value && atoi(value) > 0 ? atoi(value) : 20;
}

} // namespace

TEST_F(NetProgramTest, AUserAlreadyOnlineStaysOnlineAndUntouched)
{
    const NetSettings before = m_nm->SettingsOf(m_saved);
    ASSERT_EQ(before.at("ipv6").at("method").Text(), "auto");
    StartProgram(false);
    ASSERT_TRUE(WaitLog("CNICAdapter::Initial() end")) << Log().toStdString();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(WatchSeconds());
    int looks = 0;
    while (std::chrono::steady_clock::now() < end && !HasFailure()) {
        EXPECT_EQ(Autoconnect(), 1u) << "after " << looks << " looks";
        EXPECT_EQ(ActiveConnection(), m_active) << "after " << looks << " looks";
        ++looks;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    const NetSettings after = m_nm->SettingsOf(m_saved);
    EXPECT_EQ(after.at("ipv6").at("method").Text(), "auto");
    EXPECT_EQ(after.at("connection").at("autoconnect").Number(), 1u);
    EXPECT_EQ(after.size(), before.size());
    for (const auto& [name, count] : m_nm->Changes())
        EXPECT_EQ(count, 0u) << name << ": the program changed the user's link";
    EXPECT_FALSE(Log().contains("Set ZeroCfg: 0")) << "the adapter was taken without asking";
    EXPECT_FALSE(Log().contains("Connect last")) << "a profile was applied without asking";

    ASSERT_TRUE(CloseProgram());
    EXPECT_EQ(Autoconnect(), 1u);
    EXPECT_EQ(ActiveConnection(), m_active);
}
