// The per-user sockets keep serving whatever another process of the user does to them.
#include "app/Ulocallistener.h"
#include "app/Ulocalsocket.h"
#include "app/Unotifychannel.h"
#include "floodutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using testutil::WaitFor;

namespace {

class LocalListenerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.isValid());
        m_Listener.SetRefusalText("BUSY\n");
        QObject::connect(&m_Listener, &CLocalListener::NewClient, &m_Listener, [this](CLocalSocket* socket) {
            // An echo of every line: a client that gets its line back was served.
            QObject::connect(socket, &CLocalSocket::readyRead, socket, [socket] {
                while (socket->canReadLine())
                    socket->write(socket->readLine());
            });
        });
        ASSERT_TRUE(m_Listener.Listen(Path()));
    }
    QString Path() const { return m_Dir.filePath("sock"); }

    std::unique_ptr<QLocalSocket> Connect()
    {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(Path());
        return socket->waitForConnected(5000) ? std::move(socket) : nullptr;
    }
    // What the listener answers to one line from a new client (empty when nothing came back).
    QByteArray Answer(QLocalSocket& socket, const QByteArray& line = "ping\n")
    {
        socket.write(line);
        socket.flush();
        WaitFor([&] { return socket.canReadLine() || socket.state() != QLocalSocket::ConnectedState; }, 5000);
        return socket.readLine();
    }
    bool Served()
    {
        const auto client = Connect();
        return client && Answer(*client) == "ping\n";
    }

    QTemporaryDir m_Dir;
    CLocalListener m_Listener{"test", 4};
};

// The sockets' folder, private as the session's is.
void UsePrivateRuntime(const QTemporaryDir& runtime)
{
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
}

// The sender blocks until its code was handled, so it runs beside the server's event loop, as another
// instance would.
bool SendFromAnotherThread(int code)
{
    auto sent =
        std::async(std::launch::async, [code] { return SendToRunningInstance("NotifyTest", code, 0, 5000); });
    WaitFor([&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return sent.get();
}

} // namespace

TEST_F(LocalListenerTest, IdleClientsMakeRoomAndNewcomersWaitForBusyOnes)
{
    m_Listener.SetClientTimeout(60000);
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 4; ++i)
        idle.push_back(Connect());
    ASSERT_TRUE(WaitFor([&] { return m_Listener.ClientCount() == 4; }));
    EXPECT_TRUE(Served()) << "a newcomer is served while the room is taken by idle clients";
    EXPECT_TRUE(WaitFor([&] { return idle.front()->state() == QLocalSocket::UnconnectedState; }))
        << "the client idle longest was dropped";
    EXPECT_EQ(idle.front()->readAll(), "BUSY\n") << "and told so";
    idle.clear();
    ASSERT_TRUE(WaitFor([&] { return m_Listener.ClientCount() == 0; }));

    // Clients in the middle of a line are not idle: now the newcomer waits until one of them leaves.
    std::vector<std::unique_ptr<QLocalSocket>> busy;
    for (int i = 0; i < 4; ++i) {
        busy.push_back(Connect());
        busy.back()->write("half a line");
        busy.back()->flush();
    }
    ASSERT_TRUE(WaitFor([&] { return m_Listener.ClientCount() == 4; }));
    const auto late = Connect();
    ASSERT_TRUE(late);
    late->write("ping\n");
    late->flush();
    EXPECT_FALSE(WaitFor([&] { return late->canReadLine(); }, 500)) << "no answer while every place is taken";
    for (const auto& client : busy)
        EXPECT_EQ(client->state(), QLocalSocket::ConnectedState);
    busy.pop_back();
    EXPECT_TRUE(WaitFor([&] { return late->canReadLine(); }));
    EXPECT_EQ(late->readLine(), "ping\n");
    EXPECT_EQ(m_Listener.DroppedCount(), 1);
}

// More than the kernel holds in either direction at once: the listener reads it over several wake-ups and
// keeps what the client is not reading yet until it drains, all in order, while another client is served.
TEST_F(LocalListenerTest, ALongStreamComesBackWholeAndInOrder)
{
    m_Listener.SetClientTimeout(60000);
    const auto client = Connect();
    ASSERT_TRUE(client);
    QByteArray sent;
    for (int line = 0; line < 2000; ++line)
        sent += QByteArray::number(line).rightJustified(499, '.') + '\n';
    client->write(sent);
    EXPECT_TRUE(Served()) << "another client waits for the long one";
    QByteArray echoed;
    EXPECT_TRUE(WaitFor([&] { return (echoed += client->readAll()).size() >= sent.size(); }, 20000));
    EXPECT_TRUE(echoed == sent) << echoed.size() << " of " << sent.size() << " bytes";
    EXPECT_EQ(client->state(), QLocalSocket::ConnectedState);
}

TEST_F(LocalListenerTest, SilentClientTimesOut)
{
    m_Listener.SetClientTimeout(200);
    const auto silent = Connect();
    ASSERT_TRUE(silent);
    EXPECT_TRUE(WaitFor([&] { return silent->state() == QLocalSocket::UnconnectedState; }));
    EXPECT_TRUE(WaitFor([&] { return m_Listener.ClientCount() == 0; }));
}

TEST_F(LocalListenerTest, SocketFileThatVanishedIsMadeAgain)
{
    m_Listener.SetCheckInterval(50);
    ASSERT_TRUE(QFile::remove(Path()));
    EXPECT_TRUE(WaitFor([&] { return QFileInfo::exists(Path()); }));
    EXPECT_TRUE(Served());
}

// The kernel reports the removal, so the file is back long before any check would look, each time it goes.
TEST_F(LocalListenerTest, SocketFileRemovedAgainAndAgainIsMadeAgainWithoutWaitingForTheCheck)
{
    m_Listener.SetCheckInterval(3600 * 1000);
    ASSERT_TRUE(m_Listener.WatchesSocketFile());
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(QFile::remove(Path())) << "round " << round;
        EXPECT_TRUE(WaitFor([&] { return QFileInfo::exists(Path()); })) << "round " << round;
        EXPECT_TRUE(Served()) << "round " << round;
    }
    // A file put in its place by someone else is not the listener's either.
    ASSERT_TRUE(QFile::remove(Path()));
    QFile other(Path());
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    EXPECT_TRUE(WaitFor([&] { return Served(); }));
}

TEST_F(LocalListenerTest, OutOfDescriptorsItKeepsListening)
{
    testutil::DescriptorFlood flood(Path(), 200);
    ASSERT_TRUE(flood.Exhausted);
    flood.End();
    EXPECT_TRUE(QFileInfo::exists(Path())) << "the toolkit's server deleted its socket file here";
    EXPECT_TRUE(WaitFor([&] { return Served(); }, 15000));
    EXPECT_TRUE(m_Listener.IsListening());
}

TEST(NotifyServer, OnlyTheCodesOfAnotherInstanceAreHandled)
{
    QTemporaryDir runtime;
    UsePrivateRuntime(runtime);
    QList<int> handled;
    CNotifyServer server("NotifyTest", [&handled](int code, int) {
        handled << code;
        return 0;
    });
    ASSERT_TRUE(server.Listen());
    // The other codes come from the program's own threads and pages, never from another process.
    for (const int code : {int(NM_SHOW), 2, 4, 7, -1, 0x7fffffff, int(NM_CLOSE_ALL)})
        EXPECT_TRUE(SendFromAnotherThread(code)) << code;
    EXPECT_EQ(handled, QList<int>({NM_SHOW, NM_CLOSE_ALL}));

    // Flooded, it still takes the next start's request.
    testutil::DescriptorFlood flood(server.SocketPath(), 200);
    ASSERT_TRUE(flood.Exhausted);
    flood.End();
    handled.clear();
    EXPECT_TRUE(WaitFor([&] { return SendFromAnotherThread(NM_SHOW) && handled.contains(NM_SHOW); }, 15000));
}

// A send given no time at all waits no time for an answer, instead of for ever on an instance that is stuck.
TEST(NotifyServer, ASendGivenNoTimeDoesNotWaitForAnAnswer)
{
    QTemporaryDir runtime;
    UsePrivateRuntime(runtime);
    CLocalListener stuck("stuck", 4);
    ASSERT_TRUE(stuck.Listen(runtime.filePath("StuckTest")));
    auto sent =
        std::async(std::launch::async, [] { return SendToRunningInstance("StuckTest", NM_SHOW, 0, 0); });
    EXPECT_TRUE(WaitFor([&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_TRUE(sent.get()) << "it was sent";
}

// Eight clients that each trickled a few bytes held every place until their timeout: a second start then
// waited about 5.8 s for its answer.
TEST(NotifyServer, TricklingClientsDoNotDelayAnotherInstance)
{
    QTemporaryDir runtime;
    UsePrivateRuntime(runtime);
    int shown = 0;
    CNotifyServer server("NotifyTest", [&shown](int, int) { return ++shown; });
    ASSERT_TRUE(server.Listen());
    std::vector<std::unique_ptr<QLocalSocket>> tricklers;
    for (int i = 0; i < CNotifyServer::MAX_CLIENTS + 4; ++i) {
        tricklers.push_back(std::make_unique<QLocalSocket>());
        tricklers.back()->connectToServer(server.SocketPath());
        ASSERT_TRUE(tricklers.back()->waitForConnected(5000));
        tricklers.back()->write("\x01\x00\x00", 3);
        tricklers.back()->flush();
    }
    QCoreApplication::processEvents();
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(SendFromAnotherThread(NM_SHOW));
        EXPECT_EQ(shown, round + 1);
        // The bound is 100 ms on an idle machine; this one is shared.
        EXPECT_LT(clock.elapsed(), 1000) << "round " << round;
        for (const auto& trickler : tricklers)
            if (trickler->state() == QLocalSocket::ConnectedState)
                trickler->write("\x00", 1);
    }
}

// Eight clients of the same user sending whole messages without pause delayed a second start's request by
// 2.6 s, and one of 28 failed: each wake-up read and answered hundreds of kilobytes of one client's messages.
TEST(NotifyServer, FloodingClientsDoNotDelayAnotherInstance)
{
    QTemporaryDir runtime;
    UsePrivateRuntime(runtime);
    int shown = 0;
    CNotifyServer server("NotifyTest", [&shown](int, int) { return ++shown; });
    ASSERT_TRUE(server.Listen());
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0};
    std::vector<int> fds;
    for (int i = 0; i < CNotifyServer::MAX_CLIENTS; ++i) {
        fds.push_back(ConnectLocalSocket(server.SocketPath(), 5000));
        ASSERT_GE(fds.back(), 0);
    }
    std::vector<std::thread> flooders;
    for (const int fd : fds)
        flooders.emplace_back([fd, &stop, &answered] {
            // Code 2 is one the server reads and answers, but does not act on.
            QByteArray batch;
            for (int m = 0; m < 4096; ++m)
                batch += QByteArray("\x02\0\0\0\0\0\0\0", 8);
            char answers[65536];
            bool counted = false;
            while (!stop && send(fd, batch.constData(), size_t(batch.size()), MSG_NOSIGNAL) > 0)
                while (recv(fd, answers, sizeof answers, MSG_DONTWAIT) > 0)
                    if (!std::exchange(counted, true))
                        ++answered;
        });
    ASSERT_TRUE(WaitFor([&] { return answered == CNotifyServer::MAX_CLIENTS; })) << "every flooder is served";
    qint64 longest = 0;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(SendFromAnotherThread(NM_SHOW)) << "round " << round;
        longest = std::max(longest, clock.elapsed());
    }
    stop = true;
    for (const int fd : fds)
        shutdown(fd, SHUT_RDWR);
    for (std::thread& flooder : flooders)
        flooder.join();
    for (const int fd : fds)
        close(fd);
    EXPECT_EQ(shown, 5);
    // The bound is 100 ms on an idle machine. This one is shared and the flooders take its processor too: 23
    // to 45 ms were measured here beside a build (456 to 815 ms before), up to 441 ms beside two more test
    // runs.
    EXPECT_LT(longest, 1000);
}
