#include "Uevent.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

std::mutex g_EventMutex;
std::condition_variable g_EventChanged;

} // namespace

void CAutoEvent::Set()
{
    // Told while the lock is held: a waiter cannot return, and its program cannot end and destroy the
    // condition, before the notification is through.
    std::lock_guard lock(g_EventMutex);
    m_Signalled = true;
    g_EventChanged.notify_all();
}

bool CAutoEvent::IsSet() const
{
    std::lock_guard lock(g_EventMutex);
    return m_Signalled;
}

bool CAutoEvent::Wait(int timeoutMs)
{
    return WaitForAny({this}, timeoutMs) == 0;
}

int WaitForAny(std::initializer_list<CAutoEvent*> events, int timeoutMs)
{
    int taken = -1;
    auto takeFirst = [&] {
        int i = 0;
        for (CAutoEvent* e : events) {
            if (e->m_Signalled) {
                e->m_Signalled = false;
                taken = i;
                return true;
            }
            ++i;
        }
        return false;
    };
    std::unique_lock lock(g_EventMutex);
    if (timeoutMs < 0)
        g_EventChanged.wait(lock, takeFirst);
    else
        g_EventChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), takeFirst);
    return taken;
}
