// Detection with the simulated adapter, plugged and unplugged by its control command as a user would.
#include "detecttest.h"
#include "simtest.h"

#include <QElapsedTimer>

using testutil::WaitFor;

namespace {

class DetectSimTest : public DetectTestBase {
protected:
    static void SetUpTestSuite()
    {
        RegisterNotifyMsg();
        s_SimDir = new QTemporaryDir;
        ASSERT_TRUE(simtest::LoadSimulator(*s_SimDir));
    }
    static void TearDownTestSuite()
    {
        delete s_SimDir;
        s_SimDir = nullptr;
    }

    void SetUp() override
    {
        DetectTestBase::SetUp();
        // The accepted ids as shipped.
        g_Var.ReadFiles(testutil::BinDir() + "/wlanutil");
        ASSERT_TRUE(g_Var.HwIdList.contains(ADAPTER_ID));
        g_Var.ProfRoot = QString("DetectSim%1").arg(getpid());
        ASSERT_EQ(simtest::SimCtl("plug"), "adapter plugged in (no program listening)\n");
    }

    static QTemporaryDir* s_SimDir;
};

QTemporaryDir* DetectSimTest::s_SimDir = nullptr;

} // namespace

TEST_F(DetectSimTest, UnplugAndPlugAreReportedAsRemovalAndArrival)
{
    Start();
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 1; }));
    ASSERT_EQ(Devices().size(), 1u);
    EXPECT_STREQ(Devices()[0].HwId, "USB\\VID_F5E1&PID_0301");

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(simtest::SimCtl("unplug"), "adapter unplugged\n");
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 2; }));
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_TRUE(Devices().empty());
    EXPECT_LT(IndexOf("Remove HWID: USB\\VID_F5E1&PID_0301"), IndexOf("available device 0"));

    clock.restart();
    EXPECT_EQ(simtest::SimCtl("plug"), "adapter plugged in\n");
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 3; }));
    EXPECT_GE(clock.elapsed(), 450);
    ASSERT_EQ(Devices().size(), 1u);
    EXPECT_LT(IndexOf("Arrival HWID: USB\\VID_F5E1&PID_0301"), LastIndexOf("available device 1"));
}
