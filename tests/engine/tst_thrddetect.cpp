#include "detecttest.h"
#include "engine/Ucumlib.h"
#include "engine/Udeviceeventserver.h"
#include "fakelogind.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>
#include <dlfcn.h>
#include <gtest/gtest.h>

using testutil::ReadFile;
using testutil::WaitFor;
using testutil::WriteFile;

namespace {

// The controls of the test library (tests/engine/detectlib.cpp).
struct DetectLib {
    void (*Reset)();
    void (*SetPresent)(const char* hwId, int present);
    void (*SetBlockMs)(int ms);
    void (*SetUnterminated)(int on);
    void (*SetService)(int32_t state);
    void (*ResetCalls)();
    int (*CallCount)(const char* name);

    int Calls() const { return CallCount("TSRWL_DevDetect"); }
};
DetectLib g_Lib;

template <typename T> void Bind(void* module, T& function, const char* name)
{
    function = reinterpret_cast<T>(dlsym(module, name));
}

void SetPresent(const QString& hwId, bool present)
{
    g_Lib.SetPresent(hwId.toUtf8().constData(), present);
}

class ThrdDetectTest : public DetectTestBase {
protected:
    static void SetUpTestSuite()
    {
        // No login manager until a test starts one there.
        s_BusDir = new QTemporaryDir;
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", FakeLogind(s_BusDir->path()).Address().toUtf8());
        RegisterNotifyMsg();
        const QString path = testutil::TestBinDir() + "/libtsrwl_test_detect.so";
        ASSERT_TRUE(g_TSLib.Load(path.toStdString()));
        void* module = dlopen(path.toUtf8().constData(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(module, nullptr);
        Bind(module, g_Lib.Reset, "DetectLib_Reset");
        Bind(module, g_Lib.SetPresent, "DetectLib_SetPresent");
        Bind(module, g_Lib.SetBlockMs, "DetectLib_SetBlockMs");
        Bind(module, g_Lib.SetUnterminated, "DetectLib_SetUnterminated");
        Bind(module, g_Lib.SetService, "DetectLib_SetService");
        Bind(module, g_Lib.ResetCalls, "TestLib_Reset");
        Bind(module, g_Lib.CallCount, "TestLib_CallCount");
        dlclose(module);
    }
    static void TearDownTestSuite()
    {
        delete s_BusDir;
        s_BusDir = nullptr;
    }

    void SetUp() override
    {
        DetectTestBase::SetUp();
        g_Lib.Reset();
        g_Lib.ResetCalls();
    }

    // One client of the device-event socket that writes `data` and hangs up.
    static void Send(const QByteArray& data)
    {
        QLocalSocket client;
        client.connectToServer(CDeviceEventServer::SocketPath(g_Var.ProfRoot));
        ASSERT_TRUE(client.waitForConnected(5000));
        client.write(data);
        while (client.bytesToWrite() > 0)
            ASSERT_TRUE(client.waitForBytesWritten(10000));
        client.disconnectFromServer();
    }
    // Ends with a line the server logs, and waits for it: everything sent before has been handled then.
    void SendAndSync(const QByteArray& data)
    {
        const QString marker =
            QString("CDeviceEventServer: unknown device event ignored: SYNC%1").arg(++m_Sync);
        Send(data + QString("SYNC%1\n").arg(m_Sync).toUtf8());
        ASSERT_TRUE(WaitLine(marker)) << Lines().join('\n').right(3000).toStdString();
    }

    static QTemporaryDir* s_BusDir;
    int m_Sync = 0;
};

QTemporaryDir* ThrdDetectTest::s_BusDir = nullptr;

QByteArray Event(const char* kind, const QString& hwId)
{
    return QString("%1 /devices/virtual/net/wlan0 %2\n").arg(kind, hwId).toUtf8();
}

} // namespace

TEST_F(ThrdDetectTest, FirstPassAfterStartReportsThePluggedAdapter)
{
    SetPresent(ADAPTER_ID, true);
    QElapsedTimer clock;
    clock.start();
    m_Detect = CThrdDetect::Create(&m_Receiver);
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 1; }));
    EXPECT_GE(clock.elapsed(), 90);

    const std::vector<TAdapterDesc> devices = Devices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_STREQ(devices[0].Description, "Adapter USB\\VID_F5E1&PID_0301");
    EXPECT_STREQ(devices[0].HwId, "USB\\VID_F5E1&PID_0301");
    EXPECT_STREQ(devices[0].Instance, "9999");
    const int pass = IndexOf("CThrdDetect::DetectDev()");
    EXPECT_GE(pass, 0);
    EXPECT_LT(pass, IndexOf("DevDetect Result: USB\\VID_F5E1&PID_0301 1"));
    EXPECT_LT(IndexOf("DevDetect Result: USB\\VID_F5E1&PID_0301 1"), IndexOf("available device 1"));
}

TEST_F(ThrdDetectTest, UnplugAndPlugReportRemovalAndArrival)
{
    SetPresent(ADAPTER_ID, true);
    Start();
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 1; }));

    struct Step {
        const char* kind;
        bool present;
        const char* logLine;
    };
    for (const Step& step : {Step{"REMOVAL", false, "Remove HWID: USB\\VID_F5E1&PID_0301"},
                             Step{"ARRIVAL", true, "Arrival HWID: USB\\VID_F5E1&PID_0301"}}) {
        const int reports = m_Receiver.Count(4);
        const int passes = Passes();
        SetPresent(ADAPTER_ID, step.present);
        QElapsedTimer clock;
        clock.start();
        Send(Event(step.kind, ADAPTER_ID));
        ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == reports + 1; })) << step.kind;
        EXPECT_GE(clock.elapsed(), 450) << "the pass waits for the device to settle";
        EXPECT_EQ(Passes(), passes + 1);
        EXPECT_EQ(Devices().size(), step.present ? 1u : 0u);
        const QString found = QString("available device %1").arg(step.present ? 1 : 0);
        EXPECT_LT(IndexOf(step.logLine), LastIndexOf(found));
    }
    EXPECT_EQ(Count("available device 1"), 2);
    EXPECT_EQ(Count("available device 0"), 1);
}

TEST_F(ThrdDetectTest, OtherAdaptersSchedulePassesOnlyWhileNoAcceptedOneIsHeld)
{
    SetPresent(ADAPTER_ID, true);
    Start();
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 1; }));
    const int held = Passes();
    SendAndSync(Event("ARRIVAL", "USB\\VID_1234&PID_5678"));
    EXPECT_TRUE(NoPassBeyond(held, 1500)) << "a foreign device schedules nothing beside an accepted one";
    EXPECT_FALSE(Has("Arrival HWID"));

    SetPresent(ADAPTER_ID, false);
    SendAndSync(Event("REMOVAL", ADAPTER_ID));
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 2 && Devices().empty(); }));
    const int none = Passes();
    SendAndSync(Event("ARRIVAL", "USB\\VID_1234&PID_5678"));
    EXPECT_TRUE(WaitFor([&] { return Passes() > none; })) << "without one, any wireless adapter may be taken";
    EXPECT_EQ(Count("Arrival HWID: USB\\VID_1234&PID_5678"), 1);
}

TEST_F(ThrdDetectTest, AcceptedIdsMatchAsPartsOfTheDeviceId)
{
    Start();

    // Accepted ids are matched as case-insensitive parts of the device's id.
    SendAndSync(Event("REMOVAL", "usb\\vid_f5e1&pid_0301&rev_0100"));
    EXPECT_TRUE(WaitFor([&] { return Passes() == 2; }));
    EXPECT_EQ(Count("Remove HWID: usb\\vid_f5e1&pid_0301&rev_0100"), 1);
}

TEST_F(ThrdDetectTest, IgnoredEventsAreSkippedAndEndingTheIgnoreSchedulesAPass)
{
    SetPresent(ADAPTER_ID, true);
    Start();
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 1; }));
    SetDetectIgnore(m_Detect.get());

    DetectIgnoreSet(true);
    SetPresent(ADAPTER_ID, false);
    SendAndSync(Event("REMOVAL", ADAPTER_ID) + Event("ARRIVAL", ADAPTER_ID));
    EXPECT_EQ(Count("Skip DBT_DEVICEARRIVAL/DBT_DEVICEREMOVECOMPLETE"), 2);
    EXPECT_FALSE(Has("Remove HWID"));
    EXPECT_TRUE(NoPassBeyond(1, 1200));

    QElapsedTimer clock;
    clock.start();
    DetectIgnoreSet(false);
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 2; }));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_TRUE(Devices().empty());
    EXPECT_LT(IndexOf("Ignore ON"), IndexOf("Ignore OFF"));
    SetDetectIgnore(nullptr);
}

TEST_F(ThrdDetectTest, OnePassReportsAtMostTheFirstAcceptedAdapterPresent)
{
    Start();
    struct Case {
        QStringList ids;
        QStringList present;
        QString reported; // "-" = none
        int calls;
    };
    QStringList seventeen;
    for (int i = 0; i <= 16; ++i)
        seventeen << QString("ID%1").arg(i);
    // clang-format off
    const Case cases[] = {
        {{"A", "B"}, {"A", "B"}, "A", 1},
        {{"A", "B"}, {"B"}, "B", 2},
        {{"B", "A"}, {"A", "B"}, "B", 1},
        {{"A", "B"}, {}, "-", 3},
        {{"A"}, {""}, "", 2}, // an adapter the settings do not name, found as "any"
        {{}, {""}, "", 1},
        {{}, {}, "-", 1},
        {seventeen, {"ID16"}, "-", 16},
    };
    // clang-format on
    for (const Case& c : cases) {
        g_Lib.Reset();
        g_Lib.ResetCalls();
        for (const QString& id : c.present)
            SetPresent(id, true);
        g_Var.HwIdList = c.ids;
        std::vector<TAdapterDesc> list;
        ASSERT_TRUE(m_Detect->EnumDetectDev(list));
        const std::string what = c.ids.join(',').toStdString() + " / " + c.present.join(',').toStdString();
        EXPECT_EQ(g_Lib.Calls(), c.calls) << what;
        if (c.reported == "-") {
            EXPECT_TRUE(list.empty()) << what;
            continue;
        }
        ASSERT_EQ(list.size(), 1u) << what;
        EXPECT_EQ(QString(list[0].HwId), c.reported) << what;
    }
}

// Without an adapter the window learns why (no system bus, no network service), once per change, and that
// the service is back when an adapter is found.
TEST_F(ThrdDetectTest, AMissingServiceIsReportedOncePerChange)
{
    g_Lib.SetService(TSRWL_SERVICE_ABSENT);
    m_Detect = CThrdDetect::Create(&m_Receiver);
    ASSERT_TRUE(WaitFor([&] { return !m_Receiver.Services.empty(); }));
    m_Detect->ScheduleDetect(0, 1); // the same state again: nothing to tell
    ASSERT_TRUE(WaitLine("available device 0", 2));
    g_Lib.SetService(TSRWL_SERVICE_NO_BUS);
    m_Detect->ScheduleDetect(0, 1);
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Services.size() >= 2; }));
    SetPresent(ADAPTER_ID, true);
    m_Detect->ScheduleDetect(0, 1);
    ASSERT_TRUE(
        WaitFor([&] { return m_Receiver.Count(DEVICE_ARRIVED) == 1 && m_Receiver.Services.size() >= 3; }));
    const std::vector<int> expected{TSRWL_SERVICE_ABSENT, TSRWL_SERVICE_NO_BUS, TSRWL_SERVICE_READY};
    EXPECT_EQ(m_Receiver.Services, expected);
}

// A network service that starts after the program brings no device event: detection keeps looking while it
// is missing, and its adapter arrives as a plugged one does.
TEST_F(ThrdDetectTest, AServiceThatStartsLateIsFoundWithoutADeviceEvent)
{
    g_Lib.SetService(TSRWL_SERVICE_ABSENT);
    m_Detect = CThrdDetect::Create(&m_Receiver);
    ASSERT_TRUE(WaitFor([&] { return !m_Receiver.Services.empty(); }));
    const int passes = Passes();
    ASSERT_TRUE(WaitFor([&] { return Passes() >= passes + 4; }, 15000)) << "it stopped looking";
    SetPresent(ADAPTER_ID, true);
    g_Lib.SetService(TSRWL_SERVICE_READY);
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(DEVICE_ARRIVED) == 1; }, 5000));
    EXPECT_EQ(m_Receiver.Services.back(), TSRWL_SERVICE_READY);
}

TEST_F(ThrdDetectTest, DescriptionWithoutEndIsCutToItsField)
{
    Start();
    g_Lib.SetUnterminated(1);
    SetPresent(ADAPTER_ID, true);
    std::vector<TAdapterDesc> list;
    ASSERT_TRUE(m_Detect->EnumDetectDev(list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(std::string(list[0].Description), std::string(127, 'D'));
    EXPECT_STREQ(list[0].HwId, "USB\\VID_F5E1&PID_0301");
}

TEST_F(ThrdDetectTest, StopWhileWaitingForTheLibraryEndsThePassWithoutReport)
{
    SetPresent(ADAPTER_ID, true);
    const TLibTicket held = g_TSLib.Acquire();
    m_Detect = CThrdDetect::Create(&m_Receiver);
    ASSERT_TRUE(WaitLine("CThrdDetect::EnumDetectDev"));
    m_Detect.reset();
    EXPECT_EQ(Count("CThrdDetect::StopThread() Thread Stop"), 1);
    EXPECT_FALSE(Has("available device"));
    EXPECT_EQ(g_Lib.Calls(), 0);
    EXPECT_FALSE(g_TSLib.IsFree()) << "the lock stays with its holder";
    g_TSLib.Release(held);
    WaitFor([] { return false; }, 100);
    EXPECT_TRUE(m_Receiver.Values.empty());
}

TEST_F(ThrdDetectTest, ThreadStuckInTheLibraryIsAbandonedAndTheLockFreed)
{
    SetPresent(ADAPTER_ID, true);
    g_Lib.SetBlockMs(4000);
    m_Detect = CThrdDetect::Create(&m_Receiver);
    ASSERT_TRUE(WaitLine("CThrdDetect::EnumDetectDev"));
    ASSERT_TRUE(WaitFor([] { return g_Lib.Calls() == 1; }));
    QElapsedTimer clock;
    clock.start();
    m_Detect.reset();
    EXPECT_GE(clock.elapsed(), 2400);
    EXPECT_EQ(Count("CThrdDetect::StopThread() TerminateThread"), 1);
    EXPECT_EQ(Count("CThrdDetect: release g_TSLib.SynchEvent event"), 1);
    EXPECT_TRUE(g_TSLib.IsFree());
    // The abandoned thread finishes its pass on objects that were kept for it, then ends.
    ASSERT_TRUE(WaitLine("CThrdDetect::Execute() return", 1, 15000));
    EXPECT_EQ(Count("available device 1"), 1);
    EXPECT_TRUE(g_TSLib.IsFree());
}

TEST_F(ThrdDetectTest, ConsoleAndResumeEventsWithoutDeviceNotifications)
{
    SetPresent(ADAPTER_ID, true);
    Start();
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 1; }));

    SendAndSync("CONSOLE_DISCONNECT\n");
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(3) == 1; }));
    EXPECT_TRUE(Devices().empty()) << "the adapter is given up at once";
    EXPECT_LT(IndexOf("WTS_CONSOLE_DISCONNECT"), IndexOf("Ignore ON"));
    SendAndSync("NODESCHANGED\nRESUME\n" + Event("ARRIVAL", ADAPTER_ID));
    EXPECT_EQ(Count("Skip DBT_DEVNODES_CHANGED"), 1);
    EXPECT_EQ(Count("Skip DBT_DEVICEARRIVAL/DBT_DEVICEREMOVECOMPLETE"), 1);
    EXPECT_FALSE(Has("WM_POWER"));

    QElapsedTimer clock;
    clock.start();
    SendAndSync("CONSOLE_CONNECT\n");
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 2; }));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(Devices().size(), 1u);

    clock.restart();
    SendAndSync("RESUME\n");
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(3) == 2; }));
    EXPECT_TRUE(Devices().empty());
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 3; }));
    EXPECT_GE(clock.elapsed(), 2700);
    EXPECT_EQ(Count("WM_POWER resume"), 1) << "an announced resume is the old power message";
    EXPECT_FALSE(Has("WM_POWERBROADCAST resume")) << "the power broadcast comes from the login manager";

    const int passes = Passes();
    clock.restart();
    SendAndSync("NODESCHANGED\n");
    ASSERT_TRUE(WaitFor([&] { return Passes() == passes + 1; }));
    EXPECT_GE(clock.elapsed(), 2700);
    EXPECT_EQ(Count("DBT_DEVNODES_CHANGED"), 1);
    EXPECT_EQ(m_Receiver.Count(4), 3) << "the same adapter again is no change";
}

TEST_F(ThrdDetectTest, RegistrationsFollowSystemKindAndStartFlags)
{
    struct Case {
        int osKind;
        uint32_t flags;
        bool device;
        bool session;
    };
    // A bus without a login manager: registration fails and is retried.
    FakeLogind bus(s_BusDir->path());
    const bool withBus = FakeLogind::Available() && bus.StartBus();
    for (const Case& c : {Case{5, 0, false, false}, Case{6, 0, true, false}, Case{7, SF_SERVICE, true, false},
                          Case{7, 0, true, true}}) {
        g_Var.OsKind = c.osKind;
        g_Var.StartFlags = c.flags;
        WriteFile(m_LogPath, "");
        Start();
        const bool device =
            Has("Succ: RegisterDeviceNotification") || Has("Fail: RegisterDeviceNotification");
        EXPECT_EQ(device, c.device) << c.osKind;
        if (c.session)
            EXPECT_TRUE(WaitLine("Fail: RegisterSessionNotify", withBus ? 3 : 1))
                << "no login manager: retried";
        else
            EXPECT_FALSE(Has("Fail: RegisterSessionNotify") || Has("Succ: RegisterSessionNotify"))
                << c.osKind;
        m_Detect.reset();
    }
}

TEST_F(ThrdDetectTest, SessionOfTheLoginManagerDrivesConsoleEvents)
{
    if (!FakeLogind::Available())
        GTEST_SKIP() << "dbus-daemon is not installed";
    SetPresent(ADAPTER_ID, true);
    g_Var.OsKind = 7;
    Start();
    ASSERT_TRUE(WaitLine("Fail: RegisterSessionNotify"));
    QThread::msleep(1200);
    EXPECT_EQ(Count("Fail: RegisterSessionNotify"), 1) << "no bus yet: waited for, not retried";

    FakeLogind logind(s_BusDir->path());
    ASSERT_TRUE(logind.StartBus());
    ASSERT_TRUE(logind.StartService());
    ASSERT_TRUE(WaitLine("Succ: RegisterSessionNotify"));
    const int failures = Count("Fail: RegisterSessionNotify");
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 1; }));

    logind.SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(3) == 1; }));
    EXPECT_EQ(Count("WTS_CONSOLE_DISCONNECT"), 1);
    EXPECT_TRUE(Devices().empty());
    logind.SetActive(true);
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 2; }));
    EXPECT_EQ(Count("WTS_CONSOLE_CONNECT"), 1);
    EXPECT_EQ(Count("Fail: RegisterSessionNotify"), failures) << "the retries ended with the registration";
    // The system going down asks the window to close, as a second start's close request does.
    logind.PrepareForShutdown(true);
    EXPECT_TRUE(WaitFor([&] { return m_Receiver.CloseRequests == 1; }));
    EXPECT_EQ(Count("PrepareForShutdown"), 1);
    m_Detect.reset();
}

TEST_F(ThrdDetectTest, BadInputIsLoggedAndTheThreadKeepsWorking)
{
    SetPresent(ADAPTER_ID, true);
    Start();
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 1; }));

    QLocalSocket silent;
    silent.connectToServer(CDeviceEventServer::SocketPath(g_Var.ProfRoot));
    ASSERT_TRUE(silent.waitForConnected(5000));
    SendAndSync(QByteArray("\x01\x02\xff garbage\n", 12));
    Send("ARRIVAL /devices/half-a-mess");
    Send(QByteArray(5000, 'H'));
    SendAndSync(QByteArray(1500, 'L') + "\n");
    SendAndSync("RESUME please\n");
    EXPECT_TRUE(WaitLine("CDeviceEventServer: client timed out"));
    EXPECT_TRUE(Has("CDeviceEventServer: unknown device event ignored: ??? garbage"));
    EXPECT_TRUE(Has("CDeviceEventServer: incomplete line ignored: ARRIVAL /devices/half-a-mess"));
    EXPECT_EQ(Count("CDeviceEventServer: line over 1024 bytes ignored"), 2);
    EXPECT_TRUE(Has("CDeviceEventServer: unknown device event ignored: RESUME please"));
    EXPECT_EQ(Passes(), 1) << "nothing of it schedules a pass";

    SetPresent(ADAPTER_ID, false);
    Send(Event("REMOVAL", ADAPTER_ID));
    EXPECT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 2; }));
}

TEST_F(ThrdDetectTest, FloodOfEventsRestartsThePassTimerWithoutStackingPasses)
{
    SetPresent(ADAPTER_ID, true);
    Start();
    ASSERT_TRUE(WaitFor([&] { return m_Receiver.Count(4) == 1; }));

    for (int i = 0; i < 200; ++i)
        Send(Event("ARRIVAL", ADAPTER_ID));
    QByteArray flood;
    for (int i = 0; i < 10000; ++i)
        flood += Event(i % 2 ? "ARRIVAL" : "REMOVAL", ADAPTER_ID);
    SendAndSync(flood);
    const int arrivals = Count("Arrival HWID: USB\\VID_F5E1&PID_0301");
    EXPECT_GE(arrivals, 5000);
    EXPECT_EQ(Count("Remove HWID: USB\\VID_F5E1&PID_0301"), 5000);

    // The adapter stays, so the last event's three passes run, 2000 ms apart, and nothing more.
    const QStringList lines = Lines();
    const int lastEvent = int(lines.lastIndexOf("Arrival HWID: USB\\VID_F5E1&PID_0301"));
    const int before = int(lines.mid(0, lastEvent).count("CThrdDetect::DetectDev()"));
    EXPECT_TRUE(WaitFor([&] { return Passes() == before + 3; }, 15000));
    EXPECT_TRUE(NoPassBeyond(before + 3, 3000));
    EXPECT_EQ(m_Receiver.Count(4), 1);
}
