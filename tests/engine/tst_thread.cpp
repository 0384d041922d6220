// Threads that do not stop in time are abandoned; the ending process waits for them before its static objects
// go.
#include "engine/Uthread.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A body that ignores the stop request until it is let go, as one stuck inside the library does.
class TStuckThread : public CThread {
public:
    static TThreadPtr<TStuckThread> Make(std::atomic<bool>& release, std::atomic<bool>& freed)
    {
        TThreadPtr<TStuckThread> thread(new TStuckThread(release, freed));
        thread->Start("Stuck");
        return thread;
    }

protected:
    ~TStuckThread() override { m_Freed = true; }
    void Execute() override
    {
        while (!m_Release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

private:
    TStuckThread(std::atomic<bool>& release, std::atomic<bool>& freed) : m_Release(release), m_Freed(freed) {}
    std::atomic<bool>& m_Release;
    std::atomic<bool>& m_Freed;
};

} // namespace

TEST(AbandonedThread, IsWaitedForAndFreesItsObjectWhenItEnds)
{
    std::atomic<bool> release{false};
    std::atomic<bool> freed{false};
    TThreadPtr<TStuckThread> thread = TStuckThread::Make(release, freed);
    thread.reset();
    EXPECT_FALSE(freed) << "abandoned, still running";
    EXPECT_FALSE(CThread::WaitForAbandoned(50));
    release = true;
    EXPECT_TRUE(CThread::WaitForAbandoned(10000));
    EXPECT_TRUE(freed);
    EXPECT_TRUE(CThread::WaitForAbandoned(0)) << "none left";
}

// Returning from the library during the static objects' destruction, an abandoned thread used the settings
// and the debug log after they were gone.
TEST(AbandonedThreadDeathTest, OneStillStuckAtExitEndsTheProcessBeforeTheStaticObjectsGo)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static std::atomic<bool> never{false};
            static std::atomic<bool> freed{false};
            TStuckThread::Make(never, freed).reset();
            std::exit(EXIT_SUCCESS);
        },
        testing::ExitedWithCode(EXIT_FAILURE), "abandoned thread is still running at exit");
}
