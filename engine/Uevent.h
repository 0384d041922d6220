#pragma once

#include <atomic>
#include <initializer_list>

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

    void Request()
    {
        Terminated = true;
        Event.Set();
    }
};
