#include "Uthread.h"
#include "app/Udebug.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <pthread.h>
#include <unistd.h>
#include <vector>

namespace {

// How long the ending process waits for threads that were abandoned.
constexpr int EXIT_WAIT_MS = 2000;
std::atomic<bool> g_ProcessEnding{false};

// Threads whose owners gave them up, kept joinable so that the ending process can wait for them.
struct TAbandonedThreads {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<std::thread> Threads;
    // Those still in their body.
    std::vector<std::thread::id> Running;
    bool ExitHandlerSet = false;
};

// Never destroyed: abandoned threads use it up to their last step.
TAbandonedThreads& Abandoned()
{
    static auto* list = new TAbandonedThreads;
    return *list;
}

// Joins the threads that have left their body; what remains of them is quick.
void JoinEnded(std::unique_lock<std::mutex>& lock)
{
    TAbandonedThreads& list = Abandoned();
    std::vector<std::thread> ended;
    for (auto it = list.Threads.begin(); it != list.Threads.end();) {
        if (std::find(list.Running.begin(), list.Running.end(), it->get_id()) == list.Running.end()) {
            ended.push_back(std::move(*it));
            it = list.Threads.erase(it);
        } else {
            ++it;
        }
    }
    lock.unlock();
    for (std::thread& thread : ended)
        thread.join();
    lock.lock();
}

// Registered with the first abandoned thread, so it runs before the static objects made until then are
// destroyed.
void WaitAtExit()
{
    if (CThread::WaitForAbandoned(EXIT_WAIT_MS))
        return;
    // Still inside the library: returning from it, the thread would find the static objects destroyed.
    DebugPrint("CThread: an abandoned thread is still running at exit");
    fprintf(stderr, "wlanutil: an abandoned thread is still running at exit\n");
    fflush(nullptr);
    _exit(EXIT_FAILURE);
}

} // namespace

CThread::~CThread()
{
    if (m_Thread.joinable())
        m_Thread.join();
}

void CThread::Start(const char* name)
{
    m_Thread = std::thread([this] { Run(); });
    pthread_setname_np(m_Thread.native_handle(), name);
}

void CThread::Run()
{
    try {
        Execute();
    } catch (const std::exception& e) {
        DebugPrint("Exception(CThread::Execute): %s", e.what());
    } catch (...) {
        DebugPrint("Exception(CThread::Execute)");
    }
    bool freeOnEnd;
    {
        std::lock_guard lock(m_EndMutex);
        m_Ended = true;
        freeOnEnd = m_FreeOnEnd;
        // Under the lock: once it is released, a waiting owner may free the object.
        m_EndChanged.notify_all();
    }
    if (!freeOnEnd)
        return;
    delete this;
    TAbandonedThreads& list = Abandoned();
    std::lock_guard lock(list.Mutex);
    std::erase(list.Running, std::this_thread::get_id());
    list.Changed.notify_all();
}

void CThread::BeginProcessEnd()
{
    g_ProcessEnding = true;
}

bool CThread::ProcessEnding()
{
    return g_ProcessEnding;
}

bool CThread::RequestStopAndWait(int timeoutMs)
{
    // Once the process ends, the end as a whole (settings saved, sockets removed) is to take well under two
    // seconds.
    if (g_ProcessEnding)
        timeoutMs = std::min(timeoutMs, ENDING_STOP_WAIT_MS);
    m_Stop.Request();
    std::unique_lock lock(m_EndMutex);
    if (!m_Thread.joinable())
        return true;
    return m_EndChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_Ended; });
}

bool CThread::Abandon()
{
    std::lock_guard lock(m_EndMutex);
    if (m_Ended)
        return false;
    m_FreeOnEnd = true;
    TAbandonedThreads& list = Abandoned();
    std::unique_lock listLock(list.Mutex);
    if (!list.ExitHandlerSet)
        list.ExitHandlerSet = std::atexit(WaitAtExit) == 0;
    list.Running.push_back(m_Thread.get_id());
    list.Threads.push_back(std::move(m_Thread));
    JoinEnded(listLock);
    return true;
}

bool CThread::WaitForAbandoned(int timeoutMs)
{
    TAbandonedThreads& list = Abandoned();
    std::unique_lock lock(list.Mutex);
    const bool ended = list.Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                             [&list] { return list.Running.empty(); });
    JoinEnded(lock);
    return ended;
}

bool CThread::StopThread()
{
    return RequestStopAndWait(2000) || !Abandon();
}

void CThread::Dispose()
{
    if (StopThread())
        delete this;
}
