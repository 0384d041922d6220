// A user who has let the program run the adapter: the program takes the device from the manager as it starts
// and gives the device's autoconnect back when it ends, and after it was killed, at the next start.
#include "programfixture.h"

#include "testutil.h"

#include <csignal>
#include <sys/stat.h>

namespace {

bool Exists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

} // namespace

TEST_F(NetProgramTest, TakenAtStartAndGivenBackAtTheEnd)
{
    StartProgram(true);
    ASSERT_TRUE(WaitLog("CNICAdapter::DoConnect() end")) << Log().toStdString();
    EXPECT_EQ(Autoconnect(), 0u);
    EXPECT_TRUE(Exists(RecordFile()));
    // The default profile names no network: the user's own link stays (taking the device ended it once, and
    // the manager then kept it from coming back on its own), and no open network is joined.
    EXPECT_EQ(ActiveConnection(), m_active) << Log().toStdString();
    EXPECT_EQ(m_nm->Changes()["added"], 0u) << "no connection to a network the user never joined";

    ASSERT_TRUE(CloseProgram());
    EXPECT_EQ(Autoconnect(), 1u);
    EXPECT_FALSE(Exists(RecordFile()));
}

TEST_F(NetProgramTest, AKilledProgramsDeviceIsGivenBackAtTheNextStart)
{
    StartProgram(true);
    ASSERT_TRUE(testutil::WaitFor([&] { return Autoconnect() == 0u; }, 20000)) << Log().toStdString();
    m_program.kill(); // SIGKILL: nothing of the program runs any more
    ASSERT_TRUE(m_program.waitForFinished(5000));
    EXPECT_EQ(Autoconnect(), 0u) << "what a killed program leaves";
    ASSERT_TRUE(Exists(RecordFile()));

    StartProgram(false);
    EXPECT_TRUE(testutil::WaitFor([&] { return Autoconnect() == 1u; }, 20000)) << Log().toStdString();
    // The record goes only after the manager has the device back, so that a kill in between gives it back
    // again.
    EXPECT_TRUE(testutil::WaitFor([&] { return !Exists(RecordFile()); }));
    ASSERT_TRUE(CloseProgram());
    EXPECT_EQ(Autoconnect(), 1u);
}
