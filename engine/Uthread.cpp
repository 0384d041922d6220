#include "Uthread.h"
#include "app/Udebug.h"

#include <chrono>
#include <exception>
#include <pthread.h>

CThread::~CThread()
{
    if (!m_Thread.joinable())
        return;
    // An abandoned thread deletes its object from inside its own body.
    if (m_Thread.get_id() == std::this_thread::get_id())
        m_Thread.detach();
    else
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
    if (freeOnEnd)
        delete this;
}

bool CThread::RequestStopAndWait(int timeoutMs)
{
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
    m_Thread.detach();
    return true;
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
