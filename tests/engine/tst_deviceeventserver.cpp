#include "engine/Udeviceeventserver.h"
#include "floodutil.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testutil::WaitFor;

namespace {

// What the server made of its input, in order.
class EventRecorder : public QObject {
public:
    explicit EventRecorder(CDeviceEventServer* server)
    {
        connect(server, &CDeviceEventServer::DeviceEvent, this,
                [this](bool arrival, const QString& path, const QString& id) {
                    Events << QString("%1|%2|%3").arg(arrival ? "ARRIVAL" : "REMOVAL", path, id);
                });
        connect(server, &CDeviceEventServer::NodesChanged, this, [this] { Events << "NODESCHANGED"; });
        connect(server, &CDeviceEventServer::Resume, this, [this] { Events << "RESUME"; });
        connect(server, &CDeviceEventServer::ConsoleConnect, this, [this] { Events << "CONSOLE_CONNECT"; });
        connect(server, &CDeviceEventServer::ConsoleDisconnect, this,
                [this] { Events << "CONSOLE_DISCONNECT"; });
    }
    QStringList Events;
};

class DeviceEventServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.isValid());
        ASSERT_TRUE(m_Server.Listen(Path()));
    }
    QString Path() const { return m_Dir.filePath("events"); }

    // Sends `data` as one client and waits until the server has seen the client go.
    void Send(const QByteArray& data)
    {
        QLocalSocket client;
        client.connectToServer(Path());
        ASSERT_TRUE(client.waitForConnected(5000));
        client.write(data);
        while (client.bytesToWrite() > 0)
            ASSERT_TRUE(client.waitForBytesWritten(5000));
        client.disconnectFromServer();
        WaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }, 5000);
        // The marker line shows that everything before it was handled.
        QLocalSocket marker;
        marker.connectToServer(Path());
        ASSERT_TRUE(marker.waitForConnected(5000));
        marker.write("CONSOLE_CONNECT\n");
        marker.waitForBytesWritten(5000);
        const qsizetype before = m_Recorder.Events.count("CONSOLE_CONNECT");
        ASSERT_TRUE(WaitFor([&] { return m_Recorder.Events.count("CONSOLE_CONNECT") > before; }));
        m_Recorder.Events.removeLast();
    }

    QTemporaryDir m_Dir;
    CDeviceEventServer m_Server;
    EventRecorder m_Recorder{&m_Server};
};

struct LineCase {
    QByteArray input;
    QStringList expected;
};

} // namespace

TEST_F(DeviceEventServerTest, LinesBecomeEventsAndBadOnesAreDropped)
{
    const QByteArray overlong = "ARRIVAL /p " + QByteArray(1100, 'X') + "\n";
    const LineCase cases[] = {
        {"ARRIVAL /devices/virtual/net/wlan0 USB\\VID_F5E1&PID_0301\n",
         {"ARRIVAL|/devices/virtual/net/wlan0|USB\\VID_F5E1&PID_0301"}},
        {"REMOVAL /p PCI\\VEN_168C&DEV_002B&SUBSYS 1\n", {"REMOVAL|/p|PCI\\VEN_168C&DEV_002B&SUBSYS 1"}},
        {"NODESCHANGED\nRESUME\nCONSOLE_DISCONNECT\n", {"NODESCHANGED", "RESUME", "CONSOLE_DISCONNECT"}},
        {"ARRIVAL /only-a-path\nARRIVAL\nREMOVAL  id\nARRIVAL /p \n", {}},
        {"RESUME now\narrival /p id\nBOGUS\n\n", {}},
        {QByteArray("\x00\xff\xfe garbage\x01\n", 14), {}},
        {"RESUME\nARRIVAL /p USB\\VID_F5E1", {"RESUME"}},
        {overlong + "RESUME\n", {"RESUME"}},
        {QByteArray(3000, 'Y') + "\nRESUME\n", {"RESUME"}},
        {QByteArray(9000, 'W') + "\nNODESCHANGED\n", {"NODESCHANGED"}},
        {QByteArray(1023, 'Z') + "\nRESUME\n", {"RESUME"}},
    };
    for (const LineCase& c : cases) {
        m_Recorder.Events.clear();
        Send(c.input);
        EXPECT_EQ(m_Recorder.Events.join(';'), c.expected.join(';')) << c.input.left(80).toStdString();
    }
}

TEST_F(DeviceEventServerTest, SilentClientIsDroppedAndOthersAreServed)
{
    m_Server.SetClientTimeout(300);
    QLocalSocket silent;
    silent.connectToServer(Path());
    ASSERT_TRUE(silent.waitForConnected(5000));
    Send("RESUME\n");
    EXPECT_EQ(m_Recorder.Events.join(';'), "RESUME");
    EXPECT_TRUE(WaitFor([&] { return silent.state() == QLocalSocket::UnconnectedState; }, 10000));
}

TEST_F(DeviceEventServerTest, EveryLineIsAnsweredAndAClientTurnedAwayIsTold)
{
    QLocalSocket client;
    client.connectToServer(Path());
    ASSERT_TRUE(client.waitForConnected(5000));
    client.write("RESUME\nBOGUS\nNODESCHANGED\n");
    client.flush();
    QByteArray answers;
    WaitFor([&] { return (answers += client.readAll()).count('\n') >= 3; });
    EXPECT_EQ(answers, "OK\nERR\nOK\n");
    client.disconnectFromServer();
    ASSERT_TRUE(WaitFor([&] { return m_Server.ClientCount() == 0; }));

    // Every place taken by a client in the middle of its line: the next one waits; an idle one is dropped
    // and told.
    std::vector<std::unique_ptr<QLocalSocket>> busy;
    for (int i = 0; i < CDeviceEventServer::MAX_CLIENTS; ++i) {
        busy.push_back(std::make_unique<QLocalSocket>());
        busy.back()->connectToServer(Path());
        ASSERT_TRUE(busy.back()->waitForConnected(5000));
        busy.back()->write(i == 0 ? "" : "ARRIVAL /p");
        busy.back()->flush();
    }
    ASSERT_TRUE(WaitFor([&] { return m_Server.ClientCount() == CDeviceEventServer::MAX_CLIENTS; }));
    QLocalSocket extra;
    extra.connectToServer(Path());
    ASSERT_TRUE(extra.waitForConnected(5000));
    EXPECT_TRUE(WaitFor([&] { return busy.front()->state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(busy.front()->readAll(), "BUSY\n");
    extra.write("RESUME\n");
    EXPECT_TRUE(WaitFor([&] { return extra.canReadLine(); }));
    EXPECT_EQ(extra.readLine(), "OK\n");
}

TEST_F(DeviceEventServerTest, OutOfDescriptorsItKeepsListening)
{
    testutil::DescriptorFlood flood(Path(), 200);
    ASSERT_TRUE(flood.Exhausted);
    flood.End();
    EXPECT_TRUE(QFileInfo::exists(Path())) << "the toolkit's server deleted its socket file here";
    m_Recorder.Events.clear();
    Send("RESUME\n");
    EXPECT_EQ(m_Recorder.Events.join(';'), "RESUME");
}
