// The termination signals reach the event loop as one Terminate each process; a second one while the end
// runs ends the process at once. Each case runs in a child process: the first signal changes the process.
#include "app/Usignalwatch.h"
#include "testutil.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Exit codes of the child that tell what went wrong.
enum ChildResult { Ended = 0, NotInstalled = 10, NoTerminate = 11, WrongSignal = 12, SecondReturned = 13 };

[[noreturn]] void RunChild(int number)
{
    CSignalWatch watch;
    if (!watch.Install())
        _exit(NotInstalled);
    int received = 0;
    QObject::connect(&watch, &CSignalWatch::Terminate, &watch, [&received](int n) { received = n; });
    raise(number);
    if (!testutil::WaitFor([&] { return received != 0; }, 5000))
        _exit(NoTerminate);
    if (received != number)
        _exit(WrongSignal);
    // The orderly end would run now; another signal does not wait for it.
    raise(SIGTERM);
    _exit(SecondReturned);
}

class SignalWatchTest : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(SignalWatchTest, FirstSignalAsksForTheEndSecondEndsAtOnce)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        RunChild(GetParam());
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal's default action: " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), Ended);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalWatchTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

// Under a small address space limit the toolkit's painter deadlocked the window thread, and SIGTERM was
// ignored for good: its orderly end never came. It is forced five seconds after the signal, the socket files
// removed, while a second signal forces it at once and removes them too.
TEST(SignalWatch, AnEndThatDoesNotComeIsForcedAndRemovesTheSocketFiles)
{
    QTemporaryDir dir;
    for (const bool second : {false, true}) {
        const QByteArray socketFile = QFile::encodeName(dir.filePath(second ? "second" : "deadline"));
        testutil::WriteFile(QString::fromLocal8Bit(socketFile), "");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CSignalWatch watch;
            if (!watch.Install())
                _exit(NotInstalled);
            CSignalWatch::RemoveOnForcedEnd(socketFile);
            raise(SIGTERM);
            if (second)
                raise(SIGTERM);
            // The window thread is stuck: the event loop never runs again.
            for (;;)
                pause();
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal: " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), Ended);
        EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(socketFile))) << (second ? "second" : "deadline");
    }
}
