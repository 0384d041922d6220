#pragma once

#include "Uevent.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// A worker thread with a terminated flag and a stop event. A thread cannot be ended forcibly here, so one
// that does not stop in time is abandoned: it takes over its object and deletes it when its body returns.
// Owners therefore hold threads through TThreadPtr, never delete them directly.
//
// The process waits for abandoned threads when it ends, before the static objects they may still use (the
// settings, the debug log, the library binding) are destroyed; one still stuck in the library then ends the
// process without destroying them.
class CThread {
public:
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Waits up to `timeoutMs` until every abandoned thread has ended, and joins them. True when none is left.
    static bool WaitForAbandoned(int timeoutMs);
    // The program is ending: from now on a stop waits for a thread only briefly (ENDING_STOP_WAIT_MS at
    // most), so that one stuck in the library cannot hold up the end; it is abandoned instead.
    static void BeginProcessEnd();
    static bool ProcessEnding();
    static constexpr int ENDING_STOP_WAIT_MS = 400;

    bool Terminated() const { return m_Stop.Terminated; }
    // Stops the thread and frees the object, now or, when the thread is abandoned, once its body returns.
    void Dispose();

protected:
    CThread() = default;
    virtual ~CThread();

    // Starts the body on a thread that tools such as ps and debuggers show as `name` (at most 15 bytes).
    void Start(const char* name);
    virtual void Execute() = 0;
    // Asks the thread to stop and waits; true when it ended (the object may then be freed). The default waits
    // 2000 ms and abandons the thread after that.
    virtual bool StopThread();
    // Marks the thread terminated, raises its stop event and waits up to `timeoutMs` for the body to end.
    bool RequestStopAndWait(int timeoutMs);
    // Hands the object to its running thread; afterwards the caller must not touch it. False when the thread
    // has ended meanwhile, in which case nothing was handed over.
    bool Abandon();

    CStopSignal m_Stop;

private:
    void Run();

    std::thread m_Thread;
    std::mutex m_EndMutex;
    std::condition_variable m_EndChanged;
    bool m_Ended = false;
    bool m_FreeOnEnd = false;
};

struct CThreadDeleter {
    void operator()(CThread* thread) const { thread->Dispose(); }
};

template <class T> using TThreadPtr = std::unique_ptr<T, CThreadDeleter>;
