#include "engine/Usessionwatch.h"
#include "fakelogind.h"
#include "testutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testutil::WaitFor;

namespace {

class SessionWatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_Dir = new QTemporaryDir;
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", FakeLogind(s_Dir->path()).Address().toUtf8());
    }
    static void TearDownTestSuite()
    {
        delete s_Dir;
        s_Dir = nullptr;
    }

    void SetUp() override
    {
        if (!FakeLogind::Available())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(s_Dir->isValid());
        m_Logind = std::make_unique<FakeLogind>(s_Dir->path());
        CSessionWatch* watch = &m_Watch;
        QObject::connect(watch, &CSessionWatch::ConsoleConnect, watch, [this] { m_Events << "connect"; });
        QObject::connect(watch, &CSessionWatch::ConsoleDisconnect, watch,
                         [this] { m_Events << "disconnect"; });
        QObject::connect(watch, &CSessionWatch::Resume, watch, [this] { m_Events << "resume"; });
        QObject::connect(watch, &CSessionWatch::Shutdown, watch, [this] { m_Events << "shutdown"; });
    }
    static QTemporaryDir* s_Dir;
    std::unique_ptr<FakeLogind> m_Logind;
    CSessionWatch m_Watch;
    QStringList m_Events;
};

QTemporaryDir* SessionWatchTest::s_Dir = nullptr;

} // namespace

TEST_F(SessionWatchTest, RegistersOnlyWithBusAndLoginManager)
{
    EXPECT_FALSE(m_Watch.Register()) << "no bus";
    ASSERT_TRUE(m_Logind->StartBus());
    EXPECT_FALSE(m_Watch.Register()) << "no login manager on the bus";
    ASSERT_TRUE(m_Logind->StartService());
    EXPECT_TRUE(m_Watch.Register());
}

TEST_F(SessionWatchTest, ActiveChangesAndWakingUpBecomeEvents)
{
    ASSERT_TRUE(m_Logind->StartBus());
    ASSERT_TRUE(m_Logind->StartService());
    ASSERT_TRUE(m_Watch.Register());

    m_Logind->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return m_Events.size() == 1; }));
    m_Logind->SetActive(false);
    m_Logind->PrepareForSleep(true);
    m_Logind->PrepareForSleep(false);
    ASSERT_TRUE(WaitFor([&] { return m_Events.size() == 2; }));
    m_Logind->SetActive(true);
    ASSERT_TRUE(WaitFor([&] { return m_Events.size() == 3; }));
    m_Logind->PrepareForShutdown(false);
    m_Logind->PrepareForShutdown(true);
    ASSERT_TRUE(WaitFor([&] { return m_Events.size() == 4; }));
    EXPECT_EQ(m_Events.join(','), "disconnect,resume,connect,shutdown")
        << "an unchanged state, going to sleep and a cancelled shutdown say nothing";
}

TEST_F(SessionWatchTest, LosingTheBusIsReportedAndALaterRegistrationWorks)
{
    int lost = 0;
    QObject::connect(&m_Watch, &CSessionWatch::Lost, &m_Watch, [&] { ++lost; });
    ASSERT_TRUE(m_Logind->StartBus());
    ASSERT_TRUE(m_Logind->StartService());
    ASSERT_TRUE(m_Watch.Register());

    m_Logind.reset();
    ASSERT_TRUE(WaitFor([&] { return lost == 1; }));
    EXPECT_FALSE(m_Watch.Register());

    m_Logind = std::make_unique<FakeLogind>(s_Dir->path());
    ASSERT_TRUE(m_Logind->StartBus());
    ASSERT_TRUE(m_Logind->StartService());
    ASSERT_TRUE(m_Watch.Register());
    m_Logind->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return m_Events.size() == 1; }));
    EXPECT_EQ(m_Events.join(','), "disconnect");
}

TEST_F(SessionWatchTest, AMissingBusIsWaitedForWithoutRetries)
{
    int changed = 0;
    QObject::connect(&m_Watch, &CSessionWatch::BusChanged, &m_Watch, [&] { ++changed; });
    const auto restore = qScopeGuard(
        [address = qgetenv("DBUS_SYSTEM_BUS_ADDRESS")] { qputenv("DBUS_SYSTEM_BUS_ADDRESS", address); });
    // The bus will live in a folder that is not there yet either.
    const QString folder = s_Dir->filePath("late");
    FakeLogind logind(folder);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", logind.Address().toUtf8());

    EXPECT_FALSE(m_Watch.Register());
    ASSERT_TRUE(m_Watch.WaitForBus());
    ASSERT_TRUE(QDir().mkdir(folder));
    QCoreApplication::processEvents();
    EXPECT_EQ(changed, 0) << "the folder alone is not the bus";
    ASSERT_TRUE(logind.StartBus());
    ASSERT_TRUE(WaitFor([&] { return changed == 1; }));
    EXPECT_FALSE(m_Watch.WaitForBus()) << "a bus that is there is retried, not waited for";
    ASSERT_TRUE(logind.StartService());
    EXPECT_TRUE(m_Watch.Register());
}
