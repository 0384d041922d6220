#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>

// One hold of the library lock; 0 = none.
using TLibTicket = uint64_t;

// An auto-reset event: Set() lets exactly one wait through, then the event is unsignalled again.
// All events share one mutex and condition variable, which makes waiting for any of several events simple;
// the program has only a handful of them.
class CAutoEvent {
public:
    void Set();
    bool IsSet() const;
    // True when the event was taken (and reset) within the time; timeoutMs < 0 waits without limit.
    bool Wait(int timeoutMs = -1);

private:
    friend int WaitForAny(std::initializer_list<CAutoEvent*> events, int timeoutMs);
    bool m_Signalled = false;
};

// Index of the first signalled event, which is reset; -1 on timeout. Earlier events win ties.
int WaitForAny(std::initializer_list<CAutoEvent*> events, int timeoutMs = -1);

// How a thread is asked to stop: its terminated flag and its stop event.
struct CStopSignal {
    CAutoEvent Event;
    std::atomic<bool> Terminated{false};
    // The library lock's ticket while this thread holds it (guarded by the library binding).
    TLibTicket LibTicket = 0;

    void Request()
    {
        Terminated = true;
        Event.Set();
    }
};
